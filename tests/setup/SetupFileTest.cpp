#include "setup/SetupFile.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "support/BuildTexts.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace kestrel;
using kestrel::testing::Native;
using kestrel::testing::TempDir;

namespace {

// A name in a single-byte encoding: bytes that are no UTF-8, as a POSIX name may be. Windows
// names are Unicode: there the same name is written in UTF-8.
#ifdef _WIN32
const std::string kAccentedName = "x \xc3\xa9t\xc3\xa9";
#else
const std::string kAccentedName = "x \xe9t\xe9";
#endif

// Records the load's messages; answers the target question by clearing the target when told to.
class RecordedMessages : public SetupLoadMessages {
public:
    bool clearTargetWhenAsked = false;
    std::vector<std::string> sourceMessages;
    std::vector<std::string> targetMessages;

    void SourceFolderMissing(const std::string& text) override { sourceMessages.push_back(text); }
    void TargetFolderNotFound(const std::string& text, kestrel::Setup& setup) override {
        targetMessages.push_back(text);
        if (clearTargetWhenAsked)
            setup.txbDirectory[1].clear();
    }
};

std::string fixture(const std::string& name) {
    const char* root = std::getenv("KESTREL_FIXTURES");
    std::string folder = root ? std::string(root) + "/setup/" : std::string();
    if (folder.empty()) {
        // Run by hand: the fixtures lie beside this test's folder in the source tree.
        std::string here = __FILE__;
        folder = here.substr(0, here.rfind('/')) + "/../fixtures/setup/";
    }
    return folder + name;
}

// A setup with every field away from its cleared value, its folders below `dir`.
kestrel::Setup fullSetup(const TempDir& dir) {
    kestrel::Setup s;
    // Folder values are in the system's separators, as the program keeps them.
    s.txbDirectory = {Native(dir.createFolder("source, with comma")), Native(dir.createFolder("target"))};
    s.chkSuppressDetailedReports = 1;
    s.chkSaveSetupOnQuit = 1;
    s.chkWarnIfEarlier = 1;
    s.chkWarnIfSmaller = 1;
    s.chkExcludeFilesInSourceFolder = 1;
    s.chkIncludeSubfolders = 1;
    s.cboPercent = 7;
    s.cboModifiedSince = 3;
    s.chkPauseAfterFirstCopy = 1;
    s.chkPauseAfterFirstDelete = 1;
    s.chkDisableOutputToFile = 1;
    s.txbExcludedFilepaths = "  ~$, .tmp ,\"quoted\"";
    s.txbReportFile = dir.path("reports, old/report.txt");
    s.cboIncludedFolders = {"letters", "photos 2023, summer", kAccentedName};
    s.intNumIncludedFolders = 3;
    s.cboIncludedFoldersListIndex = 0;
    s.txbFileExtension = "*.doc?";
    for (const std::string& entry : s.cboIncludedFolders)
        dir.createFolder("source, with comma/" + entry);
    return s;
}

std::vector<std::string> splitCrLf(const std::string& content) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = content.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(content.substr(start, end - start));
    return lines;
}

} // namespace

TEST(SetupFile, RoundTripKeepsEveryFieldIncludingPathsWithCommas) {
    TempDir dir;
    const kestrel::Setup saved = fullSetup(dir);
    const std::string path = dir.path("full.zbk");
    ASSERT_TRUE(SaveSetupFile(saved, path));

    kestrel::Setup loaded; // a report file and its box set before are replaced by the file's
    loaded.txbReportFile = "/somewhere/else.txt";
    RecordedMessages messages;
    EXPECT_EQ(LoadOperationFile(loaded, path, {true, &messages}), 0);

    EXPECT_EQ(loaded, saved);
    EXPECT_TRUE(messages.sourceMessages.empty());
    EXPECT_TRUE(messages.targetMessages.empty());
}

