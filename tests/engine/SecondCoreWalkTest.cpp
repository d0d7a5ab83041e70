#include "EngineFixture.h"

#include "engine/BothSidesStatus.h"
#include "platform/FileCopy.h"
#include "platform/ReadAhead.h"
#include "support/Gate.h"

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace kestrel::testing {
namespace {

// What an operation left: its report on screen and in the file, its counts.
struct Outcome {
    int result = 0;
    std::string screen;
    std::string file;
    std::string counts;

    bool operator==(const Outcome&) const = default;
};

class SecondCoreWalkTest : public EngineTest {
protected:
    // The same tree at the same paths, every time: folders of files new,
    // modified, older, unchanged and gone from the target, a link to a file, a
    // folder the target does not have.
    void MakeTree() {
        std::filesystem::remove_all(source);
        std::filesystem::remove_all(target);
        std::filesystem::remove(dir.path("report.txt"));
        dir.createFolder("src");
        dir.createFolder("tgt");
        for (int folder = 0; folder < 6; ++folder) {
            const std::string f = "folder " + std::to_string(folder) + "/";
            for (int i = 0; i < 70; ++i) {
                const std::string name = f + "file " + std::to_string(i) + ".txt";
                const std::string content(static_cast<std::size_t>(100 + 37 * i),
                                          static_cast<char>('a' + i % 26));
                Src(name, content, At(3, 1, 9, i % 60));
                switch ((i + folder) % 5) {
                case 0: // unchanged
                    Tgt(name, content, At(3, 1, 9, i % 60));
                    break;
                case 1: // modified since its copy
                    Tgt(name, "old", At(2, 1, 9, 0));
                    break;
                case 2: // the copy is newer
                    Tgt(name, content, At(3, 2, 9, 0));
                    break;
                default: // new
                    break;
                }
            }
        }
        Src("folder 2/deeper/only here.txt", "deep", At(3, 1, 9, 0));
        Tgt("gone from the source.txt", "x", At(1, 1, 9, 0));
        if (CanMakeSymlinks())
            MakeSymlink(dir.path("src/folder 0/file 1.txt"), dir.path("src/folder 1/a link.txt"));
    }

    Outcome Run(int (SecondCoreWalkTest::*operation)()) {
        MakeTree();
        report.SetText("");
        Outcome outcome;
        outcome.result = (this->*operation)();
        outcome.screen = report.Text();
        outcome.file = ReportFileText();
        outcome.counts =
            std::to_string(state.lngTotalNumFiles) + " " + std::to_string(state.lngTotalNumNewFiles) + " " +
            std::to_string(state.lngTotalNumModifiedFiles) + " " +
            std::to_string(state.lngTotalNumFilesCopied) + " " + std::to_string(state.lngTotalNumCopyErrors) +
            " " + std::to_string(state.intNumWarnings);
        return outcome;
    }
};

// The read-ahead and the target's statuses read on the second core change
// nothing a user sees: the report of each operation is the same to the byte as
// that of a walk on one core.
TEST_F(SecondCoreWalkTest, EveryOperationReportsTheSameWithOrWithoutTheSecondCore) {
    struct Case {
        const char* what;
        int (SecondCoreWalkTest::*operation)();
        bool details;
        bool warnOlder;
    };
    const Case cases[] = {
        {"backup of all files", &SecondCoreWalkTest::BackupAll, true, false},
        {"backup of new and modified files", &SecondCoreWalkTest::BackupModified, true, false},
        {"backup of new and modified files, older ones warned of", &SecondCoreWalkTest::BackupModified, true,
         true},
        {"backup of new and modified files without details", &SecondCoreWalkTest::BackupModified, false,
         false},
        {"check of the backup's state", &SecondCoreWalkTest::CheckState, true, false},
    };
    Include({"folder 0", "folder 1", "folder 2", "folder 3", "folder 4", "folder 5"});
    setup.chkIncludeSubfolders = 1;
    UseReportFile();
    state.blnScheduledTask = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        setup.chkSuppressDetailedReports = c.details ? 0 : 1;
        setup.chkWarnIfEarlier = c.warnOlder ? 1 : 0;
        Outcome oneCore;
        {
            const ScopedSingleCoreWalkForTesting single(true);
            oneCore = Run(c.operation);
        }
        const Outcome twoCores = Run(c.operation);
        EXPECT_EQ(twoCores.result, oneCore.result);
        EXPECT_EQ(twoCores.counts, oneCore.counts);
        EXPECT_EQ(twoCores.screen, oneCore.screen);
        EXPECT_EQ(twoCores.file, oneCore.file);
        EXPECT_NE(oneCore.counts.rfind("0 ", 0), 0u) << "the walk saw the files: " << oneCore.counts;
    }
}

// Cancel pressed while the read-ahead holds a file further on: the backup
// stops, no file is left open, and the target holds only whole copies (no
// temporary file, no copy cut short).
TEST_F(SecondCoreWalkTest, ACancelDuringTheReadAheadLeavesNothingOpenAndNothingHalfWritten) {
    for (int i = 0; i < 20; ++i)
        Src("file " + std::to_string(100 + i), std::string(64 * 1024, static_cast<char>('a' + i)),
            At(3, 1, 9, 0));
    UseReportFile();
    state.blnScheduledTask = true;
#ifdef __linux__
    const std::size_t before = OpenHandles();
#endif
    const auto reading = Gate::make();
    const auto copying = Gate::make();
    const platform::ScopedReadAheadForTesting readAhead([reading](const std::string& name) {
        if (name == "file 108")
            reading->pass();
    });
    platform::CopyFaultPlan plan;
    plan.beforeData = [copying](const std::string& source, const std::string&) {
        if (source.find("file 103") != std::string::npos)
            copying->pass();
        return platform::Error{};
    };
    CopyFaultGuard fault(std::move(plan));

    int result = 0;
    std::thread operation([&] { result = BackupAll(); });
    ASSERT_TRUE(copying->waitForArrivals());
    ASSERT_TRUE(reading->waitForArrivals());
    state.blnStop = true;
    reading->open();
    copying->open();
    operation.join();

    EXPECT_EQ(result, intResultDone);
    EXPECT_NE(ReportFileText().find(GetProgramText(49)), std::string::npos) << "ends as cancelled";
#ifdef __linux__
    EXPECT_EQ(OpenHandles(), before);
#endif
    const std::vector<std::string> copies = NamesIn(target);
    EXPECT_LT(copies.size(), 20u);
    for (const std::string& name : copies) {
        EXPECT_FALSE(platform::isTemporaryCopyName(name)) << name;
        EXPECT_EQ(dir.readFile("tgt/" + name), dir.readFile("src/" + name)) << name;
    }
}

} // namespace
} // namespace kestrel::testing
