#include "EngineFixture.h"

#include "engine/CopyProgressRelay.h"
#include "modules/Language.h"

#include <algorithm>
#include <cerrno>
#include <vector>

namespace kestrel::testing {
namespace {

constexpr std::int64_t kMiB = 1 << 20;

// A copy that fails inside the file or before its first byte: the earlier copy stays, nothing
// of the new one is left, and the report names the file with the reason the copy really failed
// (a full disk is never worded as a write-protected folder, nor the other way round).
TEST_F(EngineTest, ACopyThatFailsKeepsItsEarlierCopyAndTheReportGivesItsRealReason) {
    struct Case {
        const char* what;
        int errnoValue;          // the write fails so once afterBytes are written
        std::int64_t afterBytes; // -1: the copy is refused before its first byte with `before`
        int before;              // the error number of that refusal
        bool earlierCopy;
        int reasonText;
        const char* reasonNames;
    };
    const Case cases[] = {
        {"disk filled inside the file", ENOSPC, kMiB, 0, true, 1110, "Disk full"},
        {"disk filled, no earlier copy", ENOSPC, kMiB, 0, false, 1111, "Disk full"},
#ifdef EDQUOT
        {"quota reached", EDQUOT, 0, 0, false, 1111, "Disk full"},
#endif
        {"disk fault", EIO, kMiB, 0, true, 1302, "Device I/O error"},
        {"target write denied", EACCES, 0, 0, true, 172, "write-protected"},
        {"disk full before the first byte", 0, -1, platform::err::DiskFull, false, 1111, "Disk full"},
        {"target denied before the first byte", 0, -1, platform::err::PermissionDenied, true, 172,
         "write-protected"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir local;
        setup.txbDirectory = {local.createFolder("src"), local.createFolder("tgt")};
        setup.txbReportFile = local.path("report.txt");
        local.createFile("src/big.bin", std::string(10 * kMiB, 'N'), At(3, 1, 9, 0));
        if (c.earlierCopy)
            local.createFile("tgt/big.bin", "old version", At(2, 1, 9, 0));
        state.blnScheduledTask = true;
        platform::CopyFaultPlan plan = CopyFaultGuard::FailAfter(c.afterBytes, c.errnoValue);
        if (c.afterBytes < 0)
            plan.beforeData = [&c](const std::string&, const std::string&) {
                return platform::Error::of(c.before);
            };
        CopyFaultGuard fault(std::move(plan));

        ASSERT_EQ(BackupModified(), intResultDone);

        if (c.earlierCopy)
            EXPECT_EQ(local.readFile("tgt/big.bin"), "old version");
        EXPECT_EQ(NamesIn(local.path("tgt/")),
                  c.earlierCopy ? std::vector<std::string>{"big.bin"} : std::vector<std::string>{});
        EXPECT_EQ(state.lngTotalNumCopyErrors, 1);
        EXPECT_EQ(state.lngTotalNumFilesCopied, 0);
        const std::string reason = GetProgramText(c.reasonText);
        EXPECT_NE(reason.find(c.reasonNames), std::string::npos) << reason;
        EXPECT_NE(local.readFile("report.txt")
                      .find("      " + GetProgramText(79) + " " + local.path("src/big.bin") + "  " + reason),
                  std::string::npos)
            << local.readFile("report.txt");
    }
}

// Cancel pressed while a large file is copied stops the copy there: the file's earlier copy
// stays, no further file is copied, and the operation ends as cancelled with its summary.
TEST_F(EngineTest, ACancelInsideALargeFileEndsTheOperationAndKeepsTheEarlierCopy) {
    Src("a-big.bin", std::string(10 * kMiB, 'N'), At(3, 1, 9, 0));
    Tgt("a-big.bin", "old version", At(2, 1, 9, 0));
    Src("b-small.txt", "new file", At(3, 1, 9, 0));
    UseReportFile();
    ui.answerConfirm(true);
    CopyFaultGuard fault(CopyFaultGuard::HoldAfter(kMiB, [this] { state.blnStop = true; }));

    ASSERT_EQ(BackupModified(), intResultDone);

    EXPECT_EQ(dir.readFile("tgt/a-big.bin"), "old version");
    EXPECT_EQ(NamesIn(target), std::vector<std::string>{"a-big.bin"});
    EXPECT_EQ(state.lngTotalNumFilesCopied, 0);
    EXPECT_EQ(state.lngTotalNumCopyErrors, 0) << "a cancel is no failed copy";
    const std::string report = ReportFileText();
    EXPECT_NE(report.find(GetProgramText(49)), std::string::npos) << report;
    EXPECT_EQ(report.find(GetProgramText(79)), std::string::npos) << report;
}

// What the user is shown inside a file's copy: the file, how far it is, and the operation's
// totals so far; and the user's stop reaches the copy.
TEST(CopyProgressRelay, PassesTheOperationsTotalsAndTheUsersStop) {
    struct Recorder : ScriptedInteraction {
        using ScriptedInteraction::ScriptedInteraction;
        void ReportCopyProgress(const CopyProgress& progress) override { seen.push_back(progress); }
        std::vector<CopyProgress> seen;
    };
    OperationState state;
    Recorder ui{&state};
    state.lngTotalNumFilesCopied = 4;
    state.dblTotalFilesize = 1000;
    const platform::CopyProgressCallback relay = CopyProgressRelay(ui, state, "/src/big.bin");

    EXPECT_EQ(relay({250, 500}), platform::CopyDecision::Continue);
    state.blnStop = true;
    EXPECT_EQ(relay({500, 500}), platform::CopyDecision::Stop);

    ASSERT_EQ(ui.seen.size(), 2u);
    EXPECT_EQ(ui.seen[0].sourcePath, "/src/big.bin");
    EXPECT_EQ(ui.seen[0].fileBytesDone, 250);
    EXPECT_EQ(ui.seen[0].fileBytesTotal, 500);
    EXPECT_EQ(ui.seen[0].operationFilesCopied, 4);
    EXPECT_EQ(ui.seen[0].operationBytesCopied, 1250);
}

} // namespace
} // namespace kestrel::testing
