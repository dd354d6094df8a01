// MainWindow's controls: their creation at their design places, their
// keyboard order, the connections of their events, and the frame that
// marks the drawing area's focus.
#include "main_window.h"

#include "focus_frame.h"
#include "one_row_list.h"
#include "point_table_model.h"
#include "report_panel.h"
#include "startup_text.h"
#include "window_layout.h"

#include <QColor>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QStringListModel>

namespace collinear {

namespace {

const QColor kWindowBackground(192, 192, 255);
const QColor kLabelBackground(255, 192, 128);

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The blank between the drawing area and the frame that marks its focus.
constexpr int kCanvasFocusMargin = 3;

void StyleLabel(QLabel* label, const QString& caption)
{
    label->setText(caption);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, kLabelBackground);
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
}

} // namespace

void MainWindow::CreateControls()
{
    setWindowTitle(QStringLiteral("collinear.example.org  ")
                   + QStringLiteral("Геометрия - 3 точки, ориентирано лице"));
    // The window may grow, and the design with it; never below its size.
    setMinimumSize(kWindowSize);
    resize(kWindowSize);
    setAutoFillBackground(true);
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, kWindowBackground);
    setPalette(windowPalette);
    setFont(WindowFont());

    for (auto& label : m_label1) {
        label = new QLabel(this);
    }
    StyleLabel(m_label1[0], QStringLiteral(" Геометрия - точки, лежащи на права"));
    Place(m_label1[0], FromTwips(1440, 0, 4335, 375));
    StyleLabel(m_label1[4], QStringLiteral("Допустима стъпка:"));
    Place(m_label1[4], FromTwips(2160, 480, 2055, 375));
    StyleLabel(m_label1[3], QStringLiteral("N"));
    Place(m_label1[3], FromTwips(960, 3960, 495, 375));
    StyleLabel(m_label1[1], QStringLiteral("X"));
    Place(m_label1[1], FromTwips(2400, 3960, 495, 375));
    StyleLabel(m_label1[2], QStringLiteral("Y"));
    Place(m_label1[2], FromTwips(3720, 3960, 495, 375));

    for (auto& button : m_command1) {
        button = new QPushButton(this);
    }
    PlaceButton(m_command1[Delete], QStringLiteral("Изтрий"), FromTwips(120, 480, 855, 375),
                QColor(255, 0, 255));
    PlaceButton(m_command1[Clear], QStringLiteral("Чисти"), FromTwips(6240, 480, 855, 375),
                QColor(255, 0, 0));
    PlaceButton(m_command1[Draw], QStringLiteral("Чертай"), FromTwips(5160, 3960, 855, 375),
                QColor(0, 255, 0));

    m_list3 = new OneRowList(this);
    QStringList stepRows;
    for (const auto row : kGridStepRows) {
        stepRows << FromUtf8(row);
    }
    m_stepModel = new QStringListModel(stepRows, this);
    m_list3->setModel(m_stepModel);
    Place(m_list3, FromTwips(4200, 480, 735, 345));
    m_list3->setAccessibleName(QStringLiteral("Допустима стъпка"));

    Place(m_picture1, FromTwips(120, 840, 7000, 3000));
    m_picture1->setAccessibleName(QStringLiteral("Чертожно поле"));
    m_picture1->setAccessibleDescription(
        QStringLiteral("Щракнете, за да поставите точка в най-близкия възел на мрежата. "
                       "Стрелките местят курсора със стъпката, интервал поставя точка. "
                       "Ctrl+C копира рисунката като изображение, а Ctrl+Shift+C — от всяко място "
                       "в прозореца. Ctrl+Z отменя последната стъпка, Ctrl+Shift+Z или Ctrl+Y я "
                       "връща. Ctrl+плюс и Ctrl+минус (или Ctrl+колелцето) уголемяват и смаляват "
                       "прозореца, Ctrl+0 го връща в основния размер, F11 го показва на цял "
                       "екран."));

    const std::array<QRect, 3> listGeometry{FromTwips(2880, 3960, 735, 345),
                                            FromTwips(4200, 3960, 855, 345),
                                            FromTwips(1440, 3960, 735, 345)};
    const std::array<QString, 3> listNames{QStringLiteral("Координата X"),
                                           QStringLiteral("Координата Y"),
                                           QStringLiteral("Номер на точката")};
    for (std::size_t column = 0; column < m_list1.size(); ++column) {
        auto* list = new OneRowList(this);
        m_pointModels[column]
            = new PointTableModel(m_table, static_cast<PointTable::Column>(column), this);
        list->setModel(m_pointModels[column]);
        Place(list, listGeometry[column]);
        list->setAccessibleName(listNames[column]);
        m_list1[column] = list;
    }

    m_text1 = new ReportPanel(this);
    Place(m_text1, kReportPanelGeometry);
    m_text1->setAccessibleName(QStringLiteral("Резултат"));
    m_text1->SetText(std::string(kStartupText));

    // The design's keyboard order; the labels take no focus.
    setTabOrder(m_text1, m_picture1);
    setTabOrder(m_picture1, m_list1[PointTable::X]);
    setTabOrder(m_list1[PointTable::X], m_list1[PointTable::Y]);
    setTabOrder(m_list1[PointTable::Y], m_command1[Draw]);
    setTabOrder(m_command1[Draw], m_command1[Clear]);
    setTabOrder(m_command1[Clear], m_command1[Delete]);
    setTabOrder(m_command1[Delete], m_list1[PointTable::N]);
    setTabOrder(m_list1[PointTable::N], m_list3);
    m_text1->setFocus();

    StyleControls();
}

