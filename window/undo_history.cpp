// The pupil's steps kept for undo and redo, as the window's states.
#include "undo_history.h"

#include <QUndoCommand>

#include <utility>

namespace collinear {

namespace {

class Step final : public QUndoCommand {
public:
    Step(UndoHistory::Restore restore, WindowState before, WindowState after)
        : m_restore(std::move(restore))
        , m_before(std::move(before))
        , m_after(std::move(after))
    {
    }

    void undo() override { m_restore(m_before); }

    void redo() override
    {
        // The step has just been done when it is recorded.
        if (m_recorded) {
            m_recorded = false;
            return;
        }
        m_restore(m_after);
    }

private:
    UndoHistory::Restore m_restore;
    WindowState m_before;
    WindowState m_after;
    bool m_recorded = true;
};

} // namespace

bool WindowState::SameApartFromPicture(const WindowState& other) const
{
    return table == other.table && pointCounter == other.pointCounter && report == other.report;
}

UndoHistory::UndoHistory(Restore restore, QObject* parent)
    : QObject(parent)
    , m_restore(std::move(restore))
{
    m_steps.setUndoLimit(kDepth);
}

void UndoHistory::Record(WindowState before, WindowState after)
{
    m_steps.push(new Step(m_restore, std::move(before), std::move(after)));
}

void UndoHistory::Undo()
{
    if (m_steps.canUndo()) {
        m_steps.undo();
    }
}

void UndoHistory::Redo()
{
    if (m_steps.canRedo()) {
        m_steps.redo();
    }
}

} // namespace collinear
