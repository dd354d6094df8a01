// A press stores what the pupil sees under the pointer, at every size: the
// design's factor from 0.6 to 3.0 in steps of 0.01, on displays of six
// scales (tests/support/display_scales.json), with the drawing area at a
// place in its window that falls between device pixels where a scale is
// not whole.
//
// What is painted is read back from the window as a screen shows it
// (QWidget::grab paints it as the window's backing store does): a row and a
// column of dots, one on every node of the step 5, each in a colour that
// names its node. Two things are checked over every device pixel of them:
//  - a press there, at the pixel's first and last fraction, falls on the
//    node of the dot painted there (on the dots themselves and on their
//    round edges, so a press on a dot never stores a point beside it);
//    along the line through the dots' middles for all of them, and on every
//    device pixel for the first three (the rule maps x and y apart, so the
//    line tells it all, and the three show it on the dots' round edges);
//  - the drawing-area pixel a press stores is the one whose device pixels
//    confine a dot painted on it, the split every dot is painted by.

#include "canvas.h"
#include "design_transform.h"
#include "point_entry.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>

#include <cmath>
#include <optional>

using collinear::Canvas;
using collinear::DesignTransform;
using collinear::MakeRgb;
using collinear::SnapToGrid;

namespace {

constexpr int kStep = 5;
// The design row and column the dots stand on.
constexpr int kRow = 100;
constexpr int kColumn = 230;
// Where the drawing area stands in its window: odd, so that at display
// scales 1.25, 1.5 and 1.75 it starts between two device pixels.
const QPoint kPlace(3, 7);

// Each dot's colour names its node: red and green its node's column and
// row in steps, blue 1 (the background has 255).
QRgb NodeColour(int x, int y)
{
    return qRgb(x / kStep, y / kStep, 1);
}

std::optional<QPoint> NodeOfColour(QRgb colour)
{
    if (qBlue(colour) != 1) {
        return std::nullopt;
    }
    return QPoint(qRed(colour) * kStep, qGreen(colour) * kStep);
}

int Snapped(int v)
{
    return static_cast<int>(SnapToGrid(v, kStep).value_or(-1.0));
}

// A window holding a drawing area at kPlace, at one factor.
struct Scene {
    QWidget window;
    Canvas* canvas = new Canvas(&window);

    explicit Scene(QScreen* screen) { window.move(screen->geometry().topLeft() + QPoint(10, 10)); }

    void ShowAt(double factor)
    {
        const QSize size(static_cast<int>(std::lround(Canvas::kDesignSize.width() * factor)),
                         static_cast<int>(std::lround(Canvas::kDesignSize.height() * factor)));
        window.resize(size + QSize(kPlace.x(), kPlace.y()) * 2);
        canvas->SetDesignGeometry(QRect(kPlace, size), factor);
        canvas->SetBackground(MakeRgb(255, 255, 255));
        canvas->SetPenWidth(5);
        for (int x = 0; x < Canvas::kDesignSize.width(); x += kStep) {
            const QRgb colour = NodeColour(x, kRow);
            canvas->PlotDot(static_cast<float>(x), kRow,
                            MakeRgb(qRed(colour), qGreen(colour), qBlue(colour)));
        }
        for (int y = 0; y < Canvas::kDesignSize.height(); y += kStep) {
            const QRgb colour = NodeColour(kColumn, y);
            canvas->PlotDot(kColumn, static_cast<float>(y),
                            MakeRgb(qRed(colour), qGreen(colour), qBlue(colour)));
        }
    }

    // The window's device pixels that show design rows (or columns) `first`
    // to `last` across the whole area, as a screen shows them: the window's
    // picture of a band whose edges are whole device pixels at every scale
    // tried here (multiples of four widget pixels).
    [[nodiscard]] QImage Band(bool rows, double factor, int first, int last)
    {
        const auto edge = [](double v, bool down) {
            return 4 * static_cast<int>(down ? std::floor(v / 4) : std::ceil(v / 4));
        };
        const double from = (rows ? kPlace.y() : kPlace.x()) + first * factor;
        const double to = (rows ? kPlace.y() : kPlace.x()) + (last + 1) * factor;
        const int start = edge(from, true);
        const int end = edge(to, false);
        const QRect band = rows ? QRect(0, start, window.width(), end - start)
                                : QRect(start, 0, end - start, window.height());
        QImage image = window.grab(band).toImage();
        image.setOffset(band.topLeft()); // in widget pixels
        return image;
    }
};

} // namespace

class TestPressSampling : public QObject {
    Q_OBJECT

private slots:
    void aPressStoresThePixelThePictureShows_data()
    {
        QTest::addColumn<int>("screen");
        const QList<QScreen*> screens = QGuiApplication::screens();
        for (int index = 0; index < screens.size(); ++index) {
            QTest::addRow("display scale %g", screens[index]->devicePixelRatio()) << index;
        }
    }

