#include "text_overlay.h"

#include <QPaintEvent>
#include <QPainter>

#include "preview.h"
#include "report/page_picture.h"

namespace qrp::preview {

namespace {

// Multiplied into the page, so the ink stays black and the paper takes the colour.
QColor ColourOf(MarkKind kind) {
    switch (kind) {
        case MarkKind::Match:
            return {255, 232, 90};
        case MarkKind::CurrentMatch:
            return {255, 160, 50};
        case MarkKind::Selected:
            return {160, 200, 255};
    }
    return {};
}

}  // namespace

QRectF SheetRect(const exporter::GlyphBox& box, QSizeF page, QSizeF sheet) {
    if (page.isEmpty())
        return {};
    const double sx = sheet.width() / page.width(), sy = sheet.height() / page.height();
    return QRectF(QPointF(box.Left * sx, box.Top * sy), QPointF(box.Right * sx, box.Bottom * sy));
}

exporter::GlyphBox PageBox(const QRectF& rect, QSizeF page, QSizeF sheet) {
    if (sheet.isEmpty())
        return {};
    const double sx = page.width() / sheet.width(), sy = page.height() / sheet.height();
    const QRectF r = rect.normalized();
    return {r.left() * sx, r.top() * sy, r.right() * sx, r.bottom() * sy};
}

TextOverlay::TextOverlay(TQRPreviewImage& image) : QWidget(&image), m_image(image) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(image.rect());
    image.installEventFilter(this);
}

QSizeF TextOverlay::PagePixels() const {
    const PagePicture* picture = m_image.PagePicture();
    if (!picture || picture->WidthPx() <= 0 || picture->HeightPx() <= 0)
        return {};
    return QSizeF(picture->WidthPx(), picture->HeightPx());
}

QRectF TextOverlay::OnImage(const exporter::GlyphBox& box) const {
    return SheetRect(box, PagePixels(), m_image.size());
}

bool TextOverlay::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_image && event->type() == QEvent::Resize)
        setGeometry(m_image.rect());
    return QWidget::eventFilter(watched, event);
}

void TextOverlay::paintEvent(QPaintEvent* event) {
    if (!m_image.HasPicture())
        return;
    QPainter painter(this);
    painter.setClipRect(event->rect());
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    for (const MarkSource& source : m_sources) {
        for (const TextMark& mark : source(m_image.PageNumber())) {
            const QRectF rect = OnImage(mark.Box);
            if (rect.intersects(event->rect()))
                painter.fillRect(rect, ColourOf(mark.Kind));
        }
    }
}

}  // namespace qrp::preview
