#include "viewer_fixture.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QSettings>
#include <QTest>

#include "app/application_printer.h"
#include "app/spin_edit.h"
#include "preview/preview.h"
#include "report/document_fixtures.h"
#include "report/host_hooks.h"

namespace qrp::test {

ViewerTest::ViewerTest() {
    // Each test starts with nothing remembered, and leaves nothing behind.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString((m_scratch / "config").string()));
    SetScreenPixelsPerInch(96);
    SetProcessMessagesHook([] { QCoreApplication::processEvents(); });
    UseApplicationPrinter(std::make_unique<FakePrinter>());
    app::SetDocumentPrinterFactory([this] {
        auto printer = std::make_unique<FakePrinter>();
        m_documentPrinters.push_back(printer.get());
        return printer;
    });
}

ViewerTest::~ViewerTest() {
    m_window.reset();
    app::SetDocumentPrinterFactory(nullptr);
    app::SetApplicationPrinter(nullptr);
    SetProcessMessagesHook({});
}

FakePrinter& ViewerTest::UseApplicationPrinter(std::unique_ptr<FakePrinter> printer) {
    m_appPrinter = printer.get();
    app::SetApplicationPrinter(std::move(printer));
    return *m_appPrinter;
}

app::TTav_FolivexFrm& ViewerTest::MakeWindow(const std::string& commandLineFile) {
    auto dialogs = std::make_unique<ScriptedDialogs>();
    m_dialogs = dialogs.get();
    m_window = std::make_unique<app::TTav_FolivexFrm>(commandLineFile, std::move(dialogs));
    return *m_window;
}

app::TTav_FolivexFrm& ViewerTest::ShowWindow(const std::string& commandLineFile) {
    MakeWindow(commandLineFile);
    m_window->show();
    EXPECT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    ProcessEvents();
    return *m_window;
}

std::string ViewerTest::WriteReport(const std::string& name, int pages, double widthMm, double lengthMm) {
    const std::filesystem::path path = m_scratch / name;
    WriteReportFile(path, pages, widthMm, lengthMm);
    return path.string();
}

std::int32_t ViewerTest::FittedZoom() {
    TQRPrinter& doc = Document();
    const double pageW = doc.DevWidth(doc.OrientedPaperWidth());
    const double pageH = doc.DevHeight(doc.OrientedPaperLength());
    const auto fit = static_cast<std::int32_t>(std::min(std::nearbyint(m_window->QRPreview->width() / pageW * 95),
                                                        std::nearbyint(m_window->QRPreview->height() / pageH * 95)));
    return std::clamp(fit, 10, 300);
}

void ViewerTest::ProcessEvents() {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

void Type(app::TSpinEdit& edit, const QString& keys) {
    QTest::keyClicks(&edit.Editor(), keys);
}

void LeaveField(app::TSpinEdit& edit) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&edit.Editor(), &out);
}

}  // namespace qrp::test
