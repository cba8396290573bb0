#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// What a document's placeholders and bookmark could not do, counted by kind.
// Each kind is said once, with how many there were and the first few of
// them, each shortened: a document of a hundred thousand such placeholders
// costs no more to read and to tell than one of a few.
namespace docx {

class Notices {
public:
    enum class Kind {
        InTextBox,     // a placeholder in a text box
        Hidden,        // a placeholder where readers show nothing
        WithOtherText, // a paragraph with a placeholder and other text
        WithOtherContent,
        Duplicate,        // a segment with more than one placeholder
        InHeaderOrFooter, // placeholders in headers or footers
        SecondBookmark,
        BookmarkUnusable, // the bookmark marks no one paragraph
        PartsLeftOut,     // parts not read (unreadable, or past the limit)
        UnusedSegment,    // a placeholder for a segment a run did not have
        UnusedPlain,      // placeholders for any plot a run left
        SectionMarkers,   // markers of a repeated section that cannot be paired
        DocumentLimit,    // the document's VSWR limit differs from the user's
    };
    // The first few examples of a kind are kept, each cut to this length.
    static constexpr int kExamples = 3;
    static constexpr qsizetype kExampleLength = 40;

    // One of the kind; an example said again is not counted again.
    void add(Kind kind, const QString& example = {});
    // So many of the kind, without examples.
    void addCount(Kind kind, int count);
    void add(const Notices& other);

    bool isEmpty() const { return m_order.isEmpty(); }
    int count(Kind kind) const { return m_entries.value(kind).count; }
    // The kinds in the order they were first met.
    QList<Kind> kinds() const { return m_order; }
    // One sentence for a kind.
    QString line(Kind kind) const;
    QStringList lines() const;

private:
    struct Entry {
        int count = 0;
        QStringList examples;
        // The examples met, shortened: what is counted once.
        QSet<QString> seen;
    };
    Entry& entry(Kind kind);

    QHash<Kind, Entry> m_entries;
    QList<Kind> m_order;
};

} // namespace docx
