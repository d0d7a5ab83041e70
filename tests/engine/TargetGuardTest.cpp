#include "engine/TargetGuard.h"
#include "engine/DeleteAllBackupFiles.h"
#include "engine/FolderOperation.h"

#include "EngineFixture.h"
#include "modules/Language.h"
#include "support/EnvironmentGuard.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace kestrel {
namespace {

using testing::CopyFaultGuard;
using testing::EngineTest;
using testing::EnvironmentGuard;
using testing::Native;

const std::string kTwoLineBreaks = "\r\n\r\n";

struct PairCase {
    const char* name;
    const char* source; // below the temporary folder; "" leaves the source as the fixture made it
    const char* target;
    int code;
    bool insideMessage; // the message names the source and says it lies inside the target
};

// The driver applies the folder rules to every run, on the real folders: a link leads to the
// folder it names, and a folder is the same folder whatever path reaches it.
class FolderPairRuleTest : public EngineTest, public ::testing::WithParamInterface<PairCase> {
protected:
    FolderPairRuleTest() : xdg_("XDG_DATA_HOME") {
        kestrel::testing::SetEnvironment("XDG_DATA_HOME", dir.path("data"));
        dir.createFile("src/a/f.txt", "f");
        dir.createFile("src/a/b/g.txt", "g");
        dir.createFile("data/Trash/files/old/h.txt", "h");
        kestrel::testing::MakeSymlink(dir.path("src"), dir.path("linkToSrc"));
        kestrel::testing::MakeSymlink(dir.path("data/Trash/files"), dir.path("linkToTrash"));
        state.blnScheduledTask = true;
        setup.chkIncludeSubfolders = 1;
        Include({Native("a/")});
    }

