#include "cancelled_touch.h"
#include "canvas_pixels.h"
#include "main_window.h"
#include "one_row_list.h"
#include "report_panel.h"
#include "startup_text.h"
#include "window_reading.h"

#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

using collinear::Canvas;
using collinear::MainWindow;
using collinear::PointTable;
using collinear::testing::IsWhite;
using collinear::testing::PixelAt;

namespace {

const QColor kBlack(0, 0, 0);
const QColor kWhiteColour(255, 255, 255);
const QColor kOlive(128, 128, 0);
const std::string kHeading = collinear::testing::ReportHeadingLine();

QStringList Column(const MainWindow& window, PointTable::Column column)
{
    QStringList texts;
    const QAbstractItemModel* model = window.List1(column)->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        texts << model->index(row, 0).data().toString();
    }
    return texts;
}

int ViewSelectedRow(const MainWindow& window, PointTable::Column column)
{
    const QModelIndexList rows = window.List1(column)->selectionModel()->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.first().row();
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { collinear::IgnoreCancelledTouches(*qApp); }

    void init()
    {
        m_window = collinear::testing::ShownMainWindow();
        QVERIFY(m_window != nullptr);
    }

    void cleanup() { m_window.reset(); }

    void startsWithTheExplanationAnEmptyTableAndAWhiteCanvas()
    {
        QCOMPARE(m_window->ReportPanelText(), std::string(collinear::kStartupText));
        QCOMPARE(QString::fromStdString(m_window->ReportPanelText()).count(QStringLiteral("\r\n")),
                 26);
        QCOMPARE(m_window->GridStep(), 5);
        QCOMPARE(m_window->List3()->currentIndex().data().toString(), QStringLiteral("5"));
        QVERIFY(m_window->List3()->selectionModel()->isSelected(m_window->List3()->currentIndex()));
        for (auto column : {PointTable::X, PointTable::Y, PointTable::N}) {
            QCOMPARE(m_window->List1(column)->model()->rowCount(), 0);
        }
        QCOMPARE(m_window->PointCounter(), 0);
        QVERIFY(IsWhite(m_window->Picture1()->Image()));
        QVERIFY(m_window->Picture1()->Persistent());
        QCOMPARE(m_window->Picture1()->PenWidth(), 5);
        QVERIFY(m_window->windowTitle().endsWith(
            QStringLiteral("  Геометрия - 3 точки, ориентирано лице")));
    }

    void controlsStandWhereTheDesignPutsThem()
    {
        QCOMPARE(m_window->size(), QSize(481, 429));
        QCOMPARE(m_window->Picture1()->geometry(), QRect(8, 56, 467, 200));
        QCOMPARE(m_window->Label1(0)->text(),
                 QStringLiteral(" Геометрия - точки, лежащи на права"));
        QCOMPARE(m_window->Label1(0)->geometry(), QRect(96, 0, 289, 25));
        QCOMPARE(m_window->Label1(4)->text(), QStringLiteral("Допустима стъпка:"));
        QCOMPARE(m_window->Command1(0)->text(), QStringLiteral("Чертай"));
        QCOMPARE(m_window->Command1(0)->geometry(), QRect(344, 264, 57, 25));
        QCOMPARE(m_window->Command1(1)->text(), QStringLiteral("Чисти"));
        QCOMPARE(m_window->Command1(2)->text(), QStringLiteral("Изтрий"));
        QCOMPARE(m_window->Command1(2)->geometry(), QRect(8, 32, 57, 25));
        QCOMPARE(m_window->List1(PointTable::N)->geometry(), QRect(96, 264, 49, 23));
        QCOMPARE(m_window->List1(PointTable::Y)->geometry(), QRect(280, 264, 57, 23));
        QCOMPARE(m_window->List3()->geometry(), QRect(280, 32, 49, 23));

        // The window, label and button colours show as they are.
        const QImage shot = m_window->grab().toImage();
        const qreal ratio = shot.devicePixelRatio();
        QCOMPARE(shot.pixelColor(QPoint(2, 2) * ratio), QColor(192, 192, 255));
        QCOMPARE(shot.pixelColor(QPoint(380, 20) * ratio), QColor(255, 192, 128));
        QCOMPARE(shot.pixelColor(QPoint(346, 285) * ratio), QColor(0, 255, 0));
        QCOMPARE(shot.pixelColor(QPoint(470, 53) * ratio), QColor(255, 0, 0));
        QCOMPARE(shot.pixelColor(QPoint(62, 53) * ratio), QColor(255, 0, 255));
        QCOMPARE(m_window->font().family(), QStringLiteral("Times New Roman"));
        QCOMPARE(m_window->font().pointSize(), 12);
    }

    void keyboardFocusFollowsTheDesignOrder()
    {
        const QList<QWidget*> order{static_cast<QWidget*>(m_window->Text1()),
                                    m_window->Picture1(),
                                    m_window->List1(0),
                                    m_window->List1(1),
                                    m_window->Command1(0),
                                    m_window->Command1(1),
                                    m_window->Command1(2),
                                    m_window->List1(2),
                                    m_window->List3(),
                                    m_window->Text1()};
        m_window->Text1()->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), order.first());
        for (qsizetype i = 1; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), order[i]);
        }
    }

    void theTypicalUseFindsOneLine()
    {
        Click(13, 48);
        Click(23, 48);
        Click(33, 52);
        QCOMPARE(Column(*m_window, PointTable::X), (QStringList{"15", "25", "35"}));
        QCOMPARE(Column(*m_window, PointTable::Y), (QStringList{"50", "50", "50"}));
        QCOMPARE(Column(*m_window, PointTable::N), (QStringList{"1", "2", "3"}));
        QCOMPARE(PixelAt(*m_window->Picture1(), 15, 50), kBlack);
        QCOMPARE(PixelAt(*m_window->Picture1(), 20, 50), kWhiteColour);

        QTest::mouseClick(m_window->Command1(0), Qt::LeftButton);
        QCOMPARE(m_window->ReportPanelText(), kHeading + "15,50; 25,50; 35,50\r\n");
        QCOMPARE(PixelAt(*m_window->Picture1(), 20, 50), kBlack);
        QCOMPARE(PixelAt(*m_window->Picture1(), 30, 50), kBlack);
        QCOMPARE(PixelAt(*m_window->Picture1(), 30, 49), kWhiteColour);
        QCOMPARE(m_window->Picture1()->PenWidth(), 1);
    }

    void everyButtonAndModifierPlacesAPoint()
    {
        QTest::mouseClick(m_window->Picture1(), Qt::RightButton, Qt::ControlModifier, {40, 40});
        QTest::mouseClick(m_window->Picture1(), Qt::MiddleButton, Qt::AltModifier, {60, 40});
        QTest::mouseClick(m_window->Picture1(), Qt::LeftButton, Qt::ShiftModifier, {41, 41});
        QCOMPARE(Column(*m_window, PointTable::X), (QStringList{"40", "60"}));
        QCOMPARE(m_window->PointCounter(), 2);
    }

    void pointsCanBePlacedFromTheKeyboard()
    {
        Canvas* canvas = m_window->Picture1();
        canvas->setFocus();
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(canvas, Qt::Key_Right);
        }
        QTest::keyClick(canvas, Qt::Key_Down);
        QTest::keyClick(canvas, Qt::Key_Down);
        QTest::keyClick(canvas, Qt::Key_Space);
        QTest::keyClick(canvas, Qt::Key_Left);
        QTest::keyClick(canvas, Qt::Key_Return);
        // The cursor starts on the node nearest the middle, (235, 100).
        QCOMPARE(Column(*m_window, PointTable::X), (QStringList{"250", "245"}));
        QCOMPARE(Column(*m_window, PointTable::Y), (QStringList{"110", "110"}));
        // The cursor stays inside the drawing area and shows over the
        // picture without entering it.
        for (int i = 0; i < 200; ++i) {
            QTest::keyClick(canvas, Qt::Key_Up);
        }
        QCOMPARE(canvas->KeyboardCursor().y(), 0);
        QCOMPARE(PixelAt(*canvas, 240, 0), kWhiteColour);
        const QColor frame = canvas->palette().color(QPalette::Highlight);
        QCOMPARE(canvas->grab().toImage().pixelColor(QPoint(240, 0) * canvas->devicePixelRatio()),
                 frame);

        // After a mouse press the cursor would stand at the raw press, not at
        // the stored point, so it goes until the keyboard is used again.
        QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(202, 100));
        QVERIFY(canvas->hasFocus());
        QCOMPARE(canvas->grab().toImage().pixelColor(QPoint(196, 100) * canvas->devicePixelRatio()),
                 kWhiteColour);
    }

    void copyKeysPutThePictureOnTheClipboard_data()
    {
        QTest::addColumn<int>("control"); // 0 the drawing area, 1 the report panel, 2 the X list
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("picture");
        const Qt::KeyboardModifiers shift = Qt::ControlModifier | Qt::ShiftModifier;
        QTest::newRow("Ctrl+C on the drawing area")
            << 0 << Qt::KeyboardModifiers(Qt::ControlModifier) << true;
        QTest::newRow("Ctrl+Shift+C in the report panel") << 1 << shift << true;
        QTest::newRow("Ctrl+Shift+C in the X list") << 2 << shift << true;
        QTest::newRow("Ctrl+C in the report panel copies text")
            << 1 << Qt::KeyboardModifiers(Qt::ControlModifier) << false;
    }

    void copyKeysPutThePictureOnTheClipboard()
    {
        QFETCH(int, control);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, picture);
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        Click(13, 48);
        Click(23, 48);
        Click(33, 52);
        m_window->Command1(MainWindow::Draw)->click();
        Canvas* canvas = m_window->Picture1();
        QTest::keyClick(canvas, Qt::Key_Left); // the cursor shows, next to a point
        QGuiApplication::clipboard()->clear();
        const std::array<QWidget*, 3> controls{canvas, m_window->Text1(), m_window->List1(0)};
        QWidget* widget = controls.at(static_cast<std::size_t>(control));
        widget->setFocus();
        QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(widget, Qt::Key_C, modifiers);
        const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
        QCOMPARE(copied->hasImage(), picture);
        if (!picture) {
            QVERIFY(copied->text().endsWith(QStringLiteral(":\n15,50; 25,50; 35,50")));
            return;
        }
        // The picture as drawn, at the device resolution: no cursor on it.
        const auto image = qvariant_cast<QImage>(copied->imageData());
        QCOMPARE(image.devicePixelRatio(), canvas->Image().devicePixelRatio());
        QCOMPARE(image.convertToFormat(canvas->Image().format()), canvas->Image());
    }

    void drawWithTooFewPointsKeepsTheExplanation()
    {
        Click(10, 10);
        Click(20, 20);
        m_window->Command1(0)->click();
        QCOMPARE(m_window->ReportPanelText(), std::string(collinear::kStartupText));
    }

    void clearEmptiesEverythingButKeepsTheStep()
    {
        QTest::mouseClick(
            m_window->List3(), Qt::LeftButton, {},
            m_window->List3()->visualRect(m_window->List3()->currentIndex()).center());
        QTest::keyClick(m_window->List3(), Qt::Key_Down);
        QTest::keyClick(m_window->List3(), Qt::Key_Down);
        QCOMPARE(m_window->GridStep(), 15);
        Click(10, 10);
        Click(40, 40);
        Click(70, 70);
        m_window->Command1(0)->click();
        QCOMPARE(Column(*m_window, PointTable::X), (QStringList{"15", "45", "75"}));

        QTest::mouseClick(m_window->Command1(1), Qt::LeftButton);
        QCOMPARE(m_window->Table().RowCount(), 0);
        QCOMPARE(m_window->List1(PointTable::X)->model()->rowCount(), 0);
        QCOMPARE(m_window->ReportPanelText(), std::string());
        QVERIFY(IsWhite(m_window->Picture1()->Image()));
        QCOMPARE(m_window->GridStep(), 15);
        QCOMPARE(m_window->List3()->currentIndex().data().toString(), QStringLiteral("15"));
        Click(13, 13);
        QCOMPARE(Column(*m_window, PointTable::N), (QStringList{"1"}));
        QCOMPARE(Column(*m_window, PointTable::X), (QStringList{"15"}));
    }

    void theStepListCannotBeLeftWithoutASelection()
    {
        QListView* list = m_window->List3();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          list->visualRect(list->currentIndex()).center());
        QVERIFY(list->selectionModel()->hasSelection());
        QCOMPARE(m_window->GridStep(), 5);
    }

    void selectingARowSelectsItInAllListsAndHighlightsItsPoint()
    {
        Click(10, 10);
        Click(50, 10);
        Click(90, 10);
        m_window->Command1(0)->click();
        QVERIFY(m_window->ReportPanelText() != std::string(collinear::kStartupText));
        const std::string report = m_window->ReportPanelText();

        QListView* numbers = m_window->List1(PointTable::N);
        numbers->setFocus();
        QTest::keyClick(numbers, Qt::Key_End);
        for (auto column : {PointTable::X, PointTable::Y, PointTable::N}) {
            QCOMPARE(m_window->Table().SelectedRow(column), 2);
            QCOMPARE(ViewSelectedRow(*m_window, column), 2);
        }
        const Canvas* canvas = m_window->Picture1();
        QCOMPARE(PixelAt(*canvas, 90, 10), kOlive);
        QCOMPARE(PixelAt(*canvas, 10, 10), kBlack);
        QCOMPARE(PixelAt(*canvas, 50, 10), kBlack);
        // The selection redraws the points only; the report stays.
        QCOMPARE(PixelAt(*canvas, 30, 10), kWhiteColour);
        QCOMPARE(m_window->ReportPanelText(), report);

        // Another row by mouse, with the X list's scroll arrow, moves the
        // highlight.
        QScrollBar* bar = m_window->List1(PointTable::X)->verticalScrollBar();
        for (int i = 0; i < 2; ++i) {
            QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, 2));
        }
        QCOMPARE(m_window->Table().SelectedRow(PointTable::N), 0);
        QCOMPARE(ViewSelectedRow(*m_window, PointTable::N), 0);
        QCOMPARE(PixelAt(*canvas, 10, 10), kOlive);
        QCOMPARE(PixelAt(*canvas, 90, 10), kBlack);
    }

    void theFirstDownInAListSelectsItsFirstRow()
    {
        Click(10, 10);
        Click(20, 10);
        QListView* ys = m_window->List1(PointTable::Y);
        ys->setFocus();
        QTest::keyClick(ys, Qt::Key_Down);
        QCOMPARE(m_window->Table().SelectedRow(PointTable::N), 0);
        QTest::keyClick(ys, Qt::Key_Down);
        QCOMPARE(m_window->Table().SelectedRow(PointTable::N), 1);
    }

    void aCtrlClickDoesNotClearThePointSelection()
    {
        Click(10, 10);
        QListView* xs = m_window->List1(PointTable::X);
        const QPoint row0 = xs->visualRect(xs->model()->index(0, 0)).center();
        QTest::mouseClick(xs->viewport(), Qt::LeftButton, {}, row0);
        QTest::mouseClick(xs->viewport(), Qt::LeftButton, Qt::ControlModifier, row0);
        QCOMPARE(ViewSelectedRow(*m_window, PointTable::Y), 0);
        QCOMPARE(m_window->Table().SelectedRow(PointTable::Y), 0);
    }

    void deleteWithoutASelectionChangesNothing()
    {
        Click(10, 10);
        Click(20, 10);
        Click(30, 10);
        m_window->Command1(0)->click();
        const std::string report = m_window->ReportPanelText();
        const QImage picture = m_window->Picture1()->Image();
        QTest::mouseClick(m_window->Command1(2), Qt::LeftButton);
        QCOMPARE(m_window->ReportPanelText(), report);
        QCOMPARE(m_window->Picture1()->Image(), picture);
        QCOMPARE(m_window->Table().RowCount(), 3);
    }

    void deletingTheOnlyPointLeavesAWhiteCanvasAndKeepsCounting()
    {
        Click(100, 100);
        SelectRow(PointTable::X, 0);
        m_window->Command1(2)->click();
        QCOMPARE(m_window->Table().RowCount(), 0);
        QVERIFY(IsWhite(m_window->Picture1()->Image()));
        QCOMPARE(m_window->ReportPanelText(), std::string());
        Click(100, 100);
        QCOMPARE(Column(*m_window, PointTable::N), (QStringList{"2"}));
    }

    void deletingErasesEarlierSegmentsAndLeavesNoSelection()
    {
        Click(10, 10);
        Click(50, 10);
        Click(90, 10);
        Click(50, 100); // on no segment
        m_window->Command1(0)->click();
        QCOMPARE(PixelAt(*m_window->Picture1(), 30, 10), kBlack);

        SelectRow(PointTable::Y, 3);
        QCOMPARE(PixelAt(*m_window->Picture1(), 50, 100), kOlive);
        // The Delete key in a point list does what the button does.
        QTest::keyClick(m_window->List1(PointTable::Y), Qt::Key_Delete);

        QCOMPARE(Column(*m_window, PointTable::N), (QStringList{"1", "2", "3"}));
        QCOMPARE(m_window->ReportPanelText(), std::string());
        const Canvas* canvas = m_window->Picture1();
        QCOMPARE(PixelAt(*canvas, 30, 10), kWhiteColour);
        QCOMPARE(PixelAt(*canvas, 50, 100), kWhiteColour);
        for (int x : {10, 50, 90}) {
            QCOMPARE(PixelAt(*canvas, x, 10), kBlack);
        }
        for (auto column : {PointTable::X, PointTable::Y, PointTable::N}) {
            QCOMPARE(m_window->Table().SelectedRow(column), -1);
            QCOMPARE(ViewSelectedRow(*m_window, column), -1);
            QVERIFY(!m_window->List1(column)->currentIndex().isValid());
        }
        // Deleting again without a selection does nothing more.
        m_window->Command1(2)->click();
        QCOMPARE(m_window->Table().RowCount(), 3);
    }

    void theFiftySecondPressIsRefused()
    {
        for (int i = 0; i < 51; ++i) {
            Click(5 * (i % 40), 10 + 10 * (i / 40));
        }
        QCOMPARE(m_window->Table().RowCount(), 51);
        Click(300, 150);
        QCOMPARE(m_window->Table().RowCount(), 51);
        QCOMPARE(PixelAt(*m_window->Picture1(), 300, 150), kWhiteColour);
        SelectRow(PointTable::X, 0);
        m_window->Command1(2)->click();
        Click(300, 150);
        QCOMPARE(m_window->Table().RowCount(), 50);
        QCOMPARE(m_window->PointCounter(), 51);
    }

    // When the system cancels a touch (a browser taking it for a scroll),
    // Qt ends the press it made of it with a release where the press was.
    void aCancelledTouchClicksNoButton_data()
    {
        QTest::addColumn<int>("command");
        QTest::newRow("Чертай") << int(MainWindow::Draw);
        QTest::newRow("Чисти") << int(MainWindow::Clear);
        QTest::newRow("Изтрий") << int(MainWindow::Delete);
    }

    void aCancelledTouchClicksNoButton()
    {
        QFETCH(int, command);
        Click(13, 48);
        Click(23, 48);
        Click(33, 52);
        SelectRow(PointTable::X, 1);
        const auto state = [this] {
            return std::pair(m_window->ReportPanelText(), m_window->Table().RowCount());
        };
        const auto before = state();
        QPushButton* button = m_window->Command1(command);
        QWindow* handle = m_window->windowHandle();
        const QPointF middle = button->mapTo(m_window.get(), QPointF(button->rect().center()));
        const auto send = [&](QEvent::Type type, Qt::MouseButtons buttons) {
            static int time = 0;
            qt_handleMouseEvent(handle, middle, handle->mapToGlobal(middle), buttons,
                                Qt::LeftButton, type, Qt::NoModifier, ++time);
        };

        send(QEvent::MouseButtonPress, Qt::LeftButton);
        QVERIFY(button->isDown());
        static QPointingDevice* const touchScreen = QTest::createTouchDevice();
        QTouchEvent cancel(QEvent::TouchCancel, touchScreen);
        QCoreApplication::sendEvent(handle, &cancel);
        send(QEvent::MouseButtonRelease, Qt::NoButton);
        QVERIFY(!button->isDown());
        QCOMPARE(state(), before);

        // The pupil's next press is a press of its own, and clicks.
        send(QEvent::MouseButtonPress, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, Qt::NoButton);
        QVERIFY(state() != before);
    }

private:
    void Click(int x, int y)
    {
        QTest::mouseClick(m_window->Picture1(), Qt::LeftButton, {}, QPoint(x, y));
    }

    // As a pupil does: a click on the row in view, then Down to the row.
    void SelectRow(PointTable::Column column, int row)
    {
        QListView* list = m_window->List1(column);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->viewport()->rect().center());
        for (int i = m_window->Table().SelectedRow(column); i < row; ++i) {
            QTest::keyClick(list, Qt::Key_Down);
        }
        QCOMPARE(m_window->Table().SelectedRow(PointTable::X), row);
    }

    std::unique_ptr<MainWindow> m_window;
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
