#pragma once

#include <functional>

#include <QDialog>

class QLabel;
class QPushButton;

namespace keyloom {

// Asks whether an existing file may be replaced. "確認" runs the overwrite it was
// given and closes; "放棄" and the frame's close box close with nothing written.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    QLabel* label1() const { return m_label1; }
    QLabel* label2() const { return m_label2; }

    // What "確認" does before the dialog closes.
    void setOverwrite(std::function<void()> overwrite) { m_overwrite = std::move(overwrite); }

    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* m_label1;
    QLabel* m_label2;
    QPushButton* m_button1;
    QPushButton* m_button2;
    std::function<void()> m_overwrite;
    bool m_placed = false;
};

} // namespace keyloom
