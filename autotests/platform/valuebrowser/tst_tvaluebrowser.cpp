#include "platform/valuebrowser/tbasegroup.h"
#include "platform/valuebrowser/tboolvalue.h"
#include "platform/valuebrowser/tdoublevalue.h"
#include "platform/valuebrowser/tintegervalue.h"
#include "platform/valuebrowser/ttextvalue.h"
#include "platform/valuebrowser/tvaluebrowser.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include <climits>
#include <cmath>
#include <limits>

namespace {

TBaseValue *makeRow(TValueBrowser *browser, const QString &type, int minimum = -1, int maximum = -1)
{
    if (type == QLatin1String("integer"))
        return new TIntegerValue(browser, type, minimum, maximum);
    if (type == QLatin1String("double"))
        return new TDoubleValue(browser, type, minimum, maximum);
    if (type == QLatin1String("text"))
        return new TTextValue(browser, type, minimum, maximum);
    return new TBoolValue(browser, type, minimum, maximum);
}

// Where an operator types: the spin boxes' own line edit, or the editor itself.
QWidget *typingTarget(QWidget *editor)
{
    if (auto spin = qobject_cast<QAbstractSpinBox *>(editor))
        return spin->findChild<QLineEdit *>();
    return editor;
}

} // namespace

class tst_TValueBrowser : public QObject
{
    Q_OBJECT

private slots:
    void operatorEdits_data();
    void operatorEdits();
    void storedValuesMadeSane_data();
    void storedValuesMadeSane();
    void groupsCollapseAndClear();
};

void tst_TValueBrowser::operatorEdits_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QByteArray>("editorClass");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QVariant>("expected");
    QTest::newRow("integer in a spin box") << "integer" << QByteArray("QSpinBox") << "-1234" << QVariant(-1234);
    QTest::newRow("double in a double spin box") << "double" << QByteArray("QDoubleSpinBox") << "2.5" << QVariant(2.5);
    QTest::newRow("text in a line edit") << "text" << QByteArray("QLineEdit") << "COM7 fast" << QVariant(QStringLiteral("COM7 fast"));
    QTest::newRow("bool in a check box") << "bool" << QByteArray("QCheckBox") << " " << QVariant(true);
}

void tst_TValueBrowser::operatorEdits()
{
    QFETCH(QString, type);
    QFETCH(QByteArray, editorClass);
    QFETCH(QString, typed);
    QFETCH(QVariant, expected);

    TValueBrowser browser(nullptr, 18);
    browser.addGroup(QStringLiteral("G"));
    TBaseValue *row = makeRow(&browser, type);
    browser.show();
    QVERIFY(QTest::qWaitForWindowExposed(&browser));
    QSignalSpy changed(&browser, &TValueBrowser::ItemChanged);
    QVERIFY(changed.isValid());

    QWidget *editor = row->editor();
    QVERIFY(editor && editor->isVisible());
    QCOMPARE(QByteArray(editor->metaObject()->className()), editorClass);
    QWidget *target = typingTarget(editor);
    QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(5, target->height() / 2));
    if (type != QLatin1String("bool")) {
        QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(target, typed);
        QTest::keyClick(target, Qt::Key_Return);
    } else {
        QCOMPARE(row->value(), QVariant(true)); // the click checked it
        QTest::keyClicks(target, typed);        // space clears it again
        QCOMPARE(row->value(), QVariant(false));
        QTest::keyClicks(target, typed);
    }
    QCOMPARE(row->value(), expected);
    QCOMPARE(row->value().typeId(), expected.typeId());
    QVERIFY(!changed.isEmpty());
    QCOMPARE(changed.last().at(0).value<TBaseItem *>(), static_cast<TBaseItem *>(row));
}

