#include "report_text.h"

#include <QTest>

#include <string>

using collinear::ReportText;

namespace {

ReportText Text(const QByteArray& bytes)
{
    ReportText text;
    text.SetText(bytes.toStdString());
    return text;
}

// A combining accent after "e" and an emoji of two UTF-16 units.
const QByteArray kGraphemes = "e\xcc\x81x \xf0\x9f\x98\x80y\r\nz";
const QByteArray kTwoLineReport = "Търся, точки, лежащи на една права:\r\n15,50; 25,50; 35,50\r\n";

} // namespace

// The report panel's text without a window: what it shows, where its
// lines start, and where the caret goes by characters and words.
class TestReportText : public QObject {
    Q_OBJECT

private slots:
    void indexesTheLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QList<int>>("lineStarts");
        QTest::newRow("empty") << QByteArray() << QString() << QList<int>{0};
        QTest::newRow("a line end alone") << QByteArray("\r\n") << QString() << QList<int>{0};
        QTest::newRow("CR LF") << QByteArray("a\r\nbc\r\n") << "a\nbc" << QList<int>{0, 2};
        QTest::newRow("LF") << QByteArray("a\nbc\n") << "a\nbc" << QList<int>{0, 2};
        QTest::newRow("no last line end") << QByteArray("a\r\nb") << "a\nb" << QList<int>{0, 2};
        QTest::newRow("empty lines")
            << QByteArray("a\r\n\r\n\nb\r\n") << "a\n\n\nb" << QList<int>{0, 2, 3, 4};
        QTest::newRow("lone CR") << QByteArray("a\rb\r") << "a\rb\r" << QList<int>{0};
        QTest::newRow("CR before CR LF") << QByteArray("a\r\r\nb") << "a\r\nb" << QList<int>{0, 3};
        QTest::newRow("Cyrillic") << QByteArray("Търся:\r\n15,50\r\n") << "Търся:\n15,50"
                                  << QList<int>{0, 7};
        QTest::newRow("two UTF-16 units")
            << QByteArray("\xf0\x9f\x98\x80x\r\ny") << QString::fromUtf8("\xf0\x9f\x98\x80x\ny")
            << QList<int>{0, 4};
    }

    void indexesTheLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        QFETCH(QList<int>, lineStarts);
        const ReportText text = Text(bytes);
        QCOMPARE(text.Bytes(), bytes.toStdString());
        QCOMPARE(text.Shown(), shown);
        QCOMPARE(text.ShownLength(), shown.size());
        QCOMPARE(text.LineCount(), lineStarts.size());
        const QStringList lines = shown.split(u'\n');
        for (int line = 0; line < text.LineCount(); ++line) {
            QCOMPARE(text.LineStart(line), lineStarts[line]);
            QCOMPARE(text.LineEnd(line), lineStarts[line] + lines[line].size());
            QCOMPARE(text.LineText(line), lines[line]);
            const std::string_view lineBytes = text.LineBytes(line);
            QCOMPARE(QString::fromUtf8(lineBytes.data(), static_cast<qsizetype>(lineBytes.size())),
                     lines[line]);
        }
        // An offset at a line end belongs to the line it ends.
        for (int position = 0; position <= shown.size(); ++position) {
            QCOMPARE(text.LineOfPosition(position), shown.left(position).count(u'\n'));
        }
    }

    void stepsOverWholeCharacters_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("next");
        QTest::addColumn<int>("previous");
        QTest::newRow("accented e") << 0 << 2 << 0;
        QTest::newRow("after the accent") << 2 << 3 << 0;
        QTest::newRow("emoji") << 4 << 6 << 3;
        QTest::newRow("after the emoji") << 6 << 7 << 4;
        QTest::newRow("line end") << 7 << 8 << 6;
        QTest::newRow("next line") << 8 << 9 << 7;
        QTest::newRow("end") << 9 << 9 << 8;
    }

    void stepsOverWholeCharacters()
    {
        QFETCH(int, position);
        QFETCH(int, next);
        QFETCH(int, previous);
        const ReportText text = Text(kGraphemes);
        QCOMPARE(text.NextCharacter(position), next);
        QCOMPARE(text.PreviousCharacter(position), previous);
    }

    void movesByWordsAcrossLines_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("nextEnd");
        QTest::addColumn<int>("previousStart");
        QTest::newRow("start") << 0 << 5 << 0;
        QTest::newRow("before a comma") << 5 << 12 << 0;
        QTest::newRow("in a word") << 31 << 34 << 29;
        QTest::newRow("before the colon") << 34 << 41 << 29;
        QTest::newRow("line end") << 35 << 41 << 29;
        QTest::newRow("start of a line") << 36 << 41 << 29;
        QTest::newRow("in a number") << 38 << 41 << 36;
        QTest::newRow("end") << 55 << 55 << 50;
    }

    void movesByWordsAcrossLines()
    {
        QFETCH(int, position);
        QFETCH(int, nextEnd);
        QFETCH(int, previousStart);
        const ReportText text = Text(kTwoLineReport);
        QCOMPARE(text.NextWordEnd(position), nextEnd);
        QCOMPARE(text.PreviousWordStart(position), previousStart);
    }

    void findsTheWordAndTheLineAtAPosition_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("line");
        const QString first = QStringLiteral("Търся, точки, лежащи на една права:\n");
        const QString last = QStringLiteral("15,50; 25,50; 35,50");
        QTest::newRow("start of a word") << 7 << "точки" << first;
        QTest::newRow("in a word") << 9 << "точки" << first;
        QTest::newRow("comma") << 5 << "," << first;
        QTest::newRow("blank") << 6 << " " << first;
        QTest::newRow("line end") << 35 << QString() << first;
        QTest::newRow("number") << 38 << "15,50" << last;
        QTest::newRow("end") << 55 << QString() << last;
    }

    void findsTheWordAndTheLineAtAPosition()
    {
        QFETCH(int, position);
        QFETCH(QString, word);
        QFETCH(QString, line);
        const ReportText text = Text(kTwoLineReport);
        const auto found = text.WordAt(position);
        const QString& shown = text.Shown();
        QCOMPARE(found ? shown.mid(found->start, found->end - found->start) : QString(), word);
        const ReportText::Span span = text.LineAt(position);
        QCOMPARE(shown.mid(span.start, span.end - span.start), line);
    }
};

QTEST_APPLESS_MAIN(TestReportText)
#include "tst_report_text.moc"
