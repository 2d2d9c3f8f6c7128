#pragma once

// The settings file of one test, in a folder of its own: QSettings (and so the
// window and keyloom-cli) find it as $XDG_CONFIG_HOME/Tevrano/Keyloom.conf.

#include <QSettings>
#include <QTemporaryDir>

namespace keyloom::test {

class TempConfig {
public:
    TempConfig() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
    }
    QString dir() const { return m_dir.path(); }
    QString file() const { return m_dir.path() + QStringLiteral("/Tevrano/Keyloom.conf"); }

    void set(const QString& key, const QVariant& value) {
        QSettings s(file(), QSettings::IniFormat);
        s.setValue(key, value);
    }
    QVariant get(const QString& key) const {
        QSettings s(file(), QSettings::IniFormat);
        return s.value(key);
    }
    // Stands `device` behind COMn.
    void mapPort(int portNumber, const QString& device) {
        set(QStringLiteral("Ports/COM%1").arg(portNumber), device);
    }

private:
    QTemporaryDir m_dir;
};

} // namespace keyloom::test
