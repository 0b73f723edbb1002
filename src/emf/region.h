// RGNDATA as EMF region records carry it: a header and a list of rectangles.
#pragma once

#include <cstddef>
#include <vector>

#include "record_reader.h"

namespace qrp::emf {

// The rectangles of the region data that starts at `at` and takes `size` bytes of the
// record. Throws RecordError when the rectangle count runs past either.
std::vector<RectL> ReadRegion(const Record& record, std::size_t at, std::size_t size);

}  // namespace qrp::emf
