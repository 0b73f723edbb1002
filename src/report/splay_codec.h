// Adaptive splay-tree prefix code for page bodies (D. W. Jones' semi-splaying code).
// Encoder and decoder start from the same complete tree and apply the same semi-splay
// after every symbol, so nothing about the tree is stored. The layout of the bits is
// documented in docs/splay-codec.md.
#pragma once

#include <array>
#include <cstdint>

#include "stream.h"

namespace qrp {

// One object codes one page in one direction. The tree lives in fixed arrays; coding
// allocates nothing.
class TQRCompress {
public:
    // stream is not owned and must outlive the codec.
    TQRCompress(Stream& stream, bool encoding);

    // Appends the code of one byte.
    void Compress(std::uint8_t symbol);
    // Writes the last, partly filled code byte, if any. A compressor's output is complete
    // only after this; it is explicit because a write may fail and destructors must not throw.
    void FinishCompress();
    // Reads code bits up to the next leaf. Throws StreamError "Stream read error" when the
    // stream ends first: a truncated page must not decode from undefined bits.
    std::uint8_t DecodeByte();

    // Exposed for tests of the tree updates.
    void SemiSplay(int symbol);
    int Depth(int symbol) const;

private:
    void BuildInitialTree();
    void SendBit(bool one);
    std::uint8_t FetchCodeByte();

    std::uint8_t BitIndex;
    bool Encoding;
    std::uint16_t CodeIn = 0;
    std::array<std::uint16_t, 256> Left;
    std::array<std::uint16_t, 256> Right;
    std::uint16_t CodeOut = 0;
    Stream& m_stream;
    std::array<std::uint8_t, 513> Up;
};

}  // namespace qrp
