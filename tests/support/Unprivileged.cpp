#include "support/Unprivileged.h"

#include "platform/ProgramPaths.h"
#include "support/TempDir.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <filesystem>
#include <ftw.h>
#include <grp.h>
#include <optional>
#include <pwd.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <type_traits>
#include <unistd.h>

namespace kestrel::testing {

namespace {

struct Account {
    uid_t uid = 65534;
    gid_t gid = 65534;
};

Account Nobody() {
    Account account;
    if (const passwd* pw = ::getpwnam("nobody")) {
        account.uid = pw->pw_uid;
        account.gid = pw->pw_gid;
    }
    return account;
}

// The account nftw's callback hands the files to (nftw takes no context).
Account handOverTo;

int HandOverEntry(const char* path, const struct stat*, int, struct FTW*) {
    return ::lchown(path, handOverTo.uid, handOverTo.gid) == 0 ? 0 : -1;
}

// The program's data files (program texts, help text) copied where `nobody` can read them: the
// build that holds them may lie in a folder only its owner enters (a clone in root's home, mode
// 0700), and the body reads them as that user (the command-line tool loads its texts on every
// run). Nothing of the user's own folders is opened up for it.
class ProgramDataCopy {
public:
    ProgramDataCopy() {
        namespace fs = std::filesystem;
        const fs::path from(platform::programFolder());
        const fs::path to(folder_.path());
        std::error_code ec;
        for (const char* name : {"zbk.dat", "zbk_help.txt"}) {
            if (!fs::is_regular_file(from / name, ec))
                continue;
            fs::copy_file(from / name, to / name, ec);
            fs::permissions(to / name,
                            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                fs::perms::others_read,
                            ec);
        }
        fs::permissions(to,
                        fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                            fs::perms::others_read | fs::perms::others_exec,
                        ec);
    }

    const std::string& folder() const { return folder_.path(); }

private:
    TempDir folder_;
};

// Moves all `length` bytes through `io` (read or write), across short counts and signals.
template <class Buffer, class Io> bool TransferAll(int fd, Buffer* data, std::size_t length, Io io) {
    auto* p = reinterpret_cast<std::conditional_t<std::is_const_v<Buffer>, const char*, char*>>(data);
    while (length > 0) {
        const ssize_t n = io(fd, p, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

bool WriteAll(int fd, const void* data, std::size_t length) {
    return TransferAll(fd, data, length, ::write);
}

bool ReadAll(int fd, void* data, std::size_t length) {
    return TransferAll(fd, data, length, ::read);
}

// One failure as sent from the child: line, then the lengths and bytes of file and message.
void SendFailure(int fd, const char* file, int line, const std::string& message) {
    const std::string where = file != nullptr ? file : "";
    const std::uint32_t sizes[3] = {static_cast<std::uint32_t>(line),
                                    static_cast<std::uint32_t>(where.size()),
                                    static_cast<std::uint32_t>(message.size())};
    WriteAll(fd, sizes, sizeof sizes);
    WriteAll(fd, where.data(), where.size());
    WriteAll(fd, message.data(), message.size());
}

[[noreturn]] void RunChild(int fd, const Account& account, const ProgramDataCopy* data,
                           const std::function<void()>& body) {
    if (TestsRunAsRoot() &&
        (::setgroups(0, nullptr) != 0 || ::setresgid(account.gid, account.gid, account.gid) != 0 ||
         ::setresuid(account.uid, account.uid, account.uid) != 0 || ::geteuid() == 0)) {
        SendFailure(fd, __FILE__, __LINE__, std::string("cannot drop to nobody: ") + std::strerror(errno));
        ::_exit(2);
    }
    if (data != nullptr)
        platform::setProgramFolder(data->folder());
    // Every result of the body is caught here (whatever reporter the parent had installed) and
    // sent to the parent, which reports it.
    // This thread's reporter first, as the parent may have set one for its thread too.
    ::testing::TestPartResultArray results;
    {
        ::testing::ScopedFakeTestPartResultReporter otherThreads(
            ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ALL_THREADS, &results);
        ::testing::ScopedFakeTestPartResultReporter thisThread(
            ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
        try {
            body();
        } catch (const std::exception& e) {
            ADD_FAILURE() << "exception in the body: " << e.what();
        } catch (...) {
            ADD_FAILURE() << "unknown exception in the body";
        }
    }
    for (int i = 0; i < results.size(); ++i) {
        const ::testing::TestPartResult& result = results.GetTestPartResult(i);
        if (result.failed())
            SendFailure(fd, result.file_name(), result.line_number(), result.message());
    }
    ::close(fd);
    // No destructors, no atexit handlers: they belong to the parent.
    ::_exit(0);
}

} // namespace

bool TestsRunAsRoot() {
    return ::geteuid() == 0;
}

void RunAsUnprivileged(const std::vector<std::string>& handedOver, const std::function<void()>& body) {
    const Account account = Nobody();
    handOverTo = account;
    std::optional<ProgramDataCopy> data;
    if (TestsRunAsRoot()) {
        data.emplace();
        for (const std::string& folder : handedOver)
            ASSERT_EQ(::nftw(folder.c_str(), HandOverEntry, 16, FTW_PHYS), 0)
                << "cannot hand over " << folder;
    }

    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    std::fflush(nullptr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0) << std::strerror(errno);
    if (child == 0) {
        ::close(fds[0]);
        RunChild(fds[1], account, data ? &*data : nullptr, body);
    }
    ::close(fds[1]);
    std::uint32_t sizes[3];
    while (ReadAll(fds[0], sizes, sizeof sizes)) {
        std::string file(sizes[1], '\0');
        std::string message(sizes[2], '\0');
        if (!ReadAll(fds[0], file.data(), file.size()) || !ReadAll(fds[0], message.data(), message.size()))
            break;
        ADD_FAILURE_AT(file.c_str(), static_cast<int>(sizes[0])) << "(unprivileged) " << message;
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFSIGNALED(status))
        ADD_FAILURE() << "the test body running unprivileged was killed by signal " << WTERMSIG(status);
    else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        ADD_FAILURE() << "the test body running unprivileged ended with status " << WEXITSTATUS(status);
}

} // namespace kestrel::testing
