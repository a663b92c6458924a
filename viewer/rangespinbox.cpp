#include "rangespinbox.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <cmath>

QString clampedEntryText(const QString& typed, const QString& minimum, const QString& maximum,
                         const QString& bound)
{
    return QStringLiteral("%1 is outside %2 ~ %3: clamped to %4")
        .arg(typed, minimum, maximum, bound);
}

QString refusedEntryText(const QString& typed, const QString& what, const QString& outcome)
{
    if (typed.trimmed().isEmpty())
        return QStringLiteral("no value typed: %1").arg(outcome);
    return QStringLiteral("\"%1\" is not %2: %3").arg(typed, what, outcome);
}

namespace {
bool parseNumber(const QLocale& locale, const QString& text, qlonglong* value)
{
    bool ok = false;
    *value = locale.toLongLong(text, &ok);
    return ok;
}

bool parseNumber(const QLocale& locale, const QString& text, double* value)
{
    bool ok = false;
    *value = locale.toDouble(text, &ok);
    return ok && std::isfinite(*value);
}

// The number in a candidate text, without the box's prefix, suffix and blanks.
template <class Number, class Box> bool typedNumber(const Box* box, QString text, Number* value)
{
    if (!box->prefix().isEmpty() && text.startsWith(box->prefix()))
        text.remove(0, box->prefix().size());
    if (!box->suffix().isEmpty() && text.endsWith(box->suffix()))
        text.chop(box->suffix().size());
    return parseNumber(box->locale(), text.trimmed(), value);
}

// A number outside the range may be typed (it is clamped when committed); anything else the
// box itself refuses stays refused.
template <class Number, class Box>
QValidator::State widened(const Box* box, QValidator::State state, const QString& input)
{
    Number v = 0;
    if (state == QValidator::Invalid && typedNumber(box, input, &v) &&
        (v < box->minimum() || v > box->maximum()))
        return QValidator::Intermediate;
    return state;
}

// Commits what was typed: a number out of range is replaced by the bound it passed, a text
// that is no number is left to the box, which shows the value it had. Each says why.
// text(n) is the box's text of n, show(n) puts n into its field.
template <class Number, class Box, class Text, class Show, class Say>
void settle(Box* box, Text text, Show show, Say say)
{
    const QString typed = box->cleanText();
    const QString shown = text(box->value());
    if (typed == shown)
        return; // nothing typed since the value was shown
    Number v = 0;
    if (!typedNumber(box, typed, &v)) {
        say(refusedEntryText(typed, QStringLiteral("a number"),
                             QStringLiteral("%1 kept").arg(shown)));
        return;
    }
    if (v >= box->minimum() && v <= box->maximum())
        return;
    const auto bound = v > box->maximum() ? box->maximum() : box->minimum();
    show(bound);
    say(clampedEntryText(typed, text(box->minimum()), text(box->maximum()), text(bound)));
}

bool commits(const QKeyEvent* event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}
} // namespace

QValidator::State RangeSpinBox::validate(QString& input, int& pos) const
{
    return widened<qlonglong>(this, QSpinBox::validate(input, pos), input);
}

void RangeSpinBox::settleTypedText()
{
    settle<qlonglong>(
        this, [this](int v) { return textFromValue(v); },
        [this](int v) { lineEdit()->setText(prefix() + textFromValue(v) + suffix()); },
        [this](const QString& message) { emit entryAdjusted(message); });
}

void RangeSpinBox::keyPressEvent(QKeyEvent* event)
{
    if (commits(event))
        settleTypedText();
    QSpinBox::keyPressEvent(event);
}

void RangeSpinBox::focusOutEvent(QFocusEvent* event)
{
    settleTypedText();
    QSpinBox::focusOutEvent(event);
}

QValidator::State RangeDoubleSpinBox::validate(QString& input, int& pos) const
{
    return widened<double>(this, QDoubleSpinBox::validate(input, pos), input);
}

void RangeDoubleSpinBox::settleTypedText()
{
    settle<double>(
        this, [this](double v) { return textFromValue(v); },
        [this](double v) { lineEdit()->setText(prefix() + textFromValue(v) + suffix()); },
        [this](const QString& message) { emit entryAdjusted(message); });
}

void RangeDoubleSpinBox::keyPressEvent(QKeyEvent* event)
{
    if (commits(event))
        settleTypedText();
    QDoubleSpinBox::keyPressEvent(event);
}

void RangeDoubleSpinBox::focusOutEvent(QFocusEvent* event)
{
    settleTypedText();
    QDoubleSpinBox::focusOutEvent(event);
}
