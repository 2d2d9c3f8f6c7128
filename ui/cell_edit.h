#pragma once

#include <QLineEdit>

namespace keyloom {

// One cell of the byte grid: two characters at most, blue text, a flat
// one-pixel border (red while its text is no byte), and an edited mark that
// tells the commit which cells the user changed since the last refresh.
class CellEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CellEdit(QWidget* parent = nullptr);

    bool isEdited() const { return m_edited; }
    bool isInvalid() const { return m_invalid; }
    void setInvalid(bool invalid, const QString& why = {});

    // Shows a byte's text (and what it stands for, when the text alone does not
    // say it); clears the edited and invalid marks.
    void showRefreshed(const QString& text, const QString& tip = {});

signals:
    // The user changed the text (never a refresh).
    void userEdited(CellEdit* cell);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_edited = false;
    bool m_invalid = false;
};

} // namespace keyloom
