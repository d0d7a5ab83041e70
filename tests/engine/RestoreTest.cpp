#include "EngineFixture.h"

#include "engine/Restore.h"
#include "modules/Language.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

// A restore brings the backup back with a backup's report and guards; what the user changed in
// the destination since (a newer file) stays unless the restore is told to replace it.
namespace kestrel::testing {
namespace {

class RestoreTest : public EngineTest {
protected:
    RestoreTest() {
        UseReportFile();
        state.blnScheduledTask = true;
        Src("top.txt", "top", At(1, 5, 10, 0));
        Src("Letters/a.txt", "letter a", At(1, 5, 10, 0));
        Src("Letters/old/b.txt", "letter b", At(1, 6, 10, 0));
        Src("Photos/c.jpg", "photo c", At(1, 7, 10, 0));
        setup.chkIncludeSubfolders = 1;
        Include({"Letters", "Photos"});
        EXPECT_EQ(BackupAll(), intResultDone);
    }

    int Restore(const RestoreRequest& request) {
        return RunRestore(setup, state, ui, report, request, &resultText);
    }
};

TEST_F(RestoreTest, IntoAnEmptyFolderGivesTheSourceTreeBack) {
    const std::string into = Native(dir.createFolder("empty"));
    Tgt("_Backup report 2024-03-09 12.00.txt", "an unattended run's report");
    RestoreRequest request;
    request.destination = into;
    ASSERT_EQ(Restore(request), intResultDone) << resultText;
    EXPECT_EQ(EntriesBelow(into), EntriesBelow(source));
    EXPECT_EQ(state.lngTotalNumFilesCopied, 4);
    EXPECT_EQ(state.lngTotalNumCopyErrors, 0);
    EXPECT_EQ(state.intNumWarnings, 0);
    EXPECT_NE(
        report.Text().find(GetProgramText(1913) + " " + target + " " + GetProgramText(1914) + " " + into),
        std::string::npos)
        << report.Text();
    // The times come back with the data: a backup of the restored tree finds nothing to do.
    setup.txbDirectory = {into, target};
    ASSERT_EQ(CheckState(), intResultDone);
    EXPECT_EQ(state.lngTotalNumNewFiles + state.lngTotalNumModifiedFiles, 0);
}

// The case a restore is for: a folder lost from the source (so no longer among the included
// subfolders a loaded setup keeps) comes back. The setup's removal and versions options are a
// backup's: a restore never removes the user's newer work nor keeps versions in the source, and
// the backup's own versions folder is neither restored nor warned about.
TEST_F(RestoreTest, AFolderTheSourceLostComesBackAndNothingOfTheDestinationIsRemoved) {
    Tgt(".kestrel-versions/2024-01-01 00.00.00/Letters/a.txt", "an earlier a");
    std::filesystem::remove_all(dir.path("src/Photos"));
    Include({"Letters"});
    Src("Letters/new since.txt", "new work");
    setup.extra.bRemoveDeleted = true;
    setup.extra.intKeepVersionsDays = 30;

    ASSERT_EQ(Restore(RestoreRequest{}), intResultDone) << resultText;

    EXPECT_EQ(dir.readFile("src/Photos/c.jpg"), "photo c");
    EXPECT_EQ(dir.readFile("src/Letters/new since.txt"), "new work");
    EXPECT_FALSE(std::filesystem::exists(dir.path("src/.kestrel-versions")));
    EXPECT_EQ(state.intNumWarnings, 0) << report.Text();
    EXPECT_EQ(state.lngTotalNumCopyErrors, 0) << report.Text();
}

// The earlier copies one run kept come back in their places, older than what replaced them, so
// only when asked by name; a run named by a path, or one that is not there, changes nothing.
TEST_F(RestoreTest, TheVersionsOfOneRunComeBackInTheirPlaces) {
    const std::string run = "2024-01-01 00.00.00";
    Tgt(".kestrel-versions/" + run + "/Letters/a.txt", "an earlier a", At(1, 1, 10, 0));
    Tgt(".kestrel-versions/2024-02-01 00.00.00/Letters/a.txt", "another run's a", At(1, 2, 10, 0));

    const bool links =
        CanMakeSymlinks() && MakeSymlink(dir.path("src"), dir.path("tgt/.kestrel-versions/elsewhere"), true);
    for (const std::string& name : {std::string("../Letters"), std::string("1999-01-01 00.00.00"),
                                    std::string(links ? "elsewhere" : "../Letters")}) {
        RestoreRequest wrong;
        wrong.versionsRun = name;
        wrong.overwriteNewer = true;
        EXPECT_EQ(Restore(wrong), intResultNoSuchVersionsRun) << name;
        EXPECT_EQ(dir.readFile("src/Letters/a.txt"), "letter a");
        // The refusal names the runs there are, as a restore takes them.
        EXPECT_EQ(resultText, name + " " + GetProgramText(1925) + " " + GetProgramText(1945) +
                                  " 2024-02-01 00.00.00, " + run + ".");
    }

    RestoreRequest request;
    request.versionsRun = run;
    ASSERT_EQ(Restore(request), intResultDone) << resultText;
    EXPECT_EQ(dir.readFile("src/Letters/a.txt"), "letter a") << "newer than the earlier copy";
    EXPECT_EQ(state.intNumWarnings, 1);

    request.overwriteNewer = true;
    ASSERT_EQ(Restore(request), intResultDone) << resultText;
    EXPECT_EQ(dir.readFile("src/Letters/a.txt"), "an earlier a");
    EXPECT_EQ(dir.readFile("src/Photos/c.jpg"), "photo c");
    EXPECT_EQ(dir.readFile("src/top.txt"), "top");
}

TEST_F(RestoreTest, ANewerFileOfTheDestinationIsLeftAloneAndNamedUnlessAskedFor) {
    // The source is the default destination: one file edited after the backup, one lost, one
    // older than its copy (put back from elsewhere).
    Src("Letters/a.txt", "edited since", At(2, 1, 10, 0));
    std::filesystem::remove(dir.path("src/Photos/c.jpg"));
    Src("Letters/old/b.txt", "older", At(1, 1, 10, 0));

    ASSERT_EQ(Restore({}), intResultDone) << resultText;
    EXPECT_EQ(dir.readFile("src/Letters/a.txt"), "edited since");
    EXPECT_EQ(dir.readFile("src/Photos/c.jpg"), "photo c");
    EXPECT_EQ(dir.readFile("src/Letters/old/b.txt"), "letter b");
    EXPECT_EQ(state.intNumWarnings, 1);
    EXPECT_EQ(Occurrences(report.Text(), source + Native("Letters/") + "a.txt  " + GetProgramText(1910)), 1u)
        << report.Text();
    EXPECT_EQ(Occurrences(ReportFileText(), GetProgramText(1910)), 1u);

    RestoreRequest overwrite;
    overwrite.overwriteNewer = true;
    ASSERT_EQ(Restore(overwrite), intResultDone) << resultText;
    EXPECT_EQ(dir.readFile("src/Letters/a.txt"), "letter a");
    EXPECT_EQ(state.intNumWarnings, 0);
}

TEST_F(RestoreTest, ACheckFirstCopiesNothingAndNamesWhatARestoreWouldDo) {
    std::filesystem::remove(dir.path("src/top.txt"));
    Src("Photos/c.jpg", "edited", At(3, 1, 10, 0));
    const auto before = EntriesBelow(source);
    RestoreRequest request;
    request.check = true;
    ASSERT_EQ(Restore(request), intResultDone) << resultText;
    EXPECT_EQ(EntriesBelow(source), before);
    EXPECT_EQ(state.lngTotalNumNewFiles, 1);
    EXPECT_NE(report.Text().find(target + "top.txt " + GetProgramText(1939)), std::string::npos)
        << report.Text();
    EXPECT_NE(report.Text().find(GetProgramText(1910)), std::string::npos);
}

// A restore's report speaks of the destination: no file of it is "not previously backed up", and
// a file there that differs is no "modified" one. The backup's report keeps its own words.
TEST_F(RestoreTest, TheReportSpeaksOfTheDestinationAndTheBackupsKeepsItsWords) {
    struct Case {
        const char* label;
        bool check;
        std::vector<int> restoreTexts;
        std::vector<int> backupTexts;
    };
    const Case cases[] = {
        {"restore",
         false,
         {1939, 1940, 1941, 1942, 1943, 1932, 1934},
         {65, 66, 1168, 1169, 1170, 1140, 1143}},
        {"check", true, {1939, 1940, 1941, 1942, 1943, 1932, 1934}, {65, 66, 1168, 1177, 1178, 1140, 1152}},
    };
    Tgt("Letters/extra.txt", "extra", At(1, 5, 10, 0));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        // A folder with one file the destination lacks and one that differs from it.
        const std::string into = Native(dir.createFolder(std::string("into-") + c.label));
        dir.createFile(std::string("into-") + c.label + "/Letters/a.txt", "older a", At(1, 1, 10, 0));
        RestoreRequest request;
        request.destination = into;
        request.subfolder = "Letters";
        request.check = c.check;
        report.Clear();
        ASSERT_EQ(Restore(request), intResultDone) << resultText;
        const std::string text = report.Text();
        for (int number : c.restoreTexts)
            EXPECT_NE(text.find(GetProgramText(number)), std::string::npos) << number << "\n" << text;
        for (int number : c.backupTexts)
            EXPECT_EQ(text.find(GetProgramText(number)), std::string::npos) << number << "\n" << text;
    }

