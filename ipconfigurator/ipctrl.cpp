#include "ipctrl.h"

#include <QClipboard>
#include <QEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRegularExpressionValidator>

namespace {

const char* const kOctetPattern = "^(0|[1-9]|[1-9][0-9]|1[0-9][0-9]|2([0-4][0-9]|5[0-5]))$";
constexpr int kOctets = 4;

// The four octets of "a.b.c.d", each 0 to 255; empty when the text is no address.
QStringList octetsOf(const QString& text)
{
    static const QRegularExpression address(
        QStringLiteral("^\\s*(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})\\s*$"));
    const QRegularExpressionMatch match = address.match(text);
    if (!match.hasMatch()) {
        return {};
    }
    QStringList octets;
    for (int i = 1; i <= kOctets; ++i) {
        const uint value = match.captured(i).toUInt();
        if (value > 255) {
            return {};
        }
        octets << QString::number(value);
    }
    return octets;
}

// The octet rule of a single edit, and one more: an edit that would take a whole address
// (pasted, dropped) refuses it and hands it to the editor, which fills all four octets.
class OctetValidator : public QRegularExpressionValidator
{
public:
    OctetValidator(IPCtrl* editor, QObject* parent)
        : QRegularExpressionValidator(QRegularExpression(QString::fromLatin1(kOctetPattern)),
                                      parent),
          m_editor(editor)
    {}

    State validate(QString& input, int& pos) const override
    {
        const State state = QRegularExpressionValidator::validate(input, pos);
        if (state == Invalid) {
            handOverAddress(input);
        }
        return state;
    }

private:
    // The new text holds the old one around what was inserted: an address from the clipboard
    // (what was pasted), else the whole text (what was dropped onto a selected octet).
    void handOverAddress(const QString& input) const
    {
        const QClipboard* clipboard = QGuiApplication::clipboard();
        for (const QString& candidate : {clipboard->text(QClipboard::Clipboard),
                                         clipboard->text(QClipboard::Selection), input}) {
            if (!octetsOf(candidate).isEmpty() && input.contains(candidate.trimmed())) {
                // After the edit has thrown the refused text away.
                QPointer<IPCtrl> editor = m_editor;
                QMetaObject::invokeMethod(
                    m_editor, [editor, candidate] { editor->fillAddress(candidate); },
                    Qt::QueuedConnection);
                return;
            }
        }
    }

    IPCtrl* m_editor;
};

bool isDigitKey(int key)
{
    return key >= Qt::Key_0 && key <= Qt::Key_9;
}

bool isSeparatorKey(int key)
{
    return key == Qt::Key_Period || key == Qt::Key_Comma;
}

} // namespace

IPCtrl::IPCtrl(QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    for (int i = 0; i < kOctets; ++i) {
        auto* edit = new QLineEdit(this);
        m_lineEdit[i] = edit;
        edit->installEventFilter(this);
        layout->addWidget(edit, 1);
        edit->setFrame(false);
        edit->setAlignment(Qt::AlignCenter);

        QFont font = edit->font();
        font.setStyleHint(QFont::Monospace, QFont::PreferDevice);
        font.setFixedPitch(true);
        edit->setFont(font);

        edit->setValidator(new OctetValidator(this, edit));

        if (i != kOctets - 1) {
            auto* dot = new QLabel(QStringLiteral("."), this);
            dot->setStyleSheet(QStringLiteral("background: white"));
            layout->addWidget(dot, 0);
        }
    }
    setMaximumWidth(120);

    // Queued, so the slot sees the edit after the key has been applied to it.
    connect(this, &IPCtrl::signalTextChanged, this, &IPCtrl::slotTextChanged, Qt::QueuedConnection);
}

int IPCtrl::indexOf(QObject* obj) const
{
    for (int i = 0; i < kOctets; ++i) {
        if (m_lineEdit[i] == obj) {
            return i;
        }
    }
    return -1;
}

bool IPCtrl::fillAddress(const QString& dotted)
{
    const QStringList octets = octetsOf(dotted);
    if (octets.isEmpty()) {
        return false;
    }
    for (int i = 0; i < kOctets; ++i) {
        m_lineEdit[i]->setText(octets[i]);
    }
    QLineEdit* last = m_lineEdit[kOctets - 1];
    last->setFocus(Qt::OtherFocusReason);
    last->setCursorPosition(last->text().size());
    m_wholeSelected = false;
    return true;
}

void IPCtrl::startTyping()
{
    m_typed.clear();
    m_advancedTo = -1;
    m_wholeSelected = false;
}

void IPCtrl::typedSeparator()
{
    if (!m_typed.isEmpty() && !m_typed.endsWith(QLatin1Char('.'))) {
        m_typed += QLatin1Char('.');
    }
}

