#include "report_panel.h"

#include "focus_frame.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextBoundaryFinder>
#include <QTextLayout>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>

namespace collinear {

namespace {

// The blank around the text, as wide as a plain text edit leaves it.
constexpr double kMargin = 4.0;
// A screenful needs a few dozen laid-out lines; more are not kept.
constexpr std::size_t kMaximumCachedLayouts = 512;
// How often a drag beyond the top or bottom scrolls the view, in ms.
constexpr int kAutoScrollInterval = 50;

// Lays out one paragraph as the panel shows it: visual lines one under the
// other from y = 0, indented by the margin, wrapped at `width`, at word
// boundaries where there are any.
void LayOutParagraph(QTextLayout& layout, double width)
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
        line.setPosition(QPointF(kMargin, y));
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

// What screen readers get: the panel as a read-only multi-line text whose
// characters, selection and caret they can read and set.
class ReportPanelAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit ReportPanelAccessible(ReportPanel* panel)
        : QAccessibleWidget(panel, QAccessible::EditableText)
    {
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface) {
            return static_cast<QAccessibleTextInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }

    [[nodiscard]] QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.editable = false;
        state.multiLine = true;
        state.selectableText = true;
        return state;
    }

    [[nodiscard]] QString text(QAccessible::Text type) const override
    {
        if (type == QAccessible::Value) {
            return Panel()->ShownText();
        }
        return QAccessibleWidget::text(type);
    }

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override
    {
        *startOffset = 0;
        *endOffset = 0;
        if (selectionIndex == 0 && selectionCount() == 1) {
            *startOffset = Panel()->SelectionStart();
            *endOffset = Panel()->SelectionEnd();
        }
    }

    [[nodiscard]] int selectionCount() const override
    {
        return Panel()->SelectionStart() != Panel()->SelectionEnd() ? 1 : 0;
    }

    void addSelection(int startOffset, int endOffset) override
    {
        Panel()->Select(startOffset, endOffset);
    }

    void removeSelection(int selectionIndex) override
    {
        if (selectionIndex == 0) {
            Panel()->Select(Panel()->CaretPosition(), Panel()->CaretPosition());
        }
    }

    void setSelection(int selectionIndex, int startOffset, int endOffset) override
    {
        if (selectionIndex == 0) {
            Panel()->Select(startOffset, endOffset);
        }
    }

    [[nodiscard]] int cursorPosition() const override { return Panel()->CaretPosition(); }

    void setCursorPosition(int position) override { Panel()->Select(position, position); }

    [[nodiscard]] QString text(int startOffset, int endOffset) const override
    {
        const int length = Panel()->ShownLength();
        startOffset = std::clamp(startOffset, 0, length);
        endOffset = std::clamp(endOffset, startOffset, length);
        return Panel()->ShownText().mid(startOffset, endOffset - startOffset);
    }

    [[nodiscard]] int characterCount() const override { return Panel()->ShownLength(); }

    [[nodiscard]] QRect characterRect(int offset) const override
    {
        const QRect rect = Panel()->CharacterRect(offset);
        if (rect.isNull()) {
            return {};
        }
        return rect.translated(Panel()->viewport()->mapToGlobal(QPoint(0, 0)));
    }

    [[nodiscard]] int offsetAtPoint(const QPoint& point) const override
    {
        const QPoint local = Panel()->viewport()->mapFromGlobal(point);
        if (!Panel()->viewport()->rect().contains(local)) {
            return -1;
        }
        return Panel()->PositionAt(local);
    }

    void scrollToSubstring(int startIndex, int endIndex) override
    {
        Panel()->EnsureVisible(endIndex);
        Panel()->EnsureVisible(startIndex);
    }

    [[nodiscard]] QString attributes(int offset, int* startOffset, int* endOffset) const override
    {
        // One font and colour throughout: a single run without attributes.
        Q_UNUSED(offset);
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

private:
    [[nodiscard]] ReportPanel* Panel() const { return static_cast<ReportPanel*>(widget()); }
};

QAccessibleInterface* CreateReportPanelAccessible(const QString& /*className*/, QObject* object)
{
    if (auto* panel = qobject_cast<ReportPanel*>(object)) {
        return new ReportPanelAccessible(panel);
    }
    return nullptr;
}

} // namespace

