#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QString>

#include <memory>

class EventYield;
class ReportDocument;

// The target document the main window appends plots to, from the first save
// to the window's close. Appended pictures are written at once for a manual
// save and in batches (at most every two seconds) during a batch run.
class ReportSession {
public:
    ReportSession();
    ~ReportSession();

    // Makes path the target. What is pending for a previous target is written
    // first. Returns a description of what failed, or an empty string.
    QString setTarget(const QString& path);
    bool hasTarget() const { return m_document != nullptr; }
    QString targetPath() const;

    // Appends the picture and a paragraph break after it.
    QString append(const QImage& picture, const QString& segmentName);
    // Writes what is pending.
    QString flush();
    // Writes everything pending on a worker thread, letting events run
    // meanwhile, and returns when it is on disk or the write failed.
    QString flushYielding(EventYield& yield);
    // Starts writing what is pending in the background when the last write
    // is long enough ago; reports the outcome of a background write that has
    // finished since the last call.
    QString flushIfDue();
    int pendingPictures() const;

    // Writes nothing; forgets the target (the window is closing).
    void release();

    static constexpr qint64 kBatchWriteIntervalMs = 2000;

private:
    QString openTarget();

    std::unique_ptr<ReportDocument> m_document;
    bool m_opened = false;
    QElapsedTimer m_sinceWrite;
};
