// Marks drawn over the page image: found text, the current find match, selected text. The
// boxes are in the page's own pixels (the text model's glyph boxes) and follow the sheet as
// the preview lays it out, at any zoom and orientation: the page is stretched over the whole
// image, so page pixels scale to the image's size.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include <QRectF>
#include <QWidget>

#include "export/page_text_model.h"

namespace qrp::preview {

class TQRPreviewImage;

enum class MarkKind : std::uint8_t { Match, CurrentMatch, Selected };

struct TextMark {
    exporter::GlyphBox Box;
    MarkKind Kind = MarkKind::Match;
};

// A box in page pixels on an image of `sheet` pixels showing a page of `page` pixels, and back.
QRectF SheetRect(const exporter::GlyphBox& box, QSizeF page, QSizeF sheet);
exporter::GlyphBox PageBox(const QRectF& rect, QSizeF page, QSizeF sheet);

// Covers the page image, lets the mouse through, and paints what its sources mark on the
// page the image shows.
class TextOverlay : public QWidget {
    Q_OBJECT
  public:
    using MarkSource = std::function<std::vector<TextMark>(std::int32_t page)>;

    explicit TextOverlay(TQRPreviewImage& image);

    void AddSource(MarkSource source) { m_sources.push_back(std::move(source)); }
    // The shown page's size in its own pixels; empty without a page.
    QSizeF PagePixels() const;
    // A mark's rectangle in the image.
    QRectF OnImage(const exporter::GlyphBox& box) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    TQRPreviewImage& m_image;
    std::vector<MarkSource> m_sources;
};

}  // namespace qrp::preview
