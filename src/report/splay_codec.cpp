#include "splay_codec.h"

#include "base/errors.h"
#include "base/messages.h"

namespace qrp {

namespace {
constexpr int kLeafBase = 256;
constexpr int kRoot = 0;
// Paths up to this length are gathered in one machine word; longer ones (rare, at most
// 256 bits after long runs of skewed data) go bit by bit.
constexpr int kWordPath = 56;
}  // namespace

TQRCompress::TQRCompress(Stream& stream, bool encoding) : Encoding(encoding), m_stream(stream) {
    BuildInitialTree();
}

void TQRCompress::BuildInitialTree() {
    // The complete binary tree in heap order: leaves 256..510 at depth 8, 511 and 512 at depth 9.
    for (int i = 1; i <= 512; ++i)
        Up[i] = static_cast<std::uint8_t>((i - 1) / 2);
    Up[0] = 0;
    for (int i = 0; i <= 255; ++i) {
        Child[2 * i] = static_cast<std::uint16_t>(2 * i + 1);
        Child[2 * i + 1] = static_cast<std::uint16_t>(2 * i + 2);
    }
}

void TQRCompress::SemiSplay(int symbol) {
    int a = symbol + kLeafBase;
    for (;;) {
        const int p = Up[a];
        if (p == kRoot)
            return;
        const int g = Up[p];
        // a takes its uncle's place under g; the uncle takes a's place under p.
        const int uncleSide = Child[2 * g] == p ? 1 : 0;
        const int u = Child[2 * g + uncleSide];
        Child[2 * g + uncleSide] = static_cast<std::uint16_t>(a);
        Child[2 * p + (Child[2 * p] == a ? 0 : 1)] = static_cast<std::uint16_t>(u);
        Up[a] = static_cast<std::uint8_t>(g);
        Up[u] = static_cast<std::uint8_t>(p);
        a = g;
        if (a == kRoot)
            return;
    }
}

int TQRCompress::Depth(int symbol) const {
    int depth = 0;
    for (int a = symbol + kLeafBase; a != kRoot; a = Up[a])
        ++depth;
    return depth;
}

void TQRCompress::PutBits(std::uint64_t bits, int count) {
    CodeOut |= bits << BitIndex;
    BitIndex += count;
    while (BitIndex >= 8) {
        if (m_bufferUsed == m_buffer.size()) {
            m_stream.WriteBuffer(m_buffer.data(), m_bufferUsed);
            m_bufferUsed = 0;
        }
        m_buffer[m_bufferUsed++] = static_cast<std::uint8_t>(CodeOut);
        CodeOut >>= 8;
        BitIndex -= 8;
    }
}

void TQRCompress::Compress(std::uint8_t symbol) {
    // Walking up from the leaf and shifting each bit in from the right leaves the root's
    // bit lowest: the order in which bits are packed, least significant bit first.
    std::uint64_t code = 0;
    int length = 0;
    int a = symbol + kLeafBase;
    while (a != kRoot && length < kWordPath) {
        const int p = Up[a];
        code = (code << 1) | (Child[2 * p + 1] == a ? 1u : 0u);
        a = p;
        ++length;
    }
    if (a != kRoot) {
        // The rest of a long path, nearer the root, is sent first.
        bool upper[256];
        int upperLength = 0;
        for (; a != kRoot; a = Up[a])
            upper[upperLength++] = Child[2 * Up[a] + 1] == a;
        while (upperLength > 0)
            PutBits(upper[--upperLength] ? 1 : 0, 1);
    }
    PutBits(code, length);
    SemiSplay(symbol);
}

void TQRCompress::FinishCompress() {
    if (!Encoding)
        return;
    if (BitIndex != 0)
        PutBits(0, 8 - BitIndex);  // the last byte's high bits stay 0
    m_stream.WriteBuffer(m_buffer.data(), m_bufferUsed);
    m_bufferUsed = 0;
}

std::uint8_t TQRCompress::FetchCodeByte() {
    if (m_bufferUsed == m_bufferFill) {
        m_bufferFill = m_stream.Read(m_buffer.data(), m_buffer.size());
        m_bufferUsed = 0;
        if (m_bufferFill == 0)
            throw StreamError(messages::streamReadError());
    }
    return m_buffer[m_bufferUsed++];
}

void TQRCompress::FinishExpand() {
    if (Encoding || m_bufferUsed == m_bufferFill)
        return;
    m_stream.Seek(-static_cast<std::int64_t>(m_bufferFill - m_bufferUsed), SeekOrigin::Current);
    m_bufferFill = m_bufferUsed = 0;
}

std::uint8_t TQRCompress::DecodeByte() {
    std::uint8_t byte = 0;
    Decode(std::span(&byte, 1));
    return byte;
}

void TQRCompress::Decode(std::span<std::uint8_t> out) {
    // The bit state stays in registers across the whole span; members are written back at
    // the end (a throw abandons the codec anyway).
    std::uint32_t bits = CodeIn;
    int left = BitIndex;
    // The way down, node and the side taken from it, so that the splay back up needs no
    // look-ups of parents or of which side a child is on.
    std::array<std::uint16_t, 258> path;
    std::array<std::uint8_t, 258> side;
    for (std::uint8_t& byte : out) {
        unsigned n = kRoot;
        int depth = 0;
        do {
            // A code byte is fetched only when its first bit is needed, so decoding stops
            // exactly at the end of what the compressor wrote.
            if (left == 0) {
                bits = m_bufferUsed < m_bufferFill ? m_buffer[m_bufferUsed++] : FetchCodeByte();
                left = 8;
            }
            path[depth] = static_cast<std::uint16_t>(n);
            side[depth++] = static_cast<std::uint8_t>(bits & 1);
            n = Child[2 * n + (bits & 1)];
            bits >>= 1;
            --left;
        } while (n < kLeafBase);
        byte = static_cast<std::uint8_t>(n - kLeafBase);
        // SemiSplay's steps, with parent and sides read off the path: a step changes only
        // what lies below the grandparent, so the path above it still holds.
        unsigned a = n;
        for (int k = depth - 1; k >= 1; k -= 2) {
            const unsigned p = path[k], g = path[k - 1];
            const unsigned uncleSide = 1u - side[k - 1];
            const unsigned u = Child[2 * g + uncleSide];
            Child[2 * g + uncleSide] = static_cast<std::uint16_t>(a);
            Child[2 * p + side[k]] = static_cast<std::uint16_t>(u);
            Up[a] = static_cast<std::uint8_t>(g);
            Up[u] = static_cast<std::uint8_t>(p);
            a = g;
            if (a == kRoot)
                break;
        }
    }
    CodeIn = bits;
    BitIndex = left;
}

}  // namespace qrp
