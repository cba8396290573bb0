#pragma once

#include "common/Outcome.h"

#include <QString>

#include <functional>

class DocumentFiles;
class DocxPackage;
namespace docx {
struct AppendOutput;
}

// How a write reaches the document on disk: under this program's write lock,
// into a new file beside the document, which replaces it only when complete
// and only when nobody changed the document meanwhile; failures told by their
// cause.
namespace reportfile {

// How long a write waits while another writer of this program writes.
inline constexpr int kWriteLockWaitMs = 20000;

// Takes the write lock of the document (name: as the user knows it); a
// failure says why.
Outcome lockForWrite(DocumentFiles& files, const QString& name);

// A failed write, told as "no space" when the disk has no room for needed
// bytes more.
Outcome writeFailure(const QString& name, const QString& folder, qint64 needed,
                     const QString& cause, bool creating = false);

// Whether a document with the appended parts stays within what the program
// reads back, so no write makes a document it would then refuse.
Outcome checkLimits(const QString& name, const DocxPackage& package,
                    const docx::AppendOutput& output);

// Writes a changed document with build into a new temporary file beside
// file (build gets its path and reads file itself), then puts it in file's
// place, unless another program changed file meanwhile: then it starts over
// from what that program saved. added: about how many bytes the change adds,
// for the room the disk needs. beforeCommit runs just before the check. Runs
// under the write lock.
Outcome replaceByRewritten(DocumentFiles& files, const QString& file, const QString& name,
                           qint64 added, const std::function<Outcome(const QString&)>& build,
                           const std::function<void()>& beforeCommit);

} // namespace reportfile
