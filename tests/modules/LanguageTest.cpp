#include "modules/Language.h"
#include "platform/ProgramPaths.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using namespace kestrel;
using kestrel::testing::TempDir;

namespace {

std::string fixture(const std::string& name) {
    const char* root = std::getenv("KESTREL_FIXTURES");
    std::filesystem::path base =
        root && root[0] ? std::filesystem::path(root)
                        : std::filesystem::path(__FILE__).parent_path().parent_path() / "fixtures";
    return (base / "texts" / name).string();
}

// Every program text number the program uses, 66 ("modified", the twin of 65 "new") included.
const std::vector<int> kUsedTextNumbers = {
    5,   19,  21,  22,  23,  24,  25,  27,  28,  31,  32,  36,  37,  38,  40,  42,  43,  44,  45,
    49,  58,  59,  60,  62,  63,  64,  65,  66,  69,  70,  71,  76,  77,  79,  80,  81,  82,  83,
    86,  87,  88,  89,  90,  92,  105, 106, 107, 110, 112, 113, 114, 115, 116, 117, 118, 119, 120,
    121, 134, 135, 152, 155, 157, 158, 159, 164, 165, 166, 167, 168, 169, 170, 171, 172, 310, 343,
    346, 347, 348, 349, 352, 353, 356, 357, 358, 374, 375, 376, 377, 378, 379, 380, 381, 382, 383,
    384, 385, 386, 387, 388, 389, 390, 391, 392, 393, 394, 403, 405, 406, 420, 430};

// Our own texts beyond those, by runs of numbers: every other text the program shows (the
// report's lines, the windows' captions, the command-line tool's words) and, from 1999, the
// descriptions of errors (2000 + the error number).
const std::vector<std::pair<int, int>> kOwnTextRuns = {
    {1101, 1115}, {1120, 1122}, {1130, 1223}, {1240, 1252}, {1260, 1278}, {1280, 1299}, {1302, 1309},
    {1400, 1404}, {1406, 1408}, {1411, 1436}, {1438, 1460}, {1500, 1522}, {1525, 1605}, {1700, 1714},
    {1720, 1738}, {1740, 1758}, {1800, 1827}, {1900, 1905}, {1910, 1945}, {1999, 1999}, {2006, 2006},
    {2013, 2013}, {2052, 2053}, {2057, 2058}, {2061, 2062}, {2070, 2070}, {2075, 2076}, {2380, 2380}};

std::vector<int> OwnTextNumbers() {
    std::vector<int> numbers;
    for (const auto& [first, last] : kOwnTextRuns)
        for (int n = first; n <= last; ++n)
            numbers.push_back(n);
    return numbers;
}

struct LoadCase {
    const char* fixture;
    int expected;
};

TEST(LoadProgramText, FixtureFilesGiveTheResultCodesOfTheTable) {
    const LoadCase cases[] = {
        {"no-such-file.dat", -1},
        {"empty.dat", -6},
        {"comments-only.dat", 0},
        {"duplicate-line3.dat", -1503},
        {"missing-string.dat", -504},
        {"too-long.dat", -1002},
        {"malformed.dat", -4},
        {"number-too-large.dat", -3},
        {"valid.dat", 5},
    };
    for (const LoadCase& c : cases)
        EXPECT_EQ(LoadProgramTextFromPath(fixture(c.fixture)), c.expected) << c.fixture;
}

TEST(LoadProgramText, AFolderOpensButCannotBeRead) {
    TempDir dir;
    EXPECT_EQ(LoadProgramTextFromPath(dir.createFolder("zbk.dat")), -7);
}

// A FIFO given as the program text file would wait for a writer for ever: it is refused at once.
TEST(LoadProgramText, AFifoIsAReadErrorAtOnce) {
    TempDir dir;
    if (!kestrel::testing::MakeFifo(dir.path("zbk.dat")))
        GTEST_SKIP() << kestrel::testing::kNoFifos;
    EXPECT_EQ(LoadProgramTextFromPath(dir.path("zbk.dat")), -7);
}

struct ContentCase {
    const char* what;
    std::string content;
    int expected;
};

std::string repeat(int count, const std::string& each) {
    std::string out;
    for (int i = 0; i < count; ++i)
        out += each;
    return out;
}

std::string lines(int count, const std::string& each) {
    return repeat(count, each + "\n");
}

TEST(LoadProgramText, LineRulesAndLimits) {
    const std::string comments500 = lines(500, "# filler");
    const ContentCase cases[] = {
        {"a number alone", "1=One\n2\n", -502},
        {"a text of blanks only", "1=One\n2=   \t\n", -502},
        {"1024 characters is the limit", "1=" + std::string(1024, 'x') + "\n", 1},
        {"an escape counts as one character", "1=" + std::string(1022, 'x') + "\\n\\\\\n", 1},
        {"characters, not bytes", "1=" + repeat(1024, "\xC3\xA9") + "\n", 1}, // 1024 times é
        {"1025 characters", "1=" + std::string(1025, 'x') + "\n", -1001},
        {"invalid UTF-8", "1=caf\xE9\n", -4},
        {"a minus sign", "-5=Minus\n", -4},
        {"a blank instead of =", "5 Five\n", -4},
        {"a blank before =", "5 =Five\n", -4},
        {"an indented comment mark", " # indented comment\n", -4},
        {"32767 is the last number", "32767=Last\n", 1},
        {"32768", "32768=Beyond\n", -3},
        {"a file over 4 MiB", "1=" + std::string(1000, 'x') + "\n" + std::string(4 * 1024 * 1024, '#'), -3},
        {"CR LF line ends and a byte-order mark", "\xEF\xBB\xBF# head\r\n1=One\r\n2=Two\r\n", 2},
        {"no final line end", "1=One\n2=Two", 2},
        {"the first fault wins", "1=One\n1=Again\n2=\n", -1502},
        // Line 500 is the last the table can name; beyond it the fault keeps its own kind.
        {"missing at line 500", lines(499, "# filler") + "7=\n", -1000},
        {"missing at line 501", comments500 + "7=\n", -4},
        {"too long at line 500", lines(499, "# filler") + "7=" + std::string(1025, 'x') + "\n", -1500},
        {"too long at line 501", comments500 + "7=" + std::string(1025, 'x') + "\n", -3},
        {"duplicate at line 501", "7=Seven\n" + lines(499, "# filler") + "7=Again\n", -2001},
    };
    TempDir dir;
    for (const ContentCase& c : cases) {
        std::string path = dir.createFile("case.dat", c.content);
        int r = LoadProgramTextFromPath(path);
        EXPECT_EQ(r, c.expected) << c.what;
    }
}

TEST(LoadProgramText, DuplicateAtLine3IsReportedWithItsLine) {
    int r = LoadProgramTextFromPath(fixture("duplicate-line3.dat"));
    ASSERT_EQ(r, -1503);
    EXPECT_EQ(ProgramTextLoadMessage(r, fixture("duplicate-line3.dat")),
              "Duplicate in program text at line 3.");
}

TEST(LoadProgramText, FileThatCannotBeOpenedNamesThePath) {
    std::string path = fixture("no-such-file.dat");
    int r = LoadProgramTextFromPath(path);
    EXPECT_EQ(ProgramTextLoadMessage(r, path), "Cannot open file containing program text.\n" + path);
}

TEST(LoadProgramText, LoadingAgainReplacesTheTableAndAFailureEmptiesIt) {
    TempDir dir;
    ASSERT_EQ(LoadProgramTextFromPath(dir.createFile("a.dat", "1=One\n2=Two\n")), 2);
    ASSERT_EQ(LoadProgramTextFromPath(dir.createFile("b.dat", "2=Deux\n3=Trois\n")), 2);
    EXPECT_EQ(GetProgramText(1), "");
    EXPECT_EQ(GetProgramText(2), "Deux");
    EXPECT_EQ(GetProgramText(3), "Trois");

    ASSERT_EQ(LoadProgramTextFromPath(dir.createFile("c.dat", "4=Four\n4=Again\n")), -1502);
    EXPECT_EQ(GetProgramText(2), "");
    EXPECT_EQ(GetProgramText(4), "") << "texts read before the fault are not kept";
}

TEST(GetProgramText, MarkerMissingNumbersLineBreaksAndBackslashes) {
    ASSERT_EQ(LoadProgramTextFromPath(fixture("valid.dat")), 5);
    EXPECT_EQ(GetProgramText(1), "First text");
    EXPECT_EQ(GetProgramText(2), "") << "the ~ marker reads as missing";
    EXPECT_EQ(GetProgramText(99), "") << "a number the file does not hold";
    EXPECT_EQ(GetProgramText(-1), "");
    EXPECT_EQ(GetProgramText(3), "Line one\nLine two");
    EXPECT_EQ(GetProgramText(4), "Path C:\\ and key Software\\Corvane Systems\\ZBK, one backslash \\ here");
    EXPECT_EQ(GetProgramText(5), "  kept blanks ");
}

TEST(GetProgramText, ReadsSafelyFromSeveralThreadsWhileTheTableIsReplaced) {
    TempDir dir;
    std::string a = dir.createFile("a.dat", "1=Alpha\n");
    std::string b = dir.createFile("b.dat", "1=Beta\n");
    ASSERT_EQ(LoadProgramTextFromPath(a), 1);
    std::atomic<bool> odd{false};
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t)
        readers.emplace_back([&odd] {
            for (int i = 0; i < 2000; ++i) {
                std::string text = GetProgramText(1);
                if (text != "Alpha" && text != "Beta")
                    odd = true;
            }
        });
    for (int i = 0; i < 50; ++i)
        LoadProgramTextFromPath(i % 2 ? a : b);
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_FALSE(odd);
}

