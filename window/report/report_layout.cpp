// The report panel's lines, wrapped at its width and laid out on demand.
#include "report_layout.h"

#include "report_text.h"

#include <QFontMetricsF>
#include <QTextLayout>
#include <QWidget>

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <limits>

namespace collinear {

namespace {

// A screenful needs a few dozen laid-out lines; more are not kept.
constexpr std::size_t kMaximumCachedLines = 512;

// Lays out one paragraph as the panel shows it: visual lines one under the
// other from y = 0, indented by the margin, wrapped at `width`, at word
// boundaries where there are any.
void LayOutParagraph(QTextLayout& layout, double width, double margin)
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.setCacheEnabled(true);
    double y = 0.0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLeadingIncluded(true);
        line.setLineWidth(width);
        line.setPosition(QPointF(margin, y));
        y += line.height();
        if (line.leading() < 0) {
            y += std::ceil(line.leading());
        }
    }
    layout.endLayout();
}

double ParagraphHeight(const QTextLayout& layout)
{
    return layout.boundingRect().bottom();
}

} // namespace

ReportLayout::ReportLayout(const ReportText& text, const QWidget& view)
    : m_text(text)
    , m_view(view)
{
}

ReportLayout::~ReportLayout() = default;

double ReportLayout::AvailableWidth() const
{
    const int width = m_view.width();
    // Before the view has a size nothing wraps.
    return (width > 0 ? width : std::numeric_limits<int>::max()) - 2 * m_margin;
}

bool ReportLayout::IsCurrent() const
{
    return m_valid && m_width == AvailableWidth();
}

void ReportLayout::Invalidate()
{
    m_valid = false;
    m_lines.clear();
}

void ReportLayout::SetMargin(double margin)
{
    if (margin != m_margin) {
        m_margin = margin;
        Invalidate();
    }
}

void ReportLayout::Update()
{
    const double width = AvailableWidth();
    if (m_valid && m_width == width) {
        return;
    }
    m_lines.clear();
    m_otherHeights.clear();
    m_width = width;

    // A line of printable ASCII whose advances add up to clearly less than
    // the width is one visual line as high as any other; only the rest are
    // laid out to learn how high they are. The room to spare covers
    // kerning, which the plain sum of advances leaves out. Every other byte
    // has an infinite advance, so that its line is always laid out.
    const QFontMetricsF metrics(m_view.font(), &m_view);
    std::array<double, 256> advances{};
    advances.fill(std::numeric_limits<double>::infinity());
    double widest = 0.0;
    for (char16_t c = 0x20; c < 0x7f; ++c) {
        advances[c] = metrics.horizontalAdvance(QChar(c));
        widest = std::max(widest, advances[c]);
    }
    const double fitsSurely = width - 2 * widest;
    QTextLayout sample(QStringLiteral("0"), m_view.font(), &m_view);
    LayOutParagraph(sample, width, m_margin);
    m_rowHeight = ParagraphHeight(sample);

    double extra = 0.0;
    for (int line = 0; line < m_text.LineCount(); ++line) {
        double advance = 0.0;
        for (const char byte : m_text.LineBytes(line)) {
            advance += advances[static_cast<unsigned char>(byte)];
        }
        if (advance < fitsSurely) {
            continue;
        }
        auto layout = MakeLine(line);
        const double height = ParagraphHeight(*layout);
        if (height != m_rowHeight) {
            extra += height - m_rowHeight;
            m_otherHeights.emplace_back(line, extra);
        }
        if (m_lines.size() < kMaximumCachedLines) {
            m_lines.emplace(line, std::move(layout));
        }
    }
    m_valid = true;
}

double ReportLayout::LineTop(int line) const
{
    const auto taller = std::lower_bound(
        m_otherHeights.begin(), m_otherHeights.end(), line,
        [](const std::pair<int, double>& other, int before) { return other.first < before; });
    const double extra = taller == m_otherHeights.begin() ? 0.0 : std::prev(taller)->second;
    return m_margin + line * m_rowHeight + extra;
}

int ReportLayout::LineAtY(double y) const
{
    // The last line whose top is at or above y.
    int low = 0;
    int high = m_text.LineCount();
    while (high - low > 1) {
        const int middle = low + (high - low) / 2;
        if (LineTop(middle) <= y) {
            low = middle;
        } else {
            high = middle;
        }
    }
    return low;
}

double ReportLayout::ContentHeight() const
{
    return LineTop(m_text.LineCount()) + m_margin;
}

