// Layout of a report file (.qrp), shared by the reader and the writer. The format is
// documented in docs/qrp-format.md: a fixed header, then one record per page
//   PageNumber (i32) | NextRecord (i32) | body | RecordStart (i32)
// linked both ways. All integers are little-endian; offsets are signed 32-bit.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace qrp {

constexpr int kHeaderSize = 128;
constexpr int kLegacyHeaderSize = 124;
constexpr std::uint16_t kLayoutVersion = 3;
constexpr std::uint16_t kWriterVersion = 309;

// Where the header probe looks for "EMF" (the first page's EMF signature without its
// leading space) after a legacy and after a current header: header + 8 record bytes + 41.
constexpr int kLegacyProbeOffset = kLegacyHeaderSize + 8 + 41;  // 173
constexpr int kProbeOffset = kHeaderSize + 8 + 41;              // 177

// Record overhead: PageNumber, NextRecord and RecordStart.
constexpr int kRecordHeadSize = 8;
constexpr int kRecordOverhead = 12;

// Field offsets in the 128-byte header.
namespace header128 {
constexpr int kLayoutVersion = 0;
constexpr int kWriterVersion = 2;
constexpr int kPageTotal = 8;
constexpr int kStampTime = 16;
constexpr int kCompression = 25;
}  // namespace header128

// Field offsets in the legacy 124-byte header.
namespace header124 {
constexpr int kPageTotal = 8;
constexpr int kStampTime = 12;
constexpr int kCompression = 21;
}  // namespace header124

// The header's fields, as read from either layout.
struct TReportHeaderRec {
    std::uint16_t LayoutVersion = kLayoutVersion;
    std::uint16_t WriterVersion = kWriterVersion;
    std::int32_t PageTotal = 0;
    double StampTime = 0;  // days since 1899-12-30 00:00, local time, time of day as the fraction
    std::uint8_t Compression = 0;
};

// The 128-byte form; reserved bytes and gaps are zeros.
std::array<std::uint8_t, kHeaderSize> EncodeHeader(const TReportHeaderRec& header);
// Reads either layout from bytes of at least headerSize bytes (124 or 128).
TReportHeaderRec DecodeHeader(const std::uint8_t* bytes, int headerSize);

// The first bytes of a file that the desktop takes for a report (data/desktop's MIME magic):
// layout and writer version, then page 1's record after either header layout. Needs
// kReportMagicSize bytes; fewer are no report.
constexpr std::size_t kReportMagicSize = kHeaderSize + 4;
bool LooksLikeReport(const std::uint8_t* bytes, std::size_t size);

// The current local date and time as a day count since 1899-12-30.
double LocalStampTime();
// "YYYY-MM-DDTHH:MM:SS" of a day count (local time, no zone), millisecond rounding dropped.
std::string StampTimeToIso(double stamp);

}  // namespace qrp
