#include "modules/Folder.h"
#include "platform/ProgramPaths.h"
#include "support/EnvironmentGuard.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"
#include "support/Unprivileged.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kestrel;
using kestrel::testing::RunAsUnprivileged;
using kestrel::testing::TempDir;

namespace {

class RecordingMessages : public MessageService {
public:
    MessageAnswer ShowMessage(const MessageRequest& request) override {
        shown.push_back(request);
        return MessageAnswer::Ok;
    }
    std::vector<MessageRequest> shown;
};

// README, notes.txt and a.doc with sizes 10, 20 and 30.
void makeThreeFiles(const TempDir& dir) {
    dir.createFile("files/README", std::string(10, 'r'));
    dir.createFile("files/notes.txt", std::string(20, 'n'));
    dir.createFile("files/a.doc", std::string(30, 'd'));
}

// A regular file, a link to it, a link to a folder, a dangling link, a FIFO and one real
// subfolder holding one file.
void makeMixedEntries(const TempDir& dir) {
    dir.createFile("mixed/a.txt", "12345");
    dir.createFile("mixed/sub/inner.txt", "123");
    kestrel::testing::MakeSymlink(dir.path("mixed/a.txt"), dir.path("mixed/file-link.txt"));
    kestrel::testing::MakeSymlink(dir.path("mixed/sub"), dir.path("mixed/folder-link"), true);
    kestrel::testing::MakeSymlink(dir.path("mixed/nowhere"), dir.path("mixed/dangling.txt"));
    kestrel::testing::MakeFifo(dir.path("mixed/pipe.txt"));
}

using kestrel::testing::EnvironmentGuard;

} // namespace

TEST(CountFiles, CountsMatchingFilesWithAndWithoutTotalling) {
    TempDir dir;
    makeThreeFiles(dir);
    const struct {
        const char* pattern;
        bool stopAtFirst;
        double sizeIn;
        std::int32_t expected;
        double sizeOut;
    } cases[] = {
        {"*.*", false, 0, 3, 0},     {"*.*", false, -1, 3, 60},   {"*.txt", false, 0, 1, 0},
        {"*.txt", false, -1, 1, 20}, {"*.TXT", false, -1, 1, 20}, {"*.pdf", false, -1, 0, 0},
        {"*.*", true, -1, 1, -2},    {"*.txt", true, 0, 1, 0},
    };
    for (const auto& c : cases) {
        std::string description = "stale";
        double size = c.sizeIn;
        bool accessDenied = true;
        const std::int32_t count =
            CountFiles(dir.path("files"), c.pattern, c.stopAtFirst, false, description, size, accessDenied);
        EXPECT_EQ(count, c.expected) << c.pattern << " totalling " << (c.sizeIn == -1);
        if (c.sizeOut >= 0) {
            EXPECT_EQ(size, c.sizeOut) << c.pattern;
        } else {
            EXPECT_GT(size, 0) << "the first match's size is totalled";
        }
        EXPECT_EQ(description, "");
        EXPECT_FALSE(accessDenied);
    }
}

TEST(CountFiles, LinksToFilesCountButFoldersLinksToFoldersAndFifosDoNot) {
    if (!kestrel::testing::CanMakeSymlinks())
        GTEST_SKIP() << kestrel::testing::kNoSymlinks;
    TempDir dir;
    makeMixedEntries(dir);
    for (double sizeIn : {0.0, -1.0}) {
        std::string description;
        double size = sizeIn;
        bool accessDenied = false;
        EXPECT_EQ(CountFiles(dir.path("mixed/"), "*.*", false, false, description, size, accessDenied), 2)
            << "totalling " << (sizeIn == -1);
        if (sizeIn == -1) {
            EXPECT_EQ(size, 10) << "a link counts with the size of its file";
        }
    }
}

TEST(CountFiles, YieldsAfterEachFileVisited) {
    TempDir dir;
    makeThreeFiles(dir);
    dir.createFolder("files/sub");
    int yields = 0;
    std::string description;
    double size = 0;
    bool accessDenied = false;
    CountFiles(dir.path("files"), "*.txt", false, false, description, size, accessDenied, nullptr,
               [&] { ++yields; });
    EXPECT_EQ(yields, 3);
}

