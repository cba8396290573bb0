#pragma once

#include "common/Result.h"

#include <QFileInfo>
#include <QString>

// Putting a finished temporary file in a document's place: one rename, after
// which the document has the owner, group and permissions it had before. Its
// other hard links, if any, keep the earlier file.
namespace reportfile {

// Replaces target by temporary in one step. When target exists, temporary
// takes its owner and group (where files have them) and its permissions
// first.
Result<> replaceWith(const QString& temporary, const QString& target);

// Whether this process can replace the existing file keeping its owner and
// group; the cause says why not: it is not root and the file is another
// user's, or belongs to a group the user is not in, or lies in a folder where
// only owners may replace files (the sticky bit, as /tmp has).
Result<> checkOwnership(const QFileInfo& file);

} // namespace reportfile
