#pragma once

#include "common/Result.h"

#include <QLockFile>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// The files beside a report document that writing it involves: this
// program's write lock, its temporary files, and the lock files by which
// office programs (and this program, in their form) say that a document is in
// use. Names stay short whatever the document's name, so a document whose
// name uses up the file system's limit can still be written.
class DocumentFiles {
public:
    // documentFile: the file written (a symbolic link's target).
    explicit DocumentFiles(const QString& documentFile);
    ~DocumentFiles();
    DocumentFiles(const DocumentFiles&) = delete;
    DocumentFiles& operator=(const DocumentFiles&) = delete;

    // The lock file of an office program that has the document open (not one
    // this program wrote): LibreOffice's ".~lock.NAME#" or Word's owner file
    // of this document, "~$" and its name, which gives up its first character
    // when the name without its extension has seven characters, its first two
    // when it has more. Empty when there is none.
    std::optional<QString> foreignLock() const;

    // What came of taking the write lock.
    enum class Lock {
        Taken,
        // Another writer of this program held it all the time.
        Busy,
        // Something that is no lock file of this program (a folder, a link,
        // a file of other content) has the lock file's name.
        NotALockFile,
        // The folder refuses new files.
        Refused,
        // The lock file could not be written (a full disk, say) all the time.
        Failed,
    };
    // Takes this program's write lock, waiting up to timeoutMs while another
    // writer of this program (another window, a command line) writes, and a
    // few seconds while the lock file cannot be written. A lock left by a
    // writer that died is taken over.
    Lock lockForWrite(int timeoutMs);
    void unlock();
    // The write lock's file beside the document.
    QString lockFile() const;
    // Who holds the write lock, in words ("进程 123，主机 pc"); empty when the
    // lock file tells nobody.
    QString lockHolder() const;
    // Whether a file can be written in the document's folder now; the cause
    // is the system's words.
    Result<> probeWrite();

    // A new temporary file name beside the document. Temporaries that a dead
    // writer left are removed first; call it only under the write lock.
    QString newTemporary();

    // Marks the document as in use, the way LibreOffice does, so office
    // programs open it read-only while this program writes; a mark another
    // writer of this program left is taken over. Returns false when the
    // mark cannot be made (the folder refuses it, the name is too long). Call
    // it under the write lock.
    bool markInUse();
    // Removes the mark if it is still this process's.
    void unmarkInUse();
    // Removes what a writer of this program that was killed (or crashed)
    // left: its mark (one written on this host by a process that no longer
    // runs), its temporaries and its write lock. Nothing of a writer that
    // runs, nor a mark of another host. Returns whether anything was looked
    // at under the write lock.
    bool removeLeftovers();

private:
    bool isOwnMark(const QString& lockFile, bool thisProcess) const;
    // The names of the temporaries beside the document (all writers').
    QStringList temporaries() const;
    void removeTemporaries();

    QString m_document;
    QString m_folder;
    QString m_name;
    QString m_stem; // ".~veltrace-<hash of the name>"
    std::unique_ptr<QLockFile> m_lock;
    int m_temporaries = 0;
};