TEST(CountFiles, MissingFolderGivesZeroWithItsDescriptionAndTheMessageOnlyWhenAsked) {
    TempDir dir;
    for (bool showErrors : {false, true}) {
        RecordingMessages messages;
        std::string description;
        double size = -1;
        bool accessDenied = true;
        EXPECT_EQ(CountFiles(dir.path("missing/"), "*.txt", false, showErrors, description, size,
                             accessDenied, &messages),
                  0);
        EXPECT_EQ(description, "Path not found");
        EXPECT_FALSE(accessDenied);
        if (!showErrors) {
            EXPECT_TRUE(messages.shown.empty());
            continue;
        }
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, "Path not found");
        EXPECT_EQ(messages.shown[0].title, "Error");
        EXPECT_EQ(messages.shown[0].icon, MessageIcon::Exclamation);
    }
}

TEST(CountFiles, UnreadableFolderIsAccessDeniedWithoutAMessage) {
    TempDir dir;
    makeThreeFiles(dir);
    RunAsUnprivileged({dir.path()}, [&] {
        ASSERT_EQ(::chmod(dir.path("files").c_str(), 0), 0);
        for (const char* pattern : {"*.*", "*.txt"}) {
            RecordingMessages messages;
            std::string description;
            double size = 0;
            bool accessDenied = false;
            EXPECT_EQ(CountFiles(dir.path("files"), pattern, false, true, description, size, accessDenied,
                                 &messages),
                      0);
            EXPECT_TRUE(accessDenied) << pattern;
            EXPECT_TRUE(messages.shown.empty());
        }
    });
}

TEST(ListFiles, NamesAndTotalsTheMatchingFiles) {
    TempDir dir;
    makeThreeFiles(dir);
    dir.createFile("files/more.TXT", "1234");
    std::vector<std::string> names{"stale"};
    std::string description;
    double size = -1;
    int yields = 0;
    EXPECT_EQ(
        ListFiles(dir.path("files/"), names, "*.txt", false, description, size, nullptr, [&] { ++yields; }),
        2);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"more.TXT", "notes.txt"}));
    EXPECT_EQ(size, 24);
    EXPECT_EQ(yields, 4);
}

TEST(ListFiles, ListsLinksToFilesOnly) {
    if (!kestrel::testing::CanMakeSymlinks())
        GTEST_SKIP() << kestrel::testing::kNoSymlinks;
    TempDir dir;
    makeMixedEntries(dir);
    std::vector<std::string> names;
    std::string description;
    double size = 0;
    EXPECT_EQ(ListFiles(dir.path("mixed"), names, "*.*", false, description, size), 2);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "file-link.txt"}));
}

TEST(ListFiles, MissingFolderGivesMinusOneAndTheMessageWhenAsked) {
    TempDir dir;
    RecordingMessages messages;
    std::vector<std::string> names{"stale"};
    std::string description;
    double size = -1;
    EXPECT_EQ(ListFiles(dir.path("missing"), names, "*.*", true, description, size, &messages), -1);
    EXPECT_EQ(description, "Path not found");
    EXPECT_TRUE(names.empty());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Error");
}

TEST(CountSubfolders, CountsRealFoldersOnly) {
    TempDir dir;
    makeMixedEntries(dir);
    dir.createFolder("mixed/second");
    const platform::Result<std::int32_t> count = CountSubfolders(dir.path("mixed"));
    ASSERT_TRUE(count.ok());
    EXPECT_EQ(count.value(), 2);
    EXPECT_FALSE(count.error());
}

TEST(CountSubfolders, FolderThatCannotBeReadGivesMinusOneWithTheError) {
    TempDir dir;
    dir.createFile("file.txt", "x");
    const struct {
        std::string path;
        int number;
        const char* description;
    } cases[] = {
        {dir.path("missing"), 76, "Path not found"},
        {dir.path("file.txt"), 76, "Path not found"},
        {"", 76, "Path not found"},
    };
    for (const auto& c : cases) {
        const platform::Result<std::int32_t> count = CountSubfolders(c.path);
        EXPECT_FALSE(count.ok()) << c.path;
        EXPECT_EQ(count.error().number, c.number) << c.path;
        EXPECT_EQ(count.error().description, c.description) << c.path;
    }
}

