#include "document/DocxBody.h"

#include "document/DocxBodyEnd.h"
#include "document/DocxBodyKinds.h"
#include "document/DocxPicture.h"
#include "document/DocxPlaceholders.h"
#include "document/DocxSideParts.h"
#include "document/DocxTables.h"

#include <algorithm>

#include <QCoreApplication>

namespace docx {

namespace {

// How much of a paragraph's text is read.
constexpr qsizetype kLongestText = 64 * 1024;

using Kind = BodyElement;

struct Open {
    Kind kind;
    int serial;       // every element started gets the next number
    bool declares;    // it declares namespaces of its own
    ElementSpan span; // for paragraphs, runs and proofing marks
};

using Paragraph = ScannedParagraph;

class BodyScanner {
public:
    BodyScanner(const QString& text, DocumentScan* scan)
        : m_text(text), m_scanner(text), m_reader(m_scanner.reader()), m_scan(scan),
          m_tables(m_scanner, text), m_end(m_scanner), m_template(m_scanner) {}

    Result<> run() {
        while (m_scanner.next()) {
            if (m_reader.isStartElement() && !start())
                break;
            if (m_reader.isEndElement() && !end())
                break;
            if (m_reader.isCharacters() && !m_open.isEmpty() && m_open.last().kind == Kind::Text &&
                !m_paragraphs.isEmpty())
                addText(&m_paragraphs.last());
        }
        if (Result<> read = m_scanner.finish(); !read)
            return read;
        if (!m_scan->body.isValid())
            return Failed{
                QCoreApplication::translate("document", "主文档部件中没有正文（w:body）")};
        finishScan();
        return {};
    }

private:
    bool start();
    bool end();
    bool endBodyChild(Kind kind);
    bool endKind(const Open& element);
    bool startRoot();
    bool startBody();
    Kind parentKind() const { return m_open.isEmpty() ? Kind::Other : m_open.last().kind; }
    bool startInParagraph(Kind parent, Open* element);
    void startKind(const Open& element);
    bool readWordElement(Kind parent);
    void startParagraph(const Open& element);
    void startTableElement(Kind kind);
    void noteDrawing();
    QString hiddenPlace() const;
    void deletedParagraphMark();
    const Paragraph* openParagraph() const {
        return m_paragraphs.isEmpty() ? nullptr : &m_paragraphs.last();
    }
    void endParagraph(Paragraph paragraph);
    bool endParagraphProperties(const Open& element);
    void placeholderParagraph(const Paragraph& paragraph);
    void finishScan();
    void addText(Paragraph* paragraph) const {
        // A placeholder is short; a paragraph's text is read only as far as
        // one could reach.
        if (paragraph->text.size() < kLongestText)
            paragraph->text += m_reader.text();
        else
            paragraph->textCut = true;
    }

    const QString& m_text;
    XmlScanner m_scanner;
    QXmlStreamReader& m_reader;
    DocumentScan* m_scan;
    QList<Open> m_open;
    int m_serial = 0;
    int m_declaring = 0; // open elements below the body that declare namespaces
    int m_textBoxes = 0;
    int m_alternatives = 0; // open alternatives of mc:AlternateContent
    int m_deletions = 0;    // open tracked deletions
    QList<Paragraph> m_paragraphs;
    TableTracker m_tables;
    Section m_section; // the section properties being read
    Section m_bodySection;
    BookmarkTracker m_mark;

