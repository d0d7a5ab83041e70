#include "forms/main/frmMain.h"

#include <QApplication>
#include <QIcon>
#include <QStringList>

#include <cstring>
#include <iostream>

namespace {

const char* const kHelpText =
    R"(Usage: kestrel-backup [TEXT...]
       kestrel-backup --help | -h | --version

Kestrel Backup mirrors a source folder tree below a target folder: it copies
all selected files, or only the new and modified ones, checks a backup, lists
the folders a backup would visit, and deletes or wipes a backup.

Without arguments it opens its window with the setup of the last run.

With any other command-line text it runs the backup of the new and modified
files of the last-run setup at once, unattended, writes its report into the
target folder ("_Backup report" with the date and time in its name) and stays
open afterwards. When one of the words is "shutdown", it then shuts the
computer down (a click on the pop-up calls that off). Without a last-run setup
it refuses with exit status 2. Errors, warnings and refusals of this run are
told in a desktop notification.

  -h, --help     show this text and exit
  --version      show the version and exit

From a terminal, a script or a timer: kestrel-backup-cli (kestrel-backup-cli
--help, or the manual page kestrel-backup-cli(1)).
)";

// --help, -h and --version are answered before anything else starts: no window, no backup.
bool answersHelpOrVersion(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::cout << kHelpText;
            return true;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::cout << "kestrel-backup " << KESTREL_VERSION << "\n";
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    if (answersHelpOrVersion(argc, argv))
        return 0;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrel Backup"));
    // Desktops match the windows to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kestrelbackup.KestrelBackup"));
    QIcon icon;
    for (int size : {16, 32, 48, 256})
        icon.addFile(QStringLiteral(":/icons/kestrel-backup-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("kestrel-backup"), icon));
    // The report window and the viewer may stay open; the program ends only by Quit or the main
    // window's close box.
    QApplication::setQuitOnLastWindowClosed(false);

    // Any other command-line text starts the unattended backup; only the word "shutdown" counts.
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    const QString commandLine = arguments.join(QLatin1Char(' '));

    kestrel::forms::frmMain window;
    if (!window.Form_Load(commandLine)) {
        if (window.StartupRefusal().empty())
            return 1;
        std::cerr << "kestrel-backup: " << window.StartupRefusal() << "\n";
        return 2;
    }
    return app.exec();
}
