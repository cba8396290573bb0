#pragma once

#include "trace/Field.h"

#include <QString>

#include <optional>

class Random;

// What happens when a parameter field changes: the numeric check of the
// feeder length and the VSWR, and the test distance derived from the length.
// The window and the command line both apply it, so they cannot drift apart.
namespace fieldrules {

// The message shown when a checked field receives a text that is not a number.
QString refusalMessage();

struct Edit {
    enum class Verdict {
        Accepted,
        // A number still being typed ("-", "1e"): checked again when the
        // editing ends.
        Unfinished,
        // Not a number where one is wanted: the field is emptied and the
        // refusal shown.
        Refused,
    };
    Verdict verdict = Verdict::Accepted;
    // The test distance a new feeder length derives.
    std::optional<QString> testDistance;
};

// The rules for the field's new text. typing: the user is still editing the
// field, so a number being typed is not refused yet. The test distance is
// twice the length when centred, otherwise length + length * r + 1 with one
// draw r from random, in whole metres.
Edit afterEdit(Field field, const QString& text, bool centred, Random& random, bool typing = false);

} // namespace fieldrules
