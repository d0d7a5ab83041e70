#include "engine/DeleteAllBackupFiles.h"
#include "support/TestFiles.h"

#include "DeleteFixture.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "report/ReportFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace kestrel {
namespace {

using testing::DeletionFixture;
using testing::Native;
using testing::ScriptedInteraction;

const std::string kCRLF = "\r\n";

class DeleteAllBackupFilesTest : public DeletionFixture {
protected:
    // Runs the deletion answering the overwrite question and confirming.
    DeletionResult Delete(bool wipe) {
        ui.answerMessage(wipe ? MessageAnswer::Yes : MessageAnswer::No);
        ui.answerConfirm(true);
        return DeleteAllBackupFiles(ctx);
    }

    std::string Head() const { return ReportFileStampLine() + kCRLF + kCRLF; }
    std::string Foot() const { return kCRLF + ReportFileStampLine() + kCRLF; }

    bool Exists(const std::string& relative) const {
        return platform::statPath(dir.path(relative), false).exists();
    }
};

#ifndef _WIN32
// Reads a whole file through a descriptor opened before the deletion.
std::string ReadThrough(int fd, std::size_t size) {
    std::string data(size, '\0');
    const ssize_t n = ::pread(fd, data.data(), size, 0);
    data.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
    return data;
}
#endif

// How many positions of two texts hold the same byte.
std::size_t SameBytes(const std::string& a, const std::string& b) {
    std::size_t same = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        same += a[i] == b[i] ? 1 : 0;
    }
    return same;
}

TEST_F(DeleteAllBackupFilesTest, AnUnfinishedCopyOfAKilledRunIsRemovedUncounted) {
    dir.createFile("target/a.txt", "aaaa");
    dir.createFile("target/" + platform::temporaryCopyName(), "half a copy");

    const DeletionResult result = Delete(false);

    EXPECT_EQ(result.outcome, DeletionOutcome::Completed);
    EXPECT_NE(ReportFileText().find("Number of files deleted: 1" + kCRLF), std::string::npos)
        << ReportFileText();
    EXPECT_TRUE(std::filesystem::is_empty(target));
}

TEST_F(DeleteAllBackupFilesTest, DeletesEveryFileAndTheEmptiedFoldersButKeepsTheTarget) {
#ifdef _WIN32
    GTEST_SKIP() << "reads the data through a descriptor opened before the deletion; Windows deletes no file "
                    "that is open";
#else
    dir.createFile("target/a.txt", "aaaa");
    dir.createFile("target/b.doc", "bb");
    dir.createFile("target/sub/c.txt", "c");
    dir.createFile("target/sub/d.doc", "d");
    const std::string kept = "the data that deletion alone leaves on the disk";
    dir.createFile("target/sub/deep/e.txt", kept);
    const int fd = ::open(dir.path("target/sub/deep/e.txt").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);

    const DeletionResult result = Delete(false);

    EXPECT_EQ(result.outcome, DeletionOutcome::Completed);
    EXPECT_EQ(result.numNotOverwritten, 0);
    const std::string lines = "    1 file  in {target folder}" + Native("sub/deep/") + "  One file deleted." +
                              kCRLF + "    2 files in {target folder}" + Native("sub/") + "  Both deleted." +
                              kCRLF + "    2 files in {target folder}  Both deleted." + kCRLF + kCRLF +
                              "Number of files deleted: 5" + kCRLF + "No file deletion errors." + kCRLF;
    EXPECT_EQ(ReportFileText(), Head() + lines + Foot());
    EXPECT_EQ(ui.screenText(), Head() + "target folder = " + target + kCRLF + lines + Foot());
    EXPECT_TRUE(Exists("target"));
    EXPECT_FALSE(Exists("target/sub"));
    EXPECT_EQ(ReadThrough(fd, kept.size()), kept);
    ::close(fd);

    EXPECT_EQ(ui.label(ReportLabel::Caption), "Delete all files in the target folder (and subfolders)");
    ASSERT_EQ(ui.confirmations().size(), 1u);
    EXPECT_EQ(ui.confirmations()[0].caption, "Delete files");
    EXPECT_EQ(ui.confirmations()[0].description,
              "Are you sure you wish to delete (without overwriting) all files," + kCRLF +
                  "subfolders (and their subfolders) in the target folder?");
    EXPECT_TRUE(ui.confirmations()[0].deletionWarningVisible);
    EXPECT_FALSE(ui.confirmations()[0].defaultYes);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text,
              "Target files will be deleted" + kCRLF + "Do you wish to overwrite them before deletion?");
    EXPECT_EQ(ui.messages()[0].title, "Delete/wipe target files");
    EXPECT_EQ(ui.messages()[0].buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(ui.messages()[0].defaultButton, 3);
    EXPECT_EQ(ui.eventsOf(ScriptedInteraction::Kind::Buttons),
              (std::vector<std::string>{"copy hidden, pause \"Pause\", cancel hidden",
                                        "copy shown, pause hidden, cancel \"Close\""}));
    EXPECT_FALSE(state.blnOutputToFile);
#endif
}

