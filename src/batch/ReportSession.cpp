#include "batch/ReportSession.h"

#include "document/DocxTemplate.h"
#include "document/ReportDocument.h"
#include "platform/Clock.h"
#include "platform/EventYield.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

ReportSession::ReportSession(const Clock& clock, QObject* parent)
    : QObject(parent), m_clock(clock) {
    m_interval.setInterval(kBatchWriteIntervalMs);
    connect(&m_interval, &QTimer::timeout, this, &ReportSession::writeIfDueNow);
}

// A write still running ends before the document goes.
ReportSession::~ReportSession() {
    m_document.reset();
}

QString ReportSession::targetPath() const {
    return m_document ? m_document->path() : QString();
}

Outcome ReportSession::setTarget(const QString& path) {
    if (m_document && m_document->path() == path && m_opened)
        return Outcome::ok();
    if (pendingPictures() > 0 && path != targetPath())
        return Outcome::failure(
            Outcome::Kind::Busy,
            QCoreApplication::translate("batch",
                                        "文档“%1”还有 %2 张驻波图尚未写入，不能改为保存到“%3”。")
                .arg(QDir::toNativeSeparators(QFileInfo(targetPath()).absoluteFilePath()))
                .arg(pendingPictures())
                .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())));
    if (!m_document || m_document->path() != path) {
        m_document = std::make_unique<ReportDocument>(path);
        if (m_beforeCommit)
            m_document->setBeforeCommit(m_beforeCommit);
        m_document->setLimit(m_limit);
        m_document->setReplaceExisting(m_replaceExisting);
        m_written = 0;
        m_toldKinds.clear();
        m_runNotices.clear();
    }
    m_opened = false;
    return openTarget();
}

Outcome ReportSession::openTarget() {
    Outcome outcome = m_document->open();
    m_opened = outcome.isOk();
    if (m_opened)
        m_lastWrite = m_clock.now();
    return outcome;
}

Outcome ReportSession::append(const QImage& picture, const QString& segmentName) {
    return append(picture, segmentName, nullptr);
}

Outcome ReportSession::append(const QImage& picture, const docx::RowValues& row) {
    return append(picture, row.segment, &row);
}

Outcome ReportSession::append(const QImage& picture, const QString& segmentName,
                              const docx::RowValues* row) {
    if (!m_document)
        return Outcome::failure(Outcome::Kind::Unusable,
                                QCoreApplication::translate("batch", "尚未选择保存驻波图的文档"));
    // A target that could not be checked (held by another program, say) is
    // tried again, so the user can fix the cause and save again. One that is
    // only busy takes the picture, which waits until the document is free.
    if (!m_opened) {
        Outcome opened = openTarget();
        if (!opened.isOk() && opened.kind() != Outcome::Kind::Busy)
            return opened;
    }
    if (pendingPictures() >= m_maxPending)
        return capacityReached(QString());
    if (row)
        m_document->paste(picture, *row);
    else
        m_document->paste(picture, segmentName);
    m_document->typeParagraphBreak();
    if (m_running)
        m_runSegments.insert(docx::segmentKey(segmentName));
    return Outcome::ok();
}

void ReportSession::setLimit(double limit) {
    m_limit = limit;
    if (m_document)
        m_document->setLimit(limit);
}

void ReportSession::setReplaceExisting(bool replace) {
    m_replaceExisting = replace;
    if (m_document)
        m_document->setReplaceExisting(replace);
}

docx::FillCounts ReportSession::filled() const {
    return m_document ? m_document->placement().fill : docx::FillCounts();
}

void ReportSession::finishRun(const QString& date) {
    if (m_document)
        m_document->finishRun(date);
}

void ReportSession::beginRun() {
    m_running = true;
    if (m_document)
        m_document->beginRun();
    m_interval.start();
    m_runSegments.clear();
    m_writtenAtRun = m_written;
    if (m_document)
        m_document->holdInUse(true);
}

void ReportSession::endRun() {
    m_running = false;
    m_interval.stop();
    if (!m_document)
        return;
    m_document->holdInUse(false);
    if (m_written > m_writtenAtRun)
        noteUnusedPlaceholders();
}

// After a run's last write: placeholders for segments the run did not have,
// and plain ones more than it had plots for.
void ReportSession::noteUnusedPlaceholders() {
    const docx::Placement& placement = m_document->placement();
    docx::Notices unused;
    for (const QString& segment : placement.unusedSegments) {
        if (!m_runSegments.contains(docx::segmentKey(segment)))
            unused.add(docx::Notices::Kind::UnusedSegment, segment);
    }
    unused.addCount(docx::Notices::Kind::UnusedPlain, placement.unusedPlain);
    m_runNotices = unused.lines();
}

PicturePlaces ReportSession::places() const {
    if (!m_document)
        return {};
    const docx::Placement& placement = m_document->placement();
    return {placement.placeholders, placement.bookmark, placement.end};
}

QStringList ReportSession::takeNotices() {
    QStringList fresh;
    if (m_document) {
        const docx::Notices& notices = m_document->placement().notices;
        for (const docx::Notices::Kind kind : notices.kinds()) {
            if (!m_toldKinds.contains(int(kind))) {
                m_toldKinds.insert(int(kind));
                fresh.append(notices.line(kind));
            }
        }
    }
    return fresh + std::exchange(m_runNotices, {});
}