ReportPanel::ReportPanel(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    static const bool accessibleFactoryInstalled = [] {
        QAccessible::installFactory(CreateReportPanelAccessible);
        return true;
    }();
    Q_UNUSED(accessibleFactoryInstalled);

    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    IndexLines();
}

ReportPanel::~ReportPanel() = default;

void ReportPanel::SetText(std::string text)
{
    const QString previous = QAccessible::isActive() ? ShownText() : QString();
    m_text = std::move(text);
    IndexLines();
    m_anchor = 0;
    m_caret = 0;
    m_caretX = -1.0;
    InvalidateGeometry();
    // A hidden panel may not have its final width yet; it measures its
    // lines when it is shown.
    if (isVisible()) {
        UpdateScrollBar();
    }
    verticalScrollBar()->setValue(verticalScrollBar()->minimum());
    RestartCaretBlink();
    viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleTextUpdateEvent update(this, 0, previous, ShownText());
        QAccessible::updateAccessibility(&update);
    }
}

void ReportPanel::IndexLines()
{
    // A line ends at LF, or at CR LF, which the panel shows alike; the last
    // line end closes a line and opens no empty one.
    m_lineBytes.assign(1, 0);
    m_lineOffsets.assign(1, 0);
    const char* const text = m_text.data();
    const int size = static_cast<int>(m_text.size());
    int start = 0;
    for (;;) {
        const void* found = std::memchr(text + start, '\n', static_cast<std::size_t>(size - start));
        const int lineFeed
            = found != nullptr ? static_cast<int>(static_cast<const char*>(found) - text) : size;
        int end = lineFeed;
        if (found != nullptr && end > start && text[end - 1] == '\r') {
            --end;
        }
        unsigned char bits = 0;
        for (int i = start; i < end; ++i) {
            bits |= static_cast<unsigned char>(text[i]);
        }
        // Only a line with other than ASCII characters needs decoding to
        // learn its length in characters.
        const int length = bits < 0x80
            ? end - start
            : static_cast<int>(QString::fromUtf8(text + start, end - start).size());
        m_lineOffsets.push_back(m_lineOffsets.back() + length + 1);
        if (found == nullptr || lineFeed + 1 == size) {
            m_lineBytes.push_back(found != nullptr ? size : size + 1);
            break;
        }
        start = lineFeed + 1;
        m_lineBytes.push_back(start);
    }
    m_shownText.clear();
    m_shownTextMade = false;
}

QString ReportPanel::ShownText() const
{
    if (!m_shownTextMade) {
        m_shownText.clear();
        m_shownText.reserve(ShownLength());
        for (int line = 0; line < LineCount(); ++line) {
            if (line > 0) {
                m_shownText += u'\n';
            }
            m_shownText += LineText(line);
        }
        m_shownTextMade = true;
    }
    return m_shownText;
}

int ReportPanel::LineStart(int line) const
{
    return m_lineOffsets[static_cast<std::size_t>(line)];
}

int ReportPanel::LineEnd(int line) const
{
    return m_lineOffsets[static_cast<std::size_t>(line) + 1] - 1;
}

std::string_view ReportPanel::LineBytes(int line) const
{
    const int start = m_lineBytes[static_cast<std::size_t>(line)];
    // The next line's start is after this one's line end, LF or CR LF; for
    // the last line it is one past the text unless the text ends in one.
    int end = m_lineBytes[static_cast<std::size_t>(line) + 1] - 1;
    if (end < static_cast<int>(m_text.size()) && m_text[static_cast<std::size_t>(end)] == '\n'
        && end > start && m_text[static_cast<std::size_t>(end) - 1] == '\r') {
        --end;
    }
    return std::string_view(m_text).substr(static_cast<std::size_t>(start),
                                           static_cast<std::size_t>(end - start));
}

