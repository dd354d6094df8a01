// The report panel's lines, wrapped at its width and laid out on demand.
#pragma once

#include <QRectF>

#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

class QPointF;
class QTextLayout;
class QWidget;

namespace collinear {

class ReportText;

// Where the report panel draws its text: lines wrapped at the width of the
// view it draws on, in that view's font, one under the other in content
// coordinates (y from the top of the text, not of the view).
//
// Only the lines it is asked about are laid out with QTextLayout, and only
// a few hundred are kept. Whether the others wrap comes from adding up the
// advances of their characters: a line of printable ASCII clearly narrower
// than the width is one row high, so a long report of short lines costs a
// pass over its bytes.
class ReportLayout {
public:
    // The blank around the text at the design's size, as wide as a plain
    // text edit leaves it.
    static constexpr double kMargin = 4.0;

    ReportLayout(const ReportText& text, const QWidget& view);
    ~ReportLayout();

    ReportLayout(const ReportLayout&) = delete;
    ReportLayout& operator=(const ReportLayout&) = delete;

    // Lays out anew for the text, the font and the width of the view as
    // they are now; does nothing while the width is the one laid out for
    // and nothing was invalidated.
    void Update();
    // The text, the font or the style has changed.
    void Invalidate();
    // The blank around the text, which grows with the window.
    void SetMargin(double margin);
    [[nodiscard]] double Margin() const { return m_margin; }
    [[nodiscard]] bool IsValid() const { return m_valid; }
    // Valid, and for the view's width as it is now.
    [[nodiscard]] bool IsCurrent() const;

    // These answer for the layout last made by Update().
    // The height of a line that does not wrap.
    [[nodiscard]] double RowHeight() const { return m_rowHeight; }
    // Content y of the top of a line; the line count gives the bottom of
    // the last line.
    [[nodiscard]] double LineTop(int line) const;
    // The line drawn at content height y (clamped to the first and last).
    [[nodiscard]] int LineAtY(double y) const;
    // The height of all the text with the margins.
    [[nodiscard]] double ContentHeight() const;

    // The laid-out line, from the cache or made now at the view's width.
    QTextLayout& Line(int line);

    // These bring the layout up to date first.
    // The caret before `position`: its x, and the top and height of its
    // visual line.
    QRectF CaretRect(int position);
    // The caret position nearest to a point.
    int PositionAt(const QPointF& point);
    // The character under a point: the caret position before it, also
    // when the point is nearer the caret position after it.
    int CharacterAt(const QPointF& point);
    // Where the character at `offset` is drawn; at least a caret wide.
    QRectF CharacterRect(int offset);
    // The start and the end of the visual line the caret at `position` is
    // on; the end stays before a blank the line wrapped at.
    int RowStart(int position);
    int RowEnd(int position);
    // How many rows a page goes: what the view shows less one line, which
    // stays in view.
    int PageRows();
    // The scroll offset nearest `top`, at most `bottom`, at which the view
    // shows the caret at `position`; on the first or the last visual line
    // the margin comes into view too.
    int TopToShow(int position, int top, int bottom);

private:
    [[nodiscard]] double AvailableWidth() const;
    [[nodiscard]] std::unique_ptr<QTextLayout> MakeLine(int line) const;

    const ReportText& m_text;
    const QWidget& m_view;
    double m_margin = kMargin;
    // Geometry for one text, font and width, remade when one changes.
    bool m_valid = false;
    double m_width = -1.0;
    double m_rowHeight = 0.0;
    // The lines of another height than m_rowHeight, in order, each with the
    // height that it and those before it add to the plain row heights.
    std::vector<std::pair<int, double>> m_otherHeights;
    std::unordered_map<int, std::unique_ptr<QTextLayout>> m_lines;
};

} // namespace collinear
