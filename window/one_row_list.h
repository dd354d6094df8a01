#pragma once

#include <QListView>

namespace collinear {

// A list one row high that always keeps the row it has selected: as with
// the classic list box, a click can move the selection but never clear it
// (Qt would clear it on Ctrl+click).
class OneRowList : public QListView {
    Q_OBJECT

public:
    explicit OneRowList(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
};

} // namespace collinear
