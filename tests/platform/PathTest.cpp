#include "platform/Path.h"
#include "support/TestNames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kestrel::platform;

namespace {

constexpr PathStyle P = PathStyle::Posix;
constexpr PathStyle W = PathStyle::Windows;

const char* styleName(PathStyle style) {
    return style == P ? "posix" : "windows";
}

using kestrel::testing::TestNameOf;

// Each case is named by its style and its texts: "posix_sl_home_sl_anna" for "/home/anna".
std::string caseName(PathStyle style, const std::string& text) {
    return std::string(style == P ? "posix_" : "win_") + TestNameOf(text);
}

// How one path is taken apart in one style.
struct PartsCase {
    PathStyle style;
    std::string path;
    std::string root;
    std::string drive;
    bool absolute;
    std::string parent;
    std::string name;
    std::vector<std::string> components;
};

class PathParts : public ::testing::TestWithParam<PartsCase> {};

TEST_P(PathParts, RootDriveParentNameAndComponents) {
    const PartsCase& c = GetParam();
    SCOPED_TRACE(std::string(styleName(c.style)) + " \"" + c.path + "\"");
    EXPECT_EQ(rootOf(c.path, c.style), c.root);
    EXPECT_EQ(driveOfText(c.path, c.style), c.drive);
    EXPECT_EQ(isAbsolutePath(c.path, c.style), c.absolute);
    EXPECT_EQ(parentOf(c.path, c.style), c.parent);
    EXPECT_EQ(nameOf(c.path, c.style), c.name);
    EXPECT_EQ(pathComponents(c.path, c.style), c.components);
}

INSTANTIATE_TEST_SUITE_P(
    BothStyles, PathParts,
    ::testing::Values(
        PartsCase{P, "/", "/", "", true, "", "", {}},
        PartsCase{P, "/home/anna/", "/", "", true, "/home/", "anna", {"home", "anna"}},
        PartsCase{P, "/home/anna", "/", "", true, "/home/", "anna", {"home", "anna"}},
        PartsCase{P, "/a//b//", "/", "", true, "/a//", "b", {"a", "b"}},
        PartsCase{P, "/top", "/", "", true, "/", "top", {"top"}},
        PartsCase{P, "rel/x", "", "", false, "rel/", "x", {"rel", "x"}},
        PartsCase{P, "name", "", "", false, "", "name", {"name"}},
        // On POSIX a backslash and a colon are parts of a name like any other character.
        PartsCase{P, "C:\\x", "", "", false, "", "C:\\x", {"C:\\x"}},
        PartsCase{P, "/m/a\\b", "/", "", true, "/m/", "a\\b", {"m", "a\\b"}},
        PartsCase{P, "", "", "", false, "", "", {}}, PartsCase{W, "E:\\", "E:\\", "E:", true, "", "", {}},
        PartsCase{W, "E:\\Data\\2024\\", "E:\\", "E:", true, "E:\\Data\\", "2024", {"Data", "2024"}},
        PartsCase{W, "e:/Data/x.txt", "e:/", "e:", true, "e:/Data/", "x.txt", {"Data", "x.txt"}},
        PartsCase{W, "C:\\Users/anna\\", "C:\\", "C:", true, "C:\\Users/", "anna", {"Users", "anna"}},
        PartsCase{W, "C:x", "", "C:", false, "C:", "x", {"x"}},
        PartsCase{W,
                  "\\\\server\\share\\dir\\f",
                  "\\\\server\\share\\",
                  "\\\\server\\share",
                  true,
                  "\\\\server\\share\\dir\\",
                  "f",
                  {"dir", "f"}},
        PartsCase{W, "\\\\server\\share", "\\\\server\\share\\", "\\\\server\\share", true, "", "", {}},
        PartsCase{W, "\\top\\x", "\\", "", false, "\\top\\", "x", {"top", "x"}},
        PartsCase{W, "a\\b", "", "", false, "a\\", "b", {"a", "b"}},
        PartsCase{W, "1:\\x", "", "", false, "1:\\", "x", {"1:", "x"}}),
    [](const ::testing::TestParamInfo<PartsCase>& info) {
        return caseName(info.param.style, info.param.path);
    });

// How a folder and a name are joined, and a folder value made.
struct JoinCase {
    PathStyle style;
    std::string folder;
    std::string name;
    std::string joined;
    std::string folderValue; // withFinalSeparator(folder)
};

class PathJoin : public ::testing::TestWithParam<JoinCase> {};

TEST_P(PathJoin, PutsExactlyOneSeparatorBetween) {
    const JoinCase& c = GetParam();
    SCOPED_TRACE(std::string(styleName(c.style)) + " \"" + c.folder + "\" + \"" + c.name + "\"");
    EXPECT_EQ(joinPath(c.folder, c.name, c.style), c.joined);
    EXPECT_EQ(withFinalSeparator(c.folder, c.style), c.folderValue);
    EXPECT_EQ(endsWithSeparator(c.folderValue, c.style), !c.folderValue.empty());
}

INSTANTIATE_TEST_SUITE_P(
    BothStyles, PathJoin,
    ::testing::Values(JoinCase{P, "/a", "b", "/a/b", "/a/"}, JoinCase{P, "/a/", "b", "/a/b", "/a/"},
                      JoinCase{P, "/a/", "/b", "/a/b", "/a/"}, JoinCase{P, "/", "b", "/b", "/"},
                      JoinCase{P, "", "b", "b", ""}, JoinCase{P, "/a/", "", "/a/", "/a/"},
                      JoinCase{P, "/a\\", "b", "/a\\/b", "/a\\/"},
                      JoinCase{W, "E:\\Data", "x", "E:\\Data\\x", "E:\\Data\\"},
                      JoinCase{W, "E:\\", "x", "E:\\x", "E:\\"},
                      JoinCase{W, "E:/Data/", "x", "E:/Data/x", "E:/Data/"},
                      JoinCase{W, "E:\\Data\\", "\\x", "E:\\Data\\x", "E:\\Data\\"}),
    [](const ::testing::TestParamInfo<JoinCase>& info) {
        return caseName(info.param.style, info.param.folder) + "_plus_" + TestNameOf(info.param.name);
    });

TEST(PathSeparators, AreWrittenAsTheStyleWritesThem) {
    EXPECT_EQ(withStyleSeparators("C:/Data\\2024/", W), "C:\\Data\\2024\\");
    EXPECT_EQ(withStyleSeparators("//server/share/x", W), "\\\\server\\share\\x");
    EXPECT_EQ(withStyleSeparators("/home/a\\b/", P), "/home/a\\b/");
    EXPECT_EQ(withStyleSeparators("", W), "");
}

// Whether a path lies in a folder, by the text.
struct WithinCase {
    PathStyle style;
    std::string path;
    std::string folder;
    bool within;
};

class PathWithin : public ::testing::TestWithParam<WithinCase> {};

TEST_P(PathWithin, ComparesWholeNamesOnly) {
    const WithinCase& c = GetParam();
    SCOPED_TRACE(std::string(styleName(c.style)) + " \"" + c.path + "\" in \"" + c.folder + "\"");
    EXPECT_EQ(isWithinFolder(c.path, c.folder, c.style), c.within);
}

INSTANTIATE_TEST_SUITE_P(
    BothStyles, PathWithin,
    ::testing::Values(WithinCase{P, "/a/b/c", "/a/b/", true}, WithinCase{P, "/a/b", "/a/b/", true},
                      WithinCase{P, "/a/b/", "/a/b", true}, WithinCase{P, "/a/bc", "/a/b", false},
                      WithinCase{P, "/a/b/c", "/A/B/", false}, WithinCase{P, "/x", "/", true},
                      WithinCase{P, "/a", "", false}, WithinCase{W, "E:\\Data\\x", "e:\\data\\", true},
                      WithinCase{W, "E:/Data/x", "E:\\Data", true},
                      WithinCase{W, "E:\\Database", "E:\\Data", false},
                      WithinCase{W, "F:\\Data\\x", "E:\\Data\\", false}),
    [](const ::testing::TestParamInfo<WithinCase>& info) {
        return caseName(info.param.style, info.param.path) + "_in_" + TestNameOf(info.param.folder);
    });

// What may be named below a folder without leading out of it.
struct EntryCase {
    std::string entry;
    bool safePosix;
    bool safeWindows;
    bool safeFolderName; // a single name, safe on both systems
};

class SafeEntry : public ::testing::TestWithParam<EntryCase> {};

TEST_P(SafeEntry, RefusesWhatLeadsOutOfTheFolder) {
    const EntryCase& c = GetParam();
    SCOPED_TRACE("\"" + c.entry + "\"");
    EXPECT_EQ(isSafeRelativeEntry(c.entry, P), c.safePosix);
    EXPECT_EQ(isSafeRelativeEntry(c.entry, W), c.safeWindows);
    EXPECT_EQ(isSafeFolderName(c.entry), c.safeFolderName);
}

INSTANTIATE_TEST_SUITE_P(
    BothStyles, SafeEntry,
    ::testing::Values(EntryCase{"Photos", true, true, true}, EntryCase{"My files, 2024", true, true, true},
                      EntryCase{"Backup 10:00", true, true, true}, EntryCase{"a:b", true, false, false},
                      EntryCase{".hidden", true, true, true}, EntryCase{"a.", true, true, true},
                      EntryCase{"a/b", true, true, false}, EntryCase{"a\\b", true, true, false},
                      EntryCase{"", false, false, false}, EntryCase{".", false, false, false},
                      EntryCase{"..", false, false, false}, EntryCase{"../x", false, false, false},
                      EntryCase{"a/../../x", false, false, false}, EntryCase{"..\\..\\x", true, false, false},
                      EntryCase{"a\\..", true, false, false}, EntryCase{"/etc", false, false, false},
                      EntryCase{"\\x", true, false, false}, EntryCase{"C:\\x", true, false, false},
                      EntryCase{"C:/x", true, false, false}, EntryCase{"C:x", true, false, false},
                      EntryCase{"c:", true, false, false},
                      EntryCase{"\\\\server\\share\\x", true, false, false},
                      EntryCase{"//server/share", false, false, false}, EntryCase{"...", true, false, false},
                      EntryCase{".. ", true, false, false}, EntryCase{"a//b", false, false, false},
                      EntryCase{"a/", false, false, false},
                      EntryCase{std::string("a\0b", 3), false, false, false}),
    [](const ::testing::TestParamInfo<EntryCase>& info) { return TestNameOf(info.param.entry); });

TEST(PathStyleOfTheSystem, SeparatesWithItsOwnSeparatorAndReadsBoth) {
    EXPECT_EQ(pathSeparator(P), '/');
    EXPECT_EQ(pathSeparator(W), '\\');
    EXPECT_TRUE(isPathSeparator('/', W));
    EXPECT_FALSE(isPathSeparator('\\', P));
    EXPECT_EQ(pathSeparator(), pathSeparator(nativePathStyle()));
}

} // namespace
