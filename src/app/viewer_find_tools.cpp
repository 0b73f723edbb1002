// The window's reading tools, after the toolbar's own commands: the select tool, the find
// bar below the preview, the marks over the page, and their shortcuts; and what the command
// line asks of them.
#include <QKeySequence>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>

#include "find_bar.h"
#include "preview/preview.h"
#include "preview/text_overlay.h"
#include "spin_edit.h"
#include "text_finder.h"
#include "text_selection.h"
#include "viewer_window.h"

namespace qrp::app {

void TTav_FolivexFrm::BuildFindTools() {
    SelectTool = new QToolButton(Panel1);
    SelectTool->setGeometry(720, 0, 26, 23);
    SelectTool->setAutoRaise(true);
    SelectTool->setFocusPolicy(Qt::NoFocus);
    SelectTool->setCheckable(true);
    SelectTool->setIcon(QIcon(QStringLiteral(":/icons/select_text.svg")));
    SelectTool->setIconSize(QSize(18, 18));
    SelectTool->setToolTip(QStringLiteral("Select text (or drag with Shift held)"));
    SelectTool->setAccessibleName(SelectTool->toolTip());

    FindBar1 = new FindBar(this);
    layout()->addWidget(FindBar1);
    TextMarks = new preview::TextOverlay(QRPreview->PageImage());
    // Pages turn as the page buttons turn them, so the page spin edit and caption follow.
    Finder = new TextFinder(*QRPreview, *TextMarks, *FindBar1,
                            [this](std::int32_t page) { Guarded([this, page] { GoToPage(page); }); });
    Selection = new TextSelection(*QRPreview, *TextMarks, *SelectTool);

    const auto bind = [this](const QKeySequence& keys, std::function<void()> action) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, [this, action = std::move(action)] { Guarded(action); });
    };
    bind(QKeySequence::Find, [this] { FindBar1->Open(); });
    bind(QKeySequence(Qt::Key_F3), [this] { Finder->Next(); });
    bind(QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { Finder->Previous(); });
    bind(QKeySequence(Qt::Key_Escape), [this] {
        if (FindBar1->isVisible())
            FindBar1->CloseButton->click();
    });
    bind(QKeySequence::Copy, [this] { Selection->Copy(); });
    bind(QKeySequence::SelectAll, [this] { Selection->SelectAll(); });
}

void TTav_FolivexFrm::ReleaseDocumentReaders() {
    Finder->DocumentGoing();
    Selection->DocumentGoing();
}

void TTav_FolivexFrm::SetCommandLineRequests(std::int32_t page, const QString& find) {
    m_commandLinePage = page;
    m_commandLineFind = find;
}

void TTav_FolivexFrm::ApplyCommandLineRequests() {
    if (m_commandLinePage > 0)
        GoToPage(m_commandLinePage);
    if (!m_commandLineFind.isEmpty())
        FindBar1->Open(m_commandLineFind);
}

}  // namespace qrp::app
