#include "forms/main/CreateTargetSubfolder.h"

#include "forms/FormsCommon.h"
#include "forms/prompts/MessageBoxes.h"
#include "modules/FileProc.h"
#include "modules/Folder.h"
#include "modules/Language.h"
#include "modules/StrProc.h"
#include "platform/Path.h"

#include <QInputDialog>
#include <QLineEdit>
#include <algorithm>

namespace kestrel::forms {

namespace {

std::string ReplaceAll(std::string text, const std::string& placeholder, const std::string& replacement) {
    for (std::size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + replacement.size()))
        text.replace(at, placeholder.size(), replacement);
    return text;
}

// The input box: a prompt, a default answer; "" when the user cancels.
std::string InputBox(const CreateTargetSubfolderHost& host, const std::string& prompt,
                     const std::string& answer) {
    QInputDialog box(host.window);
    box.setObjectName(QStringLiteral("InputBox"));
    box.setWindowTitle(Qs(host.caption));
    box.setLabelText(DisplayText(prompt));
    box.setInputMode(QInputDialog::TextInput);
    box.setTextValue(Qs(answer));
    SetFormFontName(&box, QLatin1String(kFormFont));
    if (!host.inputBoxPosition.isNull())
        box.move(host.inputBoxPosition);
    if (box.exec() != QDialog::Accepted)
        return {};
    return Ss(box.textValue());
}

} // namespace

std::string NewFolderName(const std::string& typed) {
    std::string name = typed;
    name.erase(std::remove_if(name.begin(), name.end(), [](char c) { return platform::isPathSeparator(c); }),
               name.end());
    if (name == "." || name == "..")
        return {};
    return name;
}

void CreateTargetSubfolder(const CreateTargetSubfolderHost& host) {
    const std::string& title = host.caption;
    const std::string& target = host.targetFolder;
    if (target.empty()) {
        ShowMessageBox(host.window, GetProgramText(1561), title, MessageButtons::Ok,
                       MessageIcon::Information);
        return;
    }
    if (!FolderExists(target)) {
        const std::string question = GetProgramText(43) + "\r\n\r\n" + GetProgramText(82);
        if (ShowMessageBox(host.window, question, title, MessageButtons::YesNo) == MessageAnswer::Yes)
            host.SetTargetFolder("");
        host.ForgetSelectedSetupFile();
        return;
    }

    bool outOfRange = false;
    const std::string proposed =
        host.sourceFolder.empty() ? std::string() : PathComponentFromEnd(host.sourceFolder, 0, outOfRange);
    const std::string prompt = ReplaceAll(GetProgramText(374), "C:\\", target);
    const std::string typed = InputBox(host, prompt, proposed);
    if (typed.empty())
        return;
    const std::string name = NewFolderName(typed);
    if (name.empty())
        return;

    const std::string newFolder = target + name;
    if (FolderExists(newFolder)) {
        ShowMessageBox(host.window, newFolder + " " + GetProgramText(375), title, MessageButtons::Ok,
                       MessageIcon::Information);
    } else if (CreateFolder(newFolder)) {
        ShowMessageBox(host.window, newFolder + " " + GetProgramText(376), title, MessageButtons::Ok,
                       MessageIcon::Information);
    } else {
        std::string message = GetProgramText(377) + " " + newFolder;
        if (FileExists(newFolder))
            message += "\r\n" + GetProgramText(386) + " " + LowerCaseWithAccents(name) + " " +
                       GetProgramText(387) + " " + target + ".";
        ShowMessageBox(host.window, message, title, MessageButtons::Ok, MessageIcon::Exclamation);
        return;
    }

    const std::string offer = ReplaceAll(GetProgramText(378), "E:\\", newFolder);
    if (ShowMessageBox(host.window, offer, title, MessageButtons::YesNo) != MessageAnswer::Yes)
        return;
    const std::string folder = AddTrailingBackslash(newFolder);
    if (!host.CheckTargetAgainstSource(folder))
        return;
    host.SetTargetFolder(folder);
    host.ForgetSelectedSetupFile();
}

} // namespace kestrel::forms
