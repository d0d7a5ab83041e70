#include "GuiTestSupport.h"

#include "forms/main/CreateTargetSubfolder.h"
#include "modules/Language.h"

#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kestrel::testing {
namespace {

class CreateTargetSubfolderTest : public GuiTest {
protected:
    CreateTargetSubfolderTest() {
        target = tmp.createFolder("Backups");
        host.caption = "Create subfolder";
        host.sourceFolder = tmp.createFolder("Work/Letters");
        host.targetFolder = target;
        host.CheckTargetAgainstSource = [this](const std::string& folder) {
            checked.push_back(folder);
            return targetAllowed;
        };
        host.SetTargetFolder = [this](const std::string& folder) { targets.push_back(folder); };
        host.ForgetSelectedSetupFile = [this] { ++forgotten; };
    }

    // The input box answered with `typed` (nullptr: cancelled), after checking what it proposed.
    void AnswerInputBox(const char* typed, const std::string& proposed) {
        script.then([this, typed, proposed](QWidget* modal) {
            auto* box = qobject_cast<QInputDialog*>(modal);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->windowTitle(), QStringLiteral("Create subfolder"));
            EXPECT_EQ(box->labelText().toStdString(), "Type a name for the new folder in " + target);
            EXPECT_EQ(box->textValue().toStdString(), proposed);
            if (typed == nullptr) {
                box->reject();
                return;
            }
            box->setTextValue(QString::fromUtf8(typed));
            box->accept();
        });
    }
    void Run() {
        forms::CreateTargetSubfolder(host);
        EXPECT_TRUE(script.done());
        EXPECT_TRUE(script.unexpected().empty());
    }
    std::string Text(std::size_t i) const {
        return i < script.seen().size() ? script.seen()[i].text.toStdString() : std::string();
    }

    std::string target;
    forms::CreateTargetSubfolderHost host;
    ModalScript script;
    bool targetAllowed = true;
    std::vector<std::string> checked;
    std::vector<std::string> targets;
    int forgotten = 0;
};

TEST_F(CreateTargetSubfolderTest, ProposesTheSourceFoldersNameAndSwitchesTheTargetToTheNewFolder) {
    AnswerInputBox("Letters", "Letters");
    script.thenMessage(QMessageBox::Ok);
    script.thenMessage(QMessageBox::Yes);
    Run();

    EXPECT_TRUE(tmp.exists("Backups/Letters"));
    ASSERT_EQ(script.seen().size(), 3u);
    EXPECT_EQ(Text(1), target + "Letters has been created.");
    EXPECT_EQ(script.seen()[1].title, QStringLiteral("Create subfolder"));
    EXPECT_EQ(Text(2), "Do you wish to make " + target + "Letters the target folder?");
    EXPECT_EQ(checked, std::vector<std::string>{target + "Letters/"});
    EXPECT_EQ(targets, std::vector<std::string>{target + "Letters/"});
    EXPECT_EQ(forgotten, 1);
}

TEST_F(CreateTargetSubfolderTest, TheTypedNameLosesItsSeparatorsAndAnExistingFolderIsStillOffered) {
    struct Case {
        const char* typed;
        const char* folder;
        bool existsBefore;
    };
    const Case cases[] = {{"a/b", "ab", false}, {"/Old/", "Old", true}, {"Mixed Case", "Mixed Case", false}};
    tmp.createFolder("Backups/Old");
    for (const Case& c : cases) {
        AnswerInputBox(c.typed, "Letters");
        script.thenMessage(QMessageBox::Ok);
        script.thenMessage(QMessageBox::No);
        const std::size_t before = script.seen().size();
        Run();
        EXPECT_TRUE(tmp.exists(std::string("Backups/") + c.folder)) << c.typed;
        EXPECT_EQ(Text(before + 1),
                  target + c.folder + (c.existsBefore ? " already exists." : " has been created."));
    }
    EXPECT_TRUE(targets.empty());
    EXPECT_EQ(forgotten, 0);
}

TEST_F(CreateTargetSubfolderTest, AFileInTheWayIsExplained) {
    tmp.createFile("Backups/Notes", "a file");
    AnswerInputBox("Notes", "Letters");
    script.thenMessage(QMessageBox::Ok);
    Run();
    ASSERT_EQ(script.seen().size(), 2u);
    EXPECT_EQ(Text(1), "Cannot create the folder " + target + "Notes\nA file named notes already exists in " +
                           target + ".");
    EXPECT_TRUE(targets.empty());
}