struct MessageCase {
    int result;
    std::string message;
};

TEST(ProgramTextLoadMessage, EveryRowOfTheTable) {
    const std::string path = "/opt/kestrel/zbk.dat";
    const MessageCase cases[] = {
        {0, "No program text was read."},
        {-1, "Cannot open file containing program text.\n/opt/kestrel/zbk.dat"},
        {-2, "Particular memory allocation error."},
        {-3, "Too much program text."},
        {-4, "Text not recovered."},
        {-5, "Error -5"},
        {-6, "File is empty."},
        {-7, "Error reading file."},
        {-8, "General memory allocation error."},
        {-9, "Error -9"},
        {-500, "Error -500"},
        {-501, "Missing string at line 1."},
        {-504, "Missing string at line 4."},
        {-1000, "Missing string at line 500."},
        {-1001, "String too long at line 1."},
        {-1500, "String too long at line 500."},
        {-1501, "Duplicate in program text at line 1."},
        {-1503, "Duplicate in program text at line 3."},
        {-2001, "Duplicate in program text at line 501."},
        {1, ""},
        {108, ""},
    };
    for (const MessageCase& c : cases)
        EXPECT_EQ(ProgramTextLoadMessage(c.result, path), c.message) << c.result;
}

class ProgramTextFile : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setProgramFolder(""); // the test program's own folder, where CMake put zbk.dat
        ASSERT_GT(LoadProgramText("zbk.dat"), 0)
            << ProgramTextLoadMessage(LoadProgramText("zbk.dat"), platform::programFolder() + "zbk.dat");
    }
};

