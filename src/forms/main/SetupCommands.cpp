#include "forms/main/SetupCommands.h"

#include "forms/FormsCommon.h"
#include "forms/prompts/FileDialogs.h"
#include "forms/prompts/MessageBoxes.h"
#include "forms/prompts/frmPopUp.h"
#include "modules/FileProc.h"
#include "modules/Folder.h"
#include "modules/Language.h"
#include "setup/LastRun.h"
#include "setup/SetupFile.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace kestrel::forms {

namespace {

std::string SetupFileFilter() {
    return GetProgramText(118) + " (*.zbk) | *.zbk";
}

void ShowWarning(QWidget* window, const std::string& text) {
    ShowMessageBox(window, text, GetProgramText(31), MessageButtons::Ok, MessageIcon::Exclamation);
}

} // namespace

std::string SetupFileNameWithExtension(const std::string& path) {
    if (FileExtensionOf(path, true) == "zbk")
        return path;
    return path + ".zbk";
}

void ShowSetupSavedPopUp(QWidget* window, QWidget* cmdSetup) {
    const QRect frame = window->frameGeometry();
    const int frameTop = window->geometry().top() - frame.top();
    const QPoint button = cmdSetup->mapTo(window, QPoint(0, 0));
    PopUp(Pt(1554), Twips(cmdSetup->width()), Twips(cmdSetup->height()), 2000,
          Twips(frame.top() + frameTop + button.y()) + 500, Twips(frame.left() + button.x()) + 160);
}

SetupCommands::SetupCommands(const SetupControls& controls, SetupCommandsHost& host, QObject* parent)
    : QObject(parent), c_(controls), host_(host) {}

void SetupCommands::PlaceFrame(QFrame* frame, QWidget* levelWith) {
    // Beside the menu's first column, level with the button named; kept inside the window.
    QWidget* window = c_.window;
    const QPoint menu = c_.fraMenu->mapTo(window, QPoint(0, 0));
    const QPoint level = levelWith->mapTo(window, QPoint(0, 0));
    frame->adjustSize();
    int left = menu.x() + c_.cmdSetup->width() + Px(100);
    int top = level.y() + Px(120);
    left = std::max(0, std::min(left, window->width() - frame->width()));
    top = std::max(0, std::min(top, window->height() - frame->height()));
    frame->move(left, top);
    frame->raise();
}

void SetupCommands::cmdSetup_MouseUp() {
    c_.txbSetupFile->hide();
    c_.txbReportFile->hide();
    c_.lblWarningReFilesInUse->hide();
    c_.fraMenu->setEnabled(false);
    host_.RefreshMenuState();
    PlaceFrame(c_.fraSetup, c_.cmdReportFile);
    c_.fraSetup->setEnabled(true);
    c_.fraSetup->show();
    host_.RefreshKeyboardOrder();
    SetFocusIfUsable(c_.cmdSaveSetup);
}

void SetupCommands::OpenSaveFrame(bool loading) {
    if (loading) {
        SetProgramText(c_.cmdSaveSetupForNextRun, 1560);
        SetProgramText(c_.cmdSaveSetupAsOperationFile, 114);
        SetProgramText(c_.cmdSaveSetupInBothWays, 1533);
    } else {
        SetProgramText(c_.cmdSaveSetupForNextRun, 1534);
        SetProgramText(c_.cmdSaveSetupAsOperationFile, 117);
        SetProgramText(c_.cmdSaveSetupInBothWays, 1535);
    }
    c_.cmdDontSaveSetup->setVisible(!loading);
    blnLoadMode_ = loading;
    c_.fraSetup->hide();
    PlaceFrame(c_.fraSaveSetup, c_.cmdSetup);
    c_.fraSaveSetup->show();
    c_.chkSuppressDetailedReports->show();
    host_.RefreshKeyboardOrder();
    SetFocusIfUsable(c_.cmdSaveSetupForNextRun);
}

void SetupCommands::cmdSaveSetup_Click() {
    OpenSaveFrame(false);
}

void SetupCommands::cmdLoadSetup_Click() {
    OpenSaveFrame(true);
}

void SetupCommands::cmdSaveSetupForNextRun_Click() {
    if (blnLoadMode_)
        LoadFromLastRun();
    else
        SaveForNextRun();
}

void SetupCommands::cmdSaveSetupAsOperationFile_Click() {
    if (blnLoadMode_)
        LoadFromSetupFile();
    else
        SaveInSetupFile();
}

void SetupCommands::cmdSaveSetupInBothWays_Click() {
    if (!blnLoadMode_) {
        SaveInBothWays();
        return;
    }
    // "Not now" of the load buttons.
    c_.fraSaveSetup->hide();
    CloseSetupFrame();
    c_.cmdDontSaveSetup->show();
}

void SetupCommands::cmdDontSaveSetup_Click() {
    c_.fraSaveSetup->hide();
    CloseSetupFrame();
}

bool SetupCommands::SaveSetupFile(const std::string& path, bool showPopUp) {
    const bool ok = kestrel::SaveSetupFile(host_.CurrentSetup(), path);
    if (ok && showPopUp)
        ShowSetupSavedPopUp(c_.window, c_.cmdSetup);
    return ok;
}