void MainWindow::ConnectEvents()
{
    for (QWidget* control : findChildren<QWidget*>()) {
        control->installEventFilter(this);
    }
    AddZoomKeys();

    // The picture goes to the clipboard from anywhere in the window; Ctrl+C
    // alone copies it only from the drawing area, since the report panel's
    // Ctrl+C copies its text.
    auto* copyPicture = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), this);
    connect(copyPicture, &QShortcut::activated, m_picture1, &Canvas::CopyPicture);
    m_picture1->SetSerialAtNode([this](QPoint node) {
        const int row = m_table.RowAt(node.x(), node.y());
        return row < 0 ? QString() : FromUtf8(m_table.Text(PointTable::N, row));
    });
    connect(m_picture1, &Canvas::pressed, this,
            [this](float x, float y, Qt::MouseButton /*button*/, Qt::KeyboardModifiers /*mods*/) {
                PlacePoint(x, y);
            });
    for (int index = 0; index < static_cast<int>(m_command1.size()); ++index) {
        connect(Command1(index), &QPushButton::clicked, this,
                [this, index] { PressButton(index); });
    }
    for (std::size_t column = 0; column < m_list1.size(); ++column) {
        connect(
            m_list1[column]->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this, column] { OnPointSelectionChanged(static_cast<PointTable::Column>(column)); });
    }
    connect(m_list3->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainWindow::SetGridStepFromList);
    for (auto* list : m_list1) {
        auto* shortcut
            = new QShortcut(QKeySequence::Delete, list, nullptr, nullptr, Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, [this] { PressButton(Delete); });
    }
    // Wherever the focus is in the window. Redo answers to Ctrl+Shift+Z and
    // to Ctrl+Y whatever the platform binds it to, as pupils know both.
    auto* undo = new QShortcut(this);
    undo->setKeys(QKeySequence::Undo);
    connect(undo, &QShortcut::activated, this, &MainWindow::Undo);
    QList<QKeySequence> redoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)}) {
        if (!redoKeys.contains(keys)) {
            redoKeys.append(keys);
        }
    }
    auto* redo = new QShortcut(this);
    redo->setKeys(redoKeys);
    connect(redo, &QShortcut::activated, this, &MainWindow::Redo);
}

QRegion MainWindow::CanvasFocusFrame() const
{
    const QRect canvas = m_picture1->geometry();
    const int margin = Transform().ToScreen(kCanvasFocusMargin);
    return QRegion(canvas.adjusted(-margin, -margin, margin, margin)) - QRegion(canvas);
}

void MainWindow::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    if (m_picture1->hasFocus() && event->region().intersects(CanvasFocusFrame())) {
        QPainter painter(this);
        const int margin = Transform().ToScreen(kCanvasFocusMargin);
        PaintFocusFrame(painter, m_picture1->geometry().adjusted(-margin, -margin, margin, margin),
                        Transform().ToScreen(kFocusFrameWidth));
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_picture1
        && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        update(CanvasFocusFrame());
    }
    // Ctrl+wheel zooms over every control.
    return DesignWindow::eventFilter(watched, event);
}

} // namespace collinear
