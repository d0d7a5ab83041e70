#include "GuiTestSupport.h"

#include "forms/FormsCommon.h"
#include "forms/prompts/frmView.h"
#include "forms/select/frmSelectSubfolders.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QSet>
#include <QTest>

namespace kestrel::testing {
namespace {

class KeyboardTest : public GuiTest {
protected:
    // The selection window over a source of three subfolders, read to the end and active.
    std::unique_ptr<forms::frmSelectSubfolders> OpenSelection() {
        for (const char* name : {"Alpha", "Beta", "Gamma"})
            tmp.createFile(std::string("source/") + name + "/f.txt", "x");
        auto window = std::make_unique<forms::frmSelectSubfolders>();
        window->strCaption = "Select subfolders of the source folder to be INCLUDED in the backup";
        window->strTopFolder = tmp.path("source");
        window->show();
        EXPECT_TRUE(WaitFor([&] { return !window->busy(); }));
        QApplication::setActiveWindow(window.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return window;
    }
};

TEST_F(KeyboardTest, EnterOnTheFocusedAcceptButtonAcceptsTheSelection) {
    auto window = OpenSelection();
    Find<QCheckBox>(window.get(), "chkSubfolder(1)")->click();
    auto* accept = Find<QPushButton>(window.get(), "cmdAccept");
    accept->setFocus();
    QTest::keyClick(accept, Qt::Key_Return);
    EXPECT_TRUE(window->blnFolderSelectionAccepted);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->SelectedNames(), std::vector<std::string>{"Beta"});
}

TEST_F(KeyboardTest, EnterOnARowPressesTheDefaultAcceptButton) {
    auto window = OpenSelection();
    auto* row = Find<QCheckBox>(window.get(), "chkSubfolder(0)");
    row->click();
    row->setFocus();
    QTest::keyClick(row, Qt::Key_Enter);
    EXPECT_TRUE(window->blnFolderSelectionAccepted);
    EXPECT_EQ(window->SelectedNames(), std::vector<std::string>{"Alpha"});
}

TEST_F(KeyboardTest, TabGoesDownTheRowsThenAlongTheButtons) {
    auto window = OpenSelection();
    const QStringList expected = {"chkSubfolder(0)",
                                  "chkSubfolder(1)",
                                  "chkSubfolder(2)",
                                  "cmdSelectDeselectAllSubfolders(1)",
                                  "cmdSelectDeselectAllSubfolders(0)",
                                  "cmdAccept",
                                  "cmdCancel"};
    Find<QCheckBox>(window.get(), "chkSubfolder(0)")->setFocus();
    QStringList visited = {QApplication::focusWidget()->objectName()};
    for (int i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(visited, expected);
}

TEST_F(KeyboardTest, EscapeClosesTheHelpViewer) {
    auto main = StartWindow();
    Find<QPushButton>(main.get(), "cmdHelp")->click();
    forms::frmView* viewer = main->viewer();
    ASSERT_TRUE(viewer->isVisible());
    QTest::keyClick(viewer, Qt::Key_Escape);
    EXPECT_FALSE(viewer->isVisible());
}

TEST_F(KeyboardTest, TheMainWindowsButtonsCarryDistinctAltShortcuts) {
    auto main = StartWindow();
    QSet<QChar> letters;
    for (QPushButton* button : main->findChildren<QPushButton*>()) {
        if (!button->isVisible() || forms::Caption(button) == QStringLiteral("Clear"))
            continue;
        SCOPED_TRACE(button->objectName().toStdString());
        const QString caption = button->text();
        const qsizetype mark = caption.indexOf(QLatin1Char('&'));
        ASSERT_GE(mark, 0) << caption.toStdString();
        const QChar letter = caption[mark + 1].toLower();
        EXPECT_FALSE(letters.contains(letter)) << caption.toStdString();
        letters.insert(letter);
    }
    EXPECT_GE(letters.size(), 10);
    // Alt and the Quit button's letter is the Quit button.
    auto* quit = Find<QPushButton>(main.get(), "cmdQuit");
    EXPECT_EQ(forms::Caption(quit), QStringLiteral("Quit"));
}

} // namespace
} // namespace kestrel::testing
