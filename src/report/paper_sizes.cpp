#include "paper_sizes.h"

namespace qrp {

// The two "\276" in the envelope names are four plain characters, as the names have
// always read.
const std::array<PaperSizeInfo, kPaperSizeCount> kPaperSizes = {{
    {0, 0, 0, "Default size"},
    {1, 215.9, 279.4, "Letter 8 1/2 x 11 in"},
    {2, 215.9, 279.4, "Letter Small 8 1/2 x 11 in"},
    {3, 279.4, 431.8, "Tabloid 11 x 17 in"},
    {4, 431.8, 279.4, "Ledger 17 x 11 in"},
    {5, 215.9, 355.6, "Legal 8 1/2 x 14 in"},
    {6, 139.7, 215.9, "Statement 5 1/2 x 8 1/2 in"},
    {7, 190.5, 254.0, "Executive7 1/2 x 10 in"},
    {8, 297.0, 420.0, "A3 297 x 420 mm"},
    {9, 210.0, 297.0, "A4 210 x 297 mm"},
    {10, 210.0, 297.0, "A4 Small 210 x 297 mm"},
    {11, 148.0, 210.0, "A5 148 x 210 mm"},
    {12, 250.0, 354.0, "B4 250 x 354 mm"},
    {13, 182.0, 257.0, "B5 182 x 257 mm"},
    {14, 215.9, 330.2, "Folio 8 1/2 x 13 in"},
    {15, 215.0, 275.0, "Quarto 215 x 275 mm"},
    {16, 254.0, 355.6, "10x14 in"},
    {17, 279.4, 431.8, "11x17 in"},
    {18, 215.9, 279.0, "Note 8 1/2 x 11 in"},
    {19, 98.43, 225.4, "Envelope #9 3 7/8 x 8 7/8"},
    {20, 104.8, 241.3, "Envelope #10 4 1/8 x 9 1/2"},
    {21, 114.3, 263.5, "Envelope #11 4 1/2 x 10 3/8"},
    {22, 101.6, 279.4, "Envelope #12 4 \\276 x 11"},
    {23, 127.0, 292.1, "Envelope #14 4 \\276 x 11"},
    {24, 100.0, 100.0, "C size sheet"},
    {25, 100.0, 100.0, "D size sheet"},
    {26, 100.0, 100.0, "E size sheet"},
    {256, 0, 0, "Custom Size"},
}};

const std::array<std::int16_t, kBinCount> kBinDeviceIds = {1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 14, 14};

std::optional<TQRPaperSize> PaperSizeFromDevice(int deviceId) {
    for (int i = 0; i < kPaperSizeCount; ++i) {
        if (kPaperSizes[i].deviceId == deviceId)
            return static_cast<TQRPaperSize>(i);
    }
    return std::nullopt;
}

std::optional<TQRBin> BinFromDevice(int deviceId) {
    for (int i = 0; i < kBinCount; ++i) {
        if (kBinDeviceIds[i] == deviceId)
            return static_cast<TQRBin>(i);
    }
    return std::nullopt;
}

}  // namespace qrp
