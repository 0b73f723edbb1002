#include "report/splay_codec.h"

#include <random>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "report/memory_stream.h"

namespace qrp {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Pack(const Bytes& plain) {
    MemoryStream out;
    TQRCompress codec(out, true);
    for (std::uint8_t byte : plain)
        codec.Compress(byte);
    codec.FinishCompress();
    return out.Data();
}

Bytes Unpack(const Bytes& code, std::size_t count, std::int64_t* consumed = nullptr) {
    ByteViewStream in(code);
    TQRCompress codec(in, false);
    Bytes plain(count);
    for (auto& byte : plain)
        byte = codec.DecodeByte();
    codec.FinishExpand();
    if (consumed)
        *consumed = in.Position();
    return plain;
}

// A plain bit-by-bit coder written straight from the algorithm, to cross-check the fast one.
class ReferenceCoder {
  public:
    ReferenceCoder() {
        for (int i = 1; i <= 512; ++i)
            m_up[i] = (i - 1) / 2;
        for (int i = 0; i < 256; ++i) {
            m_left[i] = 2 * i + 1;
            m_right[i] = 2 * i + 2;
        }
    }
    void Compress(int symbol) {
        std::vector<bool> path;
        for (int a = symbol + 256; a != 0; a = m_up[a])
            path.push_back(m_right[m_up[a]] == a);
        for (auto bit = path.rbegin(); bit != path.rend(); ++bit) {
            if (*bit)
                m_codeOut |= 1 << m_bitIndex;
            if (m_bitIndex == 7) {
                m_out.push_back(static_cast<std::uint8_t>(m_codeOut));
                m_bitIndex = 0;
                m_codeOut = 0;
            } else {
                ++m_bitIndex;
            }
        }
        Splay(symbol);
    }
    Bytes Finish() {
        if (m_bitIndex != 0)
            m_out.push_back(static_cast<std::uint8_t>(m_codeOut));
        return m_out;
    }

