// The report panel as a widget: its events, painting, menu and clipboard.
#pragma once

#include "report_cursor.h"
#include "report_text.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QString>

#include <memory>
#include <string>

namespace collinear {

class ReportLayout;

// The report panel: read-only for the pupil but selectable (mouse, keyboard,
// Ctrl+A) and copyable (Ctrl+C, context menu), wrapping long lines at the
// panel's width, with a vertical scroll bar only. Its text keeps the CR LF
// line ends the program writes; the panel shows them as line breaks.
//
// A report can have 20,826 lines. The panel keeps only the text it is
// given and where each line starts (ReportText), and lays out only the
// lines it paints (ReportLayout). Setting a long report so costs a pass
// over its bytes instead of a text document of 20,000 paragraphs. This
// class answers the pupil's keys and mouse by moving its ReportCursor, and
// paints; screen readers read it through report_accessible.h.
class ReportPanel : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit ReportPanel(QWidget* parent = nullptr);
    ~ReportPanel() override;

    ReportPanel(const ReportPanel&) = delete;
    ReportPanel& operator=(const ReportPanel&) = delete;

    [[nodiscard]] const std::string& Text() const { return m_text.Bytes(); }
    // Replaces the whole text, clears the selection and shows the top.
    void SetText(std::string text);

    // The text as shown: lines joined by "\n", without the last line end.
    // Selection, copying and screen readers count characters in it.
    [[nodiscard]] QString ShownText() const { return m_text.Shown(); }
    [[nodiscard]] int ShownLength() const { return m_text.ShownLength(); }

    void SelectAll() { Select(0, ShownLength()); }
    // Selects from `anchor` to `position` in the shown text and moves the
    // caret to `position`.
    void Select(int anchor, int position);
    [[nodiscard]] int CaretPosition() const { return m_cursor.Position(); }
    [[nodiscard]] int SelectionStart() const { return m_cursor.SelectionStart(); }
    [[nodiscard]] int SelectionEnd() const { return m_cursor.SelectionEnd(); }
    [[nodiscard]] QString SelectedText() const { return m_cursor.SelectedText(); }
    // Puts the selected text on the clipboard; nothing when none is selected.
    void Copy() const;

    // Where a character of the shown text is drawn, in viewport coordinates;
    // empty for an offset outside the text.
    [[nodiscard]] QRect CharacterRect(int offset) const;
    // The caret position nearest to a point in viewport coordinates.
    [[nodiscard]] int PositionAt(const QPoint& point) const;
    // Scrolls as little as needed to show the character at `offset`.
    void EnsureVisible(int offset);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void UpdateScrollBar();
    void LayOutAgainKeepingTopLine();
    // Remembers the line at the top, unless one is remembered already, for
    // the next time the lines are wrapped anew.
    void KeepTopLine();
    [[nodiscard]] int CaretWidth() const;
    [[nodiscard]] int ScrollOffset() const;

    void MoveCaret(int position, bool keepAnchor);
    // Moves the caret as a key does.
    void MoveCaret(CaretMove move, bool keepAnchor);
    // After the caret or the selection has moved: the caret in view and
    // shown, the change painted and told to screen readers.
    void CaretMoved(const ReportCursor& before);
    // The caret for the pointer at `point` while the mouse selects: on the
    // visual line at the edge when the pointer is above or below the view.
    [[nodiscard]] int DragPosition(const QPoint& point) const;
    // While the pointer is above or below the view during a drag, the view
    // scrolls towards it at each tick and the selection follows.
    void AutoScroll();
    void RestartCaretBlink();

    ReportText m_text;
    // Lays out m_text for the viewport; made with the panel.
    std::unique_ptr<ReportLayout> m_layout;
    ReportCursor m_cursor;

    bool m_caretShown = false;
    QBasicTimer m_caretBlink;
    bool m_selectingWithMouse = false;
    // A press soon after a double-click, near it, selects the line. Soon
    // is told by the events' own times, as Qt tells a double-click, so a
    // busy program still sees the pupil's triple-click as one.
    bool m_doubleClicked = false;
    quint64 m_doubleClickTime = 0;
    QPoint m_doubleClickPoint;
    QBasicTimer m_autoScroll;
    QPoint m_dragPoint;
    // The line to show at the top once the lines are wrapped anew, or -1.
    int m_topLineToKeep = -1;
};

} // namespace collinear
