// QLongLongSpinBox: typed input checked keystroke by keystroke, commit on Return only with
// out-of-range numbers clamped and said, saturating steps that ignore the range.
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

#include <limits>

#include "qlonglongspinbox.h"

class TestQLongLongSpinBox : public QObject
{
    Q_OBJECT

private:
    static QLineEdit* edit(QLongLongSpinBox& box) { return box.findChild<QLineEdit*>(); }
    static void typeAtEnd(QLongLongSpinBox& box, const QString& keys)
    {
        edit(box)->end(false);
        QTest::keyClicks(edit(box), keys);
    }

private slots:
    void setValueEmitsOnlyOnChange()
    {
        QLongLongSpinBox box;
        box.setRange(0, 100);
        QSignalSpy spy(&box, &QLongLongSpinBox::valueChanged);
        box.setValue(42);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toLongLong(), 42LL);
        QCOMPARE(edit(box)->text(), QStringLiteral("42"));

        edit(box)->setText(QStringLiteral("7"));
        box.setValue(42);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(edit(box)->text(), QStringLiteral("7")); // untouched

        // No clamping: setValue and setRange leave values outside the range alone.
        box.setValue(-5);
        QCOMPARE(box.value(), -5LL);
        box.setRange(10, 20);
        QCOMPARE(box.value(), -5LL);
        QCOMPARE(edit(box)->text(), QStringLiteral("-5"));
    }

    void typedInputIsValidatedPerKeystroke()
    {
        QLongLongSpinBox box;
        box.setRange(50, 2000000);
        box.show();
        edit(box)->setText(QString());
        // Numbers on their way into the range, or beyond it, can be typed (they are clamped
        // when committed); a minus sign the range does not allow and other text cannot.
        typeAtEnd(box, QStringLiteral("9"));
        QCOMPARE(edit(box)->text(), QStringLiteral("9"));
        edit(box)->setText(QString());
        typeAtEnd(box, QStringLiteral("-x"));
        QCOMPARE(edit(box)->text(), QString());

        box.setValue(200000);
        typeAtEnd(box, QStringLiteral("01"));
        QCOMPARE(edit(box)->text(), QStringLiteral("20000001"));
        edit(box)->setText(QStringLiteral("200000"));
        typeAtEnd(box, QStringLiteral("x"));
        QCOMPARE(edit(box)->text(), QStringLiteral("200000"));

        int pos = 0;
        QString text = QStringLiteral("2000001");
        QCOMPARE(box.validate(text, pos), QValidator::Intermediate);
        text = QStringLiteral("50");
        QCOMPARE(box.validate(text, pos), QValidator::Acceptable);
        text = QStringLiteral("1 000");
        QCOMPARE(box.validate(text, pos), QValidator::Invalid);
    }

    void returnCommitsFocusLossDoesNot()
    {
        QLongLongSpinBox box;
        box.setRange(0, 1000);
        box.setKeyboardTracking(false);
        box.setValue(100);
        box.show();
        box.setFocus();
        QSignalSpy spy(&box, &QLongLongSpinBox::valueChanged);

        edit(box)->setText(QStringLiteral("250"));
        box.clearFocus(); // losing focus keeps the value
        QCOMPARE(box.value(), 100LL);
        QCOMPARE(spy.count(), 0);

        box.setFocus();
        edit(box)->setText(QStringLiteral("250"));
        QTest::keyClick(&box, Qt::Key_Return);
        QCOMPARE(box.value(), 250LL);
        QCOMPARE(spy.count(), 1);

        edit(box)->setText(QStringLiteral("260"));
        QTest::keyClick(&box, Qt::Key_Enter);
        QCOMPARE(box.value(), 260LL);
        QCOMPARE(spy.count(), 2);

        // A number outside the range is clamped and said; text that is no number is replaced
        // by the current value, nothing emitted but the refusal.
        QSignalSpy said(&box, &QLongLongSpinBox::entryAdjusted);
        edit(box)->setText(QStringLiteral("5000"));
        QTest::keyClick(&box, Qt::Key_Return);
        QCOMPARE(edit(box)->text(), QStringLiteral("1000"));
        QCOMPARE(box.value(), 1000LL);
        QCOMPARE(spy.count(), 3);
        QCOMPARE(said.takeFirst().at(0).toString(),
                 QStringLiteral("5000 is outside 0 ~ 1000: clamped to 1000"));
        edit(box)->setText(QString());
        QTest::keyClick(&box, Qt::Key_Return);
        QCOMPARE(edit(box)->text(), QStringLiteral("1000"));
        QCOMPARE(spy.count(), 3);
        QCOMPARE(said.takeFirst().at(0).toString(), QStringLiteral("no value typed: 1000 kept"));
    }

    void stepsSaturateAndIgnoreTheRange()
    {
        constexpr qlonglong top = std::numeric_limits<qlonglong>::max();
        constexpr qlonglong bottom = std::numeric_limits<qlonglong>::min();
        QLongLongSpinBox box;
        box.setRange(50, 2000000);
        box.setSingleStep(100);
        box.setValue(9223372036854775800LL);
        box.stepBy(1);
        QCOMPARE(box.value(), top);
        QCOMPARE(edit(box)->text(), QStringLiteral("9223372036854775807"));

        box.setValue(bottom + 50);
        box.stepBy(-1);
        QCOMPARE(box.value(), bottom);

        box.setValue(100);
        QSignalSpy spy(&box, &QLongLongSpinBox::valueChanged);
        box.stepBy(-1);
        QCOMPARE(box.value(), 0LL); // below the minimum of 50
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toLongLong(), 0LL);
        box.stepBy(0);
        QCOMPARE(spy.count(), 1);

        box.setValue(2000000);
        box.stepBy(3);
        QCOMPARE(box.value(), 2000300LL);

        // Huge step counts are computed without wrapping.
        box.setSingleStep(std::numeric_limits<int>::max());
        box.setValue(0);
        box.stepBy(std::numeric_limits<int>::max());
        QCOMPARE(box.value(), qlonglong(std::numeric_limits<int>::max()) *
                                  qlonglong(std::numeric_limits<int>::max()));
    }

    void keysStepByTheSingleStep()
    {
        QLongLongSpinBox box;
        box.setRange(0, 100);
        box.setSingleStep(7);
        box.setValue(10);
        box.show();
        box.setFocus();
        QTest::keyClick(&box, Qt::Key_Up);
        QCOMPARE(box.value(), 17LL);
        QTest::keyClick(&box, Qt::Key_Down);
        QTest::keyClick(&box, Qt::Key_Down);
        QCOMPARE(box.value(), 3LL);
        // Both directions stay enabled at and beyond the bounds.
        box.setValue(100);
        QTest::keyClick(&box, Qt::Key_Up);
        QCOMPARE(box.value(), 107LL);
        box.setValue(0);
        QTest::keyClick(&box, Qt::Key_Down);
        QCOMPARE(box.value(), -7LL);
    }

    void propertiesAndTheSingleStep()
    {
        QLongLongSpinBox box;
        QVERIFY(box.setProperty("minimum", QVariant::fromValue<qlonglong>(-3)));
        QVERIFY(box.setProperty("maximum", QVariant::fromValue<qlonglong>(5000000000LL)));
        QVERIFY(box.setProperty("value", QVariant::fromValue<qlonglong>(4000000000LL)));
        QCOMPARE(box.minimum(), -3LL);
        QCOMPARE(box.maximum(), 5000000000LL);
        QCOMPARE(box.value(), 4000000000LL);
        QCOMPARE(box.metaObject()->userProperty().name(), "value");

        // "singleStep" is not a property: a dynamic property of that name changes nothing.
        box.setSingleStep(10);
        box.setProperty("singleStep", 1000);
        box.stepBy(1);
        QCOMPARE(box.value(), 4000000010LL);
        QCOMPARE(box.valueFromText(QStringLiteral("abc")), 0LL);
        QCOMPARE(box.textFromValue(-1234567890123LL), QStringLiteral("-1234567890123"));
    }
};

QTEST_MAIN(TestQLongLongSpinBox)
#include "tst_qlonglongspinbox.moc"
