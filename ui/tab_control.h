#pragma once

#include <QWidget>

class QTabBar;

namespace keyloom {

// A strip of tabs over one shared area that owns no pages: every control is a
// direct child and the window decides what each tab shows.
class TabControl : public QWidget {
    Q_OBJECT
public:
    explicit TabControl(QWidget* parent = nullptr);

    void addTab(const QString& text);
    int currentIndex() const;
    void setCurrentIndex(int index);
    QTabBar* tabBar() const { return m_bar; }

signals:
    void currentChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QTabBar* m_bar;
};

} // namespace keyloom
