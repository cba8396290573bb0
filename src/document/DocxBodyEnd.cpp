#include "document/DocxBodyEnd.h"

namespace docx {

bool BodyEndTracker::startChild(bool paragraph, bool sectionProperties) {
    if (!m_scanner.startSpan(&m_child))
        return false;
    const QXmlStreamReader& reader = m_scanner.reader();
    const bool isWord = reader.namespaceUri() == kWordNs;
    m_paragraph = paragraph;
    m_sectionProperties = sectionProperties;
    m_block = !sectionProperties && !(isWord && isRangeMark(reader.name()));
    // Markup in a paragraph that declares namespaces of its own could read
    // the new picture differently; such a paragraph is not filled.
    m_empty = paragraph && reader.namespaceDeclarations().isEmpty();
    return true;
}

// Inside an empty-looking body paragraph: anything with content, or a section
// break after it, means it is not where the next picture goes.
void BodyEndTracker::startInside(int level, bool underProperties, bool underRun) {
    if (!m_paragraph || !m_empty)
        return;
    const QXmlStreamReader& reader = m_scanner.reader();
    const bool isWord = reader.namespaceUri() == kWordNs;
    const QStringView name = reader.name();
    if (level == 1 && !(isWord && (name == u"pPr" || name == u"r" || isRangeMark(name))))
        m_empty = false;
    if (level == 2 && underProperties && name == u"sectPr")
        m_empty = false;
    if (level == 2 && underRun && !(isWord && name == u"rPr"))
        m_empty = false;
}

bool BodyEndTracker::endChild(const ParagraphPlace* place, BodyEnd* scan) {
    if (!m_scanner.endSpan(&m_child))
        return false;
    if (m_sectionProperties) {
        scan->sectPr = m_child;
    } else if (m_block) {
        scan->lastBlock = m_child;
        scan->lastBlockIsEmptyParagraph = m_paragraph && m_empty;
        if (m_paragraph && place)
            scan->lastParagraph = *place;
    }
    return true;
}

} // namespace docx
