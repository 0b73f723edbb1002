#include "support/emf_builder.h"

#include <cstring>

namespace qrp::test {

namespace {

void Store32(std::vector<std::uint8_t>& data, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        data[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

Bytes& Bytes::U8(std::uint8_t v) {
    m_data.push_back(v);
    return *this;
}

Bytes& Bytes::U16(std::uint16_t v) {
    m_data.push_back(static_cast<std::uint8_t>(v));
    m_data.push_back(static_cast<std::uint8_t>(v >> 8));
    return *this;
}

Bytes& Bytes::U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        m_data.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return *this;
}

Bytes& Bytes::F32(float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return U32(bits);
}

Bytes& Bytes::I32s(std::initializer_list<std::int32_t> values) {
    for (std::int32_t v : values)
        I32(v);
    return *this;
}

Bytes& Bytes::Utf16(const std::u16string& text) {
    for (char16_t c : text)
        U16(c);
    return *this;
}

Bytes& Bytes::Raw(const std::vector<std::uint8_t>& bytes) {
    m_data.insert(m_data.end(), bytes.begin(), bytes.end());
    return *this;
}

Bytes& Bytes::Pad4() {
    while (m_data.size() % 4 != 0)
        m_data.push_back(0);
    return *this;
}

Bytes& Bytes::Zeros(std::size_t count) {
    m_data.insert(m_data.end(), count, 0);
    return *this;
}

EmfBuilder::EmfBuilder() : EmfBuilder(2540, 2540, 1000, 254) {}

EmfBuilder::EmfBuilder(std::int32_t frameRight, std::int32_t frameBottom, std::int32_t devicePixels,
                       std::int32_t deviceMm) {
    Bytes header;
    header
        .I32s({0, 0, 99, 99})                   // bounds
        .I32s({0, 0, frameRight, frameBottom})  // frame, 0.01 mm
        .U32(0x464D4520)                        // " EMF"
        .U32(0x10000)                           // version
        .U32(0)                                 // bytes: patched by Finish
        .U32(0)                                 // records: patched by Finish
        .U16(1)                                 // handles
        .U16(0)
        .U32(0)  // description length
        .U32(0)  // description offset
        .U32(0)  // palette entries
        .I32s({devicePixels, devicePixels})
        .I32s({deviceMm, deviceMm})
        .U32(0)                                     // pixel format size
        .U32(0)                                     // pixel format offset
        .U32(0)                                     // OpenGL
        .I32s({deviceMm * 1000, deviceMm * 1000});  // micrometres
    Add(1, header);
}

EmfPlusRecords& EmfPlusRecords::Add(std::uint16_t type, std::uint16_t flags, const Bytes& data) {
    const auto size = static_cast<std::uint32_t>(data.Size());
    m_data.U16(type).U16(flags).U32(12 + ((size + 3) & ~3u)).U32(size).Raw(data.Data()).Pad4();
    return *this;
}

EmfPlusRecords& EmfPlusRecords::Header(std::uint32_t dpi) {
    return Add(0x4001, 1, Bytes().U32(0xDBC01002).U32(1).U32(dpi).U32(dpi));
}

EmfPlusRecords& EmfPlusRecords::Object(std::uint8_t id, std::uint8_t type, const Bytes& body) {
    return Add(0x4008, static_cast<std::uint16_t>(type << 8 | id), Bytes().U32(0xDBC01002).Raw(body.Data()));
}

EmfBuilder& EmfBuilder::Plus(const EmfPlusRecords& records) {
    const auto size = static_cast<std::uint32_t>(records.Data().Size());
    return Add(70, Bytes().U32(size + 4).U32(0x2B464D45).Raw(records.Data().Data()));
}

EmfBuilder& EmfBuilder::Add(std::uint32_t type, const Bytes& payload) {
    Bytes record;
    record.U32(type).U32(0).Raw(payload.Data()).Pad4();
    std::vector<std::uint8_t> bytes = record.Data();
    Store32(bytes, 4, static_cast<std::uint32_t>(bytes.size()));
    return AddRaw(bytes);
}

EmfBuilder& EmfBuilder::Add(std::uint32_t type, std::initializer_list<std::int32_t> params) {
    Bytes payload;
    payload.I32s(params);
    return Add(type, payload);
}

EmfBuilder& EmfBuilder::AddRaw(const std::vector<std::uint8_t>& bytes) {
    m_data.insert(m_data.end(), bytes.begin(), bytes.end());
    ++m_records;
    return *this;
}

EmfBuilder& EmfBuilder::Font(std::uint32_t index, std::int32_t height, const std::u16string& face,
                             std::int32_t escapement, std::uint8_t charset, std::int32_t weight) {
    Bytes p;
    p.U32(index).I32s({height, 0, escapement, escapement, weight}).U8(0).U8(0).U8(0).U8(charset).Zeros(4);
    std::u16string name = face.substr(0, 31);
    name.resize(32, u'\0');
    p.Utf16(name);
    return Add(82, p);
}

namespace {

// EMRTEXT after bounds, graphics mode and scales; the string and the advances follow it.
Bytes TextRecord(std::int32_t x, std::int32_t y, std::uint32_t chars, const Bytes& string,
                 const std::vector<std::int32_t>& dx, std::uint32_t options, std::array<std::int32_t, 4> rect) {
    const std::uint32_t stringAt = 8 + 16 + 12 + 40;
    Bytes padded = string;
    padded.Pad4();
    const std::uint32_t dxAt = dx.empty() ? 0 : stringAt + static_cast<std::uint32_t>(padded.Size());
    Bytes p;
    p.I32s({0, 0, -1, -1}).U32(1).F32(1).F32(1);
    p.I32(x).I32(y).U32(chars).U32(stringAt).U32(options).I32s({rect[0], rect[1], rect[2], rect[3]}).U32(dxAt);
    p.Raw(padded.Data());
    for (std::int32_t d : dx)
        p.I32(d);
    return p;
}

}  // namespace

EmfBuilder& EmfBuilder::TextW(std::int32_t x, std::int32_t y, const std::u16string& text,
                              const std::vector<std::int32_t>& dx, std::uint32_t options,
                              std::array<std::int32_t, 4> rect) {
    Bytes string;
    string.Utf16(text);
    return Add(84, TextRecord(x, y, static_cast<std::uint32_t>(text.size()), string, dx, options, rect));
}

EmfBuilder& EmfBuilder::TextA(std::int32_t x, std::int32_t y, const std::vector<std::uint8_t>& ansi,
                              const std::vector<std::int32_t>& dx, std::uint32_t options) {
    Bytes string;
    string.Raw(ansi);
    return Add(83, TextRecord(x, y, static_cast<std::uint32_t>(ansi.size()), string, dx, options, {0, 0, 0, 0}));
}

EmfBuilder& EmfBuilder::StretchDiBits(std::array<std::int32_t, 4> dest, std::array<std::int32_t, 4> src,
                                      const Bytes& info, const Bytes& bits, std::uint32_t rop) {
    const std::uint32_t infoAt = 80;
    const std::uint32_t bitsAt = infoAt + static_cast<std::uint32_t>(info.Size());
    Bytes p;
    p.I32s({dest[0], dest[1], dest[0] + dest[2] - 1, dest[1] + dest[3] - 1});
    p.I32s({dest[0], dest[1], src[0], src[1], src[2], src[3]});
    p.U32(infoAt).U32(static_cast<std::uint32_t>(info.Size())).U32(bitsAt).U32(static_cast<std::uint32_t>(bits.Size()));
    p.U32(0).U32(rop).I32(dest[2]).I32(dest[3]);
    p.Raw(info.Data()).Raw(bits.Data());
    return Add(81, p);
}

EmfBuilder& EmfBuilder::Blt(std::uint32_t type, std::array<std::int32_t, 4> dest, std::array<std::int32_t, 4> src,
                            std::uint32_t rop, const Bytes& info, const Bytes& bits) {
    const bool bitBlt = type == 76;
    const std::uint32_t infoAt = bitBlt ? 100 : 108;
    const std::uint32_t bitsAt = infoAt + static_cast<std::uint32_t>(info.Size());
    Bytes p;
    p.I32s({dest[0], dest[1], dest[0] + dest[2] - 1, dest[1] + dest[3] - 1});
    p.I32s({dest[0], dest[1], dest[2], dest[3]}).U32(rop).I32(src[0]).I32(src[1]);
    p.F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).U32(0xFFFFFF).U32(0);
    if (info.Size() == 0) {
        p.U32(0).U32(0).U32(0).U32(0);
    } else {
        p.U32(infoAt).U32(static_cast<std::uint32_t>(info.Size())).U32(bitsAt);
        p.U32(static_cast<std::uint32_t>(bits.Size()));
    }
    if (!bitBlt)
        p.I32(src[2]).I32(src[3]);
    p.Raw(info.Data()).Raw(bits.Data());
    return Add(type, p);
}

std::vector<std::uint8_t> EmfBuilder::Finish() {
    Add(14, {0, 16, 20});  // EMR_EOF: no palette
    Store32(m_data, 48, static_cast<std::uint32_t>(m_data.size()));
    Store32(m_data, 52, m_records);
    return m_data;
}

Bytes BitmapInfo(std::int32_t width, std::int32_t height, std::uint16_t bitCount, std::uint32_t compression,
                 const std::vector<std::uint32_t>& palette) {
    Bytes info;
    info.U32(40).I32(width).I32(height).U16(1).U16(bitCount).U32(compression).U32(0).I32(0).I32(0);
    info.U32(static_cast<std::uint32_t>(palette.size())).U32(0);
    for (std::uint32_t c : palette)
        info.U8(c & 0xFF).U8((c >> 8) & 0xFF).U8((c >> 16) & 0xFF).U8(0);
    return info;
}

}  // namespace qrp::test
