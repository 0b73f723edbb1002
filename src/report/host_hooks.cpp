#include "host_hooks.h"

#include <utility>

namespace qrp {

namespace {
// Both are set once by the user-interface thread before any document exists, and only read
// afterwards, from that same thread.
std::function<void()> g_processMessages;
int g_screenPixelsPerInch = kDefaultScreenPixelsPerInch;
}  // namespace

void ProcessMessages() {
    if (g_processMessages)
        g_processMessages();
}

void SetProcessMessagesHook(std::function<void()> hook) {
    g_processMessages = std::move(hook);
}

int ScreenPixelsPerInch() {
    return g_screenPixelsPerInch;
}

// A screen that reports nothing sensible keeps the default rather than scaling pages to nothing.
void SetScreenPixelsPerInch(int pixelsPerInch) {
    g_screenPixelsPerInch = pixelsPerInch > 0 ? pixelsPerInch : kDefaultScreenPixelsPerInch;
}

}  // namespace qrp
