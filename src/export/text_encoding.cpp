#include "text_encoding.h"

#include <cerrno>
#include <cstddef>
#include <langinfo.h>

#include "base/errors.h"
#include "base/messages.h"

namespace qrp::exporter {

namespace {

constexpr std::size_t kIconvFailed = static_cast<std::size_t>(-1);

// A high surrogate followed by a low one, in UTF-16LE bytes: one character of four bytes.
bool StartsSurrogatePair(const char* bytes, std::size_t count) {
    if (count < 4)
        return false;
    const auto unit = [&](std::size_t at) {
        const auto low = static_cast<unsigned char>(bytes[at]), high = static_cast<unsigned char>(bytes[at + 1]);
        return static_cast<unsigned>(low | high << 8);
    };
    return (unit(0) & 0xFC00) == 0xD800 && (unit(2) & 0xFC00) == 0xDC00;
}

}  // namespace

std::string LocaleEncoding() {
    const std::string codeset = nl_langinfo(CODESET);
    if (codeset.empty() || codeset == "ANSI_X3.4-1968" || codeset == "ASCII")
        return "UTF-8";
    return codeset;
}

TextEncoder::TextEncoder(const std::string& encoding)
    : FEncoding(encoding.empty() ? LocaleEncoding() : encoding), FConverter(iconv_open(FEncoding.c_str(), "UTF-16LE")) {
    if (FConverter == reinterpret_cast<iconv_t>(-1))
        throw EQRError(messages::unknownEncoding(FEncoding));
}

TextEncoder::~TextEncoder() {
    iconv_close(FConverter);
}

std::string TextEncoder::Encode(std::u16string_view text) {
    std::string input;
    input.reserve(text.size() * 2);
    for (const char16_t unit : text) {
        input.push_back(static_cast<char>(unit & 0xFF));
        input.push_back(static_cast<char>(unit >> 8));
    }
    std::string output;
    char buffer[256];
    // Returns a stateful target (ISO-2022 and the like) to its initial shift state, so that
    // every string, and every '?' inside one, stands on its own.
    const auto resetShift = [&] {
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        iconv(FConverter, nullptr, nullptr, &out, &outLeft);
        output.append(buffer, static_cast<std::size_t>(out - buffer));
    };
    iconv(FConverter, nullptr, nullptr, nullptr, nullptr);
    char* in = input.data();
    std::size_t inLeft = input.size();
    while (inLeft > 0) {
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = iconv(FConverter, &in, &inLeft, &out, &outLeft);
        output.append(buffer, static_cast<std::size_t>(out - buffer));
        if (result != kIconvFailed || errno == E2BIG)
            continue;
        // EILSEQ (unrepresentable, or a lone surrogate) or EINVAL (a high surrogate at
        // the end): one character is replaced and skipped.
        resetShift();
        output.push_back('?');
        const std::size_t skip = StartsSurrogatePair(in, inLeft) ? 4 : 2;
        in += skip;
        inLeft -= skip;
    }
    resetShift();
    return output;
}

}  // namespace qrp::exporter
