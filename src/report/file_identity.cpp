#include "file_identity.h"

#include <filesystem>
#include <sys/stat.h>
#include <system_error>

#include "base/errors.h"
#include "base/messages.h"

namespace qrp {

namespace {
FileIdentity IdentityOf(const struct stat& info) {
    return {info.st_dev, info.st_ino};
}
}  // namespace

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return IdentityOf(info);
}

std::optional<FileIdentity> IdentityOfDescriptor(int fd) {
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0)
        return std::nullopt;
    return IdentityOf(info);
}

void RefuseOutputOnto(const std::string& output, const std::optional<FileIdentity>& input) {
    if (input && IdentityOfPath(output) == input)
        throw FileError(messages::cannotCreateFile(FullPath(output), messages::fileIsOpenReport()));
}

std::string FullPath(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path full = path.empty() ? fs::current_path(error) / "" : fs::absolute(path, error);
    return error ? path : full.lexically_normal().string();
}

}  // namespace qrp
