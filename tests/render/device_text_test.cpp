// Text runs on the QPainter device: placement by glyph origins, vertical alignment, font
// heights, rotation, decorations, backgrounds and the ETO_CLIPPED clip.
#include <cstdlib>
#include <sys/resource.h>

#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QRawFont>
#include <QSvgGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "device_helpers.h"

namespace qrp::test {
namespace {

using emf::Device;

constexpr std::uint32_t kTaBaseline = 24, kTaBottom = 8, kTaRight = 2, kTaCenter = 6;

emf::TextRun TextAt(const std::u16string& text, double x, double y, double height = -20) {
    emf::TextRun run;
    run.text = text;
    run.reference = {x, y};
    run.font.faceName = u"Arial";
    run.font.height = height < 0 ? -height : height;
    run.font.logicalHeight = static_cast<std::int32_t>(height);
    return run;
}

QImage DrawRun(const emf::TextRun& run, int width = 200, int height = 100) {
    return DrawOnImage(width, height, [&](Device& d) { d.DrawText(run); });
}

TEST(DeviceText, EachGlyphLandsAtItsOrigin) {
    emf::TextRun run = TextAt(u"III", 0, 10);
    run.origins = {{20, 10}, {100, 10}, {180, 10}};
    const QImage image = DrawRun(run);
    // Three narrow strokes, each just right of its origin; nothing between them.
    for (int origin : {20, 100, 180})
        EXPECT_GT(InkCount(image, QRect(origin, 0, 8, 100)), 10) << origin;
    EXPECT_EQ(InkCount(image, QRect(30, 0, 65, 100)), 0);
    EXPECT_EQ(InkCount(image, QRect(0, 0, 18, 100)), 0);
}

TEST(DeviceText, WithoutOriginsTheDeviceMeasuresAndAligns) {
    emf::TextRun run = TextAt(u"WWWW", 100, 10);
    const QRect left = InkBounds(DrawRun(run));
    run.align = kTaRight;
    const QRect right = InkBounds(DrawRun(run));
    run.align = kTaCenter;
    const QRect centre = InkBounds(DrawRun(run));
    EXPECT_NEAR(left.left(), 100, 2);
    EXPECT_NEAR(right.right(), 100, 3);
    EXPECT_NEAR(centre.center().x(), 100, 3);
    EXPECT_NEAR(left.width(), right.width(), 2);
}

TEST(DeviceText, VerticalAlignmentUsesAscentAndDescent) {
    emf::TextRun run = TextAt(u"Hxg", 10, 50);
    const QRect top = InkBounds(DrawRun(run));
    run.align = kTaBaseline;
    const QRect baseline = InkBounds(DrawRun(run));
    run.align = kTaBottom;
    const QRect bottom = InkBounds(DrawRun(run));
    EXPECT_GE(top.top(), 50);          // TA_TOP: the cell hangs below the reference point
    EXPECT_LE(baseline.top(), 40);     // TA_BASELINE: capitals above it...
    EXPECT_GT(baseline.bottom(), 50);  // ...the descender of g below it
    EXPECT_LE(bottom.bottom(), 50);    // TA_BOTTOM: everything above it
    EXPECT_LT(bottom.bottom(), baseline.bottom());
}

TEST(DeviceText, PositiveHeightIsTheCellNegativeTheCharacter) {
    // The same number as a cell height gives smaller letters than as a character height.
    const QRect character = InkBounds(DrawRun(TextAt(u"H", 10, 10, -40)));
    const QRect cell = InkBounds(DrawRun(TextAt(u"H", 10, 10, 40)));
    EXPECT_LT(cell.height(), character.height());
    // Liberation Sans: capitals are 0.716 em; the cell is 1.149 em.
    EXPECT_NEAR(character.height(), 0.716 * 40, 2);
    EXPECT_NEAR(cell.height(), 0.716 * 40 / 1.149, 2);
}

TEST(DeviceText, EscapementTurnsTheBaselineCounterClockwise) {
    emf::TextRun run = TextAt(u"WWWWW", 50, 180);
    run.align = kTaBaseline;
    run.font.escapement = 90;
    const QRect bounds = InkBounds(DrawRun(run, 100, 200));
    EXPECT_GT(bounds.height(), bounds.width() * 2);  // runs up the page
    EXPECT_LE(bounds.bottom(), 181);
    EXPECT_LE(bounds.right(), 51);  // the letters' tops point left
}

TEST(DeviceText, AverageWidthStretchesTheGlyphs) {
    emf::TextRun run = TextAt(u"O", 10, 10);
    const int natural = InkBounds(DrawRun(run)).width();
    run.font.width = 40;  // roughly three times the natural average width at 20 px
    const int stretched = InkBounds(DrawRun(run)).width();
    EXPECT_GT(stretched, natural * 2);
}

TEST(DeviceText, UnderlineAndStrikeOutSpanTheRun) {
    emf::TextRun run = TextAt(u"I  I", 0, 10);
    run.origins = {{10, 10}, {40, 10}, {70, 10}, {150, 10}};
    run.font.underline = true;
    const QImage underlined = DrawRun(run);
    // Between the letters only the line is inked, in one thin band.
    const QRect gap = QRect(60, 0, 80, 100);
    EXPECT_GT(InkCount(underlined, gap), 60);
    EXPECT_LT(InkCount(underlined, gap), 80 * 4);
    run.font.underline = false;
    run.font.strikeOut = true;
    const QImage struck = DrawRun(run);
    EXPECT_GT(InkCount(struck, gap), 60);
    EXPECT_LT(InkBounds(struck.copy(gap)).top(), InkBounds(underlined.copy(gap)).top());
}

TEST(DeviceText, OpaqueBackgroundFillsTheCells) {
    emf::TextRun run = TextAt(u"ab", 20, 20);
    run.origins = {{20, 20}, {40, 20}};
    run.opaqueBackground = true;
    run.backgroundColor = {0, 0, 255};
    const QImage image = DrawRun(run);
    EXPECT_TRUE(Near(image, 21, 21, Qt::blue));
    const QRect bounds = InkBounds(image);
    EXPECT_EQ(bounds.left(), 20);
    EXPECT_EQ(bounds.top(), 20);
    EXPECT_NEAR(bounds.height(), 23, 1.5);  // ascent + descent of Liberation Sans at 20 px
}

TEST(DeviceText, ClippedRunStaysInsideItsRectangle) {
    emf::TextRun run = TextAt(u"WWWWWWWW", 10, 10);
    run.clip = RectPath(0, 0, 50, 100);
    const QImage image = DrawRun(run);
    EXPECT_GT(InkCount(image), 50);
    EXPECT_LT(InkBounds(image).right(), 50);
}

// Under a nearly singular transform (a world transform squeezing text flat along a slant)
// Qt's glyph cache made an image of each glyph's whole stretched box: gigabytes for one run.
TEST(DeviceText, TextUnderANearlySingularTransformTakesNoGlyphImages) {
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    QImage image = WhiteImage(200, 100);
    QPainter painter(&image);
    painter.setTransform(QTransform(1000, 1000, 1000, 1000.001, 0, 0));
    {
        render::QPainterDevice device(painter);
        device.DrawText(TextAt(u"Wide", 0, 0));
    }
    painter.end();
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 100 * 1024);  // kilobytes
}

TEST(DeviceText, ControlCharactersDrawNothing) {
    EXPECT_EQ(InkCount(DrawRun(TextAt(u"\r\n\t", 10, 10))), 0);
}

TEST(DeviceText, GlyphIndicesDrawOnlyWithTheNamedFontItself) {
    // Glyph ids of a font that is installed under its own name.
    QFont dejaVu("DejaVu Sans");
    dejaVu.setPixelSize(20);
    const QList<quint32> ids = QRawFont::fromFont(dejaVu).glyphIndexesForString("AB");
    ASSERT_EQ(ids.size(), 2);
    emf::TextRun run = TextAt(std::u16string{char16_t(ids[0]), char16_t(ids[1])}, 10, 10);
    run.options = 0x0010;  // ETO_GLYPH_INDEX
    run.font.faceName = u"DejaVu Sans";
    const QImage drawn = DrawRun(run);
    EXPECT_GT(InkCount(drawn), 50);
    EXPECT_GT(InkBounds(drawn).width(), 20);  // both glyphs, advanced by the font's widths
    run.font.faceName = u"Arial";             // a substitute's ids would be other letters
    EXPECT_EQ(InkCount(DrawRun(run)), 0);
}

TEST(DeviceText, CharactersTheFontLacksComeFromAFallback) {
    // Arial (Liberation Sans) has no Chinese; the run still shows them, at their origins.
    emf::TextRun run = TextAt(u"A中文", 0, 10);
    run.origins = {{10, 10}, {60, 10}, {120, 10}};
    const QImage image = DrawRun(run);
    EXPECT_GT(InkCount(image, QRect(60, 0, 25, 100)), 20);
    EXPECT_GT(InkCount(image, QRect(120, 0, 25, 100)), 20);
    EXPECT_EQ(InkCount(image, QRect(85, 0, 30, 100)), 0);
}

TEST(DeviceText, SymbolAndWingdingsTextDrawsTheCharactersItStandsFor) {
    // The player hands over Unicode for these faces; every character must show, although
    // the system's twin of Symbol has its glyphs under symbol codes only.
    for (const auto& [face, text] : {std::pair{u"Symbol", u"αΣ∀"}, std::pair{u"Wingdings", u"✓☑●"}}) {
        emf::TextRun run = TextAt(text, 0, 10);
        run.font.faceName = face;
        run.origins = {{10, 10}, {70, 10}, {130, 10}};
        const QImage image = DrawRun(run);
        for (int origin : {10, 70, 130})
            EXPECT_GT(InkCount(image, QRect(origin, 0, 30, 100)), 10) << QString::fromStdU16String(text).toStdString();
    }
}

TEST(DeviceText, VectorOutputKeepsRealText) {
    QTemporaryDir dir;
    const QString path = dir.filePath("text.svg");
    {
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setSize(QSize(200, 100));
        QPainter painter(&svg);
        render::QPainterDevice device(painter);
        emf::TextRun run = TextAt(u"Total", 10, 10);
        run.origins = {{10, 10}, {22, 10}, {34, 10}, {46, 10}, {58, 10}};
        device.DrawText(run);
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray svg = file.readAll();
    for (const char* letter : {">T<", ">o<", ">t<", ">a<", ">l<"})
        EXPECT_TRUE(svg.contains(letter)) << letter;
}

// PDFs take glyph runs, not text layout: the text must still be there for search and copy,
// and each glyph where the report put it.
TEST(DeviceText, PdfKeepsTheTextAndEachGlyphAtItsOrigin) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath("text.pdf");
    {
        QPdfWriter writer(pdf);
        writer.setResolution(72);
        writer.setPageSize(QPageSize(QSizeF(200, 100), QPageSize::Point));
        writer.setPageMargins(QMarginsF());
        QPainter painter(&writer);
        render::QPainterDevice device(painter);
        emf::TextRun spaced = TextAt(u"III", 0, 10);
        spaced.origins = {{20, 10}, {100, 10}, {180, 10}};
        device.DrawText(spaced);
        device.DrawText(TextAt(u"Invoice 4242", 10, 60));
    }
    const std::string base = dir.filePath("page").toStdString();
    ASSERT_EQ(std::system(("pdftotext " + pdf.toStdString() + " " + base + ".txt && pdftoppm -r 72 -png -singlefile " +
                           pdf.toStdString() + " " + base)
                              .c_str()),
              0);
    QFile text(QString::fromStdString(base + ".txt"));
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    EXPECT_TRUE(text.readAll().contains("Invoice 4242"));
    const QImage image(QString::fromStdString(base + ".png"));
    ASSERT_EQ(image.size(), QSize(200, 100));
    for (int origin : {20, 100, 180})
        EXPECT_GT(InkCount(image, QRect(origin, 0, 8, 40)), 10) << origin;
    EXPECT_EQ(InkCount(image, QRect(30, 0, 65, 40)), 0);
}

}  // namespace
}  // namespace qrp::test
