// Finds text in a document's pages on a thread of its own, so that typing never waits for
// a long report. Pages are fetched through the document (each fetch holds the page list's
// lock while it reads that page's bytes only) and unpacked, read and searched outside any
// lock, on as many threads as there are cores. What the thread finds comes back on the GUI
// thread, page by page in page order, as soon as a page and those before it are done.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <QObject>

#include "export/report_search.h"

namespace qrp {
class TQRPrinter;
}

namespace qrp::app {

class SearchWorker : public QObject {
    Q_OBJECT
  public:
    // A page's matches (not empty), in reading order.
    std::function<void(const std::vector<exporter::TextMatch>& matches)> OnMatches;
    // Pages searched so far of the total.
    std::function<void(std::int32_t searched, std::int32_t total)> OnProgress;
    // The search has ended: every page searched, or an error (its text) stopped it.
    std::function<void(const std::string& error)> OnFinished;

    explicit SearchWorker(QObject* parent = nullptr);
    ~SearchWorker() override;
    SearchWorker(const SearchWorker&) = delete;
    SearchWorker& operator=(const SearchWorker&) = delete;

    // Cancels a running search and searches the document's pages for the query. The
    // document must stay (with its pages) until Cancel or the next Start returns.
    void Start(TQRPrinter& document, exporter::TextQuery query);
    // Stops the running search and waits for its thread; what it had found and not yet
    // handed over is dropped.
    void Cancel();
    bool Running() const { return m_running; }

  private:
    // Runs `handler` on the GUI thread unless the search has been cancelled by then.
    void Post(std::uint64_t generation, std::function<void()> handler);

    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::uint64_t m_generation = 0;  // of the search that runs; changed only on the GUI thread
    bool m_running = false;
};

}  // namespace qrp::app
