// The preview control: a scroll area showing one page of a report document at a zoom, as a
// white sheet with a black outline and a drop shadow. It lays the sheet out from the paper
// size and the zoom, keeps a zoom mode so that a resize refits the page or its width, and
// turns the document's posted page-available and progress messages into events.
//
// The preview never owns its document; the page image owns the one picture it shows.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include <QImage>
#include <QScrollArea>

#include "report/notifications.h"

namespace qrp {
class TQRPrinter;
class PagePicture;
}  // namespace qrp

namespace qrp::preview {

enum TQRZoomState : std::uint8_t { zmFitPage = 0, zmFitWidth = 1, zmFree = 2 };

class TQRPreview;

// The child that draws the sheet. It keeps the rendered page at the current size, so
// scrolling and repainting never replay the page.
class TQRPreviewImage : public QWidget {
    Q_OBJECT
  public:
    explicit TQRPreviewImage(TQRPreview* owner);
    ~TQRPreviewImage() override;

    TQRPrinter* Document() const { return m_document; }
    void SetDocument(TQRPrinter* document) { m_document = document; }
    std::int32_t PageNumber() const { return m_pageNumber; }
    const qrp::PagePicture* PagePicture() const { return m_picture.get(); }
    bool HasPicture() const { return m_picture != nullptr; }

    // Fetches page n from the document (none when it cannot give it) and has it drawn at the
    // next paint, which Qt runs as soon as control returns to the event loop.
    void LoadPage(std::int32_t n);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // Renders the part of the sheet to cache: all of it, or, for a sheet too big to hold,
    // the visible part and a margin around it (always covering `needed`). Leaves no cache
    // when even that is too big.
    void RenderCache(const QRect& needed, qreal ratio);

    TQRPrinter* m_document = nullptr;
    std::int32_t m_pageNumber = 1;
    std::unique_ptr<qrp::PagePicture> m_picture;
    QImage m_cache;     // the sheet as last drawn, at the widget's size and pixel ratio
    QRect m_cacheArea;  // the part of the image m_cache holds
};

class TQRPreview : public QScrollArea, public DocumentWindow {
    Q_OBJECT
  public:
    using TQRPageAvailableEvent = std::function<void(TQRPreview& sender, std::int32_t pageNum)>;
    using TQRProgressUpdateEvent = std::function<void(TQRPreview& sender, std::int32_t progress)>;

    explicit TQRPreview(QWidget* parent = nullptr);
    // Detaches the document first.
    ~TQRPreview() override;

    TQRPreviewImage& PageImage() { return *m_image; }

    TQRPrinter* Document() const { return m_document; }
    // Detaches the old document and attaches `document` (may be null); page 1 is fetched
    // anew even when it was already shown.
    void SetDocument(TQRPrinter* document);

    std::int32_t PageNumber() const { return m_pageNumber; }
    // Ignored for the page already shown, numbers below 1 or above PageTotal, or no document.
    void SetPageNumber(std::int32_t n);

    std::int32_t Zoom() const { return m_zoom; }
    // Ignored outside 2..2000; otherwise leaves the fit modes and lays the page out.
    void SetZoom(std::int32_t zoom);
    TQRZoomState ZoomMode() const { return m_zoomMode; }

    void FitToPage();
    void FitToWidth();
    void LayoutPage();
    void ShowWaitingPage();

    TQRPageAvailableEvent OnPageAvailable;
    TQRProgressUpdateEvent OnProgressUpdate;

    // DocumentWindow: posted messages are queued on the Qt event loop and handled later.
    void Post(DocumentMessage message, std::int32_t value) override;
    void Send(DocumentMessage message, TQRPrinter& document) override;
    void DocumentDestroyed(TQRPrinter& document) override;

  signals:
    // Page n has become the page shown (also page 1 of a newly attached document).
    void PageShown(std::int32_t n);

  protected:
    void resizeEvent(QResizeEvent* event) override;  // PreviewResized

  private:
    void HandleMessage(DocumentMessage message, std::int32_t value);
    // Steps of SetDocument: let go of the attached document, take on `document`.
    void Detach();
    void Attach(TQRPrinter* document);
    // Whether assigning page n shows it (see SetPageNumber).
    bool AcceptsPage(std::int32_t n) const;
    // The image's size at the current zoom, outline and shadow included.
    QSize SheetSize() const;
    // The paper's size in screen pixels, or the stand-in sheet without a document.
    struct PaperPixels {
        long double width, height;
    };
    PaperPixels PaperInPixels() const;
    void ScrollToOrigin();

    QWidget* m_canvas = nullptr;         // the scrollable area; holds the image
    TQRPreviewImage* m_image = nullptr;  // owned through Qt's parent
    TQRPrinter* m_document = nullptr;
    std::int32_t m_pageNumber = 1;
    std::int32_t m_zoom = 100;
    TQRZoomState m_zoomMode = zmFree;
};

}  // namespace qrp::preview
