#include "platform/FileCopy.h"
#include "support/CopyFaultGuard.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <gtest/gtest.h>
#include <random>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace kestrel::platform;
using kestrel::testing::CopyFaultGuard;
using kestrel::testing::TempDir;
using namespace kestrel::testing;

namespace {

constexpr std::int64_t kMiB = 1 << 20;

DirectoryHandle Folder(const std::string& path) {
    Error error;
    DirectoryHandle handle = DirectoryHandle::open(path, error);
    EXPECT_FALSE(error) << path;
    return handle;
}

// Content of one version of a file: every version of the same size differs in every block.
std::string Version(std::size_t size, char tag) {
    std::string data(size, tag);
    for (std::size_t i = 0; i < size; i += 512)
        data[i] = static_cast<char>('0' + (i / 512) % 10);
    return data;
}

CopyFaultPlan RefusedBeforeTheFirstByte() {
    CopyFaultPlan plan;
    plan.beforeData = [](const std::string&, const std::string&) { return Error::of(err::PermissionDenied); };
    return plan;
}

TEST(CopyFileInto, CopiesContentPermissionsAndModificationTimeAndNothingElse) {
    TempDir dir;
    const std::string source = dir.createFile("src/a.txt", "hello", 1700000000);
    SetReadOnly(source);
    const std::string target = dir.createFolder("dst");

    const CopyResult result = copyFileInto(source, Folder(target), "a.txt");

    ASSERT_TRUE(result.copied()) << result.error.description;
    EXPECT_EQ(result.bytesCopied, 5);
    EXPECT_EQ(dir.readFile("dst/a.txt"), "hello");
    const FileStatus status = statPath(target + "a.txt");
    EXPECT_EQ(status.mtimeSeconds, 1700000000);
#ifdef _WIN32
    EXPECT_FALSE(IsReadOnly(target + "a.txt")) << "the copy is never read-only";
#else
    EXPECT_EQ(status.mode & 0777, 0644u) << "the owner's write permission is added";
#endif
    EXPECT_EQ(NamesIn(target), std::vector<std::string>{"a.txt"});
}

#ifndef _WIN32
// The walk holds the source folder open: the file is taken by its name in that folder, so a
// folder renamed (or a link swapped in on its path) after the walk opened it changes nothing.
TEST(CopyFileInto, ASourceFolderGivenOpenIsReadByNameNotByPath) {
    TempDir dir;
    const std::string source = dir.createFile("src/a.txt", "from the open folder");
    const std::string target = dir.createFolder("dst");
    const DirectoryHandle sourceFolder = Folder(dir.path("src"));
    ASSERT_EQ(::rename(dir.path("src").c_str(), dir.path("moved").c_str()), 0);
    dir.createFile("src/a.txt", "from the path");

    CopyOptions options;
    options.sourceFolder = &sourceFolder;
    const CopyResult result = copyFileInto(source, Folder(target), "a.txt", options);

    ASSERT_TRUE(result.copied()) << result.error.description;
    EXPECT_EQ(dir.readFile("dst/a.txt"), "from the open folder");
}
#endif

// Whatever fails, and wherever in the data: the earlier copy stays as it was and the folder
// holds nothing the copy began.
TEST(CopyFileInto, AFailureKeepsTheEarlierCopyAndLeavesNoTemporaryFile) {
    struct Case {
        const char* name;
        bool sourceExists;
        bool overwrite;
        CopyFaultPlan plan;
        int number;
        CopyFailure failure;
    } cases[] = {
        {"missing source", false, true, {}, err::FileNotFound, CopyFailure::Source},
        {"existing copy without overwrite", true, false, {}, err::FileAlreadyExists, CopyFailure::Target},
        {"refused before the first byte", true, true, RefusedBeforeTheFirstByte(), err::PermissionDenied,
         CopyFailure::Target},
        {"disk full after 1 MiB", true, true, CopyFaultGuard::FailAfter(kMiB, ENOSPC), err::DiskFull,
         CopyFailure::Target},
        {"device error after 1 MiB", true, true, CopyFaultGuard::FailAfter(kMiB, EIO), err::DeviceIo,
         CopyFailure::Target},
#ifdef EDQUOT
        {"quota exceeded at the first byte", true, true, CopyFaultGuard::FailAfter(0, EDQUOT), err::DiskFull,
         CopyFailure::Target},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string source =
            c.sourceExists ? dir.createFile("new.bin", Version(10 * kMiB, 'N')) : dir.path("new.bin");
        dir.createFile("dst/b.bin", "old backup");
        CopyFaultGuard fault(c.plan);
        CopyOptions options;
        options.overwrite = c.overwrite;

        const CopyResult result = copyFileInto(source, Folder(dir.path("dst/")), "b.bin", options);

        EXPECT_EQ(result.error.number, c.number) << result.error.description;
        EXPECT_EQ(result.failure, c.failure);
        EXPECT_FALSE(result.cancelled);
        EXPECT_EQ(dir.readFile("dst/b.bin"), "old backup");
        EXPECT_EQ(NamesIn(dir.path("dst/")), std::vector<std::string>{"b.bin"});
    }
}

// A pipe (nobody writing to it) or a folder in a file's place is refused at once, never read.
TEST(CopyFileInto, ASourceThatIsNoRegularFileIsRefusedWithoutWaiting) {
    TempDir dir;
    std::vector<std::string> sources = {dir.createFolder("folder")};
    if (MakeFifo(dir.path("pipe")))
        sources.push_back(dir.path("pipe"));
    for (const std::string& source : sources) {
        SCOPED_TRACE(source);
        const CopyResult result = copyFileInto(source, Folder(dir.createFolder("dst")), "copy");
        EXPECT_EQ(result.failure, CopyFailure::NotRegular);
        EXPECT_EQ(result.error.number, err::PathFileAccess);
        EXPECT_TRUE(NamesIn(dir.path("dst/")).empty());
    }
}

// A link standing at the copy's name is an entry of the target: the copy replaces the link,
// and what it pointed to outside the target keeps its content and its mode.
TEST(CopyFileInto, ALinkAtTheTargetNameIsReplacedNeverFollowed) {
    for (const char* pointsTo : {"file outside", "folder outside", "nothing"}) {
        SCOPED_TRACE(pointsTo);
        TempDir dir;
        const std::string source = dir.createFile("src/a.txt", "the new copy");
        const std::string outsideFile = dir.createFile("outside/secret.txt", "outside data");
        SetReadOnly(outsideFile);
        const std::string target = dir.createFolder("dst");
        const bool toFolder = std::string(pointsTo) == "folder outside";
        const std::string linkTarget = std::string(pointsTo) == "file outside" ? outsideFile
                                       : toFolder                              ? dir.path("outside")
                                                                               : dir.path("missing");
        if (!MakeSymlink(linkTarget, target + "a.txt", toFolder))
            GTEST_SKIP() << kNoSymlinks;

        const CopyResult result = copyFileInto(source, Folder(target), "a.txt");

        ASSERT_TRUE(result.copied()) << result.error.description;
        EXPECT_EQ(statPath(target + "a.txt", false).kind, EntryKind::Regular);
        EXPECT_EQ(dir.readFile("dst/a.txt"), "the new copy");
        EXPECT_EQ(dir.readFile("outside/secret.txt"), "outside data");
        EXPECT_TRUE(IsReadOnly(outsideFile));
        EXPECT_EQ(NamesIn(dir.path("outside/")), std::vector<std::string>{"secret.txt"});
    }
}

TEST(CopyFileInto, ProgressComesBeforeTheFirstAndAfterTheLastByte) {
    TempDir dir;
    const std::string source = dir.createFile("big.bin", Version(9 * kMiB, 'P'));
    std::vector<FileCopyProgress> calls;
    CopyOptions options;
    options.progress = [&](const FileCopyProgress& progress) {
        calls.push_back(progress);
        return CopyDecision::Continue;
    };

    ASSERT_TRUE(copyFileInto(source, Folder(dir.createFolder("dst")), "big.bin", options).copied());

    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls.front().bytesDone, 0);
    EXPECT_EQ(calls.back().bytesDone, 9 * kMiB);
    for (std::size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].bytesTotal, 9 * kMiB);
        if (i > 0) {
            EXPECT_GE(calls[i].bytesDone, calls[i - 1].bytesDone);
        }
    }
}

