#include "child_process.h"

#include <csignal>
#include <exception>
#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qrp::test {

std::string RunInChild(const ChildLimits& limits, const std::function<void()>& body) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return "no pipe";
    const passwd* account = limits.user ? ::getpwuid(*limits.user) : nullptr;
    const gid_t group = account ? account->pw_gid : 65534;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        std::string said;
        if (limits.user && (::setgroups(0, nullptr) != 0 || ::setresgid(group, group, group) != 0 ||
                            ::setresuid(*limits.user, *limits.user, *limits.user) != 0))
            said = "cannot change user";
        if (limits.fileSizeLimit) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{static_cast<rlim_t>(*limits.fileSizeLimit), RLIM_INFINITY};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (said.empty()) {
            try {
                body();
            } catch (const std::exception& error) {
                said = error.what();
                if (said.empty())
                    said = "(empty error)";
            }
        }
        [[maybe_unused]] const ssize_t ignored = ::write(pipeFds[1], said.data(), said.size());
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string said;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status))
        return "the child died";
    return said;
}

uid_t NobodyUid() {
    const passwd* entry = ::getpwnam("nobody");
    return entry ? entry->pw_uid : 65534;
}

}  // namespace qrp::test
