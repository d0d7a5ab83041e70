#include "support/Unprivileged.h"
#include "support/TempDir.h"

#include "platform/ProgramPaths.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrel::testing {
namespace {

TEST(RunAsUnprivileged, TheBodyRunsWithoutRootAndCanChangeTheTreeHandedOver) {
    TempDir dir;
    dir.createFile("made-by-the-test/a.txt", "a");
    RunAsUnprivileged({dir.path()}, [&] {
        EXPECT_NE(::geteuid(), 0u);
        EXPECT_NE(::getegid(), 0u);
        EXPECT_EQ(::chmod(dir.path("made-by-the-test").c_str(), 0500), 0);
        EXPECT_EQ(::open(dir.path("made-by-the-test/b.txt").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644),
                  -1)
            << "the folder is read-only to its owner";
        EXPECT_EQ(::access(dir.path("made-by-the-test/a.txt").c_str(), W_OK), 0);
        EXPECT_EQ(::chmod(dir.path("made-by-the-test").c_str(), 0700), 0);
        dir.createFile("by-the-user.txt", "u");
    });
    EXPECT_EQ(dir.readFile("by-the-user.txt"), "u");
}

TEST(RunAsUnprivileged, FailuresOfTheBodyAreFailuresOfTheTestWithTheirText) {
    EXPECT_NONFATAL_FAILURE(RunAsUnprivileged([] { EXPECT_EQ(1 + 1, 3) << "marker of the body"; }),
                            "marker of the body");
    EXPECT_NONFATAL_FAILURE(RunAsUnprivileged([] { FAIL() << "fatal in the body"; }), "fatal in the body");
}

TEST(RunAsUnprivileged, ABodyThatDiesOrLeavesIsAFailure) {
    EXPECT_NONFATAL_FAILURE(RunAsUnprivileged([] { std::abort(); }), "killed by signal");
    EXPECT_NONFATAL_FAILURE(RunAsUnprivileged([] { std::exit(3); }), "ended with status 3");
}

TEST(RunAsUnprivileged, WhatTheBodyChangesInMemoryStaysInItsProcess) {
    int changed = 0;
    RunAsUnprivileged([&changed] { changed = 1; });
    EXPECT_EQ(changed, 0);
}

TEST(RunAsUnprivileged, TheBodyReadsTheProgramsDataFilesWhereverTheBuildLies) {
    TempDir dir;
    // A build in a folder that only its owner enters, as a clone in root's home (mode 0700).
    const std::string build = dir.createFolder("home/build");
    dir.createFile("home/build/zbk.dat", "1=One\n");
    dir.createFile("home/build/zbk_help.txt", "Help");
    ASSERT_EQ(::chmod(dir.path("home").c_str(), 0700), 0);
    platform::setProgramFolder(build);
    RunAsUnprivileged([] {
        for (const char* name : {"zbk.dat", "zbk_help.txt"}) {
            std::ifstream in(platform::programFolder() + name, std::ios::binary);
            EXPECT_TRUE(in.is_open()) << name;
            std::ostringstream text;
            text << in.rdbuf();
            EXPECT_EQ(text.str(), std::string(name) == "zbk.dat" ? "1=One\n" : "Help") << name;
        }
    });
    platform::setProgramFolder("");
}

} // namespace
} // namespace kestrel::testing
