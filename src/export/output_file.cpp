#include "output_file.h"

namespace qrp::exporter {

std::unique_ptr<FileStream> CreateOutputFile(const std::string& fileName) {
    return FileStream::Create(fileName);
}

}  // namespace qrp::exporter
