// The key settings panel: nine link-action lists, the baud list and the code
// fields of the main page, and the lists' share in the refresh and the commit.
#include "form1.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "ui/tab_control.h"
#include "ui/widgets.h"

namespace keyloom {

namespace {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, const QRect& geometry) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(geometry);
    return edit;
}

QComboBox* MakeList(QWidget* parent, const QString& name, const QRect& geometry,
                    const QStringList& entries) {
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->setEditable(true);
    // Typed text never becomes a new entry; only an entry's index is ever stored.
    list->setInsertPolicy(QComboBox::NoInsert);
    list->addItems(entries);
    list->setGeometry(geometry);
    // A typed text that names an entry selects it; any other text is put back to
    // the selected entry, so the list never shows what it would not store.
    QObject::connect(list->lineEdit(), &QLineEdit::editingFinished, list, [list] {
        const int match = list->findText(list->currentText(), Qt::MatchFixedString);
        if (match >= 0)
            list->setCurrentIndex(match);
        else
            list->setEditText(list->currentIndex() >= 0 ? list->itemText(list->currentIndex())
                                                        : QString());
    });
    return list;
}

} // namespace

void TForm1::BuildKeySettings() {
    m_groupBox1 = new QGroupBox(QStringLiteral("Resoult of Module  Test"), m_tabControl1);
    m_groupBox1->setObjectName(QStringLiteral("GroupBox1"));
    m_groupBox1->setGeometry(16, 32, 665, 393);
    QWidget* g = m_groupBox1;

    const struct {
        const char* name;
        QRect geometry;
        const char* caption;
    } rowCaptions[] = {
        {"Label9", {160, 48, 65, 16}, "連動"},      {"Label10", {160, 80, 65, 18}, "Code 1"},
        {"Label11", {160, 112, 73, 16}, "Code 2"},  {"Label20", {160, 168, 65, 16}, "連動"},
        {"Label21", {160, 200, 65, 18}, "Code 1"},  {"Label23", {160, 232, 73, 16}, "Code 2"},
        {"Label37", {160, 288, 65, 16}, "連動"},    {"Label38", {160, 320, 65, 18}, "Code 1"},
        {"Label39", {160, 352, 73, 16}, "Code 2"},  {"Label7", {56, 56, 81, 16}, "Baud rate"},
    };
    for (const auto& c : rowCaptions)
        MakeLabel(g, c.name, QString::fromUtf8(c.caption), c.geometry, 10, true);

    const struct {
        const char* label;
        int labelWidth;
        const char* code1;
        const char* code2;
    } keys[kKeyCount] = {
        {"Label98", 97, "Edit7", "Edit10"},  {"Label13", 97, "Edit11", "Edit12"},
        {"Label19", 81, "Edit13", "Edit14"}, {"Label27", 97, "Edit15", "Edit16"},
        {"Label32", 105, "Edit17", "Edit18"}, {"Label36", 105, "Edit19", "Edit20"},
        {"Label43", 81, "Edit21", "Edit22"}, {"Label47", 81, "Edit23", "Edit24"},
        {"Label51", 97, "Edit25", "Edit26"},
    };
    QStringList linkEntries;
    for (std::string_view text : kLinkActionTexts)
        linkEntries << FromUtf8(text);
    QStringList baudEntries;
    for (std::string_view text : kBaudTexts)
        baudEntries << FromUtf8(text);

    for (int k = 0; k < kKeyCount; ++k) {
        const int left = 240 + 120 * (k % 3);
        const int top = 24 + 120 * (k / 3);
        MakeLabel(g, keys[k].label, FromUtf8(kKeys[std::size_t(k)].caption),
                  {left, top, keys[k].labelWidth, 16}, 8, false);
        QComboBox* list = MakeList(g, QStringLiteral("ComboBox%1").arg(4 + k),
                                   {left, top + 24, 105, 21}, linkEntries);
        list->setFont(DesignFont(8));
        m_linkLists[std::size_t(k)] = list;
        // The code fields are kept for the installer's notes only; nothing reads them.
        MakeEdit(g, keys[k].code1, {left, top + 52, 105, 21});
        MakeEdit(g, keys[k].code2, {left, top + 82, 105, 21});
    }
    m_baudList = MakeList(g, QStringLiteral("ComboBox13"), {56, 80, 81, 21}, baudEntries);

    // Focus order: Edit7, Edit10, Edit11, Edit13 .. Edit26, Edit12, the nine
    // link-action lists, the baud list.
    QList<QWidget*> order;
    for (const char* name : {"Edit7", "Edit10", "Edit11"})
        order << g->findChild<QWidget*>(QLatin1String(name));
    for (int n = 13; n <= 26; ++n)
        order << g->findChild<QWidget*>(QStringLiteral("Edit%1").arg(n));
    order << g->findChild<QWidget*>(QStringLiteral("Edit12"));
    for (QComboBox* list : m_linkLists)
        order << list;
    order << m_baudList;
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void TForm1::ListsToImage() {
    m_image[kBaudIndexOffset] = ListIndexToByte(m_baudList->currentIndex());
    for (int k = 0; k < kKeyCount; ++k)
        m_image[std::size_t(kLinkActionOffset + k)] =
            ListIndexToByte(m_linkLists[std::size_t(k)]->currentIndex());
}

void TForm1::ImageToLists() {
    m_baudList->setCurrentIndex(
        ByteToListIndex(m_image[kBaudIndexOffset], int(kBaudTexts.size())));
    for (int k = 0; k < kKeyCount; ++k)
        m_linkLists[std::size_t(k)]->setCurrentIndex(ByteToListIndex(
            m_image[std::size_t(kLinkActionOffset + k)], int(kLinkActionTexts.size())));
}

} // namespace keyloom
