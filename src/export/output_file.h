// Creating a filter's output file.
#pragma once

#include <memory>
#include <string>

#include "report/file_stream.h"

namespace qrp::exporter {

// The new content of fileName, for reading and writing; its Close puts it in place, and
// an export that fails before leaves the old file as it was (FileStream::Create). Throws
// FileError "Cannot create file ..." naming the full path; an empty name names the
// current folder and fails.
std::unique_ptr<FileStream> CreateOutputFile(const std::string& fileName);

}  // namespace qrp::exporter
