#include "text_selection.h"

#include <exception>

#include <QAbstractButton>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QRubberBand>
#include <QScrollBar>

#include "export/page_text_selection.h"
#include "preview/preview.h"
#include "preview/text_overlay.h"
#include "render/page_renderer.h"
#include "report/document.h"

namespace qrp::app {

TextSelection::TextSelection(preview::TQRPreview& preview, preview::TextOverlay& overlay, QAbstractButton& selectTool)
    : QObject(&overlay), m_preview(preview), m_overlay(overlay), m_selectTool(selectTool) {
    m_band = new QRubberBand(QRubberBand::Rectangle, &preview.PageImage());
    preview.PageImage().installEventFilter(this);
    preview.PageImage().setContextMenuPolicy(Qt::DefaultContextMenu);
    overlay.AddSource([this](std::int32_t page) {
        std::vector<preview::TextMark> marks;
        if (page != m_selectionPage || !m_textPage || *m_textPage != page)
            return marks;
        for (const exporter::MatchPiece& piece : m_pieces) {
            const std::vector<exporter::GlyphBox>& glyphs = m_text.Runs[piece.Run].Glyphs;
            marks.push_back({{glyphs[piece.First].Left, glyphs[piece.First].Top, glyphs[piece.End - 1].Right,
                              glyphs[piece.End - 1].Bottom},
                             preview::MarkKind::Selected});
        }
        return marks;
    });
}

const exporter::PageText* TextSelection::ShownText() {
    const preview::TQRPreviewImage& image = m_preview.PageImage();
    const TQRPrinter* document = m_preview.Document();
    if (!image.HasPicture() || !document)
        return nullptr;
    if (m_textPage != image.PageNumber()) {
        m_pieces.clear();
        try {
            m_text = exporter::ReadPageText(*image.PagePicture(), static_cast<double>(document->PageScale() * 254),
                                            image.PageNumber());
        } catch (const std::exception&) {
            m_text = {};  // a page whose text cannot be read has nothing to select
        }
        m_textPage = image.PageNumber();
    }
    return &m_text;
}

void TextSelection::DocumentGoing() {
    m_textPage.reset();
    m_text = {};
    m_pieces.clear();
    m_overlay.update();
}

void TextSelection::SelectArea(const QRect& area) {
    const exporter::PageText* text = ShownText();
    if (!text)
        return;
    m_pieces = exporter::CharactersIn(*text, preview::PageBox(area, m_overlay.PagePixels(), m_overlay.size()));
    m_selectionPage = *m_textPage;
    m_overlay.update();
}

void TextSelection::SelectAll() {
    const exporter::PageText* text = ShownText();
    if (!text)
        return;
    m_pieces = exporter::AllCharacters(*text);
    m_selectionPage = *m_textPage;
    m_overlay.update();
}

std::string TextSelection::Text() const {
    if (!m_textPage || m_selectionPage != *m_textPage || m_selectionPage != m_preview.PageImage().PageNumber())
        return {};
    return exporter::SelectedText(m_text, m_pieces);
}

void TextSelection::Copy() {
    const std::string text = Text();
    if (!text.empty())
        QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

void TextSelection::CopyPageAsImage() {
    const preview::TQRPreviewImage& image = m_preview.PageImage();
    if (!image.HasPicture())
        return;
    // At the size the page is shown, as the user sees it.
    QGuiApplication::clipboard()->setImage(render::RenderToImage(image.PagePicture()->View(), {image.width(), 96}));
}

bool TextSelection::Selecting(const QMouseEvent& event) const {
    return (event.modifiers() & Qt::ShiftModifier) || m_selectTool.isChecked();
}

void TextSelection::ShowMenu(const QPoint& at) {
    QMenu menu;
    QAction* copy = menu.addAction(QStringLiteral("Copy"), [this] { Copy(); });
    copy->setEnabled(!Text().empty());
    menu.addAction(QStringLiteral("Select all"), [this] { SelectAll(); });
    menu.addAction(QStringLiteral("Copy page as image"), [this] { CopyPageAsImage(); });
    menu.exec(at);
}

bool TextSelection::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &m_preview.PageImage())
        return QObject::eventFilter(watched, event);
    QScrollBar& across = *m_preview.horizontalScrollBar();
    QScrollBar& down = *m_preview.verticalScrollBar();
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            const auto& mouse = static_cast<QMouseEvent&>(*event);
            if (mouse.button() != Qt::LeftButton)
                return false;
            if (Selecting(mouse)) {
                m_bandOrigin = mouse.position().toPoint();
                m_band->setGeometry(QRect(*m_bandOrigin, QSize()));
                m_band->show();
                return true;
            }
            if (across.maximum() > 0 || down.maximum() > 0) {
                m_panOrigin = mouse.globalPosition().toPoint();
                m_panScroll = {across.value(), down.value()};
                m_preview.PageImage().setCursor(Qt::ClosedHandCursor);
                return true;
            }
            return false;
        }
        case QEvent::MouseMove: {
            const auto& mouse = static_cast<QMouseEvent&>(*event);
            if (m_bandOrigin) {
                m_band->setGeometry(QRect(*m_bandOrigin, mouse.position().toPoint()).normalized());
                return true;
            }
            if (m_panOrigin) {
                const QPoint moved = mouse.globalPosition().toPoint() - *m_panOrigin;
                across.setValue(m_panScroll.x() - moved.x());
                down.setValue(m_panScroll.y() - moved.y());
                return true;
            }
            return false;
        }
        case QEvent::MouseButtonRelease: {
            const auto& mouse = static_cast<QMouseEvent&>(*event);
            if (m_bandOrigin) {
                m_band->hide();
                const QRect area = QRect(*m_bandOrigin, mouse.position().toPoint()).normalized();
                m_bandOrigin.reset();
                SelectArea(area);
                return true;
            }
            if (m_panOrigin) {
                m_panOrigin.reset();
                m_preview.PageImage().unsetCursor();
                return true;
            }
            return false;
        }
        case QEvent::ContextMenu:
            ShowMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        default:
            return false;
    }
}

}  // namespace qrp::app
