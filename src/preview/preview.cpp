#include "preview.h"

#include <algorithm>
#include <exception>

#include <QScopeGuard>
#include <QScrollBar>

#include "report/document.h"
#include "report/paper_sizes.h"
#include "report/rounding.h"

namespace qrp::preview {

namespace {

// Without a document the Letter sheet stands in, its millimetres taken as pixels.
const PaperSizeInfo& StandInSheet() {
    return PaperInfo(TQRPaperSize::Letter);
}

// A zoom that makes `paperPixels` take `percent` per cent of `available` pixels.
std::int32_t FitZoom(int available, long double paperPixels, int percent) {
    return RoundToInt32(available / paperPixels * percent);
}

// The 4 extra pixels hold the sheet's shadow; the rest keeps huge papers within what a
// widget can be.
int ImageExtent(std::int64_t pixels) {
    return static_cast<int>(std::clamp<std::int64_t>(pixels + 4, 0, QWIDGETSIZE_MAX));
}

}  // namespace

TQRPreview::TQRPreview(QWidget* parent) : QScrollArea(parent) {
    resize(250, 250);
    horizontalScrollBar()->setTracking(true);
    verticalScrollBar()->setTracking(true);
    // The image is placed by LayoutPage, never stretched by the scroll area: it sits in a
    // plain area as large as the image and its offset.
    setWidgetResizable(false);
    m_canvas = new QWidget;
    setWidget(m_canvas);
    m_image = new TQRPreviewImage(this);
    m_canvas->resize(m_image->size());
}

TQRPreview::~TQRPreview() {
    // A throwing AfterPreview handler must not escape a destructor; the link is gone anyway.
    try {
        Detach();
    } catch (...) {
    }
}

void TQRPreview::SetDocument(TQRPrinter* document) {
    // The new document is taken on even when letting go of the old one fails, so the
    // preview never keeps a document that no longer reports to it; the error still reaches
    // the caller.
    std::exception_ptr failure;
    try {
        Detach();
    } catch (...) {
        failure = std::current_exception();
    }
    Attach(document);
    if (failure)
        std::rethrow_exception(failure);
}

void TQRPreview::Detach() {
    if (!m_document || m_document->NotifyWindow != this)
        return;
    TQRPrinter& old = *m_document;
    const auto unlink = qScopeGuard([&old] { old.NotifyWindow = nullptr; });
    old.SetPreviewShown(false);
}

void TQRPreview::Attach(TQRPrinter* document) {
    m_document = document;
    m_image->SetDocument(document);
    if (document) {
        document->NotifyWindow = this;
        document->SetPreviewShown(true);
    }
    // Assigning page 1 and then loading it would fetch the page twice; what the assignment
    // adds to the load is only the scroll back to the origin.
    const bool pageChanges = AcceptsPage(1);
    m_pageNumber = 1;
    m_image->LoadPage(1);
    if (pageChanges)
        ScrollToOrigin();
    update();
    if (document)
        emit PageShown(1);
    // Mouse events on the page need no copied handlers: what the image does not take goes
    // on to the preview.
}

bool TQRPreview::AcceptsPage(std::int32_t n) const {
    if (n == m_pageNumber && m_image->HasPicture())
        return false;
    return n > 0 && m_document && n <= m_document->PageTotal();
}

void TQRPreview::SetPageNumber(std::int32_t n) {
    if (!AcceptsPage(n))
        return;
    m_image->LoadPage(n);
    m_pageNumber = n;
    ScrollToOrigin();
    emit PageShown(n);
}

void TQRPreview::SetZoom(std::int32_t zoom) {
    if (zoom < 2 || zoom > 2000)
        return;
    m_zoomMode = zmFree;
    m_zoom = zoom;
    LayoutPage();
}

TQRPreview::PaperPixels TQRPreview::PaperInPixels() const {
    if (!m_document)
        return {StandInSheet().widthMm, StandInSheet().lengthMm};
    return {static_cast<long double>(m_document->DevWidth(m_document->OrientedPaperWidth())),
            static_cast<long double>(m_document->DevHeight(m_document->OrientedPaperLength()))};
}

QSize TQRPreview::SheetSize() const {
    if (!m_document)
        return {ImageExtent(RoundToInt32(StandInSheet().widthMm / 100 * m_zoom)),
                ImageExtent(RoundToInt32(StandInSheet().lengthMm / 100 * m_zoom))};
    return {ImageExtent(m_document->DevWidth(m_document->OrientedPaperWidth() / 100.0L * m_zoom)),
            ImageExtent(m_document->DevHeight(m_document->OrientedPaperLength() / 100.0L * m_zoom))};
}

void TQRPreview::LayoutPage() {
    const QSize sheet = SheetSize();
    const int x = sheet.width() < width() ? (width() - sheet.width()) / 2 : 0;
    const int y = sheet.height() < height() ? (height() - sheet.height()) / 2 : 0;
    m_image->setGeometry(x, y, sheet.width(), sheet.height());
    m_canvas->resize(x + sheet.width(), y + sheet.height());
    ScrollToOrigin();
}

void TQRPreview::ScrollToOrigin() {
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

// A paper that converts to no pixels at all cannot be fitted; the zoom stays as it is.
void TQRPreview::FitToPage() {
    const PaperPixels paper = PaperInPixels();
    if (paper.width > 0 && paper.height > 0)
        SetZoom(std::min(FitZoom(width(), paper.width, 95), FitZoom(height(), paper.height, 95)));
    m_zoomMode = zmFitPage;
}

void TQRPreview::FitToWidth() {
    const PaperPixels paper = PaperInPixels();
    if (paper.width > 0)
        SetZoom(FitZoom(width(), paper.width, m_document ? 90 : 95));
    LayoutPage();
    m_zoomMode = zmFitWidth;
}

void TQRPreview::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    if (m_zoomMode == zmFitPage)
        FitToPage();
    else if (m_zoomMode == zmFitWidth)
        FitToWidth();
    LayoutPage();
}

void TQRPreview::ShowWaitingPage() {
    if (m_image->HasPicture() || !m_document || m_document->PagesReady() < m_image->PageNumber())
        return;
    FitToWidth();
    m_image->LoadPage(m_image->PageNumber());
}

void TQRPreview::Post(DocumentMessage message, std::int32_t value) {
    // Queued on this preview: dropped if the preview goes first, and handled against the
    // document attached by then (never one that has been destroyed since).
    QMetaObject::invokeMethod(
        this, [this, message, value] { HandleMessage(message, value); }, Qt::QueuedConnection);
}

void TQRPreview::HandleMessage(DocumentMessage message, std::int32_t value) {
    const auto low16 = static_cast<std::int32_t>(static_cast<std::uint16_t>(value));
    if (message == DocumentMessage::PageAvailable) {
        if (low16 == m_pageNumber)
            ShowWaitingPage();
        if (OnPageAvailable)
            OnPageAvailable(*this, low16);
    } else if (message == DocumentMessage::Progress) {
        if (OnProgressUpdate)
            OnProgressUpdate(*this, low16);
    }
}

// Only a report window that owns a document gets sent messages.
void TQRPreview::Send(DocumentMessage /*message*/, TQRPrinter& /*document*/) {}

void TQRPreview::DocumentDestroyed(TQRPrinter& document) {
    if (&document == m_document)
        SetDocument(nullptr);
}

}  // namespace qrp::preview
