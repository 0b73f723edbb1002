// Whole pages: sizes, stretching from the frame, image/SVG/PDF output and pixel goldens of
// small pictures made with the EMF builder.
#include "render/page_renderer.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "image_checks.h"
#include "support/emf_builder.h"
#include "support/test_paths.h"

namespace qrp::test {
namespace {

using render::RasterSize;

// Record types and arguments used below.
constexpr std::uint32_t kCreatePen = 38, kCreateBrush = 39, kSelect = 37, kRectangle = 43, kEllipse = 42,
                        kSetTextColor = 24, kSetTextAlign = 22, kSetBkMode = 18, kPolyline16 = 87;

// A 200 x 100 page (2 x 1 inches at 100 dpi).
EmfBuilder WidePage() {
    return EmfBuilder(5080, 2540, 1000, 254);
}

std::vector<std::uint8_t> ShapesPage() {
    EmfBuilder emf = WidePage();
    emf.Add(kCreateBrush, {1, 0, 0x0000FF, 0})    // solid red
        .Add(kCreateBrush, {2, 2, 0x008000, 5})   // green diagonal cross hatch
        .Add(kCreatePen, {3, 0, 4, 0, 0xFF0000})  // blue, 4 px
        .Add(kCreatePen, {4, 2, 0, 0, 0x000000})  // dotted hairline
        .Add(kSelect, {1})
        .Add(kSelect, {3})
        .Add(kRectangle, {10, 10, 90, 90})
        .Add(kSelect, {2})
        .Add(kEllipse, {110, 10, 190, 90})
        .Add(kSelect, {4});
    Bytes line;
    line.I32s({0, 0, 200, 100}).U32(2).I16(0).I16(50).I16(200).I16(50);
    emf.Add(kPolyline16, line);
    return emf.Finish();
}

std::vector<std::uint8_t> TextPage() {
    EmfBuilder emf = WidePage();
    emf.Font(1, -16, u"Arial")
        .Font(2, 20, u"Times New Roman", 900)
        .Add(kSelect, {1})
        .Add(kSetTextColor, {0x000080})
        .Add(kSetTextAlign, {24})
        .TextW(10, 30, u"Total 123", {9, 9, 9, 9, 9, 9, 9, 9, 9})
        .TextW(10, 60, u"measured", {})
        .Add(kSetBkMode, {2})
        .TextW(10, 90, u"opaque", {10, 10, 10, 10, 10, 10})
        .Add(kSelect, {2})
        .TextW(180, 95, u"up", {});
    return emf.Finish();
}

std::vector<std::uint8_t> ImagePage() {
    Bytes bits;  // 2 x 2, 24 bpp, bottom-up: blue, white / red, green
    bits.U8(255).U8(0).U8(0).U8(255).U8(255).U8(255).Zeros(2);
    bits.U8(0).U8(0).U8(255).U8(0).U8(255).U8(0).Zeros(2);
    EmfBuilder emf = WidePage();
    emf.StretchDiBits({0, 0, 100, 100}, {0, 0, 2, 2}, BitmapInfo(2, 2, 24, 0), bits)
        .StretchDiBits({120, 20, 60, 60}, {0, 0, 2, 2}, BitmapInfo(2, 2, 24, 0), bits, 0x00330008);
    return emf.Finish();
}

std::filesystem::path Golden(const std::string& name) {
    return DataDir() / "golden" / "render" / (name + ".png");
}

// ---- sizes and stretching ----

TEST(PageRenderer, SizeFromWidthOrResolution) {
    const auto page = WidePage().Finish();
    EXPECT_EQ(render::ImageSizeFor(page, RasterSize{300, 96}), QSize(300, 150));
    EXPECT_EQ(render::ImageSizeFor(page, RasterSize{0, 150}), QSize(300, 150));
    EXPECT_EQ(render::ImageSizeFor(page, RasterSize{1, 96}), QSize(1, 1));
    EXPECT_EQ(render::ImageSizeFor(page, RasterSize{0, 1e9}), QSize(32767, 32767));
    EXPECT_NEAR(render::FrameSizeMm(page).width(), 50.8, 1e-9);
}

TEST(PageRenderer, PageIsStretchedIndependentlyInXAndY) {
    // A rectangle over the left half of a 2:1 page, drawn into a square.
    EmfBuilder emf = WidePage();
    emf.Add(kCreateBrush, {1, 0, 0, 0})
        .Add(kSelect, {1})
        .Add(kSelect, {static_cast<std::int32_t>(0x80000008)})  // NULL_PEN
        .Add(kRectangle, {0, 0, 100, 100});
    const auto page = emf.Finish();
    QImage image = WhiteImage(120, 120);
    QPainter painter(&image);
    render::DrawPage(painter, page, QRectF(10, 10, 100, 100));
    painter.end();
    const QRect ink = InkBounds(image);
    EXPECT_NEAR(ink.left(), 10, 1);
    EXPECT_NEAR(ink.top(), 10, 1);
    EXPECT_NEAR(ink.width(), 50, 1);
    EXPECT_NEAR(ink.height(), 100, 1);
}

TEST(PageRenderer, RenderedImageIsWhiteWhereNothingIsDrawn) {
    const QImage image = render::RenderToImage(WidePage().Finish(), RasterSize{40, 96});
    EXPECT_EQ(image.size(), QSize(40, 20));
    EXPECT_EQ(InkCount(image), 0);
}

TEST(PageRenderer, BytesThatAreNoPictureThrow) {
    const std::vector<std::uint8_t> junk(200, 7);
    EXPECT_THROW(render::RenderToImage(junk, RasterSize{40, 96}), EQRError);
    QImage image = WhiteImage(4, 4);
    QPainter painter(&image);
    EXPECT_THROW(render::DrawPage(painter, junk, QRectF(0, 0, 4, 4)), EQRError);
}

// ---- goldens ----

TEST(PageRendererGolden, Shapes) {
    EXPECT_EQ(CompareImageGolden(Golden("shapes"), render::RenderToImage(ShapesPage(), RasterSize{400, 96})), "");
}

TEST(PageRendererGolden, Text) {
    EXPECT_EQ(CompareImageGolden(Golden("text"), render::RenderToImage(TextPage(), RasterSize{400, 96})), "");
}

TEST(PageRendererGolden, Images) {
    EXPECT_EQ(CompareImageGolden(Golden("images"), render::RenderToImage(ImagePage(), RasterSize{400, 96})), "");
}

// ---- vector output ----

TEST(PageRendererVector, SvgHasThePageSizeAndItsText) {
    QTemporaryDir dir;
    const QString path = dir.filePath("page.svg");
    render::RenderToSvg(TextPage(), RasterSize{400, 96}, path.toStdString());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray svg = file.readAll();
    EXPECT_TRUE(svg.contains("viewBox=\"0 0 400 200\"")) << svg.left(600).toStdString();
    EXPECT_TRUE(svg.contains(">T<"));
}

TEST(PageRendererVector, PdfPageHasTheFrameSize) {
    QTemporaryDir dir;
    const QString path = dir.filePath("page.pdf");
    render::RenderToPdf(ShapesPage(), path.toStdString());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    // 2 x 1 inches = 144 x 72 points.
    EXPECT_TRUE(pdf.contains("/MediaBox [0 0 144.000000 72.000000]")) << pdf.left(2000).toStdString();
}

TEST(PageRendererVector, UnwritableFilesReportFailure) {
    EXPECT_THROW(render::RenderToSvg(ShapesPage(), RasterSize{40, 96}, "/nonexistent/dir/page.svg"), FileError);
    EXPECT_THROW(render::RenderToPdf(ShapesPage(), "/nonexistent/dir/page.pdf"), FileError);
}

}  // namespace
}  // namespace qrp::test
