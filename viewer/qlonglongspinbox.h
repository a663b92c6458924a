#ifndef QLONGLONGSPINBOX_H
#define QLONGLONGSPINBOX_H

#include <QAbstractSpinBox>

// A spin box holding a signed 64-bit value. Typed text is committed only on Return or Enter;
// a number outside minimum and maximum may be typed and is clamped when committed, and text
// that is no number is refused: both are said through entryAdjusted. Steps are not limited to
// the range and saturate at the ends of the 64-bit range.
class QLongLongSpinBox : public QAbstractSpinBox
{
    Q_OBJECT
    Q_PROPERTY(qlonglong minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(qlonglong maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(qlonglong value READ value WRITE setValue NOTIFY valueChanged USER true)

public:
    explicit QLongLongSpinBox(QWidget* parent = nullptr);

    qlonglong value() const { return m_value; }
    qlonglong minimum() const { return m_minimum; }
    qlonglong maximum() const { return m_maximum; }
    int singleStep() const { return m_singleStep; }

    void setMinimum(qlonglong min);
    void setMaximum(qlonglong max);
    void setRange(qlonglong min, qlonglong max);

    QValidator::State validate(QString& input, int& pos) const override;
    void stepBy(int steps) override;

public slots:
    virtual void setSingleStep(int step);
    virtual qlonglong valueFromText(const QString& text) const;
    virtual QString textFromValue(qlonglong value) const;
    void setValue(qlonglong value);
    void onReturnPressed();

signals:
    void valueChanged(qlonglong value);
    void entryAdjusted(const QString& message);

protected:
    StepEnabled stepEnabled() const override;

private:
    qlonglong m_minimum = 0;
    qlonglong m_maximum = 99;
    qlonglong m_value = 0;
    int m_singleStep = 1;
};

#endif // QLONGLONGSPINBOX_H
