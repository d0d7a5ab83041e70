#include "GuiTestSupport.h"

#include "forms/FormsCommon.h"
#include "forms/select/SubfolderRows.h"
#include "forms/select/frmSelectSubfolders.h"
#include "support/Unprivileged.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

#include <sys/stat.h>

namespace kestrel::testing {
namespace {

using forms::frmSelectSubfolders;

class SelectSubfoldersTest : public GuiTest {
protected:
    // A subfolder of the source holding `files` small files.
    void Subfolder(const std::string& name, int files = 1) {
        tmp.createFolder("source/" + name);
        for (int i = 0; i < files; ++i)
            tmp.createFile("source/" + name + "/f" + std::to_string(i) + ".txt", "x");
    }

    // The window over the source, shown and read to the end.
    std::unique_ptr<frmSelectSubfolders> Open(const std::string& previous = "",
                                              const std::string& target = "") {
        auto window = std::make_unique<frmSelectSubfolders>();
        window->strCaption = "Select subfolders of the source folder to be INCLUDED in the backup";
        window->strTopFolder = tmp.path("source");
        window->strFoldersPassedToSelectFoldersForm = previous;
        window->strTargetFolder = target;
        window->show();
        EXPECT_TRUE(WaitFor([&] { return !window->busy(); }));
        return window;
    }

