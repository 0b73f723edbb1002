// The status line of a run over many reports: reports done of the total, pages per second,
// errors so far, the time left and the report being worked on, rewritten in place on
// stderr. Workers count; the thread that owns the line draws it.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>

namespace qrp::tool {

class BatchProgress {
  public:
    // Shown when forced, else when stderr is a terminal, never when quiet.
    BatchProgress(std::size_t total, bool force, bool quiet);

    bool Shown() const { return m_shown; }
    // From any thread.
    void Started(const std::string& report);
    void AddPages(std::size_t pages) { m_pages += pages; }
    // From the drawing thread.
    void Finished(bool failed);
    // Redraws the line, at most a few times a second unless forced.
    void Draw(bool force = false);
    // Draws the last state and ends the line, so that what follows starts on a line of its own.
    void Close();

  private:
    using Clock = std::chrono::steady_clock;

    bool m_shown;
    std::size_t m_total;
    std::size_t m_done = 0;
    std::size_t m_errors = 0;
    std::atomic<std::size_t> m_pages{0};
    std::mutex m_currentLock;
    std::string m_current;  // guarded by m_currentLock
    Clock::time_point m_start = Clock::now();
    Clock::time_point m_drawn{};
};

}  // namespace qrp::tool
