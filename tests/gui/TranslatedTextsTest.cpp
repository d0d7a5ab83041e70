#include "GuiTestSupport.h"

#include "forms/FormsCommon.h"
#include "forms/report/frmReport.h"
#include "modules/FileProc.h"
#include "support/TranslatedTexts.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace kestrel::testing {
namespace {

class TranslatedTextsGuiTest : public GuiTest {
protected:
    // The captions, labels and title of a window and of everything in it that show a text of
    // the program's own and not one from the text file; data the window shows (paths, names,
    // counts) is `data`.
    static std::string WordsNotTranslated(QWidget* window, const std::vector<std::string>& data) {
        std::string found = WordsNotFromTexts(window->windowTitle().toStdString(), data);
        for (QWidget* child : window->findChildren<QWidget*>()) {
            QString text;
            if (auto* button = qobject_cast<QAbstractButton*>(child))
                text = forms::PlainCaption(button->text());
            else if (auto* label = qobject_cast<QLabel*>(child))
                text = label->text();
            else if (auto* frame = qobject_cast<QGroupBox*>(child))
                text = frame->title();
            else if (child->isWindow())
                text = child->windowTitle();
            const std::string words = WordsNotFromTexts(text.toStdString(), data);
            if (!words.empty())
                found += child->objectName().toStdString() + ": " + words;
        }
        return found;
    }
};

// The window is built before the program texts are loaded, as at start-up: once they are,
// every caption is the text file's, the version number apart.
TEST_F(TranslatedTextsGuiTest, EveryCaptionOfTheWindowsComesFromTheTextFile) {
    // Names of digits only: every word shown is then the program's.
    tmp.createFile("3/1", "one");
    tmp.createFile("3/5/2", "two");
    kestrel::Setup setup = FolderSetup(tmp.path("3/"), tmp.createFolder("4"));
    setup.cboIncludedFolders = {"5"};
    setup.intNumIncludedFolders = 1;
    setup.txbReportFile = tmp.path("6");

    auto window = std::make_unique<forms::frmMain>();
    window->setEndProgram([this] { ++programEnds; });
    TranslatedTexts texts;
    // Where the last-run file lies is a program text too (310).
    WriteLastRun(setup);
    ASSERT_TRUE(window->Form_Load(QString()));
    // The folders and the mount point of their disk in the free-space label.
    const std::vector<std::string> data = {tmp.path(), DriveOfPath(tmp.path()), KESTREL_VERSION};
    EXPECT_EQ(WordsNotTranslated(window.get(), data), "");

    // An operation's report, its window and its buttons.
    ModalScript script;
    script.thenClick("cmdYes");
    Find<QPushButton>(window.get(), "cmdBackupModifiedFiles")->click();
    ASSERT_TRUE(WaitForOperation(*window));
    EXPECT_TRUE(script.done());
    for (const ModalScript::Seen& seen : script.unexpected())
        ADD_FAILURE() << seen.objectName.toStdString() << ": " << seen.title.toStdString() << ": "
                      << seen.text.toStdString();
    for (const ModalScript::Seen& seen : script.seen())
        EXPECT_EQ(WordsNotFromTexts(seen.title.toStdString() + "\n" + seen.text.toStdString(), data), "");
    forms::frmReport* report = window->reportWindow();
    EXPECT_EQ(WordsNotTranslated(report, data), "");
    const std::string shown = report->Text().toStdString();
    EXPECT_NE(shown.find(kTextOpen), std::string::npos) << shown;
    EXPECT_EQ(WordsNotFromTexts(shown, data), "") << shown;
    EXPECT_EQ(WordsNotFromTexts(tmp.readFile("6"), data), "");
}

} // namespace
} // namespace kestrel::testing