TEST_F(DeleteAllBackupFilesTest, AWipeOverwritesEachFileBeforeDeletingIt) {
#ifdef _WIN32
    GTEST_SKIP() << "reads the data through a descriptor opened before the deletion; Windows deletes no file "
                    "that is open";
#else
    const std::string secret(100000, 's');
    dir.createFile("target/secret.txt", secret);
    dir.createFile("target/sub/small.txt", "pin 1234");
    const int fd = ::open(dir.path("target/secret.txt").c_str(), O_RDONLY);
    const int fdSmall = ::open(dir.path("target/sub/small.txt").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_GE(fdSmall, 0);

    const DeletionResult result = Delete(true);

    EXPECT_EQ(result.outcome, DeletionOutcome::Completed);
    const std::string lines = "    1 file  in {target folder}" + Native("sub/") + "  One file deleted." +
                              kCRLF + "    1 file  in {target folder}  One file deleted." + kCRLF + kCRLF +
                              "Number of files deleted: 2" + kCRLF + "No file deletion errors." + kCRLF;
    EXPECT_EQ(ReportFileText(), Head() + lines + Foot());
    EXPECT_FALSE(Exists("target/secret.txt"));
    EXPECT_FALSE(Exists("target/sub"));

    // The deleted files' blocks, still reachable through the open descriptors, hold other data
    // of the same length.
    const std::string after = ReadThrough(fd, secret.size() + 10);
    EXPECT_EQ(after.size(), secret.size());
    EXPECT_LT(SameBytes(after, secret), secret.size() / 50);
    const std::string afterSmall = ReadThrough(fdSmall, 20);
    EXPECT_EQ(afterSmall.size(), 8u);
    EXPECT_NE(afterSmall, "pin 1234");
    ::close(fd);
    ::close(fdSmall);

    EXPECT_EQ(ui.label(ReportLabel::Caption),
              "Overwrite and delete all files in the target folder (and subfolders)");
    ASSERT_EQ(ui.confirmations().size(), 1u);
    EXPECT_EQ(ui.confirmations()[0].caption, "Wipe and delete files");
    EXPECT_EQ(ui.confirmations()[0].description,
              "Are you sure you wish to overwrite and delete all files," + kCRLF +
                  "subfolders (and their subfolders) in the target folder?");
#endif
}

TEST_F(DeleteAllBackupFilesTest, WithAFilterOnlyMatchingFilesGoAndFoldersThatKeepFilesStay) {
    for (const bool wipe : {false, true}) {
        SCOPED_TRACE(wipe ? "wipe" : "delete");
        dir.createFile("target/keep.txt", "k");
        dir.createFile("target/x.DOC", "x");
        dir.createFile("target/README", "no extension");
        dir.createFile("target/sub/y.doc", "y");
        dir.createFile("target/sub/mixed/z.doc", "z");
        dir.createFile("target/sub/mixed/w.txt", "w");
        dir.createFile("target/sub/mixed/gone/v.doc", "v");
        ::unlink(dir.path("report.txt").c_str());
        setup.txbFileExtension = "doc";
        ui.clearEvents();

        const DeletionResult result = Delete(wipe);

        EXPECT_EQ(result.outcome, DeletionOutcome::Completed);
        const std::string lines =
            "    1 file  in {target folder}" + Native("sub/mixed/gone/") + "  One file deleted." + kCRLF +
            "    1 file  in {target folder}" + Native("sub/mixed/") + "  One file deleted." + kCRLF +
            "    1 file  in {target folder}" + Native("sub/") + "  One file deleted." + kCRLF +
            "    1 file  in {target folder}  One file deleted." + kCRLF + kCRLF +
            "Number of files deleted: 4" + kCRLF + "No file deletion errors." + kCRLF;
        EXPECT_EQ(ReportFileText(), Head() + lines + Foot());
        EXPECT_TRUE(Exists("target/keep.txt"));
        EXPECT_TRUE(Exists("target/README"));
        EXPECT_TRUE(Exists("target/sub/mixed/w.txt"));
        EXPECT_FALSE(Exists("target/x.DOC"));
        EXPECT_FALSE(Exists("target/sub/y.doc"));
        EXPECT_FALSE(Exists("target/sub/mixed/z.doc"));
        EXPECT_FALSE(Exists("target/sub/mixed/gone"));
        EXPECT_TRUE(Exists("target/sub/mixed"));
        EXPECT_TRUE(Exists("target/sub"));

        EXPECT_EQ(ui.label(ReportLabel::Caption),
                  std::string(wipe ? "Overwrite and delete" : "Delete") +
                      " all files in the target folder (and subfolders) with extension 'doc'");
        EXPECT_EQ(ui.messages()[0].text, "Target files with extension 'doc' will be deleted" + kCRLF +
                                             "Do you wish to overwrite them before deletion?");
        EXPECT_EQ(ui.confirmations()[0].description,
                  std::string(wipe ? "Are you sure you wish to overwrite and delete all files"
                                   : "Are you sure you wish to delete (without overwriting) all files") +
                      " (with extension 'doc')," + kCRLF +
                      "subfolders (and their subfolders) in the target folder?");
    }
}

TEST_F(DeleteAllBackupFilesTest, AFolderHoldingOnlySubfoldersStaysWhenTheyAreRemoved) {
    dir.createFile("target/only/inner/f.txt", "f");

    Delete(false);

    EXPECT_TRUE(Exists("target/only"));
    EXPECT_FALSE(Exists("target/only/inner"));
    // The target holds no file of its own: its path is not abbreviated.
    EXPECT_EQ(ReportFileText(), Head() + "    1 file  in " + target + Native("only/inner/") +
                                    "  One file deleted." + kCRLF + kCRLF + "Number of files deleted: 1" +
                                    kCRLF + "No file deletion errors." + kCRLF + Foot());
}

TEST_F(DeleteAllBackupFilesTest, ReadOnlyAndHiddenFilesAreDeleted) {
    const std::string readOnly = dir.createFile("target/sub/locked.txt", "r");
    dir.createFile("target/sub/.hidden", "h");
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(dir.path("target/sub").c_str(), 0555), 0);

    const DeletionResult result = Delete(true);

    EXPECT_EQ(result.outcome, DeletionOutcome::Completed);
    EXPECT_EQ(state.lngTotalNumFilesDeleted, 2);
    EXPECT_EQ(state.lngTotalNumDeletionErrors, 0);
    EXPECT_FALSE(Exists("target/sub"));
}

