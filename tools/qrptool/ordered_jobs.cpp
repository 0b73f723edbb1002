#include "ordered_jobs.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <sched.h>
#include <thread>
#include <utility>
#include <vector>

namespace qrp::tool {

namespace {

struct Shared {
    std::mutex lock;
    std::condition_variable wakeWorkers, wakeMain;
    std::size_t next = 0;       // the next job to start
    std::size_t delivered = 0;  // jobs handed on
    bool stopping = false;
    std::vector<char> done;  // per slot
    std::vector<std::exception_ptr> failures;
};

}  // namespace

std::size_t OrderedJobs::Run(std::size_t count, unsigned threads, const std::atomic<bool>* stop) const {
    threads = std::max(1u, threads);
    const std::size_t window = Window(threads);
    Shared shared;
    shared.done.assign(window, 0);
    shared.failures.resize(window);

    const auto worker = [&] {
        std::unique_lock lock(shared.lock);
        for (;;) {
            shared.wakeWorkers.wait(lock, [&] {
                return shared.stopping || shared.next >= count || shared.next < shared.delivered + window;
            });
            if (shared.stopping || shared.next >= count)
                return;
            const std::size_t i = shared.next++;
            lock.unlock();
            std::exception_ptr failure;
            try {
                work(i);
            } catch (...) {
                failure = std::current_exception();
            }
            lock.lock();
            shared.done[i % window] = 1;
            shared.failures[i % window] = failure;
            shared.wakeMain.notify_one();
        }
    };
    // Declared after what the threads use, so that they are joined before it goes.
    std::vector<std::jthread> pool;
    const auto stopAll = [&] {
        {
            const std::lock_guard guard(shared.lock);
            shared.stopping = true;
        }
        shared.wakeWorkers.notify_all();
    };
    // Also when a delivery throws: the threads are told to stop before they are joined.
    struct StopOnExit {
        const decltype(stopAll)& stop;
        ~StopOnExit() { stop(); }
    } stopOnExit{stopAll};
    for (unsigned t = 0; t < std::min<std::size_t>(threads, count); ++t)
        pool.emplace_back(worker);

    std::size_t delivered = 0;
    for (;;) {
        std::exception_ptr failure;
        {
            std::unique_lock lock(shared.lock);
            if (stop && stop->load() && !shared.stopping) {
                shared.stopping = true;
                shared.wakeWorkers.notify_all();
            }
            const std::size_t end = shared.stopping ? shared.next : count;
            if (delivered >= end)
                break;
            if (!shared.wakeMain.wait_for(lock, tickPeriod, [&] { return shared.done[delivered % window] != 0; })) {
                lock.unlock();
                if (tick)
                    tick();
                continue;
            }
            shared.done[delivered % window] = 0;
            failure = std::exchange(shared.failures[delivered % window], nullptr);
        }
        if (failure) {
            stopAll();
            pool.clear();
            std::rethrow_exception(failure);
        }
        deliver(delivered);
        {
            const std::lock_guard guard(shared.lock);
            shared.delivered = ++delivered;
        }
        shared.wakeWorkers.notify_all();
        if (tick)
            tick();
    }
    return delivered;
}

unsigned JobsOption(const ParsedArgs& parsed) {
    const std::string text = parsed.values.contains("-j") ? parsed.Value("-j") : parsed.Value("--jobs");
    if (!text.empty())
        return static_cast<unsigned>(ParseNumber(text, "-j", 1, 1024));
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return static_cast<unsigned>(CPU_COUNT(&set));
    return std::max(1u, std::thread::hardware_concurrency());
}

}  // namespace qrp::tool
