#include "display_columns.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>

#include "text_encoding.h"

namespace qrp::exporter {

namespace {

struct Range {
    char32_t first, last;
};

// East_Asian_Width W and F, in ascending order, as the C library's wcwidth counts them
// (it also takes the circled numbers 3248-324F and the hexagrams 4DC0-4DFF as wide).
constexpr Range kWide[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},   {0x23F0, 0x23F0},
    {0x23F3, 0x23F3},   {0x25FD, 0x25FE},   {0x2614, 0x2615},   {0x2648, 0x2653},   {0x267F, 0x267F},
    {0x2693, 0x2693},   {0x26A1, 0x26A1},   {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26C4, 0x26C5},
    {0x26CE, 0x26CE},   {0x26D4, 0x26D4},   {0x26EA, 0x26EA},   {0x26F2, 0x26F3},   {0x26F5, 0x26F5},
    {0x26FA, 0x26FA},   {0x26FD, 0x26FD},   {0x2705, 0x2705},   {0x270A, 0x270B},   {0x2728, 0x2728},
    {0x274C, 0x274C},   {0x274E, 0x274E},   {0x2753, 0x2755},   {0x2757, 0x2757},   {0x2795, 0x2797},
    {0x27B0, 0x27B0},   {0x27BF, 0x27BF},   {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},   {0x2B55, 0x2B55},
    {0x2E80, 0x2E99},   {0x2E9B, 0x2EF3},   {0x2F00, 0x2FD5},   {0x2FF0, 0x2FFF},   {0x3000, 0x303E},
    {0x3041, 0x3096},   {0x3099, 0x30FF},   {0x3105, 0x312F},   {0x3131, 0x318E},   {0x3190, 0x31E3},
    {0x31EF, 0x321E},   {0x3220, 0xA48C},   {0xA490, 0xA4C6},   {0xA960, 0xA97C},   {0xAC00, 0xD7A3},
    {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE52},   {0xFE54, 0xFE66},   {0xFE68, 0xFE6B},
    {0xFF01, 0xFF60},   {0xFFE0, 0xFFE6},   {0x16FE0, 0x16FE4}, {0x16FF0, 0x16FF1}, {0x17000, 0x187F7},
    {0x18800, 0x18CD5}, {0x18D00, 0x18D08}, {0x1AFF0, 0x1AFFE}, {0x1B000, 0x1B122}, {0x1B132, 0x1B132},
    {0x1B150, 0x1B152}, {0x1B155, 0x1B155}, {0x1B164, 0x1B167}, {0x1B170, 0x1B2FB}, {0x1F004, 0x1F004},
    {0x1F0CF, 0x1F0CF}, {0x1F18E, 0x1F18E}, {0x1F191, 0x1F19A}, {0x1F200, 0x1F202}, {0x1F210, 0x1F23B},
    {0x1F240, 0x1F248}, {0x1F250, 0x1F251}, {0x1F260, 0x1F265}, {0x1F300, 0x1F320}, {0x1F32D, 0x1F335},
    {0x1F337, 0x1F37C}, {0x1F37E, 0x1F393}, {0x1F3A0, 0x1F3CA}, {0x1F3CF, 0x1F3D3}, {0x1F3E0, 0x1F3F0},
    {0x1F3F4, 0x1F3F4}, {0x1F3F8, 0x1F43E}, {0x1F440, 0x1F440}, {0x1F442, 0x1F4FC}, {0x1F4FF, 0x1F53D},
    {0x1F54B, 0x1F54E}, {0x1F550, 0x1F567}, {0x1F57A, 0x1F57A}, {0x1F595, 0x1F596}, {0x1F5A4, 0x1F5A4},
    {0x1F5FB, 0x1F64F}, {0x1F680, 0x1F6C5}, {0x1F6CC, 0x1F6CC}, {0x1F6D0, 0x1F6D2}, {0x1F6D5, 0x1F6D7},
    {0x1F6DC, 0x1F6DF}, {0x1F6EB, 0x1F6EC}, {0x1F6F4, 0x1F6FC}, {0x1F7E0, 0x1F7EB}, {0x1F7F0, 0x1F7F0},
    {0x1F90C, 0x1F93A}, {0x1F93C, 0x1F945}, {0x1F947, 0x1F9FF}, {0x1FA70, 0x1FA7C}, {0x1FA80, 0x1FA88},
    {0x1FA90, 0x1FABD}, {0x1FABF, 0x1FAC5}, {0x1FACE, 0x1FADB}, {0x1FAE0, 0x1FAE8}, {0x1FAF0, 0x1FAF8},
    {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};

// Characters that take more than two bytes in the sets where bytes and columns part:
// CJK (UTF-8), a CJK character outside the basic set (EUC-JP), Latin, Hangul and Thai
// (UTF-8), a supplementary-plane ideograph (GB18030, EUC-TW).
constexpr std::u16string_view kProbes[] = {u"\u4E00", u"\u4E02", u"\u00E9", u"\uAC00", u"\u0E01", u"\U00020000"};

bool BytesAreColumns(const std::string& encoding) {
    TextEncoder encoder(encoding);
    return std::ranges::none_of(kProbes, [&](std::u16string_view probe) { return encoder.Encode(probe).size() > 2; });
}

}  // namespace

int DisplayWidth(char32_t c) {
    const auto* at = std::ranges::upper_bound(kWide, c, {}, &Range::first);
    return at != std::begin(kWide) && c <= std::prev(at)->last ? 2 : 1;
}

DisplayColumns::DisplayColumns(const std::string& encoding) {
    const std::string name = encoding.empty() ? LocaleEncoding() : encoding;
    try {
        if (BytesAreColumns(name))
            return;
    } catch (const std::exception&) {
        return;
    }
    FDecoder = iconv_open("UTF-32LE", name.c_str());
}

DisplayColumns::~DisplayColumns() {
    if (ByCharacters())
        iconv_close(FDecoder);
}

std::vector<TextCell> DisplayColumns::Cells(std::string_view text) {
    std::vector<TextCell> cells;
    cells.reserve(text.size());
    if (!ByCharacters()) {
        for (const char byte : text)
            cells.push_back({std::string(1, byte)});
        return cells;
    }
    iconv(FDecoder, nullptr, nullptr, nullptr, nullptr);
    // Bytes that changed the decoder's state without giving a character (a shift
    // sequence) go with the character after them, or at the end with the one before.
    std::string pending;
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    while (inLeft > 0) {
        // Room for one character: iconv stops after it with E2BIG.
        std::array<std::uint8_t, 4> out{};
        char* outPtr = reinterpret_cast<char*>(out.data());
        std::size_t outLeft = out.size();
        char* start = in;
        iconv(FDecoder, &in, &inLeft, &outPtr, &outLeft);
        if (in == start) {
            // No character of the set starts here: the byte stands alone.
            ++in;
            --inLeft;
        } else if (outLeft != 0) {
            pending.append(start, in);
            continue;
        }
        pending.append(start, in);
        const char32_t c = out[0] | out[1] << 8 | out[2] << 16 | static_cast<char32_t>(out[3]) << 24;
        cells.push_back({std::move(pending)});
        pending.clear();
        if (outLeft == 0 && DisplayWidth(c) == 2)
            cells.emplace_back();
    }
    if (!pending.empty()) {
        const auto last =
            std::ranges::find_if(cells.rbegin(), cells.rend(), [](const TextCell& cell) { return !cell.RightHalf(); });
        if (last == cells.rend())
            cells.push_back({std::move(pending)});
        else
            last->Bytes += pending;
    }
    return cells;
}

}  // namespace qrp::exporter
