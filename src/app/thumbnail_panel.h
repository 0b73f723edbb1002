// The thumbnail side panel: one row per page of the shown report, drawn by a delegate (no
// widget per page, so a report of 10,000 pages costs no more than one of ten). Only the
// rows in view are rendered, on the renderer's worker, into a cache capped by its size in
// bytes; the shown page is marked and kept in view.
#pragma once

#include <cstdint>
#include <vector>

#include <QCache>
#include <QImage>
#include <QListView>

#include "thumbnail_renderer.h"

namespace qrp {
class TQRPrinter;
}

namespace qrp::app {

class ThumbnailModel;

class ThumbnailPanel : public QListView {
    Q_OBJECT
  public:
    explicit ThumbnailPanel(QWidget* parent = nullptr);
    ~ThumbnailPanel() override;

    // Forgets everything shown and cancels the rendering (joining its worker) before it
    // shows `document`, or nothing when it is null.
    void SetDocument(TQRPrinter* document);
    // Adds rows for pages a running report has added since.
    void UpdatePageCount();
    // Marks page n as the one shown and scrolls it into view.
    void MarkPage(std::int32_t n);

    ThumbnailRenderer& Renderer() { return m_renderer; }
    // As wide as a thumbnail needs, no wider.
    QSize sizeHint() const override;

  signals:
    // The user chose page n.
    void PageChosen(std::int32_t n);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    // Asks the renderer for the rows in view that the cache lacks.
    void RequestVisible();
    void Store(std::int32_t page, const QImage& image);

    TQRPrinter* m_document = nullptr;
    ThumbnailModel* m_model = nullptr;
    QCache<std::int32_t, QImage> m_cache;
    ThumbnailRenderer m_renderer;
};

}  // namespace qrp::app
