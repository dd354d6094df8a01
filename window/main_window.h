#pragma once

#include "canvas.h"
#include "design_transform.h"
#include "point_entry.h"
#include "point_table.h"
#include "undo_history.h"

#include <QWidget>

#include <array>
#include <string>
#include <utility>
#include <vector>

class QLabel;
class QPushButton;
class QShortcut;
class QStringListModel;
class QWheelEvent;

namespace collinear {

class OneRowList;
class PointTableModel;
class ReportPanel;
class ZoomedStyle;

// The program's one window. It owns the point table, the point counter and
// grid step (through PointEntry), the canvas and the report panel; every
// procedure runs to completion in answer to one user event.
class MainWindow : public QWidget {
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

    // The factors the zoom keys step through, as a browser's do.
    static constexpr std::array<double, 6> kZoomSteps{1.0, 1.25, 1.5, 2.0, 2.5, 3.0};
    // The window grows to the next step that its screen has room for, or
    // shrinks to the step before; ZoomReset brings back the design's size.
    // Views only: nothing the pupil did changes, and undo keeps no step.
    void ZoomIn();
    void ZoomOut();
    void ZoomReset();
    // The design's factor and where the design stands in the window: the
    // largest factor at which the whole design fits, centred.
    [[nodiscard]] const DesignTransform& Transform() const { return m_transform; }
    // The largest factor the window's screen can show.
    [[nodiscard]] double LargestFactor() const;
    // The smallest factor the window may draw the design at: 1 where the
    // window is never smaller than the design, less in a page on a small
    // screen.
    [[nodiscard]] double SmallestFactor() const;
    // Below this the captions are too small to draw.
    static constexpr double kSmallestFactor = 0.25;
    // Each control's place in design pixels, as the design lays it out.
    [[nodiscard]] const std::vector<std::pair<QWidget*, QRect>>& DesignGeometry() const
    {
        return m_designGeometry;
    }

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
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Where the window marks the drawing area while it has the keyboard: a
    // frame round it, so the picture itself stays exactly as drawn.
    [[nodiscard]] QRegion CanvasFocusFrame() const;
    void CreateControls();
    // Puts a control at its design place, at the window's factor.
    void Place(QWidget* control, const QRect& design);
    void PlaceButton(QPushButton* button, const QString& caption, const QRect& design,
                     const QColor& face);
    // Lays the design out again for the window's size.
    void FitDesign();
    void ZoomTo(double factor);
    // Whether the window at `factor`, with its frame, fits the free area of
    // its screen.
    [[nodiscard]] bool FitsTheScreen(double factor) const;
    // What the window's frame adds to its size now.
    [[nodiscard]] QSize FrameSize() const;
    // Ctrl+wheel anywhere in the window, by whole notches; true when taken.
    bool TurnZoomWheel(const QWheelEvent& event);
    void ToggleFullScreen();
    void ConnectEvents();
    void StartUp();

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
    DesignTransform m_transform;
    std::vector<std::pair<QWidget*, QRect>> m_designGeometry;
    std::array<QColor, 3> m_buttonFaces{};
    ZoomedStyle* m_style = nullptr;
    QShortcut* m_leaveFullScreen = nullptr;
    // What the window's frame adds to its size when it is neither full
    // screen nor maximised, as last seen so.
    QSize m_normalFrame{0, 0};
    // Eighths of a degree turned with Ctrl held since the last whole notch.
    int m_zoomWheelRemainder = 0;
};

} // namespace collinear