    BodyEndTracker m_end;
    TemplateTracker m_template;
};

bool BodyScanner::start() {
    Open element{kindOf(m_reader, parentKind()),
                 ++m_serial,
                 !m_reader.namespaceDeclarations().isEmpty(),
                 {}};
    const int depth = int(m_open.size()) + 1;
    if (depth == 1)
        return startRoot();
    if (depth == 2 && !m_scan->body.isValid() && m_reader.namespaceUri() == kWordNs &&
        m_reader.name() == u"body") {
        element.kind = Kind::Body;
        m_open.append(element);
        return startBody();
    }
    if (depth == 2)
        element.kind = Kind::Other;
    if (depth == 3 && parentKind() == Kind::Body &&
        !m_end.startChild(element.kind == Kind::Paragraph, element.kind == Kind::BodySectPr))
        return false;
    if (depth > 3 && m_open.at(1).kind == Kind::Body)
        m_end.startInside(depth - 3, depth == 5 && m_open.at(3).kind == Kind::ParagraphProperties,
                          depth == 5 && m_open.at(3).kind == Kind::Run);
    if (element.declares && depth > 2)
        ++m_declaring;
    const Kind parent = parentKind();
    if (!startInParagraph(parent, &element))
        return false;
    m_open.append(element);
    startKind(element);
    if (m_reader.namespaceUri() == kWordNs && !readWordElement(parent))
        return false;
    noteDrawing();
    return true;
}

// What a paragraph holds: its runs and proofing marks are placed, anything
// but plain text makes it no placeholder.
bool BodyScanner::startInParagraph(Kind parent, Open* element) {
    const bool isWord = m_reader.namespaceUri() == kWordNs;
    const QStringView name = m_reader.name();
    const Kind kind = element->kind;
    if (parent == Kind::Paragraph && kind != Kind::ParagraphProperties && kind != Kind::Run &&
        kind != Kind::ProofMark && !(isWord && isRangeMark(name)))
        m_paragraphs.last().simple = false;
    if (parent == Kind::Run && kind != Kind::Text && !m_paragraphs.isEmpty() &&
        !(isWord && (name == u"rPr" || name == u"lastRenderedPageBreak")))
        m_paragraphs.last().simple = false;
    if ((kind == Kind::Run || kind == Kind::ProofMark || kind == Kind::ParagraphProperties) &&
        parent == Kind::Paragraph && !m_scanner.startSpan(&element->span))
        return false;
    if (kind == Kind::Run && !m_paragraphs.isEmpty()) {
        ++m_paragraphs.last().runs;
        m_mark.runStarted();
    }
    return kind != Kind::Paragraph || m_scanner.startSpan(&element->span);
}

void BodyScanner::startKind(const Open& element) {
    switch (element.kind) {
    case Kind::Paragraph:
        startParagraph(element);
        break;
    case Kind::TextBox:
        ++m_textBoxes;
        break;
    case Kind::Alternative:
        ++m_alternatives;
        break;
    case Kind::Deletion:
        ++m_deletions;
        if (m_open.at(m_open.size() - 2).kind == Kind::ParagraphMarkProperties)
            deletedParagraphMark();
        break;
    case Kind::BodySectPr:
    case Kind::ParagraphSectPr:
        m_section = Section();
        break;
    case Kind::Table:
    case Kind::Row:
    case Kind::Cell:
        startTableElement(element.kind);
        break;
    default:
        break;
    }
}

bool BodyScanner::readWordElement(Kind parent) {
    using Scope = TableTracker::Scope;
    static const std::pair<Kind, Scope> tableScopes[] = {
        {Kind::TableProperties, Scope::TableProperties},
        {Kind::TableMargins, Scope::TableMargins},
        {Kind::TableGrid, Scope::TableGrid},
        {Kind::RowProperties, Scope::RowProperties},
        {Kind::CellProperties, Scope::CellProperties},
        {Kind::CellMargins, Scope::CellMargins}};
    const QStringView name = m_reader.name();
    if (parent == Kind::BodySectPr || parent == Kind::ParagraphSectPr || parent == Kind::Columns) {
        readSectionProperty(m_reader, &m_section);
        return true;
    }
    for (const auto& [kind, scope] : tableScopes) {
        if (parent == kind)
            return m_tables.readProperty(scope, m_reader);
    }
    if (parent == Kind::ParagraphProperties || parent == Kind::NumberingProperties)
        return readPlaceProperty(m_scanner, m_text, parent == Kind::NumberingProperties,
                                 &m_paragraphs.last().place);
    if (name == u"bookmarkStart")
        m_mark.start(m_reader, openParagraph(), &m_scan->notices);
    else if (name == u"bookmarkEnd")
        m_mark.end(m_reader, openParagraph());
    return true;
}

bool BodyScanner::startRoot() {
    if (m_reader.namespaceUri() == kStrictWordNs)
        return m_scanner.fail(QCoreApplication::translate(
            "document", "使用 Strict Open XML 格式，只支持普通的 .docx 格式"));
    if (m_reader.name() != u"document" || m_reader.namespaceUri() != kWordNs)
        return m_scanner.fail(
            QCoreApplication::translate("document", "主文档部件的根元素是 %1，不是 Word 正文")
                .arg(m_reader.qualifiedName()));
    if (!m_scanner.startSpan(&m_scan->root))
        return false;
    for (const QXmlStreamNamespaceDeclaration& ns : m_reader.namespaceDeclarations())
        m_scan->rootDeclared.insert(ns.prefix().toString(), ns.namespaceUri().toString());
    m_scan->namespaces = m_scan->rootDeclared;
    m_open.append({Kind::Other, ++m_serial, false, {}});
    return true;
}

bool BodyScanner::startBody() {
    if (!m_scanner.startSpan(&m_scan->body))
        return false;
    m_scan->wordPrefix = m_reader.prefix().toString();
    for (const QXmlStreamNamespaceDeclaration& ns : m_reader.namespaceDeclarations())
        m_scan->namespaces.insert(ns.prefix().toString(), ns.namespaceUri().toString());
    return true;
}

void BodyScanner::startParagraph(const Open& element) {
    Paragraph paragraph;
    paragraph.serial = element.serial;
    paragraph.parentSerial = m_open.at(m_open.size() - 2).serial;
    paragraph.span = element.span;
    paragraph.inTextBox = m_textBoxes > 0;
    paragraph.hidden = hiddenPlace();
    paragraph.scopeDeclares = m_declaring > (element.declares ? 1 : 0);
    paragraph.simple = !element.declares && !paragraph.scopeDeclares;
    paragraph.place.startTagEnd = element.span.startTagEnd;
    paragraph.place.section = int(m_scan->sections.size());
    paragraph.place.cellWidth = m_tables.cellWidth();
    paragraph.place.rows = m_tables.exactRows();
    m_paragraphs.append(paragraph);
    m_mark.paragraphStarted(paragraph.serial);
}

void BodyScanner::startTableElement(Kind kind) {
    if (kind == Kind::Table) {
        m_tables.startTable();
        m_mark.tableStarted(m_open.at(m_open.size() - 2).serial);
    } else if (kind == Kind::Row) {
        m_tables.startRow();
        m_template.rowStarted();
    } else {
        m_tables.startCell();
    }
}

// Why what starts here is not shown as it stands, or an empty string.
QString BodyScanner::hiddenPlace() const {
    if (m_alternatives > 0)
        return QCoreApplication::translate("document",
                                           "位于兼容性替代内容（mc:AlternateContent）中");
    if (m_deletions > 0)
        return QCoreApplication::translate("document", "位于修订中已删除的内容中");
    return m_tables.hiddenPlace();
}

// The paragraph's mark is a tracked deletion: accepted, it runs into the next
// paragraph; at the end of the body it is not where typing goes.
void BodyScanner::deletedParagraphMark() {
    if (m_paragraphs.isEmpty())
        return;
    if (m_paragraphs.last().hidden.isEmpty())
        m_paragraphs.last().hidden =
            QCoreApplication::translate("document", "所在的段落在修订中已被删除");
    if (m_paragraphs.size() == 1)
        m_end.markDeleted();
}

// Drawing ids are taken; a picture of this program marks its paragraph.
void BodyScanner::noteDrawing() {
    m_template.drawingElement(m_reader);
    if (const auto id = drawingId(m_reader))
        m_scan->drawingIds.insert(*id);
    if (m_reader.name() == u"docPr" && m_reader.namespaceUri() == kWpNs &&
        !m_paragraphs.isEmpty() &&
        m_reader.attributes().value(QStringLiteral("descr")).endsWith(pictureMark()))
        ++m_paragraphs.last().ownPictures;
}

bool BodyScanner::end() {
    const Open element = m_open.takeLast();
    const int depth = int(m_open.size()) + 1;
    if (element.declares && depth > 2)
        --m_declaring;
    if (depth == 1)
        return m_scanner.endSpan(&m_scan->root);
    if (element.kind == Kind::Body)
        return m_scanner.endSpan(&m_scan->body);
    if (depth == 3 && parentKind() == Kind::Body && !endBodyChild(element.kind))
        return false;
    m_mark.elementEnded(element.serial);
    return endKind(element);
}

bool BodyScanner::endBodyChild(Kind kind) {
    if (kind == Kind::BodySectPr)
        m_bodySection = m_section;
    return m_end.endChild(kind == Kind::Paragraph ? &m_paragraphs.last().place : nullptr, m_scan);
}

bool BodyScanner::endKind(const Open& element) {
    switch (element.kind) {
    case Kind::Paragraph: {
        Paragraph paragraph = m_paragraphs.takeLast();
        if (!m_scanner.endSpan(&paragraph.span))
            return false;
        endParagraph(paragraph);
        m_template.paragraphEnded(paragraph, parentKind() == Kind::Cell);
        break;
    }
    case Kind::Run:
    case Kind::ProofMark:
        if (parentKind() == Kind::Paragraph) {
            ElementSpan span = element.span;
            if (!m_scanner.endSpan(&span))
                return false;
            m_paragraphs.last().content.append(span);
        }
        break;
    case Kind::ParagraphProperties:
        return endParagraphProperties(element);
    case Kind::ParagraphSectPr:
        if (m_paragraphs.size() == 1 && m_open.size() == 4) {
            m_paragraphs.last().endsSection = true;
            m_scan->sections.append(m_section);
        }
        break;
    case Kind::TextBox:
        --m_textBoxes;
        break;
    case Kind::Alternative:
        --m_alternatives;
        break;
    case Kind::Deletion:
        --m_deletions;
        break;
    case Kind::Table:
        m_tables.endTable();
        m_template.tableEnded(m_open.last().serial);
        break;
    case Kind::Row:
        m_template.rowEnded();
        break;
    case Kind::Cell:
        m_tables.endCell();
        break;
    default:
        break;
    }
    return true;
}

// A paragraph's own properties: where a spacing element would go in them.
bool BodyScanner::endParagraphProperties(const Open& element) {
    ElementSpan span = element.span;
    if (!m_scanner.endSpan(&span))
        return false;
    ParagraphPlace& place = m_paragraphs.last().place;
    if (place.properties.isValid())
        return true;
    place.properties = span;
    if (place.spacingAt < 0 && !span.selfClosing())
        place.spacingAt = span.endTagStart;
    return true;
}

void BodyScanner::endParagraph(Paragraph paragraph) {
    const int placeholders = int(m_scan->placeholders.size());
    placeholderParagraph(paragraph);
    m_mark.paragraphEnded(paragraph,
                          m_scan->placeholders.size() > placeholders ? placeholders : -1);
}

void BodyScanner::placeholderParagraph(const Paragraph& paragraph) {
    const PlaceholderVerdict verdict = judgePlaceholder(paragraph);
    if (verdict.refused)
        m_scan->notices.add(*verdict.refused, verdict.example);
    else if (verdict.segment)
        m_scan->placeholders.append({paragraph.span, paragraph.content, paragraph.text.trimmed(),
                                     *verdict.segment, paragraph.place});
}

void BodyScanner::finishScan() {
    m_scan->sections.append(m_bodySection);
    // Content after the body's section properties is not where Word would
    // type; the new paragraphs go before the section properties instead.
    if (m_scan->sectPr.isValid() && m_scan->lastBlock.start > m_scan->sectPr.start)
        m_scan->lastBlockIsEmptyParagraph = false;
    m_scan->bookmark = m_mark.finish(&m_scan->notices);
    m_template.finish(&m_scan->fill, &m_scan->notices);
}

} // namespace

Result<DocumentScan> scanDocument(const QString& text) {
    DocumentScan scan;
    if (Result<> read = BodyScanner(text, &scan).run(); !read)
        return read.failed();
    return scan;
}

} // namespace docx
