#include "file_replacement.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "base/errors.h"
#include "base/messages.h"
#include "file_identity.h"
#include "file_stream.h"

namespace qrp {

namespace {

namespace fs = std::filesystem;

// Short and fixed, so that the temporary name fits the name limit beside any target.
constexpr const char* kTempPrefix = ".qrp-save-";
constexpr int kMaxLinks = 40;
constexpr std::size_t kCopyBlock = 1 << 16;

// The file a name leads to through symbolic links (it may not exist yet); empty for a
// loop of links.
std::string FollowLinks(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0)
            return current;
        target.resize(static_cast<std::size_t>(length));
        const fs::path next(target);
        current = next.is_absolute() ? target : (fs::path(current).parent_path() / next).string();
    }
    return {};
}

std::string FolderOf(const std::string& path) {
    const fs::path folder = fs::path(path).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

// The mask is read from the kernel's account of the process, and once: umask() reads it
// only by setting it, so files and folders that other threads create meanwhile would get
// the wrong mode, and two threads doing so at once could leave the mask at 0 for good.
mode_t NewFileMode() {
    static const mode_t mode = [] {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);) {
            if (line.starts_with("Umask:"))
                return static_cast<mode_t>(0666 & ~std::stoul(line.substr(6), nullptr, 8));
        }
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return static_cast<mode_t>(0666 & ~mask);
    }();
    return mode;
}

bool WriteAll(int fd, const char* data, std::size_t count) {
    while (count > 0) {
        const ssize_t n = ::write(fd, data, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        data += n;
        count -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

FileReplacement::FileReplacement(const std::string& fileName) : m_shownPath(FullPath(fileName)) {
    m_target = FollowLinks(fileName);
    if (m_target.empty())
        Fail(ELOOP);
    struct stat info {};
    const bool exists = ::stat(m_target.c_str(), &info) == 0;
    if (exists) {
        if (S_ISDIR(info.st_mode))
            Fail(EISDIR);
        if (!S_ISREG(info.st_mode)) {
            // A device or a pipe has no old content to keep: it is written straight.
            m_tempFd = ::open(m_target.c_str(), O_WRONLY | O_CLOEXEC);
            if (m_tempFd < 0)
                Fail(errno);
            m_direct = true;
            return;
        }
        // Opening it, not asking about it, is what tells whether this user may write it.
        m_targetFd = ::open(m_target.c_str(), O_WRONLY | O_CLOEXEC);
        if (m_targetFd < 0)
            Fail(errno);
        m_rename = info.st_nlink == 1 && info.st_uid == ::geteuid();
    }
    try {
        if (!MakeTemp(FolderOf(m_target))) {
            // A folder the user may not change: the existing file can still be written.
            if (!exists)
                Fail(errno);
            m_rename = false;
            if (!MakeTemp(TempDirectory()))
                Fail(errno);
        }
        if (m_rename && ::fchmod(m_tempFd, exists ? info.st_mode & 07777 : NewFileMode()) != 0)
            m_rename = false;
        if (m_rename && exists && info.st_gid != ::getegid() &&
            ::fchown(m_tempFd, static_cast<uid_t>(-1), info.st_gid) != 0)
            m_rename = false;
    } catch (...) {
        Release();
        throw;
    }
}

FileReplacement::~FileReplacement() {
    Release();
}

void FileReplacement::Release() {
    if (m_tempFd >= 0)
        ::close(m_tempFd);
    if (m_targetFd >= 0)
        ::close(m_targetFd);
    if (!m_tempPath.empty())
        ::unlink(m_tempPath.c_str());
    m_tempFd = m_targetFd = -1;
    m_tempPath.clear();
}

void FileReplacement::Fail(int error) const {
    throw FileError(messages::cannotCreateFile(m_shownPath, messages::systemReason(error)));
}

bool FileReplacement::MakeTemp(const std::string& folder) {
    std::string name = folder + "/" + kTempPrefix + "XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    m_tempFd = fd;
    m_tempPath = name;
    return true;
}

void FileReplacement::Commit(int tempFd) {
    if (::fsync(tempFd) != 0 && errno != EINVAL)
        Fail(errno);
    if (m_direct)
        return;
    if (!m_rename) {
        CopyIntoTarget(tempFd);
        return;
    }
    if (::rename(m_tempPath.c_str(), m_target.c_str()) != 0)
        Fail(errno);
    m_tempPath.clear();
}

void FileReplacement::CopyIntoTarget(int tempFd) {
    struct stat info {};
    if (::fstat(tempFd, &info) != 0)
        Fail(errno);
    // Reserving the space first finds a full disk before the old content is touched.
    if (info.st_size > 0 && ::fallocate(m_targetFd, 0, 0, info.st_size) != 0 && errno != EOPNOTSUPP)
        Fail(errno);
    std::vector<char> block(kCopyBlock);
    off_t at = 0;
    for (;;) {
        const ssize_t n = ::pread(tempFd, block.data(), block.size(), at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            Fail(errno);
        if (n == 0)
            break;
        if (::lseek(m_targetFd, at, SEEK_SET) < 0 || !WriteAll(m_targetFd, block.data(), static_cast<std::size_t>(n)))
            Fail(errno);
        at += n;
    }
    if (::ftruncate(m_targetFd, info.st_size) != 0 || (::fsync(m_targetFd) != 0 && errno != EINVAL))
        Fail(errno);
}

}  // namespace qrp