std::unique_ptr<QTextLayout> ReportLayout::MakeLine(int line) const
{
    auto layout = std::make_unique<QTextLayout>(m_text.LineText(line), m_view.font(), &m_view);
    LayOutParagraph(*layout, AvailableWidth(), m_margin);
    return layout;
}

QTextLayout& ReportLayout::Line(int line)
{
    const auto found = m_lines.find(line);
    if (found != m_lines.end()) {
        return *found->second;
    }
    if (m_lines.size() >= kMaximumCachedLines) {
        m_lines.clear();
    }
    return *m_lines.emplace(line, MakeLine(line)).first->second;
}

QRectF ReportLayout::CaretRect(int position)
{
    Update();
    position = std::clamp(position, 0, m_text.ShownLength());
    const int line = m_text.LineOfPosition(position);
    const QTextLayout& layout = Line(line);
    const int inLine = position - m_text.LineStart(line);
    const QTextLine row = layout.lineForTextPosition(inLine);
    if (!row.isValid()) {
        return {0.0, LineTop(line), 1.0, m_rowHeight};
    }
    return {row.cursorToX(inLine), LineTop(line) + row.y(), 1.0, row.height()};
}

int ReportLayout::PositionAt(const QPointF& point)
{
    Update();
    const int line = LineAtY(point.y());
    const QTextLayout& layout = Line(line);
    const double y = point.y() - LineTop(line);
    // Above a visual line is its start, below it its end, on it the nearest
    // place between two characters.
    int inLine = 0;
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine row = layout.lineAt(i);
        const QRectF rowRect = row.naturalTextRect();
        if (rowRect.top() > y) {
            inLine = std::min(inLine, row.textStart());
        } else if (rowRect.bottom() <= y) {
            inLine = std::max(inLine, row.textStart() + row.textLength());
        } else {
            inLine = row.xToCursor(point.x());
            break;
        }
    }
    return std::min(m_text.LineStart(line) + inLine, m_text.LineEnd(line));
}

int ReportLayout::CharacterAt(const QPointF& point)
{
    const int position = PositionAt(point);
    if (position == m_text.LineStart(m_text.LineOfPosition(position))) {
        return position;
    }
    const QRectF after = CaretRect(position);
    const int before = m_text.PreviousCharacter(position);
    if (point.x() < after.left() && CaretRect(before).top() == after.top()) {
        return before;
    }
    return position;
}

QRectF ReportLayout::CharacterRect(int offset)
{
    QRectF rect = CaretRect(offset);
    const int line = m_text.LineOfPosition(offset);
    if (offset < m_text.LineEnd(line)) {
        const int inLine = offset - m_text.LineStart(line);
        const QTextLine row = Line(line).lineForTextPosition(inLine);
        const double after = row.cursorToX(inLine + 1);
        rect.setLeft(std::min(rect.left(), after));
        rect.setRight(std::max(rect.left() + 1.0, after));
    }
    return rect;
}

int ReportLayout::RowStart(int position)
{
    Update();
    const int line = m_text.LineOfPosition(position);
    const int inLine = position - m_text.LineStart(line);
    const QTextLine row = Line(line).lineForTextPosition(inLine);
    return m_text.LineStart(line) + (row.isValid() ? row.textStart() : 0);
}

int ReportLayout::RowEnd(int position)
{
    Update();
    const int line = m_text.LineOfPosition(position);
    const QTextLayout& layout = Line(line);
    const QTextLine row = layout.lineForTextPosition(position - m_text.LineStart(line));
    if (!row.isValid() || row.lineNumber() + 1 == layout.lineCount()) {
        return m_text.LineEnd(line);
    }
    // Before the blank the line wrapped at, so the caret stays on it; a
    // line broken inside a word ends where the next visual line starts, as
    // in Qt's own text boxes.
    const int end = row.textStart() + row.textLength();
    const bool atBlank = end > 0 && layout.text().at(end - 1).isSpace();
    return m_text.LineStart(line) + end - (atBlank ? 1 : 0);
}

int ReportLayout::PageRows()
{
    Update();
    return std::max(1, static_cast<int>(m_view.height() / m_rowHeight) - 1);
}

int ReportLayout::TopToShow(int position, int top, int bottom)
{
    const QRectF caret = CaretRect(position);
    const int height = m_view.height();
    if (caret.top() < top) {
        return caret.top() <= m_margin ? 0 : static_cast<int>(std::floor(caret.top()));
    }
    if (caret.bottom() > top + height) {
        return caret.bottom() >= LineTop(m_text.LineCount())
            ? bottom
            : static_cast<int>(std::ceil(caret.bottom())) - height;
    }
    return top;
}

} // namespace collinear
