// The address editor's keys and the progress dialog, offscreen.
#include "ipctrl.h"
#include "progressdlg.h"

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QtTest>

class IPCtrlTest : public QObject
{
    Q_OBJECT

private:
    IPCtrl* m_ctrl = nullptr;

    QLineEdit* octet(int i) const { return m_ctrl->m_lineEdit[i]; }

    // Types keys into whatever has the focus, as a user would, and lets the queued
    // completion run after each key.
    void type(std::initializer_list<Qt::Key> keys)
    {
        for (Qt::Key key : keys) {
            QWidget* target = QApplication::focusWidget();
            QVERIFY(target);
            QTest::keyClick(target, key);
            QCoreApplication::processEvents();
        }
    }

    void typeText(const QString& text)
    {
        for (QChar c : text) {
            QWidget* target = QApplication::focusWidget();
            QVERIFY(target);
            QTest::keyClick(target, c.toLatin1());
            QCoreApplication::processEvents();
        }
    }

    void setOctets(const QString& dotted)
    {
        const QStringList octets = dotted.split('.');
        for (int i = 0; i < 4; ++i) {
            octet(i)->setText(octets[i]);
        }
    }

    QString address() const
    {
        QStringList octets;
        for (int i = 0; i < 4; ++i) {
            octets << octet(i)->text();
        }
        return octets.join('.');
    }

    void focusOctet(int i, int cursor)
    {
        octet(i)->setFocus(Qt::OtherFocusReason);
        octet(i)->deselect();
        octet(i)->setCursorPosition(cursor);
        QCOMPARE(QApplication::focusWidget(), octet(i));
    }

private slots:
    void init()
    {
        m_ctrl = new IPCtrl(nullptr);
        m_ctrl->show();
        QApplication::setActiveWindow(m_ctrl);
        QVERIFY(QTest::qWaitForWindowActive(m_ctrl));
    }

    void cleanup()
    {
        delete m_ctrl;
        m_ctrl = nullptr;
    }

    void buildsFourOctetsWithDots()
    {
        QCOMPARE(m_ctrl->findChildren<QLineEdit*>().size(), 4);
        const QList<QLabel*> dots = m_ctrl->findChildren<QLabel*>();
        QCOMPARE(dots.size(), 3);
        for (QLabel* dot : dots) {
            QCOMPARE(dot->text(), QString("."));
        }
        QCOMPARE(m_ctrl->maximumWidth(), 120);
        for (int i = 0; i < 4; ++i) {
            QVERIFY(!octet(i)->hasFrame());
            QCOMPARE(octet(i)->alignment(), Qt::AlignCenter);
        }
    }

    void threeDigitsMoveToNextOctetWithItsTextSelected()
    {
        octet(1)->setText("168");
        focusOctet(0, 0);
        type({Qt::Key_1, Qt::Key_9, Qt::Key_2});
        QCOMPARE(octet(0)->text(), QString("192"));
        QCOMPARE(QApplication::focusWidget(), octet(1));
        QCOMPARE(octet(1)->selectedText(), QString("168"));
    }

    void zeroCompletesAnOctetAtOnce()
    {
        focusOctet(1, 0);
        type({Qt::Key_0});
        QCOMPARE(octet(1)->text(), QString("0"));
        QCOMPARE(QApplication::focusWidget(), octet(2));
        // A second 0 cannot follow a 0 in the last octet, which keeps the focus.
        focusOctet(3, 0);
        type({Qt::Key_0, Qt::Key_0});
        QCOMPARE(octet(3)->text(), QString("0"));
        QCOMPARE(QApplication::focusWidget(), octet(3));
    }

    void valuesAboveTwoFiftyFiveAndLeadingZerosAreRefused()
    {
        focusOctet(0, 0);
        type({Qt::Key_2, Qt::Key_5, Qt::Key_6});
        QCOMPARE(octet(0)->text(), QString("25"));
        QCOMPARE(QApplication::focusWidget(), octet(0));

        focusOctet(3, 0);
        type({Qt::Key_0, Qt::Key_7});
        QCOMPARE(octet(3)->text(), QString("0"));
    }

    void dotAndCommaMoveOnExceptFromTheLastOctet()
    {
        octet(2)->setText("1");
        focusOctet(2, 1);
        type({Qt::Key_Period});
        QCOMPARE(QApplication::focusWidget(), octet(3));
        QCOMPARE(octet(2)->text(), QString("1"));
        type({Qt::Key_Period});
        QCOMPARE(QApplication::focusWidget(), octet(3));
        QCOMPARE(octet(3)->text(), QString());

        focusOctet(0, 0);
        type({Qt::Key_Comma});
        QCOMPARE(QApplication::focusWidget(), octet(1));
    }

