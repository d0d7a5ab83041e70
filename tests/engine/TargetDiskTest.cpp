#include "EngineFixture.h"

#include "engine/TargetDisk.h"
#include "platform/Disk.h"
#include "platform/Path.h"
#include "platform/SettingsStore.h"
#include "platform/TargetFileSystem.h"

#include <filesystem>

namespace kestrel::testing {
namespace {

// A FAT stick where the kernel's driver is missing here: the target's file system stood in for
// as one without hard links or unnamed files, keeping two-second times, Windows names and no
// case. What it cannot hold is reported, one copy error a file, and nothing else is lost.
TEST_F(EngineTest, OnAFatTargetWhatItCannotHoldIsReportedAndTheRestIsBackedUpOnce) {
#ifdef _WIN32
    GTEST_SKIP() << "the source's own file system cannot hold these names either";
#endif
    platform::ScopedFileSystemTraitsForTesting fat(platform::presumedTraitsOf("vfat"));
    Src("a.txt", "alpha");
    Src("Photo.JPG", "first");
    Src("photo.jpg", "second");
    Src("a:b.txt", "colon");
    Src("ends in a dot.", "dot");
    state.blnScheduledTask = true;

    for (int run = 0; run < 2; ++run) {
        UseReportFile("report" + std::to_string(run) + ".txt");
        ASSERT_EQ(BackupModified(), intResultDone);
        const std::string text = ReportFileText("report" + std::to_string(run) + ".txt");
        for (const auto& [name, number] : std::vector<std::pair<std::string, int>>{
                 {"a:b.txt", 1305}, {"ends in a dot.", 1306}, {"photo.jpg", 1308}})
            EXPECT_NE(text.find("Problem with " + source + name + "  " + GetProgramText(number)),
                      std::string::npos)
                << "run " << run << ": " << name << "\n"
                << text;
        EXPECT_EQ(state.lngTotalNumCopyErrors, 3) << "run " << run;
        EXPECT_EQ(state.lngTotalNumModifiedFiles, 0) << "run " << run << ": the clash is no modified file";
        EXPECT_EQ(state.lngTotalNumFilesCopied, run == 0 ? 2 : 0) << "run " << run;
    }
    EXPECT_EQ(NamesIn(target), (std::vector<std::string>{"Photo.JPG", "a.txt"}));
    EXPECT_EQ(dir.readFile("tgt/Photo.JPG"), "first");
}

// The name whose copy the target already holds stays the one backed up, whichever sorts first:
// a name added later in other capitals never replaces that copy.
TEST_F(EngineTest, OnATargetThatIgnoresCaseTheNameAlreadyBackedUpKeepsItsCopy) {
#ifdef _WIN32
    GTEST_SKIP() << "the source's own file system takes the two names for one";
#endif
    platform::ScopedFileSystemTraitsForTesting fat(platform::presumedTraitsOf("vfat"));
    Src("photo.jpg", "the first photo");
    Tgt("photo.jpg", "the first photo");
    Src("Photo.JPG", "another photo");
    state.blnScheduledTask = true;
    UseReportFile();

    ASSERT_EQ(BackupModified(), intResultDone);

    EXPECT_NE(ReportFileText().find("Problem with " + source + "Photo.JPG  " + GetProgramText(1308)),
              std::string::npos)
        << ReportFileText();
    EXPECT_EQ(state.lngTotalNumFilesCopied, 0);
    EXPECT_EQ(NamesIn(target), std::vector<std::string>{"photo.jpg"});
    EXPECT_EQ(dir.readFile("tgt/photo.jpg"), "the first photo");
}

TEST_F(EngineTest, AFileLargerThanFatHoldsIsRefusedBeforeAnyByteAndTheRunGoesOn) {
#ifdef _WIN32
    GTEST_SKIP() << "a 5 GiB file without data needs a file system that keeps holes";
#endif
    platform::ScopedFileSystemTraitsForTesting fat(platform::presumedTraitsOf("vfat"));
    Src("small.txt", "small");
    std::filesystem::resize_file(Src("disk.img", ""), 5LL << 30);
    state.blnScheduledTask = true;
    UseReportFile();

    ASSERT_EQ(BackupAll(), intResultDone);

    EXPECT_NE(ReportFileText().find("Problem with " + source + "disk.img  " + GetProgramText(1309) +
                                    " 4,294,967,295 bytes."),
              std::string::npos)
        << ReportFileText();
    EXPECT_EQ(state.lngTotalNumCopyErrors, 1);
    EXPECT_EQ(NamesIn(target), std::vector<std::string>{"small.txt"});
}

class AbsentDiskTest : public EngineTest {
protected:
    void SetUp() override {
#ifdef _WIN32
        GTEST_SKIP() << "Windows keeps no table of where disks are meant to be mounted";
#endif
    }

