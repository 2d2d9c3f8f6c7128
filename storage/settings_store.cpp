#include "settings_store.h"

#include <memory>

#include <QSettings>

namespace keyloom {

namespace {

std::unique_ptr<QSettings> Open() {
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(
        QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Tevrano\\Keyloom"), QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Tevrano"), QStringLiteral("Keyloom"));
#endif
}

} // namespace

std::optional<int> SettingsStore::comPortIndex() const {
    const auto settings = Open();
    if (settings->status() != QSettings::NoError)
        return std::nullopt;
    const QVariant value = settings->value(QLatin1String(kComPortIndexKey));
#ifdef Q_OS_WIN
    // The registry keeps types: only a DWORD counts, text that reads as a number does not.
    const int type = value.metaType().id();
    if (type != QMetaType::Int && type != QMetaType::UInt)
        return std::nullopt;
    return static_cast<int>(value.toUInt());
#else
    // A config file has no types: the value counts when all of it is a decimal integer.
    if (!value.isValid())
        return std::nullopt;
    bool ok = false;
    const int index = value.toString().trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return index;
#endif
}

Status SettingsStore::setComPortIndex(int index) const {
    const auto settings = Open();
    settings->setValue(QLatin1String(kComPortIndexKey), index);
    settings->sync();
    if (settings->status() != QSettings::NoError || !settings->isWritable()) {
        return Error{0, QStringLiteral("The port choice could not be stored in %1.")
                            .arg(settings->fileName())
                            .toStdString()};
    }
    return {};
}

QString SettingsStore::portDevice(int portNumber) const {
    const auto settings = Open();
    return settings->value(QStringLiteral("Ports/COM%1").arg(portNumber)).toString().trimmed();
}

QString SettingsStore::location() const {
    return Open()->fileName();
}

} // namespace keyloom