TEST(SetupFile, SavedBytesAreOneItemALineWithCrLf) {
    TempDir dir;
    kestrel::Setup setup;
    setup.txbDirectory = {"/home/anna/", "/media/anna/USB/"};
    setup.chkWarnIfEarlier = 1;
    setup.cboModifiedSince = 2;
    setup.txbExcludedFilepaths = "~$";
    setup.txbReportFile = "/media/anna/USB/report.txt";
    setup.txbFileExtension = "*.txt";
    ASSERT_TRUE(SaveSetupFile(setup, dir.path("a.zbk")));

    EXPECT_EQ(dir.readFile("a.zbk"), "/home/anna/\r\n"
                                     "/media/anna/USB/\r\n"
                                     " 0 \r\n 0 \r\n 1 \r\n 0 \r\n 0 \r\n 0 \r\n"
                                     " 4 \r\n 2 \r\n"
                                     " 0 \r\n 0 \r\n 0 \r\n"
                                     "~$\r\n"
                                     "/media/anna/USB/report.txt\r\n"
                                     " 0 \r\n"
                                     "*.txt\r\n");
}

TEST(SetupFile, SavesTheEntriesBetweenTheirCountAndTheExtension) {
    TempDir dir;
    kestrel::Setup setup = fullSetup(dir);
    ASSERT_TRUE(SaveSetupFile(setup, dir.path("a.zbk")));

    std::vector<std::string> lines = splitCrLf(dir.readFile("a.zbk"));
    ASSERT_EQ(lines.size(), 20u);
    EXPECT_EQ(lines[15], " 3 ");
    EXPECT_EQ(lines[16], "letters");
    EXPECT_EQ(lines[18], kAccentedName) << "texts are bytes, kept as they are";
    EXPECT_EQ(lines[19], "*.doc?");
}

TEST(SetupFile, ClearedSetupSavesNoEntriesThoughItsListKeepsThem) {
    TempDir dir;
    kestrel::Setup setup = fullSetup(dir);
    ClearSetup(setup);
    ASSERT_TRUE(SaveSetupFile(setup, dir.path("a.zbk")));

    std::vector<std::string> lines = splitCrLf(dir.readFile("a.zbk"));
    ASSERT_EQ(lines.size(), 17u);
    EXPECT_EQ(lines[15], " 0 ");
    EXPECT_EQ(lines[16], "");
}

TEST(SetupFile, FailedSaveLeavesTheEarlierFileWhole) {
    TempDir dir;
    const kestrel::Setup setup = fullSetup(dir);
    const std::string path = dir.createFile("kept.zbk", "earlier setup\r\n");
    // A folder where the temporary copy must go fails for every user, root included.
    ASSERT_FALSE(platform::makeDirectory(platform::partialCopyPath(path)));

    EXPECT_FALSE(SaveSetupFile(setup, path));
    EXPECT_EQ(dir.readFile("kept.zbk"), "earlier setup\r\n");
}

TEST(SetupFile, SaveFailsWhereNoFileCanBe) {
    TempDir dir;
    const kestrel::Setup setup = fullSetup(dir);
    dir.createFile("plain-file", "x");
    dir.createFile("folder/inside.txt", "y");

    EXPECT_FALSE(SaveSetupFile(setup, dir.path("plain-file/a.zbk")));
    EXPECT_FALSE(SaveSetupFile(setup, dir.path("folder")));
    EXPECT_EQ(dir.readFile("folder/inside.txt"), "y");
}

TEST(SetupFile, TextThatWouldBreakItsLineIsNotSaved) {
    TempDir dir;
    const std::string path = dir.createFile("kept.zbk", "earlier setup\r\n");
    for (const std::string& text : {std::string("a\nb"), std::string("a\rb"), std::string("a\0b", 3)}) {
        kestrel::Setup setup = fullSetup(dir);
        setup.txbExcludedFilepaths = text;
        EXPECT_FALSE(SaveSetupFile(setup, path));
        setup = fullSetup(dir);
        setup.cboIncludedFolders[1] = text;
        EXPECT_FALSE(SaveSetupFile(setup, path));
    }
    EXPECT_EQ(dir.readFile("kept.zbk"), "earlier setup\r\n");
}