    // Nothing left to restore: said of the destination too.
    const std::string into = Native(dir.path("into-restore"));
    RestoreRequest request;
    request.destination = into;
    request.subfolder = "Letters";
    request.check = true;
    report.Clear();
    ASSERT_EQ(Restore(request), intResultDone) << resultText;
    EXPECT_NE(report.Text().find(GetProgramText(1944)), std::string::npos) << report.Text();
    EXPECT_EQ(report.Text().find(GetProgramText(1179)), std::string::npos);

    // The backup after it words its report as ever.
    report.Clear();
    Src("Letters/a.txt", "a edited", At(2, 1, 10, 0));
    Src("Letters/new.txt", "new");
    ASSERT_EQ(BackupModified(), intResultDone);
    for (int number : {66, 65, 1168, 1169, 1170})
        EXPECT_NE(report.Text().find(GetProgramText(number)), std::string::npos) << number << "\n"
                                                                                 << report.Text();
}

TEST_F(RestoreTest, OneIncludedSubfolderComesBackAlone) {
    const std::string into = Native(dir.createFolder("one"));
    RestoreRequest request;
    request.destination = into;
    request.subfolder = "Photos";
    ASSERT_EQ(Restore(request), intResultDone) << resultText;
    const std::map<std::string, std::string> photosOnly = {{"Photos", "folder"},
                                                           {"Photos/c.jpg", "file photo c"}};
    EXPECT_EQ(EntriesBelow(into), photosOnly);

    request.subfolder = "Music";
    EXPECT_EQ(Restore(request), intResultNotIncludedSubfolder);
    EXPECT_EQ(resultText, "Music " + GetProgramText(1923));
}

} // namespace
} // namespace kestrel::testing
