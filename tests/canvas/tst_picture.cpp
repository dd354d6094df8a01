// The picture's rules without a window: which strokes go onto it, which are
// skipped and which dropped, and that a saved picture painted again, at any
// ratio and after anything drawn since, is pixel for pixel the one drawn.

#include "picture.h"

#include <QTest>

#include <cmath>
#include <vector>

using collinear::CanvasPicture;
using collinear::kDrawingAreaSize;
using collinear::PictureResolution;
using collinear::Stroke;
using collinear::StrokePicture;

namespace {

const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kBlue = qRgb(0, 0, 160);
const QRgb kOlive = qRgb(128, 128, 0);
// No step draws in it: a dot of it far outside the area changes no pixel,
// but the colour stops any segment before it from being skipped.
const QRgb kMarker = qRgb(1, 2, 3);

const std::vector<QLineF> kSegments{{50, 50, 100, 50}, {100, 50, 150, 100}, {10, 190, 460, 5}};
const std::vector<QPointF> kDots{{50, 50}, {100, 50}};

// One thing drawn: a segment or a dot of those above, or a fill.
struct Op {
    enum class Kind { Segment, Dot, Fill };
    Kind kind = Kind::Fill;
    int which = 0;
    QRgb colour = kBlack;
    int width = 1;
};
using Ops = std::vector<Op>;

Op Segment(int which, QRgb colour = kBlack, int width = 1)
{
    return {Op::Kind::Segment, which, colour, width};
}
Op Dot(int which, QRgb colour = kBlack)
{
    return {Op::Kind::Dot, which, colour, 5};
}
const Op kFill;

PictureResolution At(double ratio)
{
    return {QSize(static_cast<int>(std::lround(kDrawingAreaSize.width() * ratio)),
                  static_cast<int>(std::lround(kDrawingAreaSize.height() * ratio))),
            ratio};
}

StrokePicture PictureAt(double ratio)
{
    StrokePicture picture([ratio] { return At(ratio); }, {});
    picture.Fill(Qt::white);
    return picture;
}

// Draws `op`; true when it was painted, false when skipped.
bool Apply(StrokePicture& picture, const Op& op)
{
    const auto at = [](double v) { return static_cast<float>(v); };
    switch (op.kind) {
    case Op::Kind::Segment: {
        const QLineF& line = kSegments.at(static_cast<std::size_t>(op.which));
        return picture.DrawSegment(at(line.x1()), at(line.y1()), at(line.x2()), at(line.y2()),
                                   op.width, op.colour);
    }
    case Op::Kind::Dot: {
        const QPointF& dot = kDots.at(static_cast<std::size_t>(op.which));
        return picture.Record({Stroke::Kind::Dot, at(dot.x()), at(dot.y()), at(dot.x()),
                               at(dot.y()), op.width, op.colour});
    }
    case Op::Kind::Fill:
        picture.Fill(Qt::white);
        return true;
    }
    return false;
}

// Every op painted: a marker dot after each stops the next from being
// skipped.
QImage Literally(const Ops& ops, double ratio)
{
    StrokePicture picture = PictureAt(ratio);
    for (const Op& op : ops) {
        Apply(picture, op);
        picture.Record({Stroke::Kind::Dot, -1000, -1000, -1000, -1000, 5, kMarker});
    }
    return picture.Image();
}

// Segments, palettes and fills mixed: what a lesson draws.
Ops ALesson()
{
    return {Dot(0),
            Dot(1, kOlive),
            Segment(0),
            Segment(1),
            Segment(0),
            Segment(0, kBlue),
            Segment(2, kBlue),
            Segment(0),
            Segment(0, kBlue),
            Segment(0),
            Dot(1),
            Segment(1, kBlack, 2),
            kFill,
            Segment(2),
            Segment(2, kBlue),
            Segment(2),
            Segment(2, kBlue),
            Dot(0, kOlive),
            Segment(2, kBlue)};
}

} // namespace

