#include "ipctrl.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace {
const char* const kOctetPattern = "^(0|[1-9]|[1-9][0-9]|1[0-9][0-9]|2([0-4][0-9]|5[0-5]))$";
constexpr int kOctets = 4;
} // namespace

IPCtrl::IPCtrl(QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    const QRegularExpression octet(QString::fromLatin1(kOctetPattern));
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

        edit->setValidator(new QRegularExpressionValidator(octet, edit));

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

bool IPCtrl::eventFilter(QObject* obj, QEvent* event)
{
    // The key always reaches the edit as well; the validator refuses what does not fit.
    const bool result = QFrame::eventFilter(obj, event);
    const int i = indexOf(obj);
    if (event->type() != QEvent::KeyPress || i < 0) {
        return result;
    }

    QLineEdit* edit = m_lineEdit[i];
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool atEnd = edit->cursorPosition() == edit->text().size();
    switch (key) {
    case Qt::Key_0:
        if (edit->text().isEmpty() || edit->text() == QLatin1String("0")) {
            edit->setText(QStringLiteral("0"));
            MoveNextLineEdit(i);
        }
        emit signalTextChanged(edit);
        break;
    case Qt::Key_Period:
    case Qt::Key_Comma:
        MoveNextLineEdit(i);
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
    return result;
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
