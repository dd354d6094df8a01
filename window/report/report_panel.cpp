// The report panel as a widget: its events, painting, menu and clipboard.
#include "report_panel.h"

#include "focus_frame.h"
#include "report_accessible.h"
#include "report_layout.h"
#include "zoomed_style.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextLayout>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace collinear {

namespace {

// How often a drag beyond the top or bottom scrolls the view, in ms.
constexpr int kAutoScrollInterval = 50;

struct KeyMove {
    QKeySequence::StandardKey key;
    CaretMove move;
    bool keepAnchor;
};

// The keys of a read-only Qt text box, as the platform binds them: each
// moves the caret, and with Shift (keepAnchor) takes what it passes into
// the selection.
constexpr std::array kKeyMoves{
    KeyMove{QKeySequence::MoveToPreviousLine, CaretMove::PreviousRow, false},
    KeyMove{QKeySequence::SelectPreviousLine, CaretMove::PreviousRow, true},
    KeyMove{QKeySequence::MoveToNextLine, CaretMove::NextRow, false},
    KeyMove{QKeySequence::SelectNextLine, CaretMove::NextRow, true},
    KeyMove{QKeySequence::MoveToPreviousPage, CaretMove::PreviousPage, false},
    KeyMove{QKeySequence::SelectPreviousPage, CaretMove::PreviousPage, true},
    KeyMove{QKeySequence::MoveToNextPage, CaretMove::NextPage, false},
    KeyMove{QKeySequence::SelectNextPage, CaretMove::NextPage, true},
    KeyMove{QKeySequence::MoveToNextChar, CaretMove::NextCharacter, false},
    KeyMove{QKeySequence::SelectNextChar, CaretMove::NextCharacter, true},
    KeyMove{QKeySequence::MoveToPreviousChar, CaretMove::PreviousCharacter, false},
    KeyMove{QKeySequence::SelectPreviousChar, CaretMove::PreviousCharacter, true},
    KeyMove{QKeySequence::MoveToNextWord, CaretMove::NextWordEnd, false},
    KeyMove{QKeySequence::SelectNextWord, CaretMove::NextWordEnd, true},
    KeyMove{QKeySequence::MoveToPreviousWord, CaretMove::PreviousWordStart, false},
    KeyMove{QKeySequence::SelectPreviousWord, CaretMove::PreviousWordStart, true},
    KeyMove{QKeySequence::MoveToStartOfLine, CaretMove::StartOfRow, false},
    KeyMove{QKeySequence::SelectStartOfLine, CaretMove::StartOfRow, true},
    KeyMove{QKeySequence::MoveToEndOfLine, CaretMove::EndOfRow, false},
    KeyMove{QKeySequence::SelectEndOfLine, CaretMove::EndOfRow, true},
    KeyMove{QKeySequence::MoveToStartOfDocument, CaretMove::StartOfText, false},
    KeyMove{QKeySequence::SelectStartOfDocument, CaretMove::StartOfText, true},
    KeyMove{QKeySequence::MoveToEndOfDocument, CaretMove::EndOfText, false},
    KeyMove{QKeySequence::SelectEndOfDocument, CaretMove::EndOfText, true},
};

} // namespace

ReportPanel::ReportPanel(QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_layout(std::make_unique<ReportLayout>(m_text, *viewport()))
    , m_cursor(m_text, *m_layout)
{
    InstallReportPanelAccessible();
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
}

ReportPanel::~ReportPanel() = default;

void ReportPanel::SetText(std::string text)
{
    const QString previous = QAccessible::isActive() ? ShownText() : QString();
    m_text.SetText(std::move(text));
    m_cursor.Select(0, 0);
    m_cursor.ForgetX();
    m_layout->Invalidate();
    // A hidden panel may not have its final width yet; it measures its
    // lines when it is shown.
    if (isVisible()) {
        UpdateScrollBar();
    }
    verticalScrollBar()->setValue(verticalScrollBar()->minimum());
    RestartCaretBlink();
    viewport()->update();
    if (QAccessible::isActive()) {
        AnnounceTextReplaced(*this, previous, ShownText());
    }
}

int ReportPanel::ScrollOffset() const
{
    return verticalScrollBar()->value();
}

void ReportPanel::UpdateScrollBar()
{
    m_layout->Update();
    const int height = viewport()->height();
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, std::max(0, static_cast<int>(std::ceil(m_layout->ContentHeight())) - height));
    bar->setPageStep(std::max(1, height));
    bar->setSingleStep(std::max(1, static_cast<int>(std::lround(m_layout->RowHeight()))));
}

