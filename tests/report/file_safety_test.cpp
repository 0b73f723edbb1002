// What the file store does when the world around it misbehaves: saving over protected or
// linked files, a disk that fills up while saving or recording, paths that are no
// report files, and a report rewritten by another program while it is shown.
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <grp.h>
#include <pwd.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "report/file_stream.h"
#include "report/page_list.h"
#include "report_fixtures.h"
#include "support/child_process.h"
#include "support/test_paths.h"

namespace qrp {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::ReadFileBytes;
using test::WriteFileBytes;

struct stat StatOf(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info;
}

// A small fresh file system of its own on `folder`, taken away again even when the test fails.
class TmpfsMount {
  public:
    explicit TmpfsMount(const fs::path& folder) : m_folder(folder) {
        fs::create_directory(folder);
        m_mounted = ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=1m") == 0;
    }
    ~TmpfsMount() {
        if (m_mounted)
            ::umount2(m_folder.c_str(), MNT_DETACH);
    }
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;
    bool Mounted() const { return m_mounted; }
    fs::path operator/(const std::string& name) const { return m_folder / name; }

  private:
    fs::path m_folder;
    bool m_mounted = false;
};

class FileSafety : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::permissions(m_dir.Path(), fs::perms::all);  // reachable for another user
        m_pages = test::MakePages(6);
        m_report = test::MakeReport(m_pages, false);
        m_old = test::MakeReport(test::MakePages(2), false);
        auto stream = std::make_unique<TQRStream>(1 << 30);
        stream->WriteBuffer(m_report.data(), m_report.size());
        m_list.AttachStream(std::move(stream));
        m_list.ReadHeader();
    }

    // A file holding the old report, with the given mode.
    fs::path OldFile(const fs::path& path, fs::perms mode = fs::perms::owner_read | fs::perms::owner_write) {
        WriteFileBytes(path, m_old);
        fs::permissions(path, mode);
        return path;
    }

    // Every name in the scratch folder and below: no temporary file may be left.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(m_dir.Path()))
            names.push_back(entry.path().lexically_relative(m_dir.Path()).string());
        std::sort(names.begin(), names.end());
        return names;
    }

    test::ScratchDir m_dir;
    std::vector<Bytes> m_pages;
    Bytes m_report, m_old;
    TQRPageList m_list;
};