TEST(CountSubfolders, UnreadableFolderIsPermissionDenied) {
    TempDir dir;
    dir.createFolder("locked/sub");
    RunAsUnprivileged({dir.path()}, [&] {
        ASSERT_EQ(::chmod(dir.path("locked").c_str(), 0), 0);
        const platform::Result<std::int32_t> count = CountSubfolders(dir.path("locked"));
        EXPECT_FALSE(count.ok());
        EXPECT_EQ(count.error().number, 70);
        EXPECT_EQ(count.error().description, "Permission denied");
    });
}

// A module hands on the error the platform met, its number and reason as they were.
TEST(CountSubfolders, AFolderThatCannotBeReadGivesThePlatformsOwnError) {
    TempDir dir;
    dir.createFolder("locked/sub");
    RunAsUnprivileged({dir.path()}, [&] {
        ASSERT_EQ(::chmod(dir.path("locked").c_str(), 0), 0);
        const platform::Result<std::vector<platform::DirectoryEntry>> read =
            platform::readDirectory(dir.path("locked/"));
        ASSERT_FALSE(read.ok());
        for (const platform::Error& error :
             {CountSubfolders(dir.path("locked")).error(), FolderIsEmpty(dir.path("locked")).error()}) {
            EXPECT_EQ(error.number, read.error().number);
            EXPECT_EQ(error.description, read.error().description);
        }
    });
}

TEST(FolderIsEmpty, EmptyOnlyWithoutFilesAndSubfolders) {
    if (!kestrel::testing::CanMakeSymlinks())
        GTEST_SKIP() << kestrel::testing::kNoSymlinks;
    TempDir dir;
    dir.createFolder("empty");
    dir.createFolder("with-subfolder/sub");
    dir.createFile("with-file/a", "");
    dir.createFile("target.txt", "");
    dir.createFolder("with-link");
    kestrel::testing::MakeSymlink(dir.path("target.txt"), dir.path("with-link/link"));
    const struct {
        const char* relative;
        int expected;
    } cases[] = {{"empty", 1}, {"with-subfolder", 0}, {"with-file", 0}, {"with-link/", 0}, {"missing", -1}};
    for (const auto& c : cases) {
        const platform::Result<bool> empty = FolderIsEmpty(dir.path(c.relative));
        EXPECT_EQ(!empty.ok() ? -1 : empty.value() ? 1 : 0, c.expected) << c.relative;
        EXPECT_NE(empty.error().number, platform::err::PermissionDenied) << c.relative;
    }
}

TEST(FolderIsEmpty, UnreadableFolderIsMinusOneAndAccessDenied) {
    TempDir dir;
    dir.createFolder("locked");
    RunAsUnprivileged({dir.path()}, [&] {
        ASSERT_EQ(::chmod(dir.path("locked").c_str(), 0), 0);
        const platform::Result<bool> empty = FolderIsEmpty(dir.path("locked"));
        EXPECT_FALSE(empty.ok());
        EXPECT_EQ(empty.error().number, platform::err::PermissionDenied);
    });
}

TEST(CountFolderTree, StopsAtTheFileLimit) {
    TempDir dir;
    for (int folder = 0; folder < 5; ++folder)
        for (int file = 0; file < 100; ++file)
            dir.createFile("tree/f" + std::to_string(folder) + "/file" + std::to_string(file) + ".dat", "ab");
    std::int32_t count = -1;
    double size = -1;
    bool limitReached = false;
    EXPECT_TRUE(CountFolderTree(dir.path("tree"), "*.*", 200, count, size, limitReached).ok());
    EXPECT_EQ(count, 200);
    EXPECT_EQ(size, 400);
    EXPECT_TRUE(limitReached);

    EXPECT_TRUE(CountFolderTree(dir.path("tree"), "*.*", 0, count, size, limitReached).ok());
    EXPECT_EQ(count, 500);
    EXPECT_EQ(size, 1000);
    EXPECT_FALSE(limitReached);
}

TEST(CountFolderTree, CountsFilesAndLinksToFilesButNeverEntersALinkedFolder) {
    if (!kestrel::testing::CanMakeSymlinks())
        GTEST_SKIP() << kestrel::testing::kNoSymlinks;
    TempDir dir;
    makeMixedEntries(dir);
    std::int32_t count = 0;
    double size = 0;
    bool limitReached = true;
    const platform::Status counted =
        CountFolderTree(dir.path("mixed/"), "*.txt", 200, count, size, limitReached);
    EXPECT_EQ(count, 3) << "a.txt, file-link.txt and sub/inner.txt";
    EXPECT_EQ(size, 13);
    EXPECT_FALSE(limitReached);
    EXPECT_TRUE(counted.ok());
}

