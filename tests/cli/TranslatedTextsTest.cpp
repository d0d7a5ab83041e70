#include "support/TranslatedTexts.h"
#include "cli/CliRun.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrel::testing {
namespace {

// With a program text file that changes every text, every word the tool shows (report, standard
// output, standard error, report file) is a changed one: a text written into the code instead of
// the text file shows up here as an English word left over. Every name the test gives is made of
// digits, so that only the program's own words are words.
class TranslatedTextsCliTest : public ::testing::Test {
protected:
    TranslatedTextsCliTest() {
        dir.createFile("1/13", "thirteen");
        dir.createFile("1/5/10", "ten");
        dir.createFile("1/5/11", "eleven, a little longer");
        dir.createFile("1/6/12", "twelve");
        dir.createFolder("2");
        setupFile = dir.path("80.zbk");
        reportFile = dir.path("70");
    }

    // Runs the tool and checks what it showed; returns the run for further checks.
    CliRun Shown(const std::vector<std::string>& args) {
        std::string said;
        for (const std::string& arg : args)
            said += arg + " ";
        SCOPED_TRACE(said);
        CliRun result = run(args);
        const std::string shown = result.out + result.err;
        EXPECT_NE(shown.find(kTextOpen), std::string::npos) << "nothing shown from the texts:\n" << shown;
        EXPECT_EQ(WordsNotFromTexts(shown, Data()), "") << shown;
        return result;
    }

    // What the tool shows that is no text of its own: the test's folder in every spelling, the
    // names of setup files and of the last-run file, the command line that makes one and the
    // program's name before its account.
    std::vector<std::string> Data() const {
        return {dir.path(),
                Native(dir.path()),
                SlashesOnly(dir.path()),
                "kestrel-backup-cli save --source DIR --target DIR [options]",
                "kestrel-backup-cli:",
                ".zbk",
                "zbk.usr"};
    }

    std::string At(const std::string& relative) const { return dir.path(relative); }

    TempDir dir;
    ConfigHome config{dir.path("9")};
    TranslatedTexts texts;
    std::string setupFile;
    std::string reportFile;
};

TEST_F(TranslatedTextsCliTest, EveryWordOfEveryCommandComesFromTheTextFile) {
    ASSERT_GT(texts.loaded(), 0);
    EXPECT_EQ(Shown({"save", setupFile, "--source", At("1"), "--target", At("2"), "--include-all",
                     "--warn-older", "--warn-smaller", "50", "--report", reportFile})
                  .status,
              0);
    Shown({"show", setupFile});
    EXPECT_EQ(Shown({"backup", setupFile, "--all", "--yes"}).status, 0);

    // A file gone smaller, one older than its copy, a new one and one modified: warnings, then
    // copies.
    dir.createFile("1/5/11", "short", utcSeconds(2001, 1, 1, 0, 0, 0));
    dir.createFile("1/6/12", "twelve, now modified and longer");
    dir.createFile("1/6/14", "new");
    Shown({"check", setupFile, "--yes"});
    EXPECT_EQ(Shown({"backup", setupFile, "--yes"}).status, 1) << "the warnings";
    Shown({"list", setupFile, "--yes"});
    Shown({"list", "--source", At("1/5"), "--yes"});

    Shown({"setups-folder", dir.path()});
    Shown({"multiple", dir.path(), "--yes"});

    // A link that leads nowhere is named as passed over.
    if (MakeSymlink(At("3"), At("1/6/15")))
        Shown({"backup", setupFile, "--all", "--yes"});

    EXPECT_EQ(Shown({"delete", setupFile, "--yes"}).status, 0);
    Shown({"backup", setupFile, "--all", "--yes"});
    EXPECT_EQ(Shown({"delete", "--target", At("2"), "--wipe", "--yes"}).status, 0);

    // Refusals and failures say why in the texts too.
    EXPECT_EQ(Shown({"backup", "--source", At("1"), "--target", At("4"), "--yes"}).status, 2);
    EXPECT_EQ(Shown({"backup", "--source", At("4"), "--target", At("2"), "--yes"}).status, 2);
    EXPECT_EQ(Shown({"backup", "--source", At("1"), "--target", At("1"), "--yes"}).status, 2);
    EXPECT_EQ(Shown({"show", At("81.zbk")}).status, 2);
    EXPECT_EQ(Shown({"multiple", At("2"), "--yes"}).status, 2);
    EXPECT_EQ(Shown({"backup", "--unattended"}).status, 2) << "no last-run setup yet";
    EXPECT_EQ(Shown({"save", "--source", At("1"), "--target", At("2")}).status, 0);
    EXPECT_EQ(Shown({"backup", "--unattended"}).status, 0);

    const std::string report = dir.readFile("70");
    EXPECT_NE(report.find(kTextOpen), std::string::npos);
    EXPECT_EQ(WordsNotFromTexts(report, Data()), "") << report;
}

} // namespace
} // namespace kestrel::testing