    EnvironmentGuard xdg_;
    OperationContext context{setup, state, ui, report};
};

TEST_P(FolderPairRuleTest, RefusesTheBrokenRuleBeforeTouchingAnything) {
    const PairCase& pair = GetParam();
    const std::string name = pair.name;
    if (name.find("Link") != std::string::npos && !kestrel::testing::CanMakeSymlinks())
        GTEST_SKIP() << kestrel::testing::kNoSymlinks;
    if (name.find("Trash") != std::string::npos)
        SKIP_ON_WINDOWS("the trash folder of a POSIX desktop; Windows disks keep recycle bins");
    setup.txbDirectory[0] = dir.path(pair.source);
    setup.txbDirectory[1] = dir.path(pair.target);

    const int code = BackupAll();

    EXPECT_EQ(code, pair.code) << resultText;
    if (pair.code == intResultFolderPairRefused) {
        const std::string expected =
            pair.insideMessage ? setup.txbDirectory[0] + kTwoLineBreaks + GetProgramText(25) : resultText;
        EXPECT_EQ(resultText, expected);
        EXPECT_FALSE(dir.exists("src/a/a")) << "the source was backed up into itself";
        EXPECT_FALSE(dir.exists("src/src"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, FolderPairRuleTest,
    ::testing::Values(
        PairCase{"SameFolder", "src/", "src/", intResultFolderPairRefused, false},
        PairCase{"SameFolderThroughALink", "linkToSrc/", "src/", intResultFolderPairRefused, false},
        PairCase{"SourceInsideTarget", "src/a/", "src/", intResultFolderPairRefused, true},
        PairCase{"SourceInsideTargetThroughALink", "linkToSrc/a/", "src/", intResultFolderPairRefused, true},
        PairCase{"SourceInTheTrash", "data/Trash/files/old/", "tgt/", intResultFolderPairRefused, false},
        PairCase{"TargetInTheTrashThroughALink", "src/", "linkToTrash/", intResultFolderPairRefused, false},
        PairCase{"TargetInsideSourceIsAccepted", "src/", "src/a/b/", intResultDone, false},
        PairCase{"SeparateFoldersAreAccepted", "src/", "tgt/", intResultDone, false}),
    [](const ::testing::TestParamInfo<PairCase>& info) { return std::string(info.param.name); });

TEST_F(FolderPairRuleTest, EachRuleShowsTheWindowsMessage) {
    EXPECT_EQ(FolderPairMessage(FolderPairRule::SameFolder, "/s/"), GetProgramText(24));
    EXPECT_EQ(FolderPairMessage(FolderPairRule::SourceInsideTarget, "/s/a/"),
              "/s/a/" + kTwoLineBreaks + GetProgramText(25));
    EXPECT_EQ(FolderPairMessage(FolderPairRule::RecycleBin, "/s/"),
              "A recycle bin cannot be a backup source or target.");

    state.blnScheduledTask = false;
    UseReportFile();
    setup.txbDirectory[1] = source;
    ASSERT_EQ(BackupModified(), intResultFolderPairRefused);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, GetProgramText(24));
    EXPECT_EQ(ui.messages()[0].icon, MessageIcon::Exclamation);
}

// A deletion of a target that holds the setup's source would delete the source's originals.
TEST_F(FolderPairRuleTest, ADeletionOfATargetHoldingTheSourceIsRefused) {
    setup.txbDirectory[0] = dir.path("src/a/");
    setup.txbDirectory[1] = source;
    setup.chkDisableOutputToFile = 1;
    setup.txbReportFile = dir.path("report.txt");

    const DeletionResult result = DeleteAllBackupFiles(context);

    EXPECT_EQ(result.outcome, DeletionOutcome::NotStarted);
    EXPECT_EQ(dir.readFile("src/a/f.txt"), "f");
    ASSERT_FALSE(ui.messages().empty());
    EXPECT_EQ(ui.messages().back().text, setup.txbDirectory[0] + kTwoLineBreaks + GetProgramText(25));
}

// While an operation holds the target, a second one refuses at once and touches nothing.
class TargetLockTest : public EngineTest {
protected:
    TargetLockTest() {
        state.blnScheduledTask = true;
        Src("new.txt", "new");
        Tgt("old.txt", "old");
        UseReportFile();
        EXPECT_TRUE(held.Acquire(target));
    }
    TargetLock held;
    OperationContext context{setup, state, ui, report};
};

TEST_F(TargetLockTest, ABackupOrCheckOfATargetInUseIsRefused) {
    EXPECT_EQ(BackupAll(), intResultTargetInUse);
    EXPECT_EQ(resultText, TargetInUseMessage());
    EXPECT_EQ(CheckState(), intResultTargetInUse);
    EXPECT_FALSE(dir.exists("tgt/new.txt"));
    EXPECT_FALSE(dir.exists("report.txt"));
}

TEST_F(TargetLockTest, ADeletionOfATargetInUseIsRefused) {
    state.blnScheduledTask = false;
    const DeletionResult result = DeleteAllBackupFiles(context);
    EXPECT_EQ(result.outcome, DeletionOutcome::NotStarted);
    EXPECT_EQ(dir.readFile("tgt/old.txt"), "old");
    ASSERT_FALSE(ui.messages().empty());
    EXPECT_EQ(ui.messages().back().text, TargetInUseMessage());
}

TEST_F(TargetLockTest, TheLockEndsWithItsOperation) {
    TargetLock second;
    EXPECT_FALSE(second.Acquire(target));
    held = TargetLock();
    EXPECT_TRUE(second.Acquire(target));
    EXPECT_EQ(GetProgramText(430), TargetInUseMessage());
    EXPECT_FALSE(TargetInUseMessage().empty());
}

// One unattended backup of all files with its own setup, state, user and report, as a second
// window, instance or command-line run has them.
struct SeparateBackup {
    explicit SeparateBackup(const kestrel::Setup& from) : setup(from) {
        state.blnScheduledTask = true;
        report.setFreeSpaceFunction([](const std::string&) { return 1e12; });
    }
    int Run() { return cmdBackupAllFiles_MouseUp(setup, state, ui, report, &resultText); }

    kestrel::Setup setup;
    OperationState state;
    testing::ScriptedInteraction ui{&state};
    ReportModel report{state, setup, ui};
    std::string resultText;
};

class TwoBackupsTest : public EngineTest {
protected:
    TwoBackupsTest() {
        for (int i = 0; i < kFiles; ++i)
            Src("f" + std::to_string(i) + ".bin", Content(i));
    }
    static constexpr int kFiles = 4;
    static std::string Content(int i) { return std::string(64 * 1024 + i, static_cast<char>('a' + i)); }

    void ExpectEveryCopyWhole() {
        for (int i = 0; i < kFiles; ++i) {
            const std::string name = "tgt/f" + std::to_string(i) + ".bin";
            if (dir.exists(name)) {
                EXPECT_EQ(dir.readFile(name), Content(i)) << name;
            }
        }
    }
};

// The first backup is held inside its first copy while the second starts: the second refuses
// at once, and the first then completes with every copy whole.
TEST_F(TwoBackupsTest, TheSecondRefusesWhileTheFirstIsInsideACopy) {
    std::mutex mutex;
    std::condition_variable changed;
    bool inCopy = false;
    bool release = false;
    CopyFaultGuard fault([&](const std::string&, const std::string&) {
        std::unique_lock<std::mutex> lock(mutex);
        if (!inCopy) {
            inCopy = true;
            changed.notify_all();
            changed.wait_for(lock, std::chrono::seconds(60), [&] { return release; });
        }
        return platform::Error{};
    });
    SeparateBackup first(setup);
    SeparateBackup second(setup);
    int firstCode = 1;
    std::thread worker([&] { firstCode = first.Run(); });
    {
        std::unique_lock<std::mutex> lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(60), [&] { return inCopy; }));
    }
    const int secondCode = second.Run();
    {
        std::lock_guard<std::mutex> lock(mutex);
        release = true;
    }
    changed.notify_all();
    worker.join();

    EXPECT_EQ(secondCode, intResultTargetInUse);
    EXPECT_EQ(second.resultText, TargetInUseMessage());
    EXPECT_EQ(second.state.lngTotalNumFilesCopied, 0);
    EXPECT_EQ(firstCode, intResultDone);
    EXPECT_EQ(first.state.lngTotalNumFilesCopied, kFiles);
    ExpectEveryCopyWhole();
}

// Two backups started together, over and over: each either runs whole or refuses as a whole;
// no copy is ever torn.
TEST_F(TwoBackupsTest, StartedTogetherOneRefusesOrTheyRunInTurnAndEveryCopyIsWhole) {
    int refusals = 0;
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        SeparateBackup first(setup);
        SeparateBackup second(setup);
        int firstCode = 1;
        int secondCode = 1;
        std::thread a([&] { firstCode = first.Run(); });
        std::thread b([&] { secondCode = second.Run(); });
        a.join();
        b.join();
        for (const auto& [code, run] : {std::pair{firstCode, &first}, std::pair{secondCode, &second}}) {
            EXPECT_TRUE(code == intResultDone || code == intResultTargetInUse)
                << code << " " << run->resultText;
            if (code == intResultDone)
                EXPECT_EQ(run->state.lngTotalNumFilesCopied, kFiles);
            else
                EXPECT_EQ(run->state.lngTotalNumFilesCopied, 0);
        }
        EXPECT_FALSE(firstCode == intResultTargetInUse && secondCode == intResultTargetInUse);
        refusals += (firstCode == intResultTargetInUse) + (secondCode == intResultTargetInUse);
        ExpectEveryCopyWhole();
        if (HasFailure())
            return;
    }
    RecordProperty("refusals", refusals);
}

} // namespace
} // namespace kestrel
