#include "modules/FileProc.h"

#include "modules/DatePr2.h"
#include "modules/Language.h"
#include "platform/Clock.h"
#include "platform/Disk.h"
#include "platform/FileSystem.h"
#include "support/CopyFaultGuard.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"
#include "support/Unprivileged.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kestrel;
using kestrel::testing::CopyFaultGuard;
using kestrel::testing::RunAsUnprivileged;
using kestrel::testing::TempDir;
using kestrel::testing::utcSeconds;

namespace {

// Fixes "now" (and so the time zone) for one test and gives the system clock back afterwards.
class ClockGuard {
public:
    explicit ClockGuard(int utcOffsetMinutes) {
        platform::LocalDateTime moment;
        moment.year = 2024;
        moment.month = 3;
        moment.day = 9;
        moment.hour = 12;
        moment.utcOffsetMinutes = utcOffsetMinutes;
        clock_.set(moment);
        platform::setClock(&clock_);
    }
    ~ClockGuard() { platform::setClock(nullptr); }

private:
    platform::FixedClock clock_{platform::LocalDateTime{}};
};

SystemTime systemTime(int year, int month, int day, int hour, int minute, int second) {
    SystemTime st;
    st.year = year;
    st.month = month;
    st.day = day;
    st.hour = hour;
    st.minute = minute;
    st.second = second;
    return st;
}

std::string fixtureFolder() {
    if (const char* fromCtest = std::getenv("KESTREL_FIXTURES"))
        return std::string(fromCtest) + "/";
    return (std::filesystem::path(__FILE__).parent_path().parent_path() / "fixtures").string() + "/";
}

} // namespace

TEST(CopyOneFile, CopiesTheFileWithItsModificationTimeAndEmptiesTheReason) {
    TempDir dir;
    const std::int64_t written = utcSeconds(2023, 6, 1, 8, 30, 0);
    const std::string source = dir.createFile("src/report.txt", "contents", written);
    const std::string target = dir.createFolder("dst") + "report.txt";

    std::string reason = "left from an earlier copy";
    EXPECT_TRUE(CopyOneFile(source, target, reason, true));
    EXPECT_EQ(reason, "");
    EXPECT_EQ(dir.readFile("dst/report.txt"), "contents");
    EXPECT_EQ(platform::statPath(target).mtimeSeconds, written);
}

TEST(CopyOneFile, GivesTheCopyTheTimeOfTheStatusAlreadyRead) {
    TempDir dir;
    const std::string source = dir.createFile("a.txt", "contents", utcSeconds(2023, 6, 1, 8, 30, 0));
    const std::string target = dir.path("b.txt");
    platform::FileStatus status = platform::statPath(source);
    status.mtimeSeconds = utcSeconds(2020, 1, 1, 0, 0, 0);

    std::string reason;
    ASSERT_TRUE(CopyOneFile(source, target, reason, true, &status));
    EXPECT_EQ(platform::statPath(target).mtimeSeconds, status.mtimeSeconds);
}

