#pragma once

#include <QLockFile>
#include <QString>

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
    // "~$NAME". Empty when there is none.
    std::optional<QString> foreignLock() const;

    // Takes this program's write lock, waiting up to timeoutMs while another
    // writer of this program (another window, a command line) writes. A lock
    // left by a writer that died is taken over.
    QLockFile::LockError lockForWrite(int timeoutMs);
    void unlock();

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

private:
    bool isOwnMark(const QString& lockFile, bool thisProcess) const;

    QString m_document;
    QString m_folder;
    QString m_name;
    QString m_stem; // ".~veltrace-<hash of the name>"
    std::unique_ptr<QLockFile> m_lock;
    int m_temporaries = 0;
};
