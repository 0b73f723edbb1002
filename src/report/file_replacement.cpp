#include "file_replacement.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

#include "base/errors.h"
#include "base/messages.h"
#include "file_identity.h"
#include "file_stream.h"
#include "interrupt_cleanup.h"

namespace qrp {

namespace {

namespace fs = std::filesystem;

// Short and fixed, so that the temporary name fits the name limit beside any target.
constexpr const char* kTempPrefix = ".qrp-save-";
constexpr int kMaxLinks = 40;
constexpr int kNameAttempts = 100;
constexpr std::size_t kCopyBlock = 1 << 16;
constexpr mode_t kUsualUmask = 022;

std::string FolderOf(const std::string& path) {
    const fs::path folder = fs::path(path).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

// The kernel's rule for links in shared folders, applied whatever the system's setting: in
// a sticky folder that everyone may write, only a link of the folder's owner or of the
// writer is followed.
bool MayFollow(const std::string& link, const struct stat& info) {
    struct stat folder {};
    if (::stat(FolderOf(link).c_str(), &folder) != 0)
        return true;
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return !shared || info.st_uid == folder.st_uid || info.st_uid == ::geteuid();
}

// The file a name leads to through symbolic links (it may not exist yet); empty with
// error set for a loop of links or a link that must not be followed.
std::string FollowLinks(const std::string& path, int& error) {
    std::string current = path;
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        if (!MayFollow(current, info)) {
            error = EACCES;
            return {};
        }
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0)
            return current;
        target.resize(static_cast<std::size_t>(length));
        const fs::path next(target);
        current = next.is_absolute() ? target : (fs::path(current).parent_path() / next).string();
    }
    error = ELOOP;
    return {};
}

// The mode a new file gets, read rather than set: changing the umask to read it would
// change it for every thread of the process meanwhile.
mode_t NewFileMode() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        unsigned mask = 0;
        if (std::sscanf(line.c_str(), "Umask: %o", &mask) == 1)
            return 0666 & ~static_cast<mode_t>(mask);
    }
    return 0666 & ~kUsualUmask;
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

std::string RandomSuffix() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    unsigned char bytes[6] = {};
    if (::getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes))
        return std::to_string(::getpid());
    std::string suffix;
    for (const unsigned char byte : bytes)
        suffix += kLetters[byte % (sizeof kLetters - 1)];
    return suffix;
}

// Syncing the folder makes the rename itself durable, not only the content.
int SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return 0;  // a folder the writer may not read cannot be synced by it
    const int error = ::fsync(fd) != 0 && errno != EINVAL ? errno : 0;
    ::close(fd);
    return error;
}

}  // namespace

