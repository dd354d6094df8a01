#include "page_mirror.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QListView>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <utility>
#include <vector>

namespace collinear {

namespace {

using emscripten::val;

// The page's element for each kind of the window's controls
// (page_mirror.js makes them).
enum class Kind { Label, Button, List, Area, Text, Other };

const char* KindName(Kind kind)
{
    switch (kind) {
    case Kind::Label:
        return "label";
    case Kind::Button:
        return "button";
    case Kind::List:
        return "list";
    case Kind::Area:
        return "area";
    case Kind::Text:
        return "text";
    case Kind::Other:
        break;
    }
    return "other";
}

Kind KindOf(QAccessibleInterface& control)
{
    switch (control.role()) {
    case QAccessible::StaticText:
        return Kind::Label;
    case QAccessible::PushButton:
        return Kind::Button;
    case QAccessible::List:
        return control.tableInterface() != nullptr ? Kind::List : Kind::Other;
    case QAccessible::Canvas:
        return Kind::Area;
    case QAccessible::EditableText:
        return control.textInterface() != nullptr ? Kind::Text : Kind::Other;
    default:
        return Kind::Other;
    }
}

// One of the window's controls and what the page shows of it, so that only
// what changed is sent.
struct Control {
    QPointer<QObject> object;
    Kind kind = Kind::Other;
    bool sent = false;
    QString name;
    QString description;
    bool disabled = false;
    bool hidden = false;
    // Lists.
    bool rowsChanged = true;
    QStringList rows;
    int selected = -1;
    // The report.
    bool textChanged = true;
    QString text;
    // Only the report's first lines are in the page (it does not have the focus).
    bool textCut = false;
    int anchor = -1;
    int caret = -1;
    // The drawing area: its keyboard cursor moved or was pressed.
    bool announce = false;
};

class PageMirror : public QObject {
public:
    PageMirror(QWidget& window, val page)
        : QObject(&window)
        , m_page(std::move(page))
    {
        QAccessibleInterface* root = QAccessible::queryAccessibleInterface(&window);
        for (int index = 0; root != nullptr && index < root->childCount(); ++index) {
            QAccessibleInterface* child = root->child(index);
            if (child == nullptr || child->object() == nullptr) {
                continue;
            }
            Control control;
            control.object = child->object();
            control.kind = KindOf(*child);
            m_page.call<void>("add", static_cast<int>(m_controls.size()),
                              std::string(KindName(control.kind)));
            m_controls.push_back(std::move(control));
        }
        s_instance = this;
        m_previous = QAccessible::installUpdateHandler(&PageMirror::OnUpdate);
        Flush();
    }

    ~PageMirror() override
    {
        QAccessible::installUpdateHandler(m_previous);
        s_instance = nullptr;
    }

    PageMirror(const PageMirror&) = delete;
    PageMirror& operator=(const PageMirror&) = delete;
    PageMirror(PageMirror&&) = delete;
    PageMirror& operator=(PageMirror&&) = delete;

    static PageMirror* Instance() { return s_instance; }

    // What a screen reader asks of the page, done through the window's
    // interfaces as the desktop's bus does it. The window's events then
    // bring the page in step.
    void Press(int id)
    {
        QAccessibleActionInterface* actions = Actions(id);
        if (actions != nullptr
            && actions->actionNames().contains(QAccessibleActionInterface::pressAction())) {
            actions->doAction(QAccessibleActionInterface::pressAction());
        }
    }

    void Choose(int id, int row)
    {
        QAccessibleInterface* list = Interface(id);
        QAccessibleTableInterface* table = list != nullptr ? list->tableInterface() : nullptr;
        if (table != nullptr && row >= 0 && row < table->rowCount()) {
            table->selectRow(row);
        }
    }

    void Select(int id, int anchor, int caret)
    {
        QAccessibleInterface* control = Interface(id);
        QAccessibleTextInterface* text = control != nullptr ? control->textInterface() : nullptr;
        if (text == nullptr) {
            return;
        }
        if (anchor == caret) {
            text->setCursorPosition(caret);
        } else if (text->selectionCount() > 0) {
            // The report takes the offsets as anchor and caret, so a
            // selection made backwards keeps its caret at the start.
            text->setSelection(0, anchor, caret);
        } else {
            text->addSelection(anchor, caret);
        }
    }

