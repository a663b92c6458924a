#include "qlonglongspinbox.h"

#include <QLineEdit>

#include "rangespinbox.h"

#include <limits>

QLongLongSpinBox::QLongLongSpinBox(QWidget* parent) : QAbstractSpinBox(parent)
{
    connect(lineEdit(), &QLineEdit::returnPressed, this, &QLongLongSpinBox::onReturnPressed);
}

void QLongLongSpinBox::setMinimum(qlonglong min)
{
    m_minimum = min;
}

void QLongLongSpinBox::setMaximum(qlonglong max)
{
    m_maximum = max;
}

void QLongLongSpinBox::setRange(qlonglong min, qlonglong max)
{
    setMinimum(min);
    setMaximum(max);
}

void QLongLongSpinBox::setSingleStep(int step)
{
    m_singleStep = step;
}

qlonglong QLongLongSpinBox::valueFromText(const QString& text) const
{
    bool ok = false;
    const qlonglong v = text.toLongLong(&ok, 10);
    return ok ? v : 0;
}

QString QLongLongSpinBox::textFromValue(qlonglong value) const
{
    return QString::number(value, 10);
}

void QLongLongSpinBox::setValue(qlonglong value)
{
    if (value == m_value)
        return;
    lineEdit()->setText(textFromValue(value));
    m_value = value;
    emit valueChanged(value);
}

// Acceptable inside the range; a number outside it, or a field still empty (or holding only
// the minus sign of a range that allows negatives), may stand while typing.
QValidator::State QLongLongSpinBox::validate(QString& input, int& /*pos*/) const
{
    bool ok = false;
    const qlonglong v = input.toLongLong(&ok, 10);
    if (!ok) {
        const bool start = input.isEmpty() || (input == QLatin1String("-") && m_minimum < 0);
        return start ? QValidator::Intermediate : QValidator::Invalid;
    }
    return v >= m_minimum && v <= m_maximum ? QValidator::Acceptable : QValidator::Intermediate;
}

void QLongLongSpinBox::onReturnPressed()
{
    const QString typed = lineEdit()->text();
    bool ok = false;
    const qlonglong v = typed.toLongLong(&ok, 10);
    if (!ok) {
        lineEdit()->setText(textFromValue(m_value));
        emit entryAdjusted(refusedEntryText(typed, QStringLiteral("a number"),
                                            QStringLiteral("%1 kept").arg(textFromValue(m_value))));
        return;
    }
    const qlonglong bounded = qBound(m_minimum, v, m_maximum);
    lineEdit()->setText(textFromValue(bounded));
    setValue(bounded);
    if (bounded != v)
        emit entryAdjusted(clampedEntryText(typed, textFromValue(m_minimum),
                                            textFromValue(m_maximum), textFromValue(bounded)));
}

void QLongLongSpinBox::stepBy(int steps)
{
    // The product of an int and an int always fits in 64 bits; only the sum can overflow,
    // and it saturates at the ends of the range instead of wrapping.
    const qlonglong delta = qlonglong(steps) * qlonglong(m_singleStep);
    qlonglong next = m_value;
    if (__builtin_add_overflow(m_value, delta, &next))
        next = delta < 0 ? std::numeric_limits<qlonglong>::min()
                         : std::numeric_limits<qlonglong>::max();
    lineEdit()->setText(textFromValue(next));
    setValue(next);
}

QAbstractSpinBox::StepEnabled QLongLongSpinBox::stepEnabled() const
{
    return StepUpEnabled | StepDownEnabled;
}
