#include "report/ReportSession.h"

#include "report/ReportDocument.h"

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
    if (m_sinceWrite.isValid() && m_sinceWrite.elapsed() < kBatchWriteIntervalMs)
        return {};
    return flush();
}

int ReportSession::pendingPictures() const {
    return m_document ? m_document->pendingPictures() : 0;
}

void ReportSession::release() {
    m_document.reset();
    m_opened = false;
}
