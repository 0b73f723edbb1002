// A two-page report with known text, recorded as EMF pages against a 96 dpi screen (so
// 96 page pixels are 254 tenths of a millimetre), for the page text driver's tests and the
// export command's. Golden outputs of it are in tests/data/golden/export/sales_report.*.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace qrp::test {

// Page 1: a centred bold title, column headings and three rows (names left-aligned,
// amounts right-aligned with advances), a baseline-aligned grey footer. Page 2: a
// bottom-aligned red total, "Café" and a Traditional Chinese line. A4: 794 x 1123 pixels.
std::vector<std::vector<std::uint8_t>> SalesReportPages();

// Writes pages as a report file through the page list.
void WriteReport(const std::filesystem::path& path, const std::vector<std::vector<std::uint8_t>>& pages);

}  // namespace qrp::test
