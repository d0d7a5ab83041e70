#include "support/Unprivileged.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kestrel::testing {

namespace {

constexpr uid_t kNobody = 65534;

void WriteAll(int fd, const std::string& text) {
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, left);
        if (n <= 0)
            return;
        data += n;
        left -= static_cast<std::size_t>(n);
    }
}

} // namespace

std::string AsUnprivilegedUser(const std::function<std::string()>& body) {
    if (::geteuid() != 0)
        return body();
    int channel[2];
    if (::pipe(channel) != 0)
        return "no pipe to the child";
    const pid_t child = ::fork();
    if (child < 0)
        return "no child";
    if (child == 0) {
        ::close(channel[0]);
        std::string result = "cannot become nobody";
        if (::setgroups(0, nullptr) == 0 && ::setresgid(kNobody, kNobody, kNobody) == 0 &&
            ::setresuid(kNobody, kNobody, kNobody) == 0)
            result = body();
        WriteAll(channel[1], result);
        ::_exit(0); // no destructors of the parent's objects, no test report of the child's
    }
    ::close(channel[1]);
    std::string result;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(channel[0], buffer, sizeof buffer)) > 0)
        result.append(buffer, static_cast<std::size_t>(n));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return result;
}

} // namespace kestrel::testing
