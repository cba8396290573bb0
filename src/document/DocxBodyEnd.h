#pragma once

#include "document/DocxParagraph.h"
#include "document/DocxXml.h"

// Where typing at the end of the body goes, followed through the body scan:
// the last block of the body (before its own section properties), and
// whether it is an empty paragraph that a picture may fill.
namespace docx {

// Where the body ends.
struct BodyEnd {
    // The last block-level element of the body (before its own sectPr), and
    // whether it is an empty paragraph: nothing but paragraph properties,
    // bookmarks and runs without content (LibreOffice writes <w:r><w:rPr/></w:r>
    // for an empty paragraph).
    ElementSpan lastBlock;
    bool lastBlockIsEmptyParagraph = false;
    ParagraphPlace lastParagraph; // when the last block is a paragraph
    // The body-level section properties (the last section's).
    ElementSpan sectPr;
};

class BodyEndTracker {
public:
    explicit BodyEndTracker(XmlScanner& scanner) : m_scanner(scanner) {}

    // A child of the body starts: the reader stands on it.
    bool startChild(bool paragraph, bool sectionProperties);
    // An element starts inside the child, level below it (1: the child's own
    // child), under the child's properties or a run of it.
    void startInside(int level, bool underProperties, bool underRun);
    // The paragraph's mark is a tracked deletion: not where typing goes.
    void markDeleted() { m_empty = false; }
    // The child ends; place: the paragraph's when it is one.
    bool endChild(const ParagraphPlace* place, BodyEnd* scan);

private:
    XmlScanner& m_scanner;
    ElementSpan m_child;
    bool m_paragraph = false;
    bool m_block = false;
    bool m_sectionProperties = false;
    bool m_empty = false;
};

} // namespace docx
