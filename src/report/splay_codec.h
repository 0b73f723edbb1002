// Adaptive splay-tree prefix code for page bodies (D. W. Jones' semi-splaying code).
// Encoder and decoder start from the same complete tree and apply the same semi-splay
// after every symbol, so nothing about the tree is stored. The layout of the bits is
// documented in docs/splay-codec.md.
#pragma once

#include <array>
#include <cstdint>
#include <span>

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
    // Writes the last, partly filled code byte, if any, and whatever is still buffered. A
    // compressor's output is complete only after this; it is explicit because a write may
    // fail and destructors must not throw.
    void FinishCompress();
    // Reads code bits up to the next leaf. Throws StreamError "Stream read error" when the
    // stream ends first: a truncated page must not decode from undefined bits.
    std::uint8_t DecodeByte();
    // Decodes out.size() bytes at once: the same as DecodeByte that often, faster.
    void Decode(std::span<std::uint8_t> out);
    // Code bytes are read ahead in blocks; this gives back the ones not used, so the
    // stream stands right after the last code byte the decoded bytes needed.
    void FinishExpand();

    // Exposed for tests of the tree updates.
    void SemiSplay(int symbol);
    int Depth(int symbol) const;

  private:
    void BuildInitialTree();
    void PutBits(std::uint64_t bits, int count);
    std::uint8_t FetchCodeByte();

    // Compressor: the number of code bits waiting in CodeOut. Expander: the number of
    // bits of CodeIn not used yet.
    int BitIndex = 0;
    bool Encoding;
    // Expander: the unused bits of the code byte read last, next bit lowest.
    std::uint32_t CodeIn = 0;
    // Children of inner node i: Child[2i] left, Child[2i + 1] right. One array makes
    // the step down the tree a plain index by the code bit.
    std::array<std::uint16_t, 512> Child;
    // Compressor: code bits not yet written, next bit lowest.
    std::uint64_t CodeOut = 0;
    Stream& m_stream;
    // Parent of each node; a parent is always an inner node, so 8 bits hold it.
    std::array<std::uint8_t, 513> Up;
    // Code bytes go to and come from the stream in blocks rather than one call per byte.
    std::array<std::uint8_t, 4096> m_buffer;
    std::size_t m_bufferUsed = 0;  // compressor: bytes waiting; expander: bytes consumed
    std::size_t m_bufferFill = 0;  // expander: bytes read ahead
};

}  // namespace qrp
