// What screen readers get of the report panel.
#include "report_accessible.h"

#include "report_cursor.h"
#include "report_panel.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include <algorithm>

namespace collinear {

namespace {

class ReportPanelAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit ReportPanelAccessible(ReportPanel* panel)
        : QAccessibleWidget(panel, QAccessible::EditableText)
    {
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface) {
            return static_cast<QAccessibleTextInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }

    [[nodiscard]] QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.editable = false;
        state.multiLine = true;
        state.selectableText = true;
        return state;
    }

    [[nodiscard]] QString text(QAccessible::Text type) const override
    {
        if (type == QAccessible::Value) {
            return Panel()->ShownText();
        }
        return QAccessibleWidget::text(type);
    }

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override
    {
        *startOffset = 0;
        *endOffset = 0;
        if (selectionIndex == 0 && selectionCount() == 1) {
            *startOffset = Panel()->SelectionStart();
            *endOffset = Panel()->SelectionEnd();
        }
    }

    [[nodiscard]] int selectionCount() const override
    {
        return Panel()->SelectionStart() != Panel()->SelectionEnd() ? 1 : 0;
    }

    void addSelection(int startOffset, int endOffset) override
    {
        Panel()->Select(startOffset, endOffset);
    }

    void removeSelection(int selectionIndex) override
    {
        if (selectionIndex == 0) {
            Panel()->Select(Panel()->CaretPosition(), Panel()->CaretPosition());
        }
    }

    void setSelection(int selectionIndex, int startOffset, int endOffset) override
    {
        if (selectionIndex == 0) {
            Panel()->Select(startOffset, endOffset);
        }
    }

    [[nodiscard]] int cursorPosition() const override { return Panel()->CaretPosition(); }

    void setCursorPosition(int position) override { Panel()->Select(position, position); }

    [[nodiscard]] QString text(int startOffset, int endOffset) const override
    {
        const int length = Panel()->ShownLength();
        startOffset = std::clamp(startOffset, 0, length);
        endOffset = std::clamp(endOffset, startOffset, length);
        return Panel()->ShownText().mid(startOffset, endOffset - startOffset);
    }

    [[nodiscard]] int characterCount() const override { return Panel()->ShownLength(); }

    [[nodiscard]] QRect characterRect(int offset) const override
    {
        const QRect rect = Panel()->CharacterRect(offset);
        if (rect.isNull()) {
            return {};
        }
        return rect.translated(Panel()->viewport()->mapToGlobal(QPoint(0, 0)));
    }

    [[nodiscard]] int offsetAtPoint(const QPoint& point) const override
    {
        const QPoint local = Panel()->viewport()->mapFromGlobal(point);
        if (!Panel()->viewport()->rect().contains(local)) {
            return -1;
        }
        return Panel()->PositionAt(local);
    }

    void scrollToSubstring(int startIndex, int endIndex) override
    {
        Panel()->EnsureVisible(endIndex);
        Panel()->EnsureVisible(startIndex);
    }

    [[nodiscard]] QString attributes(int offset, int* startOffset, int* endOffset) const override
    {
        // One font and colour throughout: a single run without attributes.
        Q_UNUSED(offset);
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

private:
    [[nodiscard]] ReportPanel* Panel() const { return static_cast<ReportPanel*>(widget()); }
};

QAccessibleInterface* CreateReportPanelAccessible(const QString& /*className*/, QObject* object)
{
    if (auto* panel = qobject_cast<ReportPanel*>(object)) {
        return new ReportPanelAccessible(panel);
    }
    return nullptr;
}

} // namespace

void InstallReportPanelAccessible()
{
    static const bool installed = [] {
        QAccessible::installFactory(CreateReportPanelAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}

void AnnounceTextReplaced(ReportPanel& panel, const QString& before, const QString& after)
{
    QAccessibleTextUpdateEvent update(&panel, 0, before, after);
    QAccessible::updateAccessibility(&update);
}

void AnnounceCaretMoved(ReportPanel& panel, const ReportCursor& before)
{
    const int start = panel.SelectionStart();
    const int end = panel.SelectionEnd();
    const int caret = panel.CaretPosition();
    if ((before.HasSelection() || start != end)
        && (before.SelectionStart() != start || before.SelectionEnd() != end)) {
        QAccessibleTextSelectionEvent selection(&panel, start, end);
        selection.setCursorPosition(caret);
        QAccessible::updateAccessibility(&selection);
    }
    if (caret != before.Position()) {
        QAccessibleTextCursorEvent cursor(&panel, caret);
        QAccessible::updateAccessibility(&cursor);
    }
}

} // namespace collinear
