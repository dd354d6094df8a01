// A list one row high that behaves as a spin box.
#include "one_row_list.h"

#include "focus_frame.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QWheelEvent>

#include <algorithm>

namespace collinear {

namespace {

// Rows as tall as the viewport: a row shorter than it would leave the top
// of the next row showing underneath, and a click there would choose a row
// the pupil cannot read.
class OneRowDelegate : public QStyledItemDelegate {
public:
    explicit OneRowDelegate(QAbstractItemView* view)
        : QStyledItemDelegate(view)
        , m_view(view)
    {
    }

    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const override
    {
        const QSize text = QStyledItemDelegate::sizeHint(option, index);
        return {text.width(), std::max(text.height(), m_view->viewport()->height())};
    }

    // The style tints the current row of a focused list even when it is not
    // selected, which reads as a faint selection; the list's own frame
    // shows the focus instead.
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyleOptionViewItem row(option);
        if (!row.state.testFlag(QStyle::State_Selected)) {
            row.state &= ~QStyle::State_HasFocus;
        }
        QStyledItemDelegate::paint(painter, row, index);
    }

private:
    QAbstractItemView* m_view;
};

} // namespace

OneRowList::OneRowList(QWidget* parent)
    : QListView(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setUniformItemSizes(true);
    setItemDelegate(new OneRowDelegate(this));
    // Qt scrolls a list while a press is held near its edge, and every point
    // of a list one row high is near its edge: the list would run away from
    // a pupil whose hand trembles. A selection brings its row into view
    // without Qt's help.
    setAutoScroll(false);

    QScrollBar* bar = verticalScrollBar();
    connect(bar, &QScrollBar::actionTriggered, this, &OneRowList::OnScrollBarAction);
    connect(bar, &QScrollBar::valueChanged, this, &OneRowList::OnScrollBarValueChanged);
    // A wheel turned over the scroll bar goes to the bar, not to the list.
    bar->installEventFilter(this);
}

int OneRowList::SelectedRow() const
{
    if (selectionModel() == nullptr) {
        return -1;
    }
    const QModelIndexList rows = selectionModel()->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void OneRowList::SelectAndShow(int row)
{
    if (row < 0 || row >= RowCount()) {
        return;
    }
    const QModelIndex index = model()->index(row, modelColumn(), rootIndex());
    if (SelectedRow() != row || currentIndex() != index) {
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    }
    ShowRow(row);
}

void OneRowList::ClearSelectionAndShowFirst()
{
    if (selectionModel() == nullptr) {
        return;
    }
    const QScopedValueRollback guard(m_showing, true);
    selectionModel()->clear();
    scrollToTop();
}

void OneRowList::setSelectionModel(QItemSelectionModel* selectionModel)
{
    if (QItemSelectionModel* previous = this->selectionModel()) {
        disconnect(previous, &QItemSelectionModel::selectionChanged, this,
                   &OneRowList::OnSelectionChanged);
    }
    QListView::setSelectionModel(selectionModel);
    connect(selectionModel, &QItemSelectionModel::selectionChanged, this,
            &OneRowList::OnSelectionChanged);
}

int OneRowList::RowCount() const
{
    return model() == nullptr ? 0 : model()->rowCount(rootIndex());
}

void OneRowList::MoveBy(int rows)
{
    const int count = RowCount();
    if (count == 0) {
        return;
    }
    // With nothing selected the first row is in view, and any first move
    // selects that row.
    const int from = SelectedRow();
    SelectAndShow(from < 0 ? 0 : std::clamp(from + rows, 0, count - 1));
}

void OneRowList::ShowRow(int row)
{
    const QScopedValueRollback guard(m_showing, true);
    // Rows appended since the last layout are not yet in the scroll range.
    executeDelayedItemsLayout();
    scrollTo(model()->index(row, modelColumn(), rootIndex()), QAbstractItemView::PositionAtTop);
}

void OneRowList::OnScrollBarAction(int action)
{
    QScrollBar* bar = verticalScrollBar();
    const int count = RowCount();
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
    case QAbstractSlider::SliderPageStepAdd:
        MoveBy(1);
        break;
    case QAbstractSlider::SliderSingleStepSub:
    case QAbstractSlider::SliderPageStepSub:
        MoveBy(-1);
        break;
    case QAbstractSlider::SliderToMinimum:
        SelectAndShow(0);
        break;
    case QAbstractSlider::SliderToMaximum:
        SelectAndShow(count - 1);
        break;
    case QAbstractSlider::SliderMove:
        SelectAndShow(std::clamp(bar->sliderPosition(), 0, std::max(0, count - 1)));
        break;
    default:
        return;
    }
    // The bar has already taken its own step; it ends where the selected
    // row is shown instead (from an unselected list, a step down selects
    // the first row and must not scroll past it).
    bar->setSliderPosition(bar->value());
}