// A stop asked for before, during or after the data drops the unfinished copy: the earlier
// copy stays and nothing of the new one is left.
TEST(CopyFileInto, AStopDropsTheUnfinishedCopyAndKeepsTheEarlierOne) {
    enum class StopAt { FirstByte, MiddleOfTheData, LastByte };
    for (StopAt at : {StopAt::FirstByte, StopAt::MiddleOfTheData, StopAt::LastByte}) {
        SCOPED_TRACE(static_cast<int>(at));
        TempDir dir;
        const std::string source = dir.createFile("big.bin", Version(10 * kMiB, 'N'));
        dir.createFile("dst/big.bin", "old backup");
        std::atomic<bool> stop{at == StopAt::FirstByte};
        // The stop comes while the data moves, as a user's Cancel does.
        CopyFaultGuard fault(CopyFaultGuard::HoldAfter(3 * kMiB, [&] {
            if (at == StopAt::MiddleOfTheData)
                stop = true;
        }));
        CopyOptions options;
        options.progress = [&](const FileCopyProgress& progress) {
            if (at == StopAt::LastByte && progress.bytesDone == progress.bytesTotal)
                stop = true;
            return stop ? CopyDecision::Stop : CopyDecision::Continue;
        };

        const CopyResult result = copyFileInto(source, Folder(dir.path("dst/")), "big.bin", options);

        EXPECT_TRUE(result.cancelled);
        EXPECT_FALSE(result.error);
        EXPECT_FALSE(result.copied());
        EXPECT_EQ(dir.readFile("dst/big.bin"), "old backup");
        EXPECT_EQ(NamesIn(dir.path("dst/")), std::vector<std::string>{"big.bin"});
    }
}

