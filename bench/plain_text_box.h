#pragma once

#include <QPlainTextEdit>

namespace collinear::bench {

// Qt's own read-only text box as the report panel would be without the
// program's panel: selectable by mouse and keyboard, without undo, wrapping
// long lines at the box's width with a vertical scroll bar only.
inline void MakeReadOnlyReportBox(QPlainTextEdit& box)
{
    box.setReadOnly(true);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box.setUndoRedoEnabled(false);
    box.setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box.setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    box.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

} // namespace collinear::bench
