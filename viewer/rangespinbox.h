#ifndef RANGESPINBOX_H
#define RANGESPINBOX_H

#include <QDoubleSpinBox>
#include <QSpinBox>
#include <QString>

// Texts of the answers to a typed value, shared by the spin boxes and the node editor.
// "<typed> is outside <minimum> ~ <maximum>: clamped to <bound>"
QString clampedEntryText(const QString& typed, const QString& minimum, const QString& maximum,
                         const QString& bound);
// "\"<typed>\" is not <what>: <outcome>", or "no value typed: <outcome>"
QString refusedEntryText(const QString& typed, const QString& what, const QString& outcome);

// Spin boxes that let a number outside their range be typed and clamp it when it is committed
// (Return, Enter or focus lost), saying so through entryAdjusted; text that is no number is
// refused the same way and the value shown before is kept. Qt's own spin boxes drop every
// keystroke that would leave the range, so 500 typed into 1..100 silently became 50.
class RangeSpinBox : public QSpinBox
{
    Q_OBJECT

public:
    using QSpinBox::QSpinBox;
    QValidator::State validate(QString& input, int& pos) const override;

signals:
    void entryAdjusted(const QString& message);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void settleTypedText();
};

class RangeDoubleSpinBox : public QDoubleSpinBox
{
    Q_OBJECT

public:
    using QDoubleSpinBox::QDoubleSpinBox;
    QValidator::State validate(QString& input, int& pos) const override;

signals:
    void entryAdjusted(const QString& message);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void settleTypedText();
};

#endif // RANGESPINBOX_H
