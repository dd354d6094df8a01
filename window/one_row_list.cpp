#include "one_row_list.h"

#include <QKeyEvent>

namespace collinear {

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
}

void OneRowList::keyPressEvent(QKeyEvent* event)
{
    // On entry Qt makes the first row current without selecting it, so the
    // first Down would skip it. While nothing is selected, Down selects the
    // current row itself.
    const QModelIndex current = currentIndex();
    if (event->key() == Qt::Key_Down && event->modifiers() == Qt::NoModifier && current.isValid()
        && !selectionModel()->hasSelection()) {
        selectionModel()->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect);
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
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
