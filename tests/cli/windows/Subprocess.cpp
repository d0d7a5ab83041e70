// The pseudo console is there from Windows 10 version 1809 on.
#define NTDDI_VERSION 0x0A000006

#include "cli/Subprocess.h"

#include "platform/Path.h"
#include "platform/windows/Win32.h"
#include "support/TestFiles.h"

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

namespace kestrel::testing {

namespace win = kestrel::platform::win;

namespace {

// One argument as the child's runtime splits its command line again (CommandLineToArgvW's
// rules): quoted when it holds a blank, a tab, a line end or a quote; backslashes doubled only
// before a quote.
std::wstring quoted(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos)
        return arg;
    std::wstring out = L"\"";
    for (auto it = arg.begin();; ++it) {
        std::size_t backslashes = 0;
        for (; it != arg.end() && *it == L'\\'; ++it)
            ++backslashes;
        if (it == arg.end()) {
            out.append(backslashes * 2, L'\\');
            break;
        }
        if (*it == L'"')
            out.append(backslashes * 2 + 1, L'\\');
        else
            out.append(backslashes, L'\\');
        out += *it;
    }
    return out + L'"';
}

std::wstring commandLineOf(const std::vector<std::string>& argv) {
    std::wstring line;
    for (const std::string& arg : argv)
        line += (line.empty() ? L"" : L" ") + quoted(win::wide(arg));
    return line;
}

// NAME=value strings in the order of their names, case ignored, as Windows keeps them, each
// ended by a NUL and the block by one more.
std::wstring environmentBlockOf(const std::vector<std::string>& environment) {
    std::vector<std::wstring> entries;
    for (const std::string& entry : environment)
        entries.push_back(win::wide(entry));
    std::sort(entries.begin(), entries.end(), [](const std::wstring& a, const std::wstring& b) {
        return ::_wcsicmp(a.c_str(), b.c_str()) < 0;
    });
    std::wstring block;
    for (const std::wstring& entry : entries)
        block += entry + L'\0';
    return block + L'\0';
}

// A handle the child inherits as one of its standard streams.
HANDLE openForChild(const std::string& path, bool forWriting) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    return ::CreateFileW(win::wide(path).c_str(), forWriting ? GENERIC_WRITE : GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherited,
                         forWriting ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string contentOf(const std::string& path) {
    std::ifstream in(std::filesystem::path(std::u8string(path.begin(), path.end())), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The program's exit status once it has ended (after `limit` it is ended, with what it started
// when they are its `job`: status -1).
int exitStatusOf(HANDLE process, DWORD limit = INFINITE, HANDLE job = nullptr) {
    if (::WaitForSingleObject(process, limit) != WAIT_OBJECT_0) {
        if (job != nullptr)
            ::TerminateJobObject(job, static_cast<UINT>(-1));
        else
            ::TerminateProcess(process, static_cast<UINT>(-1));
        ::WaitForSingleObject(process, INFINITE);
    }
    DWORD code = 0;
    return ::GetExitCodeProcess(process, &code) ? static_cast<int>(code) : -1;
}

// Starts `program` with the command line, in `job` when given (before it runs, so that what it
// starts is in the job too); the process handle, or an invalid one when it could not be started.
HANDLE start(const std::string& program, std::wstring commandLine,
             const std::vector<std::string>& environment, DWORD flags, STARTUPINFOW& startup,
             bool inheritHandles, HANDLE job = nullptr) {
    std::wstring block = environmentBlockOf(environment);
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(win::wide(program).c_str(), commandLine.data(), nullptr, nullptr,
                          inheritHandles ? TRUE : FALSE,
                          flags | CREATE_UNICODE_ENVIRONMENT | (job != nullptr ? CREATE_SUSPENDED : 0),
                          block.data(), nullptr, &startup, &started))
        return INVALID_HANDLE_VALUE;
    if (job != nullptr) {
        ::AssignProcessToJobObject(job, started.hProcess);
        ::ResumeThread(started.hThread);
    }
    ::CloseHandle(started.hThread);
    return started.hProcess;
}

std::wstring windowsFolder() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemWindowsDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, length > 0 && length < MAX_PATH ? length : 0);
}

// The command line that runs `argv` with the console's own input and output as its standard
// streams (standard error into `errPath` when given). A console that a process is started on
// need not give it standard handles (Wine's pseudo console does not), while its input and output
// can always be opened by name: cmd.exe does that for the program, as it does for `2>file`.
std::wstring onConsole(const std::vector<std::string>& argv, const std::string& errPath) {
    const std::wstring errors = errPath.empty() ? L"CONOUT$" : quoted(win::wide(errPath));
    return L"cmd.exe /d /s /c \"" + commandLineOf(argv) + L" <CONIN$ >CONOUT$ 2>" + errors + L"\"";
}

} // namespace

