// A stream over a POSIX file descriptor that it owns and closes.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "stream.h"

namespace qrp {

class FileStream : public Stream {
  public:
    // Opens an existing file read-only; throws FileError "Cannot open file ...".
    static std::unique_ptr<FileStream> OpenRead(const std::string& path);
    // Creates or truncates a file for reading and writing; throws FileError "Cannot create file ...".
    static std::unique_ptr<FileStream> Create(const std::string& path);
    // Creates a new, unique file "<dir>/<prefix>XXXXXX" with mode 0600. Throws FileError
    // "Cannot create file ..." naming shownPath, or the pattern when shownPath is empty.
    static std::unique_ptr<FileStream> CreateUnique(const std::string& dir, const std::string& prefix,
                                                    const std::string& shownPath = {});

    ~FileStream() override;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;

    const std::string& Path() const { return m_path; }
    int Descriptor() const { return m_fd; }
    // Flushes to disk and closes; throws StreamError when the data could not be stored.
    void Close();

  private:
    FileStream(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}

    int m_fd;
    std::string m_path;
};

// The user's temporary directory: $TMPDIR when set and not empty, else /tmp.
std::string TempDirectory();

}  // namespace qrp
