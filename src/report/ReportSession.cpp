#include "report/ReportSession.h"

#include "platform/EventYield.h"
#include "report/ReportDocument.h"

#include <QThread>

ReportSession::ReportSession() = default;

ReportSession::~ReportSession() = default;

QString ReportSession::targetPath() const {
    return m_document ? m_document->path() : QString();
}

QString ReportSession::setTarget(const QString& path) {
    QString failure;
    if (m_document) {
        if (m_document->path() == path && m_opened)
            return {};
        failure = flush();
    }
    m_document = std::make_unique<ReportDocument>(path);
    m_opened = false;
    const QString openFailure = openTarget();
    return openFailure.isEmpty() ? failure : openFailure;
}

QString ReportSession::openTarget() {
    const QString failure = m_document->open();
    m_opened = failure.isEmpty();
    if (m_opened)
        m_sinceWrite.start();
    return failure;
}

QString ReportSession::append(const QImage& picture, const QString& segmentName) {
    if (!m_document)
        return QStringLiteral("尚未选择保存驻波图的文档");
    // A target that could not be opened (held by another program, say) is
    // tried again, so the user can fix the cause and save again.
    if (!m_opened) {
        const QString failure = openTarget();
        if (!failure.isEmpty())
            return failure;
    }
    m_document->paste(picture, segmentName);
    m_document->typeParagraphBreak();
    return {};
}

QString ReportSession::flush() {
    if (!m_document || !m_document->hasPending())
        return {};
    const QString failure = m_document->flush();
    m_sinceWrite.restart();
    return failure;
}

QString ReportSession::flushIfDue() {
    if (!m_document)
        return {};
    // The previous batch of pictures is written on a worker thread, so the
    // window keeps processing events while the archive is rewritten.
    const auto finished = m_document->finishBackgroundWrite(false);
    if (!finished)
        return {};
    if (m_sinceWrite.isValid() && m_sinceWrite.elapsed() >= kBatchWriteIntervalMs) {
        m_document->flushInBackground();
        m_sinceWrite.restart();
    }
    return *finished;
}

QString ReportSession::flushYielding(EventYield& yield) {
    if (!m_document)
        return {};
    QString failure;
    do {
        m_document->flushInBackground();
        std::optional<QString> done;
        while (!(done = m_document->finishBackgroundWrite(false))) {
            yield.yieldEvents();
            QThread::msleep(2);
        }
        failure = *done;
    } while (failure.isEmpty() && m_document->hasPending());
    m_sinceWrite.restart();
    return failure;
}

int ReportSession::pendingPictures() const {
    return m_document ? m_document->pendingPictures() : 0;
}

void ReportSession::release() {
    m_document.reset();
    m_opened = false;
}
