#pragma once

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QString>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

class QTextLayout;

namespace collinear {

// The report panel: read-only for the pupil but selectable (mouse, keyboard,
// Ctrl+A) and copyable (Ctrl+C, context menu), wrapping long lines at the
// panel's width, with a vertical scroll bar only. Its text keeps the CR LF
// line ends the program writes; the panel shows them as line breaks.
//
// A report can have 20,826 lines. The panel keeps only the text it is
// given and where each line starts, and lays out with QTextLayout only the
// lines it paints; whether the others wrap comes from adding up the
// advances of their characters. Setting a long report so costs a pass over
// its bytes instead of a text document of 20,000 paragraphs.
class ReportPanel : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit ReportPanel(QWidget* parent = nullptr);
    ~ReportPanel() override;

    ReportPanel(const ReportPanel&) = delete;
    ReportPanel& operator=(const ReportPanel&) = delete;

    [[nodiscard]] const std::string& Text() const { return m_text; }
    // Replaces the whole text, clears the selection and shows the top.
    void SetText(std::string text);

    // The text as shown: lines joined by "\n", without the last line end.
    // Selection, copying and screen readers count characters in it.
    [[nodiscard]] QString ShownText() const;
    [[nodiscard]] int ShownLength() const { return m_lineOffsets.back() - 1; }

    void SelectAll();
    // Selects from `anchor` to `position` in the shown text and moves the
    // caret to `position`.
    void Select(int anchor, int position);
    [[nodiscard]] int CaretPosition() const { return m_caret; }
    [[nodiscard]] int SelectionStart() const;
    [[nodiscard]] int SelectionEnd() const;
    [[nodiscard]] QString SelectedText() const;
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
    // Finds where the lines start, in bytes of the text and in characters
    // of the shown text.
    void IndexLines();
    // Brings the line tops up to date with the text, the font and the width.
    void EnsureGeometry() const;
    void InvalidateGeometry();
    void UpdateScrollBar();
    [[nodiscard]] int LineCount() const { return static_cast<int>(m_lineBytes.size()) - 1; }
    // Where a line starts and ends in the shown text; the end is before the
    // line end.
    [[nodiscard]] int LineStart(int line) const;
    [[nodiscard]] int LineEnd(int line) const;
    [[nodiscard]] std::string_view LineBytes(int line) const;
    [[nodiscard]] QString LineText(int line) const;
    [[nodiscard]] int LineOfPosition(int position) const;
    // Content y of the top of a line; LineCount() gives the bottom of the last.
    [[nodiscard]] double LineTop(int line) const;
    // The line drawn at content height y (clamped to the first and last).
    [[nodiscard]] int LineAtY(double y) const;
    // The laid-out line, from the cache or made now.
    QTextLayout& Layout(int line) const;
    std::unique_ptr<QTextLayout> MakeLayout(int line) const;
    // The caret before `position` in content coordinates: its x, and the
    // top and height of its visual line.
    [[nodiscard]] QRectF CaretRect(int position) const;
    [[nodiscard]] int PositionAtContent(const QPointF& point) const;
    [[nodiscard]] double AvailableWidth() const;
    [[nodiscard]] int ScrollOffset() const;

    void MoveCaret(int position, bool keepAnchor);
    // The caret positions a character (grapheme) after and before
    // `position`; a line end is one character.
    [[nodiscard]] int NextCharacter(int position) const;
    [[nodiscard]] int PreviousCharacter(int position) const;
    // The end of the word after `position` and the start of the word before
    // it, across lines; the end or the start of the text when none is left.
    [[nodiscard]] int NextWordEnd(int position) const;
    [[nodiscard]] int PreviousWordStart(int position) const;
    // Selects the line at `position` with its line end, as a triple-click.
    void SelectLine(int position);
    // The caret for the pointer at `point` while the mouse selects: on the
    // visual line at the edge when the pointer is above or below the view.
    [[nodiscard]] int DragPosition(const QPoint& point) const;
    // While the pointer is above or below the view during a drag, the view
    // scrolls towards it at each tick and the selection follows.
    void AutoScroll();
    // The caret one visual line up (-1) or down (+1), or a page of them.
    int PositionVertically(int rows);
    void RestartCaretBlink();
    void ShowContextMenu(const QPoint& globalPosition);

    std::string m_text;
    // Byte offset in m_text and character offset in the shown text of the
    // start of each line; each ends with the start a next line would have.
    std::vector<int> m_lineBytes;
    std::vector<int> m_lineOffsets;
    // Made only when asked for: screen readers and copying.
    mutable QString m_shownText;
    mutable bool m_shownTextMade = false;

    // Geometry for one text, font and width, remade when one changes.
    mutable bool m_geometryValid = false;
    mutable double m_geometryWidth = -1.0;
    mutable double m_rowHeight = 0.0; // a line that does not wrap
    // The lines of another height than m_rowHeight, in order, each with the
    // height that it and those before it add to the plain row heights.
    mutable std::vector<std::pair<int, double>> m_otherHeights;
    mutable std::unordered_map<int, std::unique_ptr<QTextLayout>> m_layouts;

    int m_anchor = 0;
    int m_caret = 0;
    // The x the caret keeps while it moves up and down, or < 0 for none.
    double m_caretX = -1.0;
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
};

} // namespace collinear
