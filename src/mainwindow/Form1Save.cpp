// Save: the command that puts the plot on screen into the report document,
// and what the window says of the document afterwards.
#include "mainwindow/Form1.h"

#include "batch/BatchReport.h"
#include "batch/ReportSession.h"
#include "mainwindow/ReportTexts.h"
#include "platform/Clipboard.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/ErrorReport.h"
#include "platform/EventYield.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

using reporttexts::kOpenDocument;
using reporttexts::kOpenHint;
using reporttexts::nativePath;

void Form1::save() {
    if (isBatchRunning() || m_drawing)
        return;
    if (m_plotState == PlotState::Blank) {
        m_platform.dialogs->critical(
            QStringLiteral("还没有生成驻波图，没有可保存的内容：请先点击“生成”，再保存。"));
        return;
    }
    // The plot on screen waits already with others: a save writes them, and
    // does not add the plot a second time.
    const QString path = m_saveLocation->text();
    if (m_plotState == PlotState::Queued && m_report->pendingPictures() > 0 &&
        path == m_report->targetPath()) {
        writeWaiting();
        return;
    }
    saveOperation();
}

QString Form1::chooseTarget() {
    QString chosen = m_platform.dialogs->openFileName(
        QStringLiteral("选择要添加驻波图的报告文档"),
        QStringLiteral("Word 文档 (*.docx);;所有文件 (*)"), Dialogs::FileKind::Document);
    if (!chosen.isEmpty() && QFileInfo(chosen).suffix().isEmpty())
        chosen += QStringLiteral(".docx");
    return chosen;
}

QString Form1::pendingHint() const {
    return QStringLiteral("这些驻波图仍然保留：排除问题后，再保存一次或关闭窗口时会再次写入。");
}

// Pictures stay with the document they were saved for: before the target
// changes they are written, and when that fails the user decides between
// keeping them (and the old target, which then also takes what the user is
// saving now) and giving them up.
Form1::Switch Form1::switchTarget(const QString& path, const QString& keptWhat) {
    if (m_report->pendingPictures() == 0 || path == m_report->targetPath())
        return Switch::Done;
    const Outcome written = m_report->flushYielding(*m_platform.yield);
    if (written.isOk())
        return Switch::Done;
    const QString old = nativePath(m_report->targetPath());
    const int waiting = m_report->pendingPictures();
    const int answer = m_platform.dialogs->ask(
        MessageBox::Icon::Critical,
        errorreport::text(written.message() +
                              QStringLiteral("\r\n文档“%1”还有 %2 张驻波图未能写入。\r\n"
                                             "保留：仍用原文档，%3也保存到原文档，排除问题后一并"
                                             "写入；\r\n放弃：放弃这 %2 张驻波图，改为保存到“%4”。")
                                  .arg(old)
                                  .arg(waiting)
                                  .arg(keptWhat, nativePath(path)),
                          errorreport::ContactLine::Save),
        {QStringLiteral("保留，仍用原文档"), QStringLiteral("放弃 %1 张并改用新文档").arg(waiting)},
        0);
    if (answer == 0) {
        m_saveLocation->setText(m_report->targetPath());
        return Switch::KeepOld;
    }
    m_report->discardPending();
    return Switch::Done;
}

void Form1::saveOperation() {
    // The plot goes on the clipboard in every case, so that the user can
    // paste it by hand should the document refuse it.
    const QImage picture = m_canvas.Image();
    QString path = m_saveLocation->text();
    if (path.isEmpty()) {
        path = chooseTarget();
        if (path.isEmpty())
            return; // cancelled: nothing happens, nothing is shown
    }
    m_platform.clipboard->clear();
    const bool onClipboard = m_platform.clipboard->setImage(picture);
    const Switch switched = switchTarget(path, QStringLiteral("本次的驻波图"));
    if (switched == Switch::KeepOld) {
        // The picture waits with the others for the old document, once.
        if (m_plotState != PlotState::Queued &&
            m_report->append(picture, text(Field::Segment)).isOk())
            m_plotState = PlotState::Queued;
        showSaveResult(Outcome::failure(Outcome::Kind::Busy, {}));
        return;
    }
    m_saveLocation->setText(path);

    Outcome outcome = Outcome::ok();
    if (path != m_report->targetPath()) {
        m_platform.dialogs->noteUsed(Dialogs::FileKind::Document, path);
        outcome = m_report->setTarget(path);
    }
    if (outcome.isOk() || outcome.kind() == Outcome::Kind::Busy) {
        outcome = m_report->append(picture, text(Field::Segment));
        if (outcome.isOk()) {
            m_plotState = PlotState::Queued;
            outcome = m_report->flushYielding(*m_platform.yield);
        }
    }
    showSaveResult(outcome);
    showTemplateNotices();
    // A workbook given before there was a document is imported now.
    if (!m_workbookAfterSave.isEmpty())
        importWorkbook(m_workbookAfterSave);
    const QString failure =
        !outcome.isOk() ? outcome.message()
        : onClipboard   ? QString()
                      : QStringLiteral("无法将驻波图放到剪贴板：剪贴板不可用或被其他程序占用");
    if (failure.isEmpty())
        return;
    QString shown = failure;
    if (!outcome.isOk() && m_report->pendingPictures() > 0)
        shown +=
            QStringLiteral("\r\n还有 %1 张驻波图尚未写入文档。").arg(m_report->pendingPictures()) +
            pendingHint();
    m_platform.dialogs->critical(errorreport::text(shown, errorreport::ContactLine::Save));
}

