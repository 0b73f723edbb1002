#include "text_decode.h"

#include <cerrno>
#include <iconv.h>

#include "emf_format.h"

namespace qrp::emf {

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);
constexpr char16_t kReplacement = 0xFFFD;

// One character of at most `maxBytes` bytes; returns the bytes used, 0 when none decodes.
std::size_t ConvertOne(iconv_t cd, const std::uint8_t* in, std::size_t available, std::u16string& out) {
    for (std::size_t length = 1; length <= 4 && length <= available; ++length) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* src = reinterpret_cast<char*>(const_cast<std::uint8_t*>(in));
        std::size_t srcLeft = length;
        char buffer[16];
        char* dst = buffer;
        std::size_t dstLeft = sizeof buffer;
        const std::size_t result = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        if (result == static_cast<std::size_t>(-1) && srcLeft == length) {
            if (errno == EINVAL)
                continue;  // incomplete multi-byte sequence: take one more byte
            return 0;
        }
        const std::size_t produced = sizeof buffer - dstLeft;
        if (produced == 0)
            continue;  // a shift sequence that made no character yet
        for (std::size_t i = 0; i + 1 < produced; i += 2) {
            out.push_back(static_cast<char16_t>(static_cast<std::uint8_t>(buffer[i]) |
                                                (static_cast<std::uint8_t>(buffer[i + 1]) << 8)));
        }
        return length - srcLeft;
    }
    return 0;
}

}  // namespace

std::string CodePageForCharset(std::uint8_t charset) {
    switch (charset) {
        case kSymbolCharset:
            return {};
        case kShiftJisCharset:
            return "CP932";
        case kHangulCharset:
            return "CP949";
        case kJohabCharset:
            return "JOHAB";
        case kGb2312Charset:
            return "CP936";
        case kChineseBig5Charset:
            return "CP950";
        case kGreekCharset:
            return "CP1253";
        case kTurkishCharset:
            return "CP1254";
        case kVietnameseCharset:
            return "CP1258";
        case kHebrewCharset:
            return "CP1255";
        case kArabicCharset:
            return "CP1256";
        case kBalticCharset:
            return "CP1257";
        case kRussianCharset:
            return "CP1251";
        case kThaiCharset:
            return "CP874";
        case kEastEuropeCharset:
            return "CP1250";
        case kMacCharset:
            return "MACINTOSH";
        case kOemCharset:
            return "CP437";
        default:
            return "CP1252";
    }
}

TextDecoder::~TextDecoder() {
    for (auto& [name, cd] : m_converters) {
        if (cd != kNoConverter)
            iconv_close(static_cast<iconv_t>(cd));
    }
}

DecodedText TextDecoder::Decode(std::span<const std::uint8_t> bytes, std::uint8_t charset) {
    DecodedText result;
    const std::string codePage = CodePageForCharset(charset);
    iconv_t cd = kNoConverter;
    if (!codePage.empty()) {
        auto [it, added] = m_converters.try_emplace(codePage, kNoConverter);
        if (added)
            it->second = iconv_open("UTF-16LE", codePage.c_str());
        cd = static_cast<iconv_t>(it->second);
    }
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t used = 0;
        if (codePage.empty()) {
            result.text.push_back(static_cast<char16_t>(0xF000 + bytes[at]));
            used = 1;
        } else if (cd != kNoConverter) {
            used = ConvertOne(cd, bytes.data() + at, bytes.size() - at, result.text);
        }
        if (used == 0) {
            // Without a converter for the code page, Latin-1 is the best guess left.
            result.text.push_back(cd == kNoConverter && !codePage.empty() ? static_cast<char16_t>(bytes[at])
                                                                          : kReplacement);
            used = 1;
        }
        result.firstByte.resize(result.text.size(), at);
        at += used;
    }
    return result;
}

}  // namespace qrp::emf