// A file rewritten while it is copied is copied once more; rewritten again, it is reported and
// the earlier copy stays.
TEST(CopyFileInto, ASourceChangedDuringTheCopyIsCopiedAgainThenReported) {
    for (int rewrites : {1, 2}) {
        SCOPED_TRACE(rewrites);
        TempDir dir;
        const std::size_t size = 4 * kMiB;
        const std::string source = dir.createFile("file.bin", Version(size, 'A'));
        dir.createFile("dst/file.bin", "old backup");
        int met = 0;
        CopyFaultGuard fault(CopyFaultGuard::HoldAfter(kMiB, [&] {
            if (met++ < rewrites)
                OverwriteInPlace(source, Version(size, met == 1 ? 'B' : 'C'), size);
        }));

        const CopyResult result = copyFileInto(source, Folder(dir.path("dst/")), "file.bin");

        if (rewrites == 1) {
            ASSERT_TRUE(result.copied()) << result.error.description;
            EXPECT_EQ(dir.readFile("dst/file.bin"), Version(size, 'B'));
        } else {
            EXPECT_EQ(result.failure, CopyFailure::SourceChanged);
            EXPECT_EQ(result.error.number, err::PathFileAccess);
            EXPECT_EQ(dir.readFile("dst/file.bin"), "old backup");
        }
        EXPECT_EQ(NamesIn(dir.path("dst/")), std::vector<std::string>{"file.bin"});
    }
}

