#include <QPaintEvent>
#include <QPainter>

#include "preview.h"
#include "report/document.h"
#include "sheet_painter.h"

namespace qrp::preview {

namespace {

// Device pixels the cached sheet may take (64 MB). A larger sheet (high zooms of big paper)
// caches only the part around what is visible.
constexpr qint64 kMaxCachePixels = 16 * 1024 * 1024;
// How far around the visible part such a partial cache reaches, so that short scrolls
// are served from it.
constexpr int kCacheMargin = 256;

bool FitsCache(const QRect& area, qreal pixelRatio) {
    return qint64(area.width() * pixelRatio) * qint64(area.height() * pixelRatio) <= kMaxCachePixels;
}

}  // namespace

// The preview made its scrollable area before its image, so the image lands in it.
TQRPreviewImage::TQRPreviewImage(TQRPreview* owner) : QWidget(owner ? owner->widget() : nullptr) {
    setGeometry(0, 0, 100, 50);
}

TQRPreviewImage::~TQRPreviewImage() = default;

void TQRPreviewImage::LoadPage(std::int32_t n) {
    m_pageNumber = n;
    m_picture.reset();
    m_cache = QImage();
    if (m_document)
        m_picture = m_document->FetchPage(n);
    // Painting is queued rather than done here, so that the layout that usually follows
    // (a fit, a zoom) is painted once, at its final size.
    update();
}

void TQRPreviewImage::paintEvent(QPaintEvent* event) {
    if (!m_picture)
        return;
    const QRect needed = event->rect();
    const qreal ratio = devicePixelRatioF();
    if (m_cache.isNull() || m_cache.devicePixelRatio() != ratio || !m_cacheArea.contains(needed))
        RenderCache(needed, ratio);
    QPainter painter(this);
    if (!m_cache.isNull()) {
        painter.drawImage(m_cacheArea.topLeft(), m_cache);
        return;
    }
    // Even the exposed part is too big to cache: play it straight onto the widget.
    painter.setClipRect(needed);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    PaintSheet(painter, *m_picture, size());
}

void TQRPreviewImage::resizeEvent(QResizeEvent* event) {
    m_cache = QImage();
    QWidget::resizeEvent(event);
}

void TQRPreviewImage::RenderCache(const QRect& needed, qreal ratio) {
    m_cache = QImage();
    QRect area = rect();
    if (!FitsCache(area, ratio)) {
        const QRect around = (visibleRegion().boundingRect() | needed)
                                 .adjusted(-kCacheMargin, -kCacheMargin, kCacheMargin, kCacheMargin);
        area = around & rect();
        if (!FitsCache(area, ratio))
            return;
    }
    if (area.isEmpty())
        return;
    QImage image(area.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return;
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    painter.translate(-area.topLeft());
    PaintSheet(painter, *m_picture, size());
    painter.end();
    m_cache = std::move(image);
    m_cacheArea = area;
}

}  // namespace qrp::preview