void OneRowList::OnScrollBarValueChanged(int value)
{
    if (m_showing) {
        return;
    }
    // Moves that bypass the bar's actions (its menu's "scroll here") end
    // here. The list scrolls by whole rows, so the bar's value is the row at
    // the top.
    const int shown = value;
    const int selected = SelectedRow();
    if (shown == selected || (selected < 0 && shown == 0)) {
        return;
    }
    const int count = RowCount();
    if (shown >= 0 && shown < count) {
        SelectAndShow(shown);
    } else {
        // Past the rows there is nothing to choose: back to the row in force.
        ShowRow(std::max(selected, 0));
    }
}

void OneRowList::OnSelectionChanged()
{
    const int selected = SelectedRow();
    if (selected < 0) {
        return;
    }
    // A selection made by any means (a click, a search, a screen reader)
    // is the current row and is in view.
    const QModelIndex index = model()->index(selected, modelColumn(), rootIndex());
    if (currentIndex() != index) {
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    }
    ShowRow(selected);
}

void OneRowList::TurnWheel(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    if (delta == 0) {
        event->ignore();
        return;
    }
    if (m_wheelRemainder != 0 && (m_wheelRemainder > 0) != (delta > 0)) {
        m_wheelRemainder = 0;
    }
    m_wheelRemainder += delta;
    const int notches = m_wheelRemainder / QWheelEvent::DefaultDeltasPerStep;
    m_wheelRemainder -= notches * QWheelEvent::DefaultDeltasPerStep;
    // Turning the wheel away from the user moves up the list.
    if (notches != 0) {
        MoveBy(-notches);
    }
    event->accept();
}

void OneRowList::wheelEvent(QWheelEvent* event)
{
    TurnWheel(event);
}

bool OneRowList::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == verticalScrollBar() && event->type() == QEvent::Wheel) {
        TurnWheel(static_cast<QWheelEvent*>(event));
        return true;
    }
    return QListView::eventFilter(watched, event);
}

void OneRowList::keyPressEvent(QKeyEvent* event)
{
    // Whatever the modifiers: Qt would move only the current row with Ctrl
    // held, leaving in view a row that is not selected.
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_PageUp:
        MoveBy(-1);
        break;
    case Qt::Key_Down:
    case Qt::Key_PageDown:
        MoveBy(1);
        break;
    case Qt::Key_Home:
        SelectAndShow(0);
        break;
    case Qt::Key_End:
        SelectAndShow(RowCount() - 1);
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
        // A list one column wide has nothing beside its row.
        event->ignore();
        return;
    default:
        QListView::keyPressEvent(event);
        return;
    }
    event->accept();
}

bool OneRowList::event(QEvent* event)
{
    const bool handled = QListView::event(event);
    // The style marks a focused row only once the keyboard has been used,
    // and an empty or unselected list not at all.
    PaintFocusFrameAfter(*this, *event);
    return handled;
}

void OneRowList::resizeEvent(QResizeEvent* event)
{
    // Qt may clamp the scroll position to the new size; that is no move of
    // the pupil's.
    const QScopedValueRollback guard(m_showing, true);
    QListView::resizeEvent(event);
    // The rows follow the viewport's new height.
    scheduleDelayedItemsLayout();
}

void OneRowList::updateGeometries()
{
    // A new scroll range (rows of another height after a zoom, a viewport
    // resized in steps by the window system) may clamp the position: that
    // is no move of the pupil's, and the row in force stays the one shown.
    const QScopedValueRollback guard(m_showing, true);
    QListView::updateGeometries();
    // The list scrolls by whole rows: the bar's value is the row at the top.
    verticalScrollBar()->setValue(std::max(SelectedRow(), 0));
}

void OneRowList::focusInEvent(QFocusEvent* event)
{
    QListView::focusInEvent(event);
    update();
}

void OneRowList::focusOutEvent(QFocusEvent* event)
{
    QListView::focusOutEvent(event);
    update();
}

QItemSelectionModel::SelectionFlags OneRowList::selectionCommand(const QModelIndex& index,
                                                                 const QEvent* event) const
{
    const auto command = QListView::selectionCommand(index, event);
    if (!index.isValid()) {
        return QItemSelectionModel::NoUpdate;
    }
    if (command.testFlag(QItemSelectionModel::Deselect)
        || command.testFlag(QItemSelectionModel::Toggle)) {
        return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
    }
    return command;
}

} // namespace collinear
