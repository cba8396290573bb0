#include "mainwindow/Form1.h"

#include "batch/ReportSession.h"
#include "mainwindow/ElidedLabel.h"
#include "mainwindow/ListLineDelegate.h"
#include "mainwindow/PlotView.h"
#include "platform/AppIcon.h"
#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "platform/EventYield.h"
#include "platform/Random.h"
#include "platform/widgets/EnterKey.h"
#include "platform/widgets/QtDialogs.h"
#include "trace/FieldDefaults.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSettings>
#include <QShortcut>
#include <QTimer>

namespace {

// Window geometry is designed in twips, 15 to a pixel.
QRect twips(int left, int top, int width, int height) {
    return {qRound(left / 15.0), qRound(top / 15.0), qRound(width / 15.0), qRound(height / 15.0)};
}

// The design fonts are Windows' Song faces; where they are missing the CJK
// faces Debian ships stand in, rather than a wide Latin-only default.
QFont songFont(const QString& family, double points, bool bold = false) {
    QFont font;
    font.setFamilies({family, QStringLiteral("SimSun"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("WenQuanYi Micro Hei")});
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

template <typename W> W* place(W* widget, const QString& name, const QRect& geometry) {
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    return widget;
}

} // namespace

// The real services, used for whatever the caller did not provide.
struct Form1::Services {
    explicit Services(QWidget* window) : dialogs(window, settings) {}
    QSettings settings;
    QtDialogs dialogs;
    SystemClock clock;
    QtClipboard clipboard;
    QtEventYield yield;
    QtDesktop desktop;
};

Form1::Form1(Platform platform, QWidget* parent)
    : QWidget(parent), m_services(std::make_unique<Services>(this)), m_platform(platform),
      // Kept so that the plot can be shown and handed out at any pixel ratio.
      m_canvas(Canvas::plotCanvas(1, Canvas::Record::Keep)) {
    if (!m_platform.dialogs)
        m_platform.dialogs = &m_services->dialogs;
    if (!m_platform.clock)
        m_platform.clock = &m_services->clock;
    if (!m_platform.random)
        m_platform.random = &sharedRandom();
    if (!m_platform.clipboard)
        m_platform.clipboard = &m_services->clipboard;
    if (!m_platform.yield)
        m_platform.yield = &m_services->yield;
    if (!m_platform.settings)
        m_platform.settings = &m_services->settings;
    if (!m_platform.desktop)
        m_platform.desktop = &m_services->desktop;
    m_fieldSet = std::make_unique<FieldSet>(*m_platform.random);
    m_report = std::make_unique<ReportSession>(*m_platform.clock);

    buildWindow();
    connectSignals();
    bindFields();
    setTabOrder();

    // Load: the date of the day the window opens, month/day/year without
    // leading zeros; the clock starts and first ticks one interval later.
    setFieldText(Field::Date, fieldformat::date(m_platform.clock->now().date()));
    m_clock->start();
}

Form1::~Form1() = default;

void Form1::buildWindow() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Quorvex Veltrace Emulator V2.0"));
    setWindowIcon(appicon::windowIcon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(797, 495);
    setFont(songFont(QStringLiteral("宋体"), 9));

    m_plot = place(new PlotView(m_canvas, *m_platform.settings, this), QStringLiteral("p1"),
                   twips(0, 0, 9015, 4335));
    buildManualConsole();
    buildBatchConsole();
    buildStatusLine();

    // Workbooks and documents may be dropped on the window.
    setAcceptDrops(true);
    m_saveLocation->installEventFilter(this);

    m_clock = new QTimer(this);
    m_clock->setObjectName(QStringLiteral("Timer1"));
    m_clock->setInterval(1000);
}

void Form1::buildManualConsole() {
    auto* console = place(new QGroupBox(QStringLiteral("手工操作台"), this),
                          QStringLiteral("操作台"), twips(120, 4440, 8895, 2655));
    const int captionTop[] = {360, 720, 1080, 1080};
    for (int i = 0; i < 4; ++i) {
        const QRect geometry =
            i == 3 ? twips(2280, 1080, 1455, 255) : twips(240, captionTop[i], 735, 255);
        m_captions[i] = place(new QLabel(fielddefaults::caption(*fieldAt(i)), console),
                              QStringLiteral("Label1_%1").arg(i), geometry);
    }
    const QRect fieldGeometry[] = {twips(840, 360, 2775, 270), twips(840, 720, 1335, 270),
                                   twips(840, 1080, 1335, 270), twips(3000, 1080, 615, 270)};
    for (int i = 0; i < 4; ++i)
        m_fields[i] = place(new QLineEdit(fielddefaults::text(*fieldAt(i)), console),
                            QStringLiteral("Text1_%1").arg(i), fieldGeometry[i]);

    m_check1 = place(new QCheckBox(QStringLiteral("主瓣居中"), console), QStringLiteral("Check1"),
                     twips(2280, 720, 1335, 255));

    m_generateButton = place(new QPushButton(QStringLiteral("生成(&C)"), console),
                             QStringLiteral("Command1"), twips(120, 1680, 1095, 855));
    m_generateButton->setToolTip(QStringLiteral("快捷键Alt+C"));
    m_generateButton->setFont(songFont(QStringLiteral("新宋体"), 12, true));
    m_saveButton = place(new QPushButton(QStringLiteral("保存(&S)"), console),
                         QStringLiteral("Command2"), twips(1320, 1680, 1095, 855));
    m_saveButton->setToolTip(QStringLiteral("快捷键Alt+S"));
    m_saveButton->setFont(songFont(QStringLiteral("宋体"), 12, true));
    m_copyButton = place(new QPushButton(QStringLiteral("复制(&F)"), console),
                         QStringLiteral("Command5"), twips(2520, 1680, 1095, 855));
    m_copyButton->setFont(songFont(QStringLiteral("宋体"), 12, true));

    auto* frame2 = place(new QGroupBox(QStringLiteral("常用参数"), console),
                         QStringLiteral("Frame2"), twips(3720, 120, 5175, 2535));
    buildCommonParameters(frame2);
}

void Form1::buildCommonParameters(QWidget* frame) {
    m_captions[4] = place(new QLabel(fielddefaults::caption(Field::Site), frame),
                          QStringLiteral("Label1_4"), twips(240, 360, 735, 255));
    m_fields[4] = place(new QLineEdit(fielddefaults::text(Field::Site), frame),
                        QStringLiteral("Text1_4"), twips(720, 240, 4215, 375));

    struct Row {
        Field field;
        int labelLeft;
        int fieldLeft;
        int top;
    };
    const Row rows[] = {
        {Field::InsertionLoss, 120, 1080, 720}, {Field::PropagationVelocity, 120, 1080, 1080},
        {Field::Resolution, 120, 1080, 1440},   {Field::Date, 120, 1080, 1800},
        {Field::Model, 120, 1080, 2160},        {Field::Calibration, 3120, 3600, 720},
        {Field::Time, 3000, 3600, 1080},        {Field::SerialNumber, 2760, 3600, 1800},
        {Field::Cw, 3240, 3600, 2160}};
    for (const Row& row : rows) {
        const int index = indexOf(row.field);
        // Each caption ends just left of its field.
        m_captions[index] =
            place(new QLabel(fielddefaults::caption(row.field), frame),
                  QStringLiteral("Label1_%1").arg(index),
                  twips(row.labelLeft, row.top, row.fieldLeft - row.labelLeft - 15, 255));
        m_fields[index] =
            place(new QLineEdit(fielddefaults::text(row.field), frame),
                  QStringLiteral("Text1_%1").arg(index), twips(row.fieldLeft, row.top, 1335, 270));
    }
    m_check2 = place(new QCheckBox(QStringLiteral("指定时间"), frame), QStringLiteral("Check2"),
                     twips(3600, 1440, 1335, 255));
}

void Form1::buildBatchConsole() {
    auto* console = place(new QGroupBox(QStringLiteral("自动处理操作台"), this),
                          QStringLiteral("Frame1"), twips(9120, 120, 2775, 6975));
    m_importButton = place(new QPushButton(QStringLiteral("导入驻波数据"), console),
                           QStringLiteral("Command3"), twips(120, 360, 2535, 495));
    // A long workbook path shows its start and its file name; the tooltip has it all.
    m_workbookLabel =
        place(new ElidedLabel(console), QStringLiteral("Label3"), twips(240, 960, 2295, 495));
    m_list = place(new QListWidget(console), QStringLiteral("List1"), twips(120, 1440, 2535, 2730));
    // Every line is one text line high; lists of a hundred thousand rows then
    // show at once.
    m_list->setUniformItemSizes(true);
    m_list->setItemDelegate(new ListLineDelegate(m_list));
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    buildTemplateOptions(console);
    // Off at start: an empty cell keeps its row from a plot unless the user
    // wants the row above to fill it. Kept between runs.
    m_carryEmpty = place(new QCheckBox(QStringLiteral("空单元格沿用上一行"), console),
                         QStringLiteral("Check3"), twips(120, 4890, 2535, 255));
    m_carryEmpty->setChecked(
        m_platform.settings->value(QStringLiteral("batch/carryEmpty"), false).toBool());
    connect(m_carryEmpty, &QCheckBox::toggled, this, [this](bool ticked) {
        m_platform.settings->setValue(QStringLiteral("batch/carryEmpty"), ticked);
    });
    m_batchButton = place(new QPushButton(QStringLiteral("处理以上数据"), console),
                          QStringLiteral("Command4"), twips(120, 5280, 2535, 495));
    m_batchButton->setEnabled(false);
    m_batchReport =
        place(new QLabel(console), QStringLiteral("Label4"), twips(120, 5880, 2535, 1050));
    m_batchReport->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Four lines of a batch report; wrapped so a long one never runs off.
    m_batchReport->setWordWrap(true);
    buildOpenLink(console);
}

void Form1::buildStatusLine() {
    auto* caption = place(new QLabel(QStringLiteral("保存位置"), this), QStringLiteral("Label2_0"),
                          twips(120, 7120, 1215, 255));
    caption->setFont(songFont(QStringLiteral("宋体"), 11.25));
    m_saveLocation =
        place(new QLineEdit(this), QStringLiteral("Text2"), twips(1080, 7065, 7935, 315));
    m_saveLocation->setFont(songFont(QStringLiteral("宋体"), 9.75));
    m_clockLabel =
        place(new QLabel(this), QStringLiteral("Label2_1"), twips(9360, 7125, 2535, 255));
    m_clockLabel->setFont(songFont(QStringLiteral("宋体"), 11.25));
}

void Form1::setTabOrder() {
    QList<QWidget*> order{m_plot};
    for (QLineEdit* field : m_fields)
        order.append(field);
    order << m_generateButton << m_saveButton << m_saveLocation << m_check1 << m_importButton
          << m_list << m_replaceExisting << m_limitField << m_carryEmpty << m_batchButton
          << m_check2 << m_copyButton;
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void Form1::connectSignals() {
    connect(m_check2, &QCheckBox::clicked, this, &Form1::specifiedTimeClicked);
    connect(m_clock, &QTimer::timeout, this, &Form1::clockTick);
    connect(m_generateButton, &QPushButton::clicked, this, &Form1::generate);
    connect(m_copyButton, &QPushButton::clicked, this, &Form1::copy);
    connect(m_saveButton, &QPushButton::clicked, this, &Form1::save);
    connect(m_importButton, &QPushButton::clicked, this, &Form1::importData);
    connect(m_batchButton, &QPushButton::clicked, this, &Form1::runBatch);
    enterkey::clicksFocusedButton(this);
    // Esc offers to stop a running batch, as a click on its button does.
    m_stopShortcut = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    m_stopShortcut->setEnabled(false);
    connect(m_stopShortcut, &QShortcut::activated, this, [this] {
        if (isBatchRunning())
            askToStopBatch(false);
    });
}

// The line edits show the field set. What the user types goes to it as an
// edit (a number still being typed is let be), leaving a field checks it,
// and whatever the set changes (a refusal, a derived test distance, a
// batch row) shows in the edits.
void Form1::bindFields() {
    for (const Field field : allFields()) {
        QLineEdit* edit = m_fields[indexOf(field)];
        connect(edit, &QLineEdit::textChanged, this, [this, field](const QString& text) {
            if (!m_showingField)
                showRefusal(m_fieldSet->type(field, text));
        });
        connect(edit, &QLineEdit::editingFinished, this,
                [this, field] { showRefusal(m_fieldSet->leave(field)); });
    }
    connect(m_fieldSet.get(), &FieldSet::changed, this, &Form1::showField);
    connect(m_check1, &QCheckBox::toggled, this,
            [this](bool ticked) { m_fieldSet->setCentred(ticked); });
}

void Form1::showField(Field field) {
    QLineEdit* edit = m_fields[indexOf(field)];
    if (edit->text() == m_fieldSet->text(field))
        return;
    QScopedValueRollback showing(m_showingField, true);
    edit->setText(m_fieldSet->text(field));
}

void Form1::setFieldText(Field field, const QString& text) {
    showRefusal(m_fieldSet->write(field, text));
}
