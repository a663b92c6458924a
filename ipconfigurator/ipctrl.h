#pragma once

#include <QFrame>

class QLineEdit;

// Editor for one IPv4 address: four single-octet line edits separated by dots, with keys
// that move between the octets the way one types an address.
class IPCtrl : public QFrame
{
    Q_OBJECT

public:
    explicit IPCtrl(QWidget* parent = nullptr);

    void MoveNextLineEdit(int i);
    void MovePrevLineEdit(int i);

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
};
