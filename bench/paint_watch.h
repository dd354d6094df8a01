#pragma once

#include <QObject>
#include <QPointer>

#include <initializer_list>
#include <vector>

class QWidget;

namespace collinear::bench {

// Watches some widgets for paint events, so that a benchmark can run the
// event loop until what it changed is on the screen and not only queued.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(std::initializer_list<QWidget*> widgets);

    // Forgets the paints seen so far.
    void Reset();
    // Processes events until every watched widget has painted since the last
    // Reset, then lets the loop run dry. False if that never happened.
    bool WaitUntilPainted();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Watched {
        QPointer<QWidget> widget;
        bool painted = false;
    };
    std::vector<Watched> m_watched;
};

// Processes events until none is left.
void ProcessEventsUntilIdle();

} // namespace collinear::bench
