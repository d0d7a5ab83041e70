// The main window's folders and filters: choosing and clearing the source, target and setups
// folders under their rules, the displays of the target and of the source's subfolders, the
// included-subfolder list, the extension filter and the excluded paths.
#include "forms/main/frmMain.h"

#include "engine/FileSelection.h"
#include "engine/SubfolderCaption.h"
#include "engine/TargetGuard.h"
#include "forms/FormsCommon.h"
#include "forms/prompts/FileDialogs.h"
#include "forms/prompts/MessageBoxes.h"
#include "forms/report/frmReport.h"
#include "modules/DiskProc.h"
#include "modules/FileProc.h"
#include "modules/Folder.h"
#include "modules/Language.h"
#include "modules/StrProc.h"
#include "platform/Disk.h"
#include "platform/ErrorCodes.h"
#include "platform/Path.h"
#include "platform/ProgramPaths.h"
#include "setup/SetupsFolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <vector>

namespace kestrel::forms {

void frmMain::cmdSpecifyDirectory_MouseUp(int Index) {
    if (blnDialogJustClosed_ || operationRunning())
        return;
    const std::size_t i = static_cast<std::size_t>(Index);
    const std::string caption = Ss(Caption(cmdSpecifyDirectory_[i]));

    std::string path;
    {
        // The browser opens in the folder being changed.
        const FileDialogs::StartFolder start(fileDialogs(),
                                             Index < 2 ? setup_.txbDirectory[i] : setupsFolder_);
        path = fileDialogs().BrowseForFolder(this, GetProgramText(Index == 0 ? 22 : 23));
    }

    // The engine's rule, on the real folder: a recycle bin or trash folder, or a folder inside one.
    if (!path.empty() && IsInsideRecycleBin(AddTrailingBackslash(path))) {
        ShowMessageBox(this, FolderPairMessage(FolderPairRule::RecycleBin, ""), caption, MessageButtons::Ok,
                       MessageIcon::Exclamation);
        return;
    }

    if (!path.empty()) {
        path = AddTrailingBackslash(path);
        if (Index == 1) {
            std::string description;
            if (IsWriteProtected(path, description)) {
                ShowMessageBox(this, GetProgramText(1551), GetProgramText(1552), MessageButtons::Ok,
                               MessageIcon::Information);
                return;
            }
        }
        const std::string& target = setup_.txbDirectory[1];
        if (Index == 0 && !target.empty()) {
            // On the real folders, as the engine judges them: a link to the target is the target.
            const std::string title = Ss(Caption(cmdSpecifyDirectory_[0]));
            const FolderPairRule rule = CheckFolderPair(path, target);
            if (rule == FolderPairRule::SameFolder) {
                ShowMessageBox(this, GetProgramText(24), title, MessageButtons::Ok, MessageIcon::Exclamation);
                return;
            }
            if (rule == FolderPairRule::SourceInsideTarget) {
                ShowMessageBox(this, path + "\r\n\r\n" + GetProgramText(25), title, MessageButtons::Ok,
                               MessageIcon::Exclamation);
                return;
            }
        }
        if ((Index == 1 || Index == 2) && !CheckTargetAgainstSource(path))
            return;

        if (Index == 0) {
            setup_.cboIncludedFolders.clear();
            setup_.intNumIncludedFolders = 0;
            setup_.cboIncludedFoldersListIndex = -1;
            ShowIncludedFolders();
            chkExcludeFilesInSourceFolder_->setChecked(false);
            SetFolderText(0, path);
            RefreshSourceFolderDisplay();
            ForgetSelectedSetupFile();
        } else if (Index == 2) {
            SetFolderText(2, path);
            DisplayNumFilesInSetupsFolder();
            SaveSetupsFolder(path);
            ForgetSelectedSetupFile();
        } else {
            SetFolderText(1, path);
            RefreshTargetFolderDisplay(true);
            // The folder itself can be written; the disk it lies on may still refuse writes.
            if (FolderExists(path) && IsDriveWriteProtected(path))
                ShowMessageBox(this, GetProgramText(405), Ss(Caption(cmdSpecifyDirectory_[1])),
                               MessageButtons::Ok, MessageIcon::Exclamation);
            ForgetSelectedSetupFile();
        }
    }

    QLineEdit* box = txbDirectory_[i];
    box->setToolTip(box->text().toUcs4().size() > MaxFolderTextLength_ ? box->text() : QString());

    if (!setup_.txbDirectory[1].empty() && Index == 0 && !blnChainedFolderPrompt_) {
        if (ShowMessageBox(this, GetProgramText(1549), Ss(Caption(cmdSpecifyDirectory_[0])),
                           MessageButtons::YesNo) == MessageAnswer::Yes) {
            blnChainedFolderPrompt_ = true;
            cmdSpecifyDirectory_MouseUp(1);
        }
    }
    if (!setup_.txbDirectory[0].empty() && Index == 1 && !blnChainedFolderPrompt_) {
        if (ShowMessageBox(this, GetProgramText(1550), Ss(Caption(cmdSpecifyDirectory_[1])),
                           MessageButtons::YesNo) == MessageAnswer::Yes) {
            blnChainedFolderPrompt_ = true;
            cmdSpecifyDirectory_MouseUp(0);
        }
    }
    blnChainedFolderPrompt_ = false;
}

bool frmMain::CheckTargetAgainstSource(const std::string& path) {
    const std::string& source = setup_.txbDirectory[0];
    const std::string title = Ss(Caption(cmdSpecifyDirectory_[1]));
    if (source.empty())
        return true;
    const FolderPairRule rule = CheckFolderPair(source, path);
    if (rule == FolderPairRule::SameFolder) {
        ShowMessageBox(this, GetProgramText(27), title, MessageButtons::Ok, MessageIcon::Exclamation);
        return false;
    }
    if (rule == FolderPairRule::SourceInsideTarget) {
        ShowMessageBox(this, path + "\r\n\r\n" + GetProgramText(28), title, MessageButtons::Ok,
                       MessageIcon::Exclamation);
        return false;
    }
    // A target inside the source is allowed: the walk keeps out of it.
    return true;
}

void frmMain::txbDirectory_MouseUp(int Index) {
    ShowMessageBox(this, GetProgramText(Index == 0 ? 1545 : Index == 1 ? 1546 : 1547), GetProgramText(1548));
}

void frmMain::cmdClearFolder_Click(int Index) {
    if (operationRunning())
        return;
    switch (Index) {
    case 0:
        SetFolderText(0, "");
        RefreshSourceFolderDisplay();
        txbDirectory_[0]->setToolTip(QString());
        break;
    case 1:
        SetFolderText(1, "");
        RefreshTargetFolderDisplay(true);
        txbDirectory_[1]->setToolTip(QString());
        break;
    case 2:
        setup_.txbExcludedFilepaths.clear();
        txbExcludedFilepaths_->clear();
        txbExcludedFilepaths_->setToolTip(QString());
        cmdClearFolder_[2]->hide();
        break;
    case 3:
        SetFolderText(2, "");
        DisplayNumFilesInSetupsFolder();
        cmdMultipleBackup_->setEnabled(true);
        SaveSetupsFolder("");
        break;
    case 4:
        SetReportFileText("");
        txbReportFile_->hide();
        state_.blnOutputToFile = false;
        cmdClearFolder_[4]->hide();
        chkDisableOutputToFile_->setChecked(false);
        txbReportFile_->setToolTip(QString());
        break;
    default:
        break;
    }
}

void frmMain::EnableOperationButtons() {
    if (operationRunning())
        return;
    for (QPushButton* button :
         {cmdBackupAllFiles_, cmdCheckBackupState_, cmdBackupModifiedFiles_, cmdDeleteAllBackupFiles_})
        button->setEnabled(true);
}

void frmMain::RefreshTargetFolderDisplay(bool blnMessageIfTargetFolderPathNotFound) {
    cmdClearFolder_[1]->setVisible(!setup_.txbDirectory[1].empty());
    cmdCreateSubFolder_->setEnabled(!operationRunning());
    if (!setup_.txbDirectory[1].empty()) {
        SetFolderText(1, AddTrailingBackslash(setup_.txbDirectory[1]));
        DisplayTargetFolderStatus(blnMessageIfTargetFolderPathNotFound);
    } else {
        lblTargetFolderIsEmpty_->hide();
        lblFreeSpace_->hide();
        cmdEmptyTargetFolder_->hide();
        lblFreeSpace_->clear();
    }
    EnableOperationButtons();
}

void frmMain::DisplayTargetFolderStatus(bool blnMessageIfTargetFolderPathNotFound) {
    lblTargetFolderIsEmpty_->hide();
    cmdEmptyTargetFolder_->hide();
    const std::string target = setup_.txbDirectory[1];
    std::string errText;
    const platform::Result<std::int32_t> subfolders = CountSubfolders(target);
    if (!subfolders.ok()) {
        if (state_.blnStartupCompleted) {
            if (blnMessageIfTargetFolderPathNotFound && !isMinimized())
                PromptTargetFolderNotFound(subfolders.error().description);
        } else {
            // The last-run setup names a target that cannot be read: start from a clean setup.
            ClearSetupAndControls();
            cmdClearFolder_[1]->hide();
            lblTargetFolderIsEmpty_->hide();
            lblFreeSpace_->hide();
            RefreshSourceFolderDisplay();
        }
        lblFreeSpace_->clear();
        return;
    }
    const std::int32_t n = subfolders.value();
    bool holdsSomething = n > 0;
    if (n == 0) {
        double size = 0;
        bool accessDenied = false;
        holdsSomething = CountFiles(target, "*.*", true, false, errText, size, accessDenied) > 0;
    }
    if (holdsSomething) {
        cmdEmptyTargetFolder_->setText(Pt(1508));
        cmdEmptyTargetFolder_->show();
    } else {
        lblTargetFolderIsEmpty_->setText(Qs(GetProgramText(157)));
        QFont font = lblTargetFolderIsEmpty_->font();
        font.setBold(false);
        lblTargetFolderIsEmpty_->setFont(font);
        lblTargetFolderIsEmpty_->show();
    }
    DisplayTargetFreeSpace();
}

void frmMain::DisplayTargetFreeSpace() {
    const std::string& target = setup_.txbDirectory[1];
    if (target.empty()) {
        lblFreeSpace_->clear();
        return;
    }
    // The disk is named by its mount point ("/" for the root), as a drive letter names it.
    std::string drive = DriveOfPath(target);
    if (drive.size() > 1 && platform::endsWithSeparator(drive))
        drive.pop_back();
    if (const platform::Result<DriveSpace> space = GetDiskSpace(target); space.ok())
        lblFreeSpace_->setText(
            Qs(GetProgramText(159) + " " + drive + " " + FormatByteSize(space.value().freeBytes, false)));
    else
        lblFreeSpace_->setText(Qs(GetProgramText(158) + " " + drive + "."));
    lblFreeSpace_->show();
}

void frmMain::PromptTargetFolderNotFound(const std::string& strErrDescr) {
    const std::string question = GetProgramText(79) + " " + setup_.txbDirectory[1] + "\r\n" + strErrDescr +
                                 "\r\n\r\n" + GetProgramText(82);
    if (ShowMessageBox(this, question, GetProgramText(59), MessageButtons::YesNo) == MessageAnswer::Yes) {
        SetFolderText(1, "");
        RefreshTargetFolderDisplay(true);
    }
}

void frmMain::RefreshSourceFolderDisplay() {
    // The list button's caption changes with the folder; whichever way this ends, its shortcut
    // and the Tab order follow.
    struct KeyboardRefresh {
        frmMain* window;
        ~KeyboardRefresh() { window->RefreshKeyboardOrder(); }
    } keyboardRefresh{this};
    cmdListSubFolders_->setText(Qs(GetProgramText(19)));
    const bool running = operationRunning();
    const std::string source = setup_.txbDirectory[0];
    if (source.empty()) {
        cmdClearFolder_[0]->hide();
        cmdSelectSubfolders_->show();
        cmdSelectSubfolders_->setEnabled(!running);
        cboIncludedFolders_->hide();
        cmdRemoveSubfolder_->hide();
        cmdListSubFolders_->setEnabled(!running);
        chkIncludeSubfolders_->hide();
        chkExcludeFilesInSourceFolder_->hide();
        EnableOperationButtons();
        lblNumSubfolders_->hide();
        lblIntro_->show();
        lblIntro_->raise();
        if (isVisible())
            SetFocusIfUsable(cmdSpecifyDirectory_[0]);
        return;
    }

    lblSkipFilepaths_->show();
    cmdClearFolder_[2]->setVisible(!setup_.txbExcludedFilepaths.empty());
    lblIntro_->hide();
    lblNumSubfolders_->show();
    SetFolderText(0, AddTrailingBackslash(source));

    std::string errText;
    const platform::Result<std::int32_t> subfolders = CountSubfolders(setup_.txbDirectory[0]);
    const std::int32_t n = subfolders.valueOr(-1);
    const int errNumber = subfolders.error().number;
    double size = 0;
    bool accessDenied = false;
    const std::int32_t m =
        CountFiles(setup_.txbDirectory[0], "*.*", false, false, errText, size, accessDenied);

    chkExcludeFilesInSourceFolder_->show();
    if (m != 0) {
        chkExcludeFilesInSourceFolder_->setEnabled(!running);
    } else {
        // A folder with no files of its own has nothing to exclude.
        chkExcludeFilesInSourceFolder_->setChecked(false);
        chkExcludeFilesInSourceFolder_->setEnabled(false);
    }
    cmdClearFolder_[0]->show();
    cmdListSubFolders_->setEnabled(!running);

    if (n <= 0) {
        chkIncludeSubfolders_->hide();
        if (n < 0 && errNumber == platform::err::PermissionDenied) {
            lblNumSubfolders_->setText(Qs(platform::errorDescription(platform::err::PermissionDenied)));
            cmdListSubFolders_->setEnabled(false);
        } else if (n < 0 && errNumber == platform::err::PathNotFound) {
            lblNumSubfolders_->setText(Qs(platform::errorDescription(platform::err::PathNotFound)));
            cmdListSubFolders_->setEnabled(false);
        } else if (n == 0) {
            lblNumSubfolders_->setText(Qs(NumSubfoldersCaption(n, 0)));
        } else {
            lblNumSubfolders_->setText(Pt(1214));
        }
        cmdSelectSubfolders_->setEnabled(false);
        cboIncludedFolders_->hide();
        cmdRemoveSubfolder_->hide();
        cmdListSubFolders_->setText(Qs(GetProgramText(21)));
        EnableOperationButtons();
        FocusNextStep();
        return;
    }

    const int included = static_cast<int>(setup_.cboIncludedFolders.size());
    lblNumSubfolders_->setText(Qs(NumSubfoldersCaption(n, included)));
    if (n > 1 && included == 0)
        cmdListSubFolders_->setText(Qs(GetProgramText(21)));

    cmdSelectSubfolders_->setEnabled(!running);
    setup_.intNumIncludedFolders = included;
    cboIncludedFolders_->setVisible(included >= 1);
    cmdRemoveSubfolder_->setVisible(included >= 1);

    // The box says what it adds; its value is never changed here, a hidden box keeps it.
    if (included == 0) {
        chkIncludeSubfolders_->hide();
        cmdListSubFolders_->setText(Qs(GetProgramText(21)));
    } else {
        bool anyHasSubfolders = false;
        for (const std::string& entry : setup_.cboIncludedFolders) {
            if (CountSubfolders(setup_.txbDirectory[0] + entry).valueOr(0) > 0) {
                anyHasSubfolders = true;
                break;
            }
            if (included == 1)
                break;
        }
        if (anyHasSubfolders) {
            chkIncludeSubfolders_->setText(
                included == 1
                    ? Pt(1515)
                    : Qs(GetProgramText(1544) + " " + std::to_string(included) + " " + GetProgramText(1296)));
            chkIncludeSubfolders_->show();
        } else {
            chkIncludeSubfolders_->hide();
        }
    }

    setup_.cboIncludedFoldersListIndex = included == 0 ? -1 : 0;
    {
        const QSignalBlocker block(cboIncludedFolders_);
        cboIncludedFolders_->setCurrentIndex(setup_.cboIncludedFoldersListIndex);
    }
    EnableOperationButtons();
    if (!report_->isVisible())
        FocusNextStep();
}

void frmMain::chkIncludeSubfolders_Click() {
    if (loading_)
        return;
    RefreshSourceFolderDisplay();
}

void frmMain::cmdRemoveSubfolder_Click() {
    if (operationRunning())
        return;
    const int index = cboIncludedFolders_->currentIndex();
    if (index < 0 || index >= static_cast<int>(setup_.cboIncludedFolders.size()))
        return;
    setup_.cboIncludedFolders.erase(setup_.cboIncludedFolders.begin() + index);
    setup_.intNumIncludedFolders = static_cast<int>(setup_.cboIncludedFolders.size());
    setup_.cboIncludedFoldersListIndex = setup_.cboIncludedFolders.empty() ? -1 : 0;
    ShowIncludedFolders();
    if (setup_.cboIncludedFolders.empty()) {
        cboIncludedFolders_->hide();
        cmdRemoveSubfolder_->hide();
    }
    RefreshSourceFolderDisplay();
}

void frmMain::txbFileExtension_LostFocus() {
    if (loading_ || operationRunning() || txbFileExtension_->text().isEmpty())
        return;
    const std::string normalised = NormalisedFileExtension(Ss(txbFileExtension_->text()));
    setup_.txbFileExtension = normalised;
    txbFileExtension_->setText(Qs(normalised));
    const std::size_t length = CharacterCount(normalised);
    if (length < 2 || length > 5) {
        ShowMessageBox(this, GetProgramText(1555) + "\r\n" + GetProgramText(1556), GetProgramText(1557),
                       MessageButtons::Ok, MessageIcon::Information);
    }
}

void frmMain::txbExcludedFilepaths_LostFocus() {
    const QString text = txbExcludedFilepaths_->text();
    txbExcludedFilepaths_->setToolTip(text.toUcs4().size() > MaxFolderTextLength_ ? text : QString());
}

std::string frmMain::ReportFileDialogFolder() const {
    // The folder of the report file named now, else the setups folder.
    if (!setup_.txbReportFile.empty())
        return Ss(QFileInfo(Qs(setup_.txbReportFile)).absolutePath());
    return setupsFolder_;
}

void frmMain::cmdReportFile_MouseUp() {
    if (blnDialogJustClosed_ || operationRunning())
        return;
    std::string path;
    {
        const FileDialogs::StartFolder start(fileDialogs(), ReportFileDialogFolder());
        path = fileDialogs().GetSaveFileName(this, GetProgramText(1185),
                                             GetProgramText(1186) + " (*.txt) | *.txt");
    }
    SetDialogJustClosed();
    if (!path.empty())
        SetReportFileText(path);
    // Back to the window's normal state.
    fraSetup_->hide();
    fraMenu_->setEnabled(true);
    cmdClearFolder_[4]->setVisible(!setup_.txbReportFile.empty());
    SetReportFileText(TrimBlanks(setup_.txbReportFile));
    chkDisableOutputToFile_->setChecked(false);
    chkDisableOutputToFile_->setEnabled(!setup_.txbReportFile.empty());
    state_.blnOutputToFile = !setup_.txbReportFile.empty();
    RefreshMenuState();
}

} // namespace kestrel::forms
