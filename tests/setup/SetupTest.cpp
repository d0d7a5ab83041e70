#include "setup/Setup.h"
#include "setup/ChoiceLists.h"

#include <gtest/gtest.h>

using namespace kestrel;

namespace {

kestrel::Setup everyFieldSet() {
    kestrel::Setup s;
    s.txbDirectory = {"/data/source/", "/backup/target/"};
    s.chkSuppressDetailedReports = 1;
    s.chkSaveSetupOnQuit = 1;
    s.chkWarnIfEarlier = 1;
    s.chkWarnIfSmaller = 1;
    s.chkExcludeFilesInSourceFolder = 1;
    s.chkIncludeSubfolders = 1;
    s.cboPercent = 8;
    s.cboModifiedSince = 3;
    s.chkPauseAfterFirstCopy = 1;
    s.chkPauseAfterFirstDelete = 1;
    s.chkDisableOutputToFile = 1;
    s.txbExcludedFilepaths = "~$,.tmp";
    s.txbReportFile = "/backup/report.txt";
    s.cboIncludedFolders = {"letters", "photos/2023"};
    s.cboIncludedFoldersListIndex = 1;
    s.intNumIncludedFolders = 2;
    s.txbFileExtension = "*.doc";
    return s;
}

} // namespace

TEST(ClearSetup, GivesTheClearedValuesAndKeepsTheReportFileAndItsBox) {
    kestrel::Setup setup = everyFieldSet();

    ClearSetup(setup);

    kestrel::Setup expected;
    expected.txbReportFile = "/backup/report.txt";
    expected.chkDisableOutputToFile = 1;
    expected.cboIncludedFolders = {"letters", "photos/2023"}; // the callers empty the list
    EXPECT_EQ(setup, expected);
    EXPECT_EQ(setup.intSuspectPercent(), 50);
    EXPECT_EQ(PercentItems().at(setup.cboPercent), "50%");
}

TEST(PercentItems, TenToNinetyPercentInOrder) {
    const std::vector<std::string> expected = {"10%", "20%", "30%", "40%", "50%", "60%", "70%", "80%", "90%"};
    EXPECT_EQ(PercentItems(), expected);
    kestrel::Setup setup;
    for (int index = 0; index < 9; ++index) {
        setup.cboPercent = index;
        EXPECT_EQ(std::to_string(setup.intSuspectPercent()) + "%", expected[static_cast<std::size_t>(index)]);
    }
}

TEST(RestoreSetup, GivesBackEverythingButTheReportFileBox) {
    kestrel::Setup original = everyFieldSet();
    original.chkDisableOutputToFile = 0;
    RestoreCopy copy = TakeRestoreCopy(original);

    kestrel::Setup changed;
    changed.txbDirectory = {"/elsewhere/", ""};
    changed.cboIncludedFolders = {"other"};
    changed.intNumIncludedFolders = 1;
    changed.chkDisableOutputToFile = 1;
    RestoreSetup(changed, copy);

    kestrel::Setup expected = original;
    expected.chkDisableOutputToFile = 1;
    expected.cboIncludedFoldersListIndex = 0; // the list shows its first entry again
    EXPECT_EQ(changed, expected);
}

TEST(RestoreSetup, CopyOfAClearedSetupKeepsItsZeroCount) {
    kestrel::Setup setup = everyFieldSet();
    ClearSetup(setup);
    RestoreCopy copy = TakeRestoreCopy(setup);

    kestrel::Setup restored = everyFieldSet();
    RestoreSetup(restored, copy);

    EXPECT_EQ(restored.intNumIncludedFolders, 0);
    EXPECT_EQ(restored.txbDirectory[0], "");
    EXPECT_EQ(restored.cboPercent, 4);
}

TEST(ModifiedSinceValue, ItemValuesAndNoRestrictionOutsideTheList) {
    const int expected[] = {-1, 2, 6, 13, 27};
    for (int index = 0; index < 5; ++index)
        EXPECT_EQ(ModifiedSinceValue(index), expected[index]) << index;
    EXPECT_EQ(ModifiedSinceValue(-1), -1);
    EXPECT_EQ(ModifiedSinceValue(5), -1);
}
