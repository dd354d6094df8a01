#include "report_panel.h"
#include "startup_text.h"
#include "window_layout.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>

#include <cmath>
#include <memory>
#include <string>

using collinear::ReportPanel;

namespace {

// The report of 51 points on one line: the heading and a line per triple.
std::string WorstCaseReport()
{
    std::string report = "Търся, точки, лежащи на една права:\r\n";
    for (int i = 0; i < 51; ++i) {
        for (int j = i + 1; j < 51; ++j) {
            for (int k = j + 1; k < 51; ++k) {
                report += std::to_string(100 + 5 * i) + ",100; " + std::to_string(100 + 5 * j)
                    + ",100; " + std::to_string(100 + 5 * k) + ",100\r\n";
            }
        }
    }
    return report;
}

QString Shown(const std::string& text)
{
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (shown.endsWith(u'\n')) {
        shown.chop(1);
    }
    return shown;
}

const std::string kTwoLineReport = "Търся, точки, лежащи на една права:\r\n15,50; 25,50; 35,50\r\n";

// The colour the viewport shows at a point in its own coordinates, from a
// grab at any display scale.
QColor ColourAt(const QImage& image, QPointF point)
{
    const double ratio = image.devicePixelRatio();
    return image.pixelColor(static_cast<int>(std::floor(point.x() * ratio)),
                            static_cast<int>(std::floor(point.y() * ratio)));
}

QImage Picture(const ReportPanel& panel)
{
    return panel.viewport()->grab().toImage();
}

// Opens the panel's context menu, picks the action `chosen` in it as the
// keyboard does, and returns the captions of its actions. The menu is a
// popup: it is open when the event returns, and the event loop goes on.
QStringList UseContextMenu(ReportPanel& panel, const QString& chosen)
{
    QStringList captions;
    const QPoint inside = panel.viewport()->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, inside,
                            panel.viewport()->mapToGlobal(inside));
    QCoreApplication::sendEvent(panel.viewport(), &event);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) {
        return captions;
    }
    for (QAction* action : menu->actions()) {
        captions << action->text() + (action->isEnabled() ? "" : " (off)");
        if (action->text() == chosen) {
            menu->setActiveAction(action);
        }
    }
    QTest::keyClick(menu, Qt::Key_Return);
    return captions;
}

} // namespace