int ReportPanel::PositionAt(const QPoint& point) const
{
    return m_layout->PositionAt(QPointF(point.x(), point.y() + ScrollOffset()));
}

QRect ReportPanel::CharacterRect(int offset) const
{
    if (offset < 0 || offset >= ShownLength()) {
        return {};
    }
    return m_layout->CharacterRect(offset).translated(0, -ScrollOffset()).toAlignedRect();
}

void ReportPanel::EnsureVisible(int offset)
{
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(m_layout->TopToShow(offset, bar->value(), bar->maximum()));
}

void ReportPanel::Copy() const
{
    if (m_cursor.HasSelection()) {
        QGuiApplication::clipboard()->setText(SelectedText());
    }
}

void ReportPanel::MoveCaret(int position, bool keepAnchor)
{
    Select(keepAnchor ? m_cursor.Anchor() : position, position);
}

void ReportPanel::Select(int anchor, int position)
{
    const ReportCursor before = m_cursor;
    m_cursor.Select(anchor, position);
    CaretMoved(before);
}

void ReportPanel::MoveCaret(CaretMove move, bool keepAnchor)
{
    const ReportCursor before = m_cursor;
    const int rows = m_cursor.Move(move, keepAnchor, m_layout->PageRows());
    if (std::abs(rows) > 1) {
        // Paging scrolls the view as far as the caret goes.
        QScrollBar* bar = verticalScrollBar();
        bar->setValue(bar->value() + static_cast<int>(std::lround(rows * m_layout->RowHeight())));
    }
    CaretMoved(before);
}

void ReportPanel::CaretMoved(const ReportCursor& before)
{
    EnsureVisible(CaretPosition());
    RestartCaretBlink();
    viewport()->update();
    if (QAccessible::isActive()) {
        AnnounceCaretMoved(*this, before);
    }
}

int ReportPanel::DragPosition(const QPoint& point) const
{
    const int bottom = std::max(0, viewport()->height() - 1);
    return PositionAt(QPoint(point.x(), std::clamp(point.y(), 0, bottom)));
}

void ReportPanel::AutoScroll()
{
    // How far the pointer is above (< 0) or below the view.
    const int y = m_dragPoint.y();
    const int beyond = y < 0 ? y : std::max(0, y - viewport()->height() + 1);
    if (!m_selectingWithMouse || beyond == 0) {
        m_autoScroll.stop();
        return;
    }
    // A row a tick near the edge, faster the further the pointer is from it.
    const double rowHeight = m_layout->RowHeight();
    const int rows = std::min(10, 1 + std::abs(beyond) / std::max(1, static_cast<int>(rowHeight)));
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->value()
                  + (beyond < 0 ? -1 : 1) * static_cast<int>(std::lround(rows * rowHeight)));
    MoveCaret(DragPosition(m_dragPoint), true);
}

void ReportPanel::RestartCaretBlink()
{
    const int flashTime = QGuiApplication::styleHints()->cursorFlashTime();
    m_caretShown = hasFocus();
    if (hasFocus() && flashTime >= 2) {
        m_caretBlink.start(flashTime / 2, this);
    } else {
        m_caretBlink.stop();
    }
}

