// Small EMF pictures and report files made in memory for the file store's tests.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "report/page_list.h"
#include "report/page_picture.h"

namespace qrp::test {

using Bytes = std::vector<std::uint8_t>;

// A valid EMF: a 108-byte header record for an A4 page at 96 dpi, `fillerRecords`
// comment records of varied content seeded by `seed`, and EOF.
Bytes MakeEmf(int fillerRecords, std::uint32_t seed);

// The bytes of a whole report holding the given pages, as the page list writes them.
Bytes MakeReport(const std::vector<Bytes>& pages, bool packed);

// Pages 1..count, each different.
std::vector<Bytes> MakePages(int count);

}  // namespace qrp::test
