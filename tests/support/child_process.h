// Runs a piece of a test in a forked child under limits the test process must not take
// on itself: another user (root ignores file permissions) or a file-size limit (a disk
// that fills up).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>

namespace qrp::test {

struct ChildLimits {
    std::optional<uid_t> user;          // run as this user (and its group)
    std::optional<long> fileSizeLimit;  // bytes a file may grow to; writes past it fail (EFBIG)
};

// Runs body in a child and returns what it threw (its what()), "" when it returned, or a
// note when the child died. body must not use gtest assertions.
std::string RunInChild(const ChildLimits& limits, const std::function<void()>& body);

// The uid of the unprivileged user "nobody".
uid_t NobodyUid();

}  // namespace qrp::test