FileReplacement::FileReplacement(const std::string& fileName)
    : m_shownPath(fileName == "-" ? fileName : FullPath(fileName)) {
    if (fileName == "-") {
        m_tempFd = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
        if (m_tempFd < 0)
            Fail(errno);
        m_direct = true;
        return;
    }
    int error = 0;
    m_target = FollowLinks(fileName, error);
    if (m_target.empty())
        Fail(error);
    // The kernel's view of the name: links under /proc (/dev/stdout) lead to pipes and
    // descriptors that no name given by hand reaches.
    struct stat info {};
    const bool exists = ::stat(fileName.c_str(), &info) == 0;
    if (exists) {
        if (S_ISDIR(info.st_mode))
            Fail(EISDIR);
        if (!S_ISREG(info.st_mode)) {
            // A device or a pipe has no old content to keep: it is written straight.
            m_tempFd = ::open(fileName.c_str(), O_WRONLY | O_CLOEXEC);
            if (m_tempFd < 0)
                Fail(errno);
            m_direct = true;
            return;
        }
        // Opening it, not asking about it, is what tells whether this user may write it.
        m_targetFd = ::open(fileName.c_str(), O_WRONLY | O_CLOEXEC);
        if (m_targetFd < 0)
            Fail(errno);
        struct stat reached {};
        m_rename = info.st_nlink == 1 && ::stat(m_target.c_str(), &reached) == 0 && reached.st_dev == info.st_dev &&
                   reached.st_ino == info.st_ino;
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
        if (!exists && ::fchmod(m_tempFd, NewFileMode()) != 0)
            Fail(errno);
        if (m_rename && exists)
            m_rename = TakeOnAttributes(m_targetFd);
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
    m_cleanup.reset();
    m_tempFd = m_targetFd = -1;
    m_tempPath.clear();
}

void FileReplacement::Fail(int error) const {
    throw FileError(messages::cannotCreateFile(m_shownPath, messages::systemReason(error)));
}

bool FileReplacement::MakeTemp(const std::string& folder) {
    // Nameless until complete: nothing to leave behind, whatever ends the process.
    const int unnamed = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (unnamed >= 0) {
        m_tempFd = unnamed;
        m_unnamed = true;
        m_contentPath = "/proc/self/fd/" + std::to_string(unnamed);
        return true;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        return false;
    std::string name = folder + "/" + kTempPrefix + "XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    m_cleanup = std::make_unique<InterruptCleanup>(FullPath(name));
    m_tempFd = fd;
    m_tempPath = m_contentPath = name;
    return true;
}

bool FileReplacement::TakeOnAttributes(int targetFd) {
    struct stat target {
    }, temp{};
    if (::fstat(targetFd, &target) != 0 || ::fstat(m_tempFd, &temp) != 0)
        return false;
    // The temporary file's own group, not the writer's: a setgid folder gives its own.
    // Changing the owner clears the set-id bits, so the mode comes after.
    if ((target.st_uid != temp.st_uid || target.st_gid != temp.st_gid) &&
        ::fchown(m_tempFd, target.st_uid, target.st_gid) != 0)
        return false;
    if (::fchmod(m_tempFd, target.st_mode & 07777) != 0)
        return false;
    // Extended attributes hold the ACLs too: a file that denied someone must go on doing so.
    ssize_t size = ::flistxattr(targetFd, nullptr, 0);
    if (size < 0)
        return errno == ENOTSUP;
    std::string names(static_cast<std::size_t>(size), '\0');
    size = ::flistxattr(targetFd, names.data(), names.size());
    if (size < 0)
        return false;
    names.resize(static_cast<std::size_t>(size));
    std::vector<char> value;
    for (std::size_t at = 0; at < names.size(); at = names.find('\0', at) + 1) {
        const char* name = names.c_str() + at;
        const ssize_t length = ::fgetxattr(targetFd, name, nullptr, 0);
        if (length < 0)
            return false;
        value.resize(static_cast<std::size_t>(length));
        if (::fgetxattr(targetFd, name, value.data(), value.size()) != length ||
            ::fsetxattr(m_tempFd, name, value.data(), value.size(), 0) != 0)
            return false;
    }
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
    if (m_unnamed)
        LinkTemp(tempFd);
    if (::rename(m_tempPath.c_str(), m_target.c_str()) != 0)
        Fail(errno);
    m_tempPath.clear();
    m_cleanup.reset();
    if (const int error = SyncFolder(FolderOf(m_target)))
        Fail(error);
}

void FileReplacement::LinkTemp(int tempFd) {
    const std::string content = "/proc/self/fd/" + std::to_string(tempFd);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string name = FolderOf(m_target) + "/" + kTempPrefix + RandomSuffix();
        // Held before it exists, so that no interrupt falls between the link and the hold.
        m_cleanup = std::make_unique<InterruptCleanup>(FullPath(name));
        if (::linkat(AT_FDCWD, content.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            m_tempPath = name;
            m_unnamed = false;
            return;
        }
        m_cleanup.reset();
        if (errno != EEXIST)
            Fail(errno);
    }
    Fail(EEXIST);
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
