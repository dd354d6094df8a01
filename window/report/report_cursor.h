// The report panel's caret and selection, moved as the keys ask.
#pragma once

#include <QString>

namespace collinear {

class ReportLayout;
class ReportText;

// Where a key takes the caret, as QTextCursor's move operations do. A row
// is a visual line.
enum class CaretMove {
    PreviousRow,
    NextRow,
    PreviousPage,
    NextPage,
    NextCharacter,
    PreviousCharacter,
    NextWordEnd,
    PreviousWordStart,
    StartOfRow,
    EndOfRow,
    StartOfText,
    EndOfText,
};

// The report panel's caret and selection: the caret, the anchor the
// selection runs from, and the x the caret keeps while it moves up and down.
// Offsets count in the shown text.
class ReportCursor {
public:
    ReportCursor(const ReportText& text, ReportLayout& layout);

    [[nodiscard]] int Anchor() const { return m_anchor; }
    [[nodiscard]] int Position() const { return m_position; }
    [[nodiscard]] int SelectionStart() const;
    [[nodiscard]] int SelectionEnd() const;
    [[nodiscard]] bool HasSelection() const { return m_anchor != m_position; }
    [[nodiscard]] QString SelectedText() const;

    // Puts the anchor and the caret at the offsets, within the text; the x
    // for moves up and down stays.
    void Select(int anchor, int position);
    // The caret goes elsewhere than up or down: the next move up or down
    // starts at its x.
    void ForgetX() { m_x = -1.0; }
    // Moves the caret, and the anchor with it unless `keepAnchor`. A page
    // is `pageRows` rows. Returns the rows it went down (< 0 up), 0 for a
    // move along the lines.
    int Move(CaretMove move, bool keepAnchor, int pageRows);

private:
    // Where a move along the lines takes the caret.
    [[nodiscard]] int TargetAlongLines(CaretMove move, bool keepAnchor) const;
    // The caret `rows` visual lines down (< 0 up), at the x it keeps.
    int TargetDown(int rows);

    const ReportText& m_text;
    ReportLayout& m_layout;
    int m_anchor = 0;
    int m_position = 0;
    // The x the caret keeps while it moves up and down, or < 0 for none.
    double m_x = -1.0;
};

} // namespace collinear
