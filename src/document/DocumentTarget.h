#pragma once

#include "common/Outcome.h"

#include <QByteArray>
#include <QString>

#include <optional>

// What is at a report document's path, and whether this program may write
// there: the checks every open and every write make before anything is read.
namespace reportfile {

struct Target {
    enum Kind { Missing, Empty, Existing };
    Kind kind = Missing;
    QString file; // the file written (a symbolic link's target)
};

// The file a path writes: the path itself, or where its symbolic links lead
// (a file that may not exist yet). Nothing when the links go round in a loop.
std::optional<QString> fileWritten(const QString& path);

// Checks the target at path (name: as the user knows it). An existing file
// must be a plain Word document (no macro-enabled one, no template) this
// process can read and replace keeping its owner, group and permissions, and
// not held open by an office program; a missing one needs a .docx name and a
// writable folder. What a writer of this program that was killed left beside
// it (its mark, temporaries, write lock) is removed on the way, unless the
// caller holds the write lock already. A lock of another program is Busy.
Outcome checkTarget(const QString& path, const QString& name, Target* target,
                    bool underWriteLock = false);

// Refuses a package whose main part (stored name mainPart, content types as
// in [Content_Types].xml) is not a plain document's.
Outcome checkMainPartType(const QString& name, const QString& mainPart,
                          const QByteArray& contentTypes);

} // namespace reportfile
