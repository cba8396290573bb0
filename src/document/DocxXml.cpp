#include "document/DocxXml.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>

namespace docx {

namespace {

QString malformed(const QXmlStreamReader& reader) {
    return QCoreApplication::translate("document", "不是格式正确的 XML（第 %1 行第 %2 列：%3）")
        .arg(reader.lineNumber())
        .arg(reader.columnNumber())
        .arg(reader.errorString());
}

} // namespace

XmlScanner::XmlScanner(const QString& text) : m_text(text), m_reader(text) {}

bool XmlScanner::next() {
    if (!m_cause.isEmpty() || m_reader.atEnd())
        return false;
    switch (m_reader.readNext()) {
    case QXmlStreamReader::DTD:
        return fail(QCoreApplication::translate(
            "document", "含有文档类型声明（DOCTYPE），出于安全原因拒绝处理"));
    case QXmlStreamReader::StartDocument: {
        const QStringView encoding = m_reader.documentEncoding();
        if (!encoding.isEmpty() && encoding.compare(u"UTF-8", Qt::CaseInsensitive) != 0)
            return fail(QCoreApplication::translate("document", "使用 %1 编码，只支持 UTF-8")
                            .arg(encoding));
        return true;
    }
    case QXmlStreamReader::Invalid:
        return fail(malformed(m_reader));
    case QXmlStreamReader::EndDocument:
        return false;
    default:
        return true;
    }
}

bool XmlScanner::fail(const QString& cause) {
    if (m_cause.isEmpty())
        m_cause = cause;
    return false;
}

bool XmlScanner::startSpan(ElementSpan* span) {
    const qsizetype end = m_reader.characterOffset();
    // A start tag cannot hold '<' (not even in an attribute value), so the
    // last '<' before its '>' is where it begins.
    const qsizetype start = end > 0 ? m_text.lastIndexOf(u'<', end - 1) : -1;
    if (end > m_text.size() || start < 0 || m_text.at(end - 1) != u'>')
        return fail(QCoreApplication::translate("document", "无法定位元素 %1")
                        .arg(m_reader.qualifiedName()));
    span->start = start;
    span->startTagEnd = end;
    span->qualifiedName = m_reader.qualifiedName().toString();
    return true;
}

bool XmlScanner::endSpan(ElementSpan* span) {
    const qsizetype end = m_reader.characterOffset();
    if (end == span->startTagEnd) {
        span->endTagStart = span->end = end;
        return true;
    }
    const qsizetype tagStart = end > 0 ? m_text.lastIndexOf(u'<', end - 1) : -1;
    if (end > m_text.size() || tagStart < span->startTagEnd || m_text.at(end - 1) != u'>' ||
        m_text.at(tagStart + 1) != u'/')
        return fail(QCoreApplication::translate("document", "无法定位元素 %1 的结束标记")
                        .arg(span->qualifiedName));
    span->endTagStart = tagStart;
    span->end = end;
    return true;
}

Result<> XmlScanner::finish() {
    if (m_cause.isEmpty() && m_reader.hasError())
        fail(malformed(m_reader));
    if (!m_cause.isEmpty())
        return Failed{m_cause};
    return {};
}

QString wordAttribute(const QXmlStreamReader& reader, const QString& name) {
    return reader.attributes().value(QString(kWordNs), name).toString();
}

bool isOn(QStringView value) {
    return value != u"0" && value != u"false" && value != u"off";
}

QString writtenName(const QXmlStreamReader& reader, const QString& name) {
    for (const QXmlStreamAttribute& attribute : reader.attributes()) {
        if (attribute.namespaceUri() == kWordNs && attribute.name() == name)
            return attribute.qualifiedName().toString();
    }
    return {};
}

QString withValue(QStringView startTag, const QString& written, const QString& value) {
    const QRegularExpression pattern(QStringLiteral("(\\s%1\\s*=\\s*)(\"[^\"]*\"|'[^']*')")
                                         .arg(QRegularExpression::escape(written)));
    return startTag.toString().replace(pattern, QStringLiteral("\\1\"%1\"").arg(escapeXml(value)));
}

QString wordAttributes(const QString& prefix,
                       const QList<std::pair<QString, QString>>& attributes) {
    // Unprefixed attributes are in no namespace, even on an element in the
    // default one.
    const QString own = prefix.isEmpty() ? QStringLiteral("w") : prefix;
    QString text = prefix.isEmpty() ? QStringLiteral(" xmlns:w=\"%1\"").arg(kWordNs) : QString();
    for (const auto& [name, value] : attributes)
        text += QStringLiteral(" %1:%2=\"%3\"").arg(own, name, escapeXml(value));
    return text;
}

QString withAttributes(QStringView startTag, const QString& attributes) {
    const qsizetype close = startTag.endsWith(u"/>") ? startTag.size() - 2 : startTag.size() - 1;
    return startTag.left(close).toString() + attributes + startTag.mid(close).toString();
}

// "prefix:local", or "local" for the default namespace.
QString qualified(const QString& prefix, QStringView local) {
    return prefix.isEmpty() ? local.toString() : prefix + QLatin1Char(':') + local.toString();
}

// The prefix of a qualified name, empty for none.
QString prefixOf(const QString& qualifiedName) {
    const qsizetype colon = qualifiedName.indexOf(u':');
    return colon < 0 ? QString() : qualifiedName.left(colon);
}

bool isRangeMark(QStringView name) {
    return name == u"bookmarkStart" || name == u"bookmarkEnd" || name == u"proofErr" ||
           name == u"permStart" || name == u"permEnd" || name.endsWith(u"RangeStart") ||
           name.endsWith(u"RangeEnd");
}

Result<XmlPart> decodePart(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return Failed{QCoreApplication::translate("document", "使用 UTF-16 编码，只支持 UTF-8")};
    const qsizetype bomSize = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    const QByteArray body = bytes.mid(bomSize);
    XmlPart part{bytes.left(bomSize), QString::fromUtf8(body)};
    // Splicing works on the decoded text; only a lossless round trip keeps
    // the untouched bytes as they are.
    if (part.text.toUtf8() != body)
        return Failed{QCoreApplication::translate("document", "含有不是 UTF-8 编码的字节")};
    return part;
}

QByteArray encodePart(const XmlPart& part) {
    return part.bom + part.text.toUtf8();
}

QString escapeXml(QStringView text) {
    QString out;
    out.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out += c;
            out += text.at(++i);
            continue;
        }
        const char16_t u = c.unicode();
        switch (u) {
        case u'&':
            out += u"&amp;";
            break;
        case u'<':
            out += u"&lt;";
            break;
        case u'>':
            out += u"&gt;";
            break;
        case u'"':
            out += u"&quot;";
            break;
        case u'\'':
            out += u"&apos;";
            break;
        case u'\t':
            out += u"&#9;";
            break;
        case u'\n':
            out += u"&#10;";
            break;
        case u'\r':
            out += u"&#13;";
            break;
        default:
            // Other control characters, lone surrogates and the two
            // non-characters cannot appear in XML 1.0 at all.
            if (u >= 0x20 && !c.isSurrogate() && u != 0xFFFE && u != 0xFFFF)
                out += c;
        }
    }
    return out;
}