TEST(CountFolderTree, UsesThePathAsGivenOnACaseSensitiveFileSystem) {
    SKIP_ON_WINDOWS("Windows file systems ignore the case of names");
    TempDir dir;
    dir.createFile("Data/a.txt", "1");
    dir.createFile("data/b.txt", "22");
    dir.createFile("data/c.txt", "333");
    std::int32_t count = 0;
    double size = 0;
    bool limitReached = false;
    const platform::Status counted = CountFolderTree(dir.path("Data"), "*.*", 200, count, size, limitReached);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(size, 1);
    EXPECT_TRUE(counted.ok());
}

TEST(CountFolderTree, MissingFolderEndsWithPathNotFound) {
    TempDir dir;
    std::int32_t count = 7;
    double size = 7;
    bool limitReached = true;
    const platform::Status counted =
        CountFolderTree(dir.path("missing"), "*.*", 200, count, size, limitReached);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(size, 0);
    EXPECT_FALSE(limitReached);
    EXPECT_EQ(counted.error().number, 76);
}

TEST(CountFolderTree, UnreadableSubfolderIsPassedOverSilently) {
    TempDir dir;
    dir.createFile("tree/a.txt", "1");
    dir.createFile("tree/locked/hidden.txt", "1");
    dir.createFile("tree/open/b.txt", "1");
    RunAsUnprivileged({dir.path()}, [&] {
        ASSERT_EQ(::chmod(dir.path("tree/locked").c_str(), 0), 0);
        std::int32_t count = 0;
        double size = 0;
        bool limitReached = false;
        const platform::Status counted =
            CountFolderTree(dir.path("tree"), "*.*", 200, count, size, limitReached);
        EXPECT_EQ(count, 2);
        EXPECT_TRUE(counted.ok());
    });
}

// Windows compares names without regard to case.
#ifdef _WIN32
constexpr bool kNamesKeepCase = true;
#else
constexpr bool kNamesKeepCase = false;
#endif

