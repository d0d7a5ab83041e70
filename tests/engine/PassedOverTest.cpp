#include "EngineFixture.h"

#include "modules/Language.h"
#include "support/Unprivileged.h"

#include <functional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

namespace kestrel::testing {
namespace {

const std::string CRLF = "\r\n";

// An AF_UNIX socket bound at `path`; the descriptor is closed at once, the entry stays.
bool MakeSocket(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path))
        return false;
    path.copy(address.sun_path, path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return bound;
}

struct SpecialEntry {
    const char* name;
    int text; // the program text of its report line
    std::function<bool(const std::string& path, const std::string& folder)> make;
};

const SpecialEntry kSpecialEntries[] = {
    {"pipe", 1102,
     [](const std::string& path, const std::string&) { return ::mkfifo(path.c_str(), 0644) == 0; }},
    {"socket", 1103, [](const std::string& path, const std::string&) { return MakeSocket(path); }},
    {"null-link", 1104,
     [](const std::string& path, const std::string&) { return ::symlink("/dev/null", path.c_str()) == 0; }},
    {"dangling", 1105,
     [](const std::string& path, const std::string&) { return ::symlink("missing", path.c_str()) == 0; }},
    {"loop", 1105,
     [](const std::string& path, const std::string&) { return ::symlink("loop", path.c_str()) == 0; }},
    {"Documents", 1101,
     [](const std::string& path, const std::string& folder) {
         return ::symlink((folder + "elsewhere").c_str(), path.c_str()) == 0;
     }},
};

class PassedOverTest : public EngineTest {
protected:
    PassedOverTest() {
        Src("a.txt", "a");
        Src("Music/song.mp3", "la");
        dir.createFolder("elsewhere");
        Src("../elsewhere/inside.txt", "never reached");
        Include({"Music", "Documents"});
        state.blnScheduledTask = true;
        UseReportFile();
    }

