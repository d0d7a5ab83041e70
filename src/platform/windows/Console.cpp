#include "platform/Console.h"

#include "platform/windows/Win32.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace kestrel::platform {

namespace {

HANDLE handleOf(StandardStream stream) {
    switch (stream) {
    case StandardStream::Input:
        return ::GetStdHandle(STD_INPUT_HANDLE);
    case StandardStream::Output:
        return ::GetStdHandle(STD_OUTPUT_HANDLE);
    case StandardStream::Error:
        break;
    }
    return ::GetStdHandle(STD_ERROR_HANDLE);
}

std::atomic<StopHandler> stopHandler{nullptr};

// Runs on a thread the system starts for the event: Ctrl-C, Ctrl-Break, the console window
// closed, the user logging off or the system shutting down.
BOOL WINAPI onControlEvent(DWORD) {
    if (const StopHandler handler = stopHandler.load()) {
        handler();
        return TRUE;
    }
    return FALSE;
}

} // namespace

bool isTerminal(StandardStream stream) {
    DWORD mode = 0;
    const HANDLE handle = handleOf(stream);
    return ::GetFileType(handle) == FILE_TYPE_CHAR && ::GetConsoleMode(handle, &mode);
}

bool isSameTerminal(StandardStream a, StandardStream b) {
    // A process has one console: its output streams that are consoles are the same one.
    return isTerminal(a) && isTerminal(b) && (a != StandardStream::Input) == (b != StandardStream::Input);
}

int terminalColumns(StandardStream stream, int fallback) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!::GetConsoleScreenBufferInfo(handleOf(stream), &info))
        return fallback;
    const int columns = info.srWindow.Right - info.srWindow.Left + 1;
    return columns > 0 ? columns : fallback;
}

bool waitForInput(int milliseconds) {
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    switch (::GetFileType(input)) {
    case FILE_TYPE_CHAR:
        return ::WaitForSingleObject(input, static_cast<DWORD>(milliseconds)) == WAIT_OBJECT_0;
    case FILE_TYPE_PIPE: {
        // A pipe cannot be waited on: it is looked at until the time is up.
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        for (;;) {
            DWORD available = 0;
            if (!::PeekNamedPipe(input, nullptr, 0, nullptr, &available, nullptr))
                return true; // closed: the read that follows sees the end
            if (available > 0)
                return true;
            if (std::chrono::steady_clock::now() >= until)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    default:
        return true; // a file has its content at once
    }
}

void installStopHandler(StopHandler handler) {
    stopHandler.store(handler);
    ::SetConsoleCtrlHandler(onControlEvent, handler != nullptr ? TRUE : FALSE);
}

void exitAtOnce(int status) {
    ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(status));
    ::_exit(status);
}

} // namespace kestrel::platform
