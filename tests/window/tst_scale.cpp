// The window at the display scale and in the locale the run was started
// with (CTest runs it at QT_SCALE_FACTOR 1, 1.5 and 2, and in bg_BG.UTF-8):
// presses land on whole pixels under the pointer, the picture is kept at
// device resolution, and it survives being hidden or covered.

#include "main_window.h"
#include "one_row_list.h"
#include "report_panel.h"
#include "window_reading.h"

#include <QApplication>
#include <QPushButton>
#include <QSysInfo>
#include <QTest>

#include <array>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <memory>

using collinear::Canvas;
using collinear::MainWindow;
using collinear::PointTable;

namespace {

bool HasDarkPixel(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 64) {
                return true;
            }
        }
    }
    return false;
}

// The locale the environment asks for, as setlocale would pick it.
QByteArray RequestedLocale()
{
    for (const char* name : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
        QByteArray value = qgetenv(name);
        if (!value.isEmpty()) {
            return value;
        }
    }
    return {};
}

} // namespace

class TestScale : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_window = std::make_unique<MainWindow>();
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        // The canvas shows a keyboard cursor while it has the focus; these
        // tests look at the picture alone.
        m_window->Text1()->setFocus();
    }

    void cleanup() { m_window.reset(); }

    void theCanvasImageHasDeviceResolution()
    {
        const Canvas* canvas = m_window->Picture1();
        const qreal ratio = canvas->devicePixelRatioF();
        const QByteArray requested = qgetenv("QT_SCALE_FACTOR");
        if (!requested.isEmpty()) {
            QCOMPARE(ratio, requested.toDouble());
        }
        QCOMPARE(canvas->Image().devicePixelRatio(), ratio);
        QCOMPARE(canvas->Image().size(), canvas->size() * ratio);
        // The painted widget carries every device pixel of the picture.
        const QImage shot = m_window->Picture1()->grab().toImage();
        QCOMPARE(shot.size(), canvas->Image().size());
    }

    void pressesLandOnWholePixelsUnderThePointer()
    {
        QWindow* window = m_window->windowHandle();
        QVERIFY(window != nullptr);
        const Canvas* canvas = m_window->Picture1();
        const qreal ratio = canvas->devicePixelRatioF();
        const QPoint origin = canvas->mapTo(m_window.get(), QPoint(0, 0));
        // Grid nodes across the picture, each pressed at the first or the
        // last device pixel of its logical pixel: at a fractional scale the
        // press position is then a fraction past the node.
        int pressed = 0;
        for (int i = 0; i < 24; ++i) {
            const int nodeX = 5 * (4 * i + 1);
            const int nodeY = 5 * ((7 * i + 2) % 40);
            const auto devicePixel = [&](int node, int offset) {
                const qreal logical = node + offset;
                return i % 2 == 0 ? std::ceil(logical * ratio)
                                  : std::ceil((logical + 1) * ratio) - 1;
            };
            const qreal deviceX = devicePixel(nodeX, origin.x());
            const qreal deviceY = devicePixel(nodeY, origin.y());
            const QPointF local(deviceX / ratio, deviceY / ratio);
            qt_handleMouseEvent(window, local, window->mapToGlobal(local), Qt::LeftButton,
                                Qt::LeftButton, QEvent::MouseButtonPress, Qt::NoModifier, ++m_time);
            qt_handleMouseEvent(window, local, window->mapToGlobal(local), Qt::NoButton,
                                Qt::LeftButton, QEvent::MouseButtonRelease, Qt::NoModifier,
                                ++m_time);
            ++pressed;
            const PointTable& table = m_window->Table();
            QCOMPARE(table.RowCount(), pressed);
            QCOMPARE(table.Text(PointTable::X, pressed - 1), std::to_string(nodeX));
            QCOMPARE(table.Text(PointTable::Y, pressed - 1), std::to_string(nodeY));

            // The device pixel under the pointer is inside the new dot.
            const QPoint underPointer(static_cast<int>(deviceX - origin.x() * ratio),
                                      static_cast<int>(deviceY - origin.y() * ratio));
            QCOMPARE(canvas->Image().pixelColor(underPointer), QColor(Qt::black));
            QCOMPARE(m_window->Picture1()->grab().toImage().pixelColor(underPointer),
                     QColor(Qt::black));
        }
    }

    void thePictureSurvivesHidingAndCovering()
    {
        Canvas* canvas = m_window->Picture1();
        for (const QPoint& at : {QPoint(13, 48), QPoint(23, 48), QPoint(33, 52), QPoint(200, 150),
                                 QPoint(300, 100), QPoint(400, 50)}) {
            QTest::mouseClick(canvas, Qt::LeftButton, {}, at);
        }
        QTest::mouseClick(m_window->Command1(MainWindow::Draw), Qt::LeftButton);
        QVERIFY(m_window->ReportPanelText().find("15,50; 25,50; 35,50") != std::string::npos);
        m_window->Text1()->setFocus();
        const QImage before = canvas->grab().toImage();
        QVERIFY(HasDarkPixel(before));

        m_window->hide();
        QTRY_VERIFY(!m_window->isVisible());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QCOMPARE(canvas->grab().toImage(), before);

        {
            QWidget cover;
            cover.setWindowTitle(QStringLiteral("cover"));
            cover.setGeometry(m_window->geometry());
            cover.setAutoFillBackground(true);
            cover.show();
            cover.raise();
            cover.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&cover));
            cover.close();
        }
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        m_window->Text1()->setFocus();
        QCOMPARE(canvas->grab().toImage(), before);
    }

    void numberTextsIgnoreTheLocale()
    {
        const QByteArray requested = RequestedLocale();
        // Windows's C run time names its locales its own way
        // ("Bulgarian_Bulgaria.1251"), so only POSIX names can be compared.
        if (!requested.isEmpty() && requested != "C" && requested != "POSIX"
            && QSysInfo::productType() != QLatin1String("windows")) {
            // Qt has called setlocale(LC_ALL, "") by now; a locale that is
            // not installed would leave "C" and make this run prove nothing.
            const char* current = std::setlocale(LC_NUMERIC, nullptr);
            QVERIFY2(current != nullptr && requested == current,
                     qPrintable(QStringLiteral("locale %1 is not installed (locale-gen)")
                                    .arg(QString::fromLatin1(requested))));
        }
        std::array<char, 16> formatted{};
        std::snprintf(formatted.data(), formatted.size(), "%.1f", 15.0);
        qInfo("this run formats 15.0 as \"%s\"", formatted.data());

        QTest::mouseClick(m_window->Picture1(), Qt::LeftButton, {}, QPoint(13, 148));
        QTest::mouseClick(m_window->Picture1(), Qt::LeftButton, {}, QPoint(213, 148));
        QTest::mouseClick(
            m_window->List3()->viewport(), Qt::LeftButton, {},
            m_window->List3()->visualRect(m_window->List3()->currentIndex()).center());
        QTest::keyClick(m_window->List3(), Qt::Key_End);
        QCOMPARE(m_window->GridStep(), 50);
        QTest::mouseClick(m_window->Picture1(), Qt::LeftButton, {}, QPoint(420, 140));
        const auto shown = [this](PointTable::Column column, int row) {
            return m_window->List1(column)->model()->index(row, 0).data().toString();
        };
        QCOMPARE(shown(PointTable::X, 0), QStringLiteral("15"));
        QCOMPARE(shown(PointTable::Y, 0), QStringLiteral("150"));
        QCOMPARE(shown(PointTable::X, 2), QStringLiteral("400"));
        QCOMPARE(shown(PointTable::N, 2), QStringLiteral("3"));
        QTest::mouseClick(m_window->Command1(MainWindow::Draw), Qt::LeftButton);
        QCOMPARE(m_window->ReportPanelText(),
                 collinear::testing::ReportHeadingLine() + "15,150; 215,150; 400,150\r\n");
    }

private:
    std::unique_ptr<MainWindow> m_window;
    int m_time = 0;
};

QTEST_MAIN(TestScale)
#include "tst_scale.moc"
