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

// Pages from..to in the direction they are given, keeping those of the set.
void TQRPrintOrder::AddPiece(std::int64_t from, std::int64_t to, TQRPageSet set) {
    const std::int64_t direction = from <= to ? 1 : -1;
    if (set != TQRPageSet::All && (from % 2 == 1) != (set == TQRPageSet::Odd))
        from += direction;
    if ((to - from) * direction < 0)
        return;
    const std::int64_t step = set == TQRPageSet::All ? direction : 2 * direction;
    const std::int64_t count = (to - from) / step + 1;
    m_runs.push_back({from, step, count, m_count});
    m_count += count;
}

TQRPrintOrder::TQRPrintOrder(const TQRPageSelection& selection, std::int32_t firstPage, std::int32_t lastPage,
                             std::int32_t pageTotal) {
    std::vector<PageSpan> spans = selection.List;
    if (spans.empty())
        spans.push_back({std::max<std::int32_t>(firstPage, 1), lastPage != 0 ? lastPage : pageTotal});
    // Pages already taken, as sorted disjoint [low, high] intervals: a page listed again is
    // left out, so each span adds only the gaps between them.
    std::vector<std::pair<std::int64_t, std::int64_t>> taken;
    for (const PageSpan& span : spans) {
        const std::int64_t low = std::max<std::int64_t>(std::min(span.first, span.last), 1);
        const std::int64_t high = std::min<std::int64_t>(std::max(span.first, span.last), pageTotal);
        if (low > high)
            continue;
        std::vector<std::pair<std::int64_t, std::int64_t>> gaps;
        std::int64_t next = low;
        for (const auto& [takenLow, takenHigh] : taken) {
            if (takenHigh < next || takenLow > high)
                continue;
            if (takenLow > next)
                gaps.emplace_back(next, takenLow - 1);
            next = takenHigh + 1;
        }
        if (next <= high)
            gaps.emplace_back(next, high);
        if (span.first <= span.last)
            for (const auto& [from, to] : gaps)
                AddPiece(from, to, selection.Set);
        else
            for (auto gap = gaps.rbegin(); gap != gaps.rend(); ++gap)
                AddPiece(gap->second, gap->first, selection.Set);
        taken.emplace_back(low, high);
        std::sort(taken.begin(), taken.end());
        std::vector<std::pair<std::int64_t, std::int64_t>> merged;
        for (const auto& interval : taken) {
            if (!merged.empty() && interval.first <= merged.back().second + 1)
                merged.back().second = std::max(merged.back().second, interval.second);
            else
                merged.push_back(interval);
        }
        taken = std::move(merged);
    }
    if (selection.Reverse) {
        std::reverse(m_runs.begin(), m_runs.end());
        std::int64_t start = 0;
        for (Run& run : m_runs) {
            run.first += run.step * (run.count - 1);
            run.step = -run.step;
            run.start = start;
            start += run.count;
        }
    }
}

std::int32_t TQRPrintOrder::PageAt(std::int64_t index) const {
    const auto run = std::upper_bound(m_runs.begin(), m_runs.end(), index,
                                      [](std::int64_t at, const Run& each) { return at < each.start; }) -
                     1;
    return static_cast<std::int32_t>(run->first + run->step * (index - run->start));
}

}  // namespace qrp