void tst_TValueBrowser::storedValuesMadeSane_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QVariant>("shown");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("integer missing") << "integer" << -1 << -1 << QVariant() << QVariant(0);
    QTest::newRow("integer from text") << "integer" << -1 << -1 << QVariant(QStringLiteral("soon")) << QVariant(0);
    QTest::newRow("integer beyond 32 bits") << "integer" << -1 << -1 << QVariant(QStringLiteral("5000000000")) << QVariant(INT_MAX);
    QTest::newRow("integer from a real") << "integer" << -1 << -1 << QVariant(12.6) << QVariant(13);
    QTest::newRow("integer above its bound") << "integer" << 64 << 16384 << QVariant(100000) << QVariant(16384);
    QTest::newRow("text below its bound") << "integer" << 64 << 16384 << QVariant(QStringLiteral("x")) << QVariant(64);
    QTest::newRow("double NaN") << "double" << -1 << -1 << QVariant(nan) << QVariant(0.0);
    QTest::newRow("double infinite text") << "double" << -1 << -1 << QVariant(QStringLiteral("inf")) << QVariant(0.0);
    QTest::newRow("double huge") << "double" << -1 << -1 << QVariant(-1e300) << QVariant(-1e12);
    QTest::newRow("text from a list") << "text" << -1 << -1 << QVariant(QStringList{"a", "b"}) << QVariant(QStringLiteral("a, b"));
    QTest::newRow("text too long") << "text" << -1 << 4 << QVariant(QStringLiteral("abcdef")) << QVariant(QStringLiteral("abcd"));
    QTest::newRow("bool from garbage") << "bool" << -1 << -1 << QVariant(QStringLiteral("garbage")) << QVariant(false);
    QTest::newRow("bool from yes") << "bool" << -1 << -1 << QVariant(QStringLiteral(" Yes")) << QVariant(true);
}

void tst_TValueBrowser::storedValuesMadeSane()
{
    QFETCH(QString, type);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(QVariant, stored);
    QFETCH(QVariant, shown);
    TValueBrowser browser;
    TBaseValue *row = makeRow(&browser, type, minimum, maximum);
    QSignalSpy changed(&browser, &TValueBrowser::ItemChanged);
    QVERIFY(changed.isValid());
    row->setValue(QVariant(QStringLiteral("7"))); // something else first, so a stale value would show
    row->setValue(stored);
    QCOMPARE(row->value(), shown);
    QVERIFY(changed.isEmpty()); // only the operator's edits are changes
}

void tst_TValueBrowser::groupsCollapseAndClear()
{
    TValueBrowser browser;
    QVERIFY(!browser.isHeaderHidden());
    auto loose = new TTextValue(&browser, QStringLiteral("loose"));
    TBaseGroup *first = browser.addGroup(QStringLiteral("first"));
    first->setToolTip(0, QStringLiteral("first's description"));
    auto a = new TIntegerValue(&browser, QStringLiteral("a"));
    TBaseGroup *second = browser.addGroup(QStringLiteral("second"), QStringLiteral("section"), true);
    auto b = new TBoolValue(&browser, QStringLiteral("b"));
    b->setPropertyName(QStringLiteral("key.b"));
    browser.show();
    QVERIFY(QTest::qWaitForWindowExposed(&browser));

    QCOMPARE(loose->parent(), nullptr);
    QCOMPARE(a->parent(), first);
    QCOMPARE(b->parent(), second);
    QCOMPARE(browser.values(), (QList<TBaseValue *>{loose, a, b}));
    QCOMPARE(browser.value(QStringLiteral("key.b")), b);
    QCOMPARE(browser.value(QStringLiteral("a"), second), nullptr);
    QCOMPARE(second->sectionName(), QStringLiteral("section"));
    QVERIFY(first->isExpanded() && a->editor()->isVisible());
    QVERIFY(!second->isExpanded());

    // The operator opens and closes groups from the keyboard.
    browser.setFocus();
    browser.setCurrentItem(first);
    QTest::keyClick(&browser, Qt::Key_Left);
    QVERIFY(!first->isExpanded());
    QTRY_VERIFY(!a->editor()->isVisible());
    browser.setCurrentItem(second);
    QTest::keyClick(&browser, Qt::Key_Right);
    QVERIFY(second->isExpanded());

    // Editors outlive their rows for a moment; a late change must not reach a deleted row.
    QSignalSpy changed(&browser, &TValueBrowser::ItemChanged);
    QVERIFY(changed.isValid());
    QPointer<QSpinBox> spin = qobject_cast<QSpinBox *>(a->editor());
    browser.clear();
    QCOMPARE(browser.topLevelItemCount(), 0);
    QVERIFY(browser.values().isEmpty());
    QCOMPARE(browser.currentGroup(), nullptr);
    if (spin)
        spin->setValue(99);
    QVERIFY(changed.isEmpty());
    QTRY_VERIFY(!spin);
}

QTEST_MAIN(tst_TValueBrowser)
#include "tst_tvaluebrowser.moc"
