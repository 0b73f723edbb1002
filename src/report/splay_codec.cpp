#include "splay_codec.h"

#include "errors.h"
#include "messages.h"

namespace qrp {

namespace {
constexpr int kLeafBase = 256;
constexpr int kRoot = 0;
}  // namespace

TQRCompress::TQRCompress(Stream& stream, bool encoding)
    : BitIndex(encoding ? 0 : 7), Encoding(encoding), m_stream(stream) {
    BuildInitialTree();
}

void TQRCompress::BuildInitialTree() {
    // The complete binary tree in heap order: leaves 256..510 at depth 8, 511 and 512 at depth 9.
    for (int i = 1; i <= 512; ++i) Up[i] = static_cast<std::uint8_t>((i - 1) / 2);
    Up[0] = 0;
    for (int i = 0; i <= 255; ++i) {
        Left[i] = static_cast<std::uint16_t>(2 * i + 1);
        Right[i] = static_cast<std::uint16_t>(2 * i + 2);
    }
}

void TQRCompress::SemiSplay(int symbol) {
    int a = symbol + kLeafBase;
    for (;;) {
        const int p = Up[a];
        if (p == kRoot) return;
        const int g = Up[p];
        int u;
        // a takes its uncle's place under g; the uncle takes a's place under p.
        if (Left[g] == p) {
            u = Right[g];
            Right[g] = static_cast<std::uint16_t>(a);
        } else {
            u = Left[g];
            Left[g] = static_cast<std::uint16_t>(a);
        }
        if (Left[p] == a) {
            Left[p] = static_cast<std::uint16_t>(u);
        } else {
            Right[p] = static_cast<std::uint16_t>(u);
        }
        Up[a] = static_cast<std::uint8_t>(g);
        Up[u] = static_cast<std::uint8_t>(p);
        a = g;
        if (a == kRoot) return;
    }
}

int TQRCompress::Depth(int symbol) const {
    int depth = 0;
    for (int a = symbol + kLeafBase; a != kRoot; a = Up[a]) ++depth;
    return depth;
}

void TQRCompress::SendBit(bool one) {
    if (one) CodeOut |= static_cast<std::uint16_t>(1u << BitIndex);
    if (BitIndex == 7) {
        const auto byte = static_cast<std::uint8_t>(CodeOut);
        m_stream.WriteBuffer(&byte, 1);
        BitIndex = 0;
        CodeOut = 0;
    } else {
        ++BitIndex;
    }
}

void TQRCompress::Compress(std::uint8_t symbol) {
    // The path is collected leaf first and sent root first; it is at most 256 bits long.
    bool path[256];
    int length = 0;
    for (int a = symbol + kLeafBase; a != kRoot;) {
        const int p = Up[a];
        path[length++] = Right[p] == a;
        a = p;
    }
    while (length > 0) SendBit(path[--length]);
    SemiSplay(symbol);
}

void TQRCompress::FinishCompress() {
    if (!Encoding || BitIndex == 0) return;
    const auto byte = static_cast<std::uint8_t>(CodeOut);
    m_stream.WriteBuffer(&byte, 1);
    BitIndex = 0;
    CodeOut = 0;
}

std::uint8_t TQRCompress::FetchCodeByte() {
    std::uint8_t byte;
    if (m_stream.Read(&byte, 1) != 1) throw StreamError(messages::streamReadError());
    return byte;
}

std::uint8_t TQRCompress::DecodeByte() {
    int n = kRoot;
    while (n < kLeafBase) {
        if (BitIndex == 7) {
            CodeIn = FetchCodeByte();
            BitIndex = 0;
        } else {
            ++BitIndex;
        }
        n = (CodeIn & (1u << BitIndex)) ? Right[n] : Left[n];
    }
    SemiSplay(n - kLeafBase);
    return static_cast<std::uint8_t>(n - kLeafBase);
}

}  // namespace qrp
