// The report panel's text and where its lines start.
#include "report_text.h"

#include <QTextBoundaryFinder>

#include <algorithm>
#include <cstring>
#include <utility>

namespace collinear {

ReportText::ReportText()
{
    IndexLines();
}

void ReportText::SetText(std::string text)
{
    m_text = std::move(text);
    IndexLines();
}

void ReportText::IndexLines()
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
    m_shown.reset();
}

const QString& ReportText::Shown() const
{
    if (!m_shown) {
        QString shown;
        shown.reserve(ShownLength());
        for (int line = 0; line < LineCount(); ++line) {
            if (line > 0) {
                shown += u'\n';
            }
            shown += LineText(line);
        }
        m_shown = std::move(shown);
    }
    return *m_shown;
}

QString ReportText::LineText(int line) const
{
    const std::string_view bytes = LineBytes(line);
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

int ReportText::LineOfPosition(int position) const
{
    const auto first = m_lineOffsets.begin();
    const auto next = std::upper_bound(first, first + LineCount(), position);
    return std::max(0, static_cast<int>(next - first) - 1);
}

int ReportText::NextCharacter(int position) const
{
    const int line = LineOfPosition(position);
    if (position >= LineEnd(line)) {
        return std::min(position + 1, ShownLength());
    }
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, LineText(line));
    graphemes.setPosition(position - LineStart(line));
    return LineStart(line) + static_cast<int>(graphemes.toNextBoundary());
}

int ReportText::PreviousCharacter(int position) const
{
    const int line = LineOfPosition(position);
    if (position <= LineStart(line)) {
        return std::max(position - 1, 0);
    }
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, LineText(line));
    graphemes.setPosition(position - LineStart(line));
    return LineStart(line) + static_cast<int>(graphemes.toPreviousBoundary());
}

int ReportText::NextWordEnd(int position) const
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

int ReportText::PreviousWordStart(int position) const
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

ReportText::Span ReportText::LineAt(int position) const
{
    const int line = LineOfPosition(position);
    return {LineStart(line), line + 1 < LineCount() ? LineStart(line + 1) : LineEnd(line)};
}

std::optional<ReportText::Span> ReportText::WordAt(int position) const
{
    const int line = LineOfPosition(position);
    const int start = LineStart(line);
    const int at = position - start;
    QTextBoundaryFinder words(QTextBoundaryFinder::Word, LineText(line));
    words.setPosition(at);
    const int wordStart = words.isAtBoundary() ? at : static_cast<int>(words.toPreviousBoundary());
    words.setPosition(at);
    const int wordEnd = static_cast<int>(words.toNextBoundary());
    if (wordStart < 0 || wordEnd <= wordStart) {
        return std::nullopt;
    }
    return Span{start + wordStart, start + wordEnd};
}

} // namespace collinear
