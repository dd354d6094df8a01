// A list one row high that behaves as a spin box.
#pragma once

#include <QListView>

namespace collinear {

// A list one row high that behaves as a spin box: the row it shows is the
// row it has selected. Every way of moving it (its scroll bar's arrows,
// track and thumb, the wheel, the navigation keys, typing a row's first
// characters) moves the selection by whole rows, and the selection always
// brings its row into view. As with the classic list box, a click can move
// the selection but never clear it (Qt would clear it on Ctrl+click).
// While no row is selected the list shows its first row, and the first
// move selects a row.
class OneRowList : public QListView {
    Q_OBJECT

public:
    explicit OneRowList(QWidget* parent = nullptr);

    // The selected row, or -1.
    [[nodiscard]] int SelectedRow() const;

    // Selects `row`, makes it the current row and shows it. A row outside
    // the list changes nothing.
    void SelectAndShow(int row);
    // Leaves no row selected or current and shows the first row.
    void ClearSelectionAndShowFirst();

    void setSelectionModel(QItemSelectionModel* selectionModel) override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void updateGeometries() override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;

private:
    [[nodiscard]] int RowCount() const;
    // The one place where "the list moved" becomes "the selection moved".
    void MoveBy(int rows);
    void ShowRow(int row);
    void OnScrollBarAction(int action);
    void OnScrollBarValueChanged(int value);
    void OnSelectionChanged();
    void TurnWheel(QWheelEvent* event);

    // Set while the list itself scrolls, so that the scroll is not taken for
    // the user's.
    bool m_showing = false;
    // Eighths of a degree turned since the last whole notch: high-resolution
    // wheels and touchpads send a notch in several small parts.
    int m_wheelRemainder = 0;
};

} // namespace collinear
