#include "file_stream.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "base/errors.h"
#include "base/messages.h"
#include "file_identity.h"
#include "file_replacement.h"
#include "interrupt_cleanup.h"

namespace qrp {

namespace {
constexpr std::int64_t kMaxStreamSize = std::numeric_limits<std::int32_t>::max();
}

FileStream::FileStream(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}

std::unique_ptr<FileStream> FileStream::OpenRead(const std::string& path) {
    // Without O_NONBLOCK, opening a named pipe waits for a writer that may never come.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw FileError(messages::cannotOpenFile(FullPath(path), messages::systemReason(errno)));
    struct stat info {};
    const int error = ::fstat(fd, &info) != 0 ? errno : 0;
    if (error != 0 || !S_ISREG(info.st_mode) || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        const std::string reason = error != 0              ? messages::systemReason(error)
                                   : S_ISDIR(info.st_mode) ? messages::systemReason(EISDIR)
                                                           : messages::notARegularFile();
        throw FileError(messages::cannotOpenFile(FullPath(path), reason));
    }
    return std::unique_ptr<FileStream>(new FileStream(fd, path));
}

std::unique_ptr<FileStream> FileStream::Create(const std::string& path) {
    auto replacement = std::make_unique<FileReplacement>(path);
    std::unique_ptr<FileStream> stream(new FileStream(replacement->TakeTempDescriptor(), replacement->ShownPath()));
    stream->m_replacement = std::move(replacement);
    return stream;
}

namespace {

// A new file named from the pattern "<dir>/<prefix>XXXXXX<suffix>", mode 0600.
std::string UniqueName(const std::string& dir, const std::string& prefix, const std::string& suffix,
                       const std::string& shownPath, int& fd) {
    std::string pattern = dir;
    if (pattern.empty() || pattern.back() != '/')
        pattern += '/';
    pattern += prefix + "XXXXXX" + suffix;
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd = ::mkostemps(name.data(), static_cast<int>(suffix.size()), O_CLOEXEC);
    if (fd < 0) {
        throw FileError(
            messages::cannotCreateFile(shownPath.empty() ? pattern : shownPath, messages::systemReason(errno)));
    }
    return name.data();
}

}  // namespace

std::unique_ptr<FileStream> FileStream::CreateUnique(const std::string& dir, const std::string& prefix,
                                                     const std::string& shownPath) {
    int fd = -1;
    const std::string name = UniqueName(dir, prefix, {}, shownPath, fd);
    return std::unique_ptr<FileStream>(new FileStream(fd, name));
}

std::unique_ptr<FileStream> FileStream::CreateScratch(const std::string& dir, const std::string& prefix,
                                                      const std::string& suffix) {
    int fd = -1;
    const std::string name = UniqueName(dir, prefix, suffix, {}, fd);
    std::unique_ptr<FileStream> stream(new FileStream(fd, name));
    stream->m_scratch = std::make_unique<InterruptCleanup>(FullPath(name));
    return stream;
}

FileStream::~FileStream() {
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_scratch)
        ::unlink(m_path.c_str());
}

void FileStream::Close() {
    if (m_fd < 0)
        return;
    const int fd = std::exchange(m_fd, -1);
    try {
        if (m_replacement)
            m_replacement->Commit(fd);
        else if (::fsync(fd) != 0 && errno != EINVAL)
            throw StreamError(messages::streamWriteError());
    } catch (...) {
        ::close(fd);
        throw;
    }
    // A full disk or a quota may only show at close; the caller must not take the file as complete.
    if (::close(fd) != 0 && errno != EINTR)
        throw StreamError(messages::streamWriteError());
}

std::size_t FileStream::Read(void* buffer, std::size_t count) {
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(m_fd, out + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

std::size_t FileStream::Write(const void* buffer, std::size_t count) {
    // A pipe or a terminal has no position, and no size to keep within.
    const off_t position = ::lseek(m_fd, 0, SEEK_CUR);
    if (position < 0 ? errno != ESPIPE : position + static_cast<std::int64_t>(count) > kMaxStreamSize)
        return 0;
    const auto* in = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(m_fd, in + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

std::int64_t FileStream::Seek(std::int64_t offset, SeekOrigin origin) {
    const int whence = origin == SeekOrigin::Begin ? SEEK_SET : origin == SeekOrigin::Current ? SEEK_CUR : SEEK_END;
    off_t result = ::lseek(m_fd, static_cast<off_t>(offset), whence);
    if (result < 0)
        result = ::lseek(m_fd, 0, SEEK_SET);  // before the start: clamp as memory streams do
    return static_cast<std::int64_t>(result);
}

std::string FileStream::ContentPath() const {
    return m_replacement ? m_replacement->TempPath() : m_path;
}

void FileStream::Truncate(std::int64_t size) {
    // Shortening needs no space: it fails only on a read-only file, where nothing was written.
    if (::ftruncate(m_fd, static_cast<off_t>(size)) == 0)
        ::lseek(m_fd, 0, SEEK_END);
}

std::string TempDirectory() {
    const char* dir = std::getenv("TMPDIR");
    return dir && *dir ? std::string(dir) : std::string("/tmp");
}

}  // namespace qrp
