// The viewer on an X display with a window manager (tests/support/with_desktop.sh), where
// maximising takes a round trip through the window manager and focus moves between
// programs: the page is fitted to the window's final size, a window the user restored stays
// restored, and the program started with a report shows it filling the screen.
#include <algorithm>
#include <cstdlib>
#include <string>

#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QSet>
#include <QTest>

#include <gtest/gtest.h>

#include "app/spin_edit.h"
#include "preview/preview.h"
#include "print/print_checks.h"
#include "viewer_fixture.h"

namespace qrp::test {
namespace {

constexpr int kWaitMs = 10000;

class Desktop : public ViewerTest {
  protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != "xcb")
            GTEST_SKIP() << "needs the X display of tests/support/with_desktop.sh";
    }
    void TearDown() override {
        if (m_other.state() != QProcess::NotRunning) {
            m_other.kill();
            m_other.waitForFinished();
        }
    }

    // Starts the viewer program (another program, to this one) and returns its window's id.
    std::string StartViewer(const QStringList& arguments) {
        // A first run: no state left by another test's viewer.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", QString::fromStdString((m_scratch / "config").string()));
        m_other.setProcessEnvironment(environment);
        m_other.start(QString::fromStdString((BinaryDir() / "src/app/qrpview").string()), arguments);
        if (!m_other.waitForStarted())
            return {};
        const std::string found =
            test::Run("timeout 20 xdotool search --sync --onlyvisible --pid " + std::to_string(m_other.processId()))
                .out;
        return found.substr(0, found.find('\n'));
    }

    static void Activate(const std::string& window) { test::Run("xdotool windowactivate --sync " + window); }
    static std::string IdOf(const QWidget& window) { return std::to_string(window.winId()); }

    // Maximised by the window manager: the window fills the screen's free area but for its
    // frame.
    static bool FillsTheScreen(const QWidget& window) {
        const QSize free = window.screen()->availableGeometry().size();
        return window.isMaximized() && window.width() >= free.width() - 20 && window.height() >= free.height() - 60;
    }

    QProcess m_other;
};

TEST_F(Desktop, ACommandLineReportIsFittedToTheMaximisedWindow) {
    auto& w = ShowWindow(WriteReport("fit.qrp", 2));
    ASSERT_TRUE(QTest::qWaitFor([&] { return FillsTheScreen(w); }, kWaitMs));
    ProcessEvents();
    EXPECT_GT(w.QRPreview->height(), 900);
    EXPECT_EQ(w.QRPreview->Zoom(), FittedZoom());
    EXPECT_EQ(w.seZoom->Text(), QString::number(FittedZoom()));
}

TEST_F(Desktop, FocusBackFromAnotherProgramKeepsTheSizeTheUserGaveTheWindow) {
    auto& w = ShowWindow(WriteReport("focus.qrp", 2));
    ASSERT_TRUE(QTest::qWaitFor([&] { return FillsTheScreen(w); }, kWaitMs));
    w.setWindowState(Qt::WindowNoState);  // the user restores it
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.isMaximized() && w.width() < 1000; }, kWaitMs));
    const QSize restored = w.size();

    const std::string other = StartViewer({});
    ASSERT_FALSE(other.empty());
    Activate(other);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.isActiveWindow(); }, kWaitMs));
    Activate(IdOf(w));
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.isActiveWindow(); }, kWaitMs));
    QTest::qWait(500);  // time for a maximising round trip, were one asked for
    EXPECT_FALSE(w.isMaximized());
    EXPECT_EQ(w.size(), restored);

    // Focus back from a window of the program itself activates the window as it always did.
    QWidget own;
    own.resize(200, 100);
    own.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&own, kWaitMs));
    Activate(IdOf(w));
    EXPECT_TRUE(QTest::qWaitFor([&] { return FillsTheScreen(w); }, kWaitMs));
}

