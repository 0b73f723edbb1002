// Selecting text on the shown page: a rectangle dragged with Shift held (or with the select
// tool on) selects the characters inside it; Copy puts them on the clipboard in reading
// order, Select all takes the page's text, and the page's context menu offers both and
// Copy page as image. A plain drag pans a page larger than the view.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <QObject>
#include <QPoint>

#include "export/page_text_model.h"
#include "export/report_search.h"

class QAbstractButton;
class QMouseEvent;
class QRubberBand;

namespace qrp::preview {
class TQRPreview;
class TextOverlay;
}  // namespace qrp::preview

namespace qrp::app {

class TextSelection : public QObject {
    Q_OBJECT
  public:
    // All must outlive the selection; selectTool is a checkable button.
    TextSelection(preview::TQRPreview& preview, preview::TextOverlay& overlay, QAbstractButton& selectTool);

    // Selects the characters inside `area`, in the image's pixels.
    void SelectArea(const QRect& area);
    void SelectAll();
    // The selected text, lines apart by line feeds, far-apart runs by tabs.
    std::string Text() const;
    void Copy();
    void CopyPageAsImage();
    // Before the shown document is freed or replaced.
    void DocumentGoing();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The shown page's text, read once per page shown.
    const exporter::PageText* ShownText();
    bool Selecting(const QMouseEvent& event) const;
    void ShowMenu(const QPoint& at);

    preview::TQRPreview& m_preview;
    preview::TextOverlay& m_overlay;
    QAbstractButton& m_selectTool;
    QRubberBand* m_band = nullptr;
    std::optional<QPoint> m_bandOrigin;
    std::optional<QPoint> m_panOrigin;  // global position where a pan began
    QPoint m_panScroll;                 // the scroll bars' values then
    std::optional<std::int32_t> m_textPage;
    exporter::PageText m_text;
    std::int32_t m_selectionPage = 0;
    std::vector<exporter::MatchPiece> m_pieces;
};

}  // namespace qrp::app
