#include "cli/StopRequest.h"

#include <windows.h>

namespace kestrel::testing {

std::vector<int> StopRequests() {
    return {CTRL_C_EVENT, CTRL_BREAK_EVENT};
}

int InterruptRequest() {
    return CTRL_C_EVENT;
}

std::string StopRequestName(int request) {
    return request == CTRL_C_EVENT ? "Ctrl-C" : request == CTRL_BREAK_EVENT ? "Ctrl-Break" : "event";
}

bool SendStop(int request) {
    // The system hands a control event to a program by starting a thread of the program at this
    // entry of the system's library, which calls the handlers set with SetConsoleCtrlHandler.
    // Ctrl-C and Ctrl-Break only: after the other events the system ends the program.
    const auto routine = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"kernelbase.dll"), "CtrlRoutine")));
    if (routine == nullptr)
        return false;
    // A program started in a process group of its own ignores Ctrl-C until it says otherwise.
    ::SetConsoleCtrlHandler(nullptr, FALSE);
    const HANDLE thread = ::CreateThread(
        nullptr, 0, routine, reinterpret_cast<void*>(static_cast<DWORD_PTR>(request)), 0, nullptr);
    if (thread == nullptr)
        return false;
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
    return true;
}

} // namespace kestrel::testing
