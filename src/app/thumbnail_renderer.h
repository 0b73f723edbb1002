// Renders page thumbnails on a worker thread of its own, for the pages the thumbnail panel
// shows. The panel names the pages in view each time they change; a page that has left the
// view before the worker reached it is never rendered, so scrolling through a long report
// costs only the pages the user stopped at.
//
// The worker fetches pages from the document's page list, whose lock lets it read while the
// window shows, prints or exports the same document. Whatever frees or replaces the
// document must Stop() the renderer first: Stop drops what is pending, waits for the page
// being rendered and joins the worker; results still on their way are dropped too.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include <QImage>
#include <QObject>

namespace qrp {
class TQRPrinter;
}

namespace qrp::app {

class ThumbnailRenderer : public QObject {
    Q_OBJECT
  public:
    // width: of the images, in device pixels.
    explicit ThumbnailRenderer(int width, QObject* parent = nullptr);
    ~ThumbnailRenderer() override;
    ThumbnailRenderer(const ThumbnailRenderer&) = delete;
    ThumbnailRenderer& operator=(const ThumbnailRenderer&) = delete;

    // Starts rendering from `document` (the caller's; it must outlive Stop).
    void Start(TQRPrinter& document);
    void Stop();

    // The pages to render, in this order; replaces what was asked before.
    void Want(const std::vector<std::int32_t>& pages);

  signals:
    // On the thread that owns the renderer. A null image for a page that cannot be drawn.
    void Rendered(std::int32_t page, const QImage& image);

  private:
    void Run(TQRPrinter& document, std::uint64_t generation);
    QImage Render(TQRPrinter& document, std::int32_t page) const;

    const int m_width;
    std::uint64_t m_generation = 0;  // owner's thread: which Start the results belong to
    std::thread m_worker;
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<std::int32_t> m_wanted;  // guarded by m_lock
    bool m_stopping = false;            // guarded by m_lock
};

}  // namespace qrp::app
