#include "document/DocxFields.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace docx {

namespace {

bool isOpening(QChar c) {
    return c == u'{' || c == u'｛';
}

bool isClosing(QChar c) {
    return c == u'}' || c == u'｝';
}

// Compatibility forms folded (full-width letters, digits, signs, the
// ideographic space) and every blank removed.
QString fieldKey(QStringView inner) {
    QString key = inner.toString().normalized(QString::NormalizationForm_KC);
    key.removeIf([](QChar c) { return c.isSpace(); });
    return key;
}

std::optional<FieldName> limitField(const QString& key) {
    static const QString prefix = QStringLiteral("驻波比上限=");
    if (!key.startsWith(prefix))
        return std::nullopt;
    const QString number = key.mid(prefix.size());
    bool ok = false;
    const double value = QLocale::c().toDouble(number, &ok);
    // A VSWR is at least 1.
    if (!ok || !std::isfinite(value) || value < 1)
        return std::nullopt;
    FieldName name;
    name.kind = FieldName::Limit;
    name.limitText = number;
    name.limit = value;
    return name;
}

// The run properties that come after the colour in the schema's order.
bool followsColor(QStringView local) {
    static const QStringView names[] = {
        u"spacing",    u"w",     u"kern",     u"position", u"sz",   u"szCs",
        u"highlight",  u"u",     u"effect",   u"bdr",      u"shd",  u"fitText",
        u"vertAlign",  u"rtl",   u"cs",       u"em",       u"lang", u"eastAsianLayout",
        u"specVanish", u"oMath", u"rPrChange"};
    return std::find(std::begin(names), std::end(names), local) != std::end(names);
}

} // namespace

std::optional<FieldName> fieldName(QStringView inner) {
    struct Known {
        QStringView key;
        FieldName::Kind kind;
        RowField row;
        SummaryField summary;
    };
    using K = FieldName;
    static const Known known[] = {
        {u"序号", K::Row, RowField::Number, {}},
        {u"测试段", K::Row, RowField::Segment, {}},
        {u"驻波比", K::Row, RowField::Vswr, {}},
        {u"馈线长", K::Row, RowField::Length, {}},
        {u"插损", K::Row, RowField::Loss, {}},
        {u"测试距离", K::Row, RowField::Distance, {}},
        {u"测试时间", K::Row, RowField::Time, {}},
        {u"结论", K::Row, RowField::Verdict, {}},
        {u"段数", K::Summary, {}, SummaryField::Rows},
        {u"合格数", K::Summary, {}, SummaryField::Passed},
        {u"不合格数", K::Summary, {}, SummaryField::Failed},
        {u"最大驻波比", K::Summary, {}, SummaryField::MaxVswr},
        {u"最大驻波比测试段", K::Summary, {}, SummaryField::MaxVswrSegment},
        {u"驻波比上限", K::Summary, {}, SummaryField::Limit},
        {u"报告日期", K::Summary, {}, SummaryField::Date},
        {u"#每段", K::SectionStart, {}, {}},
        {u"/每段", K::SectionEnd, {}, {}},
    };
    // No field name is long; a long text is no field.
    if (inner.size() > 64)
        return std::nullopt;
    const QString key = fieldKey(inner);
    for (const Known& field : known) {
        if (field.key == key) {
            FieldName name;
            name.kind = field.kind;
            name.row = field.row;
            name.summary = field.summary;
            return name;
        }
    }
    return limitField(key);
}

bool mentionsField(QStringView text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (isOpening(text.at(i)) && isOpening(text.at(i + 1)))
            return true;
    }
    return false;
}

// One pass: each "}}" closes the latest "{{" before it.
QList<FoundField> findFields(QStringView text) {
    QList<FoundField> fields;
    qsizetype open = -1;
    for (qsizetype i = 0; i + 1 < text.size();) {
        if (isOpening(text.at(i)) && isOpening(text.at(i + 1))) {
            open = i++;
            continue;
        }
        if (open < 0 || !isClosing(text.at(i)) || !isClosing(text.at(i + 1))) {
            ++i;
            continue;
        }
        if (const auto name = fieldName(text.mid(open + 2, i - open - 2)))
            fields.append({open, i + 2, *name});
        open = -1;
        i += 2;
    }
    return fields;
}

std::optional<FieldName::Kind> sectionMarker(QStringView text) {
    text = text.trimmed();
    const QList<FoundField> fields = findFields(text);
    if (fields.size() != 1 || fields.first().from != 0 || fields.first().to != text.size())
        return std::nullopt;
    const FieldName::Kind kind = fields.first().name.kind;
    if (kind != FieldName::SectionStart && kind != FieldName::SectionEnd)
        return std::nullopt;
    return kind;
}

