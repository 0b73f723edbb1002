#include "page_stream.h"

#include <cerrno>
#include <unistd.h>
#include <vector>

#include "base/errors.h"
#include "base/messages.h"
#include "file_identity.h"

namespace qrp {

TQRStream::TQRStream(std::int32_t spillLimit) : MemStore(std::make_unique<MemoryStream>()), FSpillLimit(spillLimit) {}

TQRStream::TQRStream(std::unique_ptr<FileStream> existing)
    : DiskStore(std::move(existing)), FResident(false), FOpenedPath(FullPath(DiskStore->Path())) {
    ::fstat(DiskStore->Descriptor(), &FOpened);
}

std::unique_ptr<TQRStream> TQRStream::OpenExisting(const std::string& fileName) {
    return std::unique_ptr<TQRStream>(new TQRStream(FileStream::OpenRead(fileName)));
}

TQRStream::~TQRStream() {
    std::lock_guard guard(m_lock);
    DiskStore.reset();
    if (!FTempPath.empty())
        ::unlink(FTempPath.c_str());
}

Stream& TQRStream::Live() {
    if (FResident)
        return *MemStore;
    return *DiskStore;
}

std::size_t TQRStream::Read(void* buffer, std::size_t count) {
    std::lock_guard guard(m_lock);
    return Live().Read(buffer, count);
}

std::int64_t TQRStream::Seek(std::int64_t offset, SeekOrigin origin) {
    std::lock_guard guard(m_lock);
    return Live().Seek(offset, origin);
}

std::size_t TQRStream::Write(const void* buffer, std::size_t count) {
    std::lock_guard guard(m_lock);
    if (!FResident) {
        // A stream over an existing report is read-only: it stores nothing.
        if (FTempPath.empty())
            return 0;
        return DiskStore->Write(buffer, count);
    }
    const std::size_t written = MemStore->Write(buffer, count);
    if (static_cast<std::int64_t>(MemStore->Data().size()) > static_cast<std::int64_t>(FSpillLimit))
        MoveToTempFile();
    return written;
}

void TQRStream::MoveToTempFile() {
    const std::int64_t position = MemStore->Position();
    auto file = FileStream::CreateUnique(TempDirectory(), kTempPrefix);
    const std::vector<std::uint8_t>& data = MemStore->Data();
    errno = 0;
    if (file->Write(data.data(), data.size()) != data.size()) {
        const int error = errno != 0 ? errno : ENOSPC;
        const std::string path = file->Path();
        file.reset();
        ::unlink(path.c_str());
        throw FileError(messages::cannotCreateFile(path, messages::systemReason(error)));
    }
    file->Seek(position, SeekOrigin::Begin);
    FTempPath = file->Path();
    DiskStore = std::move(file);
    MemStore.reset();
    FResident = false;
}

void TQRStream::Truncate(std::int64_t size) {
    std::lock_guard guard(m_lock);
    if (FResident)
        MemStore->Truncate(size);
    else
        DiskStore->Truncate(size);
}

void TQRStream::CheckUnchanged() {
    std::lock_guard guard(m_lock);
    if (FResident || !FTempPath.empty())
        return;
    struct stat now {};
    struct stat named {};
    const bool same = ::fstat(DiskStore->Descriptor(), &now) == 0 && now.st_size == FOpened.st_size &&
                      now.st_mtim.tv_sec == FOpened.st_mtim.tv_sec && now.st_mtim.tv_nsec == FOpened.st_mtim.tv_nsec &&
                      ::stat(FOpenedPath.c_str(), &named) == 0 && named.st_dev == FOpened.st_dev &&
                      named.st_ino == FOpened.st_ino;
    if (!same)
        throw ReportChangedError(messages::reportChangedOnDisk(FOpenedPath));
}

void TQRStream::CopyToStream(Stream& dest) {
    std::lock_guard guard(m_lock);
    CheckUnchanged();
    Seek(0, SeekOrigin::Begin);
    std::vector<std::uint8_t> block(kCopyBlockSize);
    for (;;) {
        const std::size_t n = Read(block.data(), block.size());
        if (n == 0)
            break;
        dest.WriteBuffer(block.data(), n);
    }
    // A copy of a file that was rewritten meanwhile may hold parts of two reports.
    CheckUnchanged();
}

}  // namespace qrp