class TestReportPanel : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_window = std::make_unique<QWidget>();
        m_window->setFont(collinear::WindowFont());
        m_window->setFixedSize(481, 429);
        m_panel = new ReportPanel(m_window.get());
        m_panel->setGeometry(collinear::kReportPanelGeometry);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup() { m_window.reset(); }

    void keepsTheTextExactlyAsSet_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("one line end") << QByteArray("\r\n") << QString();
        QTest::newRow("report") << QByteArray("Търся:\r\n0,0; 20,0; 10,0\r\n")
                                << QStringLiteral("Търся:\n0,0; 20,0; 10,0");
        QTest::newRow("no last line end") << QByteArray("a\r\nb") << QStringLiteral("a\nb");
        QTest::newRow("empty lines")
            << QByteArray("a\r\n\r\n\r\nb\r\n") << QStringLiteral("a\n\n\nb");
        QTest::newRow("LF alone") << QByteArray("a\nb\n") << QStringLiteral("a\nb");
        QTest::newRow("CR not before LF") << QByteArray("a\rb\r\r\n") << QStringLiteral("a\rb\r");
    }

    void keepsTheTextExactlyAsSet()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, shown);
        m_panel->SetText(text.toStdString());
        QCOMPARE(m_panel->Text(), text.toStdString());
        QCOMPARE(m_panel->ShownText(), shown);
        QCOMPARE(m_panel->ShownLength(), shown.size());
        m_panel->SelectAll();
        QCOMPARE(m_panel->SelectedText(), shown);
    }

    void startUpTextLooksAsInAPlainTextEdit()
    {
        // Neither shows a caret: the focus is elsewhere.
        m_window->setFocusPolicy(Qt::StrongFocus);
        m_window->setFocus();
        // What the panel showed when it was a read-only QPlainTextEdit.
        auto* plain = new QPlainTextEdit(m_window.get());
        plain->setGeometry(collinear::kReportPanelGeometry);
        plain->setReadOnly(true);
        plain->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        plain->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        plain->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        plain->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        plain->setPlainText(Shown(std::string(collinear::kStartupText)));
        plain->show();
        m_panel->SetText(std::string(collinear::kStartupText));
        QCoreApplication::processEvents();

        QCOMPARE(m_panel->viewport()->size(), plain->viewport()->size());
        QCOMPARE(m_panel->viewport()->grab().toImage(), plain->viewport()->grab().toImage());
    }

    void selectAllAndCopyTakeTheWholeText()
    {
        const std::string report = WorstCaseReport();
        m_panel->SetText(report);
        m_panel->setFocus();
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(m_panel, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(m_panel, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), Shown(report));

        // Typing changes nothing: the pupil only reads the panel.
        QTest::keyClicks(m_panel, QStringLiteral("x\b"));
        QTest::keyClick(m_panel, Qt::Key_Delete);
        QCOMPARE(m_panel->Text(), report);
    }

    void mouseAndKeyboardSelectPartOfTheText()
    {
        m_panel->SetText("15,50; 25,50; 35,50\r\n15,50; 25,50; 45,50\r\n");
        QWidget* viewport = m_panel->viewport();
        const QRect first = m_panel->CharacterRect(0);
        const QRect semicolon = m_panel->CharacterRect(5);
        QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(first.left(), first.center().y()));
        QTest::mouseMove(viewport, QPoint(semicolon.left(), semicolon.center().y()));
        QTest::mouseRelease(viewport, Qt::LeftButton, {},
                            QPoint(semicolon.left(), semicolon.center().y()));
        QCOMPARE(m_panel->SelectedText(), QStringLiteral("15,50"));

        QTest::keyClick(m_panel, Qt::Key_End, Qt::ShiftModifier);
        QCOMPARE(m_panel->SelectedText(), QStringLiteral("15,50; 25,50; 35,50"));
        QTest::keyClick(m_panel, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(m_panel->SelectedText(),
                 QStringLiteral("15,50; 25,50; 35,50\n15,50; 25,50; 45,50"));
        QTest::keyClick(m_panel, Qt::Key_Home);
        QCOMPARE(m_panel->SelectedText(), QString());
        QCOMPARE(m_panel->CaretPosition(), 20);

        const QRect word = m_panel->CharacterRect(8);
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, word.center());
        // A number with its decimal comma is one word, as in any text view.
        QCOMPARE(m_panel->SelectedText(), QStringLiteral("25,50"));
        // Shift with a click moves the selection's free end there.
        const QRect further = m_panel->CharacterRect(17);
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier,
                          QPoint(further.left(), further.center().y()));
        QCOMPARE(m_panel->SelectedText(), QStringLiteral("25,50; 35,"));
    }

    void wordAndLineKeysMoveAndSelect()
    {
        m_panel->SetText(kTwoLineReport);
        m_panel->setFocus();
        const auto press = [this](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
            QTest::keyClick(m_panel, key, modifiers);
            return m_panel->CaretPosition();
        };
        // Ctrl+Right goes to the end of a word, Ctrl+Left to the start of one.
        QCOMPARE(press(Qt::Key_Right, Qt::ControlModifier), 5);
        QCOMPARE(press(Qt::Key_Right, Qt::ControlModifier), 12);
        QCOMPARE(press(Qt::Key_End, Qt::ShiftModifier), 35);
        QCOMPARE(m_panel->SelectedText(), QStringLiteral(", лежащи на една права:"));
        QCOMPARE(press(Qt::Key_Left, Qt::ControlModifier), 29);
        QCOMPARE(m_panel->SelectedText(), QString());
        // Both cross line ends; a number with its comma is one word.
        QCOMPARE(press(Qt::Key_Right, Qt::ControlModifier), 34);
        QCOMPARE(press(Qt::Key_Right, Qt::ControlModifier), 41);
        QCOMPARE(press(Qt::Key_Left, Qt::ControlModifier), 36);
        QCOMPARE(press(Qt::Key_Left, Qt::ControlModifier), 29);
        QCOMPARE(press(Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier), 34);
        QCOMPARE(press(Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier), 41);
        QCOMPARE(m_panel->SelectedText(), QStringLiteral("права:\n15,50"));
        QCOMPARE(press(Qt::Key_End, Qt::ControlModifier), m_panel->ShownLength());
        QCOMPARE(press(Qt::Key_Right, Qt::ControlModifier), m_panel->ShownLength());
        QCOMPARE(press(Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier), 50);
        QCOMPARE(m_panel->SelectedText(), QStringLiteral("35,50"));
        QCOMPARE(press(Qt::Key_Home, Qt::ShiftModifier), 36);
        QCOMPARE(m_panel->SelectedText(), QStringLiteral("15,50; 25,50; 35,50"));
        QCOMPARE(press(Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier), 0);
        QCOMPARE(m_panel->SelectionEnd(), m_panel->ShownLength());
        // An arrow without Shift leaves a selection at the end it points to.
        QCOMPARE(press(Qt::Key_Right), m_panel->ShownLength());
        QCOMPARE(press(Qt::Key_Home, Qt::ControlModifier), 0);
        QCOMPARE(press(Qt::Key_Left, Qt::ControlModifier), 0);
        QCOMPARE(press(Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier),
                 m_panel->ShownLength());
        QCOMPARE(press(Qt::Key_Left), 0);
        QCOMPARE(m_panel->SelectedText(), QString());

        // Shift with Page Down selects a screenful more each time; without
        // Shift the selection goes.
        m_panel->SetText(WorstCaseReport());
        const int paged = press(Qt::Key_PageDown, Qt::ShiftModifier);
        QVERIFY(paged > 36);
        QVERIFY(m_panel->viewport()->rect().contains(m_panel->CharacterRect(paged)));
        const int pagedTwice = press(Qt::Key_PageDown, Qt::ShiftModifier);
        QVERIFY(pagedTwice > paged);
        QCOMPARE(m_panel->SelectionStart(), 0);
        QCOMPARE(m_panel->SelectionEnd(), pagedTwice);
        QVERIFY(press(Qt::Key_PageUp) < pagedTwice);
        QCOMPARE(m_panel->SelectedText(), QString());
    }

    void caretStepsOverWholeCharacters()
    {
        // e with a combining acute, x, a blank, an emoji of two UTF-16
        // units, y; then a second line.
        m_panel->SetText("e\xcc\x81x \xf0\x9f\x98\x80y\r\nz");
        m_panel->setFocus();
        QList<int> forward;
        for (int step = 0; step < 7; ++step) {
            QTest::keyClick(m_panel, Qt::Key_Right);
            forward << m_panel->CaretPosition();
        }
        QCOMPARE(forward, QList<int>({2, 3, 4, 6, 7, 8, 9}));
        QList<int> back;
        for (int step = 0; step < 7; ++step) {
            QTest::keyClick(m_panel, Qt::Key_Left);
            back << m_panel->CaretPosition();
        }
        QCOMPARE(back, QList<int>({8, 7, 6, 4, 3, 2, 0}));
        QTest::keyClick(m_panel, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(m_panel->SelectedText(), QString::fromUtf8("e\xcc\x81"));
    }

    void tripleClickSelectsTheLine()
    {
        m_panel->SetText(kTwoLineReport);
        QWidget* viewport = m_panel->viewport();
        const QPoint onFirst = m_panel->CharacterRect(8).center();
        const QPoint onLast = m_panel->CharacterRect(45).center();
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, onFirst);
        QCOMPARE(m_panel->SelectedText(), QStringLiteral("точки"));
        QTest::mouseClick(viewport, Qt::LeftButton, {}, onFirst);
        // The line with its line end, as Qt's text boxes take it.
        QCOMPARE(m_panel->SelectedText(), QStringLiteral("Търся, точки, лежащи на една права:\n"));
        // A fourth press starts afresh.
        QTest::mouseClick(viewport, Qt::LeftButton, {}, onFirst);
        QCOMPARE(m_panel->SelectedText(), QString());
        // The last line has no line end to take.
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, onLast);
        QTest::mouseClick(viewport, Qt::LeftButton, {}, onLast);
        QCOMPARE(m_panel->SelectedText(), QStringLiteral("15,50; 25,50; 35,50"));

        // Only a press soon after the double-click and near it counts.
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, onLast);
        QTest::mouseClick(viewport, Qt::LeftButton, {}, onFirst);
        QCOMPARE(m_panel->SelectedText(), QString());
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, onLast);
        QTest::mouseClick(viewport, Qt::LeftButton, {}, onLast,
                          QApplication::doubleClickInterval() + 1);
        QCOMPARE(m_panel->SelectedText(), QString());

        // A double-click on the right half of a word's last letter takes
        // that word, not what follows it.
        const QRect lastLetter = m_panel->CharacterRect(4);
        QTest::mouseDClick(viewport, Qt::LeftButton, {},
                           QPoint(lastLetter.right() - 1, lastLetter.center().y()));
        QCOMPARE(m_panel->SelectedText(), QStringLiteral("Търся"));
    }

    void dragBeyondTheViewScrollsTowardsThePointer()
    {
        m_panel->SetText(WorstCaseReport());
        QWidget* viewport = m_panel->viewport();
        QScrollBar* bar = m_panel->verticalScrollBar();
        bar->setValue(bar->maximum() / 2);
        const int middle = bar->value();
        const QPoint start = viewport->rect().center();
        QTest::mousePress(viewport, Qt::LeftButton, {}, start);
        const int anchor = m_panel->CaretPosition();
        // Held still below the view, the pointer keeps the view scrolling,
        // and the selection follows to the bottom edge.
        QTest::mouseMove(viewport, QPoint(start.x(), viewport->height() + 30));
        QTRY_VERIFY(bar->value() > middle + 5 * bar->pageStep());
        QCOMPARE(m_panel->SelectionStart(), anchor);
        const QRect caret = m_panel->CharacterRect(m_panel->CaretPosition());
        QVERIFY2(caret.bottom() >= viewport->height() - caret.height()
                     && caret.top() < viewport->height(),
                 qPrintable(QStringLiteral("caret at %1").arg(caret.top())));
        // Back inside, it stops.
        QTest::mouseMove(viewport, viewport->rect().center());
        const int inside = bar->value();
        QTest::qWait(200);
        QCOMPARE(bar->value(), inside);
        // Above the view it scrolls back up, and a release stops it.
        QTest::mouseMove(viewport, QPoint(start.x(), -30));
        QTRY_VERIFY(bar->value() < middle - bar->pageStep());
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(start.x(), -30));
        const int released = bar->value();
        QCOMPARE(m_panel->SelectionEnd(), anchor);
        QTest::qWait(200);
        QCOMPARE(bar->value(), released);
    }

    void paintsTheSelectionAndABlinkingCaret()
    {
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        m_panel->SetText(kTwoLineReport);
        m_panel->setFocus();
        const QColor highlight = m_panel->palette().color(QPalette::Active, QPalette::Highlight);
        const QColor base = m_panel->palette().color(QPalette::Base);
        // Within the first line, up to the colon.
        m_panel->Select(7, 35);
        QImage picture = Picture(*m_panel);
        const QRect selected = m_panel->CharacterRect(12);
        QCOMPARE(ColourAt(picture, QPointF(selected.left() + 0.5, selected.top() + 1.5)),
                 highlight);
        QCOMPARE(ColourAt(picture, QPointF(m_panel->CharacterRect(5).center())).name(),
                 base.name());
        const QRect lineEnd = m_panel->CharacterRect(35);
        QCOMPARE(ColourAt(picture, QPointF(lineEnd.left() + 2.5, lineEnd.top() + 1.5)).name(),
                 base.name());
        // With the line end, a blank after the line shows it; the right
        // margin stays blank.
        m_panel->Select(7, 40);
        picture = Picture(*m_panel);
        QCOMPARE(ColourAt(picture, QPointF(lineEnd.left() + 2.5, lineEnd.top() + 1.5)), highlight);
        QCOMPARE(ColourAt(picture, QPointF(m_panel->viewport()->width() - 1.5, lineEnd.top() + 1.5))
                     .name(),
                 base.name());

        // The caret blinks while the panel has the focus.
        m_panel->Select(0, 0);
        const QRect caret = m_panel->CharacterRect(0).adjusted(-2, 0, 0, 0);
        const auto caretArea = [&] {
            const QImage whole = Picture(*m_panel);
            const double ratio = whole.devicePixelRatio();
            return whole.copy(
                QRectF(caret.topLeft() * ratio, QSizeF(caret.size()) * ratio).toAlignedRect());
        };
        const QImage shown = caretArea();
        QTRY_VERIFY(caretArea() != shown);
        QTRY_VERIFY(caretArea() == shown);
    }

    void endOnAWrappedLineStaysOnItsVisualLine()
    {
        std::string words;
        while (words.size() < 300) {
            words += "15,50; 25,50; ";
        }
        std::string letters(300, 'W');
        for (const std::string& line : {words, letters}) {
            m_panel->SetText(line + "\r\nnext");
            m_panel->setFocus();
            QTest::keyClick(m_panel, Qt::Key_Home, Qt::ControlModifier);
            QTest::keyClick(m_panel, Qt::Key_End, Qt::ShiftModifier);
            const int end = m_panel->CaretPosition();
            const int top = m_panel->CharacterRect(0).top();
            QVERIFY2(end > 0 && end < static_cast<int>(line.size()),
                     qPrintable(QString::number(end)));
            // The selection takes the whole first visual line and no more;
            // between words the blank the line breaks at stays out of it.
            const int next = line == words ? end + 1 : end;
            QCOMPARE(m_panel->CharacterRect(next - 1).top(), top);
            QVERIFY(m_panel->CharacterRect(next).top() > top);
            QVERIFY(!m_panel->SelectedText().endsWith(u' '));
        }
        // Between words End a second time stays where it is.
        m_panel->SetText(words + "\r\nnext");
        QTest::keyClick(m_panel, Qt::Key_End);
        const int end = m_panel->CaretPosition();
        QTest::keyClick(m_panel, Qt::Key_End);
        QCOMPARE(m_panel->CaretPosition(), end);
    }

    void contextMenuCopiesAndSelectsAll()
    {
        m_panel->SetText(kTwoLineReport);
        QGuiApplication::clipboard()->clear();
        const QString selectAll = QStringLiteral("Маркирай &всичко");
        const QString copy = QStringLiteral("&Копирай");
        QCOMPARE(UseContextMenu(*m_panel, selectAll), QStringList({copy + " (off)", selectAll}));
        QCOMPARE(m_panel->SelectedText(), Shown(kTwoLineReport));
        QCOMPARE(UseContextMenu(*m_panel, copy), QStringList({copy, selectAll}));
        QCOMPARE(QGuiApplication::clipboard()->text(), Shown(kTwoLineReport));
    }

    void followsFontAndStyleChanges()
    {
        std::string text = std::string(collinear::kStartupText);
        // A panel made with the new font and style from the start shows what
        // the changed one must show.
        const auto freshPanel = [&](const QFont& font, QStyle* style) {
            auto* fresh = new ReportPanel(m_window.get());
            fresh->setGeometry(collinear::kReportPanelGeometry);
            fresh->setFont(font);
            if (style != nullptr) {
                fresh->setStyle(style);
            }
            fresh->SetText(text);
            fresh->show();
            return fresh;
        };
        // Without the focus neither shows a caret, which blinks.
        m_window->setFocusPolicy(Qt::StrongFocus);
        m_window->setFocus();
        m_panel->SetText(text);
        QFont larger = m_panel->font();
        larger.setPointSize(18);
        m_panel->setFont(larger);
        ReportPanel* fresh = freshPanel(larger, nullptr);
        QCoreApplication::processEvents();
        QCOMPARE(m_panel->verticalScrollBar()->maximum(), fresh->verticalScrollBar()->maximum());
        QCOMPARE(Picture(*m_panel), Picture(*fresh));
        delete fresh;

        std::unique_ptr<QStyle> windows(QStyleFactory::create(QStringLiteral("Windows")));
        QVERIFY(windows != nullptr);
        const int widthBefore = m_panel->viewport()->width();
        m_panel->setStyle(windows.get());
        fresh = freshPanel(larger, windows.get());
        QCoreApplication::processEvents();
        // Its scroll bar is wider, so the text has to wrap anew.
        QVERIFY(m_panel->viewport()->width() != widthBefore);
        QCOMPARE(m_panel->viewport()->width(), fresh->viewport()->width());
        QCOMPARE(m_panel->verticalScrollBar()->maximum(), fresh->verticalScrollBar()->maximum());
        QCOMPARE(Picture(*m_panel), Picture(*fresh));
        delete fresh;
        m_panel->setStyle(nullptr);
    }

    void longLineWrapsAtThePanelWidth()
    {
        std::string line;
        while (line.size() < 400) {
            line += "1234567,-7654321; ";
        }
        m_panel->SetText(line + "\r\nnext\r\n");
        const int last = static_cast<int>(line.size()) - 1;
        const QRect start = m_panel->CharacterRect(0);
        // The last semicolon; the blank after it may hang past the edge.
        const QRect end = m_panel->CharacterRect(last - 1);
        QVERIFY2(end.top() >= start.bottom(),
                 qPrintable(QStringLiteral("%1 below %2").arg(end.top()).arg(start.bottom())));
        QVERIFY(end.right() < m_panel->viewport()->width());
        // The next line starts under the last visual line of the long one.
        QVERIFY(m_panel->CharacterRect(last + 2).top() >= end.bottom());

        // A line only a little wider than the panel wraps too.
        const QFontMetricsF metrics(m_panel->font(), m_panel->viewport());
        std::string wider = "1";
        while (metrics.horizontalAdvance(QString::fromStdString(wider))
               < m_panel->viewport()->width()) {
            wider += wider.size() % 9 == 8 ? " " : "1";
        }
        m_panel->SetText(wider + "\r\nnext");
        const int next = static_cast<int>(wider.size()) + 1;
        QVERIFY(m_panel->CharacterRect(next).top() >= start.top() + 2 * start.height());

        m_panel->SetText(line + "\r\nnext\r\n");
        // Narrower, the long line needs more visual lines.
        const int rowsBefore = m_panel->CharacterRect(last + 2).top() / start.height();
        m_panel->resize(m_panel->width() / 2, m_panel->height());
        QVERIFY(m_panel->CharacterRect(last + 2).top() / start.height() > rowsBefore);
        QVERIFY(m_panel->CharacterRect(last - 1).right() < m_panel->viewport()->width());
        QVERIFY(!m_panel->horizontalScrollBar()->isVisible());
    }

    void longReportScrollsAndAReplacedTextShowsItsTop()
    {
        const std::string report = WorstCaseReport();
        m_panel->SetText(report);
        QScrollBar* bar = m_panel->verticalScrollBar();
        const int rowHeight = QFontMetrics(m_panel->font()).lineSpacing();
        QVERIFY(bar->isVisible());
        QVERIFY2(bar->maximum() > 20826 * rowHeight * 9 / 10,
                 qPrintable(QString::number(bar->maximum())));

        bar->setValue(bar->maximum());
        // At the bottom the last line is in view.
        const int last = m_panel->ShownLength() - 1;
        QVERIFY(m_panel->viewport()->rect().contains(m_panel->CharacterRect(last)));
        QCOMPARE(m_panel->PositionAt(m_panel->CharacterRect(last).center()), last);

        // The keyboard reaches both ends, and pages a screenful at a time.
        m_panel->setFocus();
        QTest::keyClick(m_panel, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(bar->value(), 0);
        QTest::keyClick(m_panel, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(bar->value(), bar->maximum());
        QCOMPARE(m_panel->CaretPosition(), m_panel->ShownLength());
        QTest::keyClick(m_panel, Qt::Key_PageUp);
        const int paged = bar->maximum() - bar->value();
        QVERIFY2(paged > bar->pageStep() / 2 && paged <= bar->pageStep(),
                 qPrintable(QString::number(paged)));
        QVERIFY(
            m_panel->viewport()->rect().contains(m_panel->CharacterRect(m_panel->CaretPosition())));

        m_panel->SetText(report);
        QCOMPARE(bar->value(), 0);
        QCOMPARE(m_panel->PositionAt(QPoint(1, 1)), 0);
        m_panel->SetText(std::string(collinear::kStartupText));
        QCOMPARE(bar->value(), 0);
        QVERIFY(bar->maximum() > 0);
        QVERIFY(bar->maximum() < 30 * rowHeight);
    }

    void screenReadersReadAndSelectTheText()
    {
        const std::string report = WorstCaseReport();
        m_panel->SetText(report);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(m_panel);
        QVERIFY(accessible != nullptr);
        QVERIFY(accessible->state().readOnly);
        QVERIFY(accessible->state().multiLine);
        QAccessibleTextInterface* text = accessible->textInterface();
        QVERIFY(text != nullptr);
        QCOMPARE(text->text(0, text->characterCount()), Shown(report));

        text->setSelection(0, 36, 41);
        QCOMPARE(m_panel->SelectedText(), QStringLiteral("100,1"));
        int start = -1;
        int end = -1;
        text->selection(0, &start, &end);
        QCOMPARE(start, 36);
        QCOMPARE(end, 41);

        // A character's place on the screen leads back to the character, also
        // far down the report.
        for (const int offset : {36, text->characterCount() - 3}) {
            text->scrollToSubstring(offset, offset + 1);
            const QRect place = text->characterRect(offset);
            QVERIFY(place.isValid());
            QCOMPARE(text->offsetAtPoint(place.center() - QPoint(place.width() / 4, 0)), offset);
        }
    }

private:
    std::unique_ptr<QWidget> m_window;
    ReportPanel* m_panel = nullptr;
};

QTEST_MAIN(TestReportPanel)
#include "tst_report_panel.moc"
