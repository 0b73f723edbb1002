// Work items 1 to Last run on a few threads at once, and their results are taken in item
// order: a caller gets every core's help yet sees the items one by one, as a single loop
// would hand them over. Threads run at most `ahead` items past the last one taken, so
// results never pile up behind a slow item or a slow taker.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace qrp::exporter {

template <typename Result>
class OrderedPool {
  public:
    using Work = std::function<Result(std::int64_t item)>;

    // Starts `threads` (at least one) threads on items 1 to last; work must stay callable
    // from all of them at once until the pool is gone.
    OrderedPool(unsigned threads, std::int64_t last, std::int64_t ahead, Work work)
        : m_work(std::move(work)), m_last(last), m_ahead(std::max<std::int64_t>(ahead, 1)) {
        try {
            for (unsigned t = 0; t < std::max(threads, 1u); ++t)
                m_threads.emplace_back([this] { Run(); });
        } catch (...) {
            Stop();
            throw;
        }
    }
    // Stops the threads after the item each is on and waits for them.
    ~OrderedPool() { Stop(); }
    OrderedPool(const OrderedPool&) = delete;
    OrderedPool& operator=(const OrderedPool&) = delete;

    // The next item's result, once its work is done; throws what the work threw. Not past
    // item `last`.
    Result Take() {
        std::unique_lock lock(m_lock);
        const std::int64_t item = m_taken + 1;
        m_changed.wait(lock, [&] { return m_done.contains(item); });
        Done done = std::move(m_done.at(item));
        m_done.erase(item);
        m_taken = item;
        lock.unlock();
        m_changed.notify_all();
        if (done.error)
            std::rethrow_exception(done.error);
        return std::move(*done.result);
    }

  private:
    struct Done {
        std::optional<Result> result;
        std::exception_ptr error;
    };

    void Run() {
        std::unique_lock lock(m_lock);
        while (true) {
            m_changed.wait(lock, [&] { return m_stop || m_next > m_last || m_next <= m_taken + m_ahead; });
            if (m_stop || m_next > m_last)
                return;
            const std::int64_t item = m_next++;
            lock.unlock();
            Done done;
            try {
                done.result.emplace(m_work(item));
            } catch (...) {
                done.error = std::current_exception();
            }
            lock.lock();
            m_done.emplace(item, std::move(done));
            m_changed.notify_all();
        }
    }

    void Stop() {
        {
            const std::lock_guard lock(m_lock);
            m_stop = true;
        }
        m_changed.notify_all();
        for (std::thread& thread : m_threads)
            thread.join();
    }

    Work m_work;
    const std::int64_t m_last, m_ahead;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::int64_t m_next = 1;   // the next item to start
    std::int64_t m_taken = 0;  // the last item taken
    bool m_stop = false;
    std::map<std::int64_t, Done> m_done;  // finished and not yet taken
    std::vector<std::thread> m_threads;
};

}  // namespace qrp::exporter
