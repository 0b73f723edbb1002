#include "qrp_format.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "base/byte_order.h"

namespace qrp {

namespace {
// Days from 1970-01-01 to 1899-12-30.
constexpr std::int64_t kEpochOffsetDays = 25569;

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}
}  // namespace

std::array<std::uint8_t, kHeaderSize> EncodeHeader(const TReportHeaderRec& header) {
    std::array<std::uint8_t, kHeaderSize> bytes{};
    StoreU16(&bytes[header128::kLayoutVersion], header.LayoutVersion);
    StoreU16(&bytes[header128::kWriterVersion], header.WriterVersion);
    StoreI32(&bytes[header128::kPageTotal], header.PageTotal);
    StoreF64(&bytes[header128::kStampTime], header.StampTime);
    bytes[header128::kCompression] = header.Compression;
    return bytes;
}

TReportHeaderRec DecodeHeader(const std::uint8_t* bytes, int headerSize) {
    TReportHeaderRec header;
    header.LayoutVersion = LoadU16(bytes + header128::kLayoutVersion);
    header.WriterVersion = LoadU16(bytes + header128::kWriterVersion);
    const bool legacy = headerSize == kLegacyHeaderSize;
    header.PageTotal = LoadI32(bytes + (legacy ? header124::kPageTotal : header128::kPageTotal));
    header.StampTime = LoadF64(bytes + (legacy ? header124::kStampTime : header128::kStampTime));
    header.Compression = bytes[legacy ? header124::kCompression : header128::kCompression];
    return header;
}

bool LooksLikeReport(const std::uint8_t* bytes, std::size_t size) {
    return size >= kReportMagicSize && LoadU16(bytes + header128::kLayoutVersion) == kLayoutVersion &&
           LoadU16(bytes + header128::kWriterVersion) == kWriterVersion &&
           (LoadI32(bytes + kHeaderSize) == 1 || LoadI32(bytes + kLegacyHeaderSize) == 1);
}

double LocalStampTime() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    const std::int64_t days = DaysFromCivil(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                                            static_cast<unsigned>(local.tm_mday)) +
                              kEpochOffsetDays;
    const double dayFraction =
        (local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + static_cast<double>(millis) / 1000.0) / 86400.0;
    return static_cast<double>(days) + dayFraction;
}

std::string StampTimeToIso(double stamp) {
    if (!std::isfinite(stamp) || std::fabs(stamp) > 3.0e6)
        return "invalid";
    // Negative day counts keep the time of day as a positive fraction of the day's count.
    const double whole = std::trunc(stamp);
    double fraction = std::fabs(stamp - whole);
    auto secondsOfDay = static_cast<std::int64_t>(std::llround(fraction * 86400.0));
    std::int64_t days = static_cast<std::int64_t>(whole);
    if (secondsOfDay >= 86400) {
        secondsOfDay -= 86400;
        days += stamp < 0 ? -1 : 1;
    }
    std::int64_t y;
    unsigned m, d;
    CivilFromDays(days - kEpochOffsetDays, y, m, d);
    char text[96];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02lld:%02lld:%02lld", static_cast<long long>(y), m, d,
                  static_cast<long long>(secondsOfDay / 3600), static_cast<long long>(secondsOfDay / 60 % 60),
                  static_cast<long long>(secondsOfDay % 60));
    return text;
}

}  // namespace qrp
