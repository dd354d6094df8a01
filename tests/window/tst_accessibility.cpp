#include "main_window.h"
#include "one_row_list.h"
#include "window_reading.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <array>
#include <memory>

using collinear::MainWindow;
using collinear::PointTable;

namespace {

const QString kStartupFirstLine
    = QStringLiteral("През една точка от равнината минават безброй много прави.");

// The window's accessible children of the given name, as a screen reader
// finds them by walking the tree from the window.
QList<QAccessibleInterface*> ControlsNamed(MainWindow& window, const QString& name)
{
    QList<QAccessibleInterface*> found;
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(&window);
    for (int child = 0; child < root->childCount(); ++child) {
        QAccessibleInterface* control = root->child(child);
        if (control != nullptr && control->text(QAccessible::Name) == name) {
            found << control;
        }
    }
    return found;
}

QAccessibleInterface* ControlNamed(MainWindow& window, const QString& name)
{
    const auto found = ControlsNamed(window, name);
    return found.size() == 1 ? found.first() : nullptr;
}

QStringList RowTexts(QAccessibleInterface* list)
{
    QStringList texts;
    for (int child = 0; child < list->childCount(); ++child) {
        texts << list->child(child)->text(QAccessible::Name);
    }
    return texts;
}

QString WholeText(QAccessibleInterface* control)
{
    QAccessibleTextInterface* text = control->textInterface();
    return text != nullptr ? text->text(0, text->characterCount()) : QString();
}

// Presses a button the way a screen reader or switch access does. The
// button shows itself pressed for a moment and only then clicks, so the
// checks after it wait for the command's effect.
void Press(MainWindow& window, const QString& caption)
{
    QAccessibleInterface* button = ControlNamed(window, caption);
    QVERIFY2(button != nullptr, qPrintable(caption));
    QVERIFY2(button->actionInterface() != nullptr, qPrintable(caption));
    button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
}

// Presses at (13, 48), (23, 48) and (33, 52): with the start-up step of 5
// these become (15, 50), (25, 50) and (35, 50), three points on one line.
void PlaceThreePointsOnALine(const MainWindow& window)
{
    for (const QPoint press : {QPoint(13, 48), QPoint(23, 48), QPoint(33, 52)}) {
        QTest::mouseClick(window.Picture1(), Qt::LeftButton, {}, press);
    }
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_window = collinear::testing::ShownMainWindow();
        QVERIFY(m_window != nullptr);
    }

    void cleanup() { m_window.reset(); }

    void namesEveryControlWithItsRole()
    {
        MainWindow& window = *m_window;
        struct Expected {
            QString name;
            QAccessible::Role role;
            QObject* control;
        };
        const std::array<Expected, 13> expected{{
            {QStringLiteral("Чертай"), QAccessible::PushButton, window.Command1(MainWindow::Draw)},
            {QStringLiteral("Чисти"), QAccessible::PushButton, window.Command1(MainWindow::Clear)},
            {QStringLiteral("Изтрий"), QAccessible::PushButton,
             window.Command1(MainWindow::Delete)},
            {QStringLiteral(" Геометрия - точки, лежащи на права"), QAccessible::StaticText,
             window.Label1(0)},
            {QStringLiteral("X"), QAccessible::StaticText, window.Label1(1)},
            {QStringLiteral("Y"), QAccessible::StaticText, window.Label1(2)},
            {QStringLiteral("N"), QAccessible::StaticText, window.Label1(3)},
            {QStringLiteral("Допустима стъпка:"), QAccessible::StaticText, window.Label1(4)},
            {QStringLiteral("Координата X"), QAccessible::List, window.List1(PointTable::X)},
            {QStringLiteral("Координата Y"), QAccessible::List, window.List1(PointTable::Y)},
            {QStringLiteral("Номер на точката"), QAccessible::List, window.List1(PointTable::N)},
            {QStringLiteral("Допустима стъпка"), QAccessible::List, window.List3()},
            {QStringLiteral("Чертожно поле"), QAccessible::Canvas, window.Picture1()},
        }};
        for (const auto& [name, role, control] : expected) {
            const auto found = ControlsNamed(window, name);
            QVERIFY2(
                found.size() == 1,
                qPrintable(QStringLiteral("%1 controls named \"%2\"").arg(found.size()).arg(name)));
            QVERIFY2(found.first()->object() == control, qPrintable(name));
            QVERIFY2(found.first()->role() == role, qPrintable(name));
        }

        // The report panel may be any widget that shows text; only its name
        // is fixed here, its text below.
        QCOMPARE(ControlsNamed(window, QStringLiteral("Резултат")).size(), 1);

        // A control added later without a name would be read out as nothing.
        QAccessibleInterface* root = QAccessible::queryAccessibleInterface(m_window.get());
        QCOMPARE(root->childCount(), static_cast<int>(expected.size()) + 1);
        for (int child = 0; child < root->childCount(); ++child) {
            QVERIFY(!root->child(child)->text(QAccessible::Name).trimmed().isEmpty());
        }
    }