    // A list's interface offers no focus action (nor does it on the
    // desktop); the list takes the focus as a click gives it. Where the
    // window takes no focus, the page's goes back to the window's, so that
    // the keys go where the reader says they go.
    void Focus(int id)
    {
        if (id < 0 || id >= static_cast<int>(m_controls.size())) {
            return;
        }
        QAccessibleActionInterface* actions = Actions(id);
        auto* widget = qobject_cast<QWidget*>(m_controls[static_cast<std::size_t>(id)].object);
        if (actions != nullptr
            && actions->actionNames().contains(QAccessibleActionInterface::setFocusAction())) {
            actions->doAction(QAccessibleActionInterface::setFocusAction());
        } else if (widget != nullptr && (widget->focusPolicy() & Qt::ClickFocus) != 0) {
            widget->setFocus(Qt::OtherFocusReason);
        }
        m_focusChanged = true;
        QueueFlush();
    }

private:
    static void OnUpdate(QAccessibleEvent* event)
    {
        if (s_instance != nullptr) {
            s_instance->Note(*event);
            if (s_instance->m_previous != nullptr) {
                s_instance->m_previous(event);
                return;
            }
        }
        if (QPlatformAccessibility* platform
            = QGuiApplicationPrivate::platformIntegration()->accessibility()) {
            platform->notifyAccessibilityUpdate(event);
        }
    }

    // An event marks what it changed; the page is brought in step once the
    // step that raised it is done, as a step raises several and may raise
    // one before all its changes are made (the step list's selection comes
    // before the drawing area takes the new step).
    void Note(QAccessibleEvent& event)
    {
        const int id = IdOf(event.object());
        Control* control = id >= 0 ? &m_controls[static_cast<std::size_t>(id)] : nullptr;
        switch (event.type()) {
        case QAccessible::Focus:
            m_focusChanged = true;
            if (control != nullptr) {
                control->rowsChanged = true;
            }
            break;
        case QAccessible::DescriptionChanged:
            if (control != nullptr && control->kind == Kind::Area) {
                control->announce = true;
            }
            break;
        case QAccessible::TextUpdated:
        case QAccessible::TextInserted:
        case QAccessible::TextRemoved:
            if (control != nullptr) {
                control->textChanged = true;
            }
            break;
        case QAccessible::Selection:
        case QAccessible::SelectionAdd:
        case QAccessible::SelectionRemove:
        case QAccessible::SelectionWithin:
        case QAccessible::TableModelChanged:
            if (control != nullptr) {
                control->rowsChanged = true;
            }
            break;
        default:
            break;
        }
        // Names, descriptions and states are read again after any event:
        // the drawing area's description names the point at its cursor,
        // which the lists' events change.
        QueueFlush();
    }

    void QueueFlush()
    {
        if (!m_flushQueued) {
            m_flushQueued = true;
            QTimer::singleShot(0, this, [this] {
                m_flushQueued = false;
                Flush();
            });
        }
    }

    void Flush()
    {
        for (std::size_t index = 0; index < m_controls.size(); ++index) {
            Control& control = m_controls[index];
            QAccessibleInterface* shown = Interface(static_cast<int>(index));
            if (shown == nullptr) {
                continue;
            }
            const int id = static_cast<int>(index);
            FlushBasics(id, control, *shown);
            if (control.kind == Kind::List && control.rowsChanged) {
                FlushRows(id, control, *shown);
            }
            if (control.kind == Kind::Text) {
                FlushText(id, control, *shown);
            }
            if (control.kind == Kind::Area && control.announce) {
                control.announce = false;
                m_page.call<void>("announce", id, CursorText(*shown).toStdString());
            }
        }
        if (m_focusChanged) {
            m_focusChanged = false;
            m_page.call<void>("focus", IdOfFocus());
        }
    }

