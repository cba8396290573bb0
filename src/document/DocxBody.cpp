#include "document/DocxBody.h"

#include "document/DocxTemplate.h"

#include <QRegularExpression>

#include <algorithm>

namespace docx {

namespace {

// Word's cell margins when neither the table nor the cell sets any.
constexpr double kDefaultCellMargin = 108;
// How much of a paragraph's text is read, and how much a message quotes.
constexpr qsizetype kLongestText = 64 * 1024;
constexpr qsizetype kQuoted = 40;

const QString kBookmarkName = QStringLiteral("veltrace");
const QString kSpans = QStringLiteral("跨越了多个段落或表格，只能标记一个段落");

// What an open element is, as far as the scan cares.
enum class Kind {
    Other,
    Body,
    BodySectPr,
    ParagraphSectPr,
    Paragraph,
    ParagraphProperties,
    Run,
    Text,
    ProofMark,
    Table,
    TableProperties,
    TableMargins,
    TableGrid,
    Row,
    RowProperties,
    Cell,
    CellProperties,
    CellMargins,
    TextBox,
};

struct Open {
    Kind kind;
    int serial;       // every element started gets the next number
    bool declares;    // it declares namespaces of its own
    ElementSpan span; // for paragraphs, runs and proofing marks
};

struct Paragraph {
    int serial = 0;
    int parentSerial = 0;
    ElementSpan span;
    QString text;
    bool textCut = false;
    QList<ElementSpan> content;
    Edit spacing{-1, -1, {}};
    // Nothing but properties, runs of plain text, proofing and range marks.
    bool simple = true;
    bool inTextBox = false;
    // An element around it (below the body) declares namespaces of its own.
    bool scopeDeclares = false;
    bool endsSection = false;
    int ownPictures = 0; // pictures of this program
    int runs = 0;
    int section = 0;
    double cellWidth = -1;
};

struct Table {
    QList<double> grid;
    double marginLeft = kDefaultCellMargin;
    double marginRight = kDefaultCellMargin;
    int column = 0;
};

struct Cell {
    int column = 0;
    int span = 1;
    double width = -1;
    double marginLeft = kDefaultCellMargin;
    double marginRight = kDefaultCellMargin;
};

// The bookmark "veltrace" while the scan follows it.
struct Mark {
    enum State { None, Waiting, Open, Placed };
    State state = None;
    QString id;
    int paragraph = -1; // the serial of the paragraph it marks
    bool ended = false; // its end was seen
    // Paragraphs, tables and runs started since its paragraph (or the pictures
    // after it) ended; 2 when its table cell ended.
    int contentSince = 0;
    bool following = false;
    int followParent = -1;
    BookmarkPoint point;
    QString problem;
};

QString wordAttribute(const QXmlStreamReader& reader, const QString& name) {
    return reader.attributes().value(QString(kWordNs), name).toString();
}

QString quoted(const QString& text) {
    return text.size() > kQuoted ? text.left(kQuoted - 1) + QChar(0x2026) : text;
}

// The width of a cell's text: its own width, else its grid columns', less
// its margins; negative when not known.
double textWidthOf(const Cell& cell, const Table& table) {
    double width = cell.width;
    if (width <= 0 && cell.column + cell.span <= table.grid.size()) {
        width = 0;
        for (int i = cell.column; i < cell.column + cell.span; ++i)
            width += std::max(0.0, table.grid.at(i));
    }
    if (width <= 0)
        return -1;
    const double inside = width - std::max(0.0, cell.marginLeft) - std::max(0.0, cell.marginRight);
    return inside > 0 ? inside : width;
}

// Moves on to a later grid column; a hostile count of columns stops at a
// limit far beyond any real table.
void advance(Table* table, int columns) {
    table->column = std::min(table->column + std::clamp(columns, 0, 1000), 1 << 16);
}

class BodyScanner {
public:
    BodyScanner(const QString& text, DocumentScan* scan)
        : m_text(text), m_scanner(text), m_reader(m_scanner.reader()), m_scan(scan) {}