class TestPicture : public QObject {
    Q_OBJECT

private slots:
    // A segment is skipped where it cannot change a pixel; a segment drawn
    // again opaque in another colour covers the one before, which goes once
    // half the strokes are so covered.
    void whichStrokesGoOntoThePicture_data()
    {
        QTest::addColumn<Ops>("ops");
        QTest::addColumn<QString>("painted"); // one letter an op: y painted, n skipped
        QTest::addColumn<int>("kept");
        QTest::addRow("the same segment twice") << Ops{Segment(0), Segment(0)} << "yn" << 1;
        QTest::addRow("at another width") << Ops{Segment(0), Segment(0, kBlack, 2)} << "yy" << 2;
        QTest::addRow("another segment between")
            << Ops{Segment(0), Segment(1), Segment(0)} << "yyn" << 2;
        QTest::addRow("a dot of the same colour between")
            << Ops{Segment(0), Dot(0), Segment(0)} << "yyn" << 2;
        QTest::addRow("a dot of another colour between")
            << Ops{Segment(0), Dot(0, kOlive), Segment(0)} << "yyy" << 3;
        QTest::addRow("a segment of another colour between")
            << Ops{Segment(0), Segment(1, kBlue), Segment(0)} << "yyy" << 3;
        QTest::addRow("a fill between") << Ops{Segment(0), kFill, Segment(0)} << "yyy" << 1;
        QTest::addRow("a new palette") << Ops{Segment(0), Segment(0, kBlue)} << "yy" << 2;
        QTest::addRow("a new palette, the segment again in it")
            << Ops{Segment(0), Segment(0, kBlue), Segment(0, kBlue)} << "yyn" << 2;
        QTest::addRow("back to the first colour: the covered two go")
            << Ops{Segment(0), Segment(0, kBlue), Segment(0)} << "yyy" << 1;
        QTest::addRow("dots cover nothing") << Ops{Dot(0), Dot(0, kOlive), Dot(0)} << "yyy" << 3;
    }

    void whichStrokesGoOntoThePicture()
    {
        QFETCH(Ops, ops);
        QFETCH(QString, painted);
        QFETCH(int, kept);
        StrokePicture picture = PictureAt(1.0);
        QString seen;
        for (const Op& op : ops) {
            seen += Apply(picture, op) ? u'y' : u'n';
        }
        QCOMPARE(seen, painted);
        QCOMPARE(picture.Save().StrokeCount(), static_cast<std::size_t>(kept));
        // Skipping and dropping change no pixel, and the strokes kept paint
        // the same picture again.
        QCOMPARE(picture.Image(), Literally(ops, 1.0));
        StrokePicture again = PictureAt(1.0);
        again.Restore(picture.Save());
        QCOMPARE(again.Image(), picture.Image());
    }

    // Undo to any saved point, at any ratio, gives back that picture and
    // its design-size twin, whatever was drawn or dropped since; the twin
    // is always the picture as drawn at ratio 1.
    void everySavedPictureComesBackExactly_data()
    {
        QTest::addColumn<double>("ratio");
        for (const double ratio : {1.0, 1.5, 2.0, 2.75}) {
            QTest::addRow("ratio %g", ratio) << ratio;
        }
    }

    void everySavedPictureComesBackExactly()
    {
        QFETCH(double, ratio);
        StrokePicture picture = PictureAt(ratio);
        StrokePicture design = PictureAt(1.0);
        std::vector<CanvasPicture> saved;
        std::vector<QImage> images;
        for (const Op& op : ALesson()) {
            Apply(picture, op);
            Apply(design, op);
            QCOMPARE(picture.DesignImage(), design.Image());
            saved.push_back(picture.Save());
            images.push_back(picture.Image());
        }
        QCOMPARE(picture.Image().devicePixelRatio(), ratio);
        for (const bool backwards : {true, false}) {
            for (std::size_t step = 0; step < saved.size(); ++step) {
                const std::size_t index
                    = backwards ? saved.size() - 1 - step : (step * 7) % saved.size();
                picture.Restore(saved[index]);
                QVERIFY2(picture.Image() == images[index], qPrintable(QString::number(index)));
                QVERIFY(picture.Save().SamePixels(saved[index]));
                // Drawn on from there, as after an undo.
                Apply(picture, Segment(1, kOlive));
            }
        }
        // A picture saved at ratio 1 painted again at this one.
        design.Restore(saved.back());
        picture.Restore(design.Save());
        QCOMPARE(picture.Image(), images.back());
    }

