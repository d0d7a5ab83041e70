#include "platform/SettingsStore.h"

#include "platform/ProgramPaths.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <mutex>

namespace kestrel::platform {

namespace {

std::mutex storeMutex; // one call at a time reads and writes the file

QString toQString(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "Software\Corvane Systems\ZBK" becomes the settings group "Software/Corvane Systems/ZBK";
// empty parts (a leading "\", a doubled one) are dropped as the registry does.
QString groupOf(const std::string& key) {
    QStringList parts;
    std::size_t start = 0;
    while (start <= key.size()) {
        std::size_t slash = key.find('\\', start);
        std::size_t end = slash == std::string::npos ? key.size() : slash;
        if (end > start)
            parts << toQString(key.substr(start, end - start));
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    return parts.join('/');
}

// A value name may hold any character; the ones the settings file reads as group separators
// are escaped.
QString valueKey(const std::string& key, const std::string& name) {
    QString escaped;
    for (QChar c : toQString(name)) {
        if (c == '%')
            escaped += "%25";
        else if (c == '/')
            escaped += "%2F";
        else if (c == '\\')
            escaped += "%5C";
        else
            escaped += c;
    }
    QString group = groupOf(key);
    return group.isEmpty() ? escaped : group + '/' + escaped;
}

QString storeFile() {
    return toQString(settingsFile());
}

// The store's file must be reachable before anything is read or written in it.
long checkStoreFile(bool forWriting) {
    QFileInfo info(storeFile());
    if (info.exists() && (!info.isFile() || !info.isReadable()))
        return settings_result::AccessDenied;
    if (forWriting && !info.exists() && !QDir().mkpath(info.absolutePath()))
        return settings_result::AccessDenied;
    return settings_result::Success;
}

// Runs `use` on the store's file, one call at a time, once the file is reachable and read.
template <typename Use> long withStore(bool forWriting, Use use) {
    std::lock_guard<std::mutex> lock(storeMutex);
    if (long result = checkStoreFile(forWriting))
        return result;
    QSettings settings(storeFile(), QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        return settings_result::AccessDenied;
    return use(settings);
}

bool keyExists(QSettings& settings, const std::string& key) {
    QString group = groupOf(key);
    if (group.isEmpty())
        return true;
    settings.beginGroup(group);
    bool exists = !settings.childKeys().isEmpty() || !settings.childGroups().isEmpty();
    settings.endGroup();
    return exists;
}

} // namespace

long SettingsStore::createKey(const std::string& key, KeyDisposition& disposition) const {
    return withStore(true, [&](QSettings& settings) {
        // A key without values leaves no trace in the file; it comes into being with its first
        // value.
        disposition =
            keyExists(settings, key) ? KeyDisposition::OpenedExistingKey : KeyDisposition::CreatedNewKey;
        return settings_result::Success;
    });
}

long SettingsStore::openKey(const std::string& key) const {
    return withStore(false, [&](QSettings& settings) {
        return keyExists(settings, key) ? settings_result::Success : settings_result::FileNotFound;
    });
}

long SettingsStore::setValue(const std::string& key, const std::string& name,
                             const std::string& value) const {
    return withStore(true, [&](QSettings& settings) {
        // Texts are kept as bytes: one that is not valid UTF-8 is stored as raw bytes.
        const QByteArray bytes(value.data(), static_cast<qsizetype>(value.size()));
        const QString asText = toQString(value);
        if (asText.toUtf8() == bytes)
            settings.setValue(valueKey(key, name), asText);
        else
            settings.setValue(valueKey(key, name), bytes);
        settings.sync();
        return settings.status() == QSettings::NoError ? settings_result::Success
                                                       : settings_result::AccessDenied;
    });
}

long SettingsStore::queryValue(const std::string& key, const std::string& name, std::string& value) const {
    value.clear();
    return withStore(false, [&](QSettings& settings) {
        const QString k = valueKey(key, name);
        if (!settings.contains(k))
            return settings_result::FileNotFound;
        const QVariant stored = settings.value(k);
        const QByteArray bytes =
            stored.typeId() == QMetaType::QByteArray ? stored.toByteArray() : stored.toString().toUtf8();
        value.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        return settings_result::Success;
    });
}

std::string settingsFile() {
    const std::string test = SettingsFileSeam::current();
    return test.empty() ? configHome() + "/kestrel-backup/settings.ini" : test;
}

ScopedSettingsFileForTesting::ScopedSettingsFileForTesting(const std::string& path) : guard_(path) {}

ScopedSettingsFileForTesting::~ScopedSettingsFileForTesting() = default;

} // namespace kestrel::platform
