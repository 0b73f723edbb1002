#include "interrupt_cleanup.h"

#include <array>
#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <mutex>
#include <unistd.h>

namespace qrp {

namespace {

// Outputs written at once are few; one beyond the table is still removed on return.
constexpr std::size_t kSlots = 32;
constexpr std::array kSignals = {SIGINT, SIGTERM, SIGHUP};

enum SlotState : int { kFree, kFilling, kHeld };

struct Slot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX];
};

std::array<Slot, kSlots> g_slots;
std::once_flag g_installed;

// Only async-signal-safe calls: unlink, sigaction, raise.
void RemoveHeldFiles(int signal) {
    for (Slot& slot : g_slots) {
        if (slot.state.load(std::memory_order_acquire) == kHeld)
            ::unlink(slot.path);
    }
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    ::sigaction(signal, &fallback, nullptr);
    ::raise(signal);
}

void InstallHandlers() {
    for (const int signal : kSignals) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL ||
            (current.sa_flags & SA_SIGINFO) != 0)
            continue;  // ignored, or the program's own
        struct sigaction handler {};
        handler.sa_handler = RemoveHeldFiles;
        sigemptyset(&handler.sa_mask);
        for (const int other : kSignals)
            sigaddset(&handler.sa_mask, other);
        ::sigaction(signal, &handler, nullptr);
    }
}

}  // namespace

InterruptCleanup::InterruptCleanup(const std::string& path) {
    if (path.size() >= PATH_MAX)
        return;
    std::call_once(g_installed, InstallHandlers);
    for (std::size_t i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (!g_slots[i].state.compare_exchange_strong(expected, kFilling, std::memory_order_acquire))
            continue;
        std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
        g_slots[i].state.store(kHeld, std::memory_order_release);
        m_slot = static_cast<int>(i);
        return;
    }
}

void InterruptCleanup::Release() {
    if (m_slot >= 0)
        g_slots[static_cast<std::size_t>(m_slot)].state.store(kFree, std::memory_order_release);
    m_slot = -1;
}

}  // namespace qrp
