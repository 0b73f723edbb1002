// A stream over a POSIX file descriptor that it owns and closes.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "stream.h"

namespace qrp {

class FileReplacement;
class InterruptCleanup;

class FileStream : public Stream {
  public:
    // Opens an existing regular file read-only, without waiting on a pipe or a device.
    // Throws FileError "Cannot open file "<full path>". <reason>".
    static std::unique_ptr<FileStream> OpenRead(const std::string& path);
    // A new content for a file, written to a temporary file that Close puts in place
    // (file_replacement.h); destroyed without Close, it leaves the file as it was. Throws
    // FileError "Cannot create file "<full path>". <reason>" for a file this user may not write.
    static std::unique_ptr<FileStream> Create(const std::string& path);
    // Creates a new, unique file "<dir>/<prefix>XXXXXX" with mode 0600. Throws FileError
    // "Cannot create file ..." naming shownPath, or the pattern when shownPath is empty.
    static std::unique_ptr<FileStream> CreateUnique(const std::string& dir, const std::string& prefix,
                                                    const std::string& shownPath = {});

    // A private file (mode 0600) "<dir>/<prefix>XXXXXX<suffix>" for a program that reads it
    // by name, such as a spooler: removed when the stream is destroyed, and by SIGINT,
    // SIGTERM or SIGHUP before. Throws FileError as CreateUnique.
    static std::unique_ptr<FileStream> CreateScratch(const std::string& dir, const std::string& prefix,
                                                     const std::string& suffix);

    ~FileStream() override;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;

    // Cuts the file to size bytes and moves to its end.
    void Truncate(std::int64_t size);

    const std::string& Path() const { return m_path; }
    // Where the bytes are: the temporary file of a Create until Close, else Path().
    std::string ContentPath() const;
    int Descriptor() const { return m_fd; }
    // Flushes to disk, puts a created file's content in place, and closes. Throws
    // StreamError or FileError when the data could not be stored.
    void Close();

  private:
    FileStream(int fd, std::string path);

    int m_fd;
    std::string m_path;
    std::unique_ptr<FileReplacement> m_replacement;  // only for Create
    std::unique_ptr<InterruptCleanup> m_scratch;     // only for CreateScratch
};

// The user's temporary directory: $TMPDIR when set and not empty, else /tmp.
std::string TempDirectory();

}  // namespace qrp
