#include "report_walk.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "base/messages.h"
#include "report/qrp_format.h"

namespace qrp::tool {

namespace {

struct FolderId {
    dev_t device;
    ino_t inode;
    friend bool operator==(const FolderId&, const FolderId&) = default;
};

// Reads the magic without waiting on a pipe or a device, which are never reports.
bool IsReport(const std::string& path, int& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return false;
    }
    std::uint8_t bytes[kReportMagicSize];
    std::size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = ::pread(fd, bytes + got, sizeof bytes - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    error = 0;
    return LooksLikeReport(bytes, got);
}

class Walker {
  public:
    explicit Walker(std::vector<WalkedReport>& out) : m_out(out) {}

    void Folder(const std::string& path, const std::string& relative, const struct stat& info) {
        const FolderId id{info.st_dev, info.st_ino};
        if (std::ranges::find(m_open, id) != m_open.end()) {
            Fail(path, relative, "a link loop leads back here; skipped");
            return;
        }
        DIR* dir = ::opendir(path.c_str());
        if (!dir) {
            Fail(path, relative, messages::systemReason(errno));
            return;
        }
        std::vector<std::string> names;
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(dir);
        std::ranges::sort(names);
        m_open.push_back(id);
        for (const std::string& name : names) {
            const std::string childPath = path.ends_with('/') ? path + name : path + "/" + name;
            const std::string childRelative = relative.empty() ? name : relative + "/" + name;
            struct stat child {};
            // A link that leads nowhere is no report.
            if (::stat(childPath.c_str(), &child) != 0) {
                if (errno == ELOOP)
                    Fail(childPath, childRelative, messages::systemReason(errno));
                continue;
            }
            if (S_ISDIR(child.st_mode)) {
                Folder(childPath, childRelative, child);
            } else if (S_ISREG(child.st_mode)) {
                int error = 0;
                if (IsReport(childPath, error))
                    m_out.push_back({childPath, childRelative, {}});
                else if (error != 0)
                    Fail(childPath, childRelative, messages::systemReason(error));
            }
        }
        m_open.pop_back();
    }

    void Fail(const std::string& path, const std::string& relative, std::string why) {
        m_out.push_back({path, relative, std::move(why)});
    }

  private:
    std::vector<WalkedReport>& m_out;
    std::vector<FolderId> m_open;  // the folders from the named one down to the current one
};

std::string NameOf(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.ends_with('/'))
        trimmed.pop_back();
    const auto slash = trimmed.rfind('/');
    return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

}  // namespace

std::vector<WalkedReport> WalkReports(const std::vector<std::string>& paths, bool recursive) {
    std::vector<WalkedReport> reports;
    Walker walker(reports);
    for (const std::string& path : paths) {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) {
            walker.Fail(path, NameOf(path), messages::systemReason(errno));
        } else if (S_ISDIR(info.st_mode)) {
            if (recursive)
                walker.Folder(path, {}, info);
            else
                walker.Fail(path, NameOf(path), "is a folder (-r walks folders)");
        } else {
            int error = 0;
            if (IsReport(path, error))
                reports.push_back({path, NameOf(path), {}});
            else
                walker.Fail(path, NameOf(path), error ? messages::systemReason(error) : "not a report file");
        }
    }
    return reports;
}

}  // namespace qrp::tool
