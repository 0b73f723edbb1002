// The byte store under a report document's pages: memory until the data grows past a
// limit, then once moved into a private temporary file; or a read-only view of an
// existing report file. Every single operation is serialized by the stream's own
// recursive lock; callers that need a sequence of calls to be atomic take their own
// lock first (lock order: page list, then page stream).
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <sys/stat.h>

#include "file_stream.h"
#include "memory_stream.h"
#include "stream.h"

namespace qrp {

class TQRStream : public Stream {
  public:
    // Prefix of the temporary file a recording moves to.
    static constexpr const char* kTempPrefix = "QRP";
    // Size of the blocks CopyToStream moves.
    static constexpr std::size_t kCopyBlockSize = 10240;

    // An empty stream in memory that moves to a temporary file once its size is strictly
    // greater than spillLimit.
    explicit TQRStream(std::int32_t spillLimit);
    // A read-only stream over an existing file, which is never deleted. Throws FileError
    // "Cannot open file ...".
    static std::unique_ptr<TQRStream> OpenExisting(const std::string& fileName);

    // Deletes the temporary file, if this stream made one.
    ~TQRStream() override;
    TQRStream(const TQRStream&) = delete;
    TQRStream& operator=(const TQRStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    // May move the data to a temporary file; if that fails the data stays in memory,
    // complete, and FileError "Cannot create file ..." is thrown. A later write retries.
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;

    // Cuts the data back to size bytes (a record that failed half-way); the position is
    // then at the end.
    void Truncate(std::int64_t size);
    // For a stream over an existing report: throws ReportChangedError when the file has
    // been rewritten since it was opened (another size, modification time or file under
    // its name). Nothing for a recording.
    void CheckUnchanged();

    // Copies the whole stream, offset 0 to its end, in kCopyBlockSize blocks; afterwards
    // this stream's position is at its end. Throws StreamError when dest takes fewer
    // bytes than offered, so a truncated copy never passes for a complete one, and
    // ReportChangedError (CheckUnchanged) when the file was rewritten before or during it.
    void CopyToStream(Stream& dest);

    void AcquireStream() { m_lock.lock(); }
    void ReleaseStream() { m_lock.unlock(); }

    bool Resident() const { return FResident; }
    const std::string& TempPath() const { return FTempPath; }
    std::int32_t SpillLimit() const { return FSpillLimit; }
    // The file this stream reads or writes once it is not resident, else empty.
    std::string FilePath() const { return DiskStore ? DiskStore->Path() : std::string(); }
    // The open descriptor of that file, or -1 while resident.
    int FileDescriptor() const { return DiskStore ? DiskStore->Descriptor() : -1; }

  private:
    TQRStream(std::unique_ptr<FileStream> existing);
    void MoveToTempFile();
    Stream& Live();

    std::recursive_mutex m_lock;
    std::unique_ptr<MemoryStream> MemStore;
    std::string FTempPath;
    std::unique_ptr<FileStream> DiskStore;
    bool FResident = true;
    std::int32_t FSpillLimit = 0;
    // What an existing report file was like when it was opened.
    struct stat FOpened {};
    std::string FOpenedPath;
};

}  // namespace qrp