Edit appendInside(const ElementSpan& element, const QString& content) {
    if (element.selfClosing()) {
        // "<x .../>": replace the "/>" by ">content</x>".
        return {element.end - 2, element.end,
                QStringLiteral(">%1</%2>").arg(content, element.qualifiedName)};
    }
    return {element.endTagStart, element.endTagStart, content};
}

QString applyEdits(const QString& text, QList<Edit> edits) {
    // Insertions at one place keep the order they were given in.
    std::stable_sort(edits.begin(), edits.end(),
                     [](const Edit& a, const Edit& b) { return a.start < b.start; });
    qsizetype size = text.size();
    for (const Edit& edit : edits)
        size += edit.text.size() - (edit.end - edit.start);
    QString out;
    out.reserve(size);
    qsizetype done = 0;
    for (const Edit& edit : edits) {
        out += QStringView(text).mid(done, edit.start - done);
        out += edit.text;
        done = edit.end;
    }
    out += QStringView(text).mid(done);
    return out;
}

void walkXml(const QByteArray& bytes, const std::function<void(const QXmlStreamReader&)>& visit) {
    constexpr qsizetype kPiece = 1024 * 1024;
    QXmlStreamReader reader;
    qsizetype fed = 0;
    for (;;) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (reader.error() == QXmlStreamReader::PrematureEndOfDocumentError && fed < bytes.size()) {
            reader.addData(bytes.mid(fed, kPiece));
            fed += kPiece;
            continue;
        }
        if (token == QXmlStreamReader::Invalid || token == QXmlStreamReader::DTD || reader.atEnd())
            return;
        visit(reader);
    }
}

double parseTwips(QStringView value) {
    struct Unit {
        QStringView suffix;
        double twips;
    };
    static const Unit units[] = {{u"mm", 1440 / 25.4}, {u"cm", 1440 / 2.54}, {u"in", 1440.0},
                                 {u"pt", 20.0},        {u"pc", 240.0},       {u"pi", 240.0}};
    value = value.trimmed();
    double factor = 1;
    for (const Unit& unit : units) {
        if (value.endsWith(unit.suffix)) {
            factor = unit.twips;
            value.chop(unit.suffix.size());
            break;
        }
    }
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok || !std::isfinite(number) || number < 0)
        return -1;
    return number * factor;
}

namespace {

// Walks a package list (relationships, content types) that list collects, and
// tells where its root element lies; what names the list's kind when the root
// is another element.
template <class List>
Result<> scanList(const QString& text, List& list, ElementSpan* root, const QString& what) {
    XmlScanner scanner(text);
    QXmlStreamReader& reader = scanner.reader();
    while (scanner.next()) {
        list.take(reader);
        if (reader.isStartElement() && list.depth() == 1) {
            if (!list.rootIsList())
                return Failed{QCoreApplication::translate("document", "根元素是 %1，不是%2")
                                  .arg(reader.qualifiedName(), what)};
            if (!scanner.startSpan(root))
                break;
        } else if (reader.isEndElement() && list.depth() == 0 && !scanner.endSpan(root)) {
            break;
        }
    }
    return scanner.finish();
}

} // namespace

Result<RelationshipsScan> scanRelationships(const QString& text) {
    zippackage::RelationshipsReader list;
    RelationshipsScan scan;
    if (Result<> read =
            scanList(text, list, &scan.root, QCoreApplication::translate("document", "关系列表"));
        !read)
        return read.failed();
    scan.relationships = list.relationships();
    return scan;
}

Result<ContentTypesScan> scanContentTypes(const QString& text) {
    ContentTypesScan scan;
    if (Result<> read = scanList(text, scan.types, &scan.root,
                                 QCoreApplication::translate("document", "内容类型列表"));
        !read)
        return read.failed();
    return scan;
}

} // namespace docx
