#include "page_selection.h"

#include <algorithm>
#include <charconv>

namespace qrp {

namespace {

// A page number of a list, or 0 for none; -1 when the text is not one.
std::int32_t ParsePageNumber(const std::string& text) {
    if (text.empty())
        return 0;
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1)
        return -1;
    return value;
}

}  // namespace

std::optional<std::vector<PageSpan>> ParsePageList(const std::string& text) {
    std::string compact;
    std::remove_copy_if(text.begin(), text.end(), std::back_inserter(compact), [](char c) { return c == ' '; });
    std::vector<PageSpan> spans;
    std::size_t start = 0;
    while (start < compact.size()) {
        const std::size_t comma = std::min(compact.find(',', start), compact.size());
        const std::string part = compact.substr(start, comma - start);
        const std::size_t dash = part.find('-');
        const std::int32_t first = ParsePageNumber(part.substr(0, dash));
        const std::int32_t last = dash == std::string::npos ? first : ParsePageNumber(part.substr(dash + 1));
        if (first < 0 || last < 0 || (first == 0 && last == 0))
            return std::nullopt;
        // An open end reaches the report's last page, whatever its number.
        spans.push_back({first == 0 ? 1 : first, last == 0 ? INT32_MAX : last});
        start = comma + 1;
        if (comma + 1 == compact.size())
            return std::nullopt;  // a trailing comma
    }
    return spans;
}

std::vector<std::int32_t> SelectPages(const TQRPageSelection& selection, std::int32_t firstPage, std::int32_t lastPage,
                                      std::int32_t pageTotal) {
    std::vector<PageSpan> spans = selection.List;
    if (spans.empty())
        spans.push_back({std::max<std::int32_t>(firstPage, 1), lastPage != 0 ? lastPage : pageTotal});
    std::vector<std::int32_t> pages;
    std::vector<bool> taken(static_cast<std::size_t>(std::max<std::int32_t>(pageTotal, 0)) + 1);
    const auto take = [&](std::int64_t page) {
        if (page < 1 || page > pageTotal || taken[static_cast<std::size_t>(page)])
            return;
        const bool odd = page % 2 == 1;
        if ((selection.Set == TQRPageSet::Odd && !odd) || (selection.Set == TQRPageSet::Even && odd))
            return;
        taken[static_cast<std::size_t>(page)] = true;
        pages.push_back(static_cast<std::int32_t>(page));
    };
    // Clipped before walking, so that a span up to INT32_MAX costs no more than the report.
    for (const PageSpan& span : spans) {
        const std::int64_t low = std::max<std::int64_t>(std::min(span.first, span.last), 1);
        const std::int64_t high = std::min<std::int64_t>(std::max(span.first, span.last), pageTotal);
        if (span.first <= span.last)
            for (std::int64_t page = low; page <= high; ++page)
                take(page);
        else
            for (std::int64_t page = high; page >= low; --page)
                take(page);
    }
    if (selection.Reverse)
        std::reverse(pages.begin(), pages.end());
    return pages;
}

}  // namespace qrp