TEST_F(DeleteAllBackupFilesTest, FoldersAndFilesThatStayKeepTheirMode) {
    SKIP_ON_WINDOWS(
        "the POSIX permission bits of folders; a Windows folder's ReadOnly attribute guards nothing");
    dir.createFile("target/gone.doc", "g");
    dir.createFile("target/ro/gone.doc", "g");
    const std::string kept = dir.createFile("target/ro/kept.txt", "k");
    dir.createFile("target/ro/emptied/gone.doc", "g");
    ASSERT_EQ(::chmod(kept.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(dir.path("target/ro/emptied").c_str(), 0555), 0);
    ASSERT_EQ(::chmod(dir.path("target/ro").c_str(), 0555), 0);
    ASSERT_EQ(::chmod(target.c_str(), 0555), 0);
    setup.txbFileExtension = "doc";

    const DeletionResult result = Delete(true);
    ::chmod(target.c_str(), 0755);

    EXPECT_EQ(result.outcome, DeletionOutcome::Completed);
    EXPECT_EQ(state.lngTotalNumFilesDeleted, 3);
    EXPECT_FALSE(Exists("target/ro/emptied"));
    EXPECT_EQ(platform::statPath(dir.path("target/ro")).mode & 0777, 0555u);
    EXPECT_EQ(platform::statPath(kept).mode & 0777, 0444u);
    ::chmod(target.c_str(), 0555);
    EXPECT_EQ(platform::statPath(target).mode & 0777, 0555u);
    ::chmod(target.c_str(), 0755);
}

TEST_F(DeleteAllBackupFilesTest, EverySixthFailedDeletionAsksWhetherToStop) {
    for (int i = 1; i <= 13; ++i) {
        dir.createFile("target/f" + std::to_string(i) + ".txt", "x");
    }
    dir.createFile("target/ok.dat", "x");
    int attempts = 0;
    DeletionFaults faults;
    faults.removeFile = [&](const std::string& path) {
        if (path.find("/ok.dat") != std::string::npos) {
            return platform::Error{};
        }
        ++attempts;
        return platform::Error::of(platform::err::PermissionDenied);
    };
    const ScopedDeletionFaultsForTesting faultsInForce(faults);
    ui.answerMessage(MessageAnswer::No); // overwrite question
    ui.answerConfirm(true);
    ui.answerMessage(MessageAnswer::No);  // 6th failure: go on
    ui.answerMessage(MessageAnswer::Yes); // 12th failure: stop

    const DeletionResult result = DeleteAllBackupFiles(ctx);

    EXPECT_EQ(result.outcome, DeletionOutcome::Stopped);
    EXPECT_EQ(attempts, 12 * 4);
    EXPECT_EQ(ui.sleeps(), std::vector<int>(12 * 3, 500));
    ASSERT_EQ(ui.messages().size(), 3u);
    for (int i = 1; i <= 2; ++i) {
        const MessageRequest& question = ui.messages()[i];
        EXPECT_EQ(question.title, GetProgramText(110));
        EXPECT_EQ(question.buttons, MessageButtons::YesNo);
        EXPECT_EQ(question.text.rfind(GetProgramText(105) + target + "f", 0), 0u) << question.text;
        EXPECT_NE(question.text.find(GetProgramText(106) + std::to_string(6 * i) + "." + GetProgramText(107)),
                  std::string::npos)
            << question.text;
    }
    EXPECT_EQ(state.lngTotalNumDeletionErrors, 12);
    // The line break after answering No, the folder's remark, then the cancellation note on a line
    // of its own and the summary.
    const std::string text = ReportFileText();
    // (ok.dat is deleted or not as the folder lists it before or after the failures.)
    const std::string remark = state.lngTotalNumFilesDeleted == 1 ? "  One file deleted." : "  None deleted.";
    EXPECT_NE(text.find("   14 files in {target folder}" + kCRLF + remark + kCRLF + GetProgramText(49) +
                        kCRLF + kCRLF + "Number of files deleted: "),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Number of errors when attempting to delete a file: 12" + kCRLF), std::string::npos);
    EXPECT_FALSE(state.blnStop);
}

TEST_F(DeleteAllBackupFilesTest, FiveFailuresAskNothing) {
    for (int i = 1; i <= 5; ++i) {
        dir.createFile("target/f" + std::to_string(i) + ".txt", "x");
    }
    DeletionFaults faults;
    faults.removeFile = [](const std::string&) {
        return platform::Error::of(platform::err::PermissionDenied);
    };
    const ScopedDeletionFaultsForTesting faultsInForce(faults);

    const DeletionResult result = Delete(false);

    EXPECT_EQ(result.outcome, DeletionOutcome::Completed);
    EXPECT_EQ(ui.messages().size(), 1u); // the overwrite question only
    EXPECT_EQ(ReportFileText(), Head() + "    5 files in {target folder}  None deleted." + kCRLF + kCRLF +
                                    "Number of files deleted: 0" + kCRLF +
                                    "Number of errors when attempting to delete a file: 5" + kCRLF + Foot());
    EXPECT_TRUE(Exists("target/f5.txt"));
}

TEST_F(DeleteAllBackupFilesTest, NothingOutsideTheTargetChangesThroughLinks) {
    for (const bool wipe : {false, true}) {
        SCOPED_TRACE(wipe ? "wipe" : "delete");
        const std::string out = wipe ? "outW/" : "outD/";
        const std::string outsideFile = dir.createFile(out + "file.txt", "outside");
        dir.createFile(out + "dir/inner.txt", "inner data");
        const std::string outsideShared = dir.createFile(out + "shared.txt", "shared data");
        ASSERT_EQ(::chmod(outsideFile.c_str(), 0444), 0);
        if (!kestrel::testing::MakeSymlink(outsideFile, (target + "link-to-file.txt")))
            GTEST_SKIP() << kestrel::testing::kNoSymlinks;
        if (!kestrel::testing::MakeSymlink(dir.path(out + "dir"), (target + "link-to-folder")))
            GTEST_SKIP() << kestrel::testing::kNoSymlinks;
        if (!kestrel::testing::MakeSymlink(dir.path(out + "nothing"), (target + "dangling.txt")))
            GTEST_SKIP() << kestrel::testing::kNoSymlinks;
        ASSERT_TRUE(kestrel::testing::MakeHardLink(outsideShared, (target + "hardlink.txt")));
        dir.createFile("target/own.txt", "own");
        ::unlink(dir.path("report.txt").c_str());
        state.ResetTotals();
        ui.clearEvents();

        const DeletionResult result = Delete(wipe);

        EXPECT_EQ(result.outcome, DeletionOutcome::Completed);
        EXPECT_EQ(dir.readFile(out + "file.txt"), "outside");
        EXPECT_EQ(dir.readFile(out + "dir/inner.txt"), "inner data");
        EXPECT_EQ(dir.readFile(out + "shared.txt"), "shared data");
        EXPECT_EQ(platform::statPath(outsideFile).mode & 0777, 0444u);
        EXPECT_EQ(platform::statPath(outsideShared).linkCount, 1u);
        EXPECT_TRUE(platform::statPath(dir.path(out + "dir")).isDirectory());
        for (const char* name :
             {"link-to-file.txt", "link-to-folder", "dangling.txt", "hardlink.txt", "own.txt"}) {
            EXPECT_FALSE(Exists(std::string("target/") + name)) << name;
        }
        EXPECT_EQ(state.lngTotalNumFilesDeleted, 5);
        EXPECT_EQ(state.lngTotalNumDeletionErrors, 0);
        EXPECT_EQ(result.numNotOverwritten, wipe ? 4 : 0);
    }
}

TEST_F(DeleteAllBackupFilesTest, AWipeReportsEachFileItDeletedWithoutOverwriting) {
    const std::string outside = dir.createFile("outside.txt", "shared");
    ASSERT_TRUE(kestrel::testing::MakeHardLink(outside, (target + "shared.txt")));
    dir.createFile("target/stuck.txt", "cannot be overwritten");
    DeletionFaults faults;
    faults.overwriteFile = [](const std::string& path) {
        return path.find("stuck") != std::string::npos ? platform::Error::of(platform::err::DeviceIo)
                                                       : platform::Error{};
    };
    const ScopedDeletionFaultsForTesting faultsInForce(faults);

    const DeletionResult result = Delete(true);

    EXPECT_EQ(result.numNotOverwritten, 2);
    const std::string text = ReportFileText();
    // Both notes follow the folder's line, in the order the files were met.
    const std::size_t line = text.find("    2 files in ");
    const std::size_t remark = text.find("  Both deleted." + kCRLF);
    const std::size_t shared =
        text.find("      Deleted without being overwritten: " + target +
                  "shared.txt  (its data is still reachable under another name)" + kCRLF);
    const std::size_t stuck = text.find("      Deleted without being overwritten: " + target +
                                        "stuck.txt  (Device I/O error)" + kCRLF);
    ASSERT_NE(line, std::string::npos) << text;
    ASSERT_NE(shared, std::string::npos) << text;
    ASSERT_NE(stuck, std::string::npos) << text;
    EXPECT_LT(line, remark);
    EXPECT_LT(remark, std::min(shared, stuck));
    // Then the summary.
    const std::size_t lastNoteEnd = text.find(kCRLF, std::max(shared, stuck)) + 2;
    EXPECT_EQ(text.compare(lastNoteEnd, std::string::npos,
                           kCRLF + "Number of files deleted: 2" + kCRLF + GetProgramText(1150) + " 2" +
                               kCRLF + Foot()),
              0)
        << text;
    EXPECT_EQ(dir.readFile("outside.txt"), "shared");
    // The summary does not say the wipe went without trouble.
    EXPECT_EQ(text.find("No file deletion errors."), std::string::npos) << text;
}

TEST_F(DeleteAllBackupFilesTest, AFolderThatCannotBeReadIsADeletionError) {
    dir.createFile("target/sub/a.txt", "a");
    dir.createFile("target/b.txt", "b");
    DeletionFaults faults;
    faults.readFolder = [this](const std::string& folder) {
        // Readable for the check for files, not afterwards.
        return folder == target + Native("sub/") && state.intOperation == intOperationDeleteAllBackupFiles
                   ? platform::Error::of(platform::err::PermissionDenied)
                   : platform::Error{};
    };
    const ScopedDeletionFaultsForTesting faultsInForce(faults);

    Delete(false);

    EXPECT_EQ(ReportFileText(), Head() + "      Cannot read the folder " + target + Native("sub/") +
                                    "  Permission denied" + kCRLF +
                                    "    1 file  in {target folder}  One file deleted." + kCRLF + kCRLF +
                                    "Number of files deleted: 1" + kCRLF +
                                    "Number of errors when attempting to delete a file: 1" + kCRLF + Foot());
    EXPECT_TRUE(Exists("target/sub/a.txt"));
}

TEST_F(DeleteAllBackupFilesTest, PausesOnceAfterTheFirstFolderWithDeletionsBelowTheTarget) {
    dir.createFile("target/top.txt", "t");
    dir.createFile("target/a/x.txt", "x");
    dir.createFile("target/a/b/y.txt", "y");
    setup.chkPauseAfterFirstDelete = 1;
    ui.answerPause(ScriptedInteraction::PauseAnswer::Continue);

    Delete(false);

    ASSERT_EQ(ui.messages().size(), 2u);
    EXPECT_EQ(ui.messages()[1].text, GetProgramText(393) + target + Native("a/b/") + GetProgramText(394));
    EXPECT_EQ(ui.messages()[1].buttons, MessageButtons::Ok);
    EXPECT_EQ(ui.eventsOf(ScriptedInteraction::Kind::Pause),
              (std::vector<std::string>{"by program: continue"}));
    EXPECT_EQ(state.lngTotalNumFilesDeleted, 3);
}

TEST_F(DeleteAllBackupFilesTest, ACancelInTheReportWindowStopsTheWalkAndStillSummarises) {
    dir.createFile("target/a/x.txt", "x");
    dir.createFile("target/y.txt", "y");
    ui.answerMessage(MessageAnswer::No);
    ui.answerConfirm(true);
    // The user cancels while the first file is being deleted.
    DeletionFaults faults;
    faults.removeFile = [this](const std::string&) {
        if (state.lngTotalNumFilesDeleted == 0) {
            ui.cancelAtDoEvents(1);
        }
        return platform::Error{};
    };
    const ScopedDeletionFaultsForTesting faultsInForce(faults);

    const DeletionResult result = DeleteAllBackupFiles(ctx);

    EXPECT_EQ(result.outcome, DeletionOutcome::Stopped);
    EXPECT_EQ(ReportFileText(), Head() + "    1 file  in {target folder}" + Native("a/") +
                                    "  One file deleted." + kCRLF + GetProgramText(49) + kCRLF + kCRLF +
                                    "Number of files deleted: 1" + kCRLF + "No file deletion errors." +
                                    kCRLF + Foot());
    EXPECT_TRUE(Exists("target/y.txt"));
    EXPECT_FALSE(state.blnStop);
}

TEST_F(DeleteAllBackupFilesTest, SuppressedDetailsLeaveOnlyTheSummary) {
    dir.createFile("target/a/x.txt", "x");
    setup.chkSuppressDetailedReports = 1;
    Delete(false);
    EXPECT_EQ(ReportFileText(), Head() + kCRLF + "Number of files deleted: 1" + kCRLF +
                                    "No file deletion errors." + kCRLF + Foot());
}

TEST_F(DeleteAllBackupFilesTest, AnsweringCancelToTheOverwriteQuestionTouchesNothing) {
    dir.createFile("target/a.txt", "a");
    ui.answerMessage(MessageAnswer::Cancel);
    EXPECT_EQ(DeleteAllBackupFiles(ctx).outcome, DeletionOutcome::Declined);
    EXPECT_TRUE(Exists("target/a.txt"));
    EXPECT_FALSE(Exists("report.txt"));
}

TEST_F(DeleteAllBackupFilesTest, DecliningTheConfirmationTouchesNothing) {
    dir.createFile("target/a.txt", "a");
    ui.answerMessage(MessageAnswer::Yes);
    ui.answerConfirm(false);
    EXPECT_EQ(DeleteAllBackupFiles(ctx).outcome, DeletionOutcome::Declined);
    EXPECT_TRUE(Exists("target/a.txt"));
    EXPECT_FALSE(Exists("report.txt"));
}

TEST_F(DeleteAllBackupFilesTest, RefusesBeforeDeletingAnything) {
    struct Case {
        const char* name;
        std::string targetFolder;
        std::string reportFile;
        std::string filter;
        std::string text;
        std::string title;
        int chkDisableOutputToFileAfter;
    };
    dir.createFile("target/a.txt", "a");
    dir.createFile("target/sub/b.txt", "b");
    dir.createFile("target/sub/old-report.txt", "r");
    if (!kestrel::testing::MakeSymlink(dir.path("target/sub"), dir.path("into-target")))
        GTEST_SKIP() << kestrel::testing::kNoSymlinks;
    ASSERT_TRUE(
        kestrel::testing::MakeSymlink(dir.path("target/sub/old-report.txt"), dir.path("report-link.txt")));
    const std::string bad = "The currently specified report file would be deleted by this operation.";
    const Case cases[] = {
        {"report file in the target", target, target + "sub/report.txt", "", bad,
         "Bad report file specification", 1},
        {"report file through a link to a folder of the target", target, dir.path("into-target/new.txt"), "",
         bad, "Bad report file specification", 1},
        {"report file that is a link to a file of the target", target, dir.path("report-link.txt"), "", bad,
         "Bad report file specification", 1},
        {"missing target", dir.path("missing/"), dir.path("report.txt"), "", GetProgramText(43),
         "Delete/wipe target files", 0},
        {"no matching file, with subfolders", target, dir.path("report.txt"), "xls", GetProgramText(89),
         GetProgramText(90), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setup.txbDirectory[1] = c.targetFolder;
        setup.txbReportFile = c.reportFile;
        setup.txbFileExtension = c.filter;
        setup.chkDisableOutputToFile = 0;
        ui.clearEvents();

        EXPECT_EQ(DeleteAllBackupFiles(ctx).outcome, DeletionOutcome::NotStarted);

        ASSERT_EQ(ui.messages().size(), 1u);
        EXPECT_EQ(ui.messages()[0].text, c.text);
        EXPECT_EQ(ui.messages()[0].title, c.title);
        EXPECT_EQ(setup.chkDisableOutputToFile, c.chkDisableOutputToFileAfter);
        EXPECT_TRUE(Exists("target/a.txt"));
        EXPECT_TRUE(Exists("target/sub/b.txt"));
        EXPECT_EQ(dir.readFile("target/sub/old-report.txt"), "r");
    }
}

TEST_F(DeleteAllBackupFilesTest, NoMatchingFileInATargetWithoutSubfolders) {
    dir.createFile("target/a.txt", "a");
    setup.txbFileExtension = "doc";
    EXPECT_EQ(DeleteAllBackupFiles(ctx).outcome, DeletionOutcome::NotStarted);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, GetProgramText(88));
    EXPECT_EQ(ui.messages()[0].icon, MessageIcon::Information);
}

TEST_F(DeleteAllBackupFilesTest, WithoutAReportFileItOffersOneAndAnsweringYesRunsNothing) {
    dir.createFile("target/a.txt", "a");
    setup.txbReportFile.clear();
    setup.chkDisableOutputToFile = 1;
    ui.answerMessage(MessageAnswer::Yes);
    ui.answerChooseReportFile(dir.path("chosen.txt"));

    EXPECT_EQ(DeleteAllBackupFiles(ctx).outcome, DeletionOutcome::NotStarted);

    EXPECT_EQ(ui.messages()[0].text, "Do you wish to list the files deleted in a report file?");
    EXPECT_EQ(ui.messages()[0].defaultButton, 1);
    EXPECT_EQ(setup.txbReportFile, dir.path("chosen.txt"));
    EXPECT_EQ(setup.chkDisableOutputToFile, 0);
    EXPECT_TRUE(Exists("target/a.txt"));
}

TEST_F(DeleteAllBackupFilesTest, TheButtonForgetsTheUnattendedReportAndRefusesAnEmptyTarget) {
    setup.txbReportFile = target + "_BACKUP report 2024-03-09 14.05.txt";
    EXPECT_EQ(cmdDeleteAllBackupFiles_MouseUp(ctx).outcome, DeletionOutcome::NotStarted);
    EXPECT_EQ(setup.txbReportFile, "");
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, GetProgramText(86));

    setup.txbDirectory[1].clear();
    ui.clearEvents();
    EXPECT_EQ(cmdDeleteAllBackupFiles_MouseUp(ctx).outcome, DeletionOutcome::NotStarted);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "The target disk or folder must first be specified.");
    EXPECT_EQ(ui.messages()[0].title, "Delete/wipe target files");
}

} // namespace
} // namespace kestrel