QString ReportPanel::LineText(int line) const
{
    const std::string_view bytes = LineBytes(line);
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

int ReportPanel::LineOfPosition(int position) const
{
    const auto first = m_lineOffsets.begin();
    const auto next = std::upper_bound(first, first + LineCount(), position);
    return std::max(0, static_cast<int>(next - first) - 1);
}

double ReportPanel::LineTop(int line) const
{
    const auto taller = std::lower_bound(
        m_otherHeights.begin(), m_otherHeights.end(), line,
        [](const std::pair<int, double>& other, int before) { return other.first < before; });
    const double extra = taller == m_otherHeights.begin() ? 0.0 : std::prev(taller)->second;
    return kMargin + line * m_rowHeight + extra;
}

int ReportPanel::LineAtY(double y) const
{
    // The last line whose top is at or above y.
    int low = 0;
    int high = LineCount();
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

double ReportPanel::AvailableWidth() const
{
    const int width = viewport()->width();
    // Before the panel has a size nothing wraps.
    return (width > 0 ? width : std::numeric_limits<int>::max()) - 2 * kMargin;
}

int ReportPanel::ScrollOffset() const
{
    return verticalScrollBar()->value();
}

std::unique_ptr<QTextLayout> ReportPanel::MakeLayout(int line) const
{
    auto layout = std::make_unique<QTextLayout>(LineText(line), font(), viewport());
    LayOutParagraph(*layout, AvailableWidth());
    return layout;
}

QTextLayout& ReportPanel::Layout(int line) const
{
    const auto found = m_layouts.find(line);
    if (found != m_layouts.end()) {
        return *found->second;
    }
    if (m_layouts.size() >= kMaximumCachedLayouts) {
        m_layouts.clear();
    }
    return *m_layouts.emplace(line, MakeLayout(line)).first->second;
}

void ReportPanel::InvalidateGeometry()
{
    m_geometryValid = false;
    m_layouts.clear();
}

void ReportPanel::EnsureGeometry() const
{
    const double width = AvailableWidth();
    if (m_geometryValid && m_geometryWidth == width) {
        return;
    }
    m_layouts.clear();
    m_otherHeights.clear();
    m_geometryWidth = width;

    // A line of printable ASCII whose advances add up to clearly less than
    // the width is one visual line as high as any other; only the rest are
    // laid out to learn how high they are. The room to spare covers
    // kerning, which the plain sum of advances leaves out. Every other byte
    // has an infinite advance, so that its line is always laid out.
    const QFontMetricsF metrics(font(), viewport());
    std::array<double, 256> advances{};
    advances.fill(std::numeric_limits<double>::infinity());
    double widest = 0.0;
    for (char16_t c = 0x20; c < 0x7f; ++c) {
        advances[c] = metrics.horizontalAdvance(QChar(c));
        widest = std::max(widest, advances[c]);
    }
    const double fitsSurely = width - 2 * widest;
    QTextLayout sample(QStringLiteral("0"), font(), viewport());
    LayOutParagraph(sample, width);
    m_rowHeight = ParagraphHeight(sample);

    double extra = 0.0;
    for (int line = 0; line < LineCount(); ++line) {
        double advance = 0.0;
        for (const char byte : LineBytes(line)) {
            advance += advances[static_cast<unsigned char>(byte)];
        }
        if (advance < fitsSurely) {
            continue;
        }
        auto layout = MakeLayout(line);
        const double height = ParagraphHeight(*layout);
        if (height != m_rowHeight) {
            extra += height - m_rowHeight;
            m_otherHeights.emplace_back(line, extra);
        }
        if (m_layouts.size() < kMaximumCachedLayouts) {
            m_layouts.emplace(line, std::move(layout));
        }
    }
    m_geometryValid = true;
}

void ReportPanel::UpdateScrollBar()
{
    EnsureGeometry();
    const int height = viewport()->height();
    const double contentHeight = LineTop(LineCount()) + kMargin;
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, std::max(0, static_cast<int>(std::ceil(contentHeight)) - height));
    bar->setPageStep(std::max(1, height));
    bar->setSingleStep(std::max(1, static_cast<int>(std::lround(m_rowHeight))));
}

QRectF ReportPanel::CaretRect(int position) const
{
    EnsureGeometry();
    position = std::clamp(position, 0, ShownLength());
    const int line = LineOfPosition(position);
    const QTextLayout& layout = Layout(line);
    const int inLine = position - LineStart(line);
    const QTextLine row = layout.lineForTextPosition(inLine);
    if (!row.isValid()) {
        return {0.0, LineTop(line), 1.0, m_rowHeight};
    }
    return {row.cursorToX(inLine), LineTop(line) + row.y(), 1.0, row.height()};
}

int ReportPanel::PositionAtContent(const QPointF& point) const
{
    EnsureGeometry();
    const int line = LineAtY(point.y());
    const QTextLayout& layout = Layout(line);
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
    return std::min(LineStart(line) + inLine, LineEnd(line));
}

int ReportPanel::PositionAt(const QPoint& point) const
{
    return PositionAtContent(QPointF(point.x(), point.y() + ScrollOffset()));
}

QRect ReportPanel::CharacterRect(int offset) const
{
    if (offset < 0 || offset >= ShownLength()) {
        return {};
    }
    QRectF rect = CaretRect(offset);
    const int line = LineOfPosition(offset);
    if (offset < LineEnd(line)) {
        const QTextLine row = Layout(line).lineForTextPosition(offset - LineStart(line));
        const double after = row.cursorToX(offset - LineStart(line) + 1);
        rect.setLeft(std::min(rect.left(), after));
        rect.setRight(std::max(rect.left() + 1.0, after));
    }
    return rect.translated(0, -ScrollOffset()).toAlignedRect();
}

void ReportPanel::EnsureVisible(int offset)
{
    const QRectF caret = CaretRect(offset);
    QScrollBar* bar = verticalScrollBar();
    const int height = viewport()->height();
    // On the first or the last visual line the margin comes into view too.
    if (caret.top() < bar->value()) {
        bar->setValue(caret.top() <= kMargin ? 0 : static_cast<int>(std::floor(caret.top())));
    } else if (caret.bottom() > bar->value() + height) {
        bar->setValue(caret.bottom() >= LineTop(LineCount())
                          ? bar->maximum()
                          : static_cast<int>(std::ceil(caret.bottom())) - height);
    }
}

int ReportPanel::SelectionStart() const
{
    return std::min(m_anchor, m_caret);
}

int ReportPanel::SelectionEnd() const
{
    return std::max(m_anchor, m_caret);
}

QString ReportPanel::SelectedText() const
{
    if (SelectionStart() == SelectionEnd()) {
        return {};
    }
    return ShownText().mid(SelectionStart(), SelectionEnd() - SelectionStart());
}

void ReportPanel::SelectAll()
{
    Select(0, ShownLength());
}

void ReportPanel::Copy() const
{
    if (SelectionStart() != SelectionEnd()) {
        QGuiApplication::clipboard()->setText(SelectedText());
    }
}

void ReportPanel::MoveCaret(int position, bool keepAnchor)
{
    Select(keepAnchor ? m_anchor : position, position);
}

void ReportPanel::Select(int anchor, int position)
{
    const int length = ShownLength();
    const int oldStart = SelectionStart();
    const int oldEnd = SelectionEnd();
    const int oldCaret = m_caret;
    m_anchor = std::clamp(anchor, 0, length);
    m_caret = std::clamp(position, 0, length);
    EnsureVisible(m_caret);
    RestartCaretBlink();
    viewport()->update();
    if (!QAccessible::isActive()) {
        return;
    }
    // A screen reader hears of the caret and of the selection apart: it
    // reads out the characters the caret passed, and what is selected.
    const bool wasSelected = oldStart != oldEnd;
    const bool isSelected = SelectionStart() != SelectionEnd();
    if ((wasSelected || isSelected) && (oldStart != SelectionStart() || oldEnd != SelectionEnd())) {
        QAccessibleTextSelectionEvent selection(this, SelectionStart(), SelectionEnd());
        selection.setCursorPosition(m_caret);
        QAccessible::updateAccessibility(&selection);
    }
    if (m_caret != oldCaret) {
        QAccessibleTextCursorEvent cursor(this, m_caret);
        QAccessible::updateAccessibility(&cursor);
    }
}

int ReportPanel::PositionVertically(int rows)
{
    const QRectF caret = CaretRect(m_caret);
    if (m_caretX < 0) {
        m_caretX = caret.left();
    }
    return PositionAtContent(QPointF(m_caretX, caret.center().y() + rows * m_rowHeight));
}

int ReportPanel::NextCharacter(int position) const
{
    const int line = LineOfPosition(position);
    if (position >= LineEnd(line)) {
        return std::min(position + 1, ShownLength());
    }
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, LineText(line));
    graphemes.setPosition(position - LineStart(line));
    return LineStart(line) + static_cast<int>(graphemes.toNextBoundary());
}