TEST(LoadOperationFile, FileCutAfterLineTenKeepsItsLinesAndReturns62) {
    TempDir dir;
    const kestrel::Setup saved = fullSetup(dir);
    std::vector<std::string> lines = splitCrLf(FormatSetupFile(saved));
    std::string cut;
    for (int i = 0; i < 10; ++i)
        cut += lines[static_cast<std::size_t>(i)] + "\r\n";
    dir.createFile("cut.zbk", cut);

    kestrel::Setup loaded = fullSetup(dir);
    loaded.txbReportFile = "/named/before.txt";
    loaded.chkDisableOutputToFile = 0;
    EXPECT_EQ(LoadOperationFile(loaded, dir.path("cut.zbk"), {}), 62);

    kestrel::Setup expected;
    expected.txbDirectory = saved.txbDirectory;
    expected.chkSuppressDetailedReports = 1;
    expected.chkSaveSetupOnQuit = 1;
    expected.chkWarnIfEarlier = 1;
    expected.chkWarnIfSmaller = 1;
    expected.chkExcludeFilesInSourceFolder = 1;
    expected.chkIncludeSubfolders = 1;
    expected.cboPercent = 7;
    expected.cboModifiedSince = 3;
    // Not reached: the report file and its box keep what they had, as clearing leaves them.
    expected.txbReportFile = "/named/before.txt";
    EXPECT_EQ(loaded, expected);
}

TEST(LoadOperationFile, SubfolderDeletedSinceTheSaveIsDroppedAndTheFileStays) {
    TempDir dir;
    const kestrel::Setup saved = fullSetup(dir);
    const std::string path = dir.path("three.zbk");
    ASSERT_TRUE(SaveSetupFile(saved, path));
    const std::string bytes = dir.readFile("three.zbk");
    ASSERT_FALSE(platform::removeDirectory(saved.txbDirectory[0] + "photos 2023, summer"));

    kestrel::Setup loaded;
    EXPECT_EQ(LoadOperationFile(loaded, path, {}), 0);

    EXPECT_EQ(loaded.cboIncludedFolders, (std::vector<std::string>{"letters", kAccentedName}));
    EXPECT_EQ(loaded.intNumIncludedFolders, 2);
    EXPECT_EQ(loaded.cboIncludedFoldersListIndex, 0);
    EXPECT_EQ(loaded.txbFileExtension, "*.doc?") << "the lines after the entries stay in step";
    EXPECT_EQ(dir.readFile("three.zbk"), bytes);
}

TEST(LoadOperationFile, EntriesThatAreNoDirectSubfolderOfTheSourceAreDropped) {
    TempDir dir;
    const std::string source = dir.createFolder("src");
    for (const char* folder : {"src/etc", "src/a/b", "src/..hidden", "src/ok", "outside",
                               "src/..\\..\\outside", "src/C:\\x", "src/C:x"})
        dir.createFolder(folder);
    // Outside the source, or below a subfolder where the walk never looks for it; in Windows
    // writing too (a setup file may come from there), even where such a name is a folder here.
    const std::string content = source + "\r\n\r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 4 \r\n 0 \r\n"
                                         " 0 \r\n 0 \r\n 0 \r\n\r\n\r\n 13 \r\n"
                                         "/etc\r\n../outside\r\na/../../outside\r\na/..\r\n..\r\n"
                                         "..\\..\\outside\r\nC:\\x\r\nC:x\r\n"
                                         "..hidden\r\na/b\r\nok/\r\nok\r\n\r\n*.txt\r\n";
    dir.createFile("unsafe.zbk", content);

    kestrel::Setup loaded;
    EXPECT_EQ(LoadOperationFile(loaded, dir.path("unsafe.zbk"), {}), 0);

    EXPECT_EQ(loaded.cboIncludedFolders, (std::vector<std::string>{"..hidden", "ok"}));
    EXPECT_EQ(loaded.intNumIncludedFolders, 2);
    EXPECT_EQ(loaded.txbFileExtension, "*.txt");
}

TEST(LoadOperationFile, FoldersAndReportFileLinesLoseOnlyTheirSurroundingBlanks) {
    SKIP_ON_WINDOWS("a Windows name cannot hold a double quote");
    TempDir dir;
    const std::string source = dir.createFolder("a \"quoted\", name");
    dir.createFile("e.zbk", "  " + source +
                                " \r\n\t\r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 4 \r\n 0 \r\n"
                                " 0 \r\n 0 \r\n 0 \r\n  keep blanks  \r\n \"r, 1.txt\" \r\n 0 \r\n *.a \r\n");
    kestrel::Setup loaded;
    EXPECT_EQ(LoadOperationFile(loaded, dir.path("e.zbk"), {}), 0);

    EXPECT_EQ(loaded.txbDirectory[0], source);
    EXPECT_EQ(loaded.txbDirectory[1], "");
    EXPECT_EQ(loaded.txbExcludedFilepaths, "  keep blanks  ");
    EXPECT_EQ(loaded.txbReportFile, "\"r, 1.txt\"");
    EXPECT_EQ(loaded.txbFileExtension, " *.a ");
}

