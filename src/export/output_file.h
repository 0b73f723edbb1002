// Creating a filter's output file.
#pragma once

#include <memory>
#include <string>

#include "report/file_stream.h"

namespace qrp::exporter {

// Creates fileName, or empties it, for reading and writing. Throws FileError "Cannot
// create file ..." naming the full path; an empty name names the current folder and fails.
std::unique_ptr<FileStream> CreateOutputFile(const std::string& fileName);

}  // namespace qrp::exporter
