#include "main_window.h"

#include "collinear_search.h"
#include "focus_frame.h"
#include "one_row_list.h"
#include "point_table_model.h"
#include "report_panel.h"
#include "startup_text.h"
#include "window_layout.h"
#include "zoomed_style.h"

#include <QColor>
#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QShortcut>
#include <QStringListModel>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

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
// The buttons' raised border, at the design's size.
constexpr int kButtonBorder = 2;

// Within this of a zoom step, the window is taken to stand at that step.
constexpr double kStepTolerance = 1e-6;

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

// A flat face of exactly the design's colour: a style sheet keeps the
// platform style from painting a gradient over it. The borders are as wide
// as the window's factor makes the design's two pixels.
QString ButtonStyleSheet(const QColor& face, int border)
{
    return QStringLiteral("QPushButton { background-color: %1; color: black;"
                          " border: %3px outset %2; padding: 0px; }"
                          "QPushButton:pressed { border-style: inset; }"
                          "QPushButton:focus { border: %3px solid black; }")
        .arg(face.name(), face.lighter(150).name())
        .arg(border);
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent)
    , m_picture1(new Canvas(this))
    , m_pointEntry(m_table, *m_picture1)
    , m_history(new UndoHistory([this](const WindowState& state) { RestoreState(state); }, this))
    , m_style(new ZoomedStyle)
{
    m_style->setParent(this);
    CreateControls();
    ConnectEvents();
    StartUp();
}

MainWindow::~MainWindow()
{
    // The steps go first: they would restore into a window half taken down.
    delete m_history;
    m_history = nullptr;
    // The models watch the table, which goes before the base class deletes
    // the children: take the views down first, then the models.
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
    qDeleteAll(m_pointModels);
}

OneRowList* MainWindow::List1(int index) const
{
    return m_list1.at(static_cast<std::size_t>(index));
}

QPushButton* MainWindow::Command1(int index) const
{
    return m_command1.at(static_cast<std::size_t>(index));
}

QLabel* MainWindow::Label1(int index) const
{
    return m_label1.at(static_cast<std::size_t>(index));
}

const std::string& MainWindow::ReportPanelText() const
{
    return m_text1->Text();
}

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

    // Every control but the buttons, whose style sheets draw them, is drawn
    // by the platform's style at the window's factor.
    for (QWidget* control : findChildren<QWidget*>()) {
        if (qobject_cast<QPushButton*>(control) == nullptr) {
            control->setStyle(m_style);
        }
    }
}

void MainWindow::Place(QWidget* control, const QRect& design)
{
    m_designGeometry.emplace_back(control, design);
    control->setGeometry(m_transform.ToScreen(design));
}

void MainWindow::PlaceButton(QPushButton* button, const QString& caption, const QRect& design,
                             const QColor& face)
{
    button->setText(caption);
    Place(button, design);
    button->setFocusPolicy(Qt::StrongFocus);
    // Return and Enter press a focused button, as Space does.
    button->setAutoDefault(true);
    const auto index = std::find(m_command1.begin(), m_command1.end(), button) - m_command1.begin();
    m_buttonFaces.at(static_cast<std::size_t>(index)) = face;
    button->setStyleSheet(ButtonStyleSheet(face, m_transform.ToScreen(kButtonBorder)));
}

double MainWindow::LargestFactor() const
{
    const QScreen* shownOn = screen();
    if (shownOn == nullptr) {
        return 1.0;
    }
    const QSize room = shownOn->geometry().size();
    return std::max(1.0,
                    std::min(static_cast<double>(room.width()) / kWindowSize.width(),
                             static_cast<double>(room.height()) / kWindowSize.height()));
}

double MainWindow::SmallestFactor() const
{
    // The window's least size, the design's on the desktop; a page lets
    // the window be as small as the page is.
    const QSize least = minimumSize();
    const double factor = std::min(static_cast<double>(least.width()) / kWindowSize.width(),
                                   static_cast<double>(least.height()) / kWindowSize.height());
    return std::clamp(factor, kSmallestFactor, 1.0);
}

