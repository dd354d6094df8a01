// The pupil's steps kept for undo and redo, as the window's states.
#pragma once

#include "canvas.h"
#include "point_table.h"

#include <QObject>
#include <QUndoStack>

#include <cstdint>
#include <functional>
#include <memory>

namespace collinear {

// Where the report panel's text came from. A report is made again from the
// points it was made of rather than kept: with 51 points on one line it is
// 20,826 lines, too many to keep for every step that can be taken back.
struct ReportSource {
    enum class Kind { StartUp, Empty, Search };
    Kind kind = Kind::StartUp;
    // For a search, the table it searched.
    std::shared_ptr<const PointTable::Contents> points;
    bool operator==(const ReportSource&) const = default;
};

// What the window shows and holds, as far as a step of the pupil's can
// change it; the grid step is a setting and stays out of it.
struct WindowState {
    PointTable::Contents table;
    std::int16_t pointCounter = 0;
    ReportSource report;
    CanvasPicture picture;

    [[nodiscard]] bool SameApartFromPicture(const WindowState& other) const;
};

// The steps that can be taken back (Ctrl+Z) and done again (Ctrl+Shift+Z,
// Ctrl+Y): each holds the window as it was just before and just after it.
class UndoHistory : public QObject {
    Q_OBJECT

public:
    // The last this many steps can be taken back.
    static constexpr int kDepth = 100;

    using Restore = std::function<void(const WindowState&)>;
    UndoHistory(Restore restore, QObject* parent);

    // A new step drops the steps that were taken back and could have been
    // done again.
    void Record(WindowState before, WindowState after);
    void Undo();
    void Redo();
    [[nodiscard]] const QUndoStack& Steps() const { return m_steps; }

private:
    Restore m_restore;
    QUndoStack m_steps;
};

} // namespace collinear