    static QCheckBox* Row(QWidget* window, int k) {
        return Find<QCheckBox>(window, forms::ControlName("chkSubfolder", k));
    }
    static std::string Summary(QWidget* window) {
        return Find<QLabel>(window, "lblNumSubfolders")->text().toStdString();
    }
    static void Click(QWidget* window, const char* name) {
        Find<QPushButton>(window, QLatin1String(name))->click();
    }
    // A modal selection window is answered once its reading ended.
    static bool ReadingEnded(QWidget* window) {
        auto* selection = qobject_cast<frmSelectSubfolders*>(window);
        return selection == nullptr || !selection->busy();
    }
};

TEST_F(SelectSubfoldersTest, RowTextsTellTheCountsAndTheSize) {
    struct Case {
        forms::SubfolderCounts counts;
        std::string expected;
    };
    const auto counts = [](std::string name, int files, int subfolders, bool sized, double size, bool over) {
        forms::SubfolderCounts c;
        c.name = std::move(name);
        c.files = files;
        c.subfolders = subfolders;
        c.sizeCounted = sized;
        c.size = size;
        c.over = over;
        return c;
    };
    forms::SubfolderCounts denied;
    denied.name = "Private";
    denied.permissionDenied = true;
    denied.errorDescription = "Permission denied";
    const Case cases[] = {
        {counts("Letters", 12, 1, true, 1310720, false), "Letters {12 files and 1 subfolder, 1.25 Mb}"},
        {counts("Empty", 0, 0, false, 0, false), "Empty {no files and no subfolders}"},
        {counts("Photos", 1204, 9, true, 325268685, true),
         "Photos {1,204 files and 9 subfolders, over 310.20 Mb}"},
        {counts("Notes", 1, 0, true, 512, false), "Notes {1 file and no subfolders, 512 bytes}"},
        {counts("Docs", 3, 2, false, 0, false), "Docs {3 files and 2 subfolders}"},
        {counts("Shell", 0, 1, true, 0, false), "Shell {no files and 1 subfolder, 0 bytes}"},
        {denied, "Private {Permission denied}"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(forms::RowText(c.counts), c.expected);
}

TEST_F(SelectSubfoldersTest, ASubfolderIsCountedWholeAndItsTreeStopsAtTwoHundredFiles) {
    for (int i = 0; i < 10; ++i)
        tmp.createFile("source/Letters/l" + std::to_string(i) + ".doc", std::string(131072, 'a'));
    tmp.createFile("source/Letters/empty1.txt");
    tmp.createFile("source/Letters/empty2.txt");
    tmp.createFolder("source/Letters/Old");
    tmp.createFile("source/Big/top.txt", "t");
    for (int i = 0; i < 250; ++i)
        tmp.createFile("source/Big/deep/d" + std::to_string(i) + ".txt", "d");
    tmp.createFolder("source/Empty");

    const std::string source = tmp.path("source/");
    const forms::SubfolderCounts letters = forms::ReadSubfolder(source, "Letters", true);
    EXPECT_EQ(forms::RowText(letters), "Letters {12 files and 1 subfolder, 1.25 Mb}");
    EXPECT_FALSE(letters.isEmpty);
    const forms::SubfolderCounts big = forms::ReadSubfolder(source, "Big", true);
    EXPECT_EQ(forms::RowText(big), "Big {1 file and 1 subfolder, over 200 bytes}");
    const forms::SubfolderCounts empty = forms::ReadSubfolder(source, "Empty", true);
    EXPECT_EQ(forms::RowText(empty), "Empty {no files and no subfolders}");
    EXPECT_TRUE(empty.isEmpty);
    EXPECT_EQ(forms::RowText(forms::ReadSubfolder(source, "Letters", false)),
              "Letters {12 files and 1 subfolder}");
}

// The window's rows are read on a worker of this process, which must stay as it is for Qt; the
// reading of a subfolder its user may not open runs as an unprivileged user in a child.
TEST_F(SelectSubfoldersTest, ASubfolderThatCannotBeOpenedReadsPermissionDenied) {
    Subfolder("Private");
    Subfolder("Open");
    RunAsUnprivileged({tmp.path()}, [&] {
        ASSERT_EQ(::chmod(tmp.path("source/Private").c_str(), 0), 0);
        const forms::SubfolderCounts denied = forms::ReadSubfolder(tmp.path("source/"), "Private", true);
        EXPECT_TRUE(denied.permissionDenied);
        EXPECT_EQ(forms::RowText(denied), "Private {Permission denied}");
        EXPECT_EQ(forms::RowText(forms::ReadSubfolder(tmp.path("source/"), "Open", true)),
                  "Open {1 file and no subfolders, 1 bytes}");
        ::chmod(tmp.path("source/Private").c_str(), 0755);
    });
}

TEST_F(SelectSubfoldersTest, AcceptHandsBackTheTickedRowsWithThePreviousSelectionRestoredInAnyCase) {
    for (const char* name : {"Gamma", "beta", "Alpha", "Epsilon", "Delta"})
        Subfolder(name);
    auto window = Open("ALPHA\r\n  delta \r\n\r\nmissing\r\n");

    ASSERT_EQ(window->rowCount(), 5);
    const std::vector<std::string> sorted = {"Alpha", "beta", "Delta", "Epsilon", "Gamma"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(window->rowText(i), sorted[i] + " {1 file and no subfolders, 1 bytes}");
        EXPECT_EQ(Row(window.get(), i)->text().toStdString(), window->rowText(i));
    }
    EXPECT_TRUE(Row(window.get(), 0)->isChecked());
    EXPECT_FALSE(Row(window.get(), 1)->isChecked());
    EXPECT_TRUE(Row(window.get(), 2)->isChecked());
    EXPECT_EQ(Summary(window.get()), "2 selected (of 5).\nA total of 2 bytes.");
    EXPECT_FALSE(Find<QScrollBar>(window.get(), "vsbScrollBar")->isVisible());

    Row(window.get(), 4)->click();
    EXPECT_EQ(Summary(window.get()), "3 selected (of 5).\nA total of 3 bytes.");
    Click(window.get(), "cmdAccept");

    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(window->blnFolderSelectionAccepted);
    EXPECT_EQ(window->strFoldersReturnedFromSelectFoldersForm, "Alpha\r\nDelta\r\nGamma\r\n");
    EXPECT_EQ(window->SelectedNames(), (std::vector<std::string>{"Alpha", "Delta", "Gamma"}));
}

TEST_F(SelectSubfoldersTest, SelectAllLeavesOutTheEmptySubfolder) {
    for (int i = 0; i < 9; ++i)
        Subfolder("Folder" + std::to_string(i));
    tmp.createFolder("source/Nothing");
    auto window = Open();
    ASSERT_EQ(window->rowCount(), 10);
    EXPECT_EQ(Summary(window.get()), "No subfolders selected.");

    Click(window.get(), "cmdSelectDeselectAllSubfolders(1)");
    EXPECT_EQ(Summary(window.get()), "9 selected (of 10).\nA total of 9 bytes.");
    for (int i = 0; i < 9; ++i)
        EXPECT_TRUE(Row(window.get(), i)->isChecked()) << i;
    EXPECT_FALSE(Row(window.get(), 9)->isChecked());
    EXPECT_EQ(window->rowText(9), "Nothing {no files and no subfolders}");

    Click(window.get(), "cmdSelectDeselectAllSubfolders(0)");
    EXPECT_EQ(Summary(window.get()), "No subfolders selected.");
    EXPECT_FALSE(Row(window.get(), 0)->isChecked());
}

TEST_F(SelectSubfoldersTest, TwelveSubfoldersShowElevenRowsAndAScrollBar) {
    for (int i = 10; i < 22; ++i)
        Subfolder("Sub" + std::to_string(i));
    auto window = Open();
    ASSERT_EQ(window->rowCount(), 12);
    EXPECT_EQ(window->visibleRowCount(), 11);
    EXPECT_EQ(window->findChild<QCheckBox*>(forms::ControlName("chkSubfolder", 11)), nullptr);
    auto* scrollBar = Find<QScrollBar>(window.get(), "vsbScrollBar");
    ASSERT_TRUE(scrollBar->isVisible());
    EXPECT_EQ(scrollBar->minimum(), 0);
    EXPECT_EQ(scrollBar->maximum(), 1);
    EXPECT_EQ(scrollBar->pageStep(), 11);
    EXPECT_EQ(scrollBar->height(), Find<QWidget>(window.get(), "picSubfolders")->height());

    Row(window.get(), 0)->click();
    scrollBar->setValue(1);
    EXPECT_EQ(Row(window.get(), 10)->text().toStdString(), window->rowText(11));
    EXPECT_FALSE(Row(window.get(), 0)->isChecked()); // now the second row
    Row(window.get(), 10)->click();
    EXPECT_TRUE(window->rowTicked(11));
    EXPECT_EQ(Summary(window.get()), "2 selected (of 12).\nA total of 2 bytes.");
    scrollBar->setValue(0);
    EXPECT_TRUE(Row(window.get(), 0)->isChecked());
    Click(window.get(), "cmdSelectDeselectAllSubfolders(1)");
    EXPECT_EQ(Summary(window.get()).substr(0, Summary(window.get()).find('\n')),
              "All 12 subfolders selected.");
}

TEST_F(SelectSubfoldersTest, TheTargetFolderAndAnEmptySubfolderCannotBeTicked) {
    Subfolder("Backup");
    Subfolder("Work");
    tmp.createFolder("source/Void");
    // The target named in other letters is still the target.
    auto window = Open("backup\r\nvoid\r\n", tmp.path("source/BACKUP/"));
    ASSERT_EQ(window->rowCount(), 3);
    EXPECT_EQ(window->rowText(1), "Void {no files and no subfolders}");
    EXPECT_FALSE(window->rowTicked(0));
    EXPECT_FALSE(window->rowTicked(1));
    Row(window.get(), 0)->click();
    Row(window.get(), 1)->click();
    EXPECT_FALSE(Row(window.get(), 0)->isChecked());
    EXPECT_FALSE(Row(window.get(), 1)->isChecked());
    EXPECT_EQ(Summary(window.get()), "No subfolders selected.");
    Click(window.get(), "cmdSelectDeselectAllSubfolders(1)");
    EXPECT_EQ(Summary(window.get()), "One subfolder selected.\nA total of 1 bytes.");
    EXPECT_TRUE(Row(window.get(), 2)->isChecked());
}

TEST_F(SelectSubfoldersTest, ATreeOverTheLimitMakesTheTotalReadOver) {
    for (int i = 0; i < 201; ++i)
        tmp.createFile("source/Many/inner/m" + std::to_string(i) + ".txt", "m");
    Subfolder("Cover");
    auto window = Open();
    ASSERT_EQ(window->rowCount(), 2);
    // A folder whose name holds "over" is no reason for the total to read over.
    Row(window.get(), 0)->click();
    EXPECT_EQ(Summary(window.get()), "One subfolder selected.\nA total of 1 bytes.");
    Row(window.get(), 1)->click();
    EXPECT_EQ(window->rowText(1), "Many {no files and 1 subfolder, over 200 bytes}");
    EXPECT_EQ(Summary(window.get()), "All 2 subfolders selected.\nA total of over 201 bytes.");
}

TEST_F(SelectSubfoldersTest, ALongNameIsShownShortenedAndHandedBackWhole) {
    const std::string name(100, 'n');
    Subfolder(name);
    auto window = Open();
    const std::string shown = Row(window.get(), 0)->text().toStdString();
    const std::string braces = "{1 file and no subfolders, 1 bytes}";
    EXPECT_EQ(shown, std::string(84 - braces.size(), 'n') + " ... " + braces);
    EXPECT_EQ(forms::ShortenRowText("short {1 file and no subfolders}"), "short {1 file and no subfolders}");
    Row(window.get(), 0)->click();
    Click(window.get(), "cmdAccept");
    EXPECT_EQ(window->SelectedNames(), std::vector<std::string>{name});
}

TEST_F(SelectSubfoldersTest, ASourceWithoutSubfoldersKeepsReadingUntilCancel) {
    tmp.createFile("source/only.txt", "x");
    frmSelectSubfolders window;
    window.strTopFolder = tmp.path("source/");
    window.show();
    // The count of subfolders found none: the window shows its reading and stays so.
    ASSERT_TRUE(WaitFor([&] {
        return Find<QLabel>(&window, "picSubfolders")->text() == QStringLiteral("Reading disk . . .");
    }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.busy());
    Click(&window, "cmdAccept");
    EXPECT_TRUE(window.isVisible());
    Click(&window, "cmdCancel");
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.blnFolderSelectionAccepted);
}

TEST_F(SelectSubfoldersTest, AnUnreadableSourceIsReportedAndTheWindowCloses) {
    ModalScript script;
    script.thenMessage(QMessageBox::Ok);
    frmSelectSubfolders window;
    script.ignore(&window);
    window.strTopFolder = tmp.path("gone/");
    window.show();
    ASSERT_TRUE(WaitFor([&] { return script.done() && !window.isVisible(); }));
    ASSERT_EQ(script.seen().size(), 1u);
    EXPECT_EQ(script.seen()[0].title, QStringLiteral("Select subfolders"));
    EXPECT_EQ(script.seen()[0].text, QStringLiteral("Path not found"));
    EXPECT_FALSE(window.blnFolderSelectionAccepted);
}

TEST_F(SelectSubfoldersTest, TheCloseBoxAsksForAcceptOrCancelAndCancels) {
    Subfolder("One");
    auto window = Open("One\r\n");
    ModalScript script;
    script.ignore(window.get());
    script.thenMessage(QMessageBox::Ok);
    window->close();
    EXPECT_TRUE(script.done());
    ASSERT_EQ(script.seen().size(), 1u);
    EXPECT_EQ(script.seen()[0].title, QStringLiteral("Select Folders"));
    EXPECT_EQ(script.seen()[0].text,
              QStringLiteral("Please exit this window only by clicking on 'Accept' or 'Cancel'."));
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->blnFolderSelectionAccepted);
    EXPECT_TRUE(window->strFoldersReturnedFromSelectFoldersForm.empty());
}

TEST_F(SelectSubfoldersTest, CancelStopsAReadingUnderWay) {
    for (int i = 0; i < 3; ++i)
        Subfolder("s" + std::to_string(i));
    auto window = std::make_unique<frmSelectSubfolders>();
    // Declared after the window so it opens before the window waits for its reading.
    SubfolderReadingHold hold(1);
    window->strTopFolder = tmp.path("source/");
    window->show();
    // The first subfolder is read and shown; the reading waits before the second.
    ASSERT_TRUE(WaitFor([&] { return hold.gate->arrivals() == 1 && window->rowCount() == 1; }, 60000));
    EXPECT_TRUE(window->busy());
    EXPECT_EQ(Find<QLabel>(window.get(), "picSubfolders")->text(), QStringLiteral("Reading disk . . . ."));
    Click(window.get(), "cmdCancel");
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->blnFolderSelectionAccepted);

    hold.gate->open();
    window.reset(); // waits for the reading, which stops before its next subfolder
    EXPECT_EQ(hold.gate->arrivals(), 1);
}

TEST_F(SelectSubfoldersTest, TheModalWindowIsAnsweredThroughTheMainWindowsEntry) {
    for (const char* name : {"A", "B", "C"})
        Subfolder(name);
    ModalScript script;
    script.thenWhen(ReadingEnded, [](QWidget* modal) {
        auto* window = qobject_cast<frmSelectSubfolders*>(modal);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->windowTitle(),
                  QStringLiteral("Select subfolders of the source folder to be INCLUDED in the backup"));
        EXPECT_TRUE(window->rowTicked(1));
        Row(window, 2)->click();
        Click(window, "cmdAccept");
    });
    forms::IncludedSubfolderChoice choice;
    choice.sourceFolder = tmp.path("source/");
    choice.included = {"B"};
    std::vector<std::string> selected;
    EXPECT_TRUE(forms::SelectIncludedSubfolders(nullptr, choice, selected));
    EXPECT_TRUE(script.done());
    EXPECT_EQ(selected, (std::vector<std::string>{"B", "C"}));
}

TEST_F(SelectSubfoldersTest, TheMainWindowShowsTheTickedSubfoldersAsItsIncludedList) {
    for (const char* name : {"Music", "Docs", "Photos", "Mail", "Code"})
        Subfolder(name);
    kestrel::Setup setup = FolderSetup(tmp.path("source/"), tmp.createFolder("target"));
    setup.cboIncludedFolders = {"Mail"};
    setup.intNumIncludedFolders = 1;
    WriteLastRun(setup);
    auto window = StartWindow();
    EXPECT_EQ(Find<QLabel>(window.get(), "lblNumSubfolders")->text(),
              QStringLiteral("There are 5 subfolders, 1 selected"));

    ModalScript script;
    script.thenWhen(ReadingEnded, [](QWidget* modal) {
        auto* selection = qobject_cast<frmSelectSubfolders*>(modal);
        ASSERT_NE(selection, nullptr);
        // Code, Docs, Mail, Music, Photos: the previous selection ticks Mail.
        EXPECT_TRUE(selection->rowTicked(2));
        Row(selection, 2)->click();
        Row(selection, 0)->click();
        Row(selection, 3)->click();
        Row(selection, 4)->click();
        Click(selection, "cmdAccept");
    });
    Find<QPushButton>(window.get(), "cmdSelectSubfolders")->click();
    EXPECT_TRUE(script.done());

    auto* included = Find<QComboBox>(window.get(), "cboIncludedFolders");
    ASSERT_EQ(included->count(), 3);
    EXPECT_EQ(included->itemText(0), QStringLiteral("Code"));
    EXPECT_EQ(included->itemText(1), QStringLiteral("Music"));
    EXPECT_EQ(included->itemText(2), QStringLiteral("Photos"));
    EXPECT_EQ(included->currentIndex(), 0);
    EXPECT_EQ(window->setup().cboIncludedFolders, (std::vector<std::string>{"Code", "Music", "Photos"}));
    EXPECT_EQ(window->setup().intNumIncludedFolders, 3);
    EXPECT_EQ(Find<QLabel>(window.get(), "lblNumSubfolders")->text(),
              QStringLiteral("There are 5 subfolders, 3 selected"));

    // Cancel leaves the list as it was.
    script.thenWhen(ReadingEnded, [](QWidget* modal) {
        auto* selection = qobject_cast<frmSelectSubfolders*>(modal);
        ASSERT_NE(selection, nullptr);
        Click(selection, "cmdSelectDeselectAllSubfolders(0)");
        Click(selection, "cmdCancel");
    });
    Find<QPushButton>(window.get(), "cmdSelectSubfolders")->click();
    EXPECT_TRUE(script.done());
    EXPECT_EQ(window->setup().intNumIncludedFolders, 3);
    EXPECT_TRUE(script.unexpected().empty());
}

} // namespace
} // namespace kestrel::testing