TEST(LoadOperationFile, FoldersAreReadInTheSystemsOwnSeparators) {
    TempDir dir;
#ifdef _WIN32
    // Written with "/" (by hand, or elsewhere): the same folders, in the separators of the system.
    const std::string written = dir.createFolder("src"), writtenTarget = dir.createFolder("dst");
    const std::string source = Native(written), target = Native(writtenTarget);
#else
    // "\" is part of a name here: folders so named stay as they are.
    const std::string written = dir.createFolder("a\\src"), writtenTarget = dir.createFolder("b\\dst");
    const std::string source = written, target = writtenTarget;
#endif
    dir.createFolder(kestrel::platform::nameOf(written) + "/sub");
    dir.createFile("f.zbk",
                   written + "\r\n" + writtenTarget +
                       "\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n4\r\n0\r\n0\r\n0\r\n0\r\n\r\n\r\n1\r\nsub\r\n\r\n");
    kestrel::Setup loaded;
    EXPECT_EQ(LoadOperationFile(loaded, dir.path("f.zbk"), {}), 0);
    EXPECT_EQ(loaded.txbDirectory[0], source);
    EXPECT_EQ(loaded.txbDirectory[1], target);
    EXPECT_EQ(loaded.cboIncludedFolders, std::vector<std::string>{"sub"});
}

struct FixtureCase {
    const char* file;
    int result;
    std::function<void(const kestrel::Setup&)> check;
};

TEST(LoadOperationFile, DamagedFilesGiveTheirResultCodeAndNeverCrash) {
    const FixtureCase cases[] = {
        {"empty.zbk", 62, nullptr},
        {"count-32767.zbk", 62,
         [](const kestrel::Setup& s) {
             EXPECT_TRUE(s.cboIncludedFolders.empty()) << "entries of an empty source name no folder";
             EXPECT_EQ(s.txbFileExtension, "");
         }},
        {"count-99999.zbk", 6, [](const kestrel::Setup& s) { EXPECT_EQ(s.txbExcludedFilepaths, ".tmp"); }},
        {"count-negative.zbk", 0, [](const kestrel::Setup& s) { EXPECT_EQ(s.txbFileExtension, "*.txt"); }},
        {"number-not-a-number.zbk", 13,
         [](const kestrel::Setup& s) {
             EXPECT_EQ(s.chkSaveSetupOnQuit, 0);
             EXPECT_EQ(s.chkWarnIfEarlier, 0) << "the refused line keeps its cleared value";
         }},
        {"number-empty.zbk", 13, [](const kestrel::Setup& s) { EXPECT_EQ(s.chkIncludeSubfolders, 1); }},
        {"number-huge.zbk", 6, nullptr},
        {"checkbox-two.zbk", 380,
         [](const kestrel::Setup& s) { EXPECT_EQ(s.chkSuppressDetailedReports, 0); }},
        {"percent-nine.zbk", 380,
         [](const kestrel::Setup& s) {
             EXPECT_EQ(s.chkIncludeSubfolders, 1);
             EXPECT_EQ(s.cboPercent, 4);
         }},
        {"modified-since-minus-one.zbk", 380,
         [](const kestrel::Setup& s) {
             EXPECT_EQ(s.cboPercent, 6);
             EXPECT_EQ(s.cboModifiedSince, 0);
         }},
        {"text-with-nul.zbk", 380, [](const kestrel::Setup& s) { EXPECT_EQ(s.txbExcludedFilepaths, ""); }},
        {"lf-line-ends.zbk", 0,
         [](const kestrel::Setup& s) {
             EXPECT_EQ(s.cboPercent, 6);
             EXPECT_EQ(s.cboModifiedSince, 2);
             EXPECT_EQ(s.chkPauseAfterFirstCopy, 1);
             EXPECT_EQ(s.txbExcludedFilepaths, ".tmp");
             EXPECT_EQ(s.txbFileExtension, "*.txt");
         }},
        {"no-final-line-end.zbk", 0, [](const kestrel::Setup& s) { EXPECT_EQ(s.txbFileExtension, "*.txt"); }},
        {"missing.zbk", 53, nullptr},
    };
    for (const FixtureCase& c : cases) {
        SCOPED_TRACE(c.file);
        kestrel::Setup loaded;
        loaded.cboIncludedFolders = {"left over"};
        EXPECT_EQ(LoadOperationFile(loaded, fixture(c.file), {}), c.result);
        EXPECT_EQ(loaded.intNumIncludedFolders, static_cast<int>(loaded.cboIncludedFolders.size()));
        if (c.check)
            c.check(loaded);
    }
}

