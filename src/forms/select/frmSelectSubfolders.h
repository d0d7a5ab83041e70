#pragma once

#include "forms/select/SubfolderRows.h"
#include "platform/TestSeam.h"

#include <QDialog>
#include <QRect>

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QScrollBar;

namespace kestrel::forms {

// The modal window in which the user ticks the direct subfolders of the source folder that a
// backup includes. It reads the source anew each time it is shown (on a worker thread, so the
// window answers while a slow disk is read), lists one row per subfolder with its counts and
// size, ticks the rows of the previous selection, and hands the ticked names back on Accept.
//
// The caller sets the public values, places the window, shows it with exec() and reads the
// result when exec() returns.
class frmSelectSubfolders : public QDialog {
    Q_OBJECT
public:
    explicit frmSelectSubfolders(QWidget* parent = nullptr);
    ~frmSelectSubfolders() override;

    // Set by the caller before the window is shown.
    bool blnFolderSelectionAccepted = false;
    int intMaxNumCheckboxes = 11;
    std::string strCaption = "Select subfolders";
    std::string strTopFolder;
    std::string strFoldersPassedToSelectFoldersForm;
    long lngBackColor = -1; // 0x00BBGGRR, -1 for the window's own colours
    long lngLabelForeColor = 0;
    bool blnExcludeRecycleBin = true;
    bool blnOmitTotalFilesize = false;
    // The main window's target folder: it cannot be included in its own backup.
    std::string strTargetFolder;

    // Read after the window closed with Accept.
    std::string strFoldersReturnedFromSelectFoldersForm;
    // The same names as a list, exactly as the file system spells them.
    const std::vector<std::string>& SelectedNames() const { return selectedNames_; }

    // True from showing until the list is complete; the rows ignore the user meanwhile.
    bool busy() const { return busy_; }
    int rowCount() const { return static_cast<int>(rows_.size()); }
    int visibleRowCount() const { return static_cast<int>(chkSubfolder_.size()); }
    // The full text of a row (the check box may show it shortened) and its tick.
    std::string rowText(int row) const;
    bool rowTicked(int row) const;

    void chkSubfolder_Click(int Index);
    void vsbScrollBar_Change();
    void cmdSelectDeselectAllSubfolders_Click(int Index);
    void cmdAccept_Click();
    void cmdCancel_Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Row {
        std::string text;
        std::string sortKey; // the text lower-cased: rows sort by it
        std::string name;
        bool isEmpty = false;
        bool cannotTick = false; // unreadable for want of permission, or empty
        bool over = false;
        int tick = 0;
        double size = 0;
    };

    void Form_Activate();
    void StopReading();
    void ShowReadingProgress(int subfoldersRead);
    void RowRead(unsigned generation, const SubfolderCounts& counts);
    void ReadingFinished(unsigned generation);
    void ShowRows();
    void DisplaySelectionSummary();
    int CountTickedRows() const;
    void UnloadRowCheckBoxes();
    void ApplyColours();
    bool IsTargetFolder(const std::string& name) const;

    std::vector<Row> rows_;
    std::vector<std::string> selectedNames_;
    int topRow_ = 0;
    std::string totalText_;
    double dblTotalBytesSelected_ = 0;
    bool blnOver_ = false;
    bool busy_ = true;

    // The reading of the disk.
    std::thread reader_;
    std::shared_ptr<std::atomic<bool>> cancel_;
    unsigned generation_ = 0;

    QLabel* picSubfolders_;
    QScrollBar* vsbScrollBar_;
    QLabel* lblNumSubfolders_;
    QPushButton* cmdAccept_;
    QPushButton* cmdCancel_;
    QPushButton* cmdSelectDeselectAllSubfolders_[2];
    std::vector<QCheckBox*> chkSubfolder_;
};

// What the main window's "Select included subfolders" asks of the window.
struct IncludedSubfolderChoice {
    std::string sourceFolder; // a folder value
    std::string targetFolder;
    std::vector<std::string> included; // the current entries of the list
    QRect geometry;                    // where the window opens (its height follows the rows)
};

// Opens the window modally over `mainWindow` for the included subfolders of the source; true
// with the ticked names in `selected` when the user accepted.
bool SelectIncludedSubfolders(QWidget* mainWindow, const IncludedSubfolderChoice& choice,
                              std::vector<std::string>& selected);

// Test seam: while a guard lives, a reading started meanwhile calls its function on its worker
// thread before it reads the subfolder of that index (0 first), so a test can hold the reading
// under way.
using SubfolderReadingHook = std::function<void(std::size_t index)>;
using SubfolderReadingSeam = platform::TestSeam<struct SubfolderReadingTag, SubfolderReadingHook>;
using ScopedSubfolderReadingHookForTesting = SubfolderReadingSeam::Guard;

} // namespace kestrel::forms