bool ReportPanel::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        // The panel's own keys win over shortcuts of the window.
        auto* key = static_cast<QKeyEvent*>(event);
        if (key == QKeySequence::Copy || key == QKeySequence::SelectAll) {
            event->accept();
            return true;
        }
    }
    if (event->type() == QEvent::LayoutRequest && m_topLineToKeep >= 0) {
        LayOutAgainKeepingTopLine();
    }
    const bool handled = QAbstractScrollArea::event(event);
    // The caret alone, which blinks, would show the focus only half the
    // time; the frame shows it as on every other control.
    PaintFocusFrameAfter(*this, *event);
    return handled;
}

void ReportPanel::paintEvent(QPaintEvent* event)
{
    m_layout->Update();
    QPainter painter(viewport());
    QRect exposed = event->rect();
    // The right margin stays blank, also under a selected line end.
    exposed.setRight(
        std::min(exposed.right(), viewport()->width() - static_cast<int>(m_layout->Margin()) + 1));
    painter.setClipRect(exposed);
    painter.setPen(palette().text().color());

    const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
    QTextCharFormat selected;
    selected.setBackground(palette().brush(group, QPalette::Highlight));
    selected.setForeground(palette().brush(group, QPalette::HighlightedText));

    const int top = ScrollOffset();
    for (int line = m_layout->LineAtY(top + exposed.top()); line < m_text.LineCount(); ++line) {
        const double y = m_layout->LineTop(line) - top;
        if (y > exposed.bottom()) {
            break;
        }
        const int start = m_text.LineStart(line);
        // A selection that takes in the line end shows it as a blank.
        QList<QTextLayout::FormatRange> selections;
        if (SelectionStart() < m_text.LineEnd(line) + 1 && SelectionEnd() > start
            && SelectionEnd() > SelectionStart()) {
            selections.append(
                {SelectionStart() - start, SelectionEnd() - SelectionStart(), selected});
        }
        QTextLayout& layout = m_layout->Line(line);
        layout.draw(&painter, QPointF(0, y), selections, exposed);
        const int caret = CaretPosition();
        if (m_caretShown && caret >= start && caret <= m_text.LineEnd(line)) {
            layout.drawCursor(&painter, QPointF(0, y), caret - start, CaretWidth());
        }
    }
}

void ReportPanel::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (!isVisible()) {
        return;
    }
    if (m_layout->IsCurrent() && m_topLineToKeep < 0) {
        UpdateScrollBar();
        return;
    }
    LayOutAgainKeepingTopLine();
}

void ReportPanel::KeepTopLine()
{
    if (m_topLineToKeep < 0) {
        m_topLineToKeep
            = m_layout->IsValid() ? m_layout->LineAtY(ScrollOffset() + m_layout->Margin()) : 0;
    }
}

void ReportPanel::LayOutAgainKeepingTopLine()
{
    // The line at the top stays in view while the lines wrap anew, in a
    // new width, font or margin: a pupil who made the window larger is
    // still reading the same triple.
    KeepTopLine();
    const int topLine = m_topLineToKeep;
    m_topLineToKeep = -1;
    m_layout->SetMargin(ReportLayout::kMargin * DesignFactorOf(*this));
    m_layout->Invalidate();
    UpdateScrollBar();
    verticalScrollBar()->setValue(
        static_cast<int>(m_layout->LineTop(topLine) - m_layout->Margin()));
}

int ReportPanel::CaretWidth() const
{
    return DesignLengthOf(*this, 1);
}

void ReportPanel::showEvent(QShowEvent* event)
{
    QAbstractScrollArea::showEvent(event);
    UpdateScrollBar();
}

void ReportPanel::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        // A window that grows changes the font, the style and the size at
        // once: the lines are wrapped anew once, at the new size or, when
        // the size stays, as soon as the events of the change are through.
        KeepTopLine();
        m_layout->Invalidate();
        QCoreApplication::postEvent(this, new QEvent(QEvent::LayoutRequest));
        viewport()->update();
    }
}

void ReportPanel::scrollContentsBy(int /*dx*/, int /*dy*/)
{
    viewport()->update();
}