    void FlushBasics(int id, Control& control, QAccessibleInterface& shown)
    {
        const QString name = shown.text(QAccessible::Name);
        if (!control.sent || name != control.name) {
            control.name = name;
            m_page.call<void>("setName", id, name.toStdString());
        }
        const QString description = shown.text(QAccessible::Description);
        if (!control.sent || description != control.description) {
            control.description = description;
            m_page.call<void>("setDescription", id, description.toStdString());
        }
        const QAccessible::State state = shown.state();
        const bool disabled = state.disabled;
        const bool hidden = state.invisible;
        if (!control.sent || disabled != control.disabled || hidden != control.hidden) {
            control.disabled = disabled;
            control.hidden = hidden;
            m_page.call<void>("setState", id, disabled, hidden);
        }
        control.sent = true;
    }

    // The rows as the list's cells name them. They are read from the model
    // as a cell does, not through a cell's interface each: the interfaces
    // of thousands of rows would stay cached until the list is reset.
    void FlushRows(int id, Control& control, QAccessibleInterface& shown)
    {
        control.rowsChanged = false;
        const auto* view = qobject_cast<const QAbstractItemView*>(control.object);
        QAccessibleTableInterface* table = shown.tableInterface();
        if (view == nullptr || view->model() == nullptr || table == nullptr) {
            return;
        }
        const auto* list = qobject_cast<const QListView*>(view);
        const int column = list != nullptr ? list->modelColumn() : 0;
        QStringList rows;
        const int count = table->rowCount();
        rows.reserve(count);
        for (int row = 0; row < count; ++row) {
            const QModelIndex index = view->model()->index(row, column, view->rootIndex());
            QString name = index.data(Qt::AccessibleTextRole).toString();
            rows << (name.isEmpty() ? index.data(Qt::DisplayRole).toString() : name);
        }
        const QList<int> selectedRows = table->selectedRows();
        const int selected = selectedRows.isEmpty() ? -1 : selectedRows.first();
        if (rows == control.rows && selected == control.selected) {
            return;
        }
        control.rows = rows;
        control.selected = selected;
        val names = val::array();
        for (const QString& row : rows) {
            names.call<void>("push", row.toStdString());
        }
        m_page.call<void>("setRows", id, names, selected);
    }

    void FlushText(int id, Control& control, QAccessibleInterface& shown)
    {
        QAccessibleTextInterface* text = shown.textInterface();
        if (text == nullptr) {
            return;
        }
        const bool focused = IdOfFocus() == id;
        if (control.textChanged || (focused && control.textCut)) {
            control.textChanged = false;
            QString now = text->text(0, text->characterCount());
            // The worst case's report is 20,826 lines, and a browser takes
            // from 50 ms (Chromium, Firefox) to several hundred (with a
            // screen reader running) to take that much text into the page:
            // after every „Чертай“ the pupil would wait frames for it. A
            // screen reader reads the report where the focus is on it, so
            // the whole report goes to the page while the report has the
            // focus, and when the focus comes to it; elsewhere the page
            // holds its first lines, as many as a glance needs.
            const qsizetype cut = focused ? -1 : EndOfLine(now, kLinesOutOfFocus);
            control.textCut = cut >= 0;
            if (control.textCut) {
                now.truncate(cut);
            }
            if (now != control.text) {
                control.text = now;
                m_page.call<void>("setText", id, now.toStdString());
                control.anchor = -1;
                control.caret = -1;
            }
        }
        const int caret = text->cursorPosition();
        int anchor = caret;
        if (text->selectionCount() > 0) {
            int start = 0;
            int end = 0;
            text->selection(0, &start, &end);
            anchor = caret == start ? end : start;
        }
        if (anchor != control.anchor || caret != control.caret) {
            control.anchor = anchor;
            control.caret = caret;
            m_page.call<void>("setCaret", id, anchor, caret);
        }
    }

    static constexpr int kLinesOutOfFocus = 200;

    // Where the text's `count`-th line ends, before its line end; -1 if it
    // has no more lines than that.
    static qsizetype EndOfLine(const QString& text, int count)
    {
        qsizetype end = -1;
        for (int line = 0; line < count; ++line) {
            end = text.indexOf(QLatin1Char('\n'), end + 1);
            if (end < 0) {
                return -1;
            }
        }
        return end > 0 && text.at(end - 1) == QLatin1Char('\r') ? end - 1 : end;
    }