TEST(IsWithinFolder, ComparesWholeFolderNames) {
    const struct {
        const char* path;
        const char* folder;
        bool excludeEqual;
        bool expected;
    } cases[] = {
        {"/backups2/x", "/backups", false, false},
        {"/backups/", "/backups/", false, true},
        {"/backups/", "/backups/", true, false},
        {"/backups", "/backups/", true, false},
        {"/backups/x", "/backups", false, true},
        {"/backups/x/y/", "/backups/", true, true},
        {"/Backups/x", "/backups", false, kNamesKeepCase},
        {"/back", "/backups", false, false},
        {"/backups/x", "", false, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsWithinFolder(c.path, c.folder, c.excludeEqual), c.expected)
            << c.path << " in " << c.folder << " excludeEqual " << c.excludeEqual;
}

TEST(PathComponentFromEnd, CountsComponentsAfterTheRoot) {
    const struct {
        const char* path;
        int n;
        const char* expected;
        bool outOfRange;
    } cases[] = {
        {"/data/docs/", 0, "docs", false},
        {"/data/docs/", 1, "data", false},
        {"/data/docs/", 2, "", false},
        {"/data/docs/", 5, "", true},
        {"/data/docs", 0, "docs", false},
        {"/", 0, "", false},
        {"/", 1, "", true},
        {"/data/docs/", -1, "", true},
    };
    for (const auto& c : cases) {
        bool outOfRange = !c.outOfRange;
        EXPECT_EQ(PathComponentFromEnd(c.path, c.n, outOfRange), c.expected) << c.path << " n " << c.n;
        EXPECT_EQ(outOfRange, c.outOfRange) << c.path << " n " << c.n;
    }
}

TEST(CreateFolderPath, CreatesEveryMissingLevel) {
    TempDir dir;
    const std::string deep = dir.path("a/b c/d/e/");
    EXPECT_TRUE(CreateFolderPath(deep));
    EXPECT_TRUE(FolderExists(deep));
    EXPECT_TRUE(CreateFolderPath(deep)) << "a path that exists already";
    EXPECT_TRUE(CreateFolderPath(dir.path("a/b c/f")));
    EXPECT_TRUE(FolderExists(dir.path("a/b c/f/")));
}

TEST(CreateFolderPath, FailsThroughAFileOrForARelativePath) {
    TempDir dir;
    dir.createFile("plain.txt", "x");
    EXPECT_FALSE(CreateFolderPath(dir.path("plain.txt/sub/")));
    EXPECT_EQ(dir.readFile("plain.txt"), "x");
    EXPECT_FALSE(CreateFolderPath("relative/path/"));
    EXPECT_FALSE(CreateFolderPath(""));
}

TEST(CreateFolder, CreatesOneLevelOnly) {
    TempDir dir;
    EXPECT_TRUE(CreateFolder(dir.path("one")));
    EXPECT_TRUE(FolderExists(dir.path("one")));
    EXPECT_FALSE(CreateFolder(dir.path("one"))) << "it exists already";
    EXPECT_FALSE(CreateFolder(dir.path("two/three")));
    EXPECT_FALSE(dir.exists("two"));
}

TEST(FolderExists, FindsTheFolderAsGivenOrWithoutSurroundingBlanks) {
    SKIP_ON_WINDOWS("Windows drops the blanks at the end of a name");
    if (!kestrel::testing::CanMakeSymlinks())
        GTEST_SKIP() << kestrel::testing::kNoSymlinks;
    TempDir dir;
    dir.createFolder("plain");
    dir.createFolder("ends in blank ");
    dir.createFile("file.txt", "x");
    kestrel::testing::MakeSymlink(dir.path("plain"), dir.path("link"));
    const struct {
        std::string path;
        bool expected;
    } cases[] = {
        {dir.path("plain"), true},
        {dir.path("plain/"), true},
        {"  " + dir.path("plain") + "  ", true},
        {dir.path("ends in blank "), true},
        {dir.path("ends in blank /"), true},
        {dir.path("file.txt"), false},
        {dir.path("missing"), false},
        {dir.path("link"), true},
        {"", false},
        {"   ", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FolderExists(c.path), c.expected) << "'" << c.path << "'";
}

TEST(FileExists, RegularFilesAndLinksToThemOnly) {
    if (!kestrel::testing::CanMakeSymlinks())
        GTEST_SKIP() << kestrel::testing::kNoSymlinks;
    TempDir dir;
    makeMixedEntries(dir);
    const struct {
        const char* relative;
        bool expected;
    } cases[] = {
        {"mixed/a.txt", true},         {"mixed/file-link.txt", true}, {"mixed/folder-link", false},
        {"mixed/dangling.txt", false}, {"mixed/pipe.txt", false},     {"mixed/sub", false},
        {"mixed/missing", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FileExists(dir.path(c.relative)), c.expected) << c.relative;
    EXPECT_FALSE(FileExists(""));
}

TEST(GetSpecialFolderPath, ApplicationDataIsTheConfigurationFolder) {
    EXPECT_EQ(GetSpecialFolderPath(CSIDL_APPDATA), platform::configHome());
    EXPECT_EQ(GetSpecialFolderPath(5), "");
}

TEST(GetAppDataFolder, CreatesTheSubfolderAndNamesTheFileInIt) {
    TempDir dir;
    EnvironmentGuard guard(kestrel::testing::kConfigHomeVariable);
    kestrel::testing::SetEnvironment(kestrel::testing::kConfigHomeVariable, dir.path("config"));
    using kestrel::testing::SlashesOnly;
    EXPECT_EQ(SlashesOnly(GetAppDataFolder("zbk.usr", "Kestrel Backup")),
              dir.path("config/Kestrel Backup/zbk.usr"));
    EXPECT_TRUE(FolderExists(dir.path("config/Kestrel Backup")));
    EXPECT_FALSE(dir.exists("config/Kestrel Backup/zbk.usr")) << "only the folder is made";
    EXPECT_EQ(SlashesOnly(GetAppDataFolder("zbk.usr", "Kestrel Backup")),
              dir.path("config/Kestrel Backup/zbk.usr"));
}

TEST(GetAppDataFolder, FolderThatCannotBeMadeGivesAnEmptyPath) {
    TempDir dir;
    dir.createFile("config", "a file where the folder should be");
    EnvironmentGuard guard(kestrel::testing::kConfigHomeVariable);
    kestrel::testing::SetEnvironment(kestrel::testing::kConfigHomeVariable, dir.path("config"));
    EXPECT_EQ(GetAppDataFolder("zbk.usr", "Kestrel Backup"), "");
    EXPECT_EQ(dir.readFile("config"), "a file where the folder should be");
}
