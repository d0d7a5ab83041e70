#include "EngineFixture.h"

#include "engine/CopyProgressRelay.h"
#include "modules/Language.h"

#include <algorithm>
#include <cerrno>
#include <vector>

namespace kestrel::testing {
namespace {

constexpr std::int64_t kMiB = 1 << 20;

std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<platform::DirectoryEntry> entries;
    platform::Error error;
    EXPECT_TRUE(platform::readDirectory(folder, entries, error));
    std::vector<std::string> names;
    for (const platform::DirectoryEntry& entry : entries)
        names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
}

// The disk fills after the first MiB of a 10 MiB file: the earlier copy stays, nothing of the new
// one is left, and the report names the file and says the disk is full.
TEST_F(EngineTest, ADiskFilledPartWayThroughAFileKeepsItsEarlierCopyAndSaysDiskFull) {
    for (int errnoValue : {ENOSPC, EIO}) {
        SCOPED_TRACE(errnoValue);
        TempDir local;
        setup.txbDirectory = {local.createFolder("src"), local.createFolder("tgt")};
        setup.txbReportFile = local.path("report.txt");
        local.createFile("src/big.bin", std::string(10 * kMiB, 'N'), At(3, 1, 9, 0));
        local.createFile("tgt/big.bin", "old version", At(2, 1, 9, 0));
        state.blnScheduledTask = true;
        CopyFaultGuard fault(CopyFaultGuard::FailAfter(kMiB, errnoValue));

        ASSERT_EQ(BackupModified(), intResultDone);

        EXPECT_EQ(local.readFile("tgt/big.bin"), "old version");
        EXPECT_EQ(NamesIn(local.path("tgt/")), std::vector<std::string>{"big.bin"});
        EXPECT_EQ(state.lngTotalNumCopyErrors, 1);
        EXPECT_EQ(state.lngTotalNumFilesCopied, 0);
        const std::string reason = GetProgramText(errnoValue == ENOSPC ? 1110 : 1302);
        EXPECT_NE(reason.find(errnoValue == ENOSPC ? "Disk full" : "Device I/O error"), std::string::npos);
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
