// Numbered jobs run several at a time, their results handed on in number order as soon as
// every earlier one is in: output streams in a fixed order whatever the number of threads.
// At most a few jobs per thread run ahead of the oldest unfinished one, so the results
// waiting for their turn stay few however many jobs there are.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>

#include "options.h"

namespace qrp::tool {

struct OrderedJobs {
    // On a worker thread: job i's work; it keeps its result in slot i % Window(threads).
    std::function<void(std::size_t i)> work;
    // On the calling thread, for i = 0, 1, ... in order, once job i is done.
    std::function<void(std::size_t i)> deliver;
    // On the calling thread, after each delivery and at least every tickPeriod meanwhile.
    std::function<void()> tick;
    std::chrono::milliseconds tickPeriod{250};

    static std::size_t Window(unsigned threads) { return 4 * static_cast<std::size_t>(threads); }

    // Runs jobs 0 to count - 1 on `threads` threads. Once *stop is set no further job starts;
    // the ones under way finish and are delivered. Returns how many were delivered. What a
    // job throws is thrown here, in its turn, once the other threads have stopped.
    std::size_t Run(std::size_t count, unsigned threads, const std::atomic<bool>* stop = nullptr) const;
};

// The threads -j N (or --jobs N) asks for; by default the processors this process may use.
unsigned JobsOption(const ParsedArgs& parsed);

}  // namespace qrp::tool
