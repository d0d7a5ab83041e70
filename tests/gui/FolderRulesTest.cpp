#include "GuiTestSupport.h"

#include "forms/FormsCommon.h"
#include "modules/Language.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <unistd.h>

namespace kestrel::testing {
namespace {

class FolderRulesTest : public GuiTest {};

// One choice in the folder browser with a source and a target already set.
struct FolderCase {
    const char* name;
    const char* source; // relative to the test folder; "" for none
    const char* target;
    int index;             // the button pressed
    const char* chosen;    // the folder chosen
    const char* title;     // of the refusal; nullptr when accepted
    const char* textStart; // of the refusal: a program text number's text, or the path
    int textNumber;        // program text ending the refusal
};

TEST_F(FolderRulesTest, SourceAndTargetRulesHoldFromBothSides) {
    const FolderCase cases[] = {
        {"target equal to source", "data/", "", 1, "data", "Target disk or folder", nullptr, 27},
        {"target containing the source", "data/docs/", "", 1, "data", "Target disk or folder", "data/", 28},
        {"target inside the source", "data/", "", 1, "data/backup", nullptr, nullptr, 0},
        {"source equal to target", "", "data/", 0, "data", "Source disk or folder", nullptr, 24},
        {"source inside the target", "", "data/", 0, "data/docs", "Source disk or folder", "data/docs/", 25},
        {"source containing the target", "", "data/backup/", 0, "data", nullptr, nullptr, 0},
        {"a name that merely begins alike", "data/Backup/", "", 1, "data/Back", nullptr, nullptr, 0},
        // The folders themselves are compared, not their names: a link is the folder it leads to.
        {"source that is the target through a link", "", "data/", 0, "link-to-data", "Source disk or folder",
         nullptr, 24},
        {"target that is the source through a link", "data/docs/", "", 1, "link-to-docs",
         "Target disk or folder", nullptr, 27},
        {"target containing the source through a link", "data/docs/", "", 1, "link-to-data",
         "Target disk or folder", "link-to-data/", 28},
    };
    for (const FolderCase& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* folder : {"data/docs", "data/backup", "data/Backup", "data/Back"})
            tmp.createFolder(folder);
        tmp.createFile("data/docs/a.txt", "a");
        ::symlink(tmp.path("data").c_str(), tmp.path("link-to-data").c_str());
        ::symlink(tmp.path("data/docs").c_str(), tmp.path("link-to-docs").c_str());
        WriteLastRun(FolderSetup(*c.source ? tmp.path(c.source) : "", *c.target ? tmp.path(c.target) : ""));
        auto window = StartWindow();
        const std::string before = window->setup().txbDirectory[static_cast<std::size_t>(c.index)];

        ModalScript script;
        if (c.title != nullptr) {
            script.thenMessage(QMessageBox::Ok);
        } else if (!window->setup().txbDirectory[c.index == 0 ? 1 : 0].empty()) {
            script.thenMessage(QMessageBox::No); // the offer of the other folder
        }
        dialogs.answerFolder(tmp.path(c.chosen));
        Find<QPushButton>(window.get(), QStringLiteral("cmdSpecifyDirectory(%1)").arg(c.index))->click();

        EXPECT_TRUE(script.done());
        EXPECT_TRUE(script.unexpected().empty());
        const std::string after = window->setup().txbDirectory[static_cast<std::size_t>(c.index)];
        if (c.title == nullptr) {
            EXPECT_EQ(after, tmp.path(std::string(c.chosen) + "/"));
            EXPECT_EQ(Find<QLineEdit>(window.get(), QStringLiteral("txbDirectory(%1)").arg(c.index))
                          ->text()
                          .toStdString(),
                      after);
        } else {
            EXPECT_EQ(after, before);
            ASSERT_FALSE(script.seen().empty());
            EXPECT_EQ(script.seen()[0].title.toStdString(), c.title);
            const std::string text = script.seen()[0].text.toStdString();
            const std::string expected = c.textStart != nullptr
                                             ? tmp.path(c.textStart) + "\n\n" + GetProgramText(c.textNumber)
                                             : GetProgramText(c.textNumber);
            EXPECT_EQ(text, expected);
        }
    }
}

TEST_F(FolderRulesTest, ATrashFolderIsRefusedForEachOfTheThreeFolders) {
    tmp.createFolder("data/Trash/files/old");
    const char* titles[] = {"Source disk or folder", "Target disk or folder", "Specify setups folder"};
    auto window = StartWindow();
    for (int index = 0; index < 3; ++index) {
        SCOPED_TRACE(index);
        ModalScript script;
        script.thenMessage(QMessageBox::Ok);
        dialogs.answerFolder(tmp.path("data/Trash/files/old"));
        auto* button = Find<QPushButton>(window.get(), QStringLiteral("cmdSpecifyDirectory(%1)").arg(index));
        button->show();
        button->setEnabled(true);
        button->click();
        ASSERT_EQ(script.seen().size(), 1u);
        EXPECT_EQ(script.seen()[0].title.toStdString(), titles[index]);
        EXPECT_EQ(script.seen()[0].text,
                  QStringLiteral("A recycle bin cannot be a backup source or target."));
    }
    EXPECT_EQ(window->setup().txbDirectory[0], "");
    EXPECT_EQ(window->setup().txbDirectory[1], "");
}

TEST_F(FolderRulesTest, ANewSourceEmptiesTheIncludedListAndOffersANewTarget) {
    const std::string source = tmp.createFolder("source");
    tmp.createFolder("source/docs/deep");
    tmp.createFolder("source/music");
    tmp.createFile("source/a.txt", "a");
    const std::string target = tmp.createFolder("target");
    kestrel::Setup setup = FolderSetup(source, target);
    setup.cboIncludedFolders = {"docs"};
    setup.intNumIncludedFolders = 1;
    setup.chkExcludeFilesInSourceFolder = 1;
    WriteLastRun(setup);
    auto window = StartWindow();
    auto* include = Find<QCheckBox>(window.get(), "chkIncludeSubfolders");
    EXPECT_TRUE(include->isVisible());
    EXPECT_EQ(include->text(), QStringLiteral("Include all subfolders of this subfolder"));

    // The same folder again, then Yes to the new target, whose browser is cancelled.
    ModalScript script;
    script.thenMessage(QMessageBox::Yes);
    dialogs.answerFolder(source);
    dialogs.answerFolder("");
    Find<QPushButton>(window.get(), "cmdSpecifyDirectory(0)")->click();

    ASSERT_EQ(script.seen().size(), 1u) << "the chained choice asks no more";
    EXPECT_EQ(script.seen()[0].text, QStringLiteral("Do you wish to specify a new target disk or folder"));
    EXPECT_EQ(script.seen()[0].title, QStringLiteral("Source disk or folder"));
    EXPECT_TRUE(dialogs.exhausted());
    EXPECT_TRUE(window->setup().cboIncludedFolders.empty());
    EXPECT_EQ(window->setup().chkExcludeFilesInSourceFolder, 0);
    EXPECT_EQ(window->setup().txbDirectory[1], target);
    EXPECT_FALSE(Find<QComboBox>(window.get(), "cboIncludedFolders")->isVisible());
    EXPECT_FALSE(include->isVisible());
    EXPECT_EQ(Find<QLabel>(window.get(), "lblNumSubfolders")->text(),
              QStringLiteral("There are 2 subfolders, none selected"));
    EXPECT_EQ(forms::Caption(Find<QPushButton>(window.get(), "cmdListSubFolders")).toStdString(),
              GetProgramText(21));
}

TEST_F(FolderRulesTest, RemovingTheLastIncludedSubfolderHidesTheList) {
    const std::string source = tmp.createFolder("source");
    tmp.createFolder("source/docs");
    tmp.createFolder("source/music");
    kestrel::Setup setup = FolderSetup(source, "");
    setup.cboIncludedFolders = {"docs", "music"};
    setup.intNumIncludedFolders = 2;
    WriteLastRun(setup);
    auto window = StartWindow();
    auto* list = Find<QComboBox>(window.get(), "cboIncludedFolders");
    auto* remove = Find<QPushButton>(window.get(), "cmdRemoveSubfolder");

    remove->click();
    EXPECT_EQ(window->setup().cboIncludedFolders, std::vector<std::string>{"music"});
    EXPECT_EQ(list->currentText(), QStringLiteral("music"));
    EXPECT_EQ(Find<QLabel>(window.get(), "lblNumSubfolders")->text(),
              QStringLiteral("There are 2 subfolders, 1 selected"));

    remove->click();
    EXPECT_TRUE(window->setup().cboIncludedFolders.empty());
    EXPECT_EQ(window->setup().intNumIncludedFolders, 0);
    EXPECT_FALSE(list->isVisible());
    EXPECT_FALSE(remove->isVisible());
    // A source folder without files of its own has nothing to exclude.
    EXPECT_FALSE(Find<QCheckBox>(window.get(), "chkExcludeFilesInSourceFolder")->isEnabled());
}

TEST_F(FolderRulesTest, TheTargetDisplayFollowsTheTargetsContent) {
    const std::string source = tmp.createFolder("source");
    tmp.createFile("source/a.txt", "a");
    const std::string target = tmp.createFolder("target");
    tmp.createFile("target/old.txt", "old");
    WriteLastRun(FolderSetup(source, target));
    auto window = StartWindow();
    auto* empty = Find<QPushButton>(window.get(), "cmdEmptyTargetFolder");
    EXPECT_TRUE(empty->isVisible());
    EXPECT_FALSE(Find<QLabel>(window.get(), "lblTargetFolderIsEmpty")->isVisible());

    ModalScript script;
    script.thenMessage(QMessageBox::Ok);
    empty->click();
    ASSERT_EQ(script.seen().size(), 1u);
    EXPECT_EQ(script.seen()[0].title, QStringLiteral("Target folder is not empty"));
    EXPECT_EQ(script.seen()[0].text,
              QStringLiteral("To empty the target folder click on the 'Delete/wipe target files' button."));

    Find<QPushButton>(window.get(), "cmdClearFolder(1)")->click();
    EXPECT_EQ(window->setup().txbDirectory[1], "");
    EXPECT_FALSE(empty->isVisible());
    EXPECT_FALSE(Find<QLabel>(window.get(), "lblFreeSpace")->isVisible());
}

TEST_F(FolderRulesTest, AFolderPathLongerThanSeventyCharactersIsAlsoItsBoxsToolTip) {
    auto window = StartWindow();
    auto* box = Find<QLineEdit>(window.get(), "txbDirectory(0)");
    for (std::size_t length : {70u, 71u}) {
        SCOPED_TRACE(length);
        const std::string base = tmp.path("");
        ASSERT_LT(base.size() + 2, length);
        // The stored path ends in "/": the name fills the rest.
        const std::string path = tmp.createFolder(std::string(length - base.size() - 1, 'a' + length % 26));
        ASSERT_EQ(path.size(), length);
        dialogs.answerFolder(path);
        Find<QPushButton>(window.get(), "cmdSpecifyDirectory(0)")->click();
        EXPECT_EQ(box->text().toStdString(), path);
        EXPECT_EQ(box->toolTip().isEmpty(), length == 70);
    }
}

TEST_F(FolderRulesTest, AVanishedTargetIsOfferedToBeCleared) {
    const std::string target = tmp.createFolder("target");
    WriteLastRun(FolderSetup("", target));
    auto window = StartWindow();
    ASSERT_EQ(window->setup().txbDirectory[1], target);
    ::rmdir(target.c_str());

    for (auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        ModalScript script;
        script.thenMessage(answer);
        window->RefreshTargetFolderDisplay(true);
        ASSERT_EQ(script.seen().size(), 1u);
        EXPECT_EQ(script.seen()[0].title.toStdString(), GetProgramText(59));
        const std::string text = script.seen()[0].text.toStdString();
        EXPECT_EQ(text.rfind(GetProgramText(79) + " " + target + "\n", 0), 0u) << text;
        EXPECT_NE(text.find("\n\n" + GetProgramText(82)), std::string::npos) << text;
        EXPECT_EQ(window->setup().txbDirectory[1], answer == QMessageBox::Yes ? "" : target);
    }
    EXPECT_FALSE(Find<QPushButton>(window.get(), "cmdClearFolder(1)")->isVisible());
}

TEST_F(FolderRulesTest, AClickInAFolderBoxTellsHowToSpecifyTheFolder) {
    auto window = StartWindow();
    const char* expected[] = {"Specify a source folder by clicking on the 'Source folder' button.",
                              "Specify a target folder by clicking on the 'Target folder' button."};
    for (int index = 0; index < 2; ++index) {
        ModalScript script;
        script.thenMessage(QMessageBox::Ok);
        window->txbDirectory_MouseUp(index);
        ASSERT_EQ(script.seen().size(), 1u);
        EXPECT_EQ(script.seen()[0].title, QStringLiteral("How to specify a folder"));
        EXPECT_EQ(script.seen()[0].text.toStdString(), expected[index]);
    }
}

} // namespace
} // namespace kestrel::testing
