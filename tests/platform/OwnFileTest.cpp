#include "platform/DirectoryHandle.h"
#include "platform/RegularFile.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <string>

#ifndef _WIN32
#include "support/Unprivileged.h"

#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace kestrel::platform;
using namespace kestrel::testing;

namespace {

// What a test puts at the name before the program opens it.
enum class Standing {
    Nothing,
    OwnFile,
    LinkToOutsideFile,
    DanglingLink,
    HardLinkToOutsideFile,
    Fifo,
    Folder
};

const char* const kOutsideText = "precious\n";

// A target folder and a file beside it that nothing may ever change.
class OwnFileTest : public ::testing::Test {
protected:
    OwnFileTest() {
        dir.createFolder("tgt");
        dir.createFile("outside/victim.txt", kOutsideText);
        target = DirectoryHandle::open(dir.path("tgt")).valueOr({});
    }

    // Puts `standing` at tgt/`name`; false when this system cannot make it.
    bool Put(Standing standing, const std::string& name) const {
        const std::string at = dir.path("tgt/" + name);
        switch (standing) {
        case Standing::Nothing:
            return true;
        case Standing::OwnFile:
            dir.createFile("tgt/" + name, "earlier\n");
            return true;
        case Standing::LinkToOutsideFile:
            return MakeSymlink(dir.path("outside/victim.txt"), at);
        case Standing::DanglingLink:
            return MakeSymlink(dir.path("outside/made-by-the-link.txt"), at);
        case Standing::HardLinkToOutsideFile:
            return MakeHardLink(dir.path("outside/victim.txt"), at);
        case Standing::Fifo:
            return MakeFifo(at);
        case Standing::Folder:
            dir.createFolder("tgt/" + name);
            return true;
        }
        return false;
    }

    TempDir dir;
    DirectoryHandle target;
};

TEST_F(OwnFileTest, OnlyANewNameOrAFileOfOurOwnIsWritten) {
    const struct {
        Standing standing;
        const char* label;
        OwnFileState state;
        bool written;
    } cases[] = {
        {Standing::Nothing, "nothing", OwnFileState::Missing, true},
        {Standing::OwnFile, "a file of ours", OwnFileState::Own, true},
        {Standing::LinkToOutsideFile, "a link to an outside file", OwnFileState::Foreign, false},
        {Standing::DanglingLink, "a dangling link", OwnFileState::Foreign, false},
        {Standing::HardLinkToOutsideFile, "a second name of an outside file", OwnFileState::Foreign, false},
        {Standing::Fifo, "a FIFO", OwnFileState::Foreign, false},
        {Standing::Folder, "a folder", OwnFileState::Foreign, false},
    };
    const FileOpening openings[] = {FileOpening::Truncate, FileOpening::Append};
    int name = 0;
    for (const auto& c : cases) {
        for (const FileOpening opening : openings) {
            const std::string file = "report-" + std::to_string(++name) + ".txt";
            SCOPED_TRACE(std::string(c.label) +
                         (opening == FileOpening::Append ? ", appending" : ", emptying"));
            if (!Put(c.standing, file)) {
                // Each system makes what it can; the rest is told, not failed.
                std::cout << "not made here: " << c.label << "\n";
                continue;
            }
            const auto before = EntriesBelow(dir.path(), dir.path("tgt"));

            EXPECT_EQ(ownFileStateOf(target, file), c.state);
            bool foreign = true;
            Result<RegularFile> result = openOwnFile(target, file, opening, foreign);
            const Error error = result.error();
            RegularFile opened = std::move(result).valueOr({});
            const bool wasOpen = opened.isOpen();
            if (wasOpen) {
                EXPECT_FALSE(opened.writeAll("new\n", 4));
            }
            opened.close();

            EXPECT_EQ(wasOpen, c.written);
            EXPECT_EQ(foreign, !c.written);
            if (c.written) {
                EXPECT_FALSE(error);
                const bool kept = c.standing == Standing::OwnFile && opening == FileOpening::Append;
                EXPECT_EQ(dir.readFile("tgt/" + file), kept ? "earlier\nnew\n" : "new\n");
            } else {
                EXPECT_EQ(error.number, err::PathFileAccess);
            }
            EXPECT_EQ(EntriesBelow(dir.path(), dir.path("tgt")), before)
                << "something outside the target changed";
        }
    }
    EXPECT_EQ(dir.readFile("outside/victim.txt"), kOutsideText);
    EXPECT_FALSE(dir.exists("outside/made-by-the-link.txt"));
}

#ifndef _WIN32
TEST_F(OwnFileTest, AFileOfAnotherOwnerIsNotOurs) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a file to another user";
    const std::string theirs = dir.createFile("tgt/theirs.txt", "their text");
    ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);

    bool foreign = false;
    EXPECT_EQ(ownFileStateOf(target, "theirs.txt"), OwnFileState::Foreign);
    EXPECT_FALSE(openOwnFile(target, "theirs.txt", FileOpening::Append, foreign).ok());
    EXPECT_TRUE(foreign);
    EXPECT_EQ(dir.readFile("tgt/theirs.txt"), "their text");
}

