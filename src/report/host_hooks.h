// What the core needs from the desktop it runs on, supplied by the Qt layer at start-up.
// Without it (tests, command-line tools) no events run and the screen has 96 pixels per inch.
#pragma once

#include <functional>

namespace qrp {

inline constexpr int kDefaultScreenPixelsPerInch = 96;

// Runs the host's pending events: navigation, document creation, the reading of printer
// settings and each printed page let the user interface breathe through it. A handler that
// runs then may cancel a print; it must not free the document that called.
void ProcessMessages();
void SetProcessMessagesHook(std::function<void()> hook);

int ScreenPixelsPerInch();
void SetScreenPixelsPerInch(int pixelsPerInch);

}  // namespace qrp
