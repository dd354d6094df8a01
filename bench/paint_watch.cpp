#include "paint_watch.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <algorithm>

namespace collinear::bench {

namespace {

// Far more rounds than any repaint needs; only a widget that never paints
// (hidden, or not changed after all) runs into it.
constexpr int kMaximumRounds = 1000;

} // namespace

PaintWatch::PaintWatch(std::initializer_list<QWidget*> widgets)
{
    for (QWidget* widget : widgets) {
        widget->installEventFilter(this);
        m_watched.push_back({widget, false});
    }
}

void PaintWatch::Reset()
{
    for (auto& watched : m_watched) {
        watched.painted = false;
    }
}

bool PaintWatch::WaitUntilPainted()
{
    const auto allPainted = [this] {
        return std::all_of(m_watched.begin(), m_watched.end(),
                           [](const Watched& watched) { return watched.painted; });
    };
    for (int round = 0; round < kMaximumRounds && !allPainted(); ++round) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    ProcessEventsUntilIdle();
    return allPainted();
}

bool PaintWatch::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint) {
        for (auto& entry : m_watched) {
            if (entry.widget == watched) {
                entry.painted = true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void ProcessEventsUntilIdle()
{
    // processEvents handles what is queued when it is called; what that
    // queues in turn needs another round.
    for (int round = 0; round < kMaximumRounds; ++round) {
        QCoreApplication::sendPostedEvents();
        if (!QCoreApplication::eventDispatcher()->processEvents(QEventLoop::AllEvents)) {
            return;
        }
    }
}

} // namespace collinear::bench