void ReportPanel::keyPressEvent(QKeyEvent* event)
{
    if (event == QKeySequence::SelectAll) {
        SelectAll();
        return;
    }
    if (event == QKeySequence::Copy) {
        Copy();
        return;
    }
    const auto* found = std::find_if(kKeyMoves.begin(), kKeyMoves.end(),
                                     [event](const KeyMove& key) { return event == key.key; });
    if (found == kKeyMoves.end()) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    MoveCaret(found->move, found->keepAnchor);
}

void ReportPanel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint point = event->position().toPoint();
    const bool tripleClick = m_doubleClicked
        && event->timestamp() - m_doubleClickTime
            < static_cast<quint64>(QApplication::doubleClickInterval())
        && (point - m_doubleClickPoint).manhattanLength() < QApplication::startDragDistance();
    m_doubleClicked = false;
    if (tripleClick) {
        // The line with its line end, as Qt's text boxes take it.
        const ReportText::Span line = m_text.LineAt(PositionAt(point));
        m_cursor.ForgetX();
        Select(line.start, line.end);
        return;
    }
    m_selectingWithMouse = true;
    m_dragPoint = point;
    m_cursor.ForgetX();
    MoveCaret(PositionAt(point), event->modifiers().testFlag(Qt::ShiftModifier));
}

void ReportPanel::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_selectingWithMouse || !event->buttons().testFlag(Qt::LeftButton)) {
        return;
    }
    m_dragPoint = event->position().toPoint();
    MoveCaret(DragPosition(m_dragPoint), true);
    const bool outside = m_dragPoint.y() < 0 || m_dragPoint.y() >= viewport()->height();
    if (outside && !m_autoScroll.isActive()) {
        m_autoScroll.start(kAutoScrollInterval, this);
    } else if (!outside) {
        m_autoScroll.stop();
    }
}

void ReportPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_selectingWithMouse) {
        return;
    }
    m_selectingWithMouse = false;
    m_autoScroll.stop();
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (m_cursor.HasSelection() && clipboard->supportsSelection()) {
        clipboard->setText(SelectedText(), QClipboard::Selection);
    }
}

void ReportPanel::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint point = event->position().toPoint();
    const auto word
        = m_text.WordAt(m_layout->CharacterAt(QPointF(point.x(), point.y() + ScrollOffset())));
    m_selectingWithMouse = false;
    m_autoScroll.stop();
    m_doubleClicked = true;
    m_doubleClickTime = event->timestamp();
    m_doubleClickPoint = point;
    if (word) {
        m_cursor.ForgetX();
        Select(word->start, word->end);
    }
}

void ReportPanel::contextMenuEvent(QContextMenuEvent* event)
{
    // Shown with popup, not exec: a menu that waits for the choice in an
    // event loop of its own hangs a browser page, whose own loop must go on.
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* copy = menu->addAction(QStringLiteral("&Копирай"), this, &ReportPanel::Copy);
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(m_cursor.HasSelection());
    QAction* all
        = menu->addAction(QStringLiteral("Маркирай &всичко"), this, &ReportPanel::SelectAll);
    all->setShortcut(QKeySequence::SelectAll);
    all->setEnabled(ShownLength() > 0);
    menu->popup(event->globalPos());
}

void ReportPanel::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    RestartCaretBlink();
    update();
    viewport()->update();
}

void ReportPanel::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    m_selectingWithMouse = false;
    m_autoScroll.stop();
    RestartCaretBlink();
    update();
    viewport()->update();
}

void ReportPanel::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_autoScroll.timerId()) {
        AutoScroll();
        return;
    }
    if (event->timerId() != m_caretBlink.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    m_caretShown = !m_caretShown;
    const QRectF caret = m_layout->CaretRect(CaretPosition()).translated(0, -ScrollOffset());
    viewport()->update(caret.toAlignedRect().adjusted(-CaretWidth(), 0, CaretWidth(), 0));
}

} // namespace collinear
