#pragma once

#include "platform/Platform.h"
#include "trace/Canvas.h"
#include "trace/FieldSet.h"

#include <QWidget>

#include <array>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QShortcut;
class QTimer;
class Outcome;
class PlotView;
class ReportSession;
struct BatchSummary;
struct MessageBox;

// The main window: the fourteen parameter fields, the plot canvas p1, the
// manual console (generate, save, copy) and the batch console (import, batch).
// Its line edits show the field set, which holds the fields; a batch is run
// by the batch controller and shown here. Services missing from the platform
// given are provided by the real (Qt) implementations.
class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(Platform platform = {}, QWidget* parent = nullptr);
    ~Form1() override;

    const FieldSet& fields() const { return *m_fieldSet; }
    QString text(Field field) const { return m_fieldSet->text(field); }
    // Writes the field as the program writes it: the rules run at once.
    void setFieldText(Field field, const QString& text);

    const Canvas& canvas() const { return m_canvas; }
    bool isDrawing() const { return m_drawing; }
    bool isBatchRunning() const { return m_batch != nullptr; }

public slots:
    // Draws a plot from the fields; false when a number lies beyond its bounds
    // or the frame could not be drawn.
    bool generate();
    void copy();
    void save();
    void importData();
    // Starts the batch; while it runs, asks whether to stop it.
    void runBatch();
    // Files handed to the window (by the command line or dropped on it): a
    // .docx becomes the target as if chosen for a save, a workbook is
    // imported as if chosen for an import; anything else is refused.
    void openFiles(const QStringList& paths);
    void clockTick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Services;
    class BatchWindow;
    // A running batch: what the user asked for while it ran.
    struct BatchState {
        int read = 0;
        bool quiet = false;
        bool stopRequested = false;
    };
    // What the picture area holds: nothing yet, a plot, or a plot that was
    // handed to the document (written or waiting).
    enum class PlotState { Blank, Drawn, Queued };
    // What the user chose when pictures wait for the old target.
    enum class Switch { Done, KeepOld };

    void buildWindow();
    void buildManualConsole();
    void buildCommonParameters(QWidget* frame);
    void buildBatchConsole();
    void buildOpenLink(QWidget* console);
    void buildTemplateOptions(QWidget* console);
    void limitFinished();
    void buildStatusLine();
    void setTabOrder();
    void connectSignals();
    void bindFields();

    void showField(Field field);
    void showRefusal(const std::optional<FieldSet::Refusal>& refusal);
    void specifiedTimeClicked();
    QString dateTimeText() const;

    bool drawPlot();
    bool drawFrameAndTrace();
    // Enables the commands that cannot run while a plot is drawn or a batch
    // runs; the batch button then offers to stop the batch.
    void updateCommands();
    void saveOperation();
    void writeWaiting();
    QString chooseTarget();
    Switch switchTarget(const QString& path, const QString& keptWhat);
    void showSaveResult(const Outcome& outcome, const QString& headline = {});
    // What the document's placeholders and bookmark could not do, once.
    void showTemplateNotices();
    // The document in the desktop's program for it, and the link that offers it.
    void openDocument();
    void showOpenLink();
    // A problem met during a batch: shown until the user asks for quiet.
    void batchProblem(const QString& text);
    bool askToStopBatch(bool closing);
    void readxsl();
    void importWorkbook(QString path);
    void importGiven(const QString& path);
    void useDocument(const QString& path);
    bool confirmLargeBatch();
    bool prepareBatchTarget();
    void applyTemplateOptions();
    void processBatch();
    void finishBatch(const BatchSummary& summary);
    void markProblemRows(const BatchSummary& summary);
    QString pendingHint() const;
    bool confirmCloseWithUnwritten(const Outcome& failure);

    std::unique_ptr<Services> m_services;
    Platform m_platform;
    Canvas m_canvas;
    std::unique_ptr<FieldSet> m_fieldSet;
    std::unique_ptr<ReportSession> m_report;

    std::array<QLineEdit*, 14> m_fields{};
    std::array<QLabel*, 14> m_captions{};
    PlotView* m_plot = nullptr;
    QCheckBox* m_check1 = nullptr;
    QCheckBox* m_check2 = nullptr;
    QCheckBox* m_carryEmpty = nullptr;
    QCheckBox* m_replaceExisting = nullptr;
    QLineEdit* m_limitField = nullptr;
    QPushButton* m_generateButton = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_copyButton = nullptr;
    QPushButton* m_importButton = nullptr;
    QPushButton* m_batchButton = nullptr;
    QLabel* m_workbookLabel = nullptr;
    QListWidget* m_list = nullptr;
    QLabel* m_batchReport = nullptr;
    QLabel* m_openLink = nullptr;
    QLineEdit* m_saveLocation = nullptr;
    QLabel* m_clockLabel = nullptr;
    QTimer* m_clock = nullptr;
    QShortcut* m_stopShortcut = nullptr;

    bool m_drawing = false;
    // Set while a line edit is brought in line with the field set, so the
    // change is not taken for the user's.
    bool m_showingField = false;
    PlotState m_plotState = PlotState::Blank;
    // An import found rows, so the batch can run.
    bool m_batchAvailable = false;
    QString m_importedPath;
    // A workbook handed to the window before any document was chosen: it is
    // imported once the first save has chosen one.
    QString m_workbookAfterSave;
    int m_importedRows = 0;
    int m_importedEmptyRows = 0;
    // Batches of more rows with values than this are confirmed first.
    static constexpr int kConfirmRowsAbove = 10000;
    // Non-null while a batch runs.
    std::unique_ptr<BatchState> m_batch;
    bool m_closeRequested = false;
};