TEST_F(FileSafety, SaveKeepsLinksModeAndLongNames) {
    OldFile(m_dir / "real.qrp");
    fs::create_symlink("real.qrp", m_dir / "link.qrp");
    m_list.SaveCopy(m_dir / "link.qrp");
    EXPECT_TRUE(fs::is_symlink(m_dir / "link.qrp"));
    EXPECT_EQ(ReadFileBytes(m_dir / "real.qrp"), m_report);

    OldFile(m_dir / "a.qrp");
    fs::create_hard_link(m_dir / "a.qrp", m_dir / "b.qrp");
    m_list.SaveCopy(m_dir / "a.qrp");
    EXPECT_EQ(ReadFileBytes(m_dir / "b.qrp"), m_report);
    EXPECT_EQ(fs::hard_link_count(m_dir / "a.qrp"), 2u);

    OldFile(m_dir / "c.qrp", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    m_list.SaveCopy(m_dir / "c.qrp");
    EXPECT_EQ(fs::status(m_dir / "c.qrp").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    const std::string longName(250, 'n');
    m_list.SaveCopy(m_dir / (longName + ".qrp"));
    EXPECT_EQ(ReadFileBytes(m_dir / (longName + ".qrp")), m_report);
    EXPECT_EQ(Names(),
              (std::vector<std::string>{"a.qrp", "b.qrp", "c.qrp", "link.qrp", longName + ".qrp", "real.qrp"}));
}

TEST_F(FileSafety, SaveByRenameKeepsGroupModeAndLinkCount) {
    const group* nogroup = ::getgrnam("nogroup");
    if (::geteuid() != 0 || !nogroup)
        GTEST_SKIP() << "needs root and the group nogroup";
    // The saver's own file with one link is replaced by a new file: what it had is given over.
    const fs::path file = OldFile(m_dir / "grouped.qrp");
    ASSERT_EQ(::chown(file.c_str(), 0, nogroup->gr_gid), 0);
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    const ino_t before = StatOf(file).st_ino;
    m_list.SaveCopy(file);
    const struct stat after = StatOf(file);
    EXPECT_NE(after.st_ino, before) << "not saved by rename: this case tests nothing";
    EXPECT_EQ(after.st_gid, nogroup->gr_gid);
    EXPECT_EQ(after.st_uid, 0u);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(after.st_nlink, 1u);
    EXPECT_EQ(ReadFileBytes(file), m_report);
}

// Two fresh file systems give their first files the same inode number: a file on one is
// not the report open on the other.
TEST_F(FileSafety, AFileOnAnotherFileSystemWithTheSameInodeIsNoOutputOntoTheReport) {
    const TmpfsMount shownDisk(m_dir / "a"), otherDisk(m_dir / "b");
    if (!shownDisk.Mounted() || !otherDisk.Mounted())
        GTEST_SKIP() << "cannot mount tmpfs here (needs root)";
    const fs::path shown = shownDisk / "shown.qrp", other = otherDisk / "other.qrp";
    WriteFileBytes(shown, m_report);
    WriteFileBytes(other, m_old);
    ASSERT_EQ(StatOf(shown).st_ino, StatOf(other).st_ino);
    ASSERT_NE(StatOf(shown).st_dev, StatOf(other).st_dev);

    TQRPageList list;
    list.OpenReport(shown);
    EXPECT_NO_THROW(list.SaveCopy(other));
    EXPECT_EQ(ReadFileBytes(other), m_report);
    EXPECT_THROW(list.SaveCopy(shown), FileError);
    EXPECT_EQ(ReadFileBytes(shown), m_report);
}

TEST_F(FileSafety, SaveAsAnotherUserHonoursPermissionsAndOwners) {
    const test::ChildLimits nobody{test::NobodyUid(), std::nullopt};
    const fs::path readOnly =
        OldFile(m_dir / "ro.qrp", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(test::RunInChild(nobody, [&] { m_list.SaveCopy(readOnly); }),
              "Cannot create file \"" + readOnly.string() + "\". Permission denied");
    EXPECT_EQ(ReadFileBytes(readOnly), m_old);

    // Another user's writable file keeps its owner; a writable file in a locked folder saves.
    const fs::path shared =
        OldFile(m_dir / "shared.qrp",
                fs::perms::all & ~(fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec));
    fs::create_directory(m_dir / "locked");
    const fs::path inLocked =
        OldFile(m_dir / "locked" / "w.qrp",
                fs::perms::all & ~(fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec));
    fs::permissions(m_dir / "locked", fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                          fs::perms::others_read | fs::perms::others_exec);
    EXPECT_EQ(test::RunInChild(nobody, [&] { m_list.SaveCopy(shared); }), "");
    EXPECT_EQ(test::RunInChild(nobody, [&] { m_list.SaveCopy(inLocked); }), "");
    EXPECT_EQ(ReadFileBytes(shared), m_report);
    EXPECT_EQ(ReadFileBytes(inLocked), m_report);
    struct stat info {};
    ASSERT_EQ(::stat(shared.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 0u);
    EXPECT_EQ(Names(), (std::vector<std::string>{"locked", "locked/w.qrp", "ro.qrp", "shared.qrp"}));
}

// A link that another user planted in a sticky folder everyone may write (/tmp) is not
// followed, whatever the system's own setting: it would let them choose what we replace.
TEST_F(FileSafety, LinksInSharedFoldersAreFollowedOnlyForTheirOwners) {
    const fs::path shared = m_dir / "shared", victim = OldFile(m_dir / "victim.qrp");
    fs::create_directory(shared);
    fs::permissions(shared, fs::perms::all | fs::perms::sticky_bit);
    const auto plant = [&](const char* name, const fs::path& target, uid_t owner) {
        fs::create_symlink(target, shared / name);
        EXPECT_EQ(::lchown((shared / name).c_str(), owner, static_cast<gid_t>(-1)), 0);
        return shared / name;
    };
    const fs::path trap = plant("trap.qrp", victim, test::NobodyUid());
    const fs::path dangling = plant("dangling.qrp", m_dir / "created.qrp", test::NobodyUid());
    for (const fs::path& link : {trap, dangling}) {
        try {
            m_list.SaveCopy(link);
            ADD_FAILURE() << link << " was followed";
        } catch (const FileError& error) {
            EXPECT_EQ(error.what(), "Cannot create file \"" + link.string() + "\". Permission denied");
        }
    }
    EXPECT_EQ(ReadFileBytes(victim), m_old);
    EXPECT_FALSE(fs::exists(m_dir / "created.qrp"));
    // The writer's own link there is followed, as is another user's outside such a folder.
    m_list.SaveCopy(plant("mine.qrp", victim, ::geteuid()));
    EXPECT_EQ(ReadFileBytes(victim), m_report);
    fs::permissions(shared, fs::perms::sticky_bit, fs::perm_options::remove);
    m_list.SaveCopy(trap);
    EXPECT_FALSE(fs::is_symlink(m_dir / "created.qrp"));
}

// Extended attributes (ACLs among them) and the group stay with a replaced file; in a
// setgid folder the new file would otherwise take the folder's group.
TEST_F(FileSafety, ReplacingKeepsAttributesAclsAndGroup) {
    const fs::path marked =
        OldFile(m_dir / "marked.qrp", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(::setxattr(marked.c_str(), "user.origin", "ledger", 6, 0), 0) << "no user attributes here";
    ASSERT_EQ(std::system(("setfacl -m u:nobody:--- -m o::r " + marked.string()).c_str()), 0);
    const auto attribute = [](const fs::path& path, const char* name) {
        std::string value(256, '\0');
        const ssize_t length = ::getxattr(path.c_str(), name, value.data(), value.size());
        value.resize(length < 0 ? 0 : static_cast<std::size_t>(length));
        return value;
    };
    const std::string acl = attribute(marked, "system.posix_acl_access");
    m_list.SaveCopy(marked);
    EXPECT_EQ(ReadFileBytes(marked), m_report);
    EXPECT_EQ(attribute(marked, "user.origin"), "ledger");
    EXPECT_EQ(attribute(marked, "system.posix_acl_access"), acl);
    EXPECT_EQ(test::RunInChild({test::NobodyUid(), std::nullopt},
                               [&] {
                                   if (::open(marked.c_str(), O_RDONLY) < 0)
                                       throw std::runtime_error(std::strerror(errno));
                               }),
              "Permission denied");

    // nobody's file with nobody's group, in a setgid folder of root's group.
    const fs::path folder = m_dir / "setgid";
    fs::create_directory(folder);
    fs::permissions(folder, fs::perms::all | fs::perms::set_gid);
    const fs::path owned = OldFile(folder / "owned.qrp", fs::perms::owner_read | fs::perms::owner_write);
    const gid_t nobodyGroup = ::getpwuid(test::NobodyUid())->pw_gid;
    ASSERT_EQ(::chown(owned.c_str(), test::NobodyUid(), nobodyGroup), 0);
    ASSERT_EQ(test::RunInChild({test::NobodyUid(), std::nullopt}, [&] { m_list.SaveCopy(owned); }), "");
    struct stat after {};
    ASSERT_EQ(::stat(owned.c_str(), &after), 0);
    EXPECT_EQ(ReadFileBytes(owned), m_report);
    EXPECT_EQ(after.st_uid, test::NobodyUid());
    EXPECT_EQ(after.st_gid, nobodyGroup) << "the group became the folder's";
}

// A named temporary file (a spool file) goes when a signal ends the process.
TEST_F(FileSafety, ASignalRemovesNamedTemporaryFiles) {
    EXPECT_EQ(test::RunInChild({},
                               [&] {
                                   const auto file = FileStream::CreateScratch(m_dir.Path(), "job-", ".pdf");
                                   file->WriteBuffer(m_report.data(), m_report.size());
                                   ::raise(SIGTERM);
                               }),
              "the child died");
    EXPECT_EQ(Names(), std::vector<std::string>{});
}

TEST_F(FileSafety, DiskFullWhileSavingLeavesTheOldFile) {
    const test::ChildLimits diskFull{std::nullopt, static_cast<long>(m_report.size() / 2)};
    OldFile(m_dir / "own.qrp");
    OldFile(m_dir / "linked.qrp");
    fs::create_hard_link(m_dir / "linked.qrp", m_dir / "other.qrp");
    for (const char* name : {"own.qrp", "linked.qrp", "new.qrp"}) {
        EXPECT_EQ(test::RunInChild(diskFull, [&] { m_list.SaveCopy(m_dir / name); }), "Stream write error") << name;
    }
    EXPECT_EQ(ReadFileBytes(m_dir / "own.qrp"), m_old);
    EXPECT_EQ(ReadFileBytes(m_dir / "other.qrp"), m_old);
    EXPECT_EQ(Names(), (std::vector<std::string>{"linked.qrp", "other.qrp", "own.qrp"}));
}

TEST_F(FileSafety, AContentThatCannotBePutInPlaceIsAnErrorAndLeavesNoTemporaryFile) {
    {
        const auto file = FileStream::Create(m_dir / "late.qrp");
        file->WriteBuffer(m_report.data(), m_report.size());
        fs::create_directories(m_dir / "late.qrp" / "inside");  // the name is taken meanwhile
        EXPECT_THROW(file->Close(), FileError);
    }
    EXPECT_EQ(Names(), (std::vector<std::string>{"late.qrp", "late.qrp/inside"}));
}

TEST_F(FileSafety, DiskFullWhileRecordingKeepsEveryPageBeforeIt) {
    const fs::path saved = m_dir / "saved.qrp";
    const std::string said = test::RunInChild({std::nullopt, 3000}, [&] {
        ::setenv("TMPDIR", m_dir.Path().c_str(), 1);
        TQRPageList list;
        list.AttachStream(std::make_unique<TQRStream>(600));
        try {
            for (const Bytes& page : m_pages)
                list.AppendPage(*PagePicture::FromBytes(page));
        } catch (const StreamError&) {
        }
        const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
        ::setrlimit(RLIMIT_FSIZE, &unlimited);
        list.Finish();
        list.SaveCopy(saved);
    });
    ASSERT_EQ(said, "");
    TQRPageList loaded;
    loaded.OpenReport(saved);
    ASSERT_GT(loaded.PageTotal(), 0);
    ASSERT_LT(loaded.PageTotal(), 6) << "the limit must stop the recording";
    for (std::int32_t n = 1; n <= loaded.PageTotal(); ++n)
        EXPECT_EQ(loaded.FetchPage(n)->Bytes(), m_pages[static_cast<std::size_t>(n - 1)]);
    EXPECT_EQ(Names(), std::vector<std::string>{"saved.qrp"});
}

TEST_F(FileSafety, OnlyRegularFilesOpenAndMessagesShowTheFullPath) {
    const fs::path pipe = m_dir / "pipe.qrp";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const auto openError = [](const std::string& path) -> std::string {
        try {
            TQRPageList list;
            list.OpenReport(path);
        } catch (const FileError& error) {
            return error.what();
        }
        return "opened";
    };
    // In a child with an alarm: a pipe that blocks the open must fail the test, not stall it.
    EXPECT_EQ(test::RunInChild({},
                               [&] {
                                   ::alarm(10);
                                   TQRPageList list;
                                   list.OpenReport(pipe);
                               }),
              "Cannot open file \"" + pipe.string() + "\". Not a regular file");
    EXPECT_EQ(openError(m_dir.Path()), "Cannot open file \"" + m_dir.Path().string() + "\". Is a directory");
    const fs::path here = fs::current_path();
    fs::current_path(m_dir.Path());
    const std::string relative = openError("missing.qrp");
    fs::current_path(here);
    EXPECT_EQ(relative, "Cannot open file \"" + (m_dir / "missing.qrp").string() + "\". No such file or directory");
}

TEST_F(FileSafety, ReportRewrittenWhileShownIsNeverMixed) {
    const fs::path shown = m_dir / "shown.qrp";
    const auto expectChanged = [this](const std::string& how) {
        try {
            m_list.FetchPage(4);
            ADD_FAILURE() << how << ": page 4 was read from the new bytes";
        } catch (const ReportChangedError& error) {
            EXPECT_NE(std::string(error.what()).find("has been changed"), std::string::npos) << error.what();
        }
        EXPECT_THROW(m_list.SaveCopy(m_dir / "copy.qrp"), ReportChangedError) << how;
        EXPECT_FALSE(fs::exists(m_dir / "copy.qrp"));
    };
    // Rewritten in place with other pages of the same size.
    WriteFileBytes(shown, m_report);
    m_list.OpenReport(shown);
    EXPECT_EQ(m_list.FetchPage(1)->Bytes(), m_pages[0]);
    Bytes other = m_report;
    other[200] ^= 0x55;
    ::usleep(20000);  // a modification time the file system can tell apart
    WriteFileBytes(shown, other);
    expectChanged("rewritten");
    // Truncated, and replaced under its name.
    WriteFileBytes(shown, m_report);
    m_list.OpenReport(shown);
    fs::resize_file(shown, m_report.size() / 2);
    expectChanged("truncated");
    // A byte cut off its end, then given back its modification time to the nanosecond: only
    // the size tells.
    WriteFileBytes(shown, m_report);
    m_list.OpenReport(shown);
    const struct stat opened = StatOf(shown);
    fs::resize_file(shown, m_report.size() - 1);
    const timespec times[2] = {opened.st_atim, opened.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, shown.c_str(), times, 0), 0);
    ASSERT_EQ(StatOf(shown).st_ino, opened.st_ino);
    expectChanged("truncated at the same time");
    WriteFileBytes(shown, m_report);
    m_list.OpenReport(shown);
    WriteFileBytes(m_dir / "next.qrp", m_report);
    fs::rename(m_dir / "next.qrp", shown);
    expectChanged("replaced");
}

}  // namespace
}  // namespace qrp
