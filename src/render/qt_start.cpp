#include "qt_start.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "font_setup.h"

namespace qrp::render {

namespace {

namespace fs = std::filesystem;

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// Whether `folder` is a folder of ours (no link to one), now closed to everybody else.
bool ClaimPrivateFolder(const fs::path& folder) {
    struct stat facts {};
    return ::lstat(folder.c_str(), &facts) == 0 && S_ISDIR(facts.st_mode) && facts.st_uid == ::geteuid() &&
           ::chmod(folder.c_str(), S_IRWXU) == 0;
}

// Qt keeps sockets and locks in XDG_RUNTIME_DIR and warns on every start without one, as
// sessions without a login manager (ssh, su, containers, services) have. One folder per
// user is reused; when its name is taken by someone else, a fresh one is made.
void UsePrivateRuntimeFolder() {
    if (IsSet("XDG_RUNTIME_DIR"))
        return;
    std::error_code error;
    fs::path temp = fs::temp_directory_path(error);
    if (error)
        temp = "/tmp";
    const fs::path mine = temp / ("qrpview-runtime-" + std::to_string(::geteuid()));
    ::mkdir(mine.c_str(), S_IRWXU);
    if (ClaimPrivateFolder(mine)) {
        setenv("XDG_RUNTIME_DIR", mine.c_str(), 1);
        return;
    }
    std::string fresh = (temp / "qrpview-runtime-XXXXXX").string();
    if (::mkdtemp(fresh.data()))
        setenv("XDG_RUNTIME_DIR", fresh.c_str(), 1);
}

}  // namespace

QtStart PrepareQtStart() {
    UseProjectFontConfig();
    UsePrivateRuntimeFolder();
    QtStart start;
    if (!IsSet("QT_QPA_PLATFORM") && !IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        start.headless = true;
    }
    return start;
}

}  // namespace qrp::render
