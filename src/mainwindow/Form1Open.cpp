// Files handed to the main window: named on the command line, or dropped on
// the window or on the save location.
#include "mainwindow/Form1.h"

#include "batch/ReportSession.h"
#include "mainwindow/ReportTexts.h"
#include "platform/Dialogs.h"
#include "platform/ErrorReport.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

namespace {

enum class Kind { Workbook, Document, Other };

Kind kindOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"xlsx" || suffix == u"xls")
        return Kind::Workbook;
    if (suffix == u"docx")
        return Kind::Document;
    return Kind::Other;
}

// The local files a drag carries; none when it carries anything else.
QStringList localFiles(const QMimeData* data) {
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            return {};
        files.append(url.toLocalFile());
    }
    return files;
}

} // namespace

void Form1::openFiles(const QStringList& paths) {
    if (isBatchRunning() || m_drawing) {
        m_platform.dialogs->critical(QStringLiteral(
            "正在生成驻波图或进行批处理，不能导入工作簿或更换文档；请等它结束后再打开文件。"));
        return;
    }
    QStringList others;
    QString document;
    QString workbook;
    for (const QString& path : paths) {
        switch (kindOf(path)) {
        case Kind::Document:
            document = path;
            break;
        case Kind::Workbook:
            workbook = path;
            break;
        case Kind::Other:
            others.append(QFileInfo(path).fileName());
            break;
        }
    }
    if (!others.isEmpty())
        m_platform.dialogs->critical(
            QStringLiteral(
                "不能打开“%1”：只能打开 Excel 工作簿（.xls、.xlsx）和 Word 文档（.docx）。")
                .arg(others.join(QStringLiteral("”、“"))));
    // The document first, so that the workbook finds its target.
    if (!document.isEmpty())
        useDocument(document);
    if (!workbook.isEmpty())
        importGiven(workbook);
}

// A workbook is imported once a document is chosen, as by the import
// command; before the first save it waits for that save.
void Form1::importGiven(const QString& path) {
    if (!m_saveLocation->text().isEmpty()) {
        importWorkbook(path);
        return;
    }
    m_workbookAfterSave = path;
    m_batchReport->setText(
        QStringLiteral("第一次保存驻波图后导入：\r\n%1").arg(QFileInfo(path).fileName()));
    m_platform.dialogs->information(QStringLiteral(
        "对不起，您必须先手动生成一个驻波并保存到一个WORD文档内，作为程序参考驻波！"));
}

// The document becomes the target through the checks a save makes of the
// one chosen in the dialog; plots waiting for another one are asked about.
void Form1::useDocument(const QString& path) {
    if (switchTarget(path, QStringLiteral("以后保存的驻波图")) == Switch::KeepOld)
        return;
    m_saveLocation->setText(path);
    m_platform.dialogs->noteUsed(Dialogs::FileKind::Document, path);
    const Outcome outcome = m_report->setTarget(path);
    if (!outcome.isOk() && outcome.kind() != Outcome::Kind::Busy) {
        m_platform.dialogs->critical(
            errorreport::text(outcome.message(), errorreport::ContactLine::Save));
        return;
    }
    m_batchReport->setText(QStringLiteral("保存位置：%1").arg(QFileInfo(path).fileName()));
    m_batchReport->setToolTip(reporttexts::nativePath(path));
    showOpenLink();
}

void Form1::dragEnterEvent(QDragEnterEvent* event) {
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent* event) {
    const QStringList files = localFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    openFiles(files);
}

// A file dropped on the save location is taken as a file, not as text.
bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_saveLocation)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (localFiles(drag->mimeData()).isEmpty())
            return false;
        drag->acceptProposedAction();
        return true;
    }
    if (event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        const QStringList files = localFiles(drop->mimeData());
        if (files.isEmpty())
            return false;
        drop->acceptProposedAction();
        openFiles(files);
        return true;
    }
    return false;
}
