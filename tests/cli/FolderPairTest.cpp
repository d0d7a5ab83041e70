#include "cli/CliRun.h"
#include "engine/TargetGuard.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

using kestrel::testing::CliRun;
using kestrel::testing::run;
using kestrel::testing::TempDir;

namespace {

// Every entry below `root` with its content (files), its type and its permissions.
std::map<std::string, std::pair<std::string, unsigned>> treeOf(const std::string& root) {
    std::map<std::string, std::pair<std::string, unsigned>> tree;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::filesystem::file_status status = entry.symlink_status();
        std::string content;
        if (entry.is_regular_file()) {
            std::ifstream in(entry.path(), std::ios::binary);
            content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        tree[entry.path().string().substr(root.size())] = {content,
                                                           static_cast<unsigned>(status.type()) << 16 |
                                                               static_cast<unsigned>(status.permissions())};
    }
    return tree;
}

struct PairCase {
    const char* name;
    std::vector<std::string> args; // {X} is the folder X below the temporary folder
    const char* message;           // a part of what standard error says
};

class FolderPairTest : public ::testing::TestWithParam<PairCase> {
protected:
    FolderPairTest() {
        dir.createFile("X/a/g.txt", "source g");
        dir.createFile("X/a/a/g.txt", "source a/g");
        dir.createFile("X/other.txt", "other");
        kestrel::testing::MakeSymlink(dir.path("X"), dir.path("linkX"));
    }

    std::vector<std::string> Args(const std::vector<std::string>& pattern) const {
        std::vector<std::string> args;
        for (const std::string& arg : pattern)
            args.push_back(arg.rfind('@', 0) == 0 ? dir.path(arg.substr(1)) : arg);
        return args;
    }

    TempDir dir;
};

// The tool refuses a pair that breaks the folder rules before it touches anything: exit 2, the
// window's message on standard error, every file as it was, no setup file written.
TEST_P(FolderPairTest, IsRefusedWithExitTwoAndNothingChanges) {
    const PairCase& pair = GetParam();
    if (std::string(pair.name).find("Link") != std::string::npos && !kestrel::testing::CanMakeSymlinks())
        GTEST_SKIP() << kestrel::testing::kNoSymlinks;
    const auto before = treeOf(dir.path());

    const CliRun result = run(Args(pair.args));

    EXPECT_EQ(result.status, 2) << result.out << result.err;
    EXPECT_NE(result.err.find(pair.message), std::string::npos) << result.err;
    EXPECT_EQ(treeOf(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, FolderPairTest,
    ::testing::Values(
        PairCase{"SourceInsideTarget",
                 {"backup", "--all", "--source", "@X/a", "--target", "@X", "--include-all", "--subfolders",
                  "--yes", "--no-report"},
                 "lies inside the target folder"},
        PairCase{"SameFolder",
                 {"backup", "--all", "--source", "@X", "--target", "@X", "--include-all", "--subfolders",
                  "--yes", "--no-report"},
                 "cannot be the same"},
        PairCase{"SameFolderThroughALink",
                 {"backup", "--source", "@linkX/", "--target", "@X", "--include-all", "--yes", "--no-report"},
                 "cannot be the same"},
        PairCase{"SourceInsideTargetThroughALink",
                 {"check", "--source", "@linkX/a", "--target", "@X", "--include-all", "--yes"},
                 "lies inside the target folder"},
        PairCase{"DeletionOfATargetHoldingTheSource",
                 {"delete", "--source", "@X/a", "--target", "@X", "--yes", "--no-report"},
                 "lies inside the target folder"},
        PairCase{
            "SavedSetup", {"save", "@s.zbk", "--source", "@X/a", "--target", "@X"}, "lies inside the target"},
        PairCase{"SavedLinkedSetup",
                 {"save", "@s.zbk", "--source", "@X", "--target", "@linkX"},
                 "cannot be the same"}),
    [](const ::testing::TestParamInfo<PairCase>& info) { return std::string(info.param.name); });

// While another operation holds the target, the tool refuses at once with exit 2, whatever
// it was asked to do there, and changes nothing.
TEST(TargetInUse, EveryCommandRefusesWithExitTwo) {
    TempDir dir;
    dir.createFile("src/new.txt", "new");
    dir.createFile("dst/old.txt", "old");
    kestrel::TargetLock held;
    ASSERT_TRUE(held.Acquire(dir.path("dst")));
    const auto before = treeOf(dir.path());
    const std::vector<std::vector<std::string>> commands = {
        {"backup", "--all", "--source", dir.path("src"), "--target", dir.path("dst"), "--yes", "--no-report"},
        {"backup", "--source", dir.path("src"), "--target", dir.path("dst"), "--yes", "--no-report"},
        {"check", "--source", dir.path("src"), "--target", dir.path("dst"), "--yes"},
        {"delete", "--wipe", "--target", dir.path("dst"), "--yes", "--no-report"},
    };
    for (const auto& args : commands) {
        const CliRun result = run(args);
        EXPECT_EQ(result.status, 2) << args[0] << result.out << result.err;
        ASSERT_FALSE(kestrel::TargetInUseMessage().empty());
        EXPECT_NE(result.err.find(kestrel::TargetInUseMessage()), std::string::npos) << result.err;
    }
    EXPECT_EQ(treeOf(dir.path()), before);
}

} // namespace
