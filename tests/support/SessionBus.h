#pragma once

// POSIX only: a test that includes this runs where dbus-daemon does.

#include <chrono>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace kestrel::testing {

// A D-Bus session bus of the test's own (dbus-daemon --session) and a monitor on it that records
// every message (dbus-monitor), so that a test sees the notifications a program sends, with no
// desktop and nothing of the machine's own session touched. Both end with the object.
class SessionBus {
public:
    SessionBus() {
        FILE* started =
            ::popen("dbus-daemon --session --fork --print-address=1 --print-pid=1 2>/dev/null", "r");
        if (!started) {
            unavailable_ = "dbus-daemon cannot be started";
            return;
        }
        char line[1024] = {};
        if (std::fgets(line, sizeof line, started))
            address_ = trimmed(line);
        if (std::fgets(line, sizeof line, started))
            daemon_ = static_cast<pid_t>(std::stol(trimmed(line).empty() ? "0" : trimmed(line)));
        ::pclose(started);
        if (address_.empty() || daemon_ <= 0) {
            unavailable_ = "dbus-daemon is not installed (Debian package dbus-daemon)";
            return;
        }
        int ends[2] = {-1, -1};
        if (::pipe(ends) != 0) {
            unavailable_ = "no pipe for dbus-monitor";
            return;
        }
        monitor_ = ::fork();
        if (monitor_ == 0) {
            ::dup2(ends[1], STDOUT_FILENO);
            ::close(ends[0]);
            ::close(ends[1]);
            ::execlp("dbus-monitor", "dbus-monitor", "--address", address_.c_str(),
                     static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(ends[1]);
        out_ = ends[0];
        // The monitor gives up its own name when it starts monitoring: from then on it sees all.
        if (!WaitFor("member=NameLost")) {
            unavailable_ = "dbus-monitor did not start monitoring: " + seen_;
            return;
        }
        seen_.clear();
    }
    ~SessionBus() {
        if (monitor_ > 0) {
            ::kill(monitor_, SIGTERM);
            ::waitpid(monitor_, nullptr, 0);
        }
        if (out_ >= 0)
            ::close(out_);
        if (daemon_ > 0)
            ::kill(daemon_, SIGTERM);
    }
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;

    // Why there is no bus here; empty when there is one.
    const std::string& Unavailable() const { return unavailable_; }
    // What DBUS_SESSION_BUS_ADDRESS names for programs that should use this bus.
    const std::string& Address() const { return address_; }
    // Reads what the monitor shows until it holds `text` (true) or the limit passes (false).
    bool WaitFor(const std::string& text, std::chrono::seconds limit = std::chrono::seconds(60)) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (seen_.find(text) == std::string::npos) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            struct pollfd ready {
                out_, POLLIN, 0
            };
            if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) <= 0)
                return false;
            char buffer[4096];
            const ssize_t count = ::read(out_, buffer, sizeof buffer);
            if (count <= 0)
                return false;
            seen_.append(buffer, static_cast<std::size_t>(count));
        }
        return true;
    }
    // Everything the monitor has shown so far (since it started monitoring).
    const std::string& Seen() const { return seen_; }

private:
    static std::string trimmed(std::string text) {
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
            text.pop_back();
        return text;
    }

    std::string unavailable_;
    std::string address_;
    pid_t daemon_ = -1;
    pid_t monitor_ = -1;
    int out_ = -1;
    std::string seen_;
};

} // namespace kestrel::testing
