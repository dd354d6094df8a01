// Undo and redo on the real window: every kind of step gives back the
// window exactly as it was before it and after it, from wherever the focus
// is; what changes nothing is no step.

#include "canvas_pixels.h"
#include "main_window.h"
#include "one_row_list.h"
#include "report_panel.h"
#include "window_reading.h"

#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <functional>
#include <memory>

using collinear::MainWindow;
using collinear::PointTable;
using collinear::testing::PixelAt;
using collinear::testing::VisibleRow;

namespace {

// All that a pupil can see or that decides what the next press does.
struct Seen {
    std::vector<std::string> texts;
    int counter = 0;
    std::array<int, 3> selected{};
    std::array<int, 3> shown{};
    std::string report;
    int reportScroll = 0;
    QImage picture;
    bool operator==(const Seen&) const = default;
};

Seen Look(const MainWindow& window)
{
    // What a list shows is read from its layout, done between events.
    QCoreApplication::processEvents();
    Seen seen;
    const PointTable& table = window.Table();
    for (const auto column : {PointTable::X, PointTable::Y, PointTable::N}) {
        for (int row = 0; row < table.RowCount(); ++row) {
            seen.texts.push_back(table.Text(column, row));
        }
        seen.selected.at(column) = window.List1(column)->SelectedRow();
        seen.shown.at(column) = VisibleRow(window.List1(column));
    }
    seen.counter = window.PointCounter();
    seen.report = window.ReportPanelText();
    seen.reportScroll = window.Text1()->verticalScrollBar()->value();
    seen.picture = window.Picture1()->Image();
    return seen;
}

// The names of the parts that differ, for a failure message.
QByteArray Differences(const Seen& seen, const Seen& expected)
{
    QStringList parts;
    const auto differs = [&](bool different, const char* name) {
        if (different) {
            parts << QString::fromLatin1(name);
        }
    };
    differs(seen.texts != expected.texts, "table");
    differs(seen.counter != expected.counter, "counter");
    differs(seen.selected != expected.selected, "selection");
    differs(seen.shown != expected.shown, "rows shown");
    differs(seen.report != expected.report, "report");
    differs(seen.reportScroll != expected.reportScroll, "report scrolled");
    differs(seen.picture != expected.picture, "picture");
    return parts.join(QStringLiteral(", ")).toUtf8();
}

#define COMPARE_SEEN(seen, expected)                                                               \
    QVERIFY2((seen) == (expected), Differences(seen, expected).constData())

using Action = std::function<void(MainWindow&)>;

void Press(MainWindow& window, int x, int y)
{
    QTest::mouseClick(window.Picture1(), Qt::LeftButton, {}, QPoint(x, y));
}

void PressButton(MainWindow& window, MainWindow::Command command)
{
    QTest::mouseClick(window.Command1(command), Qt::LeftButton);
}

// Eight points, seven of them on a line, searched: a report longer than
// the panel.
void EightPointsSearched(MainWindow& window)
{
    for (int x = 10; x <= 70; x += 10) {
        Press(window, x, 20);
    }
    Press(window, 40, 90);
    PressButton(window, MainWindow::Draw);
}

void Undo(QWidget* focus)
{
    QTest::keyClick(focus, Qt::Key_Z, Qt::ControlModifier);
}

const QColor kNewColour(0, 0, 160);

// The drawing area's text colour, as a desktop that switches its colour
// scheme changes it.
void SetTextColour(MainWindow& window, const QColor& colour)
{
    QPalette palette = window.Picture1()->palette();
    palette.setColor(QPalette::WindowText, colour);
    window.Picture1()->setPalette(palette);
}

} // namespace

