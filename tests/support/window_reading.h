#pragma once

#include "collinear_search.h"
#include "main_window.h"

#include <QListView>
#include <QString>
#include <QTest>

#include <memory>
#include <string>

namespace collinear::testing {

// The row a pupil sees in a one-row list: the one at the middle of its
// viewport (-1 when the list is empty).
inline int VisibleRow(const QListView* list)
{
    return list->indexAt(list->viewport()->rect().center()).row();
}

inline QString VisibleText(const QListView* list)
{
    return list->indexAt(list->viewport()->rect().center()).data().toString();
}

// A new main window, shown on the screen; empty if it never was.
inline std::unique_ptr<MainWindow> ShownMainWindow()
{
    auto window = std::make_unique<MainWindow>();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get())) {
        return nullptr;
    }
    return window;
}

// The first line of every report, with its line end.
inline std::string ReportHeadingLine()
{
    return std::string(kReportHeading) + std::string(kLineEnd);
}

} // namespace collinear::testing
