// The report panel's text and where its lines start.
#pragma once

#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace collinear {

// The report panel's text and where its lines start. The text is kept as
// the UTF-8 string the program writes, with its CR LF line ends; offsets
// count UTF-16 units of the shown text, where each line end (LF, or CR LF)
// is one "\n" and the last one is left out. A CR before anything but LF is
// a character of its line.
//
// Indexing costs one pass over the bytes: only a line with other than
// ASCII characters is decoded, to learn its length in UTF-16 units.
class ReportText {
public:
    ReportText();

    [[nodiscard]] const std::string& Bytes() const { return m_text; }
    // Replaces the whole text; the index keeps its storage for the next.
    void SetText(std::string text);
    [[nodiscard]] int LineCount() const { return static_cast<int>(m_lineBytes.size()) - 1; }

    // The text as shown: lines joined by "\n", without the last line end.
    // Decoded on the first call and kept.
    [[nodiscard]] const QString& Shown() const;
    [[nodiscard]] int ShownLength() const { return m_lineOffsets.back() - 1; }

    // Where a line starts and ends in the shown text; the end is before the
    // line end.
    [[nodiscard]] int LineStart(int line) const
    {
        return m_lineOffsets[static_cast<std::size_t>(line)];
    }
    [[nodiscard]] int LineEnd(int line) const
    {
        return m_lineOffsets[static_cast<std::size_t>(line) + 1] - 1;
    }
    // A line's bytes in the text, without its line end. Inline: the layout
    // runs through the bytes of every line each time the width changes.
    [[nodiscard]] std::string_view LineBytes(int line) const;
    [[nodiscard]] QString LineText(int line) const;
    // The line an offset of the shown text is on; an offset at a line end
    // is on the line it ends.
    [[nodiscard]] int LineOfPosition(int position) const;

    // The caret positions a character (grapheme) after and before
    // `position`; a line end is one character.
    [[nodiscard]] int NextCharacter(int position) const;
    [[nodiscard]] int PreviousCharacter(int position) const;
    // The end of the word after `position` and the start of the word before
    // it, across lines; the end or the start of the text when none is left.
    [[nodiscard]] int NextWordEnd(int position) const;
    [[nodiscard]] int PreviousWordStart(int position) const;

    struct Span {
        int start = 0;
        int end = 0;
    };
    // The line that holds `position`, with its line end when one follows.
    [[nodiscard]] Span LineAt(int position) const;
    // The word, run of blanks or punctuation that holds the character at
    // `position`, within its line; none at a line end.
    [[nodiscard]] std::optional<Span> WordAt(int position) const;

private:
    void IndexLines();

    std::string m_text;
    // Byte offset in m_text and character offset in the shown text of the
    // start of each line; each ends with the start a next line would have.
    std::vector<int> m_lineBytes;
    std::vector<int> m_lineOffsets;
    // Made only when asked for: screen readers and copying.
    mutable std::optional<QString> m_shown;
};

inline std::string_view ReportText::LineBytes(int line) const
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

} // namespace collinear