    // The part of the drawing area's description that its keyboard cursor
    // changes, without the help that follows it: the node and the point on
    // it, as the area's own description puts them first.
    static QString CursorText(QAccessibleInterface& area)
    {
        const QString said = area.text(QAccessible::Description);
        const auto* widget = qobject_cast<const QWidget*>(area.object());
        const QString help = widget != nullptr ? widget->accessibleDescription() : QString();
        const QString tail = QStringLiteral(". ") + help;
        if (!help.isEmpty() && said.endsWith(tail)) {
            return said.chopped(tail.size());
        }
        return said;
    }

    [[nodiscard]] int IdOf(const QObject* object) const
    {
        if (object == nullptr) {
            return -1;
        }
        for (std::size_t index = 0; index < m_controls.size(); ++index) {
            if (m_controls[index].object == object) {
                return static_cast<int>(index);
            }
        }
        return -1;
    }

    // The control that has the window's focus, or holds the widget that
    // has it.
    [[nodiscard]] int IdOfFocus() const
    {
        for (const QWidget* widget = QApplication::focusWidget(); widget != nullptr;
             widget = widget->parentWidget()) {
            if (const int id = IdOf(widget); id >= 0) {
                return id;
            }
        }
        return -1;
    }

    [[nodiscard]] QAccessibleInterface* Interface(int id) const
    {
        if (id < 0 || id >= static_cast<int>(m_controls.size())) {
            return nullptr;
        }
        QObject* object = m_controls[static_cast<std::size_t>(id)].object;
        return object != nullptr ? QAccessible::queryAccessibleInterface(object) : nullptr;
    }

    [[nodiscard]] QAccessibleActionInterface* Actions(int id) const
    {
        QAccessibleInterface* control = Interface(id);
        return control != nullptr ? control->actionInterface() : nullptr;
    }

    val m_page;
    std::vector<Control> m_controls;
    QAccessible::UpdateHandler m_previous = nullptr;
    bool m_flushQueued = false;
    bool m_focusChanged = true;
    static PageMirror* s_instance;
};

PageMirror* PageMirror::s_instance = nullptr;

// The page's calls back, from a screen reader's click, choice, caret move
// or focus (page_mirror.js).
void PressFromPage(int id)
{
    if (PageMirror* mirror = PageMirror::Instance()) {
        mirror->Press(id);
    }
}

void ChooseFromPage(int id, int row)
{
    if (PageMirror* mirror = PageMirror::Instance()) {
        mirror->Choose(id, row);
    }
}

void SelectFromPage(int id, int anchor, int caret)
{
    if (PageMirror* mirror = PageMirror::Instance()) {
        mirror->Select(id, anchor, caret);
    }
}

void FocusFromPage(int id)
{
    if (PageMirror* mirror = PageMirror::Instance()) {
        mirror->Focus(id);
    }
}

} // namespace

EMSCRIPTEN_BINDINGS(collinear_page_mirror)
{
    emscripten::function("collinearMirrorPress", &PressFromPage);
    emscripten::function("collinearMirrorChoose", &ChooseFromPage);
    emscripten::function("collinearMirrorSelect", &SelectFromPage);
    emscripten::function("collinearMirrorFocus", &FocusFromPage);
}

void MirrorWindowInPage(QWidget& window)
{
    // Qt's events for screen readers are raised only while its
    // accessibility is active, which in a page nothing else makes it.
    QPlatformAccessibility* accessibility
        = QGuiApplicationPrivate::platformIntegration()->accessibility();
    const val page = val::module_property("collinearMirror");
    QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(&window);
    const QString name = shown != nullptr ? shown->text(QAccessible::Name) : window.windowTitle();
    if (accessibility == nullptr || page.isUndefined()
        || !page.call<bool>("start", name.toStdString())) {
        return;
    }
    accessibility->setActive(true);
    new PageMirror(window, page);
}

} // namespace collinear
