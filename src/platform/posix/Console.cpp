#include "platform/Console.h"

#include <atomic>
#include <csignal>
#include <fstream>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrel::platform {

namespace {

int descriptorOf(StandardStream stream) {
    switch (stream) {
    case StandardStream::Input:
        return STDIN_FILENO;
    case StandardStream::Output:
        return STDOUT_FILENO;
    case StandardStream::Error:
        break;
    }
    return STDERR_FILENO;
}

std::atomic<StopHandler> stopHandler{nullptr};

void onStopSignal(int) {
    if (const StopHandler handler = stopHandler.load())
        handler();
}

} // namespace

bool isTerminal(StandardStream stream) {
    return ::isatty(descriptorOf(stream)) == 1;
}

bool isSameTerminal(StandardStream a, StandardStream b) {
    struct stat first {
    }, second{};
    return isTerminal(a) && isTerminal(b) && ::fstat(descriptorOf(a), &first) == 0 &&
           ::fstat(descriptorOf(b), &second) == 0 && first.st_rdev == second.st_rdev;
}

int terminalColumns(StandardStream stream, int fallback) {
    struct winsize size {};
    if (::ioctl(descriptorOf(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return fallback;
}

bool waitForInput(int milliseconds) {
    struct pollfd input {
        STDIN_FILENO, POLLIN, 0
    };
    return ::poll(&input, 1, milliseconds) > 0;
}

std::unique_ptr<std::ostream> openTerminalForWriting() {
    auto terminal = std::make_unique<std::ofstream>("/dev/tty");
    if (!*terminal)
        return nullptr;
    return terminal;
}

void installStopHandler(StopHandler handler) {
    stopHandler.store(handler);
    struct sigaction action {};
    action.sa_handler = handler != nullptr ? onStopSignal : SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
}

void prepareTerminalOutput() {}

void exitAtOnce(int status) {
    ::_exit(status);
}

} // namespace kestrel::platform
