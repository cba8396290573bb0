#pragma once

#include "common/Outcome.h"
#include "document/DocxTemplate.h"
#include "document/PictureQueue.h"
#include "document/ReportFill.h"

#include <QImage>
#include <QList>
#include <QString>

#include <atomic>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <vector>

// The Word document the plots go into. Pictures and paragraph breaks are
// typed as paragraphs and kept pending until flush() writes them: a picture
// with its paragraph break goes into the document's next placeholder (the
// one named after its segment first) or after its bookmark "veltrace", and
// otherwise, like everything else typed, at the insertion point at the end of
// the document's body. Each write starts from the file as it is
// on disk at that moment, appends what is pending and replaces the file
// atomically (a temporary file beside it, renamed over it, with the owner,
// group and permissions the file had), so a change made by another program
// between two writes is kept and a failed write leaves the file as it was. Writers of this program
// take turns through a lock, and office programs see the document as in use while it is written.
//
// Insertion point at the end: when the body ends with an empty paragraph,
// that paragraph; otherwise a new empty paragraph after the body's content.
// A write that ends with a paragraph break leaves an empty paragraph at the
// end, and placeholders are taken in document order, so successive writes
// continue where the previous one stopped and give the same document as one
// write of everything.
class DocumentFiles;
namespace docx {
struct FillInput;
struct Picture;
} // namespace docx

class ReportDocument {
public:
    explicit ReportDocument(const QString& path);
    // Does not write; the owner flushes first.
    ~ReportDocument();
    ReportDocument(const ReportDocument&) = delete;
    ReportDocument& operator=(const ReportDocument&) = delete;

    const QString& path() const { return m_path; }

    // Checks the target: an existing file must be a readable plain Word
    // document (.docx, no macro-enabled one or template) with a main document
    // part, that this process can replace keeping its owner, group and
    // permissions, and not held open by another office program (a
    // LibreOffice lock file or Word's owner file beside it). A missing file
    // (or an empty one, as a file manager's "new document" makes) is fine
    // when its folder is writable; it becomes a new, empty A4 document on the
    // first write. A mark of this program's beside the document that a
    // writer killed midway left is removed. A refusal names the file; a lock
    // of another program is Busy.
    Outcome open();

    // Puts the picture inline into the insertion paragraph, with an
    // alternative text that names the segment. The PNG encoding starts at
    // once on a worker thread. A null image is ignored.
    void paste(const QImage& picture, const QString& segmentName);
    // The same for a plotted row of a batch: its values fill the template's
    // row fields (a table row or a section repeated per segment), and a
    // section takes its plot.
    void paste(const QImage& picture, const docx::RowValues& row);

    // The VSWR limit the user set ({{结论}}, the summary); a limit written in
    // the document ({{驻波比上限=1.4}}) wins, and a different one is said.
    void setLimit(double limit) { m_limit = limit; }
    // Whether a plot of a segment that has a plot of this program in the
    // document already replaces that picture, in place.
    void setReplaceExisting(bool replace) { m_replaceExisting = replace; }
    // From here the rows pasted are one batch's. finishRun() makes the next
    // write that batch's last: it fills the summary (its date given as
    // yyyy-MM-dd) and takes the template's repeated parts and markers away.
    void beginRun();
    void finishRun(const QString& date);
    // Ends the insertion paragraph; a new empty one becomes the insertion point.
    void typeParagraphBreak();

    bool hasPending() const { return !m_pending.empty() || m_finish || m_inFlight; }
    // Pictures not yet on disk, including those of a write still running.
    int pendingPictures() const {
        return m_pendingPictures + (m_inFlight ? m_inFlight->pictures : 0);
    }

    // Writes everything pending. On failure the file is unchanged and
    // everything stays pending for the next try. A write that was running in
    // the background is finished first. A success notes when the document
    // was made, or made anew after it vanished.
    Outcome flush();

    // While held, office programs see the document as in use from one write
    // to the next (a batch); otherwise only during each write.
    void holdInUse(bool held);

    // Where the pictures written so far went, and what the document's
    // placeholders and bookmark could not do (each notice once).
    const docx::Placement& placement() const { return m_placement; }

    // Runs on the writing thread when an appended copy of the document is
    // ready, just before it is checked against the document and put in its
    // place: where a test changes the document as another program would.
    void setBeforeCommit(std::function<void()> probe) { m_beforeCommit = std::move(probe); }

    // Forgets what is pending; a write already running is finished first.
    void discardPending();

    // Starts writing everything pending on a worker thread and returns at
    // once; pastes may go on meanwhile. Does nothing while a write runs.
    // `ended` runs on the worker thread once the write has ended.
    void flushInBackground(std::function<void()> ended = {});
    bool isWriting() const { return m_inFlight != nullptr; }
    // Whether the background write has ended, so that finishing it does not
    // wait (true when none runs).
    bool writeEnded() const;
    // The outcome of the background write (a success when there was none);
    // after a failure its pictures are pending again. Nothing while it still
    // runs and wait is false.
    std::optional<Outcome> finishBackgroundWrite(bool wait);

private:
    using PendingList = std::vector<std::shared_ptr<PendingPicture>>;
    // The end of a batch: its date and every row it delivered, for the summary.
    struct RunEnd {
        QString date;
        QList<docx::RowValues> rows;
    };
    // What a write came to, and where its pictures went.
    struct Written {
        Outcome outcome;
        docx::Placement placement;
    };
    struct InFlight {
        PendingList items;
        int pictures = 0;
        std::optional<RunEnd> finish;
        std::future<Written> result;
        // Set on the worker when the write has ended, just before its
        // result is handed over.
        std::shared_ptr<std::atomic<bool>> ended = std::make_shared<std::atomic<bool>>(false);
    };

    // Writes the items to the file as it is on disk now; safe on any thread.
    // existed: whether the document was seen on disk before.
    Written write(const PendingList& items, const std::optional<RunEnd>& finish,
                  bool existed) const;
    // Takes the result of a write of this object's: a success means the
    // document exists from now on, and counts where its pictures went.
    Outcome written(const Written& result);

    Outcome writeLocked(DocumentFiles& files, const QList<docx::Picture>& pictures,
                        const QList<QList<int>>& paragraphs, const docx::FillInput& fill,
                        bool existed, docx::Placement* placement) const;
    // Appends to a copy of the existing file, which then replaces it.
    Outcome appendToExisting(DocumentFiles& files, const QString& file,
                             const QList<docx::Picture>& pictures,
                             const QList<QList<int>>& paragraphs, const docx::FillInput& fill,
                             docx::Placement* placement) const;

    QString displayName() const;
    // The file written: a symbolic link's target.
    QString realFile() const;

    QString m_path;
    // What was typed since the last write, in order; an empty pointer is a
    // paragraph break.
    PendingList m_pending;
    int m_pendingPictures = 0;
    std::unique_ptr<InFlight> m_inFlight;
    docx::Placement m_placement;
    // Whether the document was found on disk or written by this object, so a
    // document that vanishes afterwards is noticed when it is made anew.
    bool m_existed = false;
    // Read by a write on a worker thread; changed only when none runs.
    std::atomic<bool> m_heldInUse{false};
    std::function<void()> m_beforeCommit;
    double m_limit = docx::kDefaultLimit;
    bool m_replaceExisting = false;
    // The rows of the batch running, and its end once the batch said it.
    QList<docx::RowValues> m_runRows;
    std::optional<RunEnd> m_finish;
    PictureEncoders m_encoders;
};