void MainWindow::FitDesign()
{
    double factor
        = DesignTransform::FactorToFit(kWindowSize, size(), SmallestFactor(), LargestFactor());
    // A window within a pixel of a zoom step's size stands at that step,
    // so that the next zoom key goes on from it.
    for (const double step : kZoomSteps) {
        if (std::abs(factor - step) * kWindowSize.height() < 1.0 && step <= LargestFactor()) {
            factor = step;
        }
    }
    const DesignTransform transform = DesignTransform::Centred(kWindowSize, size(), factor);
    if (transform == m_transform) {
        return;
    }
    const bool rescaled = factor != m_transform.Factor();
    m_transform = transform;
    // The style and the font first, the places last: the report panel and
    // the canvas wrap their lines and paint their picture once, at the
    // new size.
    if (rescaled) {
        m_style->SetFactor(factor);
        for (QWidget* control : findChildren<QWidget*>()) {
            if (control->style() == m_style) {
                QEvent styleChange(QEvent::StyleChange);
                QCoreApplication::sendEvent(control, &styleChange);
            }
        }
        QFont font = WindowFont();
        font.setPointSizeF(font.pointSizeF() * factor);
        setFont(font);
        const int border = m_transform.ToScreen(kButtonBorder);
        for (std::size_t index = 0; index < m_command1.size(); ++index) {
            m_command1[index]->setStyleSheet(ButtonStyleSheet(m_buttonFaces[index], border));
            // A control polished by a style sheet no longer follows the
            // window's font; it is given the font itself.
            m_command1[index]->setFont(font);
        }
    }
    for (const auto& [control, design] : m_designGeometry) {
        if (control == m_picture1) {
            m_picture1->SetDesignGeometry(m_transform.ToScreen(design), factor);
        } else {
            control->setGeometry(m_transform.ToScreen(design));
        }
    }
    update();
}

QSize MainWindow::FrameSize() const
{
    return frameGeometry().size() - size();
}

void MainWindow::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    if (!isFullScreen() && !isMaximized()) {
        m_normalFrame = FrameSize();
    }
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!isFullScreen() && !isMaximized()) {
        m_normalFrame = FrameSize();
    }
    FitDesign();
}

void MainWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && m_leaveFullScreen != nullptr) {
        m_leaveFullScreen->setEnabled(isFullScreen());
    }
}

void MainWindow::ZoomTo(double factor)
{
    if (isFullScreen() || isMaximized()) {
        showNormal();
    }
    const QSize wanted
        = DesignTransform(factor, QPoint(0, 0)).ToScreen(QRect(QPoint(0, 0), kWindowSize)).size();
    // A window that grows past the screen's edge moves back onto it.
    if (const QScreen* shownOn = screen()) {
        const QRect room = shownOn->availableGeometry();
        const QSize frame = wanted + (frameGeometry().size() - size());
        const QPoint at = frameGeometry().topLeft();
        const QPoint onScreen(std::clamp(at.x(), room.left(),
                                         std::max(room.left(), room.right() + 1 - frame.width())),
                              std::clamp(at.y(), room.top(),
                                         std::max(room.top(), room.bottom() + 1 - frame.height())));
        if (onScreen != at) {
            move(onScreen);
        }
    }
    resize(wanted);
}

bool MainWindow::FitsTheScreen(double factor) const
{
    const QScreen* shownOn = screen();
    if (shownOn == nullptr) {
        return true;
    }
    // The window and its frame stay on the screen's free area. Full screen
    // or maximised it has no frame of its own, but it will have once the
    // zoom brings it back to a size of its own.
    const QSize frame = isFullScreen() || isMaximized() ? m_normalFrame : FrameSize();
    const QSize room = shownOn->availableGeometry().size() - frame;
    const QSize wanted
        = DesignTransform(factor, QPoint(0, 0)).ToScreen(QRect(QPoint(0, 0), kWindowSize)).size();
    return wanted.width() <= room.width() && wanted.height() <= room.height();
}

