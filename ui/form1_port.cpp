// The serial port of the window and the stored port choice.
#include "form1.h"

#include <QComboBox>
#include <QLabel>

#include "link/port_names.h"
#include "storage/port_device.h"
#include "storage/settings_store.h"

namespace keyloom {

namespace {
const QString kPortOpen = QStringLiteral("COM Port 開啟中");
const QString kPortFailed = QStringLiteral("COM Port 無法開啟");
} // namespace

void TForm1::FillPortList() {
    for (int n = 1; n <= kPortCount; ++n) {
        m_comboBox1->addItem(QString::fromStdString(PortItemText(n)));
        m_comboBox1->setItemData(n - 1, DeviceForPort(n), Qt::ToolTipRole);
    }
}

void TForm1::ComboBox1Change() {
    const int n = PortNumberForIndex(m_comboBox1->currentIndex());
    // The old port is free for other programs before the new one is tried.
    m_port.close();
    m_portPath = QString::fromStdString(PortPath(n));
    m_portDevice = DeviceForPort(n);
    OpenPort();
}

void TForm1::OpenPort() {
    const Status opened = m_port.open(m_portDevice.toStdString());
    m_portOpened = opened.ok();
    m_label18->setText(m_portOpened ? kPortOpen : kPortFailed);
    if (m_portOpened) {
        m_label18->setToolTip(m_portDevice);
        return;
    }
    // The status text stays as designed; the tooltip says why and what to do.
    QString why = QString::fromStdString(opened.error().message);
    if (const std::string hint = PortOpenHint(opened.error().code); !hint.empty())
        why += QStringLiteral("\n") + QString::fromStdString(hint);
    m_label18->setToolTip(why);
}

void TForm1::LoadPara() {
    const std::optional<int> stored = SettingsStore().comPortIndex();
    if (stored) {
        // No range check: an index outside the list leaves nothing selected.
        m_comboBox1->setCurrentIndex(*stored);
        return;
    }
    m_comboBox1->setCurrentIndex(0);
    SavePara();
}

void TForm1::SavePara() {
    const SettingsStore store;
    const Status saved = store.setComPortIndex(m_comboBox1->currentIndex());
    if (saved || m_settingsProblemTold)
        return;
    m_settingsProblemTold = true;
    TellUser(tr("Port choice not stored"),
             tr("Keyloom could not store the chosen port, so the next start will not "
                "find it chosen again.\n\n%1\n\nCheck that this file or its folder can be written.")
                 .arg(QString::fromStdString(saved.error().message)));
}

} // namespace keyloom