    AbsentDiskTest() {
        // The disk belongs at "media/usb" of the test's folder, which is an empty folder of the
        // disk above it: what an unplugged disk leaves behind.
        mountPoint = platform::withFinalSeparator(Native(dir.createFolder("media/usb")));
        target = Native(dir.createFolder("media/usb/backup"));
        setup.txbDirectory[1] = target;
        std::string escaped; // as /etc/fstab writes a blank
        for (char c : mountPoint.substr(0, mountPoint.size() - 1))
            escaped += c == ' ' ? std::string("\\040") : std::string(1, c);
        dir.createFile("fstab", "# <file system> <mount point> <type> <options> <dump> <pass>\n"
                                "UUID=0f1e-2d3c / ext4 errors=remount-ro 0 1\n"
                                "UUID=0000-1111 none swap sw 0 0\n"
                                "UUID=6A3B-11C0 " +
                                    escaped + " vfat noauto,user,utf8 0 0\n");
        Src("a.txt", "alpha");
        UseReportFile();
    }

    platform::ScopedFileSystemTableForTesting table{[this] { return dir.path("fstab"); }};
    std::string mountPoint;
};

TEST_F(AbsentDiskTest, AnUnattendedBackupIsRefusedAndWritesNothing) {
    state.blnScheduledTask = true;

    EXPECT_EQ(BackupModified(), intResultTargetDiskAbsent);

    EXPECT_EQ(resultText,
              GetProgramText(1112) + "\r\n" + target + "\r\n" + GetProgramText(1113) + " " + mountPoint);
    EXPECT_TRUE(NamesIn(target).empty());
    EXPECT_FALSE(platform::statPath(setup.txbReportFile).exists());
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(AbsentDiskTest, TheWindowAsksAndGoesOnOnlyWhenTheUserSaysSo) {
    for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
        ui.answerMessage(answer);
        if (answer == MessageAnswer::Yes)
            ui.answerConfirm(true);
        const int result = BackupModified();
        if (answer == MessageAnswer::No) {
            EXPECT_EQ(result, intResultTargetDiskAbsent);
            EXPECT_TRUE(NamesIn(target).empty());
        } else {
            EXPECT_EQ(result, intResultDone);
            EXPECT_EQ(dir.readFile("media/usb/backup/a.txt"), "alpha");
        }
    }
    ASSERT_GE(ui.messages().size(), 2u);
    EXPECT_EQ(ui.messages()[0].title, GetProgramText(1115));
    EXPECT_EQ(ui.messages()[0].buttons, MessageButtons::YesNo);
}

TEST_F(AbsentDiskTest, TheToolsOptionGoesOn) {
    state.blnScheduledTask = true;
    state.absentTargetDisk = OperationState::AbsentTargetDisk::GoOn;

    EXPECT_EQ(BackupModified(), intResultDone);

    EXPECT_EQ(dir.readFile("media/usb/backup/a.txt"), "alpha");
}

TEST_F(EngineTest, ATargetOnAnotherDiskThanAtItsLastBackupIsRefused) {
    Src("a.txt", "alpha");
    state.blnScheduledTask = true;
    ASSERT_EQ(BackupModified(), intResultDone);
    EXPECT_EQ(AbsentTargetDisk(target), "") << "the disk it was backed up onto";

    // The last backup went to a disk mounted elsewhere, which is not there now.
    const std::string elsewhere = platform::withFinalSeparator(Native(dir.path("media/stick")));
    platform::KeyDisposition disposition{};
    platform::settingsStore().createKey("Software\\Corvane Systems\\ZBK\\Target disks", disposition);
    platform::settingsStore().setValue("Software\\Corvane Systems\\ZBK\\Target disks",
                                       platform::withFinalSeparator(target), elsewhere);
    Src("b.txt", "beta");

    EXPECT_EQ(BackupModified(), intResultTargetDiskAbsent);
    EXPECT_NE(resultText.find(elsewhere), std::string::npos) << resultText;
    EXPECT_FALSE(platform::statPath(target + "b.txt").exists());
}

} // namespace
} // namespace kestrel::testing