class TestUndo : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_window = collinear::testing::ShownMainWindow();
        QVERIFY(m_window != nullptr);
    }

    void cleanup() { m_window.reset(); }

    void eachStepIsTakenBackAndDoneAgainExactly_data()
    {
        QTest::addColumn<Action>("prepare");
        QTest::addColumn<Action>("step");
        const Action nothing = [](MainWindow& /*window*/) {};
        QTest::addRow("press") << nothing << Action([](MainWindow& w) { Press(w, 101, 52); });
        QTest::addRow("Space on the canvas") << nothing << Action([](MainWindow& w) {
            w.Picture1()->setFocus();
            QTest::keyClick(w.Picture1(), Qt::Key_Right);
            QTest::keyClick(w.Picture1(), Qt::Key_Space);
        });
        QTest::addRow("Чертай") << Action([](MainWindow& w) { Press(w, 100, 20); })
                                << Action([](MainWindow& w) { PressButton(w, MainWindow::Draw); });
        QTest::addRow("Изтрий") << nothing << Action([](MainWindow& w) {
            PressButton(w, MainWindow::Delete);
        });
        QTest::addRow("Delete key") << nothing << Action([](MainWindow& w) {
            w.List1(PointTable::X)->setFocus();
            QTest::keyClick(w.List1(PointTable::X), Qt::Key_Delete);
        });
        QTest::addRow("Чисти") << nothing
                               << Action([](MainWindow& w) { PressButton(w, MainWindow::Clear); });
        // The lines drawn again in another foreground colour come back in it.
        QTest::addRow("Чисти after a new palette") << Action([](MainWindow& w) {
            PressButton(w, MainWindow::Draw);
            QPalette palette = w.Picture1()->palette();
            palette.setColor(QPalette::WindowText, QColor(0, 0, 160));
            w.Picture1()->setPalette(palette);
            w.List1(PointTable::N)->SelectAndShow(2);
            PressButton(w, MainWindow::Draw);
        }) << Action([](MainWindow& w) { PressButton(w, MainWindow::Clear); });
    }

    void eachStepIsTakenBackAndDoneAgainExactly()
    {
        QFETCH(Action, prepare);
        QFETCH(Action, step);
        MainWindow& window = *m_window;
        EightPointsSearched(window);
        window.List1(PointTable::N)->SelectAndShow(1);
        prepare(window);
        // The report scrolled away from its top: undo shows the top again.
        window.Text1()->verticalScrollBar()->setValue(1);
        const Seen before = Look(window);
        const int steps = window.History().Steps().count();
        step(window);
        const Seen after = Look(window);
        QVERIFY(after != before);
        QCOMPARE(window.History().Steps().count(), steps + 1);

        Undo(window.focusWidget());
        Seen restored = Look(window);
        // A report that comes back is shown from its top, as any new text.
        QCOMPARE(restored.reportScroll, after.report == before.report ? 1 : 0);
        restored.reportScroll = before.reportScroll;
        COMPARE_SEEN(restored, before);
        QTest::keyClick(window.focusWidget(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        COMPARE_SEEN(Look(window), after);
        Undo(window.focusWidget());
        QTest::keyClick(window.focusWidget(), Qt::Key_Y, Qt::ControlModifier);
        COMPARE_SEEN(Look(window), after);
    }

    // Refusals, views and settings; the step list stays as it is through
    // an undo.
    void whatChangesNothingIsNoStep_data()
    {
        QTest::addColumn<Action>("action");
        QTest::addColumn<int>("newSteps");
        QTest::addRow("a press on a stored point")
            << Action([](MainWindow& w) { Press(w, 11, 21); }) << 0;
        QTest::addRow("Изтрий with nothing chosen")
            << Action([](MainWindow& w) { PressButton(w, MainWindow::Delete); }) << 0;
        QTest::addRow("a second Чертай")
            << Action([](MainWindow& w) { PressButton(w, MainWindow::Draw); }) << 0;
        QTest::addRow("Чисти twice") << Action([](MainWindow& w) {
            PressButton(w, MainWindow::Clear);
            PressButton(w, MainWindow::Clear);
            PressButton(w, MainWindow::Draw);
        }) << 1;
        QTest::addRow("a point chosen")
            << Action([](MainWindow& w) { w.List1(PointTable::Y)->SelectAndShow(2); }) << 0;
        QTest::addRow("the step changed")
            << Action([](MainWindow& w) { w.List3()->SelectAndShow(3); }) << 0;
    }

    void whatChangesNothingIsNoStep()
    {
        QFETCH(Action, action);
        QFETCH(int, newSteps);
        MainWindow& window = *m_window;
        EightPointsSearched(window);
        const int steps = window.History().Steps().count();
        action(window);
        QCOMPARE(window.History().Steps().count(), steps + newSteps);
        const int step = window.GridStep();
        Undo(window.Command1(MainWindow::Draw));
        QCOMPARE(window.GridStep(), step);
    }

    // A new foreground colour (the desktop switched its scheme) reaches the
    // lines that the next Чертай draws, whatever undo and redo gave back in
    // between.
    void aNewPaletteOutlivesUndoAndRedo_data()
    {
        QTest::addColumn<Action>("sequence");
        QTest::addRow("a point, the palette, undo") << Action([](MainWindow& w) {
            PressButton(w, MainWindow::Draw);
            Press(w, 100, 150);
            SetTextColour(w, kNewColour);
            Undo(w.Text1());
        });
        QTest::addRow("undo, the palette, redo") << Action([](MainWindow& w) {
            PressButton(w, MainWindow::Draw);
            Undo(w.Text1());
            SetTextColour(w, kNewColour);
            QTest::keyClick(w.Text1(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        });
    }

    void aNewPaletteOutlivesUndoAndRedo()
    {
        QFETCH(Action, sequence);
        MainWindow& window = *m_window;
        Press(window, 13, 48);
        Press(window, 43, 48);
        Press(window, 73, 48);
        sequence(window);
        PressButton(window, MainWindow::Draw);
        // Between the dots, where only the line is.
        QCOMPARE(PixelAt(*window.Picture1(), 30, 50), kNewColour);
        QCOMPARE(PixelAt(*window.Picture1(), 60, 50), kNewColour);
    }

    // Palettes that leave the foreground as it is (a light and a dark
    // scheme both draw in black) add nothing to the picture, and neither
    // does a Чертай that draws every line again in the same colour; lines
    // drawn again in a new colour take the place of the old ones. A
    // desktop that switches its scheme all day leaves the history as small
    // and undo as quick as ever.
    void theStrokesStayBoundedUnderPaletteChanges_data()
    {
        QTest::addColumn<QColor>("other");
        QTest::addColumn<QColor>("lines");
        QTest::addColumn<double>("growth");
        QTest::addRow("a light and a dark scheme")
            << QColor(235, 235, 235) << QColor(Qt::black) << 1.0;
        QTest::addRow("two text colours") << kNewColour << kNewColour << 2.0;
    }

    void theStrokesStayBoundedUnderPaletteChanges()
    {
        QFETCH(QColor, other);
        QFETCH(QColor, lines);
        QFETCH(double, growth);
        MainWindow& window = *m_window;
        // Far enough apart for the lines to show between the dots.
        const auto placePoints = [&window] {
            for (int x = 10; x <= 410; x += 10) {
                Press(window, x, 100);
            }
        };
        placePoints();
        PressButton(window, MainWindow::Draw);
        const std::size_t strokes = window.Picture1()->Picture().StrokeCount();
        QVERIFY(strokes > 51);
        std::size_t most = 0;
        for (int change = 0; change <= 200; ++change) {
            SetTextColour(window, change % 2 == 0 ? other : QColor(Qt::black));
            PressButton(window, MainWindow::Draw);
            if (change % 3 == 0) {
                Undo(window.Text1());
                QTest::keyClick(window.Text1(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
            }
            most = std::max(most, window.Picture1()->Picture().StrokeCount());
        }
        QVERIFY2(static_cast<double>(most) <= growth * static_cast<double>(strokes),
                 qPrintable(QStringLiteral("%1 strokes after %2").arg(most).arg(strokes)));
        // The lines are in the last colour, one pixel high.
        QCOMPARE(PixelAt(*window.Picture1(), 15, 100), lines);
        QCOMPARE(PixelAt(*window.Picture1(), 15, 101), QColor(Qt::white));
        // The picture is what the same dots and the lines drawn once in
        // that colour give.
        const QImage shown = window.Picture1()->Image();
        PressButton(window, MainWindow::Clear);
        SetTextColour(window, Qt::black);
        placePoints();
        SetTextColour(window, other);
        PressButton(window, MainWindow::Draw);
        QCOMPARE(window.Picture1()->Image(), shown);
    }

    void undoAnswersWhereverTheFocusIs()
    {
        MainWindow& window = *m_window;
        const std::array<QWidget*, 6> controls{window.Picture1(),
                                               window.List1(PointTable::X),
                                               window.List1(PointTable::N),
                                               window.List3(),
                                               window.Text1(),
                                               window.Command1(MainWindow::Clear)};
        for (QWidget* control : controls) {
            Press(window, 30, 30);
            control->setFocus();
            Undo(control);
            QCOMPARE(window.Table().RowCount(), 0);
            QTest::keyClick(control, Qt::Key_Y, Qt::ControlModifier);
            QCOMPARE(window.Table().RowCount(), 1);
            Undo(control);
        }
        // Nothing left to take back, and after a new step nothing to do
        // again: the keys do nothing.
        const Seen start = Look(window);
        Undo(window.Picture1());
        Undo(window.List3());
        COMPARE_SEEN(Look(window), start);
        Press(window, 30, 30);
        const Seen pressed = Look(window);
        QTest::keyClick(window.Picture1(), Qt::Key_Y, Qt::ControlModifier);
        COMPARE_SEEN(Look(window), pressed);
    }

    void anUndonePointGivesBackItsSerialAndItsPlaceUnderTheLimit()
    {
        MainWindow& window = *m_window;
        for (int point = 0; point < 51; ++point) {
            Press(window, 10 + 5 * (point % 40), 10 + 10 * (point / 40));
        }
        QCOMPARE(window.PointCounter(), 51);
        Undo(window.Picture1());
        Press(window, 200, 150);
        QCOMPARE(window.Table().RowCount(), 51);
        QCOMPARE(window.Table().Text(PointTable::N, 50), std::string("51"));
        // The new step dropped the one that could have been done again.
        QVERIFY(!window.History().Steps().canRedo());
        const int steps = window.History().Steps().count();
        Press(window, 220, 150);
        QCOMPARE(window.Table().RowCount(), 51);
        QCOMPARE(window.History().Steps().count(), steps);
    }

private:
    std::unique_ptr<MainWindow> m_window;
};

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
