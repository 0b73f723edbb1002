// Which report pages a print job carries, beyond the From-To range: a page list such as
// "1-3,7", only the odd or even pages, and the reverse order. They select report pages,
// never sheets, so that pages per sheet later put the selected pages together.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qrp {

enum class TQRPageSet : std::uint8_t { All, Odd, Even };

// One part of a page list: first..last, in that direction.
struct PageSpan {
    std::int32_t first = 1;
    std::int32_t last = 1;
    bool operator==(const PageSpan&) const = default;
};

// "3", "2-5", "7-" (to the last page), "-4" (from the first), "5-2" (downwards), joined by
// commas; spaces are ignored. None for text that is not such a list; an empty text is an
// empty list.
std::optional<std::vector<PageSpan>> ParsePageList(const std::string& text);

struct TQRPageSelection {
    std::vector<PageSpan> List;  // empty: the From-To range
    TQRPageSet Set = TQRPageSet::All;
    bool Reverse = false;

    // Whether the job is the plain From-To range.
    bool IsRange() const { return List.empty() && Set == TQRPageSet::All && !Reverse; }
};

// The pages to print, in print order and each once: the list (or else the From-To range,
// 0 meaning the report's first or last page), clipped to 1..pageTotal, then the odd or
// even ones, then reversed when asked.
std::vector<std::int32_t> SelectPages(const TQRPageSelection& selection, std::int32_t firstPage, std::int32_t lastPage,
                                      std::int32_t pageTotal);

}  // namespace qrp
