// What screen readers get of the report panel.
#pragma once

class QObject;
class QString;

namespace collinear {

class ReportCursor;
class ReportPanel;

// What screen readers get of the report panel: a read-only multi-line text
// whose characters, selection and caret they can read and set. Installed
// once, by the first panel made.
void InstallReportPanelAccessible();

// What the panel tells screen readers when its text is replaced: the whole
// text before and after, as a text box does.
void AnnounceTextReplaced(ReportPanel& panel, const QString& before, const QString& after);

// What the panel tells screen readers when its caret or selection has
// moved from where `before` had them: the caret and the selection apart, so
// that they read out the characters the caret passed, and what is selected.
void AnnounceCaretMoved(ReportPanel& panel, const ReportCursor& before);

} // namespace collinear