void SetupCommands::SaveForNextRun() {
    const bool ok = SaveSetupFile(LastRunFile(), true);
    if (!ok)
        ShowWarning(c_.window, GetProgramText(116));
    c_.fraSaveSetup->hide();
    c_.txbSetupFile->setVisible(!c_.txbSetupFile->text().isEmpty());
    c_.lblWarningReFilesInUse->show();
    c_.chkSuppressDetailedReports->show();
    CloseSetupFrame();
    // Only a save that succeeded spares the save on quit.
    if (ok)
        host_.SetLastRunFileCurrent();
}

void SetupCommands::SaveInSetupFile() {
    c_.fraSetup->hide();
    std::string path;
    {
        const FileDialogs::StartFolder start(fileDialogs(), host_.SetupsFolder());
        path = fileDialogs().GetSaveFileName(c_.window, GetProgramText(117), SetupFileFilter());
    }
    host_.SetDialogJustClosed();
    if (!path.empty()) {
        path = SetupFileNameWithExtension(path);
        bool save = true;
        if (FileExists(path)) {
            save = ShowMessageBox(c_.window, GetProgramText(119) + " " + path + "?", GetProgramText(120),
                                  MessageButtons::YesNo, MessageIcon::Question, 2) == MessageAnswer::Yes;
        }
        if (save) {
            if (SaveSetupFile(path, true)) {
                ShowSetupFile(path);
                host_.DisplayNumFilesInSetupsFolder();
            } else {
                ShowWarning(c_.window, GetProgramText(121) + " " + path + ".");
                ForgetSelectedSetupFile();
            }
        }
    }
    FinishFileCommand();
}

void SetupCommands::SaveInBothWays() {
    if (!SaveSetupFile(LastRunFile(), false))
        ShowWarning(c_.window, GetProgramText(116));
    c_.fraSaveSetup->hide();
    c_.txbSetupFile->setVisible(!c_.txbSetupFile->text().isEmpty());
    c_.lblWarningReFilesInUse->show();
    c_.chkSuppressDetailedReports->show();
    SaveInSetupFile();
    host_.DisplayNumFilesInSetupsFolder();
}

void SetupCommands::LoadFromLastRun() {
    // The load buttons stay on screen until "Not now".
    host_.LoadSetupFromLastRun();
    host_.SetLastRunFileCurrent();
}

void SetupCommands::LoadFromSetupFile() {
    c_.fraSetup->hide();
    ForgetSelectedSetupFile();
    std::string path;
    {
        const FileDialogs::StartFolder start(fileDialogs(), host_.SetupsFolder());
        path = fileDialogs().GetOpenFileName(c_.window, GetProgramText(114), SetupFileFilter());
    }
    host_.SetDialogJustClosed();
    if (!path.empty()) {
        SetupLoadContext context;
        context.blnStartupCompleted = true;
        context.messages = host_.LoadMessages();
        Setup& setup = host_.CurrentSetup();
        const int r = LoadOperationFile(setup, path, context, false);
        if (r == 62)
            ShowWarning(c_.window, GetProgramText(348) + "\r\n" + path + "\r\n\r\n" + GetProgramText(349));
        else if (r > 0)
            ShowWarning(c_.window, GetProgramText(115) + "\r\n" + path);
        host_.ShowSetupInControls();
        host_.RefreshSourceFolderDisplay();
        host_.RefreshTargetFolderDisplay(true);
        if (setup.txbDirectory[0].empty() && setup.txbDirectory[1].empty())
            ForgetSelectedSetupFile();
        else
            ShowSetupFile(path);
    }
    FinishFileCommand();
}

void SetupCommands::FinishFileCommand() {
    c_.fraSaveSetup->hide();
    c_.txbSetupFile->setVisible(!c_.txbSetupFile->text().isEmpty());
    c_.lblWarningReFilesInUse->show();
    c_.chkSuppressDetailedReports->show();
    c_.fraMenu->setEnabled(true);
    host_.RefreshMenuState();
    host_.FocusNextStep();
}

void SetupCommands::cmdClearSetup_Click() {
    Setup& setup = host_.CurrentSetup();
    // "Restore setup" undoes the clear.
    host_.CurrentRestoreCopy() = TakeRestoreCopy(setup);
    ClearSetup(setup);
    host_.ShowSetupInControls();
    CloseSetupFrame();
    c_.chkSuppressDetailedReports->show();
    host_.RefreshSourceFolderDisplay();
    host_.RefreshTargetFolderDisplay(true);
    SetFocusIfUsable(c_.cmdSourceFolder);
}

void SetupCommands::cmdRestoreSetup_Click() {
    RestoreSetup(host_.CurrentSetup(), host_.CurrentRestoreCopy());
    host_.ShowSetupInControls();
    CloseSetupFrame();
    c_.chkSuppressDetailedReports->show();
    host_.RefreshSourceFolderDisplay();
    host_.RefreshTargetFolderDisplay(true);
}

void SetupCommands::cmdKeepSetup_Click() {
    CloseSetupFrame();
}

void SetupCommands::CloseSetupFrame() {
    c_.lblWarningReFilesInUse->show();
    c_.fraSetup->hide();
    c_.fraMenu->setEnabled(true);
    host_.RefreshMenuState();
    c_.chkSuppressDetailedReports->show();
    host_.FocusNextStep();
}

void SetupCommands::ForgetSelectedSetupFile() {
    c_.txbSetupFile->clear();
    c_.txbSetupFile->hide();
}

void SetupCommands::ShowSetupFile(const std::string& path) {
    c_.txbSetupFile->setText(Qs(path));
    c_.txbSetupFile->setCursorPosition(0);
    c_.txbSetupFile->show();
}

} // namespace kestrel::forms
