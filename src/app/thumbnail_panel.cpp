#include "thumbnail_panel.h"

#include <algorithm>

#include <QAbstractListModel>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTimer>

#include "report/document.h"

namespace qrp::app {

namespace {

constexpr int kThumbnailWidth = 96;  // logical pixels
constexpr int kMargin = 6;
constexpr int kLabelHeight = 16;
constexpr qsizetype kCacheBytes = 32 << 20;
// Rendered at twice the size they are shown: sharp on high-density screens, and still
// a few hundred fit in the cache.
constexpr int kRenderScale = 2;

}  // namespace

// Rows carry nothing but their page number; the images live in the panel's cache.
class ThumbnailModel : public QAbstractListModel {
  public:
    using QAbstractListModel::QAbstractListModel;

    void Reset(std::int32_t pages, QSize thumbnail) {
        beginResetModel();
        m_pages = pages;
        m_thumbnail = thumbnail;
        endResetModel();
    }
    void Grow(std::int32_t pages) {
        if (pages <= m_pages)
            return;
        beginInsertRows({}, m_pages, pages - 1);
        m_pages = pages;
        endInsertRows();
    }
    void Changed(std::int32_t page) {
        if (const QModelIndex row = index(page - 1); row.isValid())
            emit dataChanged(row, row, {Qt::DecorationRole});
    }
    QSize Thumbnail() const { return m_thumbnail; }

    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : m_pages; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DisplayRole && index.isValid())
            return index.row() + 1;
        return {};
    }

  private:
    std::int32_t m_pages = 0;
    QSize m_thumbnail{kThumbnailWidth, kThumbnailWidth * 297 / 210};
};

namespace {

// A sheet in a frame with its page number below; the selected row (the page shown) is
// drawn on the highlight colour.
class ThumbnailDelegate : public QStyledItemDelegate {
  public:
    ThumbnailDelegate(const ThumbnailModel& model, const QCache<std::int32_t, QImage>& cache, QObject* parent)
        : QStyledItemDelegate(parent), m_model(model), m_cache(cache) {}

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        const QSize sheet = m_model.Thumbnail();
        return {sheet.width() + 2 * kMargin, sheet.height() + 2 * kMargin + kLabelHeight};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QPalette& palette = option.palette;
        if (option.state & QStyle::State_Selected)
            painter->fillRect(option.rect, palette.highlight());
        const QSize box = m_model.Thumbnail();
        const QRect sheet(option.rect.left() + (option.rect.width() - box.width()) / 2, option.rect.top() + kMargin,
                          box.width(), box.height());
        painter->fillRect(sheet, Qt::white);
        if (const QImage* image = m_cache.object(index.row() + 1); image && !image->isNull()) {
            // The page keeps its own proportions inside the sheet's frame.
            const QSize fitted = image->deviceIndependentSize().toSize().scaled(box, Qt::KeepAspectRatio);
            const QRect target(sheet.left() + (box.width() - fitted.width()) / 2,
                               sheet.top() + (box.height() - fitted.height()) / 2, fitted.width(), fitted.height());
            painter->setRenderHint(QPainter::SmoothPixmapTransform);
            painter->drawImage(target, *image);
        }
        painter->setPen(Qt::black);
        painter->drawRect(sheet.adjusted(0, 0, -1, -1));
        painter->setPen(option.state & QStyle::State_Selected ? palette.highlightedText().color()
                                                              : palette.text().color());
        painter->drawText(QRect(option.rect.left(), sheet.bottom() + 1, option.rect.width(), kLabelHeight),
                          Qt::AlignCenter, QString::number(index.row() + 1));
    }

  private:
    const ThumbnailModel& m_model;
    const QCache<std::int32_t, QImage>& m_cache;
};

// The thumbnail box: kThumbnailWidth wide, as tall as the paper's proportions make it
// (within the renderer's four widths).
QSize ThumbnailBox(const TQRPrinter& document) {
    const std::int32_t width = document.OrientedPaperWidth();
    const std::int32_t length = document.OrientedPaperLength();
    if (width <= 0 || length <= 0)
        return {kThumbnailWidth, kThumbnailWidth * 297 / 210};
    const auto height = static_cast<int>(static_cast<std::int64_t>(kThumbnailWidth) * length / width);
    return {kThumbnailWidth, std::clamp(height, kThumbnailWidth / 4, kThumbnailWidth * 4)};
}

}  // namespace