QString inertText(const QString& text) {
    const auto brace = [](QChar c) { return isOpening(c) || isClosing(c); };
    if (!std::any_of(text.begin(), text.end(), brace))
        return text;
    constexpr QChar kJoiner(0x2060);
    QString out;
    out.reserve(text.size() + 8);
    if (brace(text.front()))
        out += kJoiner;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i > 0 && brace(text.at(i)) && brace(text.at(i - 1)))
            out += kJoiner;
        out += text.at(i);
    }
    if (brace(text.back()))
        out += kJoiner;
    return out;
}

QString redProperties(QStringView rPr, const QString& w) {
    const QString color = QStringLiteral("<%1%2/>").arg(
        qualified(w, u"color"),
        wordAttributes(w, {{QStringLiteral("val"), QStringLiteral("FF0000")}}));
    if (rPr.isEmpty())
        return QStringLiteral("<%1>%2</%1>").arg(qualified(w, u"rPr"), color);
    const QString text = rPr.toString();
    XmlScanner scanner(text);
    QXmlStreamReader& reader = scanner.reader();
    reader.setNamespaceProcessing(false);
    const QString prefix = w.isEmpty() ? QString() : w + u':';
    ElementSpan root;
    QList<std::pair<QString, ElementSpan>> children; // own local name (empty: foreign)
    int depth = 0;
    while (scanner.next()) {
        if (reader.isStartElement() && ++depth <= 2) {
            const QString name = reader.qualifiedName().toString();
            const bool own = prefix.isEmpty() ? !name.contains(u':') : name.startsWith(prefix);
            if (depth == 2)
                children.append({own ? name.mid(prefix.size()) : QString(), {}});
            if (!scanner.startSpan(depth == 1 ? &root : &children.last().second))
                return text;
        } else if (reader.isEndElement() && depth-- <= 2) {
            if (!scanner.endSpan(depth == 0 ? &root : &children.last().second))
                return text;
        }
    }
    if (!scanner.finish() || !root.isValid())
        return text;
    for (const auto& [local, span] : children) {
        if (local == u"color")
            return applyEdits(text, {{span.start, span.end, color}});
        if (local.isEmpty() || followsColor(local))
            return applyEdits(text, {{span.start, span.start, color}});
    }
    return applyEdits(text, {appendInside(root, color)});
}

bool FieldParagraph::parse(const QString& xml, const QString& w) {
    m_xml = xml;
    m_w = w;
    enum Kind { Other, Paragraph, RunElement, Properties, Text };
    struct Open {
        Kind kind;
        int index;
    };
    const QString p = qualified(w, u"p"), r = qualified(w, u"r"), rPr = qualified(w, u"rPr"),
                  t = qualified(w, u"t");
    XmlScanner scanner(m_xml);
    QXmlStreamReader& reader = scanner.reader();
    reader.setNamespaceProcessing(false);
    QList<Open> open;
    int paragraphs = 0;
    while (scanner.next()) {
        const Kind parent = open.isEmpty() ? Other : open.last().kind;
        if (reader.isStartElement()) {
            const QStringView name = reader.qualifiedName();
            Open element{Other, -1};
            if (name == p) {
                ++paragraphs;
                element.kind = Paragraph;
            } else if (name == r && paragraphs == 1) {
                element = {RunElement, int(m_runs.size())};
                m_runs.append(Run());
                if (!scanner.startSpan(&m_runs.last().span))
                    return false;
            } else if (parent == RunElement && (name == rPr || name == t)) {
                const int run = open.last().index;
                element = {name == t ? Text : Properties, run};
                ElementSpan* span = &m_runs[run].properties;
                if (name == t) {
                    m_pieces.append({{}, {}, run});
                    span = &m_pieces.last().span;
                }
                if (!scanner.startSpan(span))
                    return false;
            }
            if (parent == RunElement)
                m_runs[open.last().index].lastIsText = element.kind == Text;
            open.append(element);
        } else if (reader.isEndElement() && !open.isEmpty()) {
            const Open element = open.takeLast();
            ElementSpan* span = element.kind == RunElement   ? &m_runs[element.index].span
                                : element.kind == Properties ? &m_runs[element.index].properties
                                : element.kind == Text       ? &m_pieces.last().span
                                                             : nullptr;
            if (span && !scanner.endSpan(span))
                return false;
            paragraphs -= element.kind == Paragraph;
        } else if (reader.isCharacters() && parent == Text) {
            m_pieces.last().text += reader.text();
        }
    }
    if (!scanner.finish())
        return false;
    for (const Piece& piece : m_pieces) {
        m_starts.append(m_text.size());
        m_text += piece.text;
    }
    m_fields = findFields(m_text);
    return true;
}

qsizetype FieldParagraph::pieceAt(qsizetype position) const {
    return std::upper_bound(m_starts.begin(), m_starts.end(), position) - m_starts.begin() - 1;
}

