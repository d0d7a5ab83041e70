#include "GuiTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

namespace kestrel::testing {
namespace {

class FiltersTest : public GuiTest {};

// The extension box as the user leaves it for another control.
TEST_F(FiltersTest, TheExtensionIsNormalisedWhenItsBoxLosesTheFocus) {
    struct Case {
        const char* typed;
        const char* kept;
        bool message;
    };
    const Case cases[] = {
        {".JPG", "jpg", false},       {"mp3", "mp3", false}, {"d?c*", "d?c*", false}, {"**", "", true},
        {"abcdefg", "abcdefg", true}, {"x", "x", true},      {"Ü.Ö", "üö", false},    {".7Z", "7z", false},
    };
    auto window = StartWindow();
    auto* box = Find<QLineEdit>(window.get(), "txbFileExtension");
    auto* other = Find<QLineEdit>(window.get(), "txbExcludedFilepaths");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        // Back from the last message box before the box takes the focus.
        window->activateWindow();
        ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == window.get(); }, 5000));
        box->setFocus();
        box->selectAll();
        box->insert(QString::fromUtf8(c.typed));
        ModalScript script;
        if (c.message)
            script.thenMessage(QMessageBox::Ok);
        other->setFocus();
        ASSERT_TRUE(WaitFor([&] { return script.done() && box->text() == QString::fromUtf8(c.kept); }, 5000))
            << box->text().toStdString();
        QCoreApplication::processEvents();
        EXPECT_EQ(window->setup().txbFileExtension, c.kept);
        EXPECT_TRUE(script.unexpected().empty());
        if (c.message) {
            ASSERT_EQ(script.seen().size(), 1u);
            EXPECT_EQ(script.seen()[0].title, QStringLiteral("File extension"));
            EXPECT_EQ(script.seen()[0].text,
                      QStringLiteral("A file extension must consist of from 2 to 5 letters\n"
                                     "(optionally with wildcards '*' and '?')"));
        }
    }
}

TEST_F(FiltersTest, SuppressingDetailedReportsHoldsThePauseBoxesAndGivesThemBack) {
    auto window = StartWindow();
    auto* suppress = Find<QCheckBox>(window.get(), "chkSuppressDetailedReports");
    auto* copy = Find<QCheckBox>(window.get(), "chkPauseAfterFirstCopy");
    auto* remove = Find<QCheckBox>(window.get(), "chkPauseAfterFirstDelete");
    copy->setChecked(true);

    suppress->click();
    EXPECT_FALSE(copy->isChecked());
    EXPECT_FALSE(remove->isChecked());
    EXPECT_FALSE(copy->isEnabled());
    EXPECT_FALSE(remove->isEnabled());
    EXPECT_EQ(window->setup().chkPauseAfterFirstCopy, 0);

    suppress->click();
    EXPECT_TRUE(copy->isChecked());
    EXPECT_FALSE(remove->isChecked());
    EXPECT_TRUE(copy->isEnabled());
    EXPECT_TRUE(remove->isEnabled());
    EXPECT_EQ(window->setup().chkPauseAfterFirstCopy, 1);
}

TEST_F(FiltersTest, TheReportFileBoxGetsItsPathAsToolTipFrom61Characters) {
    auto window = StartWindow();
    auto* box = Find<QLineEdit>(window.get(), "txbReportFile");
    const std::string folder = tmp.path("");
    for (std::size_t length : {60u, 61u}) {
        SCOPED_TRACE(length);
        ASSERT_LT(folder.size() + 4, length);
        const std::string path = folder + std::string(length - folder.size() - 4, 'r') + ".txt";
        dialogs.answerFile(path);
        window->Clock2_Timer();
        Find<QPushButton>(window.get(), "cmdReportFile")->click();
        window->Clock_Timer();
        EXPECT_EQ(box->text().toStdString(), path);
        EXPECT_EQ(box->toolTip().isEmpty(), length == 60);
    }
}

TEST_F(FiltersTest, EmptyingTheReportFileUnticksAndDisablesItsDisableBox) {
    auto window = StartWindow();
    dialogs.answerFile(tmp.path("report.txt"));
    Find<QPushButton>(window.get(), "cmdReportFile")->click();
    auto* disable = Find<QCheckBox>(window.get(), "chkDisableOutputToFile");
    window->Clock_Timer();
    EXPECT_TRUE(disable->isEnabled());
    disable->setChecked(true);

    Find<QPushButton>(window.get(), "cmdClearFolder(4)")->click();
    window->Clock_Timer();
    EXPECT_FALSE(disable->isChecked());
    EXPECT_FALSE(disable->isEnabled());
    EXPECT_EQ(window->setup().txbReportFile, "");
    EXPECT_FALSE(Find<QLineEdit>(window.get(), "txbReportFile")->isVisible());
}

TEST_F(FiltersTest, AButtonReleasedJustAfterAFileDialogClosedDoesNothing) {
    auto window = StartWindow();
    dialogs.answerFile(tmp.path("report.txt"));
    Find<QPushButton>(window.get(), "cmdReportFile")->click();
    ASSERT_TRUE(window->blnDialogJustClosed());

    // The release that ends a double click in the dialog lands on Quit.
    Find<QPushButton>(window.get(), "cmdQuit")->click();
    EXPECT_EQ(programEnds, 0);

    ASSERT_TRUE(WaitFor([&] { return !window->blnDialogJustClosed(); }, 3000));
    Find<QPushButton>(window.get(), "cmdQuit")->click();
    EXPECT_EQ(programEnds, 1);
}

} // namespace
} // namespace kestrel::testing
