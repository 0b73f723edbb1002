// The entry point of the printing module (see print_module.h).
#include <cstring>

#include "print_module.h"

namespace qrp::tool {

extern "C" __attribute__((visibility("default"))) int QrpToolRunPrintCommand(const char* name, const Args& args) {
    if (std::strcmp(name, "print") == 0)
        return RunPrint(args);
    if (std::strcmp(name, "pdf") == 0)
        return RunPdf(args);
    if (std::strcmp(name, "printers") == 0)
        return RunPrinters(args);
    throw UsageError{std::string("no print command '") + name + "'"};
}

}  // namespace qrp::tool
