#include "page_list.h"

#include <cstdio>
#include <cstring>

#include "base/byte_order.h"
#include "base/errors.h"
#include "base/messages.h"
#include "file_identity.h"
#include "memory_stream.h"
#include "splay_codec.h"

namespace qrp {

namespace {
std::string Hex(std::int64_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
    return text;
}

struct ListLock {
    explicit ListLock(TQRPageList& list) : m_list(list) { m_list.AcquireList(); }
    ~ListLock() { m_list.ReleaseList(); }
    TQRPageList& m_list;
};

// Every code is at least one bit long: a count beyond that cannot be in the data.
std::unique_ptr<PagePicture> UnpackPage(std::int32_t count, const std::vector<std::uint8_t>& code) {
    if (count < 0 || static_cast<std::int64_t>(count) > static_cast<std::int64_t>(code.size()) * 8)
        throw StreamError(messages::streamReadError());
    ByteViewStream codeStream(code);
    TQRCompress codec(codeStream, false);
    std::vector<std::uint8_t> plain(static_cast<std::size_t>(count));
    codec.Decode(plain);
    ByteViewStream plainStream(plain);
    return PagePicture::ReadFrom(plainStream, count);
}

}  // namespace

void TQRPageList::Clear() {
    ListLock lock(*this);
    FPageTotal = 0;
    m_offsets.clear();
}

std::unique_ptr<TQRStream> TQRPageList::AttachStream(std::unique_ptr<TQRStream> stream) {
    ListLock lock(*this);
    std::unique_ptr<TQRStream> previous = std::move(FPageStore);
    FPageStore = std::move(stream);
    FHeaderSize = kHeaderSize;
    m_offsets.clear();
    return previous;
}

TQRStream& TQRPageList::RequireStream() {
    if (!FPageStore)
        throw EQRError(messages::noReportToSave());
    return *FPageStore;
}

void TQRPageList::WriteFileHeader() {
    // A page fetched meanwhile would read from where the header left the stream.
    ListLock lock(*this);
    TReportHeaderRec header;
    header.PageTotal = FPageTotal;
    header.StampTime = LocalStampTime();
    header.Compression = FPacked ? 1 : 0;
    const auto bytes = EncodeHeader(header);
    TQRStream& stream = RequireStream();
    stream.SetPosition(0);
    stream.WriteBuffer(bytes.data(), bytes.size());
    FHeader = header;
    FHeaderSize = kHeaderSize;
}

void TQRPageList::Finish() {
    WriteFileHeader();
}

int TQRPageList::ProbeHeaderSize(qrp::Stream& stream) {
    const std::int64_t position = stream.Position();
    struct Restore {
        qrp::Stream& s;
        std::int64_t p;
        ~Restore() { s.SetPosition(p); }
    } restore{stream, position};
    char text[4];
    stream.SetPosition(kLegacyProbeOffset);
    stream.ReadBuffer(text, sizeof text);
    if (std::strncmp(text, "EMF", sizeof text) == 0)
        return kLegacyHeaderSize;
    stream.SetPosition(kProbeOffset);
    stream.ReadBuffer(text, sizeof text);
    return kHeaderSize;
}

void TQRPageList::ReadHeader() {
    ListLock lock(*this);
    TQRStream& stream = RequireStream();
    stream.SetPosition(0);
    const int headerSize = ProbeHeaderSize(stream);
    std::uint8_t bytes[kHeaderSize] = {};
    stream.Read(bytes, static_cast<std::size_t>(headerSize));
    const TReportHeaderRec header = DecodeHeader(bytes, headerSize);
    // Every page takes at least a record's own fields after the header.
    if (header.PageTotal < 0 || header.PageTotal > (stream.Size() - headerSize) / kRecordOverhead)
        throw EQRError(messages::damagedPageCount(header.PageTotal));
    FHeader = header;
    FHeaderSize = headerSize;
    FPageTotal = FHeader.PageTotal;
    m_offsets.clear();
}

void TQRPageList::OpenReport(const std::string& fileName) {
    ListLock lock(*this);
    FPageStore.reset();
    m_offsets.clear();
    auto stream = TQRStream::OpenExisting(fileName);
    const std::int32_t previousTotal = FPageTotal;
    AttachStream(std::move(stream));
    try {
        ReadHeader();
    } catch (...) {
        FPageStore.reset();
        FPageTotal = previousTotal;
        throw;
    }
    // A report recorded with compression says so in its header; honour it.
    FPacked = FHeader.Compression == 1;
    FPageStore->SetPosition(FHeaderSize);
}

void TQRPageList::AppendPage(const PagePicture& picture) {
    ListLock lock(*this);
    TQRStream& stream = RequireStream();
    // The record is built in memory and written with one call; a write that fails part-way
    // (a full disk) is cut off again, so the stream holds exactly the pages before it.
    MemoryStream record;
    record.WriteI32(FPageTotal + 1);
    record.WriteI32(0);  // NextRecord, patched below
    if (FPacked) {
        MemoryStream code;
        TQRCompress codec(code, true);
        for (std::uint8_t byte : picture.Bytes())
            codec.Compress(byte);
        codec.FinishCompress();
        record.WriteI32(static_cast<std::int32_t>(picture.Bytes().size()));
        record.WriteBuffer(code.Data().data(), code.Data().size());
    } else {
        picture.WriteTo(record);
    }
    ++FPageTotal;
    std::int64_t start = 0;  // a failed first page takes the header with it
    try {
        if (FPageTotal == 1) {
            m_offsets.clear();
            WriteFileHeader();
        }
        start = stream.Seek(0, SeekOrigin::End);
        const std::int64_t end = start + static_cast<std::int64_t>(record.Data().size()) + 4;
        if (end > INT32_MAX)
            throw StreamError(messages::streamWriteError());
        record.WriteI32(static_cast<std::int32_t>(start));
        record.SetPosition(4);
        record.WriteI32(static_cast<std::int32_t>(end));
        stream.WriteBuffer(record.Data().data(), record.Data().size());
    } catch (const FileError&) {
        // The data is complete in memory; only its move to a temporary file failed.
        m_offsets[FPageTotal] = static_cast<std::int32_t>(start);
        throw;
    } catch (...) {
        --FPageTotal;
        stream.Truncate(start);
        throw;
    }
    m_offsets[FPageTotal] = static_cast<std::int32_t>(start);
}

TQRPageList::RecordHead TQRPageList::ReadRecordHead(std::int32_t offset, std::int32_t wanted, std::int64_t size) {
    if (offset < FHeaderSize || offset > size - kRecordOverhead)
        throw EQRError(messages::damagedReport(wanted, "a link points outside the file, at offset " + Hex(offset)));
    std::uint8_t bytes[kRecordHeadSize];
    FPageStore->SetPosition(offset);
    FPageStore->ReadBuffer(bytes, sizeof bytes);
    const RecordHead head{LoadI32(bytes), LoadI32(bytes + 4)};
    if (head.next < static_cast<std::int64_t>(offset) + kRecordOverhead || head.next > size)
        throw EQRError(messages::damagedReport(
            wanted, "the record at offset " + Hex(offset) + " links to offset " + Hex(head.next)));
    return head;
}

TQRPageList::RecordHead TQRPageList::CheckedRecord(std::int32_t offset, std::int32_t page, std::int32_t wanted,
                                                   std::int64_t size) {
    const RecordHead head = ReadRecordHead(offset, wanted, size);
    if (head.pageNumber != page)
        throw EQRError(messages::damagedReport(wanted, "the record at offset " + Hex(offset) + " holds page " +
                                                           Hex(head.pageNumber) + " instead of page " + Hex(page)));
    m_offsets[page] = offset;
    return head;
}

std::int32_t TQRPageList::LastRecordOffset(std::int64_t size) {
    if (size < FHeaderSize + kRecordOverhead)
        throw EQRError(messages::damagedReport(FPageTotal, "the file holds no page records"));
    FPageStore->SetPosition(size - 4);
    return FPageStore->ReadI32();
}

std::int32_t TQRPageList::WalkForward(std::int32_t from, std::int32_t n, std::int64_t size) {
    std::int32_t offset = m_offsets.at(from);
    RecordHead head = ReadRecordHead(offset, n, size);
    for (std::int32_t page = from; page < n; ++page) {
        if (head.next >= size)
            throw EQRError(messages::damagedReport(n, "the file ends after page " + Hex(page)));
        offset = head.next;
        head = CheckedRecord(offset, page + 1, n, size);
    }
    return offset;
}

std::int32_t TQRPageList::WalkBackward(std::int32_t from, std::int32_t n, std::int64_t size) {
    std::int32_t offset = m_offsets.at(from);
    for (std::int32_t page = from; page > n; --page) {
        if (offset - 4 < FHeaderSize)
            throw EQRError(messages::damagedReport(n, "no record stands before page " + Hex(page)));
        FPageStore->SetPosition(offset - 4);
        const std::int32_t previous = FPageStore->ReadI32();
        const RecordHead head = ReadRecordHead(previous, n, size);
        if (head.next != offset || head.pageNumber != page - 1)
            throw EQRError(messages::damagedReport(
                n, "the record before page " + Hex(page) + " at offset " + Hex(previous) + " does not link to it"));
        m_offsets[page - 1] = previous;
        offset = previous;
    }
    return offset;
}

std::int32_t TQRPageList::LocatePage(std::int32_t n) {
    if (n < 1 || n > FPageTotal)
        throw EQRError(messages::pageOutOfRange(n));
    if (auto known = m_offsets.find(n); known != m_offsets.end())
        return known->second;
    const std::int64_t size = FPageStore->Size();
    if (n == 1) {
        CheckedRecord(FHeaderSize, 1, n, size);
        return FHeaderSize;
    }
    if (n == FPageTotal) {
        const std::int32_t last = LastRecordOffset(size);
        CheckedRecord(last, n, n, size);
        return last;
    }
    // Walk from the nearest page already known: page 1 below, the last page above.
    if (!m_offsets.contains(1))
        CheckedRecord(FHeaderSize, 1, n, size);
    auto above = m_offsets.upper_bound(n);
    if (above == m_offsets.end()) {
        try {
            CheckedRecord(LastRecordOffset(size), FPageTotal, n, size);
        } catch (const EQRError&) {
            // The last record does not match the page count; the pages before it may
            // still be intact, so walk forward.
        }
        above = m_offsets.upper_bound(n);
    }
    const auto below = std::prev(m_offsets.lower_bound(n));
    if (above == m_offsets.end() || n - below->first <= above->first - n)
        return WalkForward(below->first, n, size);
    try {
        return WalkBackward(above->first, n, size);
    } catch (const EQRError&) {
        // A damaged backward link says nothing about the forward ones.
        return WalkForward(below->first, n, size);
    }
}

void TQRPageList::GoFirst() {
    ListLock lock(*this);
    RequireStream().SetPosition(FHeaderSize);
}

void TQRPageList::GoLast() {
    ListLock lock(*this);
    TQRStream& stream = RequireStream();
    stream.SetPosition(LastRecordOffset(stream.Size()));
}

void TQRPageList::GoToPage(std::int32_t n) {
    ListLock lock(*this);
    TQRStream& stream = RequireStream();
    stream.SetPosition(LocatePage(n));
}

std::unique_ptr<PagePicture> TQRPageList::FetchPage(std::int32_t n) {
    std::unique_ptr<PagePicture> picture;
    std::int32_t count = 0;
    std::vector<std::uint8_t> code;
    {
        // The count and the stream too: a run may be appending pages on another thread.
        ListLock lock(*this);
        if (n > FPageTotal || !FPageStore)
            return nullptr;
        TQRStream& stream = *FPageStore;
        stream.CheckUnchanged();
        const std::int64_t size = stream.Size();
        const std::int32_t offset = LocatePage(n);
        const RecordHead head = ReadRecordHead(offset, n, size);
        const std::int64_t bodyStart = static_cast<std::int64_t>(offset) + kRecordHeadSize;
        const std::int64_t bodyLength = head.next - 4 - bodyStart;
        stream.SetPosition(bodyStart);
        if (FPacked) {
            if (bodyLength < 4)
                throw StreamError(messages::streamReadError());
            count = stream.ReadI32();
            code.resize(static_cast<std::size_t>(bodyLength - 4));
            stream.ReadBuffer(code.data(), code.size());
        } else {
            picture = PagePicture::ReadFrom(stream, bodyLength);
        }
        stream.SetPosition(head.next);
        // A rewrite that began while the page was read may have mixed old and new bytes.
        stream.CheckUnchanged();
    }
    // Unpacked outside the lock: unpacking is most of a packed page's cost, and pages
    // fetched on several threads then unpack at once.
    return picture ? std::move(picture) : UnpackPage(count, code);
}

void TQRPageList::RefuseAsOutput(const std::string& fileName) const {
    const std::lock_guard lock(m_lock);
    RefuseOutputOnto(fileName, IdentityOfDescriptor(FPageStore ? FPageStore->FileDescriptor() : -1));
}

void TQRPageList::SaveCopy(const std::string& fileName) {
    TQRStream& stream = RequireStream();
    RefuseAsOutput(fileName);
    const auto file = FileStream::Create(fileName);
    {
        // A page fetched on another thread meanwhile would read from where the copy left
        // the stream.
        ListLock lock(*this);
        stream.CopyToStream(*file);
    }
    file->Close();
}

}  // namespace qrp
