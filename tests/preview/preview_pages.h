// Report files for the preview's tests and benchmarks: A4 portrait pages recorded at 96
// pixels per inch (794 x 1123 pixels), written through the page list.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

#include <QColor>

namespace qrp::test {

using PageBytes = std::vector<std::uint8_t>;

inline constexpr int kPageWidthPx = 794;
inline constexpr int kPageHeightPx = 1123;

// A page with one solid block of BlockColour(n) over page pixels (200, 300)-(600, 800).
PageBytes BlockPage(int n);
QColor BlockColour(int n);

// A text-heavy page: a title, 50 rows of 5 columns of text and a rule under every row.
PageBytes TextPage(int n);

// Writes a report of `count` pages, page n being makePage(n).
void WriteReport(const std::filesystem::path& path, int count, const std::function<PageBytes(int)>& makePage);

}  // namespace qrp::test