int ReportPanel::PreviousCharacter(int position) const
{
    const int line = LineOfPosition(position);
    if (position <= LineStart(line)) {
        return std::max(position - 1, 0);
    }
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, LineText(line));
    graphemes.setPosition(position - LineStart(line));
    return LineStart(line) + static_cast<int>(graphemes.toPreviousBoundary());
}

int ReportPanel::NextWordEnd(int position) const
{
    for (int line = LineOfPosition(position); line < LineCount(); ++line) {
        QTextBoundaryFinder words(QTextBoundaryFinder::Word, LineText(line));
        words.setPosition(std::max(0, position - LineStart(line)));
        while (words.toNextBoundary() >= 0) {
            if (words.boundaryReasons().testFlag(QTextBoundaryFinder::EndOfItem)) {
                return LineStart(line) + static_cast<int>(words.position());
            }
        }
    }
    return ShownLength();
}

int ReportPanel::PreviousWordStart(int position) const
{
    for (int line = LineOfPosition(position); line >= 0; --line) {
        const QString text = LineText(line);
        QTextBoundaryFinder words(QTextBoundaryFinder::Word, text);
        words.setPosition(std::min(static_cast<int>(text.size()), position - LineStart(line)));
        while (words.toPreviousBoundary() >= 0) {
            if (words.boundaryReasons().testFlag(QTextBoundaryFinder::StartOfItem)) {
                return LineStart(line) + static_cast<int>(words.position());
            }
        }
    }
    return 0;
}

