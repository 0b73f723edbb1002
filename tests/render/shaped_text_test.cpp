// Text as a Windows program records it and Windows draws it: Arabic and Hebrew runs
// compared with HarfBuzz's own picture of the same text in the same font (hb-view), Latin
// digits inside Arabic, ETO_PDY, a character the named font lacks, glyph-index text, and
// the note qrptool render gives about characters no font has.
#include <optional>
#include <string>
#include <vector>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "image_checks.h"
#include "render/missing_glyphs.h"
#include "render/page_renderer.h"
#include "support/emf_builder.h"
#include "support/test_paths.h"

namespace qrp::test {
namespace {

constexpr std::uint32_t kSelect = 37, kSetTextAlign = 22, kSetBkMode = 18;
constexpr std::int32_t kTaBaseline = 24, kTransparent = 1;
constexpr std::uint32_t kEtoGlyphIndex = 0x10, kEtoRtlReading = 0x80, kEtoPdy = 0x2000;
constexpr int kEm = 48;                     // the font's em in page pixels
constexpr int kWidth = 800, kHeight = 100;  // the page in pixels
constexpr int kLeft = 20, kBaseline = 70;

const QString kArabic = QString::fromUtf8("مرحبا بالعالم");
const QString kHebrew = QString::fromUtf8("שלום עולם");

// The standard output of a program, or nothing when it cannot run or fails.
std::optional<QByteArray> Output(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}

QString FontFile(const QString& family) {
    const auto file = Output("fc-match", {"-f", "%{file}", family});
    return file ? QString::fromUtf8(*file) : QString();
}

struct HarfBuzz {
    QString font;
    // HarfBuzz's advances summed per character: the Dx a Windows program records.
    std::vector<std::int32_t> Advances(const QString& text) const {
        std::vector<std::int32_t> dx(static_cast<std::size_t>(text.size()), 0);
        const auto json = Output("hb-shape", {"--font-size=" + QString::number(kEm), "--output-format=json",
                                              "--no-glyph-names", font, text});
        for (const QJsonValue glyph : QJsonDocument::fromJson(json.value_or("")).array()) {
            const auto cluster = static_cast<std::size_t>(glyph["cl"].toInt());
            if (cluster < dx.size())
                dx[cluster] += glyph["ax"].toInt();
        }
        return dx;
    }
    std::vector<std::int32_t> Glyphs(const QString& text) const {
        std::vector<std::int32_t> glyphs;
        const auto json = Output("hb-shape", {"--font-size=" + QString::number(kEm), "--output-format=json",
                                              "--no-glyph-names", font, text});
        for (const QJsonValue glyph : QJsonDocument::fromJson(json.value_or("")).array())
            glyphs.push_back(glyph["g"].toInt());
        return glyphs;
    }
    QImage Picture(const QString& text) const {
        QTemporaryDir dir;
        const QString png = dir.filePath("hb.png");
        if (!Output("hb-view",
                    {"--font-size=" + QString::number(kEm), "--margin=0", "-O", "png", "-o", png, font, text}))
            return {};
        return QImage(png);
    }
};

// hb-view and the font, or a reason to skip.
std::optional<HarfBuzz> HarfBuzzFor(const QString& family) {
    HarfBuzz hb{FontFile(family)};
    if (hb.font.isEmpty() || !Output("hb-view", {"--version"}))
        return std::nullopt;
    return hb;
}

// A page of one run at (kLeft, kBaseline), drawn 1:1.
QImage Render(const std::u16string& face, const std::u16string& text, const std::vector<std::int32_t>& dx,
              std::uint32_t options = 0) {
    EmfBuilder emf(kWidth * 254 / 10, kHeight * 254 / 10, 1000, 254);
    emf.Font(1, -kEm, face).Add(kSelect, {1}).Add(kSetTextAlign, {kTaBaseline}).Add(kSetBkMode, {kTransparent});
    emf.TextW(kLeft, kBaseline, text, dx, options);
    return render::RenderToImage(emf.Finish(), render::RasterSize{kWidth, 96});
}

std::u16string U16(const QString& text) {
    return text.toStdU16String();
}

int Sum(const std::vector<std::int32_t>& values, std::size_t first, std::size_t end) {
    int sum = 0;
    for (std::size_t i = first; i < end; ++i)
        sum += values[i];
    return sum;
}

TEST(ShapedText, ArabicAndHebrewLookAsHarfBuzzDrawsThem) {
    const auto hb = HarfBuzzFor("DejaVu Sans");
    if (!hb)
        GTEST_SKIP() << "needs hb-view (libharfbuzz-bin) and DejaVu Sans";
    for (const QString& text : {kArabic, kHebrew}) {
        const QImage reference = hb->Picture(text);
        ASSERT_FALSE(reference.isNull());
        const double placed = InkSimilarity(Render(u"DejaVu Sans", U16(text), hb->Advances(text)), reference);
        const double measured = InkSimilarity(Render(u"DejaVu Sans", U16(text), {}), reference);
        std::cout << text.toStdString() << ": ink similarity " << placed << " with advances, " << measured
                  << " without\n";
        EXPECT_GT(placed, 0.8) << text.toStdString();
        EXPECT_GT(measured, 0.8) << text.toStdString();
    }
}

// Whether the Latin part of a mixed run stands at `at` as it looks drawn alone.
void ExpectLatinAt(const QImage& mixed, const QString& latin, const std::vector<std::int32_t>& dx, int at) {
    const int width = Sum(dx, 0, dx.size());
    const QImage alone = Render(u"DejaVu Sans", U16(latin), dx);
    EXPECT_GT(InkSimilarity(mixed.copy(QRect(at - 2, 0, width + 4, kHeight)),
                            alone.copy(QRect(kLeft - 2, 0, width + 4, kHeight))),
              0.9)
        << latin.toStdString() << " at " << at;
}

TEST(ShapedText, LatinAndDigitsInsideArabicReadLeftToRight) {
    const auto hb = HarfBuzzFor("DejaVu Sans");
    if (!hb)
        GTEST_SKIP() << "needs hb-view (libharfbuzz-bin) and DejaVu Sans";
    const QString word = QString::fromUtf8("مرحبا");
    // Digits after Arabic belong to it: they come first (at the left), in either paragraph
    // direction, and read left to right.
    const QString digits = "1234", numbered = word + " " + digits;
    const std::vector<std::int32_t> dx = hb->Advances(numbered);
    const std::vector<std::int32_t> digitDx(dx.end() - digits.size(), dx.end());
    for (const std::uint32_t options : {0u, kEtoRtlReading})
        ExpectLatinAt(Render(u"DejaVu Sans", U16(numbered), dx, options), digits, digitDx, kLeft);
    // A Latin word before Arabic starts a left-to-right paragraph at the left; in a
    // right-to-left one (ETO_RTLREADING) it ends it, at the right.
    const QString latin = "Total", titled = latin + " " + word;
    const std::vector<std::int32_t> titledDx = hb->Advances(titled);
    const std::vector<std::int32_t> latinDx(titledDx.begin(), titledDx.begin() + latin.size());
    const int total = Sum(titledDx, 0, titledDx.size()), latinWidth = Sum(latinDx, 0, latinDx.size());
    const QImage leftToRight = Render(u"DejaVu Sans", U16(titled), titledDx);
    const QImage rightToLeft = Render(u"DejaVu Sans", U16(titled), titledDx, kEtoRtlReading);
    ExpectLatinAt(leftToRight, latin, latinDx, kLeft);
    ExpectLatinAt(rightToLeft, latin, latinDx, kLeft + total - latinWidth);
    for (const QImage& image : {leftToRight, rightToLeft})
        EXPECT_EQ(InkCount(image, QRect(kLeft + total + 4, 0, kWidth, kHeight)), 0);
}

// The top of the ink in a column band of the page.
int InkTop(const QImage& image, int left, int right) {
    return InkBounds(image.copy(QRect(left, 0, right - left, image.height()))).top();
}

TEST(ShapedText, PdyPairsMoveGlyphsUpAndDown) {
    // Each pair: the advance, then how far the next glyph rises.
    const QImage latin = Render(u"DejaVu Sans", u"II", {40, 20, 40, 0}, kEtoPdy);
    EXPECT_NEAR(InkTop(latin, kLeft + 40, kLeft + 80), InkTop(latin, kLeft, kLeft + 40) - 20, 1);
    // Hebrew runs right to left: the second letter is the left one, and it rises.
    const QImage hebrew = Render(u"DejaVu Sans", u"\u05D5\u05D5", {40, 20, 40, 0}, kEtoPdy);
    EXPECT_NEAR(InkTop(hebrew, kLeft, kLeft + 40), InkTop(hebrew, kLeft + 40, kLeft + 80) - 20, 1);
}

TEST(ShapedText, ACharacterTheFontLacksComesFromAnotherFont) {
    render::TakeMissingCharacters();
    // Liberation Sans (for Arial) has no Thai; an installed Thai font has.
    const std::u16string thai = u"\u0E2A\u0E27\u0E31\u0E2A\u0E14\u0E35";
    const QImage drawn = Render(u"Arial", thai, {30, 30, 0, 30, 30, 0});
    // U+0870 (Arabic Extended-B) is in no font here: the box, six times.
    const QImage boxes = Render(u"Arial", u"\u0870\u0870\u0870\u0870\u0870\u0870", {30, 30, 0, 30, 30, 0});
    EXPECT_GT(InkCount(drawn), 300);
    EXPECT_LT(InkSimilarity(drawn, boxes), 0.5);
    // Latin text in a font that has it is not looked up at all.
    Render(u"Arial", u"Total", {});
    EXPECT_EQ(render::TakeMissingCharacters(), std::vector<char32_t>{0x0870});
}

TEST(ShapedText, GlyphIndexTextDrawsWhenTheFontIsInstalled) {
    const auto hb = HarfBuzzFor("DejaVu Sans");
    if (!hb)
        GTEST_SKIP() << "needs hb-shape (libharfbuzz-bin) and DejaVu Sans";
    const QString text = "Total 42";
    std::u16string glyphs;
    for (const std::int32_t g : hb->Glyphs(text))
        glyphs.push_back(static_cast<char16_t>(g));
    ASSERT_EQ(glyphs.size(), static_cast<std::size_t>(text.size()));
    const std::vector<std::int32_t> dx = hb->Advances(text);
    const QImage byIndex = Render(u"DejaVu Sans", glyphs, dx, kEtoGlyphIndex);
    EXPECT_GT(InkCount(byIndex), 300);
    EXPECT_GT(InkSimilarity(byIndex, Render(u"DejaVu Sans", U16(text), dx)), 0.95);
    // In a font other than the one they index, the same numbers would draw other glyphs.
    EXPECT_EQ(InkCount(Render(u"No Such Font Here", glyphs, dx, kEtoGlyphIndex)), 0);
}

TEST(ShapedText, QrptoolRenderNamesCharactersNoFontHasOnce) {
    ScratchDir dir;
    EmfBuilder emf(kWidth * 254 / 10, kHeight * 254 / 10, 1000, 254);
    emf.Font(1, -kEm, u"Arial").Add(kSelect, {1});
    emf.TextW(kLeft, kBaseline, u"a\u0870b\u0870", {20, 20, 20, 20});
    emf.TextW(kLeft, kBaseline + 20, u"\u0870\u08A0\u0E01", {20, 20, 20});
    const std::vector<std::uint8_t> bytes = emf.Finish();
    QFile file(QString::fromStdString((dir.Path() / "page.emf").string()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    file.close();
    QProcess tool;
    tool.start(QString::fromStdString((BinaryDir() / "tools" / "qrptool" / "qrptool").string()),
               {"render", file.fileName(), "-o", QString::fromStdString((dir.Path() / "page.png").string())});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 0);
    const QString errors = QString::fromUtf8(tool.readAllStandardError());
    EXPECT_EQ(errors.count("U+0870"), 1) << errors.toStdString();
    EXPECT_FALSE(errors.contains("U+0E01")) << errors.toStdString();  // Thai: a font has it
    EXPECT_FALSE(errors.contains("U+0061")) << errors.toStdString();
}

}  // namespace
}  // namespace qrp::test