TEST_F(ProgramTextFile, HoldsATextForEveryNumberTheProgramUses) {
    const std::vector<int> own = OwnTextNumbers();
    for (const std::vector<int>* numbers : {&kUsedTextNumbers, &own})
        for (int n : *numbers)
            EXPECT_FALSE(GetProgramText(n).empty()) << "program text " << n;
    EXPECT_EQ(LoadProgramText("zbk.dat"), static_cast<int>(kUsedTextNumbers.size() + own.size()))
        << "every text of the file is one the program uses";
}

TEST_F(ProgramTextFile, TextsTheCodeRewritesHoldTheirMarks) {
    std::string t358 = GetProgramText(358);
    EXPECT_EQ(std::count(t358.begin(), t358.end(), '2'), 1) << t358;
    EXPECT_NE(GetProgramText(383).find("999"), std::string::npos);
    EXPECT_NE(GetProgramText(374).find("C:\\"), std::string::npos);
    EXPECT_NE(GetProgramText(378).find("E:\\"), std::string::npos);
    EXPECT_EQ(GetProgramText(5), "Files being used by another program cannot be backed up.");
    EXPECT_EQ(GetProgramText(310), "kestrel-backup");
}

TEST_F(ProgramTextFile, TextsJoinedWithoutSeparatorsCarryTheirOwn) {
    EXPECT_EQ(GetProgramText(105).back(), '\n');
    EXPECT_EQ(GetProgramText(106).substr(0, 2), "\n\n");
    EXPECT_EQ(GetProgramText(106).back(), ' ');
    EXPECT_EQ(GetProgramText(107).substr(0, 2), "\n\n");
    EXPECT_EQ(GetProgramText(169).back(), ' ');
    EXPECT_EQ(GetProgramText(170).front(), ',');
    EXPECT_EQ(GetProgramText(393).back(), '\n');
    EXPECT_EQ(GetProgramText(394).substr(0, 2), "\n\n");
}

} // namespace
