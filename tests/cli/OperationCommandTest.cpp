#include "cli/CliFolderFixture.h"
#include "cli/CliRun.h"
#include "cli/commands/Cli.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/NumberFormat.h"
#include "support/CopyFaultGuard.h"
#include "support/TempDir.h"
#include "support/Unprivileged.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <sys/stat.h>

using kestrel::testing::CliRun;
using kestrel::testing::run;
using kestrel::testing::RunAsUnprivileged;
using kestrel::testing::TempDir;
namespace platform = kestrel::platform;

namespace {

using OperationCommandTest = kestrel::testing::CliFolderTest;

// Every regular file below `root`, with its content and modification time.
std::map<std::string, std::pair<std::string, std::int64_t>> treeOf(const std::string& root) {
    std::map<std::string, std::pair<std::string, std::int64_t>> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::u8string path = entry.path().u8string();
        files[std::string(path.begin() + static_cast<std::ptrdiff_t>(root.size()), path.end())] = {
            content, platform::statPath(std::string(path.begin(), path.end())).mtimeSeconds};
    }
    return files;
}

} // namespace

TEST_F(OperationCommandTest, BackupOfAnAwkwardTreeMirrorsItAndASecondRunCopiesNothing) {
    std::vector<std::string> names = {"plain.txt",           "with blank.doc",
                                      "comma, and more.txt", "-leading-dash",
                                      "Größe ü.txt",         "\xe6\x96\x87\xe6\xa1\xa3 \xd0\xb4.txt",
                                      std::string(255, 'n'), "empty"};
#ifndef _WIN32
    // Names a POSIX file system takes and Windows refuses.
    for (const char* name :
         {"quote \"x\" 'y'.txt", "new\nline.txt", "back\\slash.txt", "\xff\xfe not utf-8.bin"})
        names.push_back(name);
#endif
    std::int64_t time = 1700000000;
    for (const std::string& name : names)
        dir.createFile("src/Docs/" + name, name == "empty" ? "" : "content of " + name, time++);
    dir.createFile("src/Docs/deep/er/still/file.txt", "deep", time);
    dir.createFile("src/Big/large.bin", std::string(3 << 20, 'L'), time);
    Save();

    CliRun first = run({"backup", setupFile, "--yes"});
    ASSERT_EQ(first.status, 0) << first.err << first.out;
    EXPECT_EQ(treeOf(source), treeOf(target));
    EXPECT_NE(first.out.find("Number of files copied: " + std::to_string(names.size() + 2)),
              std::string::npos)
        << first.out;

    CliRun second = run({"backup", setupFile, "--yes"});
    EXPECT_EQ(second.status, 0);
    EXPECT_NE(second.out.find("Number of files copied: 0"), std::string::npos) << second.out;
}

TEST_F(OperationCommandTest, CheckAndListReportWithoutCopying) {
    dir.createFile("src/A/one.txt", "1");
    dir.createFile("src/B/two.txt", "22");
    dir.createFile("dst/B/two.txt", "22");
    Save();
    CliRun check = run({"check", setupFile, "--yes"});
    EXPECT_EQ(check.status, 0) << check.err;
    EXPECT_NE(check.out.find("one.txt (new)"), std::string::npos) << check.out;
    EXPECT_FALSE(std::filesystem::exists(target + "A"));

    CliRun list = run({"list", setupFile, "--yes"});
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_NE(list.out.find("Number of folders: "), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("Sum of file sizes: "), std::string::npos);

    ASSERT_EQ(run({"backup", setupFile, "--yes"}).status, 0);
    EXPECT_NE(run({"check", setupFile, "--yes"}).out.find("All files backed up."), std::string::npos);
}

TEST_F(OperationCommandTest, ExitStatusTellsHowTheRunEnded) {
    dir.createFile("src/A/one.txt", "1");
    dir.createFile("src/A/two.txt", "2");
    Save();
    EXPECT_EQ(run({"backup", setupFile, "--yes", "--target", dir.path("missing")}).status, 2);
    EXPECT_EQ(run({"check", setupFile, "--all"}).status, 2);

    {
        kestrel::testing::CopyFaultGuard fault([](const std::string&, const std::string&) {
            return platform::Error::of(platform::err::DeviceIo);
        });
        CliRun failing = run({"backup", setupFile, "--yes"});
        EXPECT_EQ(failing.status, 1) << failing.out;
    }

    EXPECT_EQ(run({"backup", setupFile, "--yes"}).status, 0);
}

// --skip typed in small letters passes over what is named in capitals, in any alphabet, and the
// other way round; what the fragments do not name is backed up.
TEST_F(OperationCommandTest, SkipMatchesTheCapitalsOfEveryAlphabet) {
    dir.createFile("src/Trips/ŁÓDŹ/plan.txt", "p");
    dir.createFile("src/Trips/ΑΘΗΝΑ.txt", "a");
    dir.createFile("src/Trips/Kraków.txt", "k");
    dir.createFile("src/Trips/ΣΠΑΡΤΗ.txt", "s");
    Save({"--skip", "łódź,αθηνα,KRAKÓW"});

    const CliRun result = run({"backup", setupFile, "--yes"});

    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_TRUE(dir.exists("dst/Trips/ΣΠΑΡΤΗ.txt"));
    for (const char* skipped : {"dst/Trips/ŁÓDŹ", "dst/Trips/ΑΘΗΝΑ.txt", "dst/Trips/Kraków.txt"})
        EXPECT_FALSE(dir.exists(skipped)) << skipped;
}

// What the user running the tool may not read or write is a failure the exit status tells.
TEST_F(OperationCommandTest, PermissionFailuresAreToldByTheExitStatus) {
    dir.createFile("src/A/secret.txt", "s");
    dir.createFile("src/A/open.txt", "o");
    Save();
    RunAsUnprivileged({dir.path()}, [&] {
        ASSERT_EQ(::chmod(dir.path("src/A/secret.txt").c_str(), 0), 0);
        const CliRun unreadable = run({"backup", setupFile, "--yes"});
        EXPECT_EQ(unreadable.status, 1) << unreadable.out;
        EXPECT_FALSE(std::filesystem::exists(dir.path("dst/A/secret.txt")));
        EXPECT_TRUE(std::filesystem::exists(dir.path("dst/A/open.txt")));

        ASSERT_EQ(::chmod(target.c_str(), 0555), 0);
        const CliRun readOnly = run({"backup", setupFile, "--yes"});
        EXPECT_EQ(readOnly.status, 2) << readOnly.out << readOnly.err;
        ::chmod(target.c_str(), 0755);
    });
}

TEST_F(OperationCommandTest, ReportFileHoldsTheLinesOfStandardOutputWithCrLf) {
    dir.createFile("src/A/one.txt", "1");
    std::string report = dir.path("report.txt");
    Save({"--report", report});
    CliRun result = run({"backup", setupFile, "--yes"});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string file = dir.readFile("report.txt");
    EXPECT_EQ(file.rfind("Current date/time: 2024-03-09 14:05:33\r\n", 0), 0u);
    EXPECT_EQ(kestrel::testing::reportLinesOf(file, "\r\n"),
              kestrel::testing::reportLinesOf(result.out, "\n"));
}
