#include "print_module.h"

#include <dlfcn.h>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace qrp::tool {

namespace {

namespace fs = std::filesystem;

constexpr const char* kModuleName = "qrptool-print.so";

PrintCommandEntry LoadEntry() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (error)
        throw std::runtime_error("cannot find the program's folder: " + error.message());
    const fs::path folder = program.parent_path();
    std::string failure;
    for (const fs::path& module : {folder / kModuleName, folder / QRP_PRINT_MODULE_FROM_BIN / kModuleName}) {
        if (!fs::is_regular_file(module, error))
            continue;
        // Loaded for the rest of the process: the Qt objects it makes live until exit.
        if (void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            if (void* entry = dlsym(handle, "QrpToolRunPrintCommand"))
                return reinterpret_cast<PrintCommandEntry>(entry);
        }
        failure = dlerror();
    }
    throw std::runtime_error("the printing module could not be loaded: " +
                             (failure.empty() ? std::string(kModuleName) + " was not found" : failure));
}

}  // namespace

int RunPrintCommand(const char* name, const Args& args) {
    static const PrintCommandEntry entry = LoadEntry();
    return entry(name, args);
}

}  // namespace qrp::tool
