#pragma once

// Shared pieces of the window tests: a private config folder, pseudo-terminals to
// stand in for serial ports, and ways to reach widgets by their designer names.

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <memory>

#include <QComboBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include "tests/support/temp_config.h"
#include "ui/form1.h"

namespace keyloom::test {

// A pseudo-terminal whose slave side plays a serial device.
class Pty {
public:
    Pty() {
        m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master >= 0 && grantpt(m_master) == 0 && unlockpt(m_master) == 0)
            m_path = QString::fromLocal8Bit(ptsname(m_master));
    }
    ~Pty() {
        if (m_master >= 0)
            ::close(m_master);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;
    const QString& path() const { return m_path; }
    int master() const { return m_master; }

private:
    int m_master = -1;
    QString m_path;
};

template <class T = QWidget>
T* Child(const QWidget& parent, const QString& name) {
    T* child = parent.findChild<T*>(name);
    if (!child)
        qWarning("no child named %s", qPrintable(name));
    return child;
}

// The window, built the way start-up builds it; messages for the user are kept.
struct Window {
    QStringList messages;
    std::unique_ptr<TForm1> form;

    Window()
        : form(std::make_unique<TForm1>(
              [this](const QString&, const QString& text) { messages << text; })) {}

    TForm1* operator->() const { return form.get(); }
    template <class T = QWidget>
    T* child(const QString& name) const {
        return Child<T>(*form, name);
    }
    void show() {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    // The user picks item `index` of the port list.
    void pickPort(int index) {
        auto* list = child<QComboBox>(QStringLiteral("ComboBox1"));
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
    // The pointer moves to `pos` in window coordinates, through the real window
    // system path (so Qt decides which widget is under it).
    void hover(QPoint pos) {
        QTest::mouseMove(form->windowHandle(), pos);
        QTest::mouseMove(form->windowHandle(), pos + QPoint(1, 0));
    }
    // A point of the window's own surface: the strip above the page control.
    void hoverMargin() { hover(QPoint(500, 50)); }
};

} // namespace keyloom::test
