#include "EngineFixture.h"

#include "engine/FileComparison.h"
#include "modules/Language.h"

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrel::testing {
namespace {

const std::string CRLF = "\r\n";

std::int64_t Utc(int month, int day, int hour, int minute, int second = 0) {
    return At(month, day, hour, minute, second);
}

TEST(IsModifiedFileTest, OnFatLengthsAndMinuteRoundedTimesWithTheirTolerances) {
    struct Case {
        const char* name;
        std::int64_t sourceSize;
        std::int64_t source;
        std::int64_t targetSize;
        std::int64_t target;
        bool modified;
    };
    const Case cases[] = {
        {"same minute", 5, Utc(3, 1, 10, 15, 10), 5, Utc(3, 1, 10, 15, 50), false},
        {"one minute apart", 5, Utc(3, 1, 10, 15), 5, Utc(3, 1, 10, 16), false},
        {"one hour apart (a time-zone shift)", 5, Utc(3, 1, 10, 15), 5, Utc(3, 1, 11, 15), false},
        {"half an hour apart", 5, Utc(3, 1, 10, 15), 5, Utc(3, 1, 10, 45), false},
        {"eight hours apart", 5, Utc(3, 1, 10, 15), 5, Utc(3, 1, 18, 15), false},
        {"510 minutes apart", 5, Utc(3, 1, 10, 15), 5, Utc(3, 1, 18, 45), true},
        {"five minutes apart", 5, Utc(3, 1, 10, 15), 5, Utc(3, 1, 10, 20), true},
        {"across the end of a month", 5, Utc(1, 31, 23, 59), 5, Utc(2, 1, 0, 0), true},
        {"another length at the same time", 5, Utc(3, 1, 10, 15), 6, Utc(3, 1, 10, 15), true},
        {"31 seconds round up to the next minute", 5, Utc(3, 1, 10, 15, 31), 5, Utc(3, 1, 10, 17, 0), false},
        {"two minutes apart after rounding", 5, Utc(3, 1, 10, 15, 29), 5, Utc(3, 1, 10, 16, 31), true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsModifiedFileOfStatus(RegularFileStatus(c.sourceSize, c.source),
                                         RegularFileStatus(c.targetSize, c.target),
                                         TimeComparison::FatTolerant()),
                  c.modified)
            << c.name;
    }
}

// A same-size file compared with its copy where the target keeps times in steps of its own: the
// copy holds the source's time as the target stores it, so any other time is another version.
TEST(IsModifiedFileTest, ASameSizeFileIsModifiedWhenItsTimeIsNotTheCopysAtTheTargetsStep) {
    using platform::TimeKeeping;
    struct Case {
        const char* name;
        TimeKeeping keeping;
        std::int32_t sourceNanoseconds; // of 10:15:27
        std::int64_t copySecondsLater;
        std::int32_t copyNanoseconds;
        std::int64_t copySize;
        bool modified;
    };
    const TimeKeeping exact{1, false};
    const TimeKeeping ntfs{100, false};
    const TimeKeeping exfat{10000000, false};
    const TimeKeeping seconds{TimeKeeping::kSecond, false};
    const TimeKeeping roundedSeconds{TimeKeeping::kSecond, true};
    const TimeKeeping unknown{0, false};
    const Case cases[] = {
        {"exact: the same time", exact, 950000000, 0, 950000000, 5, false},
        {"exact: a nanosecond later", exact, 950000000, 0, 950000001, 5, true},
        {"exact: rewritten 0.3 s later in the next second", exact, 250000000, -1, 950000000, 5, true},
        {"exact: another length at the same time", exact, 0, 0, 0, 6, true},
        {"ntfs: the copy cut to 100 ns", ntfs, 123456789, 0, 123456700, 5, false},
        {"ntfs: 100 ns later", ntfs, 123456889, 0, 123456700, 5, true},
        {"exfat: the copy cut to 10 ms", exfat, 987654321, 0, 980000000, 5, false},
        {"seconds: the copy cut to the second", seconds, 950000000, 0, 0, 5, false},
        {"seconds: rewritten 0.3 s later in the next second", seconds, 250000000, -1, 0, 5, true},
        {"seconds: rewritten later in the same second", seconds, 990000000, 0, 0, 5, false},
        {"rounded seconds: the copy rounded up", roundedSeconds, 950000000, 1, 0, 5, false},
        {"rounded seconds: the copy rounded down", roundedSeconds, 250000000, 0, 0, 5, false},
        {"unknown step: half a second apart", unknown, 500000000, 0, 0, 5, false},
        {"unknown step: a second apart", unknown, 0, 1, 0, 5, true},
        {"unknown step: an hour apart", unknown, 0, -3600, 0, 5, true},
    };
    const std::int64_t sourceSeconds = Utc(3, 1, 10, 15, 27);
    for (const Case& c : cases) {
        platform::FileStatus source = RegularFileStatus(5, sourceSeconds);
        source.mtimeNanoseconds = c.sourceNanoseconds;
        platform::FileStatus copy = RegularFileStatus(c.copySize, sourceSeconds + c.copySecondsLater);
        copy.mtimeNanoseconds = c.copyNanoseconds;
        EXPECT_EQ(IsModifiedFileOfStatus(source, copy, TimeComparison::KeptAs(c.keeping)), c.modified)
            << c.name;
    }
}

TEST(IsSourceOlderTest, AnEarlierMinuteUnlessJustOneMinuteEarlier) {
    EXPECT_FALSE(IsSourceOlderOfStatus(RegularFileStatus(1, Utc(3, 1, 10, 15)),
                                       RegularFileStatus(1, Utc(3, 1, 10, 16))));
    EXPECT_TRUE(IsSourceOlderOfStatus(RegularFileStatus(1, Utc(3, 1, 10, 15)),
                                      RegularFileStatus(1, Utc(3, 1, 10, 17))));
    EXPECT_FALSE(IsSourceOlderOfStatus(RegularFileStatus(1, Utc(3, 1, 10, 17)),
                                       RegularFileStatus(1, Utc(3, 1, 10, 15))));
    EXPECT_FALSE(IsSourceOlderOfStatus(RegularFileStatus(1, Utc(3, 1, 10, 15)),
                                       RegularFileStatus(1, Utc(3, 1, 10, 15))));
    EXPECT_TRUE(IsSourceOlderOfStatus(RegularFileStatus(1, Utc(2, 1, 10, 15)),
                                      RegularFileStatus(1, Utc(3, 1, 10, 15))));
}

TEST_F(EngineTest, TheModifiedSinceFilterCountsLocalDays) {
    // Today is 9 March 2024 local time, one hour east of UTC; "3 days" keeps a file of 7 March.
    EXPECT_TRUE(IsModifiedSinceOfStatus(RegularFileStatus(1, Utc(1, 1, 0, 0)), -1, 0)) << "any date";
    const std::string recent = Src("recent.txt", "r", Utc(3, 6, 23, 30)); // 00:30 on 7 March local
    const std::string old = Src("old.txt", "o", Utc(3, 6, 22, 30));       // 23:30 on 6 March local
    EXPECT_TRUE(IsModifiedSince(recent, 1));
    EXPECT_FALSE(IsModifiedSince(old, 1));
    EXPECT_TRUE(IsModifiedSince(old, 2));
    EXPECT_TRUE(IsModifiedSince(old, 0));

    setup.cboModifiedSince = 1;
    state.blnScheduledTask = true;
    ASSERT_EQ(BackupModified(), intResultDone);
    EXPECT_TRUE(dir.exists("tgt/recent.txt"));
    EXPECT_FALSE(dir.exists("tgt/old.txt"));
    EXPECT_EQ(state.lngTotalNumNewFiles, 1);
}

TEST_F(EngineTest, LargeSystemAndSwapFilesAreNotCopied) {
    Src("driver.sys", "small");
    constexpr std::uintmax_t k11MB = 11 * 1024 * 1024;
    // Large files; only the file's own extension makes a system or swap file.
    const struct {
        const char* relative;
        bool copied;
    } cases[] = {
        {"pagefile.sys", false},
        {"win386.swp", false},
        {"big.dat", true},
        {"photos.system/holiday.mp4", true},
        {"my.sysconfig.tar", true},
        {"disk.swp.tar", true},
        {"photos.system/PAGEFILE.SYS", false},
    };
    for (const auto& c : cases)
        std::filesystem::resize_file(Src(c.relative), k11MB);
    Include({"photos.system"});
    state.blnScheduledTask = true;
    UseReportFile();

    ASSERT_EQ(BackupAll(), intResultDone);

    EXPECT_TRUE(dir.exists("tgt/driver.sys"));
    const std::string text = ReportFileText();
    for (const auto& c : cases) {
        EXPECT_EQ(dir.exists(std::string("tgt/") + c.relative), c.copied) << c.relative;
        const bool swap = std::string(c.relative).find(".swp") != std::string::npos;
        const std::string line =
            "      " + GetProgramText(swap ? 164 : 390) + " " + source + Native(c.relative) + ".";
        EXPECT_EQ(text.find(line + CRLF) != std::string::npos, !c.copied) << c.relative;
    }
}

TEST_F(EngineTest, AReadOnlyBackupCopyIsReplaced) {
    Src("a.txt", "new", Utc(3, 1, 9, 0));
    const std::string copy = Tgt("a.txt", "old", Utc(2, 1, 9, 0));
    ASSERT_EQ(::chmod(copy.c_str(), 0444), 0);
    state.blnScheduledTask = true;

    ASSERT_EQ(BackupModified(), intResultDone);

    EXPECT_EQ(dir.readFile("tgt/a.txt"), "new");
    EXPECT_NE(platform::statPath(copy).mode & S_IWUSR, 0u);
    EXPECT_EQ(state.lngTotalNumCopyErrors, 0);
}

TEST_F(EngineTest, ATargetFolderThatCannotBeMadeAbandonsThatFolderOnly) {
    Src("A/x.txt", "x");
    Src("B/y.txt", "y");
    Tgt("A", "a file where the folder should be");
    Include({"A", "B"});
    UseReportFile();
    for (const bool unattended : {false, true}) {
        SCOPED_TRACE(unattended ? "unattended" : "attended");
        ui.clearEvents();
        state.blnScheduledTask = unattended;
        if (!unattended) {
            ui.answerMessage(MessageAnswer::Yes); // back up ALL files onto a target that has files
            ui.answerConfirm(true);
            ui.answerMessage(MessageAnswer::No); // do not stop
        } else {
            std::filesystem::remove(target + "B/y.txt");
        }

        ASSERT_EQ(BackupAll(), intResultDone);

        EXPECT_EQ(dir.readFile("tgt/B/y.txt"), "y");
        EXPECT_EQ(state.lngTotalNumCopyErrors, 1);
        EXPECT_NE(ui.screenText().find(GetProgramText(165) + ": " + target + Native("A/") + CRLF),
                  std::string::npos);
        if (!unattended) {
            ASSERT_EQ(ui.messages().size(), 2u);
            EXPECT_EQ(ui.messages()[1].title, GetProgramText(167));
            EXPECT_EQ(ui.messages()[1].text, GetProgramText(166) + " " + target + Native("A/") + CRLF +
                                                 GetProgramText(386) + " A " + GetProgramText(387) + " " +
                                                 target + CRLF + CRLF + GetProgramText(64));
        } else {
            EXPECT_TRUE(ui.messages().empty());
        }
    }
}

} // namespace
} // namespace kestrel::testing
