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
// even ones, then reversed when asked. Held as runs of evenly spaced pages, so that a
// report claiming two billion pages costs no more than its list's text.
class TQRPrintOrder {
  public:
    TQRPrintOrder(const TQRPageSelection& selection, std::int32_t firstPage, std::int32_t lastPage,
                  std::int32_t pageTotal);
    std::int64_t Count() const { return m_count; }
    // The page at index 0..Count()-1.
    std::int32_t PageAt(std::int64_t index) const;

  private:
    struct Run {
        std::int64_t first;
        std::int64_t step;  // -2, -1, 1 or 2
        std::int64_t count;
        std::int64_t start;  // index of its first page in the order
    };
    void AddPiece(std::int64_t from, std::int64_t to, TQRPageSet set);

    std::vector<Run> m_runs;
    std::int64_t m_count = 0;
};

}  // namespace qrp