TEST_F(OwnFileTest, AFolderThatMayBeSearchedButNotReadIsPassedThrough) {
    dir.createFolder("passage/inner");
    RunAsUnprivileged({dir.path()}, [&] {
        ASSERT_EQ(::chmod(dir.path("passage").c_str(), 0311), 0);
        const DirectoryHandle tree = DirectoryHandle::open(dir.path("passage/inner")).valueOr({});
        ASSERT_TRUE(tree.valid());
        for (const std::string& path :
             {dir.path("passage/inner/report.txt"), dir.path("passage/report.txt")}) {
            SCOPED_TRACE(path);
            const FolderOfFile place = openFolderOfFile(path, tree);
            ASSERT_TRUE(place.folder.valid()) << place.error.description;
            EXPECT_EQ(place.insideTree, path == dir.path("passage/inner/report.txt"));
            bool foreign = true;
            const Result<RegularFile> file =
                openOwnFile(place.folder, place.name, FileOpening::Truncate, foreign);
            EXPECT_TRUE(file.ok());
            EXPECT_FALSE(foreign);
        }
        ASSERT_EQ(::chmod(dir.path("passage").c_str(), 0755), 0);
        EXPECT_TRUE(dir.exists("passage/inner/report.txt"));
    });
}
#endif

TEST_F(OwnFileTest, AnEntrySwappedInWhileTheFileIsOpenedIsNeverWritten) {
    if (!CanMakeSymlinks())
        GTEST_SKIP() << kNoSymlinks;
    // At each step of the opening, the name becomes a link to the outside file: the look before
    // the creation finds nothing, or the look before the opening found a file of ours.
    for (const bool existing : {false, true}) {
        SCOPED_TRACE(existing ? "after the look at a file of ours" : "before the creation");
        const std::string name = existing ? "existing.txt" : "new.txt";
        if (existing)
            dir.createFile("tgt/" + name, "earlier\n");
        const std::string at = dir.path("tgt/" + name);
        bool swapped = false;
        ScopedOwnFileOpeningForTesting seam([&](const std::string& opened, bool stage) {
            if (opened != name || stage != existing || swapped)
                return;
            swapped = true;
            std::filesystem::remove(at);
            ASSERT_TRUE(MakeSymlink(dir.path("outside/victim.txt"), at));
        });
        bool foreign = false;
        const Result<RegularFile> opened = openOwnFile(target, name, FileOpening::Truncate, foreign);

        EXPECT_TRUE(swapped);
        EXPECT_FALSE(opened.ok());
        EXPECT_TRUE(foreign);
        EXPECT_EQ(dir.readFile("outside/victim.txt"), kOutsideText);
    }
}

TEST_F(OwnFileTest, TheFolderOfAFileIsReachedThroughNoLinkInsideTheTree) {
    if (!CanMakeSymlinks())
        GTEST_SKIP() << kNoSymlinks;
    dir.createFolder("tgt/real");
    ASSERT_TRUE(MakeSymlink(dir.path("outside"), dir.path("tgt/planted"), true));
    ASSERT_TRUE(MakeSymlink(dir.path("tgt"), dir.path("via"), true));
    ASSERT_TRUE(MakeSymlink(dir.path("tgt/real"), dir.path("into-real"), true));
    const struct {
        std::string path;
        bool opened;
        bool inside;
        bool linkInTree;
    } cases[] = {
        {dir.path("tgt/report.txt"), true, true, false},
        {dir.path("tgt/real/report.txt"), true, true, false},
        {dir.path("tgt/real/../report.txt"), true, true, false},
        // The user's own way into the target is a link outside it: followed, and then inside.
        {dir.path("via/report.txt"), true, true, false},
        {dir.path("into-real/report.txt"), true, true, false},
        // A link met inside the target is never followed, however the way reached the target.
        {dir.path("tgt/planted/report.txt"), false, false, true},
        {dir.path("via/planted/report.txt"), false, false, true},
        {dir.path("tgt/real/../planted/report.txt"), false, false, true},
        // Out of the target by "..", and elsewhere: the user's own path.
        {dir.path("tgt/../outside/report.txt"), true, false, false},
        {dir.path("outside/report.txt"), true, false, false},
        {dir.path("tgt/missing/report.txt"), false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const FolderOfFile place = openFolderOfFile(c.path, target);
        EXPECT_EQ(place.folder.valid(), c.opened);
        EXPECT_EQ(place.insideTree, c.inside);
        EXPECT_EQ(place.linkInTree, c.linkInTree);
        EXPECT_EQ(bool(place.error), !c.opened);
        EXPECT_EQ(place.name, "report.txt");
    }
    // Without a tree every link is the user's own.
    const FolderOfFile anywhere = openFolderOfFile(dir.path("tgt/planted/report.txt"), DirectoryHandle());
    EXPECT_TRUE(anywhere.folder.valid());
    EXPECT_FALSE(anywhere.insideTree);
}

TEST_F(OwnFileTest, AFolderIsAtOrBelowOnlyItselfAndTheFoldersAboveIt) {
    dir.createFolder("tgt/a/b");
    const DirectoryHandle deep = DirectoryHandle::open(dir.path("tgt/a/b")).valueOr({});
    const DirectoryHandle outside = DirectoryHandle::open(dir.path("outside")).valueOr({});
    const DirectoryHandle top = DirectoryHandle::open(dir.path()).valueOr({});
    EXPECT_TRUE(deep.isAtOrBelow(target));
    EXPECT_TRUE(target.isAtOrBelow(target));
    EXPECT_TRUE(target.isAtOrBelow(top));
    EXPECT_FALSE(target.isAtOrBelow(deep));
    EXPECT_FALSE(outside.isAtOrBelow(target));
    EXPECT_FALSE(deep.isAtOrBelow(DirectoryHandle()));
}

} // namespace