void ReportPanel::SelectLine(int position)
{
    const int line = LineOfPosition(position);
    m_caretX = -1.0;
    Select(LineStart(line), line + 1 < LineCount() ? LineStart(line + 1) : LineEnd(line));
}

int ReportPanel::DragPosition(const QPoint& point) const
{
    const int bottom = std::max(0, viewport()->height() - 1);
    return PositionAt(QPoint(point.x(), std::clamp(point.y(), 0, bottom)));
}

void ReportPanel::AutoScroll()
{
    const int height = viewport()->height();
    int beyond = 0;
    if (m_dragPoint.y() < 0) {
        beyond = m_dragPoint.y();
    } else if (m_dragPoint.y() >= height) {
        beyond = m_dragPoint.y() - height + 1;
    }
    if (!m_selectingWithMouse || beyond == 0) {
        m_autoScroll.stop();
        return;
    }
    // A row a tick near the edge, faster the further the pointer is from it.
    const int rows
        = std::min(10, 1 + std::abs(beyond) / std::max(1, static_cast<int>(m_rowHeight)));
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->value()
                  + (beyond < 0 ? -1 : 1) * static_cast<int>(std::lround(rows * m_rowHeight)));
    MoveCaret(DragPosition(m_dragPoint), true);
}

void ReportPanel::RestartCaretBlink()
{
    const int flashTime = QGuiApplication::styleHints()->cursorFlashTime();
    m_caretShown = hasFocus();
    if (hasFocus() && flashTime >= 2) {
        m_caretBlink.start(flashTime / 2, this);
    } else {
        m_caretBlink.stop();
    }
}

bool ReportPanel::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        // The panel's own keys win over shortcuts of the window.
        auto* key = static_cast<QKeyEvent*>(event);
        if (key == QKeySequence::Copy || key == QKeySequence::SelectAll) {
            event->accept();
            return true;
        }
    }
    const bool handled = QAbstractScrollArea::event(event);
    // The caret alone, which blinks, would show the focus only half the
    // time; the frame shows it as on every other control.
    PaintFocusFrameAfter(*this, *event);
    return handled;
}

void ReportPanel::paintEvent(QPaintEvent* event)
{
    EnsureGeometry();
    QPainter painter(viewport());
    QRect exposed = event->rect();
    // The right margin stays blank, also under a selected line end.
    exposed.setRight(
        std::min(exposed.right(), viewport()->width() - static_cast<int>(kMargin) + 1));
    painter.setClipRect(exposed);
    painter.setPen(palette().text().color());

    const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
    QTextCharFormat selected;
    selected.setBackground(palette().brush(group, QPalette::Highlight));
    selected.setForeground(palette().brush(group, QPalette::HighlightedText));

    const int top = ScrollOffset();
    for (int line = LineAtY(top + exposed.top()); line < LineCount(); ++line) {
        const double y = LineTop(line) - top;
        if (y > exposed.bottom()) {
            break;
        }
        const int start = LineStart(line);
        // A selection that takes in the line end shows it as a blank.
        QList<QTextLayout::FormatRange> selections;
        if (SelectionStart() < LineEnd(line) + 1 && SelectionEnd() > start
            && SelectionEnd() > SelectionStart()) {
            selections.append(
                {SelectionStart() - start, SelectionEnd() - SelectionStart(), selected});
        }
        QTextLayout& layout = Layout(line);
        layout.draw(&painter, QPointF(0, y), selections, exposed);
        if (m_caretShown && m_caret >= start && m_caret <= LineEnd(line)) {
            layout.drawCursor(&painter, QPointF(0, y), m_caret - start, 1);
        }
    }
}

