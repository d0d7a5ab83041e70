#include "EngineFixture.h"
#include "support/CopyFaults.h"

#include "engine/TargetSpace.h"
#include "modules/Language.h"
#include "platform/Disk.h"

namespace kestrel::testing {
namespace {

const std::string CRLF = "\r\n";

platform::Error DiskFull(const std::string&) {
    return platform::Error::of(platform::err::DiskFull);
}

TEST_F(EngineTest, AFullTargetIsRefusedAsFullNotAsWriteProtected) {
    Src("a.txt", "a");
    UseReportFile();
    platform::ScopedNewFileFaultForTesting full(DiskFull);
    for (const bool silent : {true, false}) {
        SCOPED_TRACE(silent ? "silent" : "attended");
        ui.clearEvents();
        state.intOperation = intOperationBackupModifiedFiles;
        OperationContext context{setup, state, ui, report};
        FolderOperationOptions options;
        options.blnSilent = silent;

        EXPECT_EQ(RunFolderOperation(context, options, resultText), intResultTargetFull);

        EXPECT_EQ(resultText, GetProgramText(1108));
        ASSERT_EQ(ui.messages().size(), silent ? 0u : 1u);
        if (!silent) {
            EXPECT_EQ(ui.messages()[0].text, GetProgramText(1108));
            EXPECT_EQ(ui.messages()[0].icon, MessageIcon::Exclamation);
        }
        EXPECT_FALSE(dir.exists("tgt/a.txt"));
    }
}

// The copy finds the disk full: the report says so, and an older copy stays as it was.
TEST_F(EngineTest, ACopyThatDoesNotFitIsReportedAsDiskFullAndTheOldCopyStays) {
    Src("grown.doc", "the new, longer text", At(3, 8, 10, 0));
    Tgt("grown.doc", "old text", At(3, 1, 10, 0));
    Src("fresh.doc", "new file");
    Src("small.txt", "s");
    UseReportFile();
    state.blnScheduledTask = true;
    const auto fault = FailCopiesOf(".doc", platform::err::DiskFull);

    ASSERT_EQ(BackupModified(), intResultDone);

    const std::string text = ReportFileText();
    EXPECT_NE(text.find(CRLF + "      " + GetProgramText(79) + " " + source + "grown.doc  " +
                        GetProgramText(1110) + CRLF),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(CRLF + "      " + GetProgramText(79) + " " + source + "fresh.doc  " +
                        GetProgramText(1111) + CRLF),
              std::string::npos)
        << text;
    EXPECT_EQ(GetProgramText(1110).rfind("Disk full", 0), 0u);
    EXPECT_EQ(dir.readFile("tgt/grown.doc"), "old text");
    EXPECT_FALSE(dir.exists("tgt/fresh.doc"));
    EXPECT_EQ(dir.readFile("tgt/small.txt"), "s");
    EXPECT_EQ(state.lngTotalNumCopyErrors, 2);
    EXPECT_FALSE(state.blnStop);
}

TEST_F(EngineTest, AReportFileCutShortIsKnownAfterTheRun) {
    Src("a.txt", "a");
    UseReportFile();
    state.blnScheduledTask = true;
    report.setFreeSpaceFunction([](const std::string&) { return 10.0; });

    ASSERT_EQ(BackupAll(), intResultDone);

    EXPECT_NE(ReportFileText().find("DISK FULL!  OUTPUT TERMINATED!"), std::string::npos);
    EXPECT_TRUE(state.blnReportFileCutShort);
}

// The walk asks for the room left before each new file; the disk is read again only when the
// copies since the last reading could have used up most of it, and a refusal is always decided
// on a fresh reading.
TEST_F(EngineTest, TheRoomLeftIsReadAgainOnlyWhenItCouldHaveRunOut) {
    constexpr double kGiB = 1024.0 * 1024 * 1024;
    int readings = 0;
    double free = 10 * kGiB;
    const ScopedTargetDiskSpaceForTesting disk(
        [&](const std::string&, double& freeBytes, double& totalBytes) {
            ++readings;
            freeBytes = free;
            totalBytes = 100 * kGiB;
            return 0;
        });
    TargetRoom room;
    double freeBytes = 0;
    double totalBytes = 0;

    for (int file = 0; file < 1000; ++file) {
        ASSERT_EQ(room.Read(target, 4096, freeBytes, totalBytes), 0);
        room.Used(4096);
    }
    EXPECT_EQ(readings, 1);
    EXPECT_DOUBLE_EQ(freeBytes, 10 * kGiB - 999 * 4096.0) << "what was copied counts as used";

    free = 1000;
    room.Used(static_cast<std::int64_t>(10 * kGiB - 100 * 1024 * 1024));
    ASSERT_EQ(room.Read(target, 4096, freeBytes, totalBytes), 0);
    EXPECT_EQ(readings, 2) << "too little left by the estimate: read again";
    EXPECT_DOUBLE_EQ(freeBytes, 1000) << "the refusal sees the disk as it is";
    ASSERT_EQ(room.Read(target, 10, freeBytes, totalBytes), 0);
    EXPECT_EQ(readings, 3);
}

} // namespace
} // namespace kestrel::testing