// Writes the plots that wait, the one on screen among them, and says how
// many went.
void Form1::writeWaiting() {
    const int waiting = m_report->pendingPictures();
    const Outcome outcome = m_report->flushYielding(*m_platform.yield);
    showSaveResult(outcome, outcome.isOk() ? QStringLiteral("已写入等待的%1张驻波图").arg(waiting)
                                           : QString());
    showTemplateNotices();
    if (!outcome.isOk())
        m_platform.dialogs->critical(
            errorreport::text(outcome.message() +
                                  QStringLiteral("\r\n还有 %1 张驻波图尚未写入文档。")
                                      .arg(m_report->pendingPictures()) +
                                  pendingHint(),
                              errorreport::ContactLine::Save));
}

// Where the picture went, without a box to click away: the file, how many
// pictures it has received from this window, and a word on a new document.
void Form1::showSaveResult(const Outcome& outcome, const QString& headline) {
    const QString name = QFileInfo(m_report->targetPath()).fileName();
    const QFontMetrics metrics(m_batchReport->font());
    const QString shownName =
        metrics.elidedText(name, Qt::ElideMiddle, m_batchReport->width() - 70);
    QString report;
    if (outcome.isOk()) {
        report = QStringLiteral("已保存到：%1\r\n本窗口已存入%2张驻波图")
                     .arg(shownName)
                     .arg(m_report->writtenPictures());
        if (!headline.isEmpty())
            report = headline + QStringLiteral("\r\n") + report;
        if (outcome.note() == Outcome::Note::Created)
            report += QStringLiteral("\r\n（新建的文档）");
        else if (outcome.note() == Outcome::Note::Recreated)
            report += QStringLiteral("\r\n原文档已不见，已重新新建！");
    } else {
        report = QStringLiteral("未能保存到：%1").arg(shownName);
        if (m_report->pendingPictures() > 0)
            report += QStringLiteral("\r\n%1张驻波图等待写入").arg(m_report->pendingPictures());
    }
    m_batchReport->setText(report);
    QString tip = nativePath(m_report->targetPath());
    if (m_report->writtenPictures() > 0)
        tip += QLatin1Char('\n') + batchreport::placesLine(m_report->places());
    if (outcome.note() != Outcome::Note::None)
        tip += QLatin1Char('\n') + m_report->noteText(outcome.note());
    m_batchReport->setToolTip(tip);
    showOpenLink();
    // A document that vanished took the earlier plots with it: worth a box.
    if (outcome.note() == Outcome::Note::Recreated)
        m_platform.dialogs->critical(m_report->noteText(outcome.note()));
}

void Form1::showTemplateNotices() {
    const QStringList notices = m_report->takeNotices();
    if (!notices.isEmpty())
        m_platform.dialogs->critical(
            QStringLiteral("保存到文档“%1”时：\r\n").arg(nativePath(m_report->targetPath())) +
            notices.join(QStringLiteral("\r\n")));
}

// A link under the report opens the document in the desktop's program for
// it, once the document is on disk.
void Form1::buildOpenLink(QWidget* console) {
    m_openLink = new QLabel(QStringLiteral("<a href=\"open\">%1</a>").arg(kOpenDocument), console);
    m_openLink->setObjectName(QStringLiteral("openDocument"));
    m_openLink->setGeometry(97, 446, 80, 16);
    m_openLink->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_openLink->setTextFormat(Qt::RichText);
    m_openLink->setTextInteractionFlags(Qt::TextBrowserInteraction);
    m_openLink->setToolTip(QStringLiteral("用默认程序打开文档。") + kOpenHint);
    m_openLink->hide();
    connect(m_openLink, &QLabel::linkActivated, this, [this] { openDocument(); });
}

void Form1::showOpenLink() {
    m_openLink->setVisible(!isBatchRunning() && m_report->hasTarget() &&
                           QFileInfo::exists(m_report->targetPath()));
}

void Form1::openDocument() {
    const QString path = m_report->targetPath();
    if (!m_platform.desktop->openFile(path))
        m_platform.dialogs->critical(
            QStringLiteral("无法打开文档“%1”：系统中没有能打开它的程序，或该程序无法启动。")
                .arg(nativePath(path)));
}
