#pragma once

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
class QTimer;
class PlotView;
class ReportSession;

// The main window: the fourteen parameter fields, the plot canvas p1, the
// manual console (generate, save, copy) and the batch console (import, batch).
// Services missing from the platform given are provided by the real (Qt)
// implementations.
class Form1 : public QWidget, public FieldReader {
    Q_OBJECT
public:
    explicit Form1(Platform platform = {}, QWidget* parent = nullptr);
    ~Form1() override;

    QString text(int index) const override;
    QString caption(int index) const override;
    void setFieldText(int index, const QString& text);

    const Canvas& canvas() const { return m_canvas; }
    bool isDrawing() const { return m_drawing; }
    bool isBatchRunning() const { return m_batchRunning; }

public slots:
    // Draws a plot from the fields; false when the frame could not be drawn.
    bool generate();
    void copy();
    void save();
    void importData();
    void runBatch();
    void clockTick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct Services;
    class BatchRows;

    void buildWindow();
    void buildManualConsole();
    void buildCommonParameters(QWidget* frame);
    void buildBatchConsole();
    void buildStatusLine();
    void setTabOrder();
    void connectSignals();

    void fieldChanged(int index);
    void specifiedTimeClicked();
    QString dateTimeText() const;

    bool drawPlot(bool reportFrameFailure);
    void saveOperation(bool duringBatch);
    QString chooseTarget();
    void readxsl();
    void processBatch();
    void finishBatch(int processed, const QString& failure);

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
    QLineEdit* m_saveLocation = nullptr;
    QLabel* m_clockLabel = nullptr;
    QTimer* m_clock = nullptr;

    bool m_drawing = false;
    bool m_batchRunning = false;
    bool m_closeRequested = false;
    bool m_closeRefusedOnce = false;
};
