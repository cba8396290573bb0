#pragma once

#include "trace/FieldReader.h"
#include "trace/FieldRules.h"

#include <QObject>
#include <QString>

#include <array>
#include <optional>

class Random;

// The fourteen parameter fields: the one store every plot is drawn from. It
// applies the rules of an edit (the numeric check, the derived test
// distance) to every write and signals each change, so the main window's
// line edits, the command line and the batch all see the same fields.
class FieldSet : public QObject, public FieldReader {
    Q_OBJECT
public:
    // A text the rules refused, and why.
    struct Refusal {
        Field field;
        fieldrules::Refusal cause;
        QString text;
        // The message that says so, in the window's words.
        QString message() const { return fieldrules::refusalMessage(field, cause, text); }
    };

    // The fields start from their design defaults; the random generator
    // derives test distances.
    explicit FieldSet(Random& random, QObject* parent = nullptr);

    QString text(Field field) const override;
    QString caption(Field field) const override;

    // Whether the test distance is twice the feeder length.
    bool centred() const { return m_centred; }
    void setCentred(bool centred) { m_centred = centred; }

    // Writes the field as the program does: the rules run at once, even for
    // the text the field holds (a feeder length derives its test distance
    // anew). A text that is not a number where one is wanted empties the
    // field and is returned.
    std::optional<Refusal> write(Field field, const QString& text);
    // The user's edit: a number still being typed ("-", "1e") is let be.
    std::optional<Refusal> type(Field field, const QString& text);
    // The user leaves the field: a number left unfinished is refused and the
    // field emptied; a number beyond its bounds is refused and kept, for the
    // user to mend.
    std::optional<Refusal> leave(Field field);
    // Before a plot is drawn: the first of the feeder length, VSWR and test
    // distance whose number lies beyond its bounds.
    std::optional<Refusal> checkBounds() const;

signals:
    void changed(Field field);

private:
    std::optional<Refusal> apply(Field field, const QString& text, bool typing);
    void set(Field field, const QString& text);

    std::array<QString, kFieldCount> m_texts;
    Random& m_random;
    bool m_centred = false;
};
