// The program's one window: its controls, start-up, the button dispatch,
// selection and deletion, and the pupil's steps with their undo.
#pragma once

#include "canvas.h"
#include "design_window.h"
#include "point_entry.h"
#include "point_table.h"
#include "undo_history.h"

#include <array>
#include <string>

class QLabel;
class QPushButton;
class QStringListModel;

namespace collinear {

class OneRowList;
class PointTableModel;
class ReportPanel;

// The program's one window. It owns the point table, the point counter and
// grid step (through PointEntry), the canvas and the report panel; every
// procedure runs to completion in answer to one user event. The design at
// any size (the factor, the zoom, full screen) is DesignWindow's.
class MainWindow : public DesignWindow {
    Q_OBJECT

public:
    // Indices of the command buttons, as the dispatch receives them.
    enum Command { Draw = 0, Clear = 1, Delete = 2 };

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    void PressButton(int index);
    void ResetDrawing();
    // Takes the last step back, or does the last step taken back again;
    // nothing when there is none.
    void Undo();
    void Redo();
    [[nodiscard]] const UndoHistory& History() const { return *m_history; }

    [[nodiscard]] const PointTable& Table() const { return m_table; }
    [[nodiscard]] int PointCounter() const { return m_pointEntry.PointCounter(); }
    [[nodiscard]] int GridStep() const { return m_pointEntry.GridStep(); }
    [[nodiscard]] const std::string& ReportPanelText() const;

    // The controls, by their design names and indices.
    [[nodiscard]] Canvas* Picture1() const { return m_picture1; }
    [[nodiscard]] OneRowList* List1(int index) const;
    [[nodiscard]] OneRowList* List3() const { return m_list3; }
    [[nodiscard]] ReportPanel* Text1() const { return m_text1; }
    [[nodiscard]] QPushButton* Command1(int index) const;
    [[nodiscard]] QLabel* Label1(int index) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The controls (controls.cpp): created at their design places, in the
    // design's keyboard order, and their events connected.
    void CreateControls();
    void ConnectEvents();
    // Where the window marks the drawing area while it has the keyboard: a
    // frame round it, so the picture itself stays exactly as drawn.
    [[nodiscard]] QRegion CanvasFocusFrame() const;

    void StartUp();
    // A press on the drawing area, by the mouse or the keyboard: a step.
    void PlacePoint(float x, float y);

    // Runs one of the pupil's steps, and keeps it for undo if it changed
    // anything.
    template <typename Action>
    void RunStep(Action action);
    [[nodiscard]] WindowState SaveState() const;
    void RestoreState(const WindowState& state);
    void SetReport(ReportSource source, std::string text);
    [[nodiscard]] static std::string ReportText(const ReportSource& source);

    void SetGridStepFromList();
    void OnPointSelectionChanged(PointTable::Column column);
    void SelectPoint(PointTable::Column column, int row);
    void DeleteSelectedPoint();
    void ClearView();
    void RedrawPoints();
    // Every stored point as a dot in the foreground colour, in row order.
    void PlotStoredPoints();
    void ShowSelectedRowInLists(int row);
    void ClearPointSelections();

    PointTable m_table;
    Canvas* m_picture1;
    PointEntry m_pointEntry;
    std::array<PointTableModel*, 3> m_pointModels{};
    QStringListModel* m_stepModel = nullptr;
    std::array<OneRowList*, 3> m_list1{};
    OneRowList* m_list3 = nullptr;
    ReportPanel* m_text1 = nullptr;
    std::array<QPushButton*, 3> m_command1{};
    std::array<QLabel*, 5> m_label1{};
    // Set while the program itself changes the point lists' selections, so
    // that the change is not taken for the pupil's: the nested runs of the
    // selection handler would only repeat the same work.
    bool m_changingSelection = false;
    ReportSource m_report;
    UndoHistory* m_history = nullptr;
};

} // namespace collinear
