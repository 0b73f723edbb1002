#include "report/page_picture.h"

#include <gtest/gtest.h>

#include "base/byte_order.h"
#include "base/errors.h"
#include "report_fixtures.h"

namespace qrp {
namespace {

TEST(PagePicture, SizeInPixelsFromFrameAndReferenceDevice) {
    test::Bytes emf = test::MakeEmf(0, 1);
    auto picture = PagePicture::FromBytes(emf);
    EXPECT_EQ(picture->WidthPx(), 794);  // 21000 * 794 / 21000
    EXPECT_EQ(picture->HeightPx(), 1123);
    // 1000 px over 300 mm: a 15 mm frame is 50 px; halves go to the even neighbour.
    StoreI32(&emf[72], 1000);
    StoreI32(&emf[80], 300);
    StoreI32(&emf[32], 1500);
    EXPECT_EQ(PagePicture::FromBytes(emf)->WidthPx(), 50);
    StoreI32(&emf[32], 15);  // 0.5 px
    EXPECT_EQ(PagePicture::FromBytes(emf)->WidthPx(), 0);
    StoreI32(&emf[32], 45);  // 1.5 px
    EXPECT_EQ(PagePicture::FromBytes(emf)->WidthPx(), 2);
    StoreI32(&emf[80], 0);
    EXPECT_EQ(PagePicture::FromBytes(emf)->WidthPx(), 0) << "no device size, no division by zero";
}

TEST(PagePicture, RejectsWhatIsNoEmf) {
    test::Bytes emf = test::MakeEmf(3, 2);
    test::Bytes shortened(emf.begin(), emf.end() - 4);
    EXPECT_THROW(PagePicture::FromBytes(shortened), StreamError);
    test::Bytes tiny(40, 0);
    EXPECT_THROW(PagePicture::FromBytes(tiny), EQRError);
    test::Bytes badHeader = emf;
    StoreU32(&badHeader[4], 12);  // header record too small for its own fields
    EXPECT_THROW(PagePicture::FromBytes(badHeader), EQRError);
    test::Bytes longer = emf;
    longer.push_back(0);
    EXPECT_THROW(PagePicture::FromBytes(longer), EQRError);
}

}  // namespace
}  // namespace qrp