// Another program rewrites the file at the same size, in blocks, while it is copied: the copy
// under the final name is always one version whole (or the earlier copy, when the change was
// seen on both tries), never a mix.
TEST(CopyFileInto, ARewriteAtTheSameSizeDuringTheCopyNeverLeavesAMixedCopy) {
    TempDir dir;
    const std::size_t size = kMiB;
    const std::string versionA = Version(size, 'A');
    const std::string versionB = Version(size, 'B');
    const std::string old = Version(size, 'O');
    std::mt19937 random(20261210);
    int mixed = 0;
    int failed = 0;
    for (int i = 0; i < 200; ++i) {
        const std::string source = dir.createFile("src.bin", versionA);
        dir.createFile("dst/file.bin", old);
        std::atomic<bool> go{false};
        std::thread writer([&] {
            while (!go)
                std::this_thread::yield();
            OverwriteInPlace(source, versionB, 64 * 1024);
        });
        // The writer starts at a different point of the data each time.
        const std::int64_t startAt = static_cast<std::int64_t>(random() % size);
        CopyFaultGuard fault(CopyFaultGuard::HoldAfter(startAt, [&] { go = true; }));
        const CopyResult result = copyFileInto(source, Folder(dir.path("dst/")), "file.bin");
        go = true;
        writer.join();

        const std::string copy = dir.readFile("dst/file.bin");
        if (result.copied()) {
            mixed += copy != versionA && copy != versionB;
        } else {
            ++failed;
            EXPECT_EQ(result.failure, CopyFailure::SourceChanged);
            mixed += copy != old;
        }
    }
    EXPECT_EQ(mixed, 0);
    EXPECT_EQ(NamesIn(dir.path("dst/")), std::vector<std::string>{"file.bin"});
    RecordProperty("failedCopies", failed);
}

// A 10 GiB file holding 8 KiB of data takes about 8 KiB on the target, not 10 GiB.
TEST(CopyFileInto, ASparseFileStaysSparse) {
#ifdef _WIN32
    GTEST_SKIP() << "the Windows copy writes the holes of a sparse file out";
#else
    TempDir dir;
    const std::string source = dir.path("disk.img");
    const std::int64_t size = 10LL << 30;
    const int fd = ::open(source.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, size), 0);
    const std::string head(4096, 'H');
    const std::string middle(4096, 'M');
    ASSERT_EQ(::pwrite(fd, head.data(), head.size(), 0), 4096);
    ASSERT_EQ(::pwrite(fd, middle.data(), middle.size(), size / 2), 4096);
    ::close(fd);
    struct stat st {};
    ASSERT_EQ(::stat(source.c_str(), &st), 0);
    if (st.st_blocks * 512 > kMiB)
        GTEST_SKIP() << "this file system keeps no holes";

    const CopyResult result = copyFileInto(source, Folder(dir.createFolder("dst")), "disk.img");

    ASSERT_TRUE(result.copied()) << result.error.description;
    const std::string copy = dir.path("dst/disk.img");
    ASSERT_EQ(::stat(copy.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, size);
    EXPECT_LE(st.st_blocks * 512, kMiB);
    const int in = ::open(copy.c_str(), O_RDONLY);
    std::string read(4096, '\0');
    EXPECT_EQ(::pread(in, read.data(), read.size(), 0), 4096);
    EXPECT_EQ(read, head);
    EXPECT_EQ(::pread(in, read.data(), read.size(), size / 2), 4096);
    EXPECT_EQ(read, middle);
    EXPECT_EQ(::pread(in, read.data(), read.size(), size / 4), 4096);
    EXPECT_EQ(read, std::string(4096, '\0'));
    ::close(in);
#endif
}

TEST(TemporaryCopyName, IsTheProgramsOwnAndNoUsersName) {
    const std::string name = temporaryCopyName();
    EXPECT_TRUE(isTemporaryCopyName(name)) << name;
    EXPECT_NE(temporaryCopyName(), name);
    std::string wrongCheck = name;
    wrongCheck.back() = wrongCheck.back() == '0' ? '1' : '0';
    for (const std::string& other :
         {wrongCheck, std::string(".kestrel-partial-0123456789abcdef"),
          std::string(".kestrel-tmp-0123456789abcdef-00000000"), name + ".txt", std::string("report.txt")})
        EXPECT_FALSE(isTemporaryCopyName(other)) << other;
}