TEST(LoadOperationFile, BinaryGarbageIsAFailedRead) {
    kestrel::Setup loaded;
    int result = LoadOperationFile(loaded, fixture("binary-garbage.zbk"), {});
    EXPECT_GT(result, 0);
    EXPECT_TRUE(loaded.cboIncludedFolders.empty());
}

TEST(LoadOperationFile, FolderInPlaceOfTheFileIsAFailedRead) {
    TempDir dir;
    kestrel::Setup loaded;
    EXPECT_EQ(LoadOperationFile(loaded, dir.path(), {}), 75);
}

TEST(LoadOperationFile, MultipleBackupGivesReadErrorsAsMinus200MinusTheirNumber) {
    TempDir dir;
    const struct {
        std::string path;
        int result;
        const char* description;
    } cases[] = {
        {fixture("empty.zbk"), -262, "Input past end of file"},
        {dir.path("missing.zbk"), -253, "File not found"},
        {fixture("number-not-a-number.zbk"), -213, "Type mismatch"},
        {fixture("count-99999.zbk"), -206, "Overflow"},
        {fixture("checkbox-two.zbk"), -580, "Invalid property value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        kestrel::Setup loaded;
        std::string description;
        EXPECT_EQ(LoadOperationFile(loaded, c.path, {}, true, &description), c.result);
        EXPECT_EQ(description, c.description);
    }
}

TEST(LoadOperationFile, MissingSourceEmptiesItAndItsSubfoldersWithAMessageOnceStartedUp) {
    for (bool startupCompleted : {true, false}) {
        SCOPED_TRACE(startupCompleted);
        TempDir dir;
        kestrel::Setup saved = fullSetup(dir);
        const std::string source = saved.txbDirectory[0];
        ASSERT_TRUE(SaveSetupFile(saved, dir.path("a.zbk")));
        for (const std::string& entry : saved.cboIncludedFolders)
            ASSERT_FALSE(platform::removeDirectory(source + entry));
        ASSERT_FALSE(platform::removeDirectory(source));

        kestrel::Setup loaded;
        RecordedMessages messages;
        EXPECT_EQ(LoadOperationFile(loaded, dir.path("a.zbk"), {startupCompleted, &messages}), 0);

        EXPECT_EQ(loaded.txbDirectory[0], "");
        EXPECT_TRUE(loaded.cboIncludedFolders.empty());
        EXPECT_EQ(loaded.intNumIncludedFolders, 0);
        EXPECT_EQ(loaded.cboIncludedFoldersListIndex, -1);
        EXPECT_EQ(loaded.txbDirectory[1], saved.txbDirectory[1]);
        if (startupCompleted)
            EXPECT_EQ(messages.sourceMessages,
                      std::vector<std::string>{"Source folder " + source + " does not exist."});
        else
            EXPECT_TRUE(messages.sourceMessages.empty());
        EXPECT_TRUE(messages.targetMessages.empty());
    }
}

TEST(LoadOperationFile, MissingTargetByWhoLoads) {
    TempDir dir;
    kestrel::Setup saved = fullSetup(dir);
    const std::string target = saved.txbDirectory[1];
    ASSERT_TRUE(SaveSetupFile(saved, dir.path("a.zbk")));
    ASSERT_FALSE(platform::removeDirectory(target));
    const std::string text = "Target folder " + target + " does not exist.";

    {
        SCOPED_TRACE("during start-up: emptied silently");
        kestrel::Setup loaded;
        RecordedMessages messages;
        EXPECT_EQ(LoadOperationFile(loaded, dir.path("a.zbk"), {false, &messages}), 0);
        EXPECT_EQ(loaded.txbDirectory[1], "");
        EXPECT_TRUE(messages.targetMessages.empty());
    }
    {
        SCOPED_TRACE("in a multiple backup: -200, the target keeps its text");
        kestrel::Setup loaded;
        RecordedMessages messages;
        std::string description;
        EXPECT_EQ(LoadOperationFile(loaded, dir.path("a.zbk"), {true, &messages}, true, &description), -200);
        EXPECT_EQ(description, "Target folder does not exist");
        EXPECT_EQ(loaded.txbDirectory[1], target);
        EXPECT_TRUE(messages.targetMessages.empty());
        EXPECT_EQ(loaded.cboIncludedFolders.size(), 3u) << "the rest of the setup loaded";
    }
    for (bool clear : {true, false}) {
        SCOPED_TRACE(clear ? "asked, the user clears it" : "asked, the user keeps it");
        kestrel::Setup loaded;
        RecordedMessages messages;
        messages.clearTargetWhenAsked = clear;
        EXPECT_EQ(LoadOperationFile(loaded, dir.path("a.zbk"), {true, &messages}), 0);
        EXPECT_EQ(messages.targetMessages, std::vector<std::string>{text});
        EXPECT_EQ(loaded.txbDirectory[1], clear ? "" : target);
    }
}

TEST(LoadOperationFile, FailedLoadStillChecksTheFolders) {
    TempDir dir;
    dir.createFile("cut.zbk", dir.path("gone/") + "\r\n 1 \r\n");
    kestrel::Setup loaded;
    RecordedMessages messages;
    EXPECT_EQ(LoadOperationFile(loaded, dir.path("cut.zbk"), {true, &messages}), 62);
    EXPECT_EQ(loaded.txbDirectory[0], "");
    EXPECT_EQ(messages.sourceMessages.size(), 1u);
}

namespace {

// A folder or a FIFO given as the setup file is a failed read at once (75), never waited on.
TEST(SetupFileGuard, WhatIsNoRegularFileFailsToLoadAtOnce) {
    TempDir dir;
    dir.createFolder("folder.zbk");
    if (!kestrel::testing::MakeFifo(dir.path("fifo.zbk")))
        GTEST_SKIP() << kestrel::testing::kNoFifos;
    for (const char* name : {"folder.zbk", "fifo.zbk"}) {
        kestrel::Setup loaded;
        EXPECT_EQ(LoadOperationFile(loaded, dir.path(name), {true, nullptr}), 75) << name;
        EXPECT_EQ(LoadOperationFile(loaded, dir.path(name), {true, nullptr}, true), -275) << name;
    }
}

// A setup file kept as a link (to a file or, relative, to one not made yet) is saved into the
// file the link points to; the link stays.
TEST(SetupFileGuard, ASetupFileThatIsALinkIsSavedIntoTheFileItPointsTo) {
    TempDir dir;
    dir.createFile("real/kept.zbk", "old");
    if (!kestrel::testing::MakeSymlink(dir.path("real/kept.zbk"), dir.path("link.zbk")))
        GTEST_SKIP() << kestrel::testing::kNoSymlinks;
    if (!kestrel::testing::MakeSymlink("real/new.zbk", dir.path("relative.zbk")))
        GTEST_SKIP() << kestrel::testing::kNoSymlinks;
    kestrel::Setup setup;
    ClearSetup(setup);
    setup.txbFileExtension = "doc";
    for (const auto& [link, file] :
         {std::pair{"link.zbk", "real/kept.zbk"}, std::pair{"relative.zbk", "real/new.zbk"}}) {
        ASSERT_TRUE(SaveSetupFile(setup, dir.path(link))) << link;
        EXPECT_EQ(platform::statPath(dir.path(link), false).kind, platform::EntryKind::Symlink) << link;
        EXPECT_EQ(dir.readFile(file), FormatSetupFile(setup)) << file;
    }
}

} // namespace