void MainWindow::ZoomIn()
{
    const double current = m_transform.Factor();
    for (const double step : kZoomSteps) {
        if (step > current + kStepTolerance) {
            if (FitsTheScreen(step)) {
                ZoomTo(step);
            }
            return;
        }
    }
}

void MainWindow::ZoomOut()
{
    // The largest step below the factor, which may lie between steps (full
    // screen, a maximised window), that the screen's free area holds, as
    // ZoomIn would choose it; the design's size always.
    const double current = m_transform.Factor();
    double smaller = 0.0;
    for (const double step : kZoomSteps) {
        if (step < current - kStepTolerance && (step == 1.0 || FitsTheScreen(step))) {
            smaller = step;
        }
    }
    if (smaller > 0.0) {
        ZoomTo(smaller);
    }
}

void MainWindow::ZoomReset()
{
    ZoomTo(1.0);
}

void MainWindow::ToggleFullScreen()
{
    if (isFullScreen()) {
        showNormal();
    } else {
        showFullScreen();
    }
}

bool MainWindow::TurnZoomWheel(const QWheelEvent& event)
{
    if (!event.modifiers().testFlag(Qt::ControlModifier)) {
        return false;
    }
    const int delta = event.angleDelta().y();
    if (m_zoomWheelRemainder != 0 && (m_zoomWheelRemainder > 0) != (delta > 0)) {
        m_zoomWheelRemainder = 0;
    }
    m_zoomWheelRemainder += delta;
    const int notches = m_zoomWheelRemainder / QWheelEvent::DefaultDeltasPerStep;
    m_zoomWheelRemainder -= notches * QWheelEvent::DefaultDeltasPerStep;
    // Away from the pupil makes larger, as in a browser.
    for (int notch = 0; notch < std::abs(notches); ++notch) {
        if (notches > 0) {
            ZoomIn();
        } else {
            ZoomOut();
        }
    }
    return true;
}

void MainWindow::wheelEvent(QWheelEvent* event)
{
    if (TurnZoomWheel(*event)) {
        event->accept();
        return;
    }
    QWidget::wheelEvent(event);
}

QRegion MainWindow::CanvasFocusFrame() const
{
    const QRect canvas = m_picture1->geometry();
    const int margin = m_transform.ToScreen(kCanvasFocusMargin);
    return QRegion(canvas.adjusted(-margin, -margin, margin, margin)) - QRegion(canvas);
}

