#include "windowdriver.h"

#include "ipaddress.h"
#include "ipctrl.h"
#include "progressdlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

WindowDriver::WindowDriver() : m_window(std::make_unique<Widget>())
{
    // The task started by the constructor reports through queued calls, so nothing is missed.
    auto* bar = m_window->progressDialog()->findChild<QProgressBar*>(QStringLiteral("progressBar"));
    connect(bar, &QProgressBar::valueChanged, this, [this](int value) {
        if (value != 0) {
            m_progress.append(value);
        }
    });
    connect(&m_boxTimer, &QTimer::timeout, this, &WindowDriver::answerBoxes);
    m_boxTimer.start(30);
    m_window->show();
}

WindowDriver::~WindowDriver()
{
    waitIdle();
}

void WindowDriver::answerBoxes()
{
    for (QWidget* top : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(top);
        if (!box || !box->isVisible()) {
            continue;
        }
        m_boxes.append(box->windowTitle() + QStringLiteral(": ") + box->text().section('\n', 0, 0));
        m_boxTexts.append(box->text());
        QAbstractButton* answer = box->button(QMessageBox::Ok);
        if (box->button(QMessageBox::Yes)) {
            answer =
                box->button(m_nextAnswers.isEmpty() ? QMessageBox::Yes : m_nextAnswers.takeFirst());
        }
        answer->click();
    }
}

bool WindowDriver::waitIdle(int timeoutMs)
{
    return waitUntilIdle(timeoutMs, [](bool) {});
}

bool WindowDriver::busy() const
{
    return m_window->progressDialog()->isVisible();
}

bool WindowDriver::dialogShownWhile(const std::function<bool()>& happened, int timeoutMs)
{
    bool seen = false;
    const bool idle =
        waitUntilIdle(timeoutMs, [&](bool shown) { seen = seen || (shown && happened()); });
    return idle && seen;
}

bool WindowDriver::waitUntilIdle(int timeoutMs, const std::function<void(bool shown)>& eachRound)
{
    QElapsedTimer timer;
    timer.start();
    // Finishing slots show the dialog again for their own steps, so idle must hold a moment.
    int idleRounds = 0;
    while (timer.elapsed() < timeoutMs) {
        QTest::qWait(20);
        const bool shown = busy();
        eachRound(shown);
        idleRounds = shown ? 0 : idleRounds + 1;
        if (idleRounds >= 10) {
            return true;
        }
    }
    return false;
}

QTreeWidget* WindowDriver::tree() const
{
    return child<QTreeWidget>("treeWidget");
}

QStringList WindowDriver::rootTexts() const
{
    QStringList texts;
    for (int i = 0; i < tree()->topLevelItemCount(); ++i) {
        texts << tree()->topLevelItem(i)->text(0);
    }
    return texts;
}

QStringList WindowDriver::cameraTexts(int root) const
{
    QStringList texts;
    QTreeWidgetItem* item = tree()->topLevelItem(root);
    for (int i = 0; item && i < item->childCount(); ++i) {
        texts << item->child(i)->text(0);
    }
    return texts;
}

QTreeWidgetItem* WindowDriver::root(int i) const
{
    return tree()->topLevelItem(i);
}

QTreeWidgetItem* WindowDriver::cameraRow(int root, const QString& ipText) const
{
    QTreeWidgetItem* item = tree()->topLevelItem(root);
    for (int i = 0; item && i < item->childCount(); ++i) {
        if (item->child(i)->text(0).startsWith(ipText + QLatin1Char('-'))) {
            return item->child(i);
        }
    }
    return nullptr;
}

bool WindowDriver::panelReading() const
{
    return text("label_2") == QStringLiteral("Reading\u2026");
}

void WindowDriver::clickRow(QTreeWidgetItem* item, int column, bool waitForPanel)
{
    QVERIFY(item);
    QTreeWidget* view = tree();
    view->scrollToItem(item);
    const QHeaderView* header = view->header();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                    view->visualItemRect(item).center().y());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    if (waitForPanel && item->parent()) {
        QTRY_VERIFY_WITH_TIMEOUT(!panelReading(), 5000);
    }
}

void WindowDriver::clickButton(const char* name)
{
    auto* button = child<QAbstractButton>(name);
    QVERIFY(button && button->isEnabled() && button->isVisible());
    QTest::mouseClick(button, Qt::LeftButton);
}

QString WindowDriver::text(const char* name) const
{
    if (auto* label = child<QLabel>(name)) {
        return label->text();
    }
    if (auto* edit = child<QLineEdit>(name)) {
        return edit->text();
    }
    return QStringLiteral("<no %1>").arg(QString::fromLatin1(name));
}

void WindowDriver::setText(const char* edit, const QString& text)
{
    auto* line = child<QLineEdit>(edit);
    QVERIFY(line && line->isEnabled());
    line->setText(text);
}

QString WindowDriver::styleOf(const char* name) const
{
    return child<QWidget>(name)->styleSheet();
}

bool WindowDriver::enabled(const char* name) const
{
    return child<QWidget>(name)->isEnabled();
}

bool WindowDriver::shown(const char* name) const
{
    return !child<QWidget>(name)->isHidden();
}

bool WindowDriver::checked(const char* checkBox) const
{
    return child<QAbstractButton>(checkBox)->isChecked();
}

void WindowDriver::clickCheckBox(const char* name)
{
    clickButton(name);
}

QString WindowDriver::address(const char* editor) const
{
    QStringList octets;
    for (const QLineEdit* edit : child<IPCtrl>(editor)->m_lineEdit) {
        octets << edit->text();
    }
    return octets.join(QLatin1Char('.'));
}

void WindowDriver::setAddress(const char* editor, const char* dotted)
{
    setEditorAddress(child<IPCtrl>(editor),
                     QHostAddress(QString::fromLatin1(dotted)).toIPv4Address());
}

void WindowDriver::clearOctet(const char* editor, int octet)
{
    child<IPCtrl>(editor)->m_lineEdit[octet]->clear();
}
