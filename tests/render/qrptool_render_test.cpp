// qrptool render and thumbnail, run as programs on the built sample reports and on a single
// EMF.
#include <cstdlib>
#include <filesystem>
#include <string>

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include "emf/emf_format.h"
#include "image_checks.h"
#include "render/page_renderer.h"
#include "support/emf_builder.h"
#include "support/test_paths.h"

namespace qrp::test {
namespace {

// The exit status of `qrptool ARGS` (stderr discarded).
int Qrptool(const std::string& args) {
    const std::string command = (BinaryDir() / "tools" / "qrptool" / "qrptool").string() + " " + args + " 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Sample(const char* name = "sample.qrp") {
    return (BinaryDir() / "samples" / name).string();
}

class QrptoolRender : public ::testing::Test {
  protected:
    ScratchDir m_dir;
    std::string Out(const char* name) { return (m_dir / name).string(); }
};

TEST_F(QrptoolRender, PngHasTheAskedWidthAndThePagesAspect) {
    ASSERT_EQ(Qrptool("render " + Sample() + " --width 300 -o " + Out("a.png")), 0);
    const QImage image(QString::fromStdString(Out("a.png")));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), 300);
    EXPECT_NEAR(image.height(), 300 * 297.0 / 210.0, 2);  // A4 portrait
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255));
}

TEST_F(QrptoolRender, DpiSizesThePageByItsFrame) {
    // A one-inch square picture at 150 dpi.
    const std::string emf = Out("inch.emf");
    WriteFileBytes(emf, EmfBuilder().Finish());
    ASSERT_EQ(Qrptool("render " + emf + " --dpi 150 -o " + Out("b.png")), 0);
    EXPECT_EQ(QImage(QString::fromStdString(Out("b.png"))).size(), QSize(150, 150));
}

TEST_F(QrptoolRender, SvgAndPdf) {
    ASSERT_EQ(Qrptool("render " + Sample() + " --page 1 --width 210 -o " + Out("c.svg")), 0);
    QFile svg(QString::fromStdString(Out("c.svg")));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(svg.readAll().contains("viewBox=\"0 0 210 297\""));

    ASSERT_EQ(Qrptool("render " + Sample() + " -o " + Out("d.pdf")), 0);
    QFile pdf(QString::fromStdString(Out("d.pdf")));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_TRUE(bytes.contains("/MediaBox [0 0 595"));  // A4: 595.3 x 841.9 points
}

TEST_F(QrptoolRender, PngHoldsExactlyTheRenderedPixels) {
    // The tool writes its PNGs itself, deflating bands of rows side by side: the file must
    // read back as the very image drawn, from a short page (one band) to a tall one.
    for (const std::int32_t frameBottom : {100, 2540, 25400}) {
        SCOPED_TRACE(frameBottom);
        const std::int32_t height = frameBottom * 100 / 2540;  // in the 100 dpi device's pixels
        EmfBuilder b(2540, frameBottom, 1000, 254);
        b.Add(emf::kEmrCreateBrushIndirect, {1, 0, 0x00336699, 0}).Add(emf::kEmrSelectObject, {1});
        b.Add(emf::kEmrEllipse, {10, 2, 90, height / 2});
        b.Add(emf::kEmrRectangle, {5, height / 3, 60, height - 1});
        const auto bytes = b.Finish();
        const std::string emf = Out("shapes.emf");
        WriteFileBytes(emf, bytes);
        ASSERT_EQ(Qrptool("render " + emf + " --width 333 -o " + Out("shapes.png")), 0);
        const QImage written(QString::fromStdString(Out("shapes.png")));
        const QImage drawn = render::RenderToImage(bytes, {333, 96});
        ASSERT_EQ(written.size(), drawn.size());
        EXPECT_EQ(written.convertToFormat(QImage::Format_RGB32), drawn);
    }
}

