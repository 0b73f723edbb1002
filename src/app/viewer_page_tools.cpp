// The viewer window's reading tools, after the toolbar's own commands: the thumbnail panel
// (F4), reading straight through with the wheel and Space, and the recent reports with the
// rest of the state the window remembers between runs (viewer_settings.h).
#include <algorithm>
#include <filesystem>

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLayout>
#include <QMenu>
#include <QScrollBar>
#include <QSplitter>
#include <QToolButton>

#include "preview/preview.h"
#include "read_through.h"
#include "report/document.h"
#include "spin_edit.h"
#include "thumbnail_panel.h"
#include "viewer_settings.h"
#include "viewer_window.h"

namespace qrp::app {

QWidget* TTav_FolivexFrm::BuildPageTools() {
    Thumbnails = new ThumbnailPanel(this);
    Thumbnails->hide();
    Splitter = new QSplitter(Qt::Horizontal, this);
    Splitter->setChildrenCollapsible(false);
    Splitter->addWidget(Thumbnails);
    Splitter->addWidget(QRPreview);
    Splitter->setStretchFactor(1, 1);
    connect(Thumbnails, &ThumbnailPanel::PageChosen, this,
            [this](std::int32_t page) { Guarded([this, page] { GoToPage(page); }); });
    connect(QRPreview, &preview::TQRPreview::PageShown, Thumbnails, &ThumbnailPanel::MarkPage);

    sbThumbnails->setCheckable(true);
    connect(sbThumbnails, &QToolButton::toggled, this, &TTav_FolivexFrm::ShowThumbnails);
    auto* recent = new QMenu(sbRecent);
    sbRecent->setMenu(recent);
    sbRecent->setPopupMode(QToolButton::InstantPopup);
    connect(recent, &QMenu::aboutToShow, this, &TTav_FolivexFrm::FillRecentMenu);

    m_readThrough = std::make_unique<ReadThrough>(*QRPreview->verticalScrollBar(), [this](int direction) {
        const std::int32_t before = QRPreview->PageNumber();
        Guarded([this, direction] { direction > 0 ? sbNextPageClick() : sbPreviousPageClick(); });
        return QRPreview->PageNumber() != before;
    });
    sbThumbnails->setChecked(settings::ThumbnailsShown());
    return Splitter;
}

void TTav_FolivexFrm::ReadOn(int direction) {
    // A focused button keeps its own Space.
    if (auto* button = qobject_cast<QAbstractButton*>(QApplication::focusWidget()); button && direction > 0)
        button->animateClick();
    else
        m_readThrough->Step(direction);
}

void TTav_FolivexFrm::ShowThumbnails(bool shown) {
    Thumbnails->setVisible(shown);
    if (shown)
        Thumbnails->MarkPage(QRPreview->PageNumber());
}

void TTav_FolivexFrm::ShowInThumbnails(TQRPrinter* document) {
    Thumbnails->SetDocument(document);
    if (document)
        Thumbnails->MarkPage(QRPreview->PageNumber());
}

void TTav_FolivexFrm::FillRecentMenu() {
    QMenu& menu = *sbRecent->menu();
    menu.clear();
    int number = 0;
    for (const RecentFile& file : settings::RecentFiles()) {
        const QString path = QFile::decodeName(QByteArray::fromStdString(file.path));
        QAction* action = menu.addAction(QStringLiteral("&%1  %2").arg(++number % 10).arg(path));
        connect(action, &QAction::triggered, this, [this, file] { Guarded([this, &file] { OpenRecent(file); }); });
    }
    if (number == 0)
        menu.addAction(QStringLiteral("No recent reports"))->setEnabled(false);
}

void TTav_FolivexFrm::OpenRecent(const RecentFile& file) {
    if (m_jobRunning)
        return;
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(file.path, ignored)) {
        settings::RemoveRecentFile(file.path);
        m_dialogs->Message("載入檔案錯誤!" + file.path);
        return;
    }
    LoadReport(file.path);
    GoToPage(std::clamp(file.page, 1, std::max(1, PageTotal())));
}

void TTav_FolivexFrm::LeaveRecentReport() {
    if (!m_recentPath.empty())
        settings::SetRecentPage(m_recentPath, QRPreview->PageNumber());
    m_recentPath.clear();
}

void TTav_FolivexFrm::ApplyRememberedZoom() {
    switch (settings::ZoomMode()) {
        case RememberedZoom::FitPage:
            return;
        case RememberedZoom::Actual:
            ZoomTo100->setChecked(true);
            ZoomTo100Click();
            return;
        case RememberedZoom::FitWidth:
            ZoomToWidth->setChecked(true);
            ZoomToWidthClick();
            return;
    }
}

void TTav_FolivexFrm::RememberWindowState() {
    settings::SetWindowGeometry(saveGeometry());
    settings::SetZoomMode(ZoomToWidth->isChecked() ? RememberedZoom::FitWidth
                          : ZoomTo100->isChecked() ? RememberedZoom::Actual
                                                   : RememberedZoom::FitPage);
    settings::SetThumbnailsShown(sbThumbnails->isChecked());
}

}  // namespace qrp::app
