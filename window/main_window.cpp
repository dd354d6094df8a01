// The window's procedures: start-up, reset, the button dispatch,
// selection and deletion, and the pupil's steps, kept for undo.
#include "main_window.h"

#include "collinear_search.h"
#include "one_row_list.h"
#include "point_table_model.h"
#include "report_panel.h"
#include "startup_text.h"

#include <QItemSelectionModel>
#include <QScopedValueRollback>

namespace collinear {

MainWindow::MainWindow(QWidget* parent)
    : DesignWindow(parent)
    , m_picture1(new Canvas(this))
    , m_pointEntry(m_table, *m_picture1)
    , m_history(new UndoHistory([this](const WindowState& state) { RestoreState(state); }, this))
{
    CreateControls();
    ConnectEvents();
    StartUp();
}

MainWindow::~MainWindow()
{
    // The steps go first: they would restore into a window half taken down.
    delete m_history;
    m_history = nullptr;
    // The models watch the table, which goes before the base class deletes
    // the children: take the views down first, then the models.
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
    qDeleteAll(m_pointModels);
}

OneRowList* MainWindow::List1(int index) const
{
    return m_list1.at(static_cast<std::size_t>(index));
}

QPushButton* MainWindow::Command1(int index) const
{
    return m_command1.at(static_cast<std::size_t>(index));
}

QLabel* MainWindow::Label1(int index) const
{
    return m_label1.at(static_cast<std::size_t>(index));
}

const std::string& MainWindow::ReportPanelText() const
{
    return m_text1->Text();
}

void MainWindow::StartUp()
{
    m_pointEntry.ResetPointCounter();
    m_list3->SelectAndShow(0);
    m_picture1->SetPersistent(true);
    ResetDrawing();
    m_picture1->SetPenWidth(kDotPenWidth);
}

void MainWindow::ResetDrawing()
{
    m_picture1->SetBackground(kWhite);
    m_picture1->ClearCanvas();
    m_pointEntry.ResetPointCounter();
    m_picture1->ClearCanvas();
    m_picture1->SetPenWidth(kDotPenWidth);
    SetGridStepFromList();
    ClearPointSelections();
    m_table.ClearAll();
}

void MainWindow::SetGridStepFromList()
{
    const QModelIndexList selected = m_list3->selectionModel()->selectedIndexes();
    if (selected.isEmpty()) {
        return;
    }
    m_pointEntry.SetGridStepFromList(selected.first().data().toString().toStdString());
    m_picture1->SetKeyboardStep(m_pointEntry.GridStep());
}

void MainWindow::PlacePoint(float x, float y)
{
    RunStep([this, x, y] { m_pointEntry.AddPointAt(x, y); });
}

void MainWindow::PressButton(int index)
{
    switch (index) {
    case Draw:
        RunStep([this] {
            if (auto report = FindCollinearTriples(m_table, *m_picture1)) {
                // The same report from other points is the same text: the
                // search that made the shown one stays its source.
                ReportSource source = *report == m_text1->Text()
                    ? m_report
                    : ReportSource{ReportSource::Kind::Search,
                                   std::make_shared<const PointTable::Contents>(m_table.Save())};
                SetReport(std::move(source), std::move(*report));
            }
        });
        break;
    case Clear:
        RunStep([this] {
            ResetDrawing();
            SetReport({ReportSource::Kind::Empty, nullptr}, {});
        });
        break;
    case Delete:
        RunStep([this] { DeleteSelectedPoint(); });
        break;
    default:
        break;
    }
}

template <typename Action>
void MainWindow::RunStep(Action action)
{
    WindowState before = SaveState();
    // Shared with the canvas until the step paints: a copy only then. The
    // picture at the design's size, so that what counts as a step does not
    // depend on the window's size or the display's scale.
    const QImage picture = m_picture1->DesignImage();
    {
        // The step runs to its end with no event between its strokes, so
        // the display's scale is read once for all of them.
        const Canvas::ScaleHold scale(*m_picture1);
        action();
    }
    WindowState after = SaveState();
    // A step whose new strokes changed no pixel, such as a line wholly under
    // the dots at its ends, leaves nothing the pupil could see taken back.
    const bool pictureChanged
        = !after.picture.SamePixels(before.picture) && m_picture1->DesignImage() != picture;
    if (pictureChanged || !after.SameApartFromPicture(before)) {
        m_history->Record(std::move(before), std::move(after));
    }
}

WindowState MainWindow::SaveState() const
{
    return {m_table.Save(), m_pointEntry.PointCounter(), m_report, m_picture1->Picture()};
}

void MainWindow::RestoreState(const WindowState& state)
{
    // The lists let go of their rows before the table changes under them,
    // and start from the top: a list that kept its place in the rows it had
    // would take that place for a choice of the pupil's.
    ClearPointSelections();
    {
        const QScopedValueRollback guard(m_changingSelection, true);
        m_table.Restore(state.table);
    }
    ClearPointSelections();
    m_pointEntry.RestorePointCounter(state.pointCounter);
    if (const int row = state.table.selected[PointTable::X]; row >= 0) {
        ShowSelectedRowInLists(row);
    }
    // A report that the step left alone stays as it is shown, scrolled
    // where the pupil left it.
    if (!(state.report == m_report)) {
        SetReport(state.report, ReportText(state.report));
    }
    m_picture1->RestorePicture(state.picture);
}

std::string MainWindow::ReportText(const ReportSource& source)
{
    switch (source.kind) {
    case ReportSource::Kind::StartUp:
        return std::string(kStartupText);
    case ReportSource::Kind::Empty:
        return {};
    case ReportSource::Kind::Search:
        break;
    }
    // The lines are on the saved picture already; only the text is wanted.
    PointTable searched;
    searched.Restore(*source.points);
    NullSurface nothing;
    return FindCollinearTriples(searched, nothing).value_or(std::string());
}

void MainWindow::Undo()
{
    m_history->Undo();
}

void MainWindow::Redo()
{
    m_history->Redo();
}

void MainWindow::SetReport(ReportSource source, std::string text)
{
    m_report = std::move(source);
    m_text1->SetText(std::move(text));
}

void MainWindow::OnPointSelectionChanged(PointTable::Column column)
{
    if (m_changingSelection) {
        return;
    }
    // A selection that went away with its row is no pupil's choice.
    const int row = m_list1[static_cast<std::size_t>(column)]->SelectedRow();
    if (row < 0) {
        return;
    }
    SelectPoint(column, row);
}

void MainWindow::SelectPoint(PointTable::Column column, int row)
{
    if (row < 0 || row >= m_table.RowCount()) {
        return;
    }
    m_table.SelectRow(column, row);
    const int r = m_table.SelectedRow(column);
    m_table.SelectRow(PointTable::X, r);
    m_table.SelectRow(PointTable::Y, r);
    m_table.SelectRow(PointTable::N, r);
    ShowSelectedRowInLists(r);

    m_picture1->ClearCanvas();
    m_picture1->SetPenWidth(kDotPenWidth);
    PlotStoredPoints();
    m_picture1->PlotDot(static_cast<float>(m_table.ReadX(r)), static_cast<float>(m_table.ReadY(r)),
                        kHighlight);
    m_picture1->SetPenWidth(kSegmentPenWidth);
}

void MainWindow::ShowSelectedRowInLists(int row)
{
    const QScopedValueRollback guard(m_changingSelection, true);
    for (OneRowList* list : m_list1) {
        list->SelectAndShow(row);
    }
}

void MainWindow::ClearPointSelections()
{
    const QScopedValueRollback guard(m_changingSelection, true);
    for (OneRowList* list : m_list1) {
        list->ClearSelectionAndShowFirst();
    }
}

void MainWindow::DeleteSelectedPoint()
{
    const int r = m_table.SelectedRow(PointTable::X);
    if (r < 0) {
        return;
    }
    // Clearing the selections and current rows first leaves Qt no current
    // row to move to a neighbour when this one goes.
    ClearPointSelections();
    m_table.RemoveRow(r);
    m_picture1->SetPenWidth(kSegmentPenWidth);
    ClearView();
    RedrawPoints();
}

void MainWindow::ClearView()
{
    m_picture1->ClearCanvas();
    SetReport({ReportSource::Kind::Empty, nullptr}, {});
    m_picture1->SetPenWidth(kSegmentPenWidth);
}

void MainWindow::RedrawPoints()
{
    m_picture1->SetPenWidth(kDotPenWidth);
    PlotStoredPoints();
    m_picture1->SetPenWidth(kSegmentPenWidth);
}

void MainWindow::PlotStoredPoints()
{
    for (int row = 0; row < m_table.RowCount(); ++row) {
        m_picture1->PlotDot(static_cast<float>(m_table.ReadX(row)),
                            static_cast<float>(m_table.ReadY(row)));
    }
}

} // namespace collinear