    // Makes every special entry below `folder` (relative to the source); the names it made.
    std::vector<const SpecialEntry*> MakeAll(const std::string& folder) {
        std::vector<const SpecialEntry*> made;
        for (const SpecialEntry& entry : kSpecialEntries) {
            if (entry.make(source + folder + entry.name, dir.path()))
                made.push_back(&entry);
            else
                ADD_FAILURE() << "cannot make " << entry.name;
        }
        return made;
    }
};

TEST_F(PassedOverTest, EachKindOfSpecialEntryIsNamedInTheFolderDetailAndCountedInTheSummary) {
    std::vector<const SpecialEntry*> made = MakeAll("");
    // A real device file needs the right to make one.
    const std::string device = source + "tty-device";
    if (::mknod(device.c_str(), S_IFCHR | 0600, makedev(5, 0)) == 0) {
        static const SpecialEntry kDevice{"tty-device", 1104, nullptr};
        made.push_back(&kDevice);
    }

    ASSERT_EQ(BackupAll(), intResultDone);

    const std::string number = std::to_string(made.size());
    for (const std::string& text : {ui.screenText(), ReportFileText()}) {
        for (const SpecialEntry* entry : made) {
            const std::string line =
                "      " + GetProgramText(entry->text) + " " + source + entry->name + ".";
            EXPECT_NE(text.find(CRLF + line + CRLF), std::string::npos) << line << "\n" << text;
        }
        EXPECT_NE(text.find(CRLF + GetProgramText(1106) + " " + number + CRLF), std::string::npos) << text;
    }
    EXPECT_EQ(state.lngTotalNumPassedOver, static_cast<std::int64_t>(made.size()));
    EXPECT_EQ(state.lngTotalNumCopyErrors, 0);
    // Nothing of them reaches the target; the link to a folder is not followed.
    for (const SpecialEntry* entry : made)
        EXPECT_FALSE(platform::statPath(target + entry->name, false).exists()) << entry->name;
    EXPECT_EQ(dir.readFile("tgt/a.txt"), "a");
    EXPECT_EQ(dir.readFile("tgt/Music/song.mp3"), "la");
    EXPECT_FALSE(dir.exists("tgt/Documents"));
}

TEST_F(PassedOverTest, AnUnchangedFolderShowsItsCountLineBeforeThePassedOverEntry) {
    ASSERT_EQ(::mkfifo((source + "Music/pipe").c_str(), 0644), 0);
    Src("Music/song.mp3", "la", At(3, 1, 9, 0));
    Tgt("Music/song.mp3", "la", At(3, 1, 9, 0));

    ASSERT_EQ(BackupModified(), intResultDone);

    const std::string expected = "    1 file  in {source folder}Music/" + CRLF + "      " +
                                 GetProgramText(1102) + " " + source + "Music/pipe.";
    EXPECT_NE(ReportFileText().find(expected + CRLF), std::string::npos) << ReportFileText();
}

TEST_F(PassedOverTest, OnlyWhatTheSetupWouldTakeIsNamedAndSuppressedDetailsLeaveTheCount) {
    struct Case {
        const char* name;
        std::vector<std::string> included;
        std::string excluded;
        std::string extension;
        bool suppressed;
        std::int64_t count;
        bool pipeNamed;
        bool folderLinkNamed;
    };
    const Case cases[] = {
        {"everything", {"Music", "Documents"}, "", "", false, 6, true, true},
        {"details suppressed", {"Music", "Documents"}, "", "", true, 6, false, false},
        // The setup lists real subfolders only: a link at the top is named whatever the list.
        {"the linked folder not in the list", {"Music"}, "", "", false, 6, true, true},
        {"the linked folder excluded by a fragment", {"Music"}, "Documents", "", false, 5, true, false},
        {"excluded by trimmed fragments", {"Music", "Documents"}, "pipe, socket", "", false, 4, false, true},
        // The filter is for files: the folders, and so the link to one, are walked all the same.
        {"an extension filter takes none of the files", {"Music"}, "", "mp3", false, 1, false, true},
    };
    MakeAll("");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir local;
        setup.txbDirectory[1] = local.createFolder("tgt");
        setup.txbReportFile = local.path("report.txt");
        Include(c.included);
        setup.txbExcludedFilepaths = c.excluded;
        setup.txbFileExtension = c.extension;
        setup.chkSuppressDetailedReports = c.suppressed ? 1 : 0;

        ASSERT_EQ(BackupAll(), intResultDone);

        const std::string text = local.readFile("report.txt");
        auto shows = [&](const std::string& part) { return text.find(part) != std::string::npos; };
        EXPECT_EQ(state.lngTotalNumPassedOver, c.count);
        EXPECT_EQ(shows(GetProgramText(1106) + " " + std::to_string(c.count) + CRLF), c.count > 0) << text;
        EXPECT_EQ(shows(GetProgramText(1102) + " " + source + "pipe."), c.pipeNamed) << text;
        EXPECT_EQ(shows(GetProgramText(1101) + " " + source + "Documents."), c.folderLinkNamed) << text;
    }
}

TEST_F(EngineTest, AFolderThatCannotBeReadIsNamedWithItsReasonAndCountsAsAnError) {
    Src("locked/a.txt", "a");
    Src("open/b.txt", "b");
    Include({"locked", "open"});
    UseReportFile();
    state.blnScheduledTask = true;
    const std::string named = GetProgramText(79) + " " + source + "locked/  Permission denied" + CRLF;
    RunAsUnprivileged({dir.path()}, [&] {
        ASSERT_EQ(::chmod((source + "locked").c_str(), 0), 0);

        EXPECT_EQ(BackupAll(), intResultDone);

        EXPECT_EQ(state.lngTotalNumCopyErrors, 1);
        const std::string text = ReportFileText();
        EXPECT_NE(text.find("    ? files  in {source folder}locked/" + CRLF + "      " + named),
                  std::string::npos)
            << text;
        EXPECT_NE(text.find("Number of errors when attempting to copy a file: 1" + CRLF), std::string::npos)
            << text;

        // The check copies nothing; its summary cannot call every file backed up.
        EXPECT_EQ(CheckState(), intResultDone);
        const std::string checked = ui.screenText();
        EXPECT_NE(checked.find(named), std::string::npos) << checked;
        EXPECT_NE(checked.find(CRLF + GetProgramText(1107) + " 1" + CRLF), std::string::npos) << checked;
        EXPECT_EQ(checked.find("All files backed up."), std::string::npos) << checked;
        ::chmod((source + "locked").c_str(), 0755);
    });
    EXPECT_EQ(dir.readFile("tgt/open/b.txt"), "b");
    EXPECT_FALSE(dir.exists("tgt/locked/a.txt"));
}

} // namespace
} // namespace kestrel::testing
