#include "search_worker.h"

#include <chrono>
#include <exception>
#include <sys/resource.h>

#include <QThread>

#include "export/page_text_driver.h"
#include "report/document.h"

namespace qrp::app {

namespace {

// Progress goes to the window no oftener than this; matches go at once.
constexpr std::chrono::milliseconds kProgressInterval{40};
constexpr int kSearchNice = 5;

}  // namespace

SearchWorker::SearchWorker(QObject* parent) : QObject(parent) {}

SearchWorker::~SearchWorker() {
    Cancel();
}

void SearchWorker::Cancel() {
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    ++m_generation;
    m_running = false;
}

void SearchWorker::Post(std::uint64_t generation, std::function<void()> handler) {
    QMetaObject::invokeMethod(
        this,
        [this, generation, handler = std::move(handler)] {
            if (generation == m_generation)
                handler();
        },
        Qt::QueuedConnection);
}

void SearchWorker::Start(TQRPrinter& document, exporter::TextQuery query) {
    Cancel();
    m_stop = false;
    m_running = true;
    const std::uint64_t generation = m_generation;
    const exporter::PageSource pages = exporter::PagesOf(document);
    m_thread = std::thread([this, generation, pages, query = std::move(query)] {
        // Below the window's own thread, and so are the page threads it starts (a Linux
        // thread's nice value is its own and passes to the threads it creates): the first
        // match is painted at once while the rest of the report is still being searched.
        ::setpriority(PRIO_PROCESS, 0, kSearchNice);
        using Clock = std::chrono::steady_clock;
        auto lastProgress = Clock::now();
        std::string error;
        try {
            exporter::SearchReport(
                pages, query,
                [&](std::int32_t page, const exporter::PageText&, const std::vector<exporter::TextMatch>& matches) {
                    if (!matches.empty())
                        Post(generation, [this, matches] { OnMatches(matches); });
                    if (matches.empty() && Clock::now() - lastProgress < kProgressInterval)
                        return !m_stop;
                    lastProgress = Clock::now();
                    Post(generation, [this, page, total = pages.PageTotal] { OnProgress(page, total); });
                    return !m_stop;
                },
                static_cast<unsigned>(QThread::idealThreadCount()));
        } catch (const std::exception& failure) {
            error = failure.what();
        }
        Post(generation, [this, error] {
            m_running = false;
            OnFinished(error);
        });
    });
}

}  // namespace qrp::app