ThumbnailPanel::ThumbnailPanel(QWidget* parent)
    : QListView(parent), m_cache(kCacheBytes), m_renderer(kThumbnailWidth * kRenderScale) {
    m_model = new ThumbnailModel(this);
    setModel(m_model);
    setItemDelegate(new ThumbnailDelegate(*m_model, m_cache, this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setSpacing(2);
    setMinimumWidth(kThumbnailWidth + 2 * kMargin + 2 * spacing() + verticalScrollBar()->sizeHint().width() +
                    2 * frameWidth());
    setAccessibleName(QStringLiteral("Page thumbnails"));
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &ThumbnailPanel::RequestVisible);
    connect(&m_renderer, &ThumbnailRenderer::Rendered, this, &ThumbnailPanel::Store);
    const auto choose = [this](const QModelIndex& index) { emit PageChosen(index.row() + 1); };
    connect(this, &QListView::clicked, this, choose);
    connect(this, &QListView::activated, this, choose);
}

ThumbnailPanel::~ThumbnailPanel() {
    m_renderer.Stop();
}

void ThumbnailPanel::SetDocument(TQRPrinter* document) {
    m_renderer.Stop();
    m_cache.clear();
    m_document = document;
    // A document without pages to give (a load that failed) keeps its old count: no rows.
    const bool hasPages = document && document->Status() != dsReady;
    m_model->Reset(hasPages ? document->PageTotal() : 0, document ? ThumbnailBox(*document) : QSize());
    if (!document)
        return;
    m_renderer.Start(*document);
    // The view lays its rows out when control returns to the event loop.
    QTimer::singleShot(0, this, &ThumbnailPanel::RequestVisible);
}

void ThumbnailPanel::UpdatePageCount() {
    if (!m_document)
        return;
    m_model->Grow(m_document->PageTotal());
    RequestVisible();
}

void ThumbnailPanel::MarkPage(std::int32_t n) {
    const QModelIndex row = m_model->index(n - 1);
    if (!row.isValid())
        return;
    setCurrentIndex(row);
    scrollTo(row);
}

QSize ThumbnailPanel::sizeHint() const {
    return {minimumWidth(), QListView::sizeHint().height()};
}

void ThumbnailPanel::RequestVisible() {
    const int rows = m_model->rowCount({});
    if (!m_document || !isVisible() || rows == 0)
        return;
    // Rows are all alike and stacked, so the rows at the top and bottom edge bound the view.
    const int x = viewport()->width() / 2;
    const QModelIndex top = indexAt(QPoint(x, 0));
    const QModelIndex bottom = indexAt(QPoint(x, viewport()->height() - 1));
    const int first = top.isValid() ? top.row() : 0;
    const int last = bottom.isValid() ? bottom.row() : rows - 1;
    std::vector<std::int32_t> pages;
    for (int row = first; row <= last; ++row)
        if (!m_cache.contains(row + 1))
            pages.push_back(row + 1);
    m_renderer.Want(pages);
}

void ThumbnailPanel::Store(std::int32_t page, const QImage& image) {
    QImage* stored = new QImage(image);
    stored->setDevicePixelRatio(kRenderScale);
    m_cache.insert(page, stored, std::max<qsizetype>(1, image.sizeInBytes()));
    m_model->Changed(page);
}

void ThumbnailPanel::resizeEvent(QResizeEvent* event) {
    QListView::resizeEvent(event);
    RequestVisible();
}

void ThumbnailPanel::showEvent(QShowEvent* event) {
    QListView::showEvent(event);
    QTimer::singleShot(0, this, &ThumbnailPanel::RequestVisible);
}

void ThumbnailPanel::hideEvent(QHideEvent* event) {
    QListView::hideEvent(event);
    m_renderer.Want({});  // nothing is in view
}

}  // namespace qrp::app
