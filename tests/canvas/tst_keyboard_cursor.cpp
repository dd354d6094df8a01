// The keyboard cursor without a window: the node it stands on after the
// arrow keys, a press and a new step, always inside the area, and what a
// screen reader hears of it.

#include "keyboard_cursor.h"

#include <QTest>

using collinear::KeyboardCursor;

namespace {

// Presses the arrow keys named by the letters L, R, U and D; how many of
// them moved the cursor.
int PressArrows(KeyboardCursor& cursor, const QString& keys)
{
    int moved = 0;
    for (const QChar key : keys) {
        const int code = key == u'L' ? Qt::Key_Left
            : key == u'R'            ? Qt::Key_Right
            : key == u'U'            ? Qt::Key_Up
                                     : Qt::Key_Down;
        const std::optional<QPoint> direction = KeyboardCursor::ArrowDirection(code);
        moved += static_cast<int>(direction && cursor.StepBy(*direction));
    }
    return moved;
}

} // namespace

class TestKeyboardCursor : public QObject {
    Q_OBJECT

private slots:
    // From the middle of the area, where it starts, by whole steps; a move
    // past the edge stops at the last node inside the area.
    void theArrowsStepFromNodeToNode_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QPoint>("node");
        QTest::addColumn<int>("moved");
        QTest::addRow("one step right") << 5 << "R" << QPoint(240, 100) << 1;
        QTest::addRow("there and back") << 5 << "LLUURRDD" << QPoint(235, 100) << 8;
        QTest::addRow("to the top edge and past it")
            << 5 << QString(22, u'U') << QPoint(235, 0) << 20;
        QTest::addRow("step 50 to the right edge") << 50 << "RRRRR" << QPoint(450, 100) << 4;
        QTest::addRow("step 7 to the bottom edge")
            << 7 << QString(20, u'D') << QPoint(231, 196) << 14;
        QTest::addRow("step 1 to the left edge")
            << 1 << QString(240, u'L') << QPoint(0, 100) << 233;
    }

    void theArrowsStepFromNodeToNode()
    {
        QFETCH(int, step);
        QFETCH(QString, keys);
        QFETCH(QPoint, node);
        QFETCH(int, moved);
        int repaints = 0;
        KeyboardCursor cursor([&repaints](const QRect& /*area*/) { ++repaints; });
        cursor.SetStep(step);
        QVERIFY(!cursor.Shown());
        QCOMPARE(PressArrows(cursor, keys), moved);
        QCOMPARE(cursor.Node(), node);
        QVERIFY(cursor.Shown());
        QVERIFY(repaints >= 2 * moved);
        QVERIFY(!KeyboardCursor::ArrowDirection(Qt::Key_Space));
    }

    // Through other steps and back, the cursor comes home: each step takes
    // the node nearest where the pupil left it, not nearest the last node.
    void aNewStepKeepsWhereThePupilLeftIt()
    {
        KeyboardCursor cursor([](const QRect& /*area*/) {});
        cursor.SetStep(5);
        PressArrows(cursor, QStringLiteral("RRD"));
        QCOMPARE(cursor.Node(), QPoint(245, 105));
        cursor.SetStep(50);
        QCOMPARE(cursor.Node(), QPoint(250, 100));
        cursor.SetStep(20);
        QCOMPARE(cursor.Node(), QPoint(240, 100));
        cursor.SetStep(5);
        QCOMPARE(cursor.Node(), QPoint(245, 105));
    }

    // A press hides the cursor and puts it on the node nearest the press
    // inside the area, where the point was stored.
    void aPressTakesTheCursorToItsNode_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<QPoint>("node");
        QTest::addRow("step 5") << 5 << QPoint(13, 48) << QPoint(15, 50);
        QTest::addRow("the far corner, step 50") << 50 << QPoint(466, 199) << QPoint(450, 150);
        QTest::addRow("outside the area") << 5 << QPoint(-40, 900) << QPoint(0, 195);
    }

    void aPressTakesTheCursorToItsNode()
    {
        QFETCH(int, step);
        QFETCH(QPoint, pixel);
        QFETCH(QPoint, node);
        KeyboardCursor cursor([](const QRect& /*area*/) {});
        cursor.SetStep(step);
        cursor.FocusIn(true);
        QVERIFY(cursor.Shown());
        cursor.FollowPress(pixel);
        QVERIFY(!cursor.Shown());
        QCOMPARE(cursor.Node(), node);
    }

    void aScreenReaderHearsTheNodeAndItsPoint()
    {
        KeyboardCursor cursor([](const QRect& /*area*/) {});
        cursor.SetStep(5);
        QCOMPARE(cursor.Text(), QStringLiteral("235, 100"));
        cursor.SetSerialAtNode(
            [](QPoint node) { return node == QPoint(235, 100) ? QStringLiteral("3") : QString(); });
        QCOMPARE(cursor.Text(), QStringLiteral("235, 100, точка 3"));
        PressArrows(cursor, QStringLiteral("R"));
        QCOMPARE(cursor.Text(), QStringLiteral("240, 100"));
    }
};

QTEST_GUILESS_MAIN(TestKeyboardCursor)
#include "tst_keyboard_cursor.moc"
