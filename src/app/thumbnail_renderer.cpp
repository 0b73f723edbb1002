#include "thumbnail_renderer.h"

#include <algorithm>
#include <exception>

#include "render/page_renderer.h"
#include "report/document.h"

namespace qrp::app {

namespace {

// A page far taller than wide is drawn narrower, so that no thumbnail is taller than this
// many widths: a hostile frame cannot make one image take megabytes.
constexpr double kMaxAspect = 4;

}  // namespace

ThumbnailRenderer::ThumbnailRenderer(int width, QObject* parent) : QObject(parent), m_width(width) {}

ThumbnailRenderer::~ThumbnailRenderer() {
    Stop();
}

void ThumbnailRenderer::Start(TQRPrinter& document) {
    Stop();
    m_stopping = false;
    m_worker = std::thread([this, &document, generation = m_generation] { Run(document, generation); });
}

void ThumbnailRenderer::Stop() {
    ++m_generation;
    if (!m_worker.joinable())
        return;
    {
        const std::lock_guard lock(m_lock);
        m_stopping = true;
        m_wanted.clear();
    }
    m_wake.notify_one();
    m_worker.join();
}

void ThumbnailRenderer::Want(const std::vector<std::int32_t>& pages) {
    {
        const std::lock_guard lock(m_lock);
        m_wanted.assign(pages.begin(), pages.end());
    }
    m_wake.notify_one();
}

void ThumbnailRenderer::Run(TQRPrinter& document, std::uint64_t generation) {
    for (;;) {
        std::int32_t page = 0;
        {
            std::unique_lock lock(m_lock);
            m_wake.wait(lock, [this] { return m_stopping || !m_wanted.empty(); });
            if (m_stopping)
                return;
            page = m_wanted.front();
            m_wanted.pop_front();
        }
        const QImage image = Render(document, page);
        QMetaObject::invokeMethod(
            this,
            [this, page, image, generation] {
                if (generation == m_generation)
                    emit Rendered(page, image);
            },
            Qt::QueuedConnection);
    }
}

QImage ThumbnailRenderer::Render(TQRPrinter& document, std::int32_t page) const {
    try {
        const std::unique_ptr<PagePicture> picture = document.Pages().FetchPage(page);
        if (!picture)
            return {};
        const QSizeF mm = render::FrameSizeMm(picture->Bytes());
        const double narrowing = std::min(1.0, kMaxAspect * mm.width() / mm.height());
        return render::RenderToImage(picture->Bytes(), {.width = std::max(1, static_cast<int>(m_width * narrowing))});
    } catch (const std::exception&) {
        // A damaged page shows as an empty frame; the preview reports it when it is opened.
        return {};
    }
}

}  // namespace qrp::app