// Counts what a successful write put on disk. A document made anew after it
// vanished holds only what this write put there.
Outcome ReportSession::counted(Outcome outcome, int pendingBefore) {
    if (outcome.isOk()) {
        if (outcome.note() == Outcome::Note::Recreated)
            m_written = m_writtenAtRun = 0;
        m_written += pendingBefore - pendingPictures();
        m_opened = true;
    }
    return outcome;
}

Outcome ReportSession::capacityReached(const QString& cause) const {
    QString message =
        QCoreApplication::translate(
            "batch", "已有 %1 张驻波图等待写入文档“%2”而一直无法写入，不再接收新的驻波图。")
            .arg(pendingPictures())
            .arg(QDir::toNativeSeparators(QFileInfo(targetPath()).absoluteFilePath()));
    if (!cause.isEmpty())
        message += QStringLiteral("\r\n") + cause;
    return Outcome::failure(Outcome::Kind::Lasting, message);
}

Outcome ReportSession::waitForRoom(EventYield& yield) {
    while (m_document && pendingPictures() >= m_maxPending) {
        if (!m_document->isWriting()) {
            startBackgroundWrite();
            m_lastWrite = m_clock.now();
        }
        if (const Outcome outcome = awaitBackgroundWrite(yield); !outcome.isOk())
            return capacityReached(outcome.message());
    }
    return Outcome::ok();
}

// The write runs on a worker thread; its end is posted to this object's
// thread, which wakes whoever waits for it there.
void ReportSession::startBackgroundWrite() {
    m_document->flushInBackground([this] {
        QMetaObject::invokeMethod(this, &ReportSession::backgroundWriteEnded, Qt::QueuedConnection);
    });
}

Outcome ReportSession::awaitBackgroundWrite(EventYield& yield) {
    yield.waitUntil([this] { return m_document->writeEnded(); });
    const int before = pendingPictures();
    return counted(*m_document->finishBackgroundWrite(true), before);
}

void ReportSession::setBeforeCommit(std::function<void()> probe) {
    m_beforeCommit = std::move(probe);
    if (m_document)
        m_document->setBeforeCommit(m_beforeCommit);
}

Outcome ReportSession::flush() {
    if (!m_document || !m_document->hasPending())
        return Outcome::ok();
    const int before = pendingPictures();
    Outcome outcome = counted(m_document->flush(), before);
    m_lastWrite = m_clock.now();
    return outcome;
}

Outcome ReportSession::flushIfDue() {
    Outcome told = std::exchange(m_untold, Outcome::ok());
    if (!m_document)
        return told;
    // The previous batch of pictures is written on a worker thread, so the
    // window keeps processing events while the archive is rewritten.
    const int before = pendingPictures();
    auto finished = m_document->finishBackgroundWrite(false);
    if (!finished)
        return told;
    const Outcome outcome = counted(*finished, before);
    const QDateTime now = m_clock.now();
    if (m_lastWrite.isValid() && m_lastWrite.msecsTo(now) >= kBatchWriteIntervalMs) {
        startBackgroundWrite();
        m_lastWrite = now;
    }
    // A failure outweighs a note, a note nothing.
    if (!told.isOk() || (outcome.isOk() && outcome.note() == Outcome::Note::None))
        return told;
    return outcome;
}

// The timer's write: what it comes to is kept for the run to take.
void ReportSession::writeIfDueNow() {
    const Outcome outcome = flushIfDue();
    if (!outcome.isOk() || outcome.note() != Outcome::Note::None)
        m_untold = outcome;
}

Outcome ReportSession::flushYielding(EventYield& yield) {
    if (!m_document)
        return Outcome::ok();
    Outcome outcome = std::exchange(m_untold, Outcome::ok());
    Outcome::Note note = outcome.isOk() ? outcome.note() : Outcome::Note::None;
    do {
        if (!m_document->isWriting())
            startBackgroundWrite();
        outcome = awaitBackgroundWrite(yield);
        if (outcome.note() != Outcome::Note::None)
            note = outcome.note();
    } while (outcome.isOk() && m_document->hasPending());
    m_lastWrite = m_clock.now();
    return outcome.isOk() ? Outcome::ok(note) : outcome;
}

int ReportSession::pendingPictures() const {
    return m_document ? m_document->pendingPictures() : 0;
}

QString ReportSession::noteText(Outcome::Note note) const {
    const QString name = QDir::toNativeSeparators(QFileInfo(targetPath()).absoluteFilePath());
    switch (note) {
    case Outcome::Note::Created:
        return QCoreApplication::translate("batch", "已新建文档“%1”。").arg(name);
    case Outcome::Note::Recreated:
        return QCoreApplication::translate(
                   "batch", "文档“%1”已不存在（可能被删除或移走），已重新新建该文档，"
                            "其中只有此后保存的驻波图。")
            .arg(name);
    case Outcome::Note::None:
        break;
    }
    return {};
}

void ReportSession::discardPending() {
    if (m_document)
        m_document->discardPending();
}

void ReportSession::release() {
    m_document.reset();
    m_opened = false;
    m_written = 0;
    m_toldKinds.clear();
    m_runNotices.clear();
}
