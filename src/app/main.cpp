#include "forms/main/frmMain.h"

#include <QApplication>
#include <QIcon>
#include <QStringList>

int main(int argc, char* argv[]) {
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

    // Any command-line text starts the unattended backup; its words are not parsed.
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    const QString commandLine = arguments.join(QLatin1Char(' '));

    kestrel::forms::frmMain window;
    if (!window.Form_Load(commandLine))
        return 1;
    return app.exec();
}