  private:
    void Splay(int symbol) {
        int a = symbol + 256;
        while (m_up[a] != 0) {
            const int p = m_up[a], g = m_up[p];
            int u;
            if (m_left[g] == p) {
                u = m_right[g];
                m_right[g] = a;
            } else {
                u = m_left[g];
                m_left[g] = a;
            }
            (m_left[p] == a ? m_left[p] : m_right[p]) = u;
            m_up[a] = g;
            m_up[u] = p;
            a = g;
            if (a == 0)
                break;
        }
    }
    int m_up[513] = {}, m_left[256] = {}, m_right[256] = {};
    int m_bitIndex = 0, m_codeOut = 0;
    Bytes m_out;
};

TEST(SplayCodec, MatchesTheBitByBitReference) {
    std::mt19937 random(11);
    for (int round = 0; round < 40; ++round) {
        Bytes plain(static_cast<std::size_t>(random() % 5000));
        const unsigned alphabet = 1 + random() % 256;
        for (auto& byte : plain)
            byte = static_cast<std::uint8_t>(random() % alphabet);
        ReferenceCoder reference;
        for (std::uint8_t byte : plain)
            reference.Compress(byte);
        EXPECT_EQ(Pack(plain), reference.Finish()) << round;
    }
}

// Skewed input that pushes symbol 255 to depth 70, past the 56 bits the encoder gathers in
// one word: the last code takes the encoder's long-path branch, which random data never
// reaches.
TEST(SplayCodec, CodesLongerThanAWordMatchTheReferenceAndRoundTrip) {
    Bytes plain = {0x23, 0x29, 0x2a, 0x28, 0x28, 0x52, 0x27, 0x8e, 0x6d, 0x59, 0x5a, 0x57, 0x57, 0xe6,
                   0x58, 0x6e, 0x68, 0x64, 0x4e, 0x69, 0x4d, 0x47, 0x44, 0x7c, 0x7c, 0x7b, 0x7e, 0x7a,
                   0x76, 0x75, 0x73, 0x73, 0xef, 0x8d, 0x89, 0x82, 0x93, 0x89, 0x94, 0x86, 0x92, 0x9c,
                   0xa8, 0x90, 0xa7, 0xae, 0xa3, 0xb1, 0xb1, 0xb2, 0xaf, 0xb6, 0xb7, 0xb8, 0xba, 0xba,
                   0xe5, 0xfd, 0xfe, 0xfc, 0xfc, 0xc8, 0xe3, 0xe3, 0xe1, 0xc4, 0xc3, 0xc5, 0xc5};
    MemoryStream sink;
    TQRCompress probe(sink, true);
    for (std::uint8_t byte : plain)
        probe.Compress(byte);
    ASSERT_EQ(probe.Depth(0xFF), 70);
    plain.push_back(0xFF);

    ReferenceCoder reference;
    for (std::uint8_t byte : plain)
        reference.Compress(byte);
    const Bytes code = Pack(plain);
    EXPECT_EQ(code, reference.Finish());
    EXPECT_EQ(Unpack(code, plain.size()), plain);
}

TEST(SplayCodec, WorkedValues) {
    EXPECT_EQ(Pack({0x61, 0x62, 0x63}), (Bytes{0x46, 0x3D, 0x01}));
    EXPECT_EQ(Pack({0x00}), (Bytes{0x80}));
    EXPECT_EQ(Pack({0xFF}), (Bytes{0x00, 0x00}));
    EXPECT_EQ(Pack({0x61, 0x61, 0x61, 0x61}), (Bytes{0x46, 0x45}));
    EXPECT_EQ(Pack({}), Bytes{});
}

TEST(SplayCodec, InitialTreeGivesEightBitCodesAndNineForTheLastTwoSymbols) {
    MemoryStream sink;
    TQRCompress codec(sink, true);
    EXPECT_EQ(codec.Depth(0), 8);
    EXPECT_EQ(codec.Depth(254), 8);
    EXPECT_EQ(codec.Depth(255), 9);
    EXPECT_EQ(codec.Depth(256), 9);
}

TEST(SplayCodec, RecurringSymbolGetsShorterCode) {
    MemoryStream sink;
    TQRCompress codec(sink, true);
    const int before = codec.Depth('a');
    codec.Compress('a');
    codec.Compress('a');
    EXPECT_LT(codec.Depth('a'), before);
}

TEST(SplayCodec, LastByteIsPaddedOnlyWhenPartlyFilled) {
    // The output is exactly the code bits rounded up to whole bytes: a run whose bits fill
    // whole bytes gets no extra byte.
    bool sawWholeBytes = false;
    for (std::size_t length = 1; length <= 24; ++length) {
        MemoryStream out;
        TQRCompress codec(out, true);
        int bits = 0;
        for (std::size_t i = 0; i < length; ++i) {
            const auto byte = static_cast<std::uint8_t>(i * 37 % 11);
            bits += codec.Depth(byte);
            codec.Compress(byte);
        }
        codec.FinishCompress();
        sawWholeBytes |= bits % 8 == 0;
        EXPECT_EQ(out.Data().size(), static_cast<std::size_t>((bits + 7) / 8)) << length;
    }
    EXPECT_TRUE(sawWholeBytes);
}

TEST(SplayCodec, RoundTripConsumesExactlyTheCodeBytes) {
    std::mt19937 random(7);
    for (int size : {0, 1, 2, 255, 256, 1000, 65536}) {
        Bytes plain(static_cast<std::size_t>(size));
        // Skewed bytes, like page pictures: many zeros and small values.
        for (auto& byte : plain)
            byte = static_cast<std::uint8_t>(random() % 7 == 0 ? random() : random() % 4);
        Bytes code = Pack(plain);
        code.push_back(0xAB);  // a following record must stay unread
        std::int64_t consumed = -1;
        EXPECT_EQ(Unpack(code, plain.size(), &consumed), plain) << size;
        EXPECT_EQ(consumed, static_cast<std::int64_t>(code.size() - 1)) << size;
    }
}

TEST(SplayCodec, EveryByteValueRoundTrips) {
    Bytes plain;
    for (int round = 0; round < 3; ++round)
        for (int value = 255; value >= 0; --value)
            plain.push_back(static_cast<std::uint8_t>(value));
    EXPECT_EQ(Unpack(Pack(plain), plain.size()), plain);
}

TEST(SplayCodec, TruncatedCodeIsAReadError) {
    Bytes code = Pack({0x10, 0x20, 0x30, 0x40, 0x50});
    code.pop_back();
    try {
        Unpack(code, 5);
        FAIL() << "decoding past the code bytes must fail";
    } catch (const StreamError& error) {
        EXPECT_STREQ(error.what(), "Stream read error");
    }
    EXPECT_THROW(Unpack({}, 1), StreamError);
    EXPECT_TRUE(Unpack({}, 0).empty());
}

}  // namespace
}  // namespace qrp
