// The library's paper sizes and paper sources, their driver identifiers and the paper
// dimension table that the printer settings and the document's paper detection use.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace qrp {

enum class TQRPaperSize : std::uint8_t {
    Default,
    Letter,
    LetterSmall,
    Tabloid,
    Ledger,
    Legal,
    Statement,
    Executive,
    A3,
    A4,
    A4Small,
    A5,
    B4,
    B5,
    Folio,
    Quarto,
    qr10X14,
    qr11X17,
    Note,
    Env9,
    Env10,
    Env11,
    Env12,
    Env14,
    CSheet,
    DSheet,
    ESheet,
    Custom
};

enum class TQRBin : std::uint8_t {
    First,
    Upper,
    Lower,
    Middle,
    Manual,
    Envelope,
    EnvManual,
    Auto,
    Tractor,
    SmallFormat,
    LargeFormat,
    LargeCapacity,
    Cassette,
    Last
};

inline constexpr int kPaperSizeCount = 28;
inline constexpr int kBinCount = 14;

struct PaperSizeInfo {
    std::int16_t deviceId;
    double widthMm;   // 0 for Default and Custom
    double lengthMm;  // 0 for Default and Custom
    const char* displayName;
};

// Indexed by TQRPaperSize. The dimensions are kept as the library has always had them,
// including Note at 279.0 mm and the 100 mm placeholders of the C, D and E sheets.
extern const std::array<PaperSizeInfo, kPaperSizeCount> kPaperSizes;
// Indexed by TQRBin: the driver's paper source identifier.
extern const std::array<std::int16_t, kBinCount> kBinDeviceIds;

inline const PaperSizeInfo& PaperInfo(TQRPaperSize size) {
    return kPaperSizes[static_cast<int>(size)];
}
inline std::int16_t BinDeviceId(TQRBin bin) {
    return kBinDeviceIds[static_cast<int>(bin)];
}

// The first row whose identifier matches, or none. Id 1 reads as First, 14 as Cassette.
std::optional<TQRPaperSize> PaperSizeFromDevice(int deviceId);
std::optional<TQRBin> BinFromDevice(int deviceId);

}  // namespace qrp