// Only the program's own leftovers go: a user's file of a similar name, a link and a folder of
// the program's form stay.
TEST(RemoveLeftoverCopies, RemovesWhatAKilledRunLeftAndNothingElse) {
    TempDir dir;
    const std::string folder = dir.createFolder("dst");
    const std::string leftover = temporaryCopyName();
    const std::string linkName = temporaryCopyName();
    const std::string folderName = temporaryCopyName();
    dir.createFile("dst/" + leftover, "half a copy");
    dir.createFile("dst/.kestrel-partial-0123456789abcdef", "a user's file");
    dir.createFile("dst/keep.txt", "a copy");
    dir.createFile("outside.txt", "outside");
    if (!MakeSymlink(dir.path("outside.txt"), folder + linkName))
        GTEST_SKIP() << kNoSymlinks;
    dir.createFolder("dst/" + folderName);

    Error error;
    EXPECT_EQ(removeLeftoverCopies(Folder(folder), &error), 1);

    EXPECT_FALSE(error);
    std::vector<std::string> expected = {".kestrel-partial-0123456789abcdef", "keep.txt", linkName,
                                         folderName};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(NamesIn(folder), expected);
    EXPECT_EQ(dir.readFile("outside.txt"), "outside");
}

// A run mark tells the next run whether the one before ended; it is of the temporary form and
// outlives the look for leftovers, which is the marking run's own.
TEST(RunMark, IsFoundByTheNextRunAndKeptByTheLookForLeftovers) {
    TempDir dir;
    const std::string folder = dir.createFolder("dst");
    const DirectoryHandle root = Folder(folder);
    EXPECT_FALSE(hasRunMark(root));

    EXPECT_FALSE(markRunUnderWay(root)) << "no run was under way";
    EXPECT_TRUE(hasRunMark(root));
    ASSERT_EQ(NamesIn(folder).size(), 1u);
    EXPECT_TRUE(isTemporaryCopyName(NamesIn(folder)[0]));
    EXPECT_EQ(removeLeftoverCopies(root), 0);
    EXPECT_TRUE(markRunUnderWay(root)) << "the earlier run never cleared its mark";

    clearRunMark(root);
    EXPECT_FALSE(hasRunMark(root));
    EXPECT_TRUE(NamesIn(folder).empty());
}

// A copy killed part-way (the process gone, nothing cleaned up) leaves the earlier copy whole
// and nothing else in the folder.
TEST(CopyFileInto, AKilledCopyLeavesTheEarlierCopyWholeAndNothingElse) {
#ifdef _WIN32
    GTEST_SKIP() << "killing a copy part-way needs fork(), which Windows has not";
#else
    TempDir dir;
    const std::string source = dir.createFile("big.bin", Version(8 * kMiB, 'N'));
    const std::string target = dir.createFile("backup/big.bin", "the previous backup copy");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CopyFaultGuard hold(CopyFaultGuard::HoldAfter(kMiB, [&] {
            const char byte = 1;
            (void)::write(ready[1], &byte, 1);
            for (;;)
                ::pause();
        }));
        copyFileInto(source, Folder(dir.path("backup/")), "big.bin");
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1) << "the copy reached its first MiB";
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(ready[0]);
    ::close(ready[1]);

    EXPECT_EQ(dir.readFile("backup/big.bin"), "the previous backup copy");
    EXPECT_EQ(NamesIn(dir.path("backup/")), std::vector<std::string>{"big.bin"});
#endif
}

TEST(FlushFileSystem, WritesTheFolderFileSystemOut) {
    TempDir dir;
    dir.createFile("a.txt", "data");
    EXPECT_FALSE(flushFileSystem(Folder(dir.path())));
}

} // namespace
