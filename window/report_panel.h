#pragma once

#include <QPlainTextEdit>

#include <string>
#include <string_view>

namespace collinear {

// The report panel: read-only for the pupil but selectable and copyable,
// wrapping long lines, with a vertical scroll bar only. Its text keeps the
// CR LF line ends the program writes; the widget shows them as line breaks.
class ReportPanel : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit ReportPanel(QWidget* parent = nullptr);

    [[nodiscard]] const std::string& Text() const { return m_text; }
    // Replaces the whole text and shows its top.
    void SetText(std::string text);

private:
    std::string m_text;
};

} // namespace collinear
