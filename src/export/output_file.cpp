#include "output_file.h"

#include <filesystem>
#include <system_error>

namespace qrp::exporter {

namespace {

std::string ExpandFileName(const std::string& fileName) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path full = fileName.empty() ? fs::current_path(error) / "" : fs::absolute(fileName, error);
    return error ? fileName : full.lexically_normal().string();
}

}  // namespace

std::unique_ptr<FileStream> CreateOutputFile(const std::string& fileName) {
    return FileStream::Create(ExpandFileName(fileName));
}

}  // namespace qrp::exporter