TEST(CopyOneFile, FailuresGiveTheErrorsDescriptionAndKeepTheOldCopy) {
    struct Case {
        const char* name;
        bool sourceExists;
        bool overwrite;
        int injectedError;
        const char* reason;
    } cases[] = {
        {"missing source", false, true, 0, "File not found"},
        {"existing target without overwrite", true, false, 0, "File already exists"},
        {"disk full during the copy", true, true, platform::err::DiskFull, "Disk full"},
        {"device error during the copy", true, true, platform::err::DeviceIo, "Device I/O error"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string source =
            c.sourceExists ? dir.createFile("new.txt", "new contents") : dir.path("new.txt");
        const std::string target = dir.createFile("backup/new.txt", "old backup");
        const int injected = c.injectedError;
        CopyFaultGuard fault([injected](const std::string&, const std::string&) {
            return injected ? platform::Error::of(injected) : platform::Error{};
        });

        std::string reason;
        EXPECT_FALSE(CopyOneFile(source, target, reason, c.overwrite)) << c.name;
        EXPECT_EQ(reason, c.reason) << c.name;
        EXPECT_EQ(dir.readFile("backup/new.txt"), "old backup") << c.name;
    }
}

TEST(ErrorOnFileOpen, TellsAMissingFileFromOneThatCannotBeRead) {
    TempDir dir;
    const std::string file = dir.createFile("a.txt", "x");
    dir.createFolder("folder");
    struct Case {
        std::string path;
        int expected;
    };
    std::vector<Case> cases = {
        {file, 0},
        {dir.path("missing.txt"), -1},
        {dir.path("nofolder/a.txt"), -1},
        {file + "/below", -1},
        {dir.path("folder"), -2},
    };
    // Where the system has them (Windows has no FIFOs; Wine makes no links).
    if (kestrel::testing::MakeSymlink(dir.path("gone.txt"), dir.path("dangling")))
        cases.push_back({dir.path("dangling"), -1});
    if (kestrel::testing::MakeFifo(dir.path("pipe")))
        cases.push_back({dir.path("pipe"), 0}); // opened without waiting for a writer
    for (const Case& c : cases)
        EXPECT_EQ(ErrorOnFileOpen(c.path), c.expected) << c.path;
}

TEST(ErrorOnFileOpen, AFileWithoutReadPermissionCannotBeOpened) {
    TempDir dir;
    const std::string file = dir.createFile("secret.txt", "x");
    RunAsUnprivileged({dir.path()}, [&] {
        ASSERT_EQ(::chmod(file.c_str(), 0200), 0);
        EXPECT_EQ(ErrorOnFileOpen(file), -2);
    });
}

TEST(CopyErrorText, ChoosesTheTextByWhyTheSourceFailed) {
    ASSERT_GT(LoadProgramTextFromPath(fixtureFolder() + "fileproc/texts.dat"), 0);
    TempDir dir;
    EXPECT_EQ(CopyErrorText(dir.path("missing.txt")), "source is gone");
    EXPECT_EQ(CopyErrorText(dir.createFolder("folder")), "source cannot be read");
    EXPECT_EQ(CopyErrorText(dir.createFile("a.txt", "x")), "copy failed");
}

TEST(CopyErrorText, NamesWhatTheCopyFoundWhereThatTellsTheUserMore) {
    ASSERT_GT(LoadProgramTextFromPath(fixtureFolder() + "fileproc/texts.dat"), 0);
    TempDir dir;
    const std::string file = dir.createFile("a.txt", "x");
    auto failed = [](platform::CopyFailure failure, int number) {
        platform::CopyResult result;
        result.failure = failure;
        result.error = platform::Error::of(number);
        return result;
    };
    using platform::CopyFailure;
    namespace err = platform::err;
    struct Case {
        platform::CopyResult copy;
        std::string path;
        const char* reason;
    } cases[] = {
        {failed(CopyFailure::Target, err::DeviceIo), file, "device error"},
        {failed(CopyFailure::SourceChanged, err::PathFileAccess), file, "source changed twice"},
        {failed(CopyFailure::NotRegular, err::PathFileAccess), file, "no regular file"},
        {failed(CopyFailure::Target, err::PermissionDenied), file, "copy failed"},
        {failed(CopyFailure::Source, err::FileNotFound), dir.path("missing.txt"), "source is gone"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CopyErrorText(c.path, c.copy), c.reason);
}

TEST(FileSize, BytesOrTheErrorNumberNegated) {
    TempDir dir;
    const std::string file = dir.createFile("a.txt", "hello");
    struct Case {
        std::string path;
        std::int64_t expected;
    } cases[] = {
        {file, 5},
        {dir.createFile("empty.txt"), 0},
        {dir.path("missing.txt"), -53},
        {dir.path("nofolder/a.txt"), -53},
        {dir.createFolder("folder"), -53}, // a folder is no file
    };
    for (const Case& c : cases)
        EXPECT_EQ(FileSize(c.path), c.expected) << c.path;
}

TEST(FileSize, SizesBeyondTwoGigabytesAreExact) {
    TempDir dir;
    const std::string file = dir.createFile("big.bin");
    const std::int64_t size = 5LL * 1024 * 1024 * 1024 + 7;
    std::filesystem::resize_file(std::filesystem::path(std::u8string(file.begin(), file.end())),
                                 static_cast<std::uintmax_t>(size)); // sparse: takes no space
    EXPECT_EQ(FileSize(file), size);
}

TEST(FileSize, PermissionDeniedIsMinusSeventy) {
    TempDir dir;
    const std::string file = dir.createFile("locked/a.txt", "x");
    RunAsUnprivileged({dir.path()}, [&] {
        ASSERT_EQ(::chmod(dir.path("locked").c_str(), 0), 0);
        EXPECT_EQ(FileSize(file), -70);
    });
}

TEST(SystemTimeFromUtc, CalendarFieldsOfAModificationTime) {
    struct Case {
        std::int64_t seconds;
        std::int32_t nanoseconds;
        int year, month, day, dayOfWeek, hour, minute, second, millisecond;
    } cases[] = {
        {0, 0, 1970, 1, 1, 4, 0, 0, 0, 0},
        {951782400, 0, 2000, 2, 29, 2, 0, 0, 0, 0},
        {1709942703, 123456789, 2024, 3, 9, 6, 0, 5, 3, 123},
        {-1, 0, 1969, 12, 31, 3, 23, 59, 59, 0},
        {253402300799, 999999999, 9999, 12, 31, 5, 23, 59, 59, 999},
    };
    for (const Case& c : cases) {
        const SystemTime st = SystemTimeFromUtc(c.seconds, c.nanoseconds);
        EXPECT_EQ(st.year, c.year) << c.seconds;
        EXPECT_EQ(st.month, c.month) << c.seconds;
        EXPECT_EQ(st.day, c.day) << c.seconds;
        EXPECT_EQ(st.dayOfWeek, c.dayOfWeek) << c.seconds;
        EXPECT_EQ(st.hour, c.hour) << c.seconds;
        EXPECT_EQ(st.minute, c.minute) << c.seconds;
        EXPECT_EQ(st.second, c.second) << c.seconds;
        EXPECT_EQ(st.millisecond, c.millisecond) << c.seconds;
    }
}

TEST(RoundToMinute, RoundsUpAfterThirtySecondsButNeverChangesTheMonth) {
    struct Case {
        SystemTime in;
        int day, hour, minute;
    } cases[] = {
        {systemTime(2024, 3, 9, 10, 15, 31), 9, 10, 16},
        {systemTime(2024, 3, 9, 10, 15, 30), 9, 10, 15},
        {systemTime(2024, 3, 9, 10, 15, 0), 9, 10, 15},
        {systemTime(2024, 3, 9, 10, 59, 45), 9, 11, 0},    // into the hour
        {systemTime(2024, 3, 9, 23, 59, 45), 10, 0, 0},    // into the day
        {systemTime(2024, 1, 31, 23, 59, 45), 31, 23, 59}, // the month's last day keeps its day
        {systemTime(2024, 1, 30, 23, 59, 45), 30, 23, 59}, // may be a last day
        {systemTime(2024, 4, 29, 23, 59, 45), 30, 0, 0},
        {systemTime(2023, 2, 28, 23, 59, 45), 28, 23, 59},
        {systemTime(2024, 2, 28, 23, 59, 45), 28, 23, 59}, // leap year: still "may be the last"
        {systemTime(2024, 2, 27, 23, 59, 45), 28, 0, 0},
        {systemTime(2024, 1, 31, 23, 58, 59), 31, 23, 59},
        {systemTime(2024, 1, 31, 22, 59, 31), 31, 23, 0},
    };
    for (const Case& c : cases) {
        SystemTime st = c.in;
        RoundToMinute(st);
        const std::string where = std::to_string(c.in.month) + "-" + std::to_string(c.in.day) + " " +
                                  std::to_string(c.in.hour) + ":" + std::to_string(c.in.minute) + ":" +
                                  std::to_string(c.in.second);
        EXPECT_EQ(st.year, c.in.year) << where;
        EXPECT_EQ(st.month, c.in.month) << where;
        EXPECT_EQ(st.day, c.day) << where;
        EXPECT_EQ(st.hour, c.hour) << where;
        EXPECT_EQ(st.minute, c.minute) << where;
        EXPECT_EQ(st.second, 0) << where;
    }
}

TEST(MinuteOfMonth, CountsFromTheFirstMidnightOfTheMonth) {
    EXPECT_EQ(MinuteOfMonth(systemTime(2024, 3, 1, 0, 0, 0)), 0);
    EXPECT_EQ(MinuteOfMonth(systemTime(2024, 3, 9, 10, 16, 0)), 8 * 1440 + 10 * 60 + 16);
    EXPECT_EQ(MinuteOfMonth(systemTime(2024, 1, 31, 23, 59, 0)), 30 * 1440 + 1439);
}

TEST(FileDateTimeText, UtcTextWithTheUnroundedSecondsAndTheRoundedMinute) {
    ClockGuard zone(120); // the zone must not shift a UTC text
    TempDir dir;
    const std::string file = dir.createFile("a.txt", "x", utcSeconds(2024, 3, 9, 10, 15, 31));

    int minute = -1;
    const platform::Result<std::string> text = FileDateTimeText(file, false, minute);
    ASSERT_TRUE(text.ok());
    EXPECT_EQ(text.value(), "2024-03-09 10:15:31");
    EXPECT_EQ(minute, 8 * 1440 + 10 * 60 + 16);
    EXPECT_EQ(FileDateTimeText(file, true, minute).value(), "2024-03-09T10:15:31+00:00");
    EXPECT_EQ(minute, 8 * 1440 + 10 * 60 + 16);
}

TEST(FileDateTimeText, AMissingFileGivesItsErrorAndAnEmptyText) {
    TempDir dir;
    int minute = -1;
    const platform::Result<std::string> utc = FileDateTimeText(dir.path("missing.txt"), false, minute);
    EXPECT_FALSE(utc.ok());
    EXPECT_EQ(utc.valueOr("no text"), "no text");
    EXPECT_EQ(utc.error().number, 53);
    const platform::Result<std::string> local = FileLocalDateTimeText(dir.path("missing.txt"), minute);
    EXPECT_FALSE(local.ok());
    EXPECT_EQ(local.error().number, 53);
}

TEST(FileLocalDateTimeText, AddsTheZoneWithCarriesOverMonthAndYearEnds) {
    struct Case {
        int offset;
        std::int64_t utc;
        const char* expected;
    } cases[] = {
        {0, utcSeconds(2024, 3, 9, 10, 15, 31), "2024-03-09 10:16"},
        {60, utcSeconds(2024, 6, 15, 12, 0, 0), "2024-06-15 13:00"},
        {-60, utcSeconds(2024, 6, 15, 12, 0, 0), "2024-06-15 11:00"},
        {60, utcSeconds(2024, 12, 31, 23, 30, 0), "2025-01-01 00:30"},
        {-300, utcSeconds(2024, 1, 1, 2, 0, 0), "2023-12-31 21:00"},
        {120, utcSeconds(2024, 2, 29, 23, 0, 0), "2024-03-01 01:00"},
        {120, utcSeconds(2023, 2, 28, 23, 0, 0), "2023-03-01 01:00"},
        {-60, utcSeconds(2024, 3, 1, 0, 30, 0), "2024-02-29 23:30"},
        {-60, utcSeconds(2023, 3, 1, 0, 30, 0), "2023-02-28 23:30"},
        {330, utcSeconds(2024, 4, 30, 20, 0, 0), "2024-05-01 01:30"},
        {-480, utcSeconds(2024, 5, 1, 7, 59, 45), "2024-05-01 00:00"},
        {-720, utcSeconds(2024, 5, 1, 11, 0, 0), "2024-04-30 23:00"},
        {840, utcSeconds(2024, 5, 31, 10, 0, 0), "2024-06-01 00:00"},
        {60, utcSeconds(2024, 12, 31, 23, 59, 45), "2025-01-01 00:59"}, // rounded before the shift
    };
    TempDir dir;
    for (const Case& c : cases) {
        ClockGuard zone(c.offset);
        const std::string file = dir.createFile("a.txt", "x", c.utc);
        int minute = -1;
        const platform::Result<std::string> text = FileLocalDateTimeText(file, minute);
        ASSERT_TRUE(text.ok()) << c.offset;
        EXPECT_EQ(text.value(), c.expected) << c.offset;
    }
}

TEST(FileLocalDateTimeText, MinuteOfMonthIsOfTheLocalTime) {
    ClockGuard zone(60);
    TempDir dir;
    const std::string file = dir.createFile("a.txt", "x", utcSeconds(2024, 12, 31, 23, 30, 0));
    int minute = -1;
    ASSERT_TRUE(FileLocalDateTimeText(file, minute).ok());
    EXPECT_EQ(minute, 30); // 1 January, 00:30
}

TEST(FileDayNumber, DayOfTheLocalDateOrZero) {
    TempDir dir;
    const std::string file = dir.createFile("a.txt", "x", utcSeconds(2024, 3, 9, 23, 30, 0));
    {
        ClockGuard zone(60);
        EXPECT_EQ(FileDayNumber(file), DayNumberFromDate(2024, 3, 10));
    }
    {
        ClockGuard zone(-60);
        EXPECT_EQ(FileDayNumber(file), DayNumberFromDate(2024, 3, 9));
    }
    EXPECT_EQ(FileDayNumber(dir.path("missing.txt")), 0);
}

TEST(StatusTexts, WorkFromTheStatusWithoutReadingTheFileAgain) {
    ClockGuard zone(-300);
    TempDir dir;
    const std::string file = dir.createFile("a.txt", "x", utcSeconds(2024, 1, 1, 2, 0, 40));
    const platform::FileStatus status = platform::statPath(file);
    ASSERT_EQ(platform::removeFile(file).number, 0);

    int minute = -1;
    EXPECT_EQ(DateTimeTextOfStatus(status, false, minute), "2024-01-01 02:00:40");
    EXPECT_EQ(minute, 2 * 60 + 1);
    EXPECT_EQ(LocalDateTimeTextOfStatus(status, minute), "2023-12-31 21:01");
    EXPECT_EQ(minute, 30 * 1440 + 21 * 60 + 1);
    EXPECT_EQ(DayNumberOfStatus(status), DayNumberFromDate(2023, 12, 31));

    const platform::FileStatus missing = platform::statPath(file);
    EXPECT_EQ(DateTimeTextOfStatus(missing, true, minute), "");
    EXPECT_EQ(LocalDateTimeTextOfStatus(missing, minute), "");
    EXPECT_EQ(DayNumberOfStatus(missing), 0);
}

TEST(WildcardMatch, MatchesStarWithBacktrackingAndQuestionMarkAsOneCharacter) {
    struct Case {
        const char* text;
        const char* pattern;
        bool caseSensitive;
        bool expected;
    } cases[] = {
        {"docx", "doc?", false, true},
        {"doc", "doc?", false, false},
        {"txt", "*", false, true},
        {"htm", "h*", false, true},
        {"html", "htm", false, false},
        {"txt", "txt", false, true},
        {"txt", "", false, true},  // no pattern: everything
        {"", "", false, true},     // equal
        {"", "txt", false, false}, // an empty text has nothing to match
        {"", "?", false, false},
        {"", "*", false, true},
        {"", "**", false, true},
        {"banana", "*a", false, true}, // a later "a" is tried
        {"xlsx", "*x", false, true},
        {"banana", "b*n*a", false, true},
        {"banana", "*an", false, false},
        {"tar.gz", "*.gz", false, true},
        {"ab", "a*?", false, true},
        {"a", "a*?", false, false}, // "?" still needs a character
        {"abc", "?*?", false, true},
        {"TXT", "txt", false, true},
        {"TXT", "txt", true, false},
        {"txt", "T?T", true, false},
        {"\xC3\x89T\xC3\x89", "\xC3\xA9t\xC3\xA9", false, true}, // ÉTÉ / été
        {"\xC3\xA9", "?", false, true},                          // one character, two bytes
        {"\xC3\xA9", "??", false, false},
        {"a\xFF", "a?", false, true}, // a stray byte is one character
    };
    for (const Case& c : cases)
        EXPECT_EQ(WildcardMatch(c.text, c.pattern, c.caseSensitive), c.expected)
            << "\"" << c.text << "\" against \"" << c.pattern << "\"";
}

TEST(FileNameMatches, MatchesBaseAndExtensionSeparately) {
    struct Case {
        const char* name;
        const char* pattern;
        bool caseSensitive;
        bool expected;
    } cases[] = {
        {"README", "*.*", false, true}, // "*.*" takes names without a "."
        {"notes.txt", "*.*", false, true},
        {"a.doc", "*.*", false, true},
        {"notes.txt", "*.txt", false, true},
        {"README", "*.txt", false, false},
        {"a.doc", "*.txt", false, false},
        {"notes.txt", "  *.txt  ", false, true},
        {"notes.txt", "", false, true},
        {"notes.txt", "   ", false, true},
        {"README", "READ*", false, true},
        {"notes.txt", "notes", false, false}, // a name with "." against a pattern without
        {"archive.tar.gz", "*.gz", false, true},
        {"archive.tar.gz", "*.tar", false, false},
        {"archive.tar.gz", "*.tar.*", false, true},
        {".bashrc", "*.*", false, true},
        {"a.", "*.*", false, true},
        {"a.", "*.txt", false, false},
        {"Makefile", "*.mk", false, false},
        {"NOTES.TXT", "*.txt", false, true},
        {"NOTES.TXT", "*.txt", true, false},
        {"doc1.doc", "doc?.doc", false, true},
        {"Setup one.zbk", "*.zbk", false, true},
        {"a:b.txt", "*.txt", false, true}, // legal names here
        {"what?.txt", "*.txt", false, true},
#ifndef _WIN32 // a separator on Windows
        {"back\\slash.txt", "*.*", false, true},
#endif
        {"folder/a.txt", "*.*", false, false}, // a path is no name
    };
    for (const Case& c : cases)
        EXPECT_EQ(FileNameMatches(c.name, c.pattern, c.caseSensitive), c.expected)
            << "\"" << c.name << "\" against \"" << c.pattern << "\"";
}

TEST(PathParts, ExtensionNameAndFolderOfAPath) {
    EXPECT_EQ(FileExtensionOf("/data/report.TXT", false), "TXT");
    EXPECT_EQ(FileExtensionOf("/data/report.TXT", true), "txt");
    EXPECT_EQ(FileExtensionOf("/data/archive.tar.gz", true), "gz");
    EXPECT_EQ(FileExtensionOf("/data.old/README", true), ""); // the "." of a folder is not it
    EXPECT_EQ(FileExtensionOf("/data/file.", true), "");
    EXPECT_EQ(FileExtensionOf("notes.txt", true), "txt");
    EXPECT_EQ(FileExtensionOf("", true), "");

    const std::string path = "/home/Anna/\xC3\x89T\xC3\x89.TXT"; // ÉTÉ.TXT
    EXPECT_EQ(FileNameOf(path, false), "\xC3\x89T\xC3\x89.TXT");
    EXPECT_EQ(FileNameOf(path, true), "\xC3\xA9t\xC3\xA9.txt");
    EXPECT_EQ(FolderOf(path, false), "/home/Anna/");
    EXPECT_EQ(FolderOf(path, true), "/home/anna/");
    EXPECT_EQ(FileNameOf("/home/anna/", false), "");
    EXPECT_EQ(FolderOf("/home/anna/", false), "/home/anna/");
    EXPECT_EQ(FileNameOf("no-separator", false), "");
    EXPECT_EQ(FolderOf("no-separator", false), "");
    EXPECT_EQ(FolderOf("/a.txt", false), "/");
}

TEST(AddTrailingBackslash, EndsAFolderInExactlyOneSeparator) {
    SKIP_ON_WINDOWS("POSIX paths; the Windows forms are tested with the path procedures");
    EXPECT_EQ(AddTrailingBackslash("/data"), "/data/");
    EXPECT_EQ(AddTrailingBackslash("/data/"), "/data/");
    EXPECT_EQ(AddTrailingBackslash("/"), "/");
    EXPECT_EQ(AddTrailingBackslash(""), "");
}

TEST(DriveOfPath, IsTheMountPointThatHoldsThePath) {
    TempDir dir;
    const std::string file = dir.createFile("a/b.txt", "x");
    EXPECT_EQ(DriveOfPath(""), "");
    const std::string drive = DriveOfPath(file);
    EXPECT_EQ(drive, platform::mountPointOf(file));
    ASSERT_FALSE(drive.empty());
#ifdef _WIN32
    EXPECT_EQ(drive, file.substr(0, 2) + "\\");
#else
    EXPECT_EQ(drive.back(), '/');
    EXPECT_EQ(DriveOfPath("/"), "/");
#endif
}

TEST(Attributes, ReadOnlyIsTheMissingOwnerWritePermission) {
    SKIP_ON_WINDOWS("POSIX permission bits; the ReadOnly attribute is tested in platform_tests");
    TempDir dir;
    const std::string locked = dir.createFile("locked.txt", "x");
    ::chmod(locked.c_str(), 0444);
    const std::string open = dir.createFile("open.txt", "x");
    ::chmod(open.c_str(), 0640);

    EXPECT_TRUE(IsReadOnlyFile(locked));
    EXPECT_FALSE(IsReadOnlyFile(open));
    EXPECT_FALSE(IsReadOnlyFile(dir.path("missing.txt")));

    EXPECT_TRUE(ClearReadOnly(locked));
    EXPECT_EQ(platform::statPath(locked).mode & 07777, 0644u); // only u+w added
    EXPECT_TRUE(ClearReadOnly(open));
    EXPECT_EQ(platform::statPath(open).mode & 07777, 0640u);
    EXPECT_FALSE(ClearReadOnly(dir.path("missing.txt")));
}

TEST(Attributes, HiddenAndSystemDoNotExistHere) {
    SKIP_ON_WINDOWS("Windows has the Hidden and System attributes");
    TempDir dir;
    const std::string file = dir.createFile(".hidden", "x");
    ::chmod(file.c_str(), 0400);

    EXPECT_FALSE(IsSystemFile(file));
    SetSystemAttribute(file);
    EXPECT_FALSE(IsSystemFile(file));
    EXPECT_EQ(platform::statPath(file).mode & 07777, 0400u);

    ClearReadOnlyAndHidden(file);
    EXPECT_FALSE(IsReadOnlyFile(file));
    EXPECT_TRUE(dir.exists(".hidden")); // the name, and so the dot, stays
}
