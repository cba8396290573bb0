#pragma once

#include "common/Outcome.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

class DocumentFiles;
namespace docx {
struct Picture;
struct Placement;
} // namespace docx

// A report document made by this program: an empty A4 document holding the
// pictures.
namespace reportfile {

// Writes a new document holding the pictures at file (name: as the user
// knows it): built in memory, then put in place. A document another program
// made there meanwhile is left as it is (Busy). Runs under the write lock.
Outcome writeNew(DocumentFiles& files, const QString& file, const QString& name,
                 const QList<docx::Picture>& pictures, const QList<QList<int>>& paragraphs,
                 docx::Placement* placement);

} // namespace reportfile
