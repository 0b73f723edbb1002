// Report files for the document and printing tests: pages of a chosen paper size, each
// tagged with its page number in the left edge of its EMF bounds (the fake printer logs it).
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace qrp::test {

// An EMF page whose frame is widthMm x lengthMm, recorded against a 96 dpi reference
// device (960 x 960 pixels on 254 x 254 mm).
std::vector<std::uint8_t> MakeTaggedPage(int tag, double widthMm, double lengthMm);

// A report file of `pages` pages of one size, written through the page list.
void WriteReportFile(const std::filesystem::path& path, int pages, double widthMm = 210, double lengthMm = 297);

}  // namespace qrp::test