    void aPressStoresThePixelThePictureShows()
    {
        QFETCH(int, screen);
        QScreen* shownOn = QGuiApplication::screens().at(screen);
        const double display = shownOn->devicePixelRatio();
        Scene scene(shownOn);
        QCOMPARE(scene.canvas->devicePixelRatioF(), display);
        // Every factor is tried against the painted dots through the pure
        // rule; every tenth also through the canvas's own press handling.
        int pressed = 0;
        int dotPixels = 0;
        for (int hundredths = 60; hundredths <= 300; ++hundredths) {
            const double factor = hundredths / 100.0;
            const DesignTransform transform(factor, QPoint(0, 0));
            const double ratio = display * factor;
            scene.ShowAt(factor);
            const bool throughEvents = hundredths % 10 == 0;
            std::optional<QPoint> stored;
            const auto storedBy = [&](QPointF inWindow) {
                if (!throughEvents) {
                    return transform.FromScreen(inWindow - QPointF(kPlace), display, kPlace);
                }
                // As Qt hands a press to a widget: its position rounded to
                // whole widget pixels, its scene position exact.
                const QPointF exact = inWindow - QPointF(kPlace);
                QMouseEvent press(QEvent::MouseButtonPress, QPointF(exact.toPoint()), inWindow,
                                  inWindow, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
                stored.reset();
                QCoreApplication::sendEvent(scene.canvas, &press);
                ++pressed;
                return stored.value_or(QPoint(-1000, -1000));
            };
            const QMetaObject::Connection keep
                = connect(scene.canvas, &Canvas::pressed, this,
                          [&](float x, float y) { stored = QPoint(qRound(x), qRound(y)); });

            for (const bool rows : {true, false}) {
                const int line = rows ? kRow : kColumn;
                const QImage band = scene.Band(rows, factor, line - 2, line + 2);
                // Across the line, every device pixel of the first three dots;
                // along it, the device line through the dots' middles.
                const int middle = (rows ? band.height() : band.width()) / 2;
                for (int y = 0; y < band.height(); ++y) {
                    for (int x = 0; x < band.width(); ++x) {
                        const std::optional<QPoint> node = NodeOfColour(band.pixel(x, y));
                        const bool whole = node && (rows ? node->x() : node->y()) < 3 * kStep;
                        if (!node || ((rows ? y : x) != middle && !whole)) {
                            continue;
                        }
                        ++dotPixels;
                        // The window's device pixel, and its first and last
                        // fraction in widget pixels.
                        const QPoint device = QPoint(x, y) + band.offset() * display;
                        for (const double fraction : {0.0, 0.999}) {
                            const QPointF at
                                = (QPointF(device) + QPointF(fraction, fraction)) / display;
                            const QPoint pixel = storedBy(at);
                            const QPoint snapped(Snapped(pixel.x()), Snapped(pixel.y()));
                            if (snapped != *node) {
                                QFAIL(qPrintable(
                                    QStringLiteral("factor %1: a press at (%2, %3) stores (%4, %5) "
                                                   "on the dot of (%6, %7)")
                                        .arg(factor)
                                        .arg(at.x())
                                        .arg(at.y())
                                        .arg(pixel.x())
                                        .arg(pixel.y())
                                        .arg(node->x())
                                        .arg(node->y())));
                            }
                            // The dot's own pixels are the device pixels the
                            // split gives the drawing-area pixel pressed.
                            const auto [left, right] = DesignTransform::DevicePixelsOfDesignPixels(
                                pixel.x(), pixel.x(), ratio);
                            const int inPicture
                                = device.x() - static_cast<int>(std::round(kPlace.x() * display));
                            if (inPicture < left || right < inPicture) {
                                QFAIL(qPrintable(QStringLiteral("factor %1: device column %2 shows "
                                                                "pixel %3 and not its neighbour")
                                                     .arg(factor)
                                                     .arg(device.x())
                                                     .arg(pixel.x())));
                            }
                        }
                    }
                }
            }
            disconnect(keep);
        }
        // The dots were there to press, at every factor.
        const double perFactor = dotPixels / 241.0;
        QVERIFY2(perFactor > 0.9 * (467 + 200) * display + 3 * 2 * 20 * display * display,
                 qPrintable(QString::number(perFactor)));
        QVERIFY(pressed > 0);
    }

    // The split of device pixels between drawing-area pixels is the press
    // rule read backwards: every device pixel of the picture belongs to
    // exactly one drawing-area pixel, in order, none left out.
    void theDevicePixelsOfAPixelAreTheOnesThatShowIt()
    {
        for (const double display : {1.0, 1.25, 1.5, 1.75, 2.0, 3.0}) {
            for (int hundredths = 60; hundredths <= 300; ++hundredths) {
                const double ratio = display * hundredths / 100.0;
                int next = 0;
                for (int pixel = 0; pixel < Canvas::kDesignSize.width(); ++pixel) {
                    const auto [first, last]
                        = DesignTransform::DevicePixelsOfDesignPixels(pixel, pixel, ratio);
                    QCOMPARE(first, next);
                    for (int device = first; device <= last; ++device) {
                        QCOMPARE(DesignTransform::DesignPixelOfDevicePixel(device, ratio), pixel);
                    }
                    next = last + 1;
                }
            }
        }
    }
};

QTEST_MAIN(TestPressSampling)
#include "tst_press_sampling.moc"
