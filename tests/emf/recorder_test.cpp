#include "emf/recorder.h"

#include <cstdlib>

#include <gtest/gtest.h>

#include "base/byte_order.h"
#include "emf/emf_format.h"
#include "emf/player.h"
#include "report/page_picture.h"
#include "support/recording_device.h"
#include "support/test_paths.h"

namespace qrp::emf {
namespace {

const ReferenceDevice kScreen = ReferenceDevice::Screen(1920, 1080, 96);

// A report page as a report writes it: title, column headings in two scripts, ruled
// rows of right-aligned numbers with advances, a total box, a small logo.
std::vector<std::uint8_t> RecordReportPage() {
    Recorder page(794, 1123, kScreen);
    const std::uint32_t title = page.CreateFont({.height = -21, .weight = 700, .faceName = u"Arial"});
    const std::uint32_t body = page.CreateFont({.height = -13, .charset = 136, .faceName = u"細明體"});
    const std::uint32_t rule = page.CreatePen(kPsSolid, 1, {0, 0, 0});
    const std::uint32_t shade = page.CreateBrush(kBsSolid, {230, 230, 230});
    page.SetBkMode(kTransparent);
    page.SetTextColor({0, 0, 0});
    page.SelectObject(title);
    page.SetTextAlign(kTaTop | kTaLeft);
    page.ExtTextOut(60, 40, u"Quarterly sales");
    page.SelectObject(body);
    page.SelectObject(rule);
    page.SelectObject(shade);
    page.Rectangle({60, 90, 734, 112});
    page.ExtTextOut(66, 94, u"客戶", std::vector<std::int32_t>{13, 13});
    page.SetTextAlign(kTaTop | kTaRight);
    page.ExtTextOut(728, 94, u"金額", std::vector<std::int32_t>{13, 13});
    for (int row = 0; row < 3; ++row) {
        const std::int32_t y = 116 + 18 * row;
        page.SetTextAlign(kTaTop | kTaLeft);
        page.ExtTextOut(66, y, u"Customer " + std::u16string(1, static_cast<char16_t>(u'A' + row)));
        page.SetTextAlign(kTaTop | kTaRight);
        page.ExtTextOut(728, y, u"1,250.00", std::vector<std::int32_t>{7, 4, 7, 7, 7, 4, 7, 7});
        page.MoveTo(60, y + 17);
        page.LineTo(734, y + 17);
    }
    page.SaveDC();
    page.IntersectClipRect({60, 180, 734, 220});
    page.SelectStockObject(kNullBrush);
    page.RoundRect({60, 180, 734, 210}, 8, 8);
    page.RestoreDC(-1);
    Bitmap logo{2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}};
    page.StretchDIBits({700, 30, 732, 62}, logo);
    page.DeleteObject(shade);
    page.DeleteObject(rule);
    page.DeleteObject(body);
    page.DeleteObject(title);
    return page.Finish();
}

TEST(Recorder, HeaderDescribesThePage) {
    const auto emf = RecordReportPage();
    const auto picture = PagePicture::FromBytes(emf);
    EXPECT_EQ(picture->WidthPx(), 794);
    EXPECT_EQ(picture->HeightPx(), 1123);
    // Frame: 794 x 50800 / 1920 and 1123 x 28600 / 1080, rounded.
    EXPECT_EQ(picture->Frame().right, 21008);
    EXPECT_EQ(picture->Frame().bottom, 29739);
    EXPECT_EQ(LoadU32(&emf[kHeaderBytes]), emf.size());
    EXPECT_EQ(LoadU16(&emf[kHeaderHandles]), 5) << "four objects and the reserved slot";
    // Bounds cover what was drawn, inclusive.
    EXPECT_EQ(LoadI32(&emf[kHeaderBounds]), 60);
    EXPECT_EQ(LoadI32(&emf[kHeaderBounds + 4]), 30);
    EXPECT_EQ(LoadI32(&emf[kHeaderBounds + 8]), 734) << "the last rule ends at 734";
}

// A device of whole millimetres gives the page its true frame, and the frame reads back as
// exactly the pixels recorded: A4 on a 96 dpi screen and on a 600 dpi printer.
TEST(Recorder, ResolutionDeviceFramesThePageExactly) {
    const auto screen = PagePicture::FromBytes(Recorder(794, 1123, ReferenceDevice::AtResolution(96, 96)).Finish());
    EXPECT_EQ(screen->Frame().right, 21008);  // 794 x 2540 / 96 = 21008.3
    EXPECT_EQ(screen->Frame().bottom, 29713);
    EXPECT_EQ(screen->WidthPx(), 794);
    EXPECT_EQ(screen->HeightPx(), 1123);
    const auto printer = PagePicture::FromBytes(Recorder(4961, 7016, ReferenceDevice::AtResolution(600, 300)).Finish());
    EXPECT_EQ(printer->WidthPx(), 4961);
    EXPECT_EQ(printer->HeightPx(), 7016);
    EXPECT_EQ(printer->DevicePixelsY(), 3000);
}

TEST(Recorder, PlaysBackThroughThePlayer) {
    const auto emf = RecordReportPage();
    Player player(emf);
    test::RecordingDevice device;
    const PlayStats stats = player.Play(device, {0, 0, 794, 1123});
    EXPECT_EQ(stats.damaged, 0u);
    EXPECT_EQ(stats.unsupported, 0u);
    EXPECT_FALSE(stats.truncated);
    EXPECT_EQ(stats.records, LoadU32(&emf[kHeaderRecords]));
    EXPECT_EQ(device.Texts(), 9u);
    EXPECT_EQ(device.Images(), 1u);
    EXPECT_EQ(
        test::CompareGolden(test::DataDir() / "golden" / "emf" / "recorded_report_page.records.txt", device.Text()),
        "");
}

TEST(Recorder, LargeCoordinatesUseThirtyTwoBitPoints) {
    Recorder page(100, 100, kScreen);
    const PointL small[] = {{0, 0}, {10, 10}};
    const PointL large[] = {{0, 0}, {40000, 10}};
    page.Polyline(small);
    page.Polygon(large);
    const auto emf = page.Finish();
    const std::size_t first = LoadU32(&emf[kRecordSize]);
    EXPECT_EQ(LoadU32(&emf[first]), kEmrPolyline16);
    const std::size_t second = first + LoadU32(&emf[first + kRecordSize]);
    EXPECT_EQ(LoadU32(&emf[second]), kEmrPolygon);
    test::RecordingDevice device;
    Player(emf).Play(device, {0, 0, 100, 100});
    EXPECT_EQ(device.Paths(), 2u);
}

TEST(Recorder, DeletedSlotsAreReused) {
    Recorder page(10, 10, kScreen);
    const std::uint32_t a = page.CreatePen(kPsSolid, 1, {});
    const std::uint32_t b = page.CreateBrush(kBsSolid, {});
    page.DeleteObject(a);
    EXPECT_EQ(page.CreateFont({}), a);
    EXPECT_EQ(b, 2u);
}

// Another EMF reader takes what we write: Debian's emf2svg converts it without complaint.
TEST(Recorder, OtherReadersAcceptThePage) {
    if (std::system("command -v emf2svg-conv >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "emf2svg-conv not installed";
    test::ScratchDir dir;
    test::WriteFileBytes(dir / "page.emf", RecordReportPage());
    const std::string command = "emf2svg-conv -i '" + (dir / "page.emf").string() + "' -o '" +
                                (dir / "page.svg").string() + "' >'" + (dir / "log").string() + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const auto svg = test::ReadFileBytes(dir / "page.svg");
    const std::string text(svg.begin(), svg.end());
    EXPECT_NE(text.find("Quarterly sales"), std::string::npos);
    EXPECT_NE(text.find("金額"), std::string::npos);
}

}  // namespace
}  // namespace qrp::emf
