#pragma once

#include <QFrame>
#include <QString>

#include <cstdint>

class QKeyEvent;
class QLineEdit;

// Editor for one IPv4 address: four single-octet line edits separated by dots, with keys
// that move between the octets the way one types an address. Focusing an octet selects its
// text, so typing replaces it; a whole dotted address typed or pasted into any octet fills all
// four; Ctrl+A selects the whole address.
class IPCtrl : public QFrame
{
    Q_OBJECT

public:
    explicit IPCtrl(QWidget* parent = nullptr);

    void MoveNextLineEdit(int i);
    void MovePrevLineEdit(int i);
    // Fills all four octets from "a.b.c.d" (surrounding blanks allowed) and leaves the cursor
    // at the end of the last one. False, and nothing changed, when the text is no address.
    bool fillAddress(const QString& dotted);

    // Octet 0 is the leftmost one; the window reads and writes the octet texts directly.
    QLineEdit* m_lineEdit[4];

signals:
    void signalTextChanged(QLineEdit* pEdit);

public slots:
    void slotTextChanged(QLineEdit* pEdit);

protected:
    bool eventFilter(QObject* obj, QEvent* event) override;

private:
    int indexOf(QObject* obj) const;
    // Handles a key for octet i; true when the key must not reach the edit.
    bool keyPressed(int i, QKeyEvent* key);
    void selectWholeAddress();
    void startTyping();
    void typedSeparator();
    void advancedTo(int i);

    QString m_typed;              // digits and dots typed since the user came into the editor
    int m_advancedTo = -1;        // octet the focus just moved to by itself: a dot there is spent
    bool m_wholeSelected = false; // Ctrl+A: the next key replaces the whole address
    bool m_clickFocused = false;  // the press that focused an octet keeps its text selected
};
