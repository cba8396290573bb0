#pragma once

#include "batch/PicturePlaces.h"
#include "common/Outcome.h"
#include "document/ReportFill.h"

#include <QDateTime>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

class Clock;
class EventYield;
class ReportDocument;

// The target document the main window appends plots to, from the first save
// to the window's close. Appended pictures are written at once for a manual
// save and in batches (at most every two seconds) during a batch run.
// Pictures stay bound to the document they were accepted for: the target
// cannot change while some of them wait to be written. During a batch run a
// timer starts the writes that are due also while a dialog holds the run up.
class ReportSession : public QObject {
    Q_OBJECT
public:
    // The clock times the writes of a batch.
    explicit ReportSession(const Clock& clock, QObject* parent = nullptr);
    ~ReportSession() override;

    // Makes path the target and checks it. Refused while pictures wait for
    // another target (write or discard them first). A target that fails the
    // check stays the target, and the next append checks it again.
    Outcome setTarget(const QString& path);
    bool hasTarget() const { return m_document != nullptr; }
    QString targetPath() const;

    // Appends the picture and a paragraph break after it. A target that could
    // not be checked yet is checked again first; the picture is accepted only
    // when the target can take it (or is held by another program for now).
    Outcome append(const QImage& picture, const QString& segmentName);
    // The same for a plotted row of a batch, whose values fill the target's
    // template (its table rows, sections and summary).
    Outcome append(const QImage& picture, const docx::RowValues& row);
    // The VSWR limit the user set, for the template's verdicts and summary
    // (a limit written in the document wins); and whether a plot replaces its
    // segment's earlier plot in the document.
    void setLimit(double limit);
    void setReplaceExisting(bool replace);
    // What the writes into the target filled of its template.
    docx::FillCounts filled() const;
    // Writes what is pending.
    Outcome flush();
    // Writes everything pending on a worker thread, letting events run
    // meanwhile, and returns when it is on disk or the write failed.
    Outcome flushYielding(EventYield& yield);
    // Starts writing what is pending in the background when the last write
    // is long enough ago; reports the outcome of a background write that has
    // finished since the last call.
    Outcome flushIfDue();
    // Waits, letting events run, until fewer pictures wait for the target
    // than may wait in memory: a slow write is waited for, and the writes it
    // takes are started. Fails only when the writes fail while that many
    // wait (the target cannot take them).
    Outcome waitForRoom(EventYield& yield);
    // Pictures accepted for the target and not yet on disk, including those
    // of a write still running.
    int pendingPictures() const;
    // Pictures this session has put into the current target's file and the
    // file still holds: after the file vanished and was made anew, only those
    // written since.
    int writtenPictures() const { return m_written; }
    // Where they went: placeholders, the bookmark, the end.
    PicturePlaces places() const;
    // What the target's placeholders and bookmark could not do, each said
    // once for the target; after a run, also the placeholders left for
    // segments the run did not have.
    QStringList takeNotices();
    // What a note of a successful write means for the target, in words.
    QString noteText(Outcome::Note note) const;
    // Gives up the pictures that wait (the user chose to).
    void discardPending();

    // From the start of a batch to its last write, office programs see the
    // target as in use; otherwise only while a save writes it. A run also
    // notes its segments, for the placeholders none of them took.
    void beginRun();
    // Makes the next write the run's last: the template's summary is filled
    // (dated date, yyyy-MM-dd) and its repeated parts taken away.
    void finishRun(const QString& date);
    void endRun();

    // Writes nothing; forgets the target (the window is closing).
    void release();

    static constexpr qint64 kBatchWriteIntervalMs = 2000;

signals:
    // A write running in the background has ended; its outcome is taken by
    // the next flushIfDue, waitForRoom or flushYielding.
    void backgroundWriteEnded();

public:
    // Pictures that may wait in memory while the target cannot be written;
    // beyond them no picture is accepted.
    static constexpr int kMaxPendingPictures = 2000;
    void setMaxPendingPictures(int count) { m_maxPending = count; }
    // Runs on the writing thread just before each write of the target is put
    // in place: where a test makes a write slow or changes the document.
    void setBeforeCommit(std::function<void()> probe);

private:
    Outcome openTarget();
    Outcome append(const QImage& picture, const QString& segmentName, const docx::RowValues* row);
    Outcome counted(Outcome outcome, int pendingBefore);
    void startBackgroundWrite();
    // Lets events run until the background write ends, then takes it.
    Outcome awaitBackgroundWrite(EventYield& yield);
    void writeIfDueNow();
    Outcome capacityReached(const QString& cause) const;
    void noteUnusedPlaceholders();

    std::unique_ptr<ReportDocument> m_document;
    bool m_opened = false;
    int m_written = 0;
    // Notices said for the target, and those waiting to be said.
    // The kinds of notice said for the target (each once, with its count and
    // first examples), and what the last run leaves to say.
    QSet<int> m_toldKinds;
    QStringList m_runNotices;
    // The segments of the current run (compared as placeholders compare
    // them); the pictures written when it began.
    QSet<QString> m_runSegments;
    bool m_running = false;
    int m_writtenAtRun = 0;
    const Clock& m_clock;
    int m_maxPending = kMaxPendingPictures;
    std::function<void()> m_beforeCommit;
    double m_limit = docx::kDefaultLimit;
    bool m_replaceExisting = false;
    // Starts the writes that are due while a batch runs.
    QTimer m_interval;
    // What a write the timer took came to, for the next flushIfDue to say.
    Outcome m_untold;
    // When the last write started; invalid before the target was opened.
    QDateTime m_lastWrite;
};