// The focus moved on by itself after a complete octet: that counts as the dot typed.
void IPCtrl::advancedTo(int i)
{
    m_advancedTo = i;
    typedSeparator();
}

void IPCtrl::selectWholeAddress()
{
    m_lineEdit[0]->setFocus(Qt::OtherFocusReason);
    for (QLineEdit* edit : m_lineEdit) {
        edit->selectAll();
    }
    startTyping();
    m_wholeSelected = true;
}

bool IPCtrl::eventFilter(QObject* obj, QEvent* event)
{
    // Keys reach the edit as well unless noted; the validator refuses what does not fit.
    const bool result = QFrame::eventFilter(obj, event);
    const int i = indexOf(obj);
    if (i < 0) {
        return result;
    }
    QLineEdit* edit = m_lineEdit[i];
    switch (event->type()) {
    case QEvent::FocusIn: {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::OtherFocusReason) { // the user came in, not a move between octets
            startTyping();
        }
        edit->selectAll();
        m_clickFocused = reason == Qt::MouseFocusReason;
        return result;
    }
    case QEvent::MouseButtonPress:
        if (m_clickFocused) {
            m_clickFocused = false;
            return true; // keep the selection the focus made
        }
        startTyping();
        return result;
    case QEvent::KeyPress:
        return keyPressed(i, static_cast<QKeyEvent*>(event)) || result;
    default:
        return result;
    }
}

bool IPCtrl::keyPressed(int i, QKeyEvent* keyEvent)
{
    QLineEdit* edit = m_lineEdit[i];
    if (keyEvent->matches(QKeySequence::SelectAll)) {
        selectWholeAddress();
        return true;
    }
    const int key = keyEvent->key();
    const bool digit = isDigitKey(key);
    const bool separator = isSeparatorKey(key);
    const bool justAdvanced = m_advancedTo == i;
    m_advancedTo = -1;

    if (m_wholeSelected) {
        m_wholeSelected = false;
        const bool erase = key == Qt::Key_Backspace || key == Qt::Key_Delete;
        if (digit || separator || erase) {
            for (int k = 1; k < kOctets; ++k) {
                m_lineEdit[k]->clear();
            }
            if (!digit) { // the selected first octet goes too; a digit replaces it
                edit->clear();
                return true;
            }
        } else {
            for (QLineEdit* other : m_lineEdit) {
                if (other != edit) {
                    other->deselect();
                }
            }
        }
    }

    if (digit) {
        m_typed += QChar(key);
        if (fillAddress(m_typed)) {
            return true;
        }
    } else if (separator) {
        typedSeparator();
    } else {
        m_typed.clear();
    }

    const bool atEnd = edit->cursorPosition() == edit->text().size();
    switch (key) {
    case Qt::Key_0:
        if (edit->text().isEmpty() || edit->text() == QLatin1String("0")) {
            edit->setText(QStringLiteral("0"));
            MoveNextLineEdit(i);
            if (i < kOctets - 1) {
                advancedTo(i + 1);
            }
        }
        emit signalTextChanged(edit);
        break;
    case Qt::Key_Period:
    case Qt::Key_Comma:
        if (!justAdvanced) {
            MoveNextLineEdit(i);
        }
        break;
    case Qt::Key_Left:
        if (edit->cursorPosition() == 0) {
            MovePrevLineEdit(i);
        }
        break;
    case Qt::Key_Right:
        if (edit->text().isEmpty() || atEnd) {
            MoveNextLineEdit(i);
        }
        break;
    case Qt::Key_Backspace:
        if (edit->text().isEmpty() || edit->cursorPosition() == 0) {
            MovePrevLineEdit(i);
        }
        break;
    default:
        emit signalTextChanged(edit);
        break;
    }
    return false;
}

void IPCtrl::slotTextChanged(QLineEdit* pEdit)
{
    const int i = indexOf(pEdit);
    if (i < 0 || i == kOctets - 1) {
        return;
    }
    const QString text = pEdit->text();
    const bool complete = text.size() == 3 && pEdit->cursorPosition() == text.size();
    if (complete || text == QLatin1String("0")) {
        QLineEdit* next = m_lineEdit[i + 1];
        next->setFocus(Qt::OtherFocusReason);
        next->selectAll();
        advancedTo(i + 1);
    }
}

void IPCtrl::MoveNextLineEdit(int i)
{
    if (i < 0 || i >= kOctets - 1) {
        return;
    }
    QLineEdit* next = m_lineEdit[i + 1];
    next->setFocus(Qt::OtherFocusReason);
    next->setCursorPosition(0);
    next->selectAll();
}

void IPCtrl::MovePrevLineEdit(int i)
{
    if (i <= 0 || i >= kOctets) {
        return;
    }
    QLineEdit* prev = m_lineEdit[i - 1];
    prev->setFocus(Qt::OtherFocusReason);
    prev->setCursorPosition(prev->text().size());
}
