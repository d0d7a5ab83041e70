#include "EngineFixture.h"
#include "support/EnvironmentGuard.h"
#include "support/TestFiles.h"

#include "engine/FileSelection.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <unistd.h>

namespace kestrel::testing {
namespace {

namespace fs = std::filesystem;

// The files below a folder, as relative paths in UTF-8 (as the program holds names on every
// system).
std::set<std::string> FilesBelow(const std::string& folder) {
    std::set<std::string> files;
    std::error_code ec;
    const fs::path root(std::u8string(folder.begin(), folder.end()));
    for (auto it = fs::recursive_directory_iterator(root, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_regular_file() && !it->is_symlink()) {
            const std::u8string name = fs::relative(it->path(), root).generic_u8string();
            files.insert(std::string(name.begin(), name.end()));
        }
    }
    return files;
}

// Unattended backups of all files: no question is asked, so each case is its setup alone.
class SelectionTest : public EngineTest {
protected:
    SelectionTest() {
        state.blnScheduledTask = true;
        for (const std::string name :
             {"root.txt", "root.doc", "README", "M/song.mp3", "A/a.txt", "A/deep/d.txt", "B/b.txt",
              "B/stash/t.txt", "B/Stashed.txt", "Trips/ŁÓDŹ/plan.txt", "Trips/ΑΘΗΝΑ.txt", "Trips/Kraków.txt",
              "Trips/Kraków/map.txt"})
            Src(name, name);
    }
};

TEST_F(SelectionTest, TheSetupDecidesWhichFilesAreBackedUp) {
    struct Case {
        const char* name;
        std::vector<std::string> included;
        bool includeSubfolders;
        bool excludeSourceFiles;
        std::string extension;
        std::string excluded;
        std::set<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"no subfolder included: the source folder's own files",
         {},
         false,
         false,
         "",
         "",
         {"root.txt", "root.doc", "README"}},
        {"an included subfolder without its subfolders",
         {"A"},
         false,
         false,
         "",
         "",
         {"root.txt", "root.doc", "README", "A/a.txt"}},
        {"an included subfolder with its subfolders",
         {"A"},
         true,
         false,
         "",
         "",
         {"root.txt", "root.doc", "README", "A/a.txt", "A/deep/d.txt"}},
        {"the source folder's files excluded",
         {"A", "B"},
         false,
         true,
         "",
         "",
         {"A/a.txt", "B/b.txt", "B/Stashed.txt"}},
        {"the extension filter leaves out files without an extension",
         {"A"},
         false,
         false,
         "txt",
         "",
         {"root.txt", "A/a.txt"}},
        {"a wildcard filter", {}, false, false, "d*", "", {"root.doc"}},
        // A fragment that no temporary folder's path holds ("temp" would exclude everything
        // below a temporary folder such as C:\users\anna\Temp\).
        {"an excluded fragment in any letter case, in folder and file names",
         {"B"},
         true,
         false,
         "",
         "STASH",
         {"root.txt", "root.doc", "README", "B/b.txt"}},
        {"several fragments", {}, false, false, "", "doc,readme", {"root.txt"}},
        {"fragments are trimmed of blanks", {}, false, false, "", " doc, readme ", {"root.txt"}},
        {"an extension with a digit", {"M"}, false, false, "mp3", "", {"M/song.mp3"}},
        {"empty fragments exclude nothing", {}, false, false, "", "doc,,", {"root.txt", "README"}},
        // Letters of every alphabet match their capitals: Polish and Greek, in folder and file names.
        {"fragments in small letters match capitals of any alphabet",
         {"Trips"},
         true,
         true,
         "",
         "łódź, αθηνα",
         {"Trips/Kraków.txt", "Trips/Kraków/map.txt"}},
        {"fragments in capitals match small letters of any alphabet",
         {"Trips"},
         true,
         true,
         "",
         "KRAKÓW",
         {"Trips/ŁÓDŹ/plan.txt", "Trips/ΑΘΗΝΑ.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir local;
        setup.txbDirectory[1] = local.createFolder("tgt");
        Include(c.included);
        setup.chkIncludeSubfolders = c.includeSubfolders ? 1 : 0;
        setup.chkExcludeFilesInSourceFolder = c.excludeSourceFiles ? 1 : 0;
        setup.txbFileExtension = c.extension;
        setup.txbExcludedFilepaths = c.excluded;

        EXPECT_EQ(BackupAll(), intResultDone);

        EXPECT_EQ(FilesBelow(setup.txbDirectory[1]), c.expected);
    }
}

TEST_F(SelectionTest, ATargetInsideTheSourceIsNeverWalked) {
    setup.txbDirectory[1] = dir.createFolder("src/B/backup");
    Include({"B"});
    setup.chkIncludeSubfolders = 1;

    EXPECT_EQ(BackupAll(), intResultDone);
    ASSERT_EQ(BackupAll(), intResultDone) << "a second run must not back up the first run's copies";

    EXPECT_EQ(FilesBelow(setup.txbDirectory[1]),
              (std::set<std::string>{"root.txt", "root.doc", "README", "B/b.txt", "B/stash/t.txt",
                                     "B/Stashed.txt"}));
}

TEST_F(SelectionTest, ATargetInsideTheSourceIsKnownUnderAnotherNameToo) {
    // The source named through a link: the walk reaches the target by a path that reads
    // differently from the target folder's.
    if (!kestrel::testing::MakeSymlink(source, dir.path("via-link")))
        GTEST_SKIP() << kestrel::testing::kNoSymlinks;
    setup.txbDirectory[0] = dir.path("via-link/");
    setup.txbDirectory[1] = dir.createFolder("src/B/backup");
    Include({"B"});
    setup.chkIncludeSubfolders = 1;

    EXPECT_EQ(BackupAll(), intResultDone);
    EXPECT_EQ(BackupAll(), intResultDone);

    EXPECT_FALSE(dir.exists("src/B/backup/B/backup"));
}

TEST_F(SelectionTest, TheReportFileBeingWrittenIsNotBackedUp) {
    setup.txbReportFile = source + "report.txt";

    EXPECT_EQ(BackupAll(), intResultDone);

    EXPECT_TRUE(dir.exists("src/report.txt"));
    EXPECT_EQ(FilesBelow(target), (std::set<std::string>{"root.txt", "root.doc", "README"}));
}

TEST_F(SelectionTest, TheUsersTrashIsNeverWalked) {
    Src("share/Trash/files/gone.txt", "deleted");
    Src("share/kept.txt", "kept");
    SKIP_ON_WINDOWS("the trash folder of a POSIX desktop; Windows disks keep recycle bins");
    kestrel::testing::EnvironmentGuard saved("XDG_DATA_HOME");
    kestrel::testing::SetEnvironment("XDG_DATA_HOME", (source + "share"));
    Include({"share"});
    setup.chkIncludeSubfolders = 1;

    EXPECT_EQ(BackupAll(), intResultDone);

    EXPECT_TRUE(dir.exists("tgt/share/kept.txt"));
    EXPECT_FALSE(dir.exists("tgt/share/Trash"));
}

TEST(RecycleBinFolderTest, RecycleBinsAndTrashFoldersDirectlyBelowAMountPoint) {
    struct Case {
        const char* relative; // below the system drive's root
        bool recycleBin;
    };
    // The root of the system drive is a mount point everywhere; a folder that does not exist is none.
#ifdef _WIN32
    const std::string root = "C:\\";
#else
    const std::string root = "/";
#endif
    for (const Case& c : {Case{"RECYCLER/", true}, Case{"Recycled/", true}, Case{"$Recycle.Bin/", true},
                          Case{".Trash/", true}, Case{".Trash-1000/", true}, Case{".Trash-x/", false},
                          Case{"RECYCLER old/", false}, Case{"no-such-folder-kestrel/RECYCLER/", false}}) {
        EXPECT_EQ(IsRecycleBinFolder(root + Native(c.relative)), c.recycleBin) << c.relative;
    }
}

TEST(FileExtensionTest, TheFieldIsNormalisedAsWhenItLosesTheFocus) {
    struct Case {
        const char* typed;
        const char* normalised;
    };
    for (const Case& c : {Case{".JPG", "jpg"}, Case{"mp3", "mp3"}, Case{".MP4", "mp4"}, Case{"7z", "7z"},
                          Case{"m4a ", "m4a"}, Case{"**", ""}, Case{"d?c*", "d?c*"},
                          Case{"abcdefg", "abcdefg"}, Case{"tar.gz", "targz"}, Case{"", ""}}) {
        EXPECT_EQ(NormalisedFileExtension(c.typed), c.normalised) << c.typed;
    }
}

TEST(ExcludedFilepathsTest, TheFieldIsSplitAtCommasAndEachFragmentTrimmed) {
    struct Case {
        const char* field;
        std::vector<std::string> fragments;
    };
    const Case cases[] = {
        {"  temp,cache  ", {"temp", "cache"}},
        {"temp, cache", {"temp", "cache"}},
        {"a , b ,c", {"a", "b", "c"}},
        {"old files, new", {"old files", "new"}},
        {",x,,", {"x"}},
        {" , ,", {}},
        {"   ", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitExcludedFilepaths(c.field), c.fragments) << c.field;
}

TEST(MatchesExtensionFilterTest, FilesWithoutExtensionGetTheDefault) {
    EXPECT_TRUE(MatchesExtensionFilter("/x/README", "", false));
    EXPECT_FALSE(MatchesExtensionFilter("/x/README", "doc", false));
    EXPECT_TRUE(MatchesExtensionFilter("/x/README", "doc", true));
    EXPECT_TRUE(MatchesExtensionFilter("/x/Report.DOCX", "doc?", false));
    EXPECT_FALSE(MatchesExtensionFilter("/x.doc/notes.txt", "doc", false));
}

} // namespace
} // namespace kestrel::testing
