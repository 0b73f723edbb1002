#include "font_setup.h"

#include <cstdlib>
#include <dlfcn.h>
#include <system_error>
#include <vector>

namespace qrp::render {

namespace {

constexpr const char* kConfName = "qrpview-fonts.conf";

}  // namespace

std::optional<std::filesystem::path> ProjectFontConfig() {
    // Installed: <prefix>/share/qrpview/fonts beside <prefix>/bin or <prefix>/lib, found from
    // the module this code is in (the viewer library inside a host program) or the program.
    std::vector<std::filesystem::path> modules;
    if (Dl_info info{}; dladdr(reinterpret_cast<void*>(&ProjectFontConfig), &info) && info.dli_fname)
        modules.emplace_back(info.dli_fname);
    std::error_code error;
    if (auto exe = std::filesystem::read_symlink("/proc/self/exe", error); !error)
        modules.push_back(std::move(exe));
    for (const auto& module : modules) {
        const auto installed = module.parent_path().parent_path() / "share" / "qrpview" / "fonts" / kConfName;
        if (module.is_absolute() && std::filesystem::is_regular_file(installed, error))
            return installed;
    }
    const std::filesystem::path source = std::filesystem::path(QRP_SOURCE_FONT_DIR) / kConfName;
    if (std::filesystem::is_regular_file(source, error))
        return source;
    return std::nullopt;
}

std::optional<std::filesystem::path> UseProjectFontConfig() {
    if (const char* current = std::getenv("FONTCONFIG_FILE"); current && *current)
        return std::filesystem::path(current);
    auto conf = ProjectFontConfig();
    if (conf)
        setenv("FONTCONFIG_FILE", conf->c_str(), 0);
    return conf;
}

}  // namespace qrp::render