QString FieldParagraph::textElement(const QString& text) const {
    if (text.isEmpty())
        return {};
    const bool blanks = text.front().isSpace() || text.back().isSpace();
    return QStringLiteral("<%1%2>%3</%1>")
        .arg(qualified(m_w, u"t"), blanks ? QStringLiteral(" xml:space=\"preserve\"") : QString(),
             escapeXml(text));
}

QList<Edit> FieldParagraph::edits(const Values& values, qsizetype offset, int* replaced) const {
    // What each piece's text becomes, piece by piece.
    QList<QList<Segment>> segments(m_pieces.size());
    QList<qsizetype> cursors(m_pieces.size(), 0);
    QList<bool> touched(m_pieces.size(), false);
    int count = 0;
    const auto keep = [&](qsizetype piece, qsizetype upTo) {
        const QString& text = m_pieces.at(piece).text;
        if (upTo > cursors.at(piece))
            segments[piece].append({text.mid(cursors.at(piece), upTo - cursors.at(piece)), false});
        cursors[piece] = std::max(cursors.at(piece), upTo);
    };
    for (const FoundField& field : m_fields) {
        const std::optional<FieldValue> value = values(field.name);
        if (!value)
            continue;
        ++count;
        const qsizetype first = pieceAt(field.from), last = pieceAt(field.to - 1);
        for (qsizetype piece = first; piece <= last; ++piece) {
            touched[piece] = true;
            keep(piece, std::max<qsizetype>(0, field.from - m_starts.at(piece)));
            if (piece == first && !value->text.isEmpty())
                segments[piece].append({inertText(value->text), value->red});
            cursors[piece] =
                std::min<qsizetype>(field.to - m_starts.at(piece), m_pieces.at(piece).text.size());
        }
    }
    if (replaced)
        *replaced = count;
    QList<Edit> edits;
    // A run whose whole text becomes red is coloured as it is.
    QList<int> redRuns(m_runs.size(), 1);
    QList<bool> anyRed(m_runs.size(), false);
    for (qsizetype piece = 0; piece < m_pieces.size(); ++piece) {
        if (touched.at(piece))
            keep(piece, m_pieces.at(piece).text.size());
        const int run = m_pieces.at(piece).run;
        if (!touched.at(piece) && !m_pieces.at(piece).text.isEmpty())
            redRuns[run] = 0;
        for (const Segment& segment : segments.at(piece)) {
            anyRed[run] = anyRed.at(run) || segment.red;
            if (!segment.red)
                redRuns[run] = 0;
        }
    }
    for (qsizetype run = 0; run < m_runs.size(); ++run) {
        if (!anyRed.at(run) || !redRuns.at(run))
            continue;
        const ElementSpan& properties = m_runs.at(run).properties;
        if (properties.isValid())
            edits.append({properties.start + offset, properties.end + offset,
                          redProperties(QStringView(m_xml).mid(properties.start,
                                                               properties.end - properties.start),
                                        m_w)});
        else
            edits.append({m_runs.at(run).span.startTagEnd + offset,
                          m_runs.at(run).span.startTagEnd + offset, redProperties({}, m_w)});
    }
    for (qsizetype piece = 0; piece < m_pieces.size(); ++piece) {
        if (!touched.at(piece))
            continue;
        QList<Segment> merged;
        const bool wholeRed =
            anyRed.at(m_pieces.at(piece).run) && redRuns.at(m_pieces.at(piece).run);
        for (Segment segment : segments.at(piece)) {
            segment.red = segment.red && !wholeRed;
            if (!merged.isEmpty() && merged.last().red == segment.red)
                merged.last().text += segment.text;
            else if (!segment.text.isEmpty())
                merged.append(segment);
        }
        const ElementSpan& span = m_pieces.at(piece).span;
        edits.append({span.start + offset, span.end + offset, renderPiece(int(piece), merged)});
    }
    return edits;
}

// A piece's new text; red segments in runs of their own, the rest in runs of
// the piece's formatting.
QString FieldParagraph::renderPiece(int piece, const QList<Segment>& segments) const {
    QString out;
    const Run& run = m_runs.at(m_pieces.at(piece).run);
    const QString start = m_xml.mid(run.span.start, run.span.startTagEnd - run.span.start);
    const QString plain =
        run.properties.isValid()
            ? m_xml.mid(run.properties.start, run.properties.end - run.properties.start)
            : QString();
    const QString close = QStringLiteral("</%1>").arg(run.span.qualifiedName);
    bool red = false;
    for (const Segment& segment : segments) {
        if (segment.red != red)
            out += close + start + (segment.red ? redProperties(plain, m_w) : plain);
        red = segment.red;
        out += textElement(segment.text);
    }
    const bool lastOfRun =
        run.lastIsText &&
        std::none_of(m_pieces.begin() + piece + 1, m_pieces.end(),
                     [&](const Piece& later) { return later.run == m_pieces.at(piece).run; });
    if (red && !lastOfRun)
        out += close + start + plain;
    return out;
}

} // namespace docx
