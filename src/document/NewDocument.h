#pragma once

#include "common/Outcome.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <utility>

class DocumentFiles;
namespace docx {
struct Picture;
struct Placement;
} // namespace docx

// A report document made by this program: an empty A4 document with the
// parts Word expects of a document of its own version (settings that open it
// in its current mode, not in compatibility mode) and the properties it shows
// (author Veltrace, when it was made and last changed), holding the pictures.
namespace reportfile {

// The parts of a new document made at the given time, in the order they go
// into the zip.
QList<std::pair<QString, QByteArray>> newDocumentParts(const QDateTime& made);

// Writes a new document holding the pictures at file (name: as the user
// knows it): built in memory, then put in place. A document another program
// made there meanwhile is left as it is (Busy). Runs under the write lock.
Outcome writeNew(DocumentFiles& files, const QString& file, const QString& name,
                 const QList<docx::Picture>& pictures, const QList<QList<int>>& paragraphs,
                 docx::Placement* placement);

} // namespace reportfile
