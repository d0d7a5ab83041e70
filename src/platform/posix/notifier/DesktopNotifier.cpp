// The desktop notifier, a module of its own that the program loads on its first notice: the bus
// library and all it pulls in would cost every run time and memory, and a notice is rare.

#include <QAtomicInt>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

#include <cstdlib>
#include <unistd.h>

namespace {

constexpr int kAnswerWaitMs = 5000;

// The session bus as the environment names it; a timer's or cron's run often lacks the
// variable while the user's bus is there all the same, at its usual place.
QString sessionBusAddress() {
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address)
        return QString::fromLocal8Bit(address);
    QString runtime = QString::fromLocal8Bit(std::getenv("XDG_RUNTIME_DIR"));
    if (runtime.isEmpty())
        runtime = QStringLiteral("/run/user/%1").arg(::getuid());
    const QByteArray socket = (runtime + QStringLiteral("/bus")).toLocal8Bit();
    if (::access(socket.constData(), F_OK) != 0)
        return {};
    return QStringLiteral("unix:path=") + runtime + QStringLiteral("/bus");
}

} // namespace

// 1 when the notice was shown, 0 where there is no session bus or no notification service.
extern "C" __attribute__((visibility("default"))) int kestrel_notify_desktop(const char* title,
                                                                             const char* text, int critical) {
    const QString address = sessionBusAddress();
    if (address.isEmpty())
        return false;
    // A connection of its own each time, so that the address the environment names now is the
    // one used (the shared session connection keeps the first it found).
    static QAtomicInt serial;
    const QString name = QStringLiteral("kestrel-notify-%1").arg(serial.fetchAndAddRelaxed(1));
    bool shown = false;
    {
        QDBusConnection bus = QDBusConnection::connectToBus(address, name);
        if (bus.isConnected()) {
            QDBusMessage call = QDBusMessage::createMethodCall(
                QStringLiteral("org.freedesktop.Notifications"),
                QStringLiteral("/org/freedesktop/Notifications"),
                QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
            QVariantMap hints;
            hints.insert(QStringLiteral("urgency"), QVariant::fromValue<uchar>(critical != 0 ? 2 : 1));
            hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("org.kestrelbackup.KestrelBackup"));
            call << QStringLiteral("Kestrel Backup") << 0u << QStringLiteral("kestrel-backup")
                 << QString::fromUtf8(title) << QString::fromUtf8(text) << QStringList() << hints << -1;
            const QDBusMessage answer = bus.call(call, QDBus::Block, kAnswerWaitMs);
            shown = answer.type() == QDBusMessage::ReplyMessage;
        }
    }
    QDBusConnection::disconnectFromBus(name);
    return shown ? 1 : 0;
}
