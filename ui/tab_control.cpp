#include "tab_control.h"

#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>
#include <QTabBar>

namespace keyloom {

TabControl::TabControl(QWidget* parent) : QWidget(parent), m_bar(new QTabBar(this)) {
    m_bar->setObjectName(QStringLiteral("TabControl1Tabs"));
    m_bar->setDrawBase(false);
    m_bar->setExpanding(false);
    connect(m_bar, &QTabBar::currentChanged, this, &TabControl::currentChanged);
}

void TabControl::addTab(const QString& text) {
    m_bar->addTab(text);
    m_bar->resize(m_bar->sizeHint());
}

int TabControl::currentIndex() const {
    return m_bar->currentIndex();
}

void TabControl::setCurrentIndex(int index) {
    m_bar->setCurrentIndex(index);
}

void TabControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_bar->resize(m_bar->sizeHint());
}

void TabControl::paintEvent(QPaintEvent*) {
    // The page frame under the strip, as a tab widget would draw it.
    QStylePainter painter(this);
    QStyleOptionTabWidgetFrame option;
    option.initFrom(this);
    const int top = m_bar->height() - 1;
    option.rect = QRect(0, top, width(), height() - top);
    option.tabBarSize = m_bar->size();
    option.shape = QTabBar::RoundedNorth;
    option.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, option);
}

} // namespace keyloom
