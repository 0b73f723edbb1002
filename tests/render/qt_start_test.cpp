// The runtime folder the programs give Qt when the session names none: private to the user,
// and never one that someone else prepared in the shared temporary folder.
#include "render/qt_start.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/child_process.h"
#include "support/test_paths.h"

namespace qrp::test {
namespace {

namespace fs = std::filesystem;

// Sets or clears an environment variable for the life of the object.
class EnvironmentChange {
  public:
    EnvironmentChange(const char* name, const std::optional<std::string>& value) : m_name(name) {
        if (const char* before = std::getenv(name))
            m_before = before;
        value ? setenv(name, value->c_str(), 1) : unsetenv(name);
    }
    ~EnvironmentChange() { m_before ? setenv(m_name, m_before->c_str(), 1) : unsetenv(m_name); }
    EnvironmentChange(const EnvironmentChange&) = delete;
    EnvironmentChange& operator=(const EnvironmentChange&) = delete;

  private:
    const char* m_name;
    std::optional<std::string> m_before;
};

fs::perms PermissionsOf(const fs::path& folder) {
    return fs::symlink_status(folder).permissions() & fs::perms::all;
}

TEST(QtStart, TheRuntimeFolderIsPrivateAndNeverOneLaidOutForUs) {
    ScratchDir scratch;
    const EnvironmentChange temp("TMPDIR", scratch.Path().string());
    const fs::path usual = scratch / ("qrpview-runtime-" + std::to_string(::geteuid()));

    // A link laid where the folder goes is not followed.
    fs::create_directory(scratch / "theirs");
    const fs::perms theirs = PermissionsOf(scratch / "theirs");
    fs::create_directory_symlink(scratch / "theirs", usual);
    {
        const EnvironmentChange unset("XDG_RUNTIME_DIR", std::nullopt);
        render::PrepareQtStart();
        const fs::path chosen = std::getenv("XDG_RUNTIME_DIR");
        EXPECT_EQ(chosen.parent_path(), scratch.Path());
        EXPECT_NE(chosen, usual);
        EXPECT_TRUE(fs::is_directory(fs::symlink_status(chosen)));
        EXPECT_EQ(PermissionsOf(chosen), fs::perms::owner_all);
        EXPECT_EQ(PermissionsOf(scratch / "theirs"), theirs);
    }

    // A folder under our name left open: someone else's is neither closed nor used, ours is
    // closed and used again.
    fs::remove(usual);
    fs::create_directory(usual);
    const fs::perms open = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                           fs::perms::others_read | fs::perms::others_exec;
    fs::permissions(usual, open);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(usual.c_str(), NobodyUid(), static_cast<gid_t>(-1)), 0);
        const EnvironmentChange unset("XDG_RUNTIME_DIR", std::nullopt);
        render::PrepareQtStart();
        const fs::path chosen = std::getenv("XDG_RUNTIME_DIR");
        EXPECT_NE(chosen, usual);
        EXPECT_EQ(chosen.parent_path(), scratch.Path());
        EXPECT_EQ(PermissionsOf(chosen), fs::perms::owner_all);
        EXPECT_EQ(PermissionsOf(usual), open);
        ASSERT_EQ(::chown(usual.c_str(), 0, static_cast<gid_t>(-1)), 0);
    }
    {
        const EnvironmentChange unset("XDG_RUNTIME_DIR", std::nullopt);
        render::PrepareQtStart();
        EXPECT_EQ(fs::path(std::getenv("XDG_RUNTIME_DIR")), usual);
        EXPECT_EQ(PermissionsOf(usual), fs::perms::owner_all);
    }
}

}  // namespace
}  // namespace qrp::test
