// The page list: appends page records to a report stream, rewrites its header, finds a
// page by walking the chain of records and turns a record back into a page picture.
// Layout in qrp_format.h.
//
// Reading is on demand, and every record offset a walk has seen is remembered, so once a
// page has been reached it is reached again with one seek. Walks trust nothing: every
// offset and page number is checked against the stream, and a chain that does not lead
// to the page raises EQRError naming it.
//
// What touches the count, the stream or the known offsets takes the list lock: a host may
// show a report while a run on another thread still records it. Lock order: the list lock, then the page stream's lock.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "page_picture.h"
#include "page_stream.h"
#include "qrp_format.h"

namespace qrp {

class TQRPageList {
  public:
    TQRPageList() = default;
    ~TQRPageList() = default;
    TQRPageList(const TQRPageList&) = delete;
    TQRPageList& operator=(const TQRPageList&) = delete;

    // FPageTotal := 0 and forget known offsets; the stream is left to its owner.
    void Clear();
    void AcquireList() { m_lock.lock(); }
    void ReleaseList() { m_lock.unlock(); }

    // Appends one page record (the picture stays the caller's); writes the header at the
    // first page. If the page stream fails to move to its temporary file the record is
    // still complete in memory and counted, and the FileError reaches the caller; any other
    // failure leaves the stream and the count as they were before the call.
    void AppendPage(const PagePicture& picture);
    // Rewrites the header with the final page count.
    void Finish();
    // A new picture of page n, or none when n > PageTotal or no stream is attached.
    // Throws EQRError for n < 1 and for a damaged file; the list stays usable afterwards.
    // Throws ReportChangedError once the report file was rewritten by another program.
    std::unique_ptr<PagePicture> FetchPage(std::int32_t n);

    // Opens a report file read-only as the page stream and reads its header, taking the
    // compression flag from it. On failure no stream is attached and PageTotal is kept.
    // A header whose page count the file cannot hold is EQRError naming the count.
    void OpenReport(const std::string& fileName);
    // Writes the whole stream to fileName, which gets it only when complete
    // (FileStream::Create). Refuses the file the stream is reading.
    void SaveCopy(const std::string& fileName);
    // Throws FileError "Cannot create file ..." when fileName reaches the file the stream
    // reads (a loaded report, or a recording's temporary file); callers check every
    // output path with it before they write anything.
    void RefuseAsOutput(const std::string& fileName) const;

    void GoFirst();
    void GoLast();
    void GoToPage(std::int32_t n);

    void ReadHeader();
    void WriteFileHeader();
    // 124 for the legacy layout, else 128; restores the stream position. Throws
    // StreamError "Stream read error" on a stream too short to probe.
    static int ProbeHeaderSize(Stream& stream);

    bool Compression() const {
        const std::lock_guard lock(m_lock);
        return FPacked;
    }
    void SetCompression(bool packed) {
        const std::lock_guard lock(m_lock);
        FPacked = packed;
    }
    std::int32_t PageTotal() const {
        const std::lock_guard lock(m_lock);
        return FPageTotal;
    }
    TQRStream* Stream() const { return FPageStore.get(); }
    // Attaches a stream (a fresh recording stream or any report bytes) and forgets what
    // was known of the previous one, which is returned.
    std::unique_ptr<TQRStream> AttachStream(std::unique_ptr<TQRStream> stream);
    std::unique_ptr<TQRStream> DetachStream() { return AttachStream(nullptr); }

    // What the last ReadHeader found.
    int HeaderSize() const { return FHeaderSize; }
    const TReportHeaderRec& Header() const { return FHeader; }

  private:
    struct RecordHead {
        std::int32_t pageNumber;
        std::int32_t next;
    };

    TQRStream& RequireStream();
    RecordHead ReadRecordHead(std::int32_t offset, std::int32_t wanted, std::int64_t size);
    // Reads the record at offset, which must hold page `page`, and remembers its offset;
    // errors name `wanted`.
    RecordHead CheckedRecord(std::int32_t offset, std::int32_t page, std::int32_t wanted, std::int64_t size);
    std::int32_t LocatePage(std::int32_t n);
    std::int32_t WalkForward(std::int32_t from, std::int32_t n, std::int64_t size);
    std::int32_t WalkBackward(std::int32_t from, std::int32_t n, std::int64_t size);
    std::int32_t LastRecordOffset(std::int64_t size);

    mutable std::recursive_mutex m_lock;
    bool FPacked = false;
    std::int32_t FPageTotal = 0;
    std::unique_ptr<TQRStream> FPageStore;
    int FHeaderSize = kHeaderSize;
    TReportHeaderRec FHeader;
    // Record offsets by page number, each checked when it was found.
    std::map<std::int32_t, std::int32_t> m_offsets;
};

}  // namespace qrp