    QString run() {
        while (m_scanner.next()) {
            if (m_reader.isStartElement() && !start())
                break;
            if (m_reader.isEndElement() && !end())
                break;
            if (m_reader.isCharacters() && !m_open.isEmpty() && m_open.last().kind == Kind::Text &&
                !m_paragraphs.isEmpty())
                addText(&m_paragraphs.last());
        }
        const QString cause = m_scanner.finish();
        if (!cause.isEmpty())
            return cause;
        if (!m_scan->body.isValid())
            return QStringLiteral("主文档部件中没有正文（w:body）");
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
    bool startBodyChild(Kind kind);
    void startInBodyChild();
    Kind kindOf() const;
    Kind parentKind() const { return m_open.isEmpty() ? Kind::Other : m_open.last().kind; }
    bool startInParagraph(Kind parent, Open* element);
    void startKind(const Open& element);
    void readWordElement(Kind parent);
    void startParagraph(const Open& element);
    void startTableElement(Kind kind);
    void readMeasure();
    void readMargin(Kind parent);
    void readLineSpacing();
    void noteDrawing();
    void bookmarkStart();
    void bookmarkEnd();
    void endParagraph(Paragraph paragraph);
    void placeholderParagraph(const Paragraph& paragraph);
    void followBookmark(const Paragraph& paragraph, int placeholder);
    void finishScan();
    void addText(Paragraph* paragraph) const {
        // A placeholder is short; a paragraph's text is read only as far as
        // one could reach.
        if (paragraph->text.size() < kLongestText)
            paragraph->text += m_reader.text();
        else
            paragraph->textCut = true;
    }
    void notice(const QString& text) {
        if (!m_scan->notices.contains(text))
            m_scan->notices.append(text);
    }

    const QString& m_text;
    XmlScanner m_scanner;
    QXmlStreamReader& m_reader;
    DocumentScan* m_scan;
    QList<Open> m_open;
    int m_serial = 0;
    int m_declaring = 0; // open elements below the body that declare namespaces
    int m_textBoxes = 0;
    QList<Paragraph> m_paragraphs;
    QList<Table> m_tables;
    QList<Cell> m_cells;
    Section m_section; // the section properties being read
    Section m_bodySection;
    Mark m_mark;

    // The body child being read and what it is.
    ElementSpan m_child;
    bool m_childIsParagraph = false;
    bool m_childIsBlock = false;
    bool m_paragraphIsEmpty = false;
};

Kind BodyScanner::kindOf() const {
    const QStringView name = m_reader.name();
    if (m_reader.namespaceUri() != kWordNs)
        return Kind::Other;
    const Kind parent = parentKind();
    struct Child {
        Kind parent;
        QStringView name;
        Kind kind;
    };
    static const Child children[] = {
        {Kind::Body, u"sectPr", Kind::BodySectPr},
        {Kind::ParagraphProperties, u"sectPr", Kind::ParagraphSectPr},
        {Kind::Paragraph, u"pPr", Kind::ParagraphProperties},
        {Kind::Paragraph, u"proofErr", Kind::ProofMark},
        {Kind::Run, u"t", Kind::Text},
        {Kind::Table, u"tblPr", Kind::TableProperties},
        {Kind::TableProperties, u"tblCellMar", Kind::TableMargins},
        {Kind::Table, u"tblGrid", Kind::TableGrid},
        {Kind::Row, u"trPr", Kind::RowProperties},
        {Kind::Cell, u"tcPr", Kind::CellProperties},
        {Kind::CellProperties, u"tcMar", Kind::CellMargins},
    };
    for (const Child& child : children) {
        if (child.parent == parent && child.name == name)
            return child.kind;
    }
    if (name == u"p")
        return Kind::Paragraph;
    if (name == u"r")
        return Kind::Run;
    if (name == u"tbl")
        return Kind::Table;
    if (name == u"tr")
        return Kind::Row;
    if (name == u"tc")
        return Kind::Cell;
    if (name == u"txbxContent")
        return Kind::TextBox;
    return Kind::Other;
}

bool BodyScanner::start() {
    Open element{kindOf(), ++m_serial, !m_reader.namespaceDeclarations().isEmpty(), {}};
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
    if (depth == 3 && parentKind() == Kind::Body && !startBodyChild(element.kind))
        return false;
    if (depth > 3 && m_open.at(1).kind == Kind::Body)
        startInBodyChild();
    if (element.declares && depth > 2)
        ++m_declaring;
    const Kind parent = parentKind();
    if (!startInParagraph(parent, &element))
        return false;
    m_open.append(element);
    startKind(element);
    if (m_reader.namespaceUri() == kWordNs)
        readWordElement(parent);
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
    if ((kind == Kind::Run || kind == Kind::ProofMark) && parent == Kind::Paragraph &&
        !m_scanner.startSpan(&element->span))
        return false;
    if (kind == Kind::Run && !m_paragraphs.isEmpty()) {
        ++m_paragraphs.last().runs;
        if (m_mark.state == Mark::Placed && !m_mark.ended)
            ++m_mark.contentSince;
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

void BodyScanner::readWordElement(Kind parent) {
    const QStringView name = m_reader.name();
    if (name == u"pgSz" || name == u"pgMar" || name == u"gridCol" || name == u"gridSpan" ||
        name == u"tcW" || name == u"gridBefore")
        readMeasure();
    else if (parent == Kind::TableMargins || parent == Kind::CellMargins)
        readMargin(parent);
    else if (parent == Kind::ParagraphProperties && name == u"spacing")
        readLineSpacing();
    else if (name == u"bookmarkStart")
        bookmarkStart();
    else if (name == u"bookmarkEnd")
        bookmarkEnd();
}

bool BodyScanner::startRoot() {
    if (m_reader.namespaceUri() == kStrictWordNs)
        return m_scanner.fail(QStringLiteral("使用 Strict Open XML 格式，只支持普通的 .docx 格式"));
    if (m_reader.name() != u"document" || m_reader.namespaceUri() != kWordNs)
        return m_scanner.fail(QStringLiteral("主文档部件的根元素是 %1，不是 Word 正文")
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

// A child of the body: what it is for the insertion point at the end.
bool BodyScanner::startBodyChild(Kind kind) {
    if (!m_scanner.startSpan(&m_child))
        return false;
    const bool isWord = m_reader.namespaceUri() == kWordNs;
    m_childIsParagraph = kind == Kind::Paragraph;
    m_childIsBlock = kind != Kind::BodySectPr && !(isWord && isRangeMark(m_reader.name()));
    // Markup in a paragraph that declares namespaces of its own could read
    // the new picture differently; such a paragraph is not filled.
    m_paragraphIsEmpty = m_childIsParagraph && m_reader.namespaceDeclarations().isEmpty();
    return true;
}

// Inside an empty-looking body paragraph: anything with content, or a section
// break after it, means it is not where the next picture goes.
void BodyScanner::startInBodyChild() {
    if (!m_childIsParagraph || !m_paragraphIsEmpty)
        return;
    const bool isWord = m_reader.namespaceUri() == kWordNs;
    const QStringView name = m_reader.name();
    const int depth = int(m_open.size()) + 1;
    if (depth == 4 && !(isWord && (name == u"pPr" || name == u"r" || isRangeMark(name))))
        m_paragraphIsEmpty = false;
    if (depth == 5 && m_open.at(3).kind == Kind::ParagraphProperties && name == u"sectPr")
        m_paragraphIsEmpty = false;
    if (depth == 5 && m_open.at(3).kind == Kind::Run && !(isWord && name == u"rPr"))
        m_paragraphIsEmpty = false;
}

void BodyScanner::startParagraph(const Open& element) {
    Paragraph paragraph;
    paragraph.serial = element.serial;
    paragraph.parentSerial = m_open.at(m_open.size() - 2).serial;
    paragraph.span = element.span;
    paragraph.inTextBox = m_textBoxes > 0;
    paragraph.scopeDeclares = m_declaring > (element.declares ? 1 : 0);
    paragraph.simple = !element.declares && !paragraph.scopeDeclares;
    paragraph.section = int(m_scan->sections.size());
    if (!m_cells.isEmpty() && !m_tables.isEmpty())
        paragraph.cellWidth = textWidthOf(m_cells.last(), m_tables.last());
    m_paragraphs.append(paragraph);
    if (m_mark.state == Mark::Placed && !m_mark.ended)
        ++m_mark.contentSince;
    if (m_mark.state == Mark::Waiting) {
        m_mark.state = Mark::Open;
        m_mark.paragraph = paragraph.serial;
    }
}

void BodyScanner::startTableElement(Kind kind) {
    if (kind == Kind::Table) {
        m_tables.append(Table());
        if (m_mark.state == Mark::Placed && !m_mark.ended)
            ++m_mark.contentSince;
        if (m_mark.state == Mark::Waiting && m_mark.problem.isEmpty())
            m_mark.problem = kSpans;
        if (m_mark.following && m_open.at(m_open.size() - 2).serial == m_mark.followParent)
            m_mark.following = false;
    } else if (kind == Kind::Row) {
        if (!m_tables.isEmpty())
            m_tables.last().column = 0;
    } else {
        // Pushed even outside a table, so that every cell's end pops its own.
        Cell cell;
        if (!m_tables.isEmpty()) {
            cell.column = m_tables.last().column;
            cell.marginLeft = m_tables.last().marginLeft;
            cell.marginRight = m_tables.last().marginRight;
        }
        m_cells.append(cell);
    }
}

// Page size and margins of a section, column widths of a table's grid, the
// width and span of a cell.
void BodyScanner::readMeasure() {
    const QStringView name = m_reader.name();
    const Kind parent = m_open.size() > 1 ? m_open.at(m_open.size() - 2).kind : Kind::Other;
    const bool section = parent == Kind::BodySectPr || parent == Kind::ParagraphSectPr;
    if (section && name == u"pgSz")
        m_section.pageWidth = parseTwips(wordAttribute(m_reader, QStringLiteral("w")));
    if (section && name == u"pgMar") {
        m_section.marginLeft = parseTwips(wordAttribute(m_reader, QStringLiteral("left")));
        m_section.marginRight = parseTwips(wordAttribute(m_reader, QStringLiteral("right")));
    }
    if (parent == Kind::TableGrid && name == u"gridCol" && !m_tables.isEmpty())
        m_tables.last().grid.append(parseTwips(wordAttribute(m_reader, QStringLiteral("w"))));
    if (parent == Kind::RowProperties && name == u"gridBefore" && !m_tables.isEmpty())
        advance(&m_tables.last(), wordAttribute(m_reader, QStringLiteral("val")).toInt());
    if (parent != Kind::CellProperties || m_cells.isEmpty())
        return;
    if (name == u"gridSpan")
        m_cells.last().span =
            std::clamp(wordAttribute(m_reader, QStringLiteral("val")).toInt(), 1, 1000);
    const QString type = wordAttribute(m_reader, QStringLiteral("type"));
    if (name == u"tcW" && (type.isEmpty() || type == u"dxa"))
        m_cells.last().width = parseTwips(wordAttribute(m_reader, QStringLiteral("w")));
}

// A cell margin of a table or of one cell, in twips.
void BodyScanner::readMargin(Kind parent) {
    const QStringView name = m_reader.name();
    const QString type = wordAttribute(m_reader, QStringLiteral("type"));
    if (!type.isEmpty() && type != u"dxa")
        return;
    const double width = parseTwips(wordAttribute(m_reader, QStringLiteral("w")));
    const bool left = name == u"left" || name == u"start";
    const bool right = name == u"right" || name == u"end";
    double* marginLeft = nullptr;
    double* marginRight = nullptr;
    if (parent == Kind::TableMargins && !m_tables.isEmpty()) {
        marginLeft = &m_tables.last().marginLeft;
        marginRight = &m_tables.last().marginRight;
    } else if (!m_cells.isEmpty()) {
        marginLeft = &m_cells.last().marginLeft;
        marginRight = &m_cells.last().marginRight;
    }
    if (marginLeft && left && width >= 0)
        *marginLeft = width;
    if (marginRight && right && width >= 0)
        *marginRight = width;
}

// A paragraph's exact line spacing, rewritten as a minimum in case the
// paragraph becomes a picture's.
void BodyScanner::readLineSpacing() {
    static const QRegularExpression exact(QStringLiteral("(lineRule\\s*=\\s*[\"'])exact([\"'])"));
    ElementSpan tag;
    if (m_paragraphs.isEmpty() || wordAttribute(m_reader, QStringLiteral("lineRule")) != u"exact" ||
        !m_scanner.startSpan(&tag))
        return;
    QString text = m_text.mid(tag.start, tag.startTagEnd - tag.start);
    text.replace(exact, QStringLiteral("\\1atLeast\\2"));
    m_paragraphs.last().spacing = {tag.start, tag.startTagEnd, text};
}

// Drawing ids are taken; a picture of this program marks its paragraph.
void BodyScanner::noteDrawing() {
    const QStringView name = m_reader.name();
    if (name != u"docPr" && name != u"cNvPr")
        return;
    bool ok = false;
    const quint64 id = m_reader.attributes().value(QStringLiteral("id")).toULongLong(&ok);
    if (ok && id <= 0xFFFFFFFFu)
        m_scan->drawingIds.insert(static_cast<quint32>(id));
    if (name == u"docPr" && m_reader.namespaceUri() == kWpNs && !m_paragraphs.isEmpty() &&
        m_reader.attributes().value(QStringLiteral("descr")).endsWith(pictureMark()))
        ++m_paragraphs.last().ownPictures;
}

void BodyScanner::bookmarkStart() {
    if (wordAttribute(m_reader, QStringLiteral("name"))
            .compare(kBookmarkName, Qt::CaseInsensitive) != 0)
        return;
    if (m_mark.state != Mark::None) {
        notice(QStringLiteral("文档中有多个名为“veltrace”的书签：只使用第一个。"));
        return;
    }
    m_mark.id = wordAttribute(m_reader, QStringLiteral("id"));
    const QXmlStreamAttributes attributes = m_reader.attributes();
    if (attributes.hasAttribute(QString(kWordNs), QStringLiteral("colFirst")))
        m_mark.problem = QStringLiteral("标记的是表格中的列，不是一个段落");
    m_mark.state = m_paragraphs.isEmpty() ? Mark::Waiting : Mark::Open;
    if (!m_paragraphs.isEmpty())
        m_mark.paragraph = m_paragraphs.last().serial;
}

// The bookmark's end must lie in its paragraph or right after it (Word ends
// a bookmark of a whole paragraph at the start of the next one).
void BodyScanner::bookmarkEnd() {
    if (m_mark.state == Mark::None || m_mark.ended ||
        wordAttribute(m_reader, QStringLiteral("id")) != m_mark.id)
        return;
    m_mark.ended = true;
    if (m_mark.state != Mark::Placed || m_mark.contentSince == 0)
        return;
    const bool nextParagraphStarts = m_mark.contentSince == 1 && !m_paragraphs.isEmpty() &&
                                     m_paragraphs.last().runs == 0 &&
                                     m_paragraphs.last().parentSerial == m_mark.followParent;
    if (!nextParagraphStarts && m_mark.problem.isEmpty())
        m_mark.problem = kSpans;
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
    if (m_mark.state == Mark::Placed && element.serial == m_mark.followParent) {
        m_mark.following = false;
        // Its paragraph's table cell (or the body) ends before the bookmark.
        if (!m_mark.ended)
            m_mark.contentSince = 2;
    }
    return endKind(element);
}

bool BodyScanner::endBodyChild(Kind kind) {
    if (!m_scanner.endSpan(&m_child))
        return false;
    if (kind == Kind::BodySectPr) {
        m_scan->sectPr = m_child;
        m_bodySection = m_section;
    } else if (m_childIsBlock) {
        m_scan->lastBlock = m_child;
        m_scan->lastBlockIsEmptyParagraph = m_childIsParagraph && m_paragraphIsEmpty;
    }
    return true;
}

bool BodyScanner::endKind(const Open& element) {
    switch (element.kind) {
    case Kind::Paragraph: {
        Paragraph paragraph = m_paragraphs.takeLast();
        if (!m_scanner.endSpan(&paragraph.span))
            return false;
        endParagraph(paragraph);
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
    case Kind::ParagraphSectPr:
        if (m_paragraphs.size() == 1 && m_open.size() == 4) {
            m_paragraphs.last().endsSection = true;
            m_scan->sections.append(m_section);
        }
        break;
    case Kind::TextBox:
        --m_textBoxes;
        break;
    case Kind::Table:
        if (!m_tables.isEmpty())
            m_tables.removeLast();
        break;
    case Kind::Cell:
        if (!m_cells.isEmpty()) {
            if (!m_tables.isEmpty())
                advance(&m_tables.last(), m_cells.last().span);
            m_cells.removeLast();
        }
        break;
    default:
        break;
    }
    return true;
}

void BodyScanner::endParagraph(Paragraph paragraph) {
    const int placeholders = int(m_scan->placeholders.size());
    placeholderParagraph(paragraph);
    const int placeholder = m_scan->placeholders.size() > placeholders ? placeholders : -1;
    if (m_mark.state == Mark::Open && m_mark.paragraph == paragraph.serial) {
        m_mark.state = Mark::Placed;
        if (paragraph.inTextBox)
            m_mark.problem = QStringLiteral("位于文本框中");
        else if (paragraph.scopeDeclares)
            m_mark.problem = QStringLiteral("所在的表格或内容控件声明了自己的 XML 命名空间");
        m_mark.point.after = paragraph.span.end;
        m_mark.point.cellWidth = paragraph.cellWidth;
        m_mark.point.section = paragraph.section + (paragraph.endsSection ? 1 : 0);
        m_mark.following = true;
        m_mark.followParent = paragraph.parentSerial;
        return;
    }
    if (m_mark.following && paragraph.parentSerial == m_mark.followParent)
        followBookmark(paragraph, placeholder);
}

// The pictures put after the bookmark before, and placeholders right after
// it, are passed over: new pictures go behind them.
void BodyScanner::followBookmark(const Paragraph& paragraph, int placeholder) {
    const bool own = paragraph.ownPictures > 0 && paragraph.text.trimmed().isEmpty();
    if (!own && placeholder < 0) {
        m_mark.following = false;
        return;
    }
    m_mark.point.followers.append({paragraph.span.end, own ? -1 : placeholder});
    // A bookmark Word ends at the start of the paragraph after its own ends
    // there still once pictures stand between them.
    if (!m_mark.ended)
        m_mark.contentSince = 0;
}

void BodyScanner::placeholderParagraph(const Paragraph& paragraph) {
    const QString text = paragraph.text.trimmed();
    const std::optional<QString> segment =
        paragraph.textCut ? std::nullopt : placeholderSegment(text);
    if (!segment && !mentionsPlaceholder(text))
        return;
    if (paragraph.inTextBox) {
        notice(QStringLiteral("文档的文本框中有占位符“%1”：文本框中的占位符不会放入驻波图，"
                              "保持原样。")
                   .arg(quoted(text)));
    } else if (!segment) {
        notice(QStringLiteral("文档中的段落“%1”含有占位符，但还有其他文字：占位符必须单独成段，"
                              "这个段落保持原样。")
                   .arg(quoted(text)));
    } else if (!paragraph.simple || paragraph.content.isEmpty()) {
        notice(QStringLiteral("文档中的占位符“%1”所在的段落还有其他内容（修订、超链接、域、"
                              "图片等），不能替换，保持原样。")
                   .arg(quoted(text)));
    } else {
        m_scan->placeholders.append({paragraph.span, paragraph.content, paragraph.spacing, text,
                                     *segment, paragraph.cellWidth, paragraph.section});
    }
}

void BodyScanner::finishScan() {
    m_scan->sections.append(m_bodySection);
    // Content after the body's section properties is not where Word would
    // type; the new paragraphs go before the section properties instead.
    if (m_scan->sectPr.isValid() && m_scan->lastBlock.start > m_scan->sectPr.start)
        m_scan->lastBlockIsEmptyParagraph = false;
    if (m_mark.state == Mark::None)
        return;
    if (m_mark.state != Mark::Placed && m_mark.problem.isEmpty())
        m_mark.problem = QStringLiteral("后面没有可以标记的段落");
    if (m_mark.problem.isEmpty()) {
        m_scan->bookmark = m_mark.point;
        return;
    }
    notice(QStringLiteral("文档中的书签“veltrace”%1：不按书签放置驻波图，"
                          "改为放到占位符处或文档末尾。")
               .arg(m_mark.problem));
}

} // namespace

double Section::textWidth() const {
    if (pageWidth <= 0)
        return -1;
    const double width = pageWidth - std::max(0.0, marginLeft) - std::max(0.0, marginRight);
    return width > 0 ? width : -1;
}

QString pictureMark() {
    return QStringLiteral("（由 Veltrace 合成）");
}

QString scanDocument(const QString& text, DocumentScan* scan) {
    return BodyScanner(text, scan).run();
}

} // namespace docx