    void backspaceAndLeftAtTheStartGoBackToTheEndOfThePreviousOctet()
    {
        octet(1)->setText("168");
        octet(2)->setText("1");
        focusOctet(2, 0);
        type({Qt::Key_Backspace});
        QCOMPARE(QApplication::focusWidget(), octet(1));
        QCOMPARE(octet(1)->cursorPosition(), 3);
        QVERIFY(!octet(1)->hasSelectedText());
        QCOMPARE(octet(2)->text(), QString("1"));

        focusOctet(1, 0);
        type({Qt::Key_Left});
        QCOMPARE(QApplication::focusWidget(), octet(0));

        // Backspace inside an octet only deletes.
        focusOctet(1, 3);
        type({Qt::Key_Backspace});
        QCOMPARE(octet(1)->text(), QString("16"));
        QCOMPARE(QApplication::focusWidget(), octet(1));

        focusOctet(0, 0);
        type({Qt::Key_Backspace});
        QCOMPARE(QApplication::focusWidget(), octet(0));
    }

    void rightArrowAtTheEndMovesOnButNotPastTheLastOctet()
    {
        octet(0)->setText("10");
        focusOctet(0, 2);
        type({Qt::Key_Right});
        QCOMPARE(QApplication::focusWidget(), octet(1));

        octet(3)->setText("7");
        focusOctet(3, 1);
        type({Qt::Key_Right});
        QCOMPARE(QApplication::focusWidget(), octet(3));

        focusOctet(0, 0);
        type({Qt::Key_Right});
        QCOMPARE(QApplication::focusWidget(), octet(0));
    }

    // The octet clicked first (-1: Ctrl+A in octet 2), then a whole address typed.
    void typingAWholeAddressReplacesTheOldOne_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("clicked");
        QTest::addColumn<QString>("typed");
        QTest::newRow("into octet 0") << "0.0.0.0" << 0 << "192.168.1.50";
        QTest::newRow("a mask") << "0.0.0.0" << 0 << "255.255.255.0";
        QTest::newRow("into octet 2") << "0.0.0.0" << 2 << "192.168.1.50";
        QTest::newRow("after Ctrl+A") << "192.168.1.50" << -1 << "10.0.0.5";
    }

    void typingAWholeAddressReplacesTheOldOne()
    {
        QFETCH(QString, before);
        QFETCH(int, clicked);
        QFETCH(QString, typed);
        setOctets(before);
        if (clicked >= 0) {
            focusOctet(clicked == 0 ? 3 : 0, 0); // the click brings the focus
            QTest::mouseClick(octet(clicked), Qt::LeftButton, Qt::NoModifier, QPoint(2, 5));
            QCOMPARE(octet(clicked)->selectedText(), octet(clicked)->text());
        } else {
            focusOctet(2, 1);
            QTest::keyClick(octet(2), Qt::Key_A, Qt::ControlModifier);
        }
        typeText(typed);
        QCOMPARE(address(), typed);
    }

    void pastingAnAddressFillsAllOctets()
    {
        setOctets("0.0.0.0");
        QGuiApplication::clipboard()->setText("192.168.1.50 ");
        QTest::mouseClick(octet(1), Qt::LeftButton);
        QTest::keyClick(octet(1), Qt::Key_V, Qt::ControlModifier);
        QTRY_COMPARE(address(), QString("192.168.1.50"));
        // Also with the cursor inside an octet's text.
        QGuiApplication::clipboard()->setText("10.0.0.7");
        focusOctet(2, 1);
        QTest::keyClick(octet(2), Qt::Key_V, Qt::ControlModifier);
        QTRY_COMPARE(address(), QString("10.0.0.7"));
    }

    void typesAWholeAddress()
    {
        focusOctet(0, 0);
        type({Qt::Key_1, Qt::Key_9, Qt::Key_2, Qt::Key_1, Qt::Key_6, Qt::Key_8, Qt::Key_1,
              Qt::Key_Period, Qt::Key_1, Qt::Key_0});
        QCOMPARE(octet(0)->text() + "." + octet(1)->text() + "." + octet(2)->text() + "." +
                     octet(3)->text(),
                 QString("192.168.1.10"));
    }
};

class ProgressDlgTest : public QObject
{
    Q_OBJECT

private slots:
    void escapeDoesNotCloseIt()
    {
        QWidget window;
        window.show();
        progressdlg dlg(&window);
        QCOMPARE(dlg.objectName(), QString("progressdlg"));
        QCOMPARE(dlg.size(), QSize(240, 50));
        QVERIFY(dlg.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(dlg.windowModality(), Qt::WindowModal);

        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QCoreApplication::processEvents();
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.result(), 0);
    }

    void showsLabelAndProgress()
    {
        progressdlg dlg(nullptr);
        auto* label = dlg.findChild<QLabel*>("label");
        auto* bar = dlg.findChild<QProgressBar*>("progressBar");
        QVERIFY(label && bar);
        QVERIFY(!bar->isTextVisible());
        QCOMPARE(bar->value(), 0);
        dlg.SetLabelText("Searching GigE Camera.......");
        dlg.SetMaxValue(100);
        dlg.SetProgress(40);
        QCOMPARE(label->text(), QString("Searching GigE Camera......."));
        QCOMPARE(bar->maximum(), 100);
        QCOMPARE(bar->value(), 40);
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    IPCtrlTest ipctrl;
    ProgressDlgTest progress;
    return QTest::qExec(&ipctrl, argc, argv) | QTest::qExec(&progress, argc, argv);
}

#include "tst_ipctrl.moc"
