// The device mode on a QPrinter and back, the device's measurements, and the canvas's
// rectangle: pure Qt, no spooler needed.
#include <QImage>
#include <QPainter>
#include <QPrinter>

#include <gtest/gtest.h>

#include "print/device_metrics.h"
#include "print/device_mode_mapping.h"
#include "print/qt_printer_canvas.h"
#include "render/page_renderer.h"
#include "report/page_picture.h"
#include "support/emf_builder.h"

namespace qrp::print {
namespace {

constexpr std::uint32_t kEveryField =
    DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_COPIES | DM_DUPLEX;

std::unique_ptr<QPrinter> PdfDevice() {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setPageSize(QPageSize(QPageSize::A4));
    return printer;
}

DeviceMode Mode(std::uint32_t fields, std::int16_t orientation, std::int16_t paper, std::int16_t copies = 1,
                std::int16_t duplex = DMDUP_SIMPLEX) {
    DeviceMode mode;
    mode.dmFields = fields;
    mode.dmOrientation = orientation;
    mode.dmPaperSize = paper;
    mode.dmCopies = copies;
    mode.dmDuplex = duplex;
    return mode;
}

// ---- paper identifiers and the round trip ----

TEST(DeviceModeMapping, PaperIdsAreTheDriversNumbers) {
    EXPECT_EQ(PaperIdOf(QPageSize(QPageSize::Letter)), 1);
    EXPECT_EQ(PaperIdOf(QPageSize(QPageSize::Legal)), 5);
    EXPECT_EQ(PaperIdOf(QPageSize(QPageSize::A4)), 9);
    EXPECT_EQ(PaperIdOf(QPageSize(QPageSize::A3)), 8);
    // Sizes the driver numbers do not name are user sizes.
    EXPECT_EQ(PaperIdOf(QPageSize(QPageSize::A0)), DMPAPER_USER);
    EXPECT_EQ(PaperIdOf(QPageSize(QSizeF(123, 77), QPageSize::Millimeter)), DMPAPER_USER);
}

TEST(DeviceModeMapping, EveryMemberSurvivesTheRoundTrip) {
    const auto printer = PdfDevice();
    ApplyDeviceMode(Mode(kEveryField, DMORIENT_LANDSCAPE, 5, 3), *printer);
    EXPECT_EQ(printer->pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(printer->pageLayout().pageSize().id(), QPageSize::Legal);
    EXPECT_EQ(printer->copyCount(), 3);

    const DeviceMode read = ReadDeviceMode(*printer, {true, true, true});
    EXPECT_EQ(read.dmFields, kEveryField);
    EXPECT_EQ(read.dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(read.dmPaperSize, 5);
    EXPECT_EQ(read.dmPaperWidth, 2159);  // portrait dimensions, tenths of a mm
    EXPECT_EQ(read.dmPaperLength, 3556);
    EXPECT_EQ(read.dmCopies, 3);
    EXPECT_EQ(read.dmDefaultSource, 7);  // automatic, never offered
}

// A PDF device keeps no duplex setting, so the two directions are checked on their own.
TEST(DeviceModeMapping, DuplexIdsNameTheBindingEdge) {
    EXPECT_EQ(DuplexIdOf(QPrinter::DuplexNone), DMDUP_SIMPLEX);
    EXPECT_EQ(DuplexIdOf(QPrinter::DuplexLongSide), 2);
    EXPECT_EQ(DuplexIdOf(QPrinter::DuplexAuto), 2);
    EXPECT_EQ(DuplexIdOf(QPrinter::DuplexShortSide), DMDUP_HORIZONTAL);
    EXPECT_EQ(DuplexModeOf(DMDUP_SIMPLEX), QPrinter::DuplexNone);
    EXPECT_EQ(DuplexModeOf(2), QPrinter::DuplexLongSide);
    EXPECT_EQ(DuplexModeOf(DMDUP_HORIZONTAL), QPrinter::DuplexShortSide);
    EXPECT_EQ(DuplexModeOf(0), QPrinter::DuplexNone);
    EXPECT_EQ(DuplexModeOf(77), QPrinter::DuplexNone);
}

TEST(DeviceModeMapping, CustomSizesTravelInTenthsOfAMillimetre) {
    const auto printer = PdfDevice();
    DeviceMode custom = Mode(DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH, DMORIENT_PORTRAIT, DMPAPER_USER);
    custom.dmPaperWidth = 1500;
    custom.dmPaperLength = 2000;
    ApplyDeviceMode(custom, *printer);
    const QSizeF mm = printer->pageLayout().pageSize().size(QPageSize::Millimeter);
    EXPECT_NEAR(mm.width(), 150, 0.1);
    EXPECT_NEAR(mm.height(), 200, 0.1);
    const DeviceMode read = ReadDeviceMode(*printer, {false, false, true});
    EXPECT_EQ(read.dmPaperSize, DMPAPER_USER);
    EXPECT_EQ(read.dmPaperWidth, 1500);
    EXPECT_EQ(read.dmPaperLength, 2000);
}

TEST(DeviceModeMapping, OnlyMarkedAndKnownMembersAreApplied) {
    const auto printer = PdfDevice();
    // Paper, copies and duplex differ but are not marked.
    ApplyDeviceMode(Mode(DM_ORIENTATION, DMORIENT_LANDSCAPE, 5, 4, DMDUP_HORIZONTAL), *printer);
    EXPECT_EQ(printer->pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(printer->pageLayout().pageSize().id(), QPageSize::A4);
    EXPECT_EQ(printer->copyCount(), 1);
    EXPECT_EQ(printer->duplex(), QPrinter::DuplexNone);
    // An id Qt does not know, and a user size without dimensions, leave the paper alone.
    ApplyDeviceMode(Mode(DM_PAPERSIZE, 0, 999), *printer);
    ApplyDeviceMode(Mode(DM_PAPERSIZE, 0, DMPAPER_USER), *printer);
    EXPECT_EQ(printer->pageLayout().pageSize().id(), QPageSize::A4);
    // A copy count below one still prints once.
    ApplyDeviceMode(Mode(DM_COPIES, 0, 0, 0), *printer);
    EXPECT_EQ(printer->copyCount(), 1);
}

// ---- measurements ----

TEST(DeviceMetrics, ResolutionIsTheHighestOfferedUpTo600) {
    EXPECT_EQ(ChooseResolution({150, 300, 600, 1200, 2400}), 600);
    EXPECT_EQ(ChooseResolution({300, 150}), 300);
    EXPECT_EQ(ChooseResolution({2400, 1200}), 1200);
    EXPECT_EQ(ChooseResolution({}), 600);
}

// Qt lays sheets out in whole points (A4 is 595 x 842), so pixel sizes may be a few
// pixels off the millimetre ones.
TEST(DeviceMetrics, OffsetsAreTheUnprintableMarginsAndTheSheetLiesAsOriented) {
    // 5 mm left and right, 4 mm top and bottom cannot be printed; the layout's own 20 mm
    // margins are a page setup matter and play no part.
    QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 20, 20, 20),
                       QPageLayout::Millimeter, QMarginsF(5, 4, 5, 4));
    layout.setMode(QPageLayout::FullPageMode);
    const DeviceMetrics portrait = MeasureDevice(layout, 600);
    EXPECT_EQ(portrait.Cap(DeviceCap::LOGPIXELSX), 600);
    EXPECT_EQ(portrait.Cap(DeviceCap::LOGPIXELSY), 600);
    const int width = portrait.Cap(DeviceCap::PHYSICALWIDTH), height = portrait.Cap(DeviceCap::PHYSICALHEIGHT);
    EXPECT_NEAR(width, 4961, 4);
    EXPECT_NEAR(height, 7016, 4);
    const int left = portrait.Cap(DeviceCap::PHYSICALOFFSETX), top = portrait.Cap(DeviceCap::PHYSICALOFFSETY);
    EXPECT_NEAR(left, 118, 3);  // 5 mm
    EXPECT_NEAR(top, 94, 3);    // 4 mm
    EXPECT_NEAR(portrait.printable.width(), width - 2 * left, 1);
    EXPECT_NEAR(portrait.printable.height(), height - 2 * top, 1);

    const QPageLayout turned(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(), QPageLayout::Millimeter,
                             QMarginsF(4, 5, 4, 5));
    const DeviceMetrics landscape = MeasureDevice(turned, 300);
    EXPECT_NEAR(landscape.Cap(DeviceCap::PHYSICALWIDTH), 3508, 2);
    EXPECT_NEAR(landscape.Cap(DeviceCap::PHYSICALHEIGHT), 2480, 2);
    EXPECT_NEAR(landscape.Cap(DeviceCap::PHYSICALOFFSETX), 47, 2);
}

// ---- the canvas ----

QImage Blank() {
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

TEST(QtPrinterCanvas, RectangleIncludesItsRightAndBottomPixelsAndStateIsKept) {
    // A picture whose frame is covered by a black-filled ellipse and a rule: any change
    // in scale shows in the pixels.
    test::EmfBuilder emf;
    emf.Add(37, {static_cast<std::int32_t>(0x80000004)})  // BLACK_BRUSH
        .Add(42, {0, 0, 100, 100})                        // EMR_ELLIPSE
        .Add(43, {10, 40, 90, 60});                       // EMR_RECTANGLE
    const auto picture = PagePicture::FromBytes(emf.Finish());

    QImage expected = Blank();
    {
        QPainter painter(&expected);
        painter.translate(3, 2);
        render::DrawPage(painter, picture->View(), QRectF(5, 6, 20, 25));
    }
    QImage drawn = Blank();
    {
        QPainter painter(&drawn);
        painter.translate(3, 2);
        const QTransform before = painter.transform();
        QtPrinterCanvas canvas(painter);
        canvas.StretchDraw(*picture, {5, 6, 24, 30});
        EXPECT_EQ(painter.transform(), before);
    }
    EXPECT_EQ(drawn, expected);

    QImage oneShort = Blank();
    {
        QPainter painter(&oneShort);
        painter.translate(3, 2);
        render::DrawPage(painter, picture->View(), QRectF(5, 6, 19, 24));
    }
    EXPECT_NE(drawn, oneShort);
}

}  // namespace
}  // namespace qrp::print