TEST_F(QrptoolRender, ErrorsAndUsage) {
    EXPECT_EQ(Qrptool("render " + Sample() + " --page 999 -o " + Out("e.png")), 1);
    EXPECT_EQ(Qrptool("render /nonexistent.qrp -o " + Out("e.png")), 1);
    EXPECT_EQ(Qrptool("render " + Sample() + " -o " + Out("e.bmp")), 2);
    EXPECT_EQ(Qrptool("render " + Sample() + " --width 10 --dpi 10 -o " + Out("e.png")), 2);
    EXPECT_EQ(Qrptool("render " + Sample()), 2);
    EXPECT_EQ(Qrptool("render " + Sample() + " -o /nonexistent/dir/e.png"), 1);
    EXPECT_FALSE(std::filesystem::exists(Out("e.png")));
}

// As a file manager runs it: page 1, its longer side SIZE pixels, drawn as render draws it.
TEST_F(QrptoolRender, ThumbnailIsPageOneFittedIntoTheSize) {
    ASSERT_EQ(Qrptool("thumbnail " + Sample() + " " + Out("t.png") + " 256"), 0);
    const QImage thumbnail(QString::fromStdString(Out("t.png")));
    EXPECT_EQ(thumbnail.size(), QSize(181, 256));  // A4 portrait
    ASSERT_EQ(Qrptool("render " + Sample() + " --width 181 -o " + Out("r.png")), 0);
    EXPECT_EQ(thumbnail, QImage(QString::fromStdString(Out("r.png"))));
    EXPECT_GT(InkCount(thumbnail), 1000);

    ASSERT_EQ(Qrptool("thumbnail " + Sample("sample-packed.qrp") + " " + Out("p.png") + " 256"), 0);
    EXPECT_EQ(QImage(QString::fromStdString(Out("p.png"))), thumbnail);

    ASSERT_EQ(Qrptool("thumbnail " + Sample("sample-landscape.qrp") + " " + Out("l.png") + " 128"), 0);
    const QImage landscape(QString::fromStdString(Out("l.png")));
    EXPECT_EQ(landscape.width(), 128);
    EXPECT_NEAR(landscape.height(), 128 * 210.0 / 297.0, 1);
}

// A file manager takes whatever file it finds at OUT for the thumbnail: a report that cannot
// be read must leave none, and must not spoil one that is already there.
TEST_F(QrptoolRender, ThumbnailOfADamagedReportWritesNothing) {
    auto spoiled = ReadFileBytes(Sample());
    spoiled[128 + 8 + 40] = 'X';  // page 1's EMF signature
    WriteFileBytes(Out("spoiled.qrp"), spoiled);
    WriteFileBytes(Out("short.qrp"), {spoiled.begin(), spoiled.begin() + 200});
    WriteFileBytes(Out("text.qrp"), {'n', 'o', ' ', 'r', 'e', 'p', 'o', 'r', 't'});
    for (const char* name : {"spoiled.qrp", "short.qrp", "text.qrp", "missing.qrp"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Qrptool("thumbnail " + Out(name) + " " + Out("new.png") + " 256"), 1);
        EXPECT_FALSE(std::filesystem::exists(Out("new.png")));
    }
    WriteFileBytes(Out("old.png"), {1, 2, 3});
    EXPECT_EQ(Qrptool("thumbnail " + Out("spoiled.qrp") + " " + Out("old.png") + " 256"), 1);
    EXPECT_EQ(ReadFileBytes(Out("old.png")), (std::vector<std::uint8_t>{1, 2, 3}));
    // Nothing else was left behind in the folder, such as a half-written temporary file.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.Path()), {}), 4);

    // The report itself is never the output.
    EXPECT_EQ(Qrptool("thumbnail " + Sample() + " " + Sample() + " 256"), 1);
    EXPECT_EQ(Qrptool("check " + Sample()), 0);

    EXPECT_EQ(Qrptool("thumbnail " + Sample() + " " + Out("new.png") + " 0"), 2);
    EXPECT_EQ(Qrptool("thumbnail " + Sample() + " " + Out("new.png")), 2);
}

}  // namespace
}  // namespace qrp::test
