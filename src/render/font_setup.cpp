#include "font_setup.h"

#include <cstdlib>
#include <system_error>

namespace qrp::render {

namespace {

constexpr const char* kConfName = "qrpview-fonts.conf";

}  // namespace

std::optional<std::filesystem::path> ProjectFontConfig() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const auto installed = exe.parent_path().parent_path() / "share" / "qrpview" / "fonts" / kConfName;
        if (std::filesystem::is_regular_file(installed, error))
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