std::string CliProgram() {
    std::wstring self(32768, L'\0');
    self.resize(::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    return platform::parentOf(win::utf8(self)) + "kestrel-backup-cli.exe";
}

std::string TypingUnavailable() {
    // Wine's own export: the pseudo console of Wine shows what the program writes but passes
    // nothing typed on to it.
    if (::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr)
        return "Wine's pseudo console passes no typed input on to the program";
    return {};
}

std::vector<std::string> MinimalEnvironment(const std::string& home) {
    // What a scheduled task of the user has: the profile, the application-data folders and the
    // temporary folder below it, the system's folders.
    const std::string profile = platform::withFinalSeparator(Native(home));
    const std::string local = profile + "AppData\\Local";
    const std::string system = win::utf8(windowsFolder());
    return {"USERPROFILE=" + profile.substr(0, profile.size() - 1),
            "APPDATA=" + profile + "AppData\\Roaming",
            "LOCALAPPDATA=" + local,
            "TEMP=" + local + "\\Temp",
            "TMP=" + local + "\\Temp",
            "SystemRoot=" + system,
            "windir=" + system,
            "PATH=" + system + "\\system32;" + system};
}

ProcessResult RunProcess(const ProcessRun& run) {
    win::Handle in(openForChild(run.stdinPath, false));
    win::Handle err(openForChild(run.errPath, true));
    win::Handle out;
    if (run.outPath.empty()) {
        // A pipe whose read end is gone before the program starts: every write to it fails.
        SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
        HANDLE readEnd = nullptr;
        HANDLE writeEnd = nullptr;
        if (!::CreatePipe(&readEnd, &writeEnd, &inherited, 0))
            return {};
        ::CloseHandle(readEnd);
        out.reset(writeEnd);
    } else {
        out.reset(openForChild(run.outPath, true));
    }
    if (!in.valid() || !out.valid() || !err.valid())
        return {};
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.get();
    startup.hStdOutput = out.get();
    startup.hStdError = err.get();
    // No console at all, as a scheduled task that runs whether the user is logged on or not.
    win::Handle process(
        start(run.argv.at(0), commandLineOf(run.argv), run.environment, DETACHED_PROCESS, startup, true));
    in.reset();
    out.reset();
    err.reset();
    if (!process.valid())
        return {};
    ProcessResult result;
    result.status = exitStatusOf(process.get());
    if (!run.outPath.empty())
        result.out = contentOf(run.outPath);
    result.err = contentOf(run.errPath);
    return result;
}

// The program on a pseudo console of its own: what it shows arrives through a pipe that a
// thread of the test reads, what is typed goes through another.
struct PtyProcess::Child {
    HPCON console = nullptr;
    win::Handle job{::CreateJobObjectW(nullptr, nullptr)}; // cmd.exe and the program it runs
    win::Handle typed;
    win::Handle shown;
    win::Handle process;
    std::thread reader;
    std::mutex mutex;
    std::condition_variable arrived;
    std::string received;
    bool ended = false;

    void Read() {
        char buffer[4096];
        DWORD count = 0;
        while (::ReadFile(shown.get(), buffer, sizeof buffer, &count, nullptr) && count > 0) {
            const std::lock_guard<std::mutex> lock(mutex);
            received.append(buffer, count);
            arrived.notify_all();
        }
        const std::lock_guard<std::mutex> lock(mutex);
        ended = true;
        arrived.notify_all();
    }

    // Closing the console ends its output once everything the program wrote has been read.
    void Close() {
        if (console != nullptr) {
            ::ClosePseudoConsole(console);
            console = nullptr;
        }
        if (reader.joinable())
            reader.join();
    }
};

PtyProcess::PtyProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                       const std::string& errPath)
    : child_(std::make_unique<Child>()) {
    HANDLE consoleInput = nullptr;
    HANDLE typed = nullptr;
    HANDLE shown = nullptr;
    HANDLE consoleOutput = nullptr;
    if (!::CreatePipe(&consoleInput, &typed, nullptr, 0))
        return;
    child_->typed.reset(typed);
    win::Handle input(consoleInput);
    if (!::CreatePipe(&shown, &consoleOutput, nullptr, 0))
        return;
    child_->shown.reset(shown);
    win::Handle output(consoleOutput);
    if (FAILED(::CreatePseudoConsole(COORD{100, 24}, input.get(), output.get(), 0, &child_->console)))
        return;
    child_->reader = std::thread([child = child_.get()] { child->Read(); });

    SIZE_T size = 0;
    ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<char> attributes(size);
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    // No standard handles of the test program's own: the console's take their place.
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.lpAttributeList = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes.data());
    if (!::InitializeProcThreadAttributeList(startup.lpAttributeList, 1, 0, &size))
        return;
    if (::UpdateProcThreadAttribute(startup.lpAttributeList, 0, PROC_THREAD_ATTRIBUTE_PSEUDOCONSOLE,
                                    child_->console, sizeof child_->console, nullptr, nullptr))
        child_->process.reset(start(win::utf8(windowsFolder()) + "\\system32\\cmd.exe",
                                    onConsole(argv, errPath), environment, EXTENDED_STARTUPINFO_PRESENT,
                                    startup.StartupInfo, false, child_->job.get()));
    ::DeleteProcThreadAttributeList(startup.lpAttributeList);
}

PtyProcess::~PtyProcess() {
    if (child_->process.valid())
        exitStatusOf(child_->process.get(), 0, child_->job.get());
    child_->Close();
}

bool PtyProcess::WaitFor(const std::string& text, std::chrono::seconds limit) {
    Child& child = *child_;
    std::unique_lock<std::mutex> lock(child.mutex);
    const bool found = child.arrived.wait_for(lock, limit, [&] {
        return child.received.find(text) != std::string::npos || child.ended;
    }) && child.received.find(text) != std::string::npos;
    output_ = child.received;
    return found;
}

void PtyProcess::Type(const std::string& text) {
    // The Enter key gives a console a carriage return.
    std::string keys = text;
    std::replace(keys.begin(), keys.end(), '\n', '\r');
    DWORD written = 0;
    ::WriteFile(child_->typed.get(), keys.data(), static_cast<DWORD>(keys.size()), &written, nullptr);
}

int PtyProcess::Wait(std::chrono::seconds limit) {
    Child& child = *child_;
    const int status =
        child.process.valid()
            ? exitStatusOf(
                  child.process.get(),
                  static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(limit).count()),
                  child.job.get())
            : -1;
    child.Close();
    const std::lock_guard<std::mutex> lock(child.mutex);
    output_ = child.received;
    return status;
}

} // namespace kestrel::testing
