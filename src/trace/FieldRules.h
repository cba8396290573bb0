#pragma once

#include "trace/Field.h"

#include <QString>

#include <optional>

class Random;

// What happens when a parameter field changes: the numeric check of the
// feeder length and the VSWR, and the test distance derived from the length;
// and the bounds a plot's numbers must keep. The window and the command line
// both apply them, so they cannot drift apart.
namespace fieldrules {

// Why a field's text cannot be drawn from.
enum class Refusal {
    NotANumber,
    // A VSWR below 1: a VSWR is at least 1 by definition.
    BelowOne,
    // A feeder length or test distance of 0 or less.
    NotPositive,
};

// The message shown when a checked field receives a text that is not a number.
QString refusalMessage();
// The message for a refusal of the field's text: the one above for a text
// that is not a number, otherwise one that names the value and its bound.
QString refusalMessage(Field field, Refusal refusal, const QString& text);

// Whether the field's number lies beyond the bounds of a plot: the VSWR is at
// least 1, the feeder length and the test distance above 0. Other fields have
// none.
std::optional<Refusal> outOfBounds(Field field, double value);
// The same for a field's text: none for an empty text or a field that is not
// checked; NotANumber for a text of a checked field that is no number.
std::optional<Refusal> check(Field field, const QString& text);

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
// draw r from random, in whole metres. Bounds are not checked here: a number
// being typed passes through values beyond them ("0" on the way to "0.5").
Edit afterEdit(Field field, const QString& text, bool centred, Random& random, bool typing = false);

} // namespace fieldrules
