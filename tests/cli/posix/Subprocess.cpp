#include "cli/Subprocess.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <pty.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace kestrel::testing {

namespace {

std::vector<char*> pointersOf(const std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (const std::string& text : texts)
        pointers.push_back(const_cast<char*>(text.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

std::string contentOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int statusOf(int waitStatus) {
    if (WIFEXITED(waitStatus))
        return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus))
        return 128 + WTERMSIG(waitStatus);
    return -1;
}

// In the child: the program, or status 127.
[[noreturn]] void execute(const std::vector<std::string>& argv, const std::vector<std::string>& environment) {
    ::signal(SIGPIPE, SIG_DFL); // as a program started by a shell or a service manager has it
    auto args = pointersOf(argv);
    auto env = pointersOf(environment);
    ::execve(args[0], args.data(), env.data());
    ::_exit(127);
}

} // namespace

struct PtyProcess::Child {
    pid_t pid = -1;
    int master = -1;
    bool exited = false;
    int waitStatus = 0;

    // Appends what the terminal shows within `timeoutMs` to `output`; false when nothing came.
    bool ReadSome(int timeoutMs, std::string& output) const {
        struct pollfd ready {
            master, POLLIN, 0
        };
        if (::poll(&ready, 1, timeoutMs) <= 0)
            return false;
        char buffer[4096];
        const ssize_t count = ::read(master, buffer, sizeof buffer);
        if (count <= 0)
            return false; // EIO: the terminal's last user is gone
        output.append(buffer, static_cast<std::size_t>(count));
        return true;
    }
};

std::string CliProgram() {
    char self[PATH_MAX] = {};
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string path(self, length > 0 ? static_cast<std::size_t>(length) : 0);
    return path.substr(0, path.rfind('/') + 1) + "kestrel-backup-cli";
}

std::string TypingUnavailable() {
    return {};
}

std::vector<std::string> MinimalEnvironment(const std::string& home) {
    // XDG_RUNTIME_DIR without a bus in it: a notification asked for finds none, as where nobody
    // is logged in.
    return {"HOME=" + home,
            "XDG_CONFIG_HOME=" + home + ".config",
            "XDG_DATA_HOME=" + home + ".local/share",
            "XDG_CACHE_HOME=" + home + ".cache",
            "XDG_RUNTIME_DIR=" + home + ".run",
            "PATH=/usr/local/bin:/usr/bin:/bin",
            "LANG=C.UTF-8"};
}

ProcessResult RunProcess(const ProcessRun& run) {
    int pipeEnds[2] = {-1, -1};
    if (run.outPath.empty() && ::pipe(pipeEnds) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int in = ::open(run.stdinPath.c_str(), O_RDONLY);
        const int err = ::open(run.errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int out = -1;
        if (run.outPath.empty()) {
            ::close(pipeEnds[0]); // nobody reads: every write to standard output fails
            out = pipeEnds[1];
        } else {
            out = ::open(run.outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        }
        if (in < 0 || out < 0 || err < 0)
            ::_exit(126);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        ::setsid(); // no controlling terminal, as under a service manager
        execute(run.argv, run.environment);
    }
    if (run.outPath.empty()) {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
    }
    int waitStatus = 0;
    while (::waitpid(pid, &waitStatus, 0) < 0 && errno == EINTR) {
    }
    ProcessResult result;
    result.status = statusOf(waitStatus);
    if (!run.outPath.empty())
        result.out = contentOf(run.outPath);
    result.err = contentOf(run.errPath);
    return result;
}

PtyProcess::PtyProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                       const std::string& errPath)
    : child_(std::make_unique<Child>()) {
    struct winsize size {};
    size.ws_row = 24;
    size.ws_col = 100;
    child_->pid = ::forkpty(&child_->master, nullptr, nullptr, &size);
    if (child_->pid == 0) {
        if (!errPath.empty()) {
            const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (err < 0 || ::dup2(err, 2) < 0)
                ::_exit(126);
        }
        execute(argv, environment);
    }
}

PtyProcess::~PtyProcess() {
    if (child_->pid > 0 && !child_->exited) {
        ::kill(child_->pid, SIGKILL);
        ::waitpid(child_->pid, nullptr, 0);
    }
    if (child_->master >= 0)
        ::close(child_->master);
}

bool PtyProcess::WaitFor(const std::string& text, std::chrono::seconds limit) {
    Child& child = *child_;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (output_.find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        if (!child.ReadSome(200, output_) && !child.exited &&
            ::waitpid(child.pid, &child.waitStatus, WNOHANG) == child.pid)
            child.exited = true;
        if (child.exited && !child.ReadSome(0, output_))
            return output_.find(text) != std::string::npos;
    }
    return true;
}

void PtyProcess::Type(const std::string& text) {
    (void)!::write(child_->master, text.data(), text.size());
}

int PtyProcess::Wait(std::chrono::seconds limit) {
    Child& child = *child_;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!child.exited) {
        while (child.ReadSome(100, output_)) {
        }
        if (::waitpid(child.pid, &child.waitStatus, WNOHANG) == child.pid)
            child.exited = true;
        else if (std::chrono::steady_clock::now() >= end) {
            ::kill(child.pid, SIGKILL);
            ::waitpid(child.pid, &child.waitStatus, 0);
            child.exited = true;
        }
    }
    while (child.ReadSome(0, output_)) {
    }
    return statusOf(child.waitStatus);
}

} // namespace kestrel::testing