void ReportPanel::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (!isVisible()) {
        return;
    }
    if (m_geometryValid && m_geometryWidth == AvailableWidth()) {
        UpdateScrollBar();
        return;
    }
    // Keep the line at the top in view while the lines wrap anew.
    const int topLine = m_geometryValid ? LineAtY(ScrollOffset()) : 0;
    InvalidateGeometry();
    UpdateScrollBar();
    verticalScrollBar()->setValue(static_cast<int>(LineTop(topLine) - kMargin));
}

void ReportPanel::showEvent(QShowEvent* event)
{
    QAbstractScrollArea::showEvent(event);
    UpdateScrollBar();
}

void ReportPanel::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        InvalidateGeometry();
        UpdateScrollBar();
        viewport()->update();
    }
}

void ReportPanel::scrollContentsBy(int /*dx*/, int /*dy*/)
{
    viewport()->update();
}

void ReportPanel::keyPressEvent(QKeyEvent* event)
{
    if (event == QKeySequence::SelectAll) {
        SelectAll();
        return;
    }
    if (event == QKeySequence::Copy) {
        Copy();
        return;
    }
    EnsureGeometry();
    // A page is what the panel shows less one line, which stays in view.
    const int pageRows = std::max(1, static_cast<int>(viewport()->height() / m_rowHeight) - 1);
    const auto vertical
        = [&](QKeySequence::StandardKey move, QKeySequence::StandardKey select, int rows) {
              if (event != move && event != select) {
                  return false;
              }
              const int target = PositionVertically(rows);
              if (std::abs(rows) > 1) {
                  // Paging scrolls the view as far as the caret goes.
                  QScrollBar* bar = verticalScrollBar();
                  bar->setValue(bar->value() + static_cast<int>(std::lround(rows * m_rowHeight)));
              }
              MoveCaret(target, event == select);
              return true;
          };
    if (vertical(QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, -1)
        || vertical(QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, 1)
        || vertical(QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, -pageRows)
        || vertical(QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, pageRows)) {
        return;
    }

    const auto row = [this] {
        const int line = LineOfPosition(m_caret);
        const QTextLine visual = Layout(line).lineForTextPosition(m_caret - LineStart(line));
        return std::pair{line, visual};
    };
    int target = -1;
    bool select = false;
    const auto horizontal
        = [&](QKeySequence::StandardKey move, QKeySequence::StandardKey extend, const auto& where) {
              if (target >= 0 || (event != move && event != extend)) {
                  return;
              }
              select = event == extend;
              target = where();
          };
    // Without Shift an arrow first leaves a selection at its end.
    const bool selection = SelectionStart() != SelectionEnd();
    horizontal(QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar,
               [&] { return selection && !select ? SelectionEnd() : NextCharacter(m_caret); });
    horizontal(QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, [&] {
        return selection && !select ? SelectionStart() : PreviousCharacter(m_caret);
    });
    horizontal(QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord,
               [this] { return NextWordEnd(m_caret); });
    horizontal(QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord,
               [this] { return PreviousWordStart(m_caret); });
    horizontal(QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, [&] {
        const auto [line, visual] = row();
        return LineStart(line) + (visual.isValid() ? visual.textStart() : 0);
    });
    horizontal(QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, [&] {
        const auto [line, visual] = row();
        if (!visual.isValid() || visual.lineNumber() + 1 == Layout(line).lineCount()) {
            return LineEnd(line);
        }
        // Before the blank the line wrapped at, so the caret stays on it;
        // a line broken inside a word ends where the next visual line
        // starts, as in Qt's own text boxes.
        const int end = visual.textStart() + visual.textLength();
        const bool atBlank = end > 0 && LineText(line).at(end - 1).isSpace();
        return LineStart(line) + end - (atBlank ? 1 : 0);
    });
    horizontal(QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument,
               [] { return 0; });
    horizontal(QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument,
               [this] { return ShownLength(); });
    if (target >= 0) {
        m_caretX = -1.0;
        MoveCaret(target, select);
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void ReportPanel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint point = event->position().toPoint();
    const bool tripleClick = m_doubleClicked
        && event->timestamp() - m_doubleClickTime
            < static_cast<quint64>(QApplication::doubleClickInterval())
        && (point - m_doubleClickPoint).manhattanLength() < QApplication::startDragDistance();
    m_doubleClicked = false;
    if (tripleClick) {
        SelectLine(PositionAt(point));
        return;
    }
    m_selectingWithMouse = true;
    m_dragPoint = point;
    m_caretX = -1.0;
    MoveCaret(PositionAt(point), event->modifiers().testFlag(Qt::ShiftModifier));
}

void ReportPanel::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_selectingWithMouse || !event->buttons().testFlag(Qt::LeftButton)) {
        return;
    }
    m_dragPoint = event->position().toPoint();
    MoveCaret(DragPosition(m_dragPoint), true);
    const bool outside = m_dragPoint.y() < 0 || m_dragPoint.y() >= viewport()->height();
    if (outside && !m_autoScroll.isActive()) {
        m_autoScroll.start(kAutoScrollInterval, this);
    } else if (!outside) {
        m_autoScroll.stop();
    }
}

void ReportPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_selectingWithMouse) {
        return;
    }
    m_selectingWithMouse = false;
    m_autoScroll.stop();
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (SelectionStart() != SelectionEnd() && clipboard->supportsSelection()) {
        clipboard->setText(SelectedText(), QClipboard::Selection);
    }
}

void ReportPanel::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint point = event->position().toPoint();
    int position = PositionAt(point);
    const int line = LineOfPosition(position);
    const int start = LineStart(line);
    // The word of the character under the pointer, also when the pointer is
    // over its right half, nearer the caret place after it.
    if (position > start) {
        const QRectF after = CaretRect(position);
        const int before = PreviousCharacter(position);
        if (point.x() < after.left() && CaretRect(before).top() == after.top()) {
            position = before;
        }
    }
    const QString text = LineText(line);
    const int at = position - start;
    QTextBoundaryFinder words(QTextBoundaryFinder::Word, text);
    words.setPosition(at);
    const int wordStart = words.isAtBoundary() ? at : static_cast<int>(words.toPreviousBoundary());
    words.setPosition(at);
    const int wordEnd = static_cast<int>(words.toNextBoundary());
    m_selectingWithMouse = false;
    m_autoScroll.stop();
    m_doubleClicked = true;
    m_doubleClickTime = event->timestamp();
    m_doubleClickPoint = point;
    if (wordStart >= 0 && wordEnd > wordStart) {
        m_caretX = -1.0;
        Select(start + wordStart, start + wordEnd);
    }
}

void ReportPanel::contextMenuEvent(QContextMenuEvent* event)
{
    ShowContextMenu(event->globalPos());
}

void ReportPanel::ShowContextMenu(const QPoint& globalPosition)
{
    QMenu menu(this);
    QAction* copy = menu.addAction(QStringLiteral("&Копирай"), this, &ReportPanel::Copy);
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(SelectionStart() != SelectionEnd());
    QAction* all
        = menu.addAction(QStringLiteral("Маркирай &всичко"), this, &ReportPanel::SelectAll);
    all->setShortcut(QKeySequence::SelectAll);
    all->setEnabled(ShownLength() > 0);
    menu.exec(globalPosition);
}

void ReportPanel::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    RestartCaretBlink();
    update();
    viewport()->update();
}

void ReportPanel::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    m_selectingWithMouse = false;
    m_autoScroll.stop();
    RestartCaretBlink();
    update();
    viewport()->update();
}

void ReportPanel::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_autoScroll.timerId()) {
        AutoScroll();
        return;
    }
    if (event->timerId() != m_caretBlink.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    m_caretShown = !m_caretShown;
    const QRectF caret = CaretRect(m_caret).translated(0, -ScrollOffset());
    viewport()->update(caret.toAlignedRect().adjusted(-1, 0, 1, 0));
}

} // namespace collinear