// The white of the sheet within `area` of a screenshot.
QRect PaperIn(const QImage& shot, const QRect& area) {
    QRect paper;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if ((shot.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF)
                paper |= QRect(x, y, 1, 1);
    return paper;
}

struct Shot {
    QImage image;
    QRect client, paper;
};

// Screenshots of the program's window until two in a row agree: the window manager has
// done its part and the page is drawn.
Shot SettledShot(const std::string& window) {
    // The client area, as "X=..", "Y=..", "WIDTH=..", "HEIGHT=.." lines.
    const auto geometry = [&] {
        const std::string said = test::Run("xdotool getwindowgeometry --shell " + window).out;
        const auto value = [&](const std::string& key) {
            const auto at = said.find(key + "=");
            return at == std::string::npos ? 0 : std::atoi(said.c_str() + at + key.size() + 1);
        };
        return QRect(value("X"), value("Y"), value("WIDTH"), value("HEIGHT"));
    };
    Shot shot;
    for (int attempt = 0; attempt < 40; ++attempt) {
        QTest::qWait(250);
        const QRect client = geometry();
        const QImage image = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        const QRect preview = client.adjusted(0, 25, 0, 0).intersected(image.rect());
        const QRect paper = preview.isEmpty() ? QRect() : PaperIn(image, preview);
        const bool settled = !paper.isEmpty() && paper == shot.paper && client == shot.client;
        shot = {image, client, paper};
        if (settled)
            break;
    }
    return shot;
}

void SaveArtifact(const QImage& image, const std::string& name) {
    const std::filesystem::path artifacts = BinaryDir() / "artifacts";
    std::filesystem::create_directories(artifacts);
    ASSERT_TRUE(image.save(QString::fromStdString((artifacts / name).string())));
}

TEST_F(Desktop, TheProgramShowsACommandLineReportFillingTheScreenScreenshot) {
    const std::filesystem::path sample = BinaryDir() / "samples" / "sample.qrp";
    if (!std::filesystem::exists(sample))
        GTEST_SKIP() << "no sample report at " << sample;
    const std::string window = StartViewer({QString::fromStdString(sample.string())});
    ASSERT_FALSE(window.empty());
    const auto [shot, client, paper] = SettledShot(window);
    SaveArtifact(shot, "viewer-maximised.png");

    const QSize screen = QGuiApplication::primaryScreen()->size();
    EXPECT_GE(client.width(), screen.width() - 10) << "not maximised";
    EXPECT_GE(client.height(), screen.height() - 60) << "not maximised";
    // Fitted: the page's longer way takes 95 per cent of the preview below the toolbar.
    const double filled = std::max(paper.width() / double(client.width()), paper.height() / (client.height() - 25.0));
    EXPECT_NEAR(filled, 0.95, 0.02) << "paper " << paper.width() << "x" << paper.height();
    EXPECT_NEAR(paper.left() - client.left(), client.right() - paper.right(), 8) << "not centred";
}

TEST_F(Desktop, FindMarksTheMatchesOnTheShownPageScreenshot) {
    const std::filesystem::path sample = BinaryDir() / "samples" / "sample.qrp";
    if (!std::filesystem::exists(sample))
        GTEST_SKIP() << "no sample report at " << sample;
    const std::string window =
        StartViewer({QString::fromStdString(sample.string()), "--page", "2", "--find", "Silver Bay"});
    ASSERT_FALSE(window.empty());
    const auto [shot, client, paper] = SettledShot(window);
    SaveArtifact(shot, "find-highlights.png");

    // Page 2 has six matches: their marks are the only yellow and orange on the page, one
    // row each, all in the customer column.
    QRect marked;
    QSet<int> rows;
    for (int y = paper.top(); y <= paper.bottom(); ++y) {
        for (int x = paper.left(); x <= paper.right(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            if (c.red() > 230 && c.blue() < 190 && c.red() - c.blue() > 60 && c.green() > 120) {
                marked |= QRect(x, y, 1, 1);
                rows.insert(y);
            }
        }
    }
    ASSERT_FALSE(marked.isEmpty()) << "no marks";
    EXPECT_LT(marked.width(), paper.width() / 4) << "marks outside the customer column";
    int bands = 0;
    for (int y : rows)
        bands += !rows.contains(y - 1);
    EXPECT_EQ(bands, 6);
}

}  // namespace
}  // namespace qrp::test
