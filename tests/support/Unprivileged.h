#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kestrel::testing {

// Permission cases (unreadable folders, read-only targets) mean nothing to root, and CI runs the
// tests as root. `RunAsUnprivileged` runs `body` in a forked child so that the permission checks
// of the system apply to it: when the tests run as root, the child drops to the user `nobody`
// (supplementary groups, then the group, then the user: setgroups, setresgid, setresuid) after
// the folders in `handedOver` (trees the test made) were given to that user, so `body` can change
// them; as any other user the child keeps the test's own user, already unprivileged. The dropped
// child reads the program's data files (platform::programFolder) from a copy that user can reach:
// the build may lie where it cannot (a clone in a folder of mode 0700).
// The child's assertion failures are sent back through a pipe and reported here as failures at
// their file and line; a child that crashes or ends on its own is a failure too. A fatal assertion
// ends `body` only. What `body` changes in memory stays in the child: it asserts inside `body`.
void RunAsUnprivileged(const std::vector<std::string>& handedOver, const std::function<void()>& body);
inline void RunAsUnprivileged(const std::function<void()>& body) {
    RunAsUnprivileged({}, body);
}

// True when `RunAsUnprivileged` drops to another user.
bool TestsRunAsRoot();

} // namespace kestrel::testing
