// The print, pdf and printers commands live in a module of their own, loaded when one of
// them runs. Qt's printing and widget libraries then stay out of every other command's
// process: loading and relocating them was a quarter of a one-page render's start-up.
#pragma once

#include "command.h"

namespace qrp::tool {

// The module's one exported function: runs print command `name`.
extern "C" int QrpToolRunPrintCommand(const char* name, const Args& args);
using PrintCommandEntry = decltype(&QrpToolRunPrintCommand);

// Loads the module (beside the program in the build, in <libdir>/qrpview when installed)
// and runs the named command in it.
int RunPrintCommand(const char* name, const Args& args);

}  // namespace qrp::tool
