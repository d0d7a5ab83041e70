#include "platform/CommandRunner.h"

#include "platform/windows/Win32.h"

namespace kestrel::platform {

namespace {

// One argument as the C run-time's command-line parser reads it back: quoted when it holds a
// blank, a tab or a quote, quotes escaped, and backslashes doubled where they come before one.
std::wstring quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos)
        return argument;
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

} // namespace

int SystemCommandRunner::run(const std::string& program, const std::vector<std::string>& arguments) {
    std::wstring commandLine = quoted(win::wide(program));
    for (const std::string& argument : arguments)
        commandLine += L" " + quoted(win::wide(argument));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // No application name: the program is looked for as a command line names it (the program's
    // folder, the system folders, then PATH).
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return -1;
    ::CloseHandle(process.hThread);
    DWORD code = 0;
    const bool waited = ::WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0 &&
                        ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hProcess);
    return waited ? static_cast<int>(code) : -1;
}

// The message goes to the users of the machine as it is: CR LF is Windows' own line end.
int ScheduleShutdown(CommandRunner& runner, const std::string& comment) {
    // A minute's warning; the caller holds the shorter delay it promises, then powers off.
    return runner.run("shutdown", {"/s", "/t", "60", "/c", comment});
}

int PowerOffNow(CommandRunner& runner, const std::string& comment) {
    return runner.run("shutdown", {"/s", "/t", "0", "/c", comment});
}

int CancelShutdown(CommandRunner& runner) {
    return runner.run("shutdown", {"/a"});
}

} // namespace kestrel::platform
