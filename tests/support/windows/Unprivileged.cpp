#include "support/Unprivileged.h"

#include <gtest/gtest.h>

namespace kestrel::testing {

// Windows has no fork() to run the body in, no user to drop to, and its folders have no
// permission bits that a test could take away: a permission case is skipped, with the reason,
// and what the test checks after the body (that nothing was changed) still runs.
void RunAsUnprivileged(const std::vector<std::string>&, const std::function<void()>&) {
    GTEST_SKIP() << "a permission case: it runs as another user on POSIX systems only";
}

bool TestsRunAsRoot() {
    return false;
}

} // namespace kestrel::testing
