#include "emf/record_reader.h"

#include <gtest/gtest.h>

#include "emf/emf_format.h"
#include "emf/emf_header.h"
#include "support/emf_builder.h"

namespace qrp::emf {
namespace {

using test::Bytes;
using test::EmfBuilder;

std::vector<std::uint32_t> Types(std::span<const std::uint8_t> data, bool* damaged = nullptr) {
    RecordReader reader(data);
    std::vector<std::uint32_t> types;
    while (auto r = reader.Next())
        types.push_back(r->Type());
    if (damaged)
        *damaged = reader.Damaged();
    return types;
}

TEST(RecordReader, WalksRecordsUpToEof) {
    auto emf = EmfBuilder().Add(kEmrSaveDc, {}).Add(kEmrRestoreDc, {-1}).Finish();
    emf.insert(emf.end(), {1, 2, 3, 4, 5, 6, 7, 8});  // bytes after EMR_EOF are never read
    bool damaged = true;
    EXPECT_EQ(Types(emf, &damaged), (std::vector<std::uint32_t>{kEmrHeader, kEmrSaveDc, kEmrRestoreDc, kEmrEof}));
    EXPECT_FALSE(damaged);
}

TEST(RecordReader, ImpossibleSizesEndThePicture) {
    for (std::uint32_t size : {0u, 4u, 10u, 0x7FFFFFF0u}) {
        Bytes bad;
        bad.U32(kEmrSaveDc).U32(size);
        auto emf = EmfBuilder().Add(kEmrSetBkMode, {1}).AddRaw(bad.Data()).Add(kEmrSaveDc, {}).Finish();
        bool damaged = false;
        EXPECT_EQ(Types(emf, &damaged), (std::vector<std::uint32_t>{kEmrHeader, kEmrSetBkMode})) << size;
        EXPECT_TRUE(damaged) << size;
    }
}

TEST(RecordReader, MissingEofIsNotDamage) {
    auto emf = EmfBuilder().Add(kEmrSaveDc, {}).Finish();
    emf.resize(emf.size() - 20);  // drop EMR_EOF
    bool damaged = true;
    EXPECT_EQ(Types(emf, &damaged), (std::vector<std::uint32_t>{kEmrHeader, kEmrSaveDc}));
    EXPECT_FALSE(damaged);
    emf.resize(emf.size() - 2);  // a torn record
    EXPECT_EQ(Types(emf, &damaged), (std::vector<std::uint32_t>{kEmrHeader}));
    EXPECT_TRUE(damaged);
}

TEST(RecordReader, AccessorsCheckEveryFieldAgainstTheRecord) {
    const auto emf = EmfBuilder().Add(kEmrSetTextColor, {0x00123456}).Finish();
    RecordReader reader(emf);
    reader.Next();
    const Record r = *reader.Next();
    EXPECT_EQ(r.Size(), 12u);
    EXPECT_EQ(r.Offset(), EmfBuilder::kHeaderSize);
    EXPECT_EQ(r.U32(8), 0x00123456u);
    EXPECT_EQ(r.U16(10), 0x0012);
    EXPECT_EQ(r.U8(8), 0x56);
    EXPECT_THROW(r.U32(9), RecordError);
    EXPECT_THROW(r.U8(12), RecordError);
    EXPECT_THROW(r.Point32(8), RecordError);
    EXPECT_THROW(r.Array(8, 2, 4), RecordError);
    EXPECT_NO_THROW(r.Array(8, 1, 4));
    // A huge count must not overflow into a small product.
    EXPECT_THROW(r.Array(8, 0x4000000000000001ull, 4), RecordError);
    EXPECT_THROW(r.U32(SIZE_MAX - 1), RecordError);
    try {
        r.U32(12);
        FAIL();
    } catch (const RecordError& e) {
        EXPECT_STREQ(e.what(), "EMF record of type 24 at offset 108 is damaged");
    }
}

TEST(EmfHeader, ReadsFrameAndReferenceDevice) {
    const auto emf = EmfBuilder(21000, 29700, 1000, 254).Finish();
    const Header h = ReadHeader(emf);
    EXPECT_EQ(h.frame.right, 21000);
    EXPECT_EQ(h.frame.bottom, 29700);
    EXPECT_EQ(h.bytes, emf.size());
    EXPECT_EQ(h.records, 2u);
    EXPECT_DOUBLE_EQ(h.PixelsPerMmX(), 1000.0 / 254);
    EXPECT_NEAR(h.FrameWidthPx(), 826.77, 0.01);
}

TEST(EmfHeader, RejectsWhatIsNoEmf) {
    auto emf = EmfBuilder().Finish();
    auto expectError = [](std::vector<std::uint8_t> bytes, const char* text) {
        try {
            ReadHeader(bytes);
            ADD_FAILURE() << text;
        } catch (const EQRError& e) {
            EXPECT_EQ(std::string(e.what()), std::string("Metafile is not valid: ") + text);
        }
    };
    expectError({}, "no header record");
    auto wrongType = emf;
    wrongType[0] = 2;
    expectError(wrongType, "the first record is no header");
    auto badSignature = emf;
    badSignature[40] = 'X';
    expectError(badSignature, "bad signature");
    auto shortHeader = EmfBuilder().Finish();
    shortHeader[4] = 80;  // header record of 80 bytes: too short for the device sizes
    expectError(shortHeader, "header record too short");
}

TEST(EmfHeader, BrokenDeviceSizeFallsBackTo96Dpi) {
    const auto emf = EmfBuilder(2540, 2540, 0, 0).Finish();
    EXPECT_NEAR(ReadHeader(emf).FrameWidthPx(), 96, 1e-9);
}

}  // namespace
}  // namespace qrp::emf
