#pragma once

#include "batch/BatchReport.h"
#include "batch/PicturePlaces.h"
#include "platform/Platform.h"
#include "trace/Canvas.h"
#include "trace/FieldReader.h"

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
struct MessageBox;

// The main window: the fourteen parameter fields, the plot canvas p1, the
// manual console (generate, save, copy) and the batch console (import, batch).
// Services missing from the platform given are provided by the real (Qt)
// implementations.
class Form1 : public QWidget, public FieldReader {
    Q_OBJECT
public:
    explicit Form1(Platform platform = {}, QWidget* parent = nullptr);
    ~Form1() override;

    QString text(Field field) const override;
    QString caption(Field field) const override;
    // Writes the field as the program writes it: the rules run at once.
    void setFieldText(Field field, const QString& text);
    // Writes the field for a batch row: the rules run even when the text is
    // the one the field holds.
    void writeField(Field field, const QString& text);

    const Canvas& canvas() const { return m_canvas; }
    bool isDrawing() const { return m_drawing; }
    bool isBatchRunning() const { return m_batch != nullptr; }

public slots:
    // Draws a plot from the fields; false when the frame could not be drawn.
    bool generate();
    void copy();
    void save();
    void importData();
    // Starts the batch; while it runs, asks whether to stop it.
    void runBatch();
    void clockTick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct Services;
    class BatchRows;
    // A running batch: its progress, the problems met so far and what the
    // user asked for while it ran.
    struct BatchState {
        int processed = 0;
        int sheetRow = 0;
        int writtenBefore = 0;
        PicturePlaces placesBefore;
        bool quiet = false;
        bool stopRequested = false;
        QString abortCause;
        QString lastWriteFailure;
        QStringList writeFailuresShown;
        BatchProblems problems;
    };

    void buildWindow();
    void buildManualConsole();
    void buildCommonParameters(QWidget* frame);
    void buildBatchConsole();
    void buildOpenLink(QWidget* console);
    void buildStatusLine();
    void setTabOrder();
    void connectSignals();

    void fieldChanged(Field field);
    void fieldFinished(Field field);
    void refuseField(Field field);
    void specifiedTimeClicked();
    QString dateTimeText() const;

    bool drawPlot(bool reportFrameFailure);
    bool drawFrameAndTrace(bool reportFrameFailure);
    // Enables the commands that cannot run while a plot is drawn or a batch
    // runs; the batch button then offers to stop the batch.
    void updateCommands();
    void saveOperation(bool duringBatch);
    QString chooseTarget();
    bool switchTarget(const QString& path);
    void showSaveResult(const Outcome& outcome);
    // What the document's placeholders and bookmark could not do, once.
    void showTemplateNotices();
    // The document in the desktop's program for it, and the link that offers it.
    void openDocument();
    void showOpenLink();
    // A problem met while the window works. During a batch it is kept for the
    // batch's report, and the box (if any) is shown until the user asks for
    // quiet; otherwise the box is shown.
    void reportProblem(const QString& description, const MessageBox* box);
    void documentProblem(const Outcome& outcome);
    bool askToStopBatch(bool closing);
    void readxsl();
    bool confirmLargeBatch();
    void processBatch();
    void finishBatch(const Outcome& readFailure);
    void markProblemRows();
    QString pendingHint() const;
    bool confirmCloseWithUnwritten(const Outcome& failure);

    std::unique_ptr<Services> m_services;
    Platform m_platform;
    Canvas m_canvas;
    std::unique_ptr<ReportSession> m_report;

    std::array<QLineEdit*, 14> m_fields{};
    std::array<QLabel*, 14> m_captions{};
    PlotView* m_plot = nullptr;
    QCheckBox* m_check1 = nullptr;
    QCheckBox* m_check2 = nullptr;
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
    // Set while the program writes a field, so its rules do not wait for
    // the editing to end.
    bool m_programWrite = false;
    // The last drawing was abandoned part-way: a close or a batch stop was
    // asked for during a long one.
    bool m_drawingAbandoned = false;
    // An import found rows, so the batch can run.
    bool m_batchAvailable = false;
    int m_importedRows = 0;
    int m_importedEmptyRows = 0;
    // Batches of more rows than this are confirmed first.
    static constexpr int kConfirmRowsAbove = 10000;
    // Non-null while a batch runs.
    std::unique_ptr<BatchState> m_batch;
    bool m_closeRequested = false;
};
