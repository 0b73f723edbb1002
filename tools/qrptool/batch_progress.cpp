#include "batch_progress.h"

#include <cstdio>
#include <unistd.h>

namespace qrp::tool {

BatchProgress::BatchProgress(std::size_t total, bool force, bool quiet)
    : m_shown(!quiet && (force || ::isatty(STDERR_FILENO))), m_total(total) {}

void BatchProgress::Started(const std::string& report) {
    const std::lock_guard guard(m_currentLock);
    m_current = report;
}

void BatchProgress::Finished(bool failed) {
    ++m_done;
    m_errors += failed ? 1 : 0;
}

void BatchProgress::Draw(bool force) {
    if (!m_shown)
        return;
    const Clock::time_point now = Clock::now();
    if (!force && now - m_drawn < std::chrono::milliseconds(200))
        return;
    m_drawn = now;
    const double seconds = std::chrono::duration<double>(now - m_start).count();
    const double pagesPerSecond = seconds > 0 ? static_cast<double>(m_pages) / seconds : 0;
    std::string left = "--:--";
    if (m_done > 0) {
        const auto remaining =
            static_cast<long>(seconds / static_cast<double>(m_done) * static_cast<double>(m_total - m_done));
        char text[32];
        std::snprintf(text, sizeof text, "%ld:%02ld", remaining / 60, remaining % 60);
        left = text;
    }
    std::string current;
    {
        const std::lock_guard guard(m_currentLock);
        current = m_current;
    }
    // "\r\033[K": back to the line's start and clear it, as a terminal takes it.
    std::fprintf(stderr, "\r\033[K%zu/%zu reports, %.0f pages/s, %zu errors, %s left, %s", m_done, m_total,
                 pagesPerSecond, m_errors, left.c_str(), current.c_str());
    std::fflush(stderr);
}

void BatchProgress::Close() {
    if (!m_shown)
        return;
    Draw(true);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

}  // namespace qrp::tool
