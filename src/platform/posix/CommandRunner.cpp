#include "platform/CommandRunner.h"

#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace kestrel::platform {

int SystemCommandRunner::run(const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    pid_t pid = 0;
    if (::posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        return -1;
    }
    int status = 0;
    pid_t waited;
    do {
        waited = ::waitpid(pid, &status, 0);
    } while (waited < 0 && errno == EINTR);
    if (waited != pid || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

namespace {

// A CR LF of the comment becomes the platform's line end.
std::string ShutdownMessage(const std::string& comment) {
    std::string message;
    message.reserve(comment.size());
    for (std::size_t i = 0; i < comment.size(); ++i) {
        if (comment[i] == '\r' && i + 1 < comment.size() && comment[i + 1] == '\n') {
            continue;
        }
        message += comment[i];
    }
    return message;
}

} // namespace

int ScheduleShutdown(CommandRunner& runner, const std::string& comment) {
    // The shortest delay the command takes is one minute; the caller holds the shorter delay it
    // promises and then calls PowerOffNow. This pending shutdown tells the users of the machine
    // and stands should the caller be gone.
    return runner.run("shutdown", {"-P", "+1", ShutdownMessage(comment)});
}

int PowerOffNow(CommandRunner& runner, const std::string& comment) {
    return runner.run("shutdown", {"-P", "now", ShutdownMessage(comment)});
}

int CancelShutdown(CommandRunner& runner) {
    return runner.run("shutdown", {"-c"});
}

} // namespace kestrel::platform