    // A page smaller than the design paints below ratio 1, where a segment
    // one drawing-area pixel wide is less than a device pixel wide and Qt
    // paints it translucent. Painted again from its strokes the picture is
    // as drawn, until a segment drawn again in another colour has dropped
    // the one before it: that one no longer covers it pixel for pixel.
    void belowRatioOneACoveredSegmentStillShows()
    {
        StrokePicture picture = PictureAt(0.6);
        const auto paintedAgain = [&picture] {
            StrokePicture again = PictureAt(0.6);
            again.Restore(picture.Save());
            return again.Image();
        };
        for (const Op& op : {Dot(0), Segment(0), Segment(1, kBlue), Segment(0), kFill, Segment(2),
                             Segment(2, kBlue)}) {
            Apply(picture, op);
            QCOMPARE(paintedAgain(), picture.Image());
        }
        Apply(picture, Segment(2));
        QCOMPARE(picture.Save().StrokeCount(), std::size_t{1});
        QEXPECT_FAIL("", "a dropped translucent segment still shows under the one drawn over it",
                     Continue);
        QCOMPARE(paintedAgain(), picture.Image());
    }

    // Lines drawn again after every change of the text colour: the strokes
    // stay fewer than twice the lines (and one), and paint what the lines
    // drawn once in the last colour paint.
    void theStrokesStayBoundedWhenColoursAlternate()
    {
        constexpr int kLines = 41;
        const auto drawLines = [](StrokePicture& picture, QRgb colour) {
            for (int line = 0; line < kLines; ++line) {
                const auto x = static_cast<float>(10 * line);
                picture.DrawSegment(x, 100, x + 10, 100, 1, colour);
            }
        };
        StrokePicture picture = PictureAt(1.0);
        drawLines(picture, kBlack);
        const CanvasPicture first = picture.Save();
        const QImage firstImage = picture.Image();
        std::size_t most = 0;
        for (int change = 0; change < 200; ++change) {
            drawLines(picture, change % 2 == 0 ? kBlue : kBlack);
            most = std::max(most, picture.Save().StrokeCount());
        }
        QVERIFY2(most <= 2 * kLines + 1, qPrintable(QString::number(most)));
        StrokePicture once = PictureAt(1.0);
        drawLines(once, kBlack);
        QCOMPARE(picture.Image(), once.Image());
        // The first picture kept its strokes through every list dropped since.
        picture.Restore(first);
        QCOMPARE(picture.Image(), firstImage);
    }

    // A new resolution (the display's scale, the window's factor) paints
    // all drawn before again at it, before the next stroke.
    void aNewResolutionPaintsEverythingAgain()
    {
        double ratio = 1.0;
        StrokePicture picture([&ratio] { return At(ratio); }, {});
        picture.Fill(Qt::white);
        Apply(picture, Dot(0));
        Apply(picture, Segment(0));
        ratio = 2.0;
        Apply(picture, Segment(2));
        QVERIFY(!picture.FollowResolution());
        const StrokePicture always = [] {
            StrokePicture drawn = PictureAt(2.0);
            for (const Op& op : {Dot(0), Segment(0), Segment(2)}) {
                Apply(drawn, op);
            }
            return drawn;
        }();
        QCOMPARE(picture.Image(), always.Image());
        QCOMPARE(picture.DesignImage(), Literally({Dot(0), Segment(0), Segment(2)}, 1.0));
        ratio = 1.0;
        QVERIFY(picture.FollowResolution());
        QCOMPARE(&picture.DesignImage(), &picture.Image());
    }

    // What a stroke reports as painted holds every pixel it changed, so the
    // screen shows all of it.
    void thePaintedAreaHoldsEveryChangedPixel_data()
    {
        QTest::addColumn<Op>("op");
        QTest::addColumn<double>("ratio");
        for (const double ratio : {1.0, 1.5, 2.5}) {
            QTest::addRow("a dot at %g", ratio) << Dot(1) << ratio;
            QTest::addRow("a diagonal at %g", ratio) << Segment(2, kBlack, 3) << ratio;
        }
    }

    void thePaintedAreaHoldsEveryChangedPixel()
    {
        QFETCH(Op, op);
        QFETCH(double, ratio);
        QRectF painted;
        StrokePicture picture([ratio] { return At(ratio); },
                              [&painted](const QRectF& area) { painted |= area; });
        picture.Fill(Qt::white);
        const QImage before = picture.Image();
        QVERIFY(Apply(picture, op));
        int changed = 0;
        for (int y = 0; y < before.height(); ++y) {
            for (int x = 0; x < before.width(); ++x) {
                if (picture.Image().pixel(x, y) != before.pixel(x, y)) {
                    ++changed;
                    const QRectF device(x / ratio, y / ratio, 1 / ratio, 1 / ratio);
                    QVERIFY2(painted.contains(device),
                             qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
                }
            }
        }
        QVERIFY(changed > 0);
    }
};

QTEST_GUILESS_MAIN(TestPicture)
#include "tst_picture.moc"
