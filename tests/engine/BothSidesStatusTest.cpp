#include "engine/BothSidesStatus.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kestrel;
using namespace kestrel::testing;
using platform::EntryKind;

namespace {

platform::DirectoryHandle Open(const std::string& path) {
    auto folder = platform::DirectoryHandle::open(path);
    EXPECT_TRUE(folder.ok()) << path << ": " << folder.error().description;
    return std::move(folder).valueOr({});
}

} // namespace

// Whichever thread reads the target's side, each name gets its own status, in the batch's order:
// the source's links followed, the target's read as links.
TEST(BothSidesStatusTest, EachNameGetsItsStatusOnBothSidesWithOrWithoutTheSecondThread) {
    TempDir dir;
    struct Entry {
        std::string name;
        std::string source; // "file N" (N bytes), "link", "folder" or "" (none)
        std::string target;
    };
    std::vector<Entry> entries;
    for (int i = 0; i < 40; ++i) {
        const std::string n = std::to_string(i);
        entries.push_back({"f" + n, "file " + n, i % 3 == 0 ? "" : "file " + std::to_string(i + 1)});
    }
    const bool links = CanMakeSymlinks();
    entries.push_back({"a folder", "folder", "folder"});
    if (links)
        entries.push_back({"a link", "link", "link"});
    for (const Entry& e : entries) {
        for (const auto& [side, what] :
             {std::pair{std::string("src/"), e.source}, {std::string("tgt/"), e.target}}) {
            if (what.rfind("file ", 0) == 0)
                dir.createFile(side + e.name, std::string(std::stoul(what.substr(5)), 'x'));
            else if (what == "folder")
                dir.createFolder(side + e.name);
            else if (what == "link") {
                ASSERT_TRUE(MakeSymlink(dir.path(side + "f1"), dir.path(side + e.name)));
            }
        }
    }
    dir.createFolder("src");
    dir.createFolder("tgt");
    std::vector<std::string> names;
    for (const Entry& e : entries)
        names.push_back(e.name);
    const platform::DirectoryHandle source = Open(dir.path("src"));
    const platform::DirectoryHandle target = Open(dir.path("tgt"));

    auto expectKind = [](const std::string& what, bool followed) {
        if (what.empty())
            return EntryKind::Missing;
        if (what == "folder")
            return EntryKind::Directory;
        if (what == "link")
            return followed ? EntryKind::Regular : EntryKind::Symlink;
        return EntryKind::Regular;
    };
    for (const bool secondThread : {false, true}) {
        SCOPED_TRACE(secondThread ? "second thread" : "one thread");
        BothSidesStatus reader(secondThread);
        // Many batches one after the other, as a walk hands them over.
        for (int round = 0; round < 200; ++round) {
            std::vector<platform::FileStatus> sources;
            std::vector<platform::FileStatus> targets;
            reader.read(source, &target, names, sources, targets);
            ASSERT_EQ(sources.size(), names.size());
            ASSERT_EQ(targets.size(), names.size());
            for (std::size_t i = 0; i < entries.size(); ++i) {
                const Entry& e = entries[i];
                ASSERT_EQ(sources[i].kind, expectKind(e.source, true)) << e.name;
                ASSERT_EQ(targets[i].kind, expectKind(e.target, false)) << e.name;
                if (e.source.rfind("file ", 0) == 0) {
                    ASSERT_EQ(sources[i].size, std::stoll(e.source.substr(5))) << e.name;
                }
                if (e.target.rfind("file ", 0) == 0) {
                    ASSERT_EQ(targets[i].size, std::stoll(e.target.substr(5))) << e.name;
                }
            }
            std::vector<platform::FileStatus> none;
            reader.read(source, nullptr, names, sources, none);
            ASSERT_EQ(none.size(), names.size());
            ASSERT_FALSE(none.front().exists());
        }
    }
}
