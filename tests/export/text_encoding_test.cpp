#include "export/text_encoding.h"

#include <clocale>

#include <gtest/gtest.h>

#include "base/errors.h"

namespace qrp::exporter {
namespace {

TEST(TextEncoding, Utf8KeepsEveryCharacter) {
    TextEncoder encoder("UTF-8");
    EXPECT_EQ(encoder.Encode(u""), "");
    EXPECT_EQ(encoder.Encode(u"Café 合計"), "Caf\xC3\xA9 \xE5\x90\x88\xE8\xA8\x88");
    EXPECT_EQ(encoder.Encode(u"\U0001F600"), "\xF0\x9F\x98\x80");  // a surrogate pair
}

TEST(TextEncoding, Big5AndCodePage950) {
    for (const char* name : {"BIG5", "CP950"}) {
        TextEncoder encoder(name);
        EXPECT_EQ(encoder.Encode(u"中文 ok"), "\xA4\xA4\xA4\xE5 ok") << name;
    }
}

TEST(TextEncoding, WhatCannotBeWrittenBecomesOneQuestionMark) {
    TextEncoder big5("BIG5");
    EXPECT_EQ(big5.Encode(u"a\U0001F600béc"), "a?b?c");
    TextEncoder utf8("UTF-8");
    // Lone surrogates, in the middle and at the very end.
    EXPECT_EQ(utf8.Encode(std::u16string{u'x', char16_t(0xDC00), u'y', char16_t(0xD800)}), "x?y?");
    // A stateful target returns to its initial state around the replacement and at the end.
    TextEncoder jis("ISO-2022-JP");
    EXPECT_EQ(jis.Encode(u"日€"), "\x1B$BF|\x1B(B?");
}

TEST(TextEncoding, UnknownCharacterSetFails) {
    try {
        TextEncoder encoder("NO-SUCH-CHARSET");
        FAIL() << "no error";
    } catch (const EQRError& error) {
        EXPECT_STREQ(error.what(), "Unknown character set \"NO-SUCH-CHARSET\"");
    }
}

TEST(TextEncoding, TheCLocaleMeansUtf8) {
    std::setlocale(LC_CTYPE, "C");
    EXPECT_EQ(LocaleEncoding(), "UTF-8");
    EXPECT_EQ(TextEncoder("").Encoding(), "UTF-8");
}

}  // namespace
}  // namespace qrp::exporter
