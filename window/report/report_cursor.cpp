// The report panel's caret and selection, moved as the keys ask.
#include "report_cursor.h"

#include "report_layout.h"
#include "report_text.h"

#include <QPointF>

#include <algorithm>

namespace collinear {

ReportCursor::ReportCursor(const ReportText& text, ReportLayout& layout)
    : m_text(text)
    , m_layout(layout)
{
}

int ReportCursor::SelectionStart() const
{
    return std::min(m_anchor, m_position);
}

int ReportCursor::SelectionEnd() const
{
    return std::max(m_anchor, m_position);
}

QString ReportCursor::SelectedText() const
{
    if (!HasSelection()) {
        return {};
    }
    return m_text.Shown().mid(SelectionStart(), SelectionEnd() - SelectionStart());
}

void ReportCursor::Select(int anchor, int position)
{
    const int length = m_text.ShownLength();
    m_anchor = std::clamp(anchor, 0, length);
    m_position = std::clamp(position, 0, length);
}

int ReportCursor::Move(CaretMove move, bool keepAnchor, int pageRows)
{
    int rows = 0;
    switch (move) {
    case CaretMove::PreviousRow:
        rows = -1;
        break;
    case CaretMove::NextRow:
        rows = 1;
        break;
    case CaretMove::PreviousPage:
        rows = -pageRows;
        break;
    case CaretMove::NextPage:
        rows = pageRows;
        break;
    default:
        break;
    }
    int target = 0;
    if (rows == 0) {
        target = TargetAlongLines(move, keepAnchor);
        ForgetX();
    } else {
        target = TargetDown(rows);
    }
    Select(keepAnchor ? m_anchor : target, target);
    return rows;
}

int ReportCursor::TargetAlongLines(CaretMove move, bool keepAnchor) const
{
    // Without Shift an arrow first leaves a selection at its end.
    const bool leaveSelection = !keepAnchor && HasSelection();
    switch (move) {
    case CaretMove::NextCharacter:
        return leaveSelection ? SelectionEnd() : m_text.NextCharacter(m_position);
    case CaretMove::PreviousCharacter:
        return leaveSelection ? SelectionStart() : m_text.PreviousCharacter(m_position);
    case CaretMove::NextWordEnd:
        return m_text.NextWordEnd(m_position);
    case CaretMove::PreviousWordStart:
        return m_text.PreviousWordStart(m_position);
    case CaretMove::StartOfRow:
        return m_layout.RowStart(m_position);
    case CaretMove::EndOfRow:
        return m_layout.RowEnd(m_position);
    case CaretMove::StartOfText:
        return 0;
    case CaretMove::EndOfText:
        return m_text.ShownLength();
    default:
        return m_position;
    }
}

int ReportCursor::TargetDown(int rows)
{
    const QRectF caret = m_layout.CaretRect(m_position);
    if (m_x < 0) {
        m_x = caret.left();
    }
    return m_layout.PositionAt(QPointF(m_x, caret.center().y() + rows * m_layout.RowHeight()));
}

} // namespace collinear
