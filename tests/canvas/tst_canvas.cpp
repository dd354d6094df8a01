#include "canvas.h"
#include "canvas_pixels.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

using collinear::Canvas;
using collinear::CanvasPicture;
using collinear::kHighlight;
using collinear::MakeRgb;
using collinear::testing::IsWhite;
using collinear::testing::PixelAt;

class TestCanvas : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_canvas = std::make_unique<Canvas>();
        m_canvas->resize(467, 200);
        m_canvas->SetBackground(MakeRgb(255, 255, 255));
    }

    void dotIsARoundDiscOfThePenWidth()
    {
        m_canvas->SetPenWidth(5);
        m_canvas->PlotDot(100, 50);
        const QColor black(Qt::black);
        QCOMPARE(PixelAt(*m_canvas, 100, 50), black);
        QCOMPARE(PixelAt(*m_canvas, 98, 50), black);
        QCOMPARE(PixelAt(*m_canvas, 102, 50), black);
        QCOMPARE(PixelAt(*m_canvas, 100, 48), black);
        QCOMPARE(PixelAt(*m_canvas, 97, 50), QColor(Qt::white));
        QCOMPARE(PixelAt(*m_canvas, 103, 50), QColor(Qt::white));
        QCOMPARE(PixelAt(*m_canvas, 98, 48), QColor(Qt::white)); // round, not square
    }

    void highlightDotCoversTheNormalDot()
    {
        m_canvas->SetPenWidth(5);
        m_canvas->PlotDot(20, 20);
        m_canvas->PlotDot(20, 20, kHighlight);
        QCOMPARE(PixelAt(*m_canvas, 20, 20), QColor(128, 128, 0));
        QCOMPARE(PixelAt(*m_canvas, 18, 20), QColor(128, 128, 0));
    }

    void foregroundIsTheSystemTextColourUnlessItWouldVanish()
    {
        QPalette palette = m_canvas->palette();
        palette.setColor(QPalette::WindowText, QColor(0, 0, 128));
        m_canvas->setPalette(palette);
        m_canvas->SetPenWidth(5);
        m_canvas->PlotDot(20, 20);
        QCOMPARE(PixelAt(*m_canvas, 20, 20), QColor(0, 0, 128));
        // A dark scheme's light text would be invisible on the white picture.
        palette.setColor(QPalette::WindowText, QColor(240, 240, 240));
        m_canvas->setPalette(palette);
        m_canvas->PlotDot(40, 20);
        m_canvas->SetPenWidth(1);
        m_canvas->DrawSegment(20, 40, 60, 40);
        QCOMPARE(PixelAt(*m_canvas, 40, 20), QColor(Qt::black));
        QCOMPARE(PixelAt(*m_canvas, 40, 40), QColor(Qt::black));
    }

    void segmentIsDrawnWithThePenWidth()
    {
        m_canvas->SetPenWidth(1);
        m_canvas->DrawSegment(10, 30, 60, 30);
        QCOMPARE(PixelAt(*m_canvas, 35, 30), QColor(Qt::black));
        QCOMPARE(PixelAt(*m_canvas, 35, 29), QColor(Qt::white));
        QCOMPARE(PixelAt(*m_canvas, 35, 31), QColor(Qt::white));
        m_canvas->DrawSegment(10, 10, 60, 60);
        QCOMPARE(PixelAt(*m_canvas, 30, 30), QColor(Qt::black));
        QCOMPARE(PixelAt(*m_canvas, 30, 40), QColor(Qt::white));
    }

    void drawingOutsideTheAreaIsClipped()
    {
        m_canvas->SetPenWidth(5);
        m_canvas->PlotDot(-1, -1);
        m_canvas->PlotDot(500, 250);
        m_canvas->PlotDot(1e7F, -1e7F);
        m_canvas->SetPenWidth(1);
        m_canvas->DrawSegment(-100, 100, 1e7F, 100);
        QCOMPARE(PixelAt(*m_canvas, 0, 0), QColor(Qt::black));
        QCOMPARE(PixelAt(*m_canvas, 466, 100), QColor(Qt::black));
        QCOMPARE(PixelAt(*m_canvas, 466, 199), QColor(Qt::white));
    }

    void clearingLeavesTheWholePictureWhite()
    {
        m_canvas->SetPenWidth(5);
        m_canvas->PlotDot(50, 50, kHighlight);
        m_canvas->DrawSegment(0, 0, 466, 199);
        m_canvas->ClearCanvas();
        QVERIFY(IsWhite(m_canvas->Image()));
    }

    void repeatedSegmentsLeaveTheSamePicture()
    {
        // Drawing a segment that is already there is skipped; the picture
        // must be exactly the one drawn stroke by stroke, also when other
        // colours came in between.
        Canvas literal;
        literal.resize(467, 200);
        literal.SetBackground(MakeRgb(255, 255, 255));
        const auto draw = [](Canvas& canvas, bool twice) {
            canvas.SetPenWidth(5);
            canvas.PlotDot(50, 50);
            canvas.PlotDot(100, 50, kHighlight);
            canvas.SetPenWidth(1);
            for (int pass = 0; pass < (twice ? 2 : 1); ++pass) {
                canvas.DrawSegment(50, 50, 100, 50);
                canvas.DrawSegment(100, 50, 150, 100);
                canvas.DrawSegment(100, 50, 50, 50);
            }
            canvas.SetPenWidth(5);
            canvas.PlotDot(100, 50, kHighlight);
            canvas.SetPenWidth(1);
            canvas.DrawSegment(50, 50, 100, 50);
        };
        draw(literal, false);
        draw(*m_canvas, true);
        QCOMPARE(m_canvas->Image(), literal.Image());
    }

    void pressIsReportedAsTheContainingPixel()
    {
        QSignalSpy spy(m_canvas.get(), &Canvas::pressed);
        m_canvas->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_canvas.get()));
        QTest::mouseClick(m_canvas.get(), Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier,
                          QPoint(13, 48));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toFloat(), 13.0F);
        QCOMPARE(spy.at(0).at(1).toFloat(), 48.0F);
        QCOMPARE(spy.at(0).at(2).value<Qt::MouseButton>(), Qt::RightButton);
    }

    void pictureSurvivesBeingHiddenAndShown()
    {
        m_canvas->setFocusPolicy(Qt::NoFocus); // no keyboard cursor over the picture
        m_canvas->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_canvas.get()));
        m_canvas->SetPenWidth(5);
        m_canvas->PlotDot(40, 40);
        const QImage before = m_canvas->grab().toImage();
        m_canvas->hide();
        m_canvas->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_canvas.get()));
        QCOMPARE(m_canvas->grab().toImage(), before);
        QCOMPARE(before.pixelColor(QPoint(40, 40) * before.devicePixelRatio()), QColor(Qt::black));
    }

    void keyboardCursorLeavesEveryDotAsDrawn_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<bool>("dotOnTheCursor");
        for (const int step : {5, 50}) {
            QTest::addRow("step %d, on a dot", step) << step << true;
            QTest::addRow("step %d, beside dots", step) << step << false;
        }
    }

    void keyboardCursorLeavesEveryDotAsDrawn()
    {
        QFETCH(int, step);
        QFETCH(bool, dotOnTheCursor);
        m_canvas->show();
        m_canvas->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_canvas.get()));
        m_canvas->SetKeyboardStep(step);
        QTest::keyClick(m_canvas.get(), Qt::Key_Right);
        QTest::keyClick(m_canvas.get(), Qt::Key_Left); // shown, back on its node
        // Dots on the nodes round the cursor (they touch it at a step of 5)
        // and a line through it.
        const QPoint node = m_canvas->KeyboardCursor();
        m_canvas->SetPenWidth(5);
        for (const int dx : {-step, 0, step}) {
            for (const int dy : {-step, 0, step}) {
                if (dx != 0 || dy != 0 || dotOnTheCursor) {
                    m_canvas->PlotDot(static_cast<float>(node.x() + dx),
                                      static_cast<float>(node.y() + dy));
                }
            }
        }
        m_canvas->SetPenWidth(1);
        m_canvas->DrawSegment(0, static_cast<float>(node.y()), 466, static_cast<float>(node.y()));

        const QImage& picture = m_canvas->Image();
        const QImage screen = m_canvas->grab().toImage().convertToFormat(picture.format());
        int changed = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                const bool same = screen.pixel(x, y) == picture.pixel(x, y);
                QVERIFY2(same || picture.pixel(x, y) == qRgb(255, 255, 255),
                         qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
                changed += static_cast<int>(!same);
            }
        }
        // The cursor shows at least in the four gaps between the dots round it.
        QVERIFY2(changed >= 12 * std::pow(picture.devicePixelRatio(), 2),
                 qPrintable(QString::number(changed)));
    }

    // Qt for the browser tells the program nothing when the page is zoomed,
    // and a hidden window that moves to a screen of another scale hears of
    // it only when shown. The picture follows the scale at the first stroke
    // after such a change, or when a saved picture is painted again, with
    // all drawn before painted again at the new scale: the very picture of
    // a canvas that was always there. A procedure that held the scale while
    // it ran leaves it free once it has ended.
    void picturesFollowAScaleChangedWithoutNotice_data()
    {
        QTest::addColumn<bool>("restoreSaved");
        QTest::addRow("the next stroke") << false;
        QTest::addRow("a saved picture painted again") << true;
    }

    void picturesFollowAScaleChangedWithoutNotice()
    {
        QFETCH(bool, restoreSaved);
        const QList<QScreen*> screens = QGuiApplication::screens();
        if (screens.size() < 2
            || screens[0]->devicePixelRatio() == screens[1]->devicePixelRatio()) {
            QSKIP("Needs a second screen of another scale (tests/support/two_screens.json).");
        }
        const auto draw = [](Canvas& canvas) {
            const Canvas::ScaleHold hold(canvas);
            canvas.SetPenWidth(5);
            canvas.PlotDot(40, 40);
            canvas.SetPenWidth(1);
            canvas.DrawSegment(40, 40, 200, 120);
        };
        const QPoint onSecondScreen = screens[1]->geometry().topLeft() + QPoint(10, 10);
        draw(*m_canvas);
        const CanvasPicture saved = m_canvas->Picture();
        const qreal before = m_canvas->Image().devicePixelRatio();

        m_canvas->move(onSecondScreen);
        QCOMPARE(m_canvas->screen(), screens[1]);
        QCOMPARE(m_canvas->Image().devicePixelRatio(), before); // not told of the move
        Canvas always;
        always.move(onSecondScreen);
        always.resize(467, 200);
        always.SetBackground(MakeRgb(255, 255, 255));
        draw(always);
        if (restoreSaved) {
            m_canvas->RestorePicture(saved);
        } else {
            m_canvas->SetPenWidth(1);
            m_canvas->DrawSegment(10, 150, 400, 150);
            always.DrawSegment(10, 150, 400, 150);
        }
        QCOMPARE(m_canvas->Image().devicePixelRatio(), screens[1]->devicePixelRatio());
        QCOMPARE(m_canvas->Image(), always.Image());
    }

private:
    std::unique_ptr<Canvas> m_canvas;
};

QTEST_MAIN(TestCanvas)
#include "tst_canvas.moc"
