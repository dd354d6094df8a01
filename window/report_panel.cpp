#include "report_panel.h"

#include <QScrollBar>

namespace collinear {

ReportPanel::ReportPanel(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUndoRedoEnabled(false);
}

void ReportPanel::SetText(std::string text)
{
    m_text = std::move(text);
    QString shown = QString::fromStdString(m_text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (shown.endsWith(QLatin1Char('\n'))) {
        shown.chop(1); // the last line end closes a line; it opens no empty one
    }
    setPlainText(shown);
    verticalScrollBar()->setValue(verticalScrollBar()->minimum());
}

} // namespace collinear