    void canvasTellsHowToUseIt()
    {
        QAccessibleInterface* canvas = ControlNamed(*m_window, QStringLiteral("Чертожно поле"));
        QVERIFY(canvas != nullptr);
        // Placing points is the canvas's whole use, and nothing else on the
        // window says how.
        QVERIFY(canvas->text(QAccessible::Description).contains(QStringLiteral("точка")));
        for (const QString& keys :
             {QStringLiteral("Ctrl+Shift+C"), QStringLiteral("Ctrl+Z"), QStringLiteral("Ctrl+Y"),
              QStringLiteral("Ctrl+плюс"), QStringLiteral("Ctrl+0"), QStringLiteral("F11")}) {
            QVERIFY2(canvas->text(QAccessible::Description).contains(keys), qPrintable(keys));
        }
        QVERIFY(canvas->state().focusable);
    }

    void reportPanelExposesItsText()
    {
        QAccessibleInterface* panel = ControlNamed(*m_window, QStringLiteral("Резултат"));
        QVERIFY(panel != nullptr);
        QVERIFY(panel->textInterface() != nullptr);
        QVERIFY(WholeText(panel).contains(kStartupFirstLine));
        // The pupil reads the panel but cannot type into it.
        QVERIFY(panel->state().readOnly);

        // A report replaces the start-up text, and a screen reader must
        // read the new text, not a copy taken earlier.
        PlaceThreePointsOnALine(*m_window);
        Press(*m_window, QStringLiteral("Чертай"));
        QTRY_VERIFY(!WholeText(panel).contains(kStartupFirstLine));
        const QString report = WholeText(panel);
        QVERIFY(report.startsWith(QStringLiteral("Търся, точки, лежащи на една права:")));
        QVERIFY(report.contains(QStringLiteral("15,50; 25,50; 35,50")));

        Press(*m_window, QStringLiteral("Чисти"));
        QTRY_COMPARE(WholeText(panel), QString());
    }

    void stepListExposesItsRowsAndSelection()
    {
        QAccessibleInterface* steps = ControlNamed(*m_window, QStringLiteral("Допустима стъпка"));
        QVERIFY(steps != nullptr);
        QCOMPARE(RowTexts(steps),
                 QStringList({"5", "10", "15", "20", "25", "30", "35", "40", "45", "50"}));
        QVERIFY(steps->child(0)->state().selected);
        QVERIFY(!steps->child(1)->state().selected);

        // A move by the scroll bar moves what a screen reader hears as the
        // selected and current row.
        m_window->List3()->setFocus();
        m_window->List3()->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QVERIFY(!steps->child(0)->state().selected);
        QVERIFY(steps->child(1)->state().selected);
        QVERIFY(steps->child(1)->state().focused);
    }

    void pointListsExposeTheirRows_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("X") << QStringLiteral("Координата X") << QStringList({"15", "25", "35"});
        QTest::newRow("Y") << QStringLiteral("Координата Y") << QStringList({"50", "50", "50"});
        QTest::newRow("N") << QStringLiteral("Номер на точката") << QStringList({"1", "2", "3"});
    }

    void pointListsExposeTheirRows()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, rows);
        QAccessibleInterface* list = ControlNamed(*m_window, name);
        QVERIFY(list != nullptr);
        QCOMPARE(list->childCount(), 0);

        PlaceThreePointsOnALine(*m_window);
        // Each list reads out its own column only, row by row.
        QCOMPARE(RowTexts(list), rows);

        // A screen reader that selects a row chooses that point, as a click
        // would: all three lists select and show it.
        QVERIFY(list->tableInterface() != nullptr);
        QVERIFY(list->tableInterface()->selectRow(2));
        for (const auto column : {PointTable::X, PointTable::Y, PointTable::N}) {
            const QListView* view = m_window->List1(column);
            QCOMPARE(m_window->Table().SelectedRow(column), 2);
            QCOMPARE(view->currentIndex().row(), 2);
            QCOMPARE(view->indexAt(view->viewport()->rect().center()).row(), 2);
        }
    }

private:
    std::unique_ptr<MainWindow> m_window;
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