TEST_F(CreateTargetSubfolderTest, NothingHappensForACancelAnEmptyNameOrADotName) {
    for (const char* typed : {static_cast<const char*>(nullptr), "", "/", "..", "."}) {
        AnswerInputBox(typed, "Letters");
        Run();
    }
    EXPECT_EQ(script.seen().size(), 5u);
    EXPECT_TRUE(targets.empty());
    EXPECT_EQ(forgotten, 0);
}

TEST_F(CreateTargetSubfolderTest, WithoutASourceFolderOrWithTheWholeDiskTheBoxOpensEmpty) {
    for (const char* source : {"", "/"}) {
        host.sourceFolder = source;
        AnswerInputBox(nullptr, "");
        Run();
    }
}

TEST_F(CreateTargetSubfolderTest, ARefusedTargetIsNotTaken) {
    targetAllowed = false;
    AnswerInputBox("Letters", "Letters");
    script.thenMessage(QMessageBox::Ok);
    script.thenMessage(QMessageBox::Yes);
    Run();
    EXPECT_EQ(checked.size(), 1u);
    EXPECT_TRUE(targets.empty());
    EXPECT_EQ(forgotten, 0);
}

TEST_F(CreateTargetSubfolderTest, WithoutATargetFolderItAsksForOneFirst) {
    host.targetFolder.clear();
    script.thenMessage(QMessageBox::Ok);
    Run();
    ASSERT_EQ(script.seen().size(), 1u);
    EXPECT_EQ(Text(0), "A target folder must first be specified.");
    EXPECT_EQ(script.seen()[0].title, QStringLiteral("Create subfolder"));
}

TEST_F(CreateTargetSubfolderTest, AVanishedTargetCanBeCleared) {
    host.targetFolder = tmp.path("Gone/");
    for (auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        script.thenMessage(answer);
        Run();
    }
    ASSERT_EQ(script.seen().size(), 2u);
    EXPECT_EQ(Text(0), GetProgramText(43) + "\n\n" + GetProgramText(82));
    EXPECT_EQ(targets, std::vector<std::string>{""});
    EXPECT_EQ(forgotten, 2);
    EXPECT_FALSE(tmp.exists("Gone"));
}

TEST_F(CreateTargetSubfolderTest, TheMainWindowsButtonProposesTheSourceNameAndSwitchesTheTarget) {
    tmp.createFile("Work/Letters/a.txt", "a");
    WriteLastRun(FolderSetup(host.sourceFolder, target));
    auto window = StartWindow();
    AnswerInputBox("Letters", "Letters");
    script.thenMessage(QMessageBox::Ok);
    script.thenMessage(QMessageBox::Yes);
    Find<QPushButton>(window.get(), "cmdCreateSubFolder")->click();

    EXPECT_TRUE(script.done());
    EXPECT_TRUE(script.unexpected().empty());
    EXPECT_TRUE(tmp.exists("Backups/Letters"));
    EXPECT_EQ(window->setup().txbDirectory[1], target + "Letters/");
    EXPECT_EQ(Find<QLineEdit>(window.get(), "txbDirectory(1)")->text().toStdString(), target + "Letters/");
    EXPECT_EQ(Find<QLabel>(window.get(), "lblTargetFolderIsEmpty")->text(),
              QStringLiteral("The target folder is empty."));
}

TEST_F(CreateTargetSubfolderTest, TheMainWindowRefusesTheSourceFolderAsTheNewTarget) {
    // A last run's setup may hold a source inside its target.
    const std::string source = tmp.createFolder("Backups/Letters");
    tmp.createFile("Backups/Letters/a.txt", "a");
    WriteLastRun(FolderSetup(source, target));
    auto window = StartWindow();
    AnswerInputBox("Letters", "Letters");
    script.thenMessage(QMessageBox::Ok);
    script.thenMessage(QMessageBox::Yes);
    script.thenMessage(QMessageBox::Ok);
    Find<QPushButton>(window.get(), "cmdCreateSubFolder")->click();
    EXPECT_TRUE(script.done());
    ASSERT_EQ(script.seen().size(), 4u);
    EXPECT_EQ(Text(1), source.substr(0, source.size() - 1) + " already exists.");
    EXPECT_EQ(Text(3), GetProgramText(27));
    EXPECT_EQ(window->setup().txbDirectory[1], target);
}

} // namespace
} // namespace kestrel::testing