void MainWindow::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    if (m_picture1->hasFocus() && event->region().intersects(CanvasFocusFrame())) {
        QPainter painter(this);
        const int margin = m_transform.ToScreen(kCanvasFocusMargin);
        PaintFocusFrame(painter, m_picture1->geometry().adjusted(-margin, -margin, margin, margin),
                        m_transform.ToScreen(kFocusFrameWidth));
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Ctrl+wheel zooms over every control, before a list or the report
    // panel takes the wheel for itself.
    if (event->type() == QEvent::Wheel && TurnZoomWheel(*static_cast<QWheelEvent*>(event))) {
        event->accept();
        return true;
    }
    if (watched == m_picture1
        && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        update(CanvasFocusFrame());
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::ConnectEvents()
{
    for (QWidget* control : findChildren<QWidget*>()) {
        control->installEventFilter(this);
    }
    // As in a browser; Ctrl+= too, where Ctrl+Plus needs Shift.
    auto* zoomIn = new QShortcut(this);
    zoomIn->setKeys({QKeySequence(QKeySequence::ZoomIn), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    connect(zoomIn, &QShortcut::activated, this, &MainWindow::ZoomIn);
    auto* zoomOut = new QShortcut(QKeySequence::ZoomOut, this);
    connect(zoomOut, &QShortcut::activated, this, &MainWindow::ZoomOut);
    auto* zoomReset = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_0), this);
    connect(zoomReset, &QShortcut::activated, this, &MainWindow::ZoomReset);
    auto* fullScreen = new QShortcut(this);
    QList<QKeySequence> fullScreenKeys = QKeySequence::keyBindings(QKeySequence::FullScreen);
    if (!fullScreenKeys.contains(QKeySequence(Qt::Key_F11))) {
        fullScreenKeys.append(QKeySequence(Qt::Key_F11));
    }
    fullScreen->setKeys(fullScreenKeys);
    connect(fullScreen, &QShortcut::activated, this, &MainWindow::ToggleFullScreen);
    m_leaveFullScreen = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    m_leaveFullScreen->setEnabled(false);
    connect(m_leaveFullScreen, &QShortcut::activated, this, &MainWindow::showNormal);

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
                RunStep([this, x, y] { m_pointEntry.AddPointAt(x, y); });
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

void MainWindow::StartUp()
{
    m_pointEntry.ResetPointCounter();
    m_list3->SelectAndShow(0);
    m_picture1->SetPersistent(true);
    ResetDrawing();
    m_picture1->SetPenWidth(kDotPenWidth);
}

void MainWindow::ResetDrawing()
{
    m_picture1->SetBackground(kWhite);
    m_picture1->ClearCanvas();
    m_pointEntry.ResetPointCounter();
    m_picture1->ClearCanvas();
    m_picture1->SetPenWidth(kDotPenWidth);
    SetGridStepFromList();
    ClearPointSelections();
    m_table.ClearAll();
}

void MainWindow::SetGridStepFromList()
{
    const QModelIndexList selected = m_list3->selectionModel()->selectedIndexes();
    if (selected.isEmpty()) {
        return;
    }
    m_pointEntry.SetGridStepFromList(selected.first().data().toString().toStdString());
    m_picture1->SetKeyboardStep(m_pointEntry.GridStep());
}

void MainWindow::PressButton(int index)
{
    switch (index) {
    case Draw:
        RunStep([this] {
            if (auto report = FindCollinearTriples(m_table, *m_picture1)) {
                // The same report from other points is the same text: the
                // search that made the shown one stays its source.
                ReportSource source = *report == m_text1->Text()
                    ? m_report
                    : ReportSource{ReportSource::Kind::Search,
                                   std::make_shared<const PointTable::Contents>(m_table.Save())};
                SetReport(std::move(source), std::move(*report));
            }
        });
        break;
    case Clear:
        RunStep([this] {
            ResetDrawing();
            SetReport({ReportSource::Kind::Empty, nullptr}, {});
        });
        break;
    case Delete:
        RunStep([this] { DeleteSelectedPoint(); });
        break;
    default:
        break;
    }
}

template <typename Action>
void MainWindow::RunStep(Action action)
{
    WindowState before = SaveState();
    // Shared with the canvas until the step paints: a copy only then. The
    // picture at the design's size, so that what counts as a step does not
    // depend on the window's size or the display's scale.
    const QImage picture = m_picture1->DesignImage();
    {
        // The step runs to its end with no event between its strokes, so
        // the display's scale is read once for all of them.
        const Canvas::ScaleHold scale(*m_picture1);
        action();
    }
    WindowState after = SaveState();
    // A step whose new strokes changed no pixel, such as a line wholly under
    // the dots at its ends, leaves nothing the pupil could see taken back.
    const bool pictureChanged
        = !after.picture.SamePixels(before.picture) && m_picture1->DesignImage() != picture;
    if (pictureChanged || !after.SameApartFromPicture(before)) {
        m_history->Record(std::move(before), std::move(after));
    }
}

WindowState MainWindow::SaveState() const
{
    return {m_table.Save(), m_pointEntry.PointCounter(), m_report, m_picture1->Picture()};
}

void MainWindow::RestoreState(const WindowState& state)
{
    // The lists let go of their rows before the table changes under them,
    // and start from the top: a list that kept its place in the rows it had
    // would take that place for a choice of the pupil's.
    ClearPointSelections();
    {
        const QScopedValueRollback guard(m_changingSelection, true);
        m_table.Restore(state.table);
    }
    ClearPointSelections();
    m_pointEntry.RestorePointCounter(state.pointCounter);
    if (const int row = state.table.selected[PointTable::X]; row >= 0) {
        ShowSelectedRowInLists(row);
    }
    // A report that the step left alone stays as it is shown, scrolled
    // where the pupil left it.
    if (!(state.report == m_report)) {
        SetReport(state.report, ReportText(state.report));
    }
    m_picture1->RestorePicture(state.picture);
}

std::string MainWindow::ReportText(const ReportSource& source)
{
    switch (source.kind) {
    case ReportSource::Kind::StartUp:
        return std::string(kStartupText);
    case ReportSource::Kind::Empty:
        return {};
    case ReportSource::Kind::Search:
        break;
    }
    // The lines are on the saved picture already; only the text is wanted.
    PointTable searched;
    searched.Restore(*source.points);
    NullSurface nothing;
    return FindCollinearTriples(searched, nothing).value_or(std::string());
}

void MainWindow::Undo()
{
    m_history->Undo();
}

void MainWindow::Redo()
{
    m_history->Redo();
}

void MainWindow::SetReport(ReportSource source, std::string text)
{
    m_report = std::move(source);
    m_text1->SetText(std::move(text));
}

void MainWindow::OnPointSelectionChanged(PointTable::Column column)
{
    if (m_changingSelection) {
        return;
    }
    // A selection that went away with its row is no pupil's choice.
    const int row = m_list1[static_cast<std::size_t>(column)]->SelectedRow();
    if (row < 0) {
        return;
    }
    SelectPoint(column, row);
}

void MainWindow::SelectPoint(PointTable::Column column, int row)
{
    if (row < 0 || row >= m_table.RowCount()) {
        return;
    }
    m_table.SelectRow(column, row);
    const int r = m_table.SelectedRow(column);
    m_table.SelectRow(PointTable::X, r);
    m_table.SelectRow(PointTable::Y, r);
    m_table.SelectRow(PointTable::N, r);
    ShowSelectedRowInLists(r);

    m_picture1->ClearCanvas();
    m_picture1->SetPenWidth(kDotPenWidth);
    PlotStoredPoints();
    m_picture1->PlotDot(static_cast<float>(m_table.ReadX(r)), static_cast<float>(m_table.ReadY(r)),
                        kHighlight);
    m_picture1->SetPenWidth(kSegmentPenWidth);
}

void MainWindow::ShowSelectedRowInLists(int row)
{
    const QScopedValueRollback guard(m_changingSelection, true);
    for (OneRowList* list : m_list1) {
        list->SelectAndShow(row);
    }
}

void MainWindow::ClearPointSelections()
{
    const QScopedValueRollback guard(m_changingSelection, true);
    for (OneRowList* list : m_list1) {
        list->ClearSelectionAndShowFirst();
    }
}

void MainWindow::DeleteSelectedPoint()
{
    const int r = m_table.SelectedRow(PointTable::X);
    if (r < 0) {
        return;
    }
    // Clearing the selections and current rows first leaves Qt no current
    // row to move to a neighbour when this one goes.
    ClearPointSelections();
    m_table.RemoveRow(r);
    m_picture1->SetPenWidth(kSegmentPenWidth);
    ClearView();
    RedrawPoints();
}

void MainWindow::ClearView()
{
    m_picture1->ClearCanvas();
    SetReport({ReportSource::Kind::Empty, nullptr}, {});
    m_picture1->SetPenWidth(kSegmentPenWidth);
}

void MainWindow::RedrawPoints()
{
    m_picture1->SetPenWidth(kDotPenWidth);
    PlotStoredPoints();
    m_picture1->SetPenWidth(kSegmentPenWidth);
}

void MainWindow::PlotStoredPoints()
{
    for (int row = 0; row < m_table.RowCount(); ++row) {
        m_picture1->PlotDot(static_cast<float>(m_table.ReadX(row)),
                            static_cast<float>(m_table.ReadY(row)));
    }
}

} // namespace collinear
