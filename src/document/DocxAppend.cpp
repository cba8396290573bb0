#include "document/DocxAppend.h"

#include "document/DocxBody.h"
#include "document/DocxLayout.h"
#include "document/DocxPictureRun.h"
#include "document/DocxSideParts.h"
#include "document/DocxStyles.h"
#include "document/DocxTemplate.h"
#include "document/DocxXml.h"

#include <QCoreApplication>
#include <QHash>
#include <QMap>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace docx {

namespace {

QString inPart(const QString& part, const QString& cause) {
    return QCoreApplication::translate("document", "部件 %1 %2").arg(part, cause);
}

const char kXmlDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
using zippackage::kContentTypesPart;

// The parts appending edits, decoded and read.
struct Parts {
    XmlPart document, rels, contentTypes;
    DocumentScan scan;
    RelationshipsScan relsScan;
    ContentTypesScan typesScan;
};

// Decodes a part and scans it with scan, which gives the scan's result.
template <class Scan>
Result<std::pair<XmlPart, Scan>> readPart(const QByteArray& bytes, const QString& name,
                                          Result<Scan> (*scan)(const QString&)) {
    Result<XmlPart> part = decodePart(bytes);
    Result<Scan> scanned = part ? scan(part->text) : part.failed();
    if (!scanned)
        return Failed{inPart(name, scanned.cause())};
    return std::pair{std::move(part).value(), std::move(scanned).value()};
}

Result<Parts> readParts(const AppendInput& input) {
    Parts parts;
    auto document = readPart(input.document, input.mainPart, &scanDocument);
    if (!document)
        return document.failed();
    std::tie(parts.document, parts.scan) = std::move(document).value();
    if (input.rels) {
        auto rels = readPart(*input.rels, input.relsPart, &scanRelationships);
        if (!rels)
            return rels.failed();
        std::tie(parts.rels, parts.relsScan) = std::move(rels).value();
    }
    auto types = readPart(input.contentTypes, kContentTypesPart, &scanContentTypes);
    if (!types)
        return types.failed();
    std::tie(parts.contentTypes, parts.typesScan) = std::move(types).value();
    return parts;
}

// What the parts that are only read tell.
SidePartScan scanSideParts(const AppendInput& input) {
    SidePartScan all;
    for (const AppendInput::SidePart& side : input.sideParts) {
        SidePartScan scan;
        scanSidePart(side.bytes, &scan);
        all.placeholders |= side.kind == AppendInput::SidePart::HeaderOrFooter && scan.placeholders;
        all.drawingIds.unite(scan.drawingIds);
    }
    return all;
}

// The styles and numbering the paragraphs inherit from.
StyleSheet stylesOf(const AppendInput& input) {
    StyleSheet styles;
    for (const AppendInput::SidePart& side : input.sideParts) {
        if (side.kind == AppendInput::SidePart::Styles)
            styles.readStyles(side.bytes);
        else if (side.kind == AppendInput::SidePart::Numbering)
            styles.readNumbering(side.bytes);
    }
    return styles;
}

// The widest a picture may be in a paragraph of that format in a section
// (and a table cell), in EMU; 0 when nothing limits it.
qint64 limitIn(const DocumentScan& scan, int section, double cellWidth,
               const ParagraphFormat& format) {
    if (scan.sections.isEmpty())
        return 0;
    const int index = std::clamp(section, 0, int(scan.sections.size()) - 1);
    return widthLimit(scan.sections.at(index), cellWidth, format);
}

// Per picture, the widest it may be where it goes.
QList<qint64> widthLimits(const DocumentScan& scan, const StyleSheet& styles,
                          const Assignment& assignment, const FillPlan& plan,
                          const QList<QList<int>>& paragraphs, qsizetype pictures) {
    const ParagraphFormat plain = styles.resolve({});
    const int last = int(scan.sections.size()) - 1;
    QList<qint64> limits(pictures, limitIn(scan, last, -1, plain));
    auto limitParagraph = [&](int paragraph, qint64 limit) {
        for (int picture : paragraphs.at(paragraph))
            limits[picture] = limit;
    };
    // The first paragraph at the end may go into the empty last one.
    if (scan.lastBlockIsEmptyParagraph && !assignment.endParagraphs.isEmpty())
        limitParagraph(assignment.endParagraphs.first(),
                       limitIn(scan, last, -1, styles.resolve(scan.lastParagraph.format)));
    for (int i = 0; i < assignment.placeholderParagraph.size(); ++i) {
        const ParagraphPlace& place = scan.placeholders.at(i).place;
        if (assignment.placeholderParagraph.at(i) >= 0)
            limitParagraph(
                assignment.placeholderParagraph.at(i),
                limitIn(scan, place.section, place.cellWidth, styles.resolve(place.format)));
    }
    for (int paragraph : assignment.bookmarkParagraphs)
        limitParagraph(paragraph,
                       limitIn(scan, scan.bookmark->section, scan.bookmark->cellWidth, plain));
    if (plan.plotPlaceholder >= 0) {
        const ParagraphPlace& place = scan.placeholders.at(plan.plotPlaceholder).place;
        const qint64 limit =
            limitIn(scan, place.section, place.cellWidth, styles.resolve(place.format));
        for (auto it = plan.repeatPlots.cbegin(); it != plan.repeatPlots.cend(); ++it)
            limitParagraph(it.key(), limit);
    }
    return limits;
}

// The new pictures' names, ids, sizes and relationships.
struct NewMedia {
    QList<PlacedPicture> placed;
    QString relationships; // the new relationship elements
};

NewMedia placeMedia(const AppendInput& input, const Parts& parts, const QList<Picture>& pictures,
                    const QList<qint64>& limits, const QHash<int, QString>& overwritten,
                    AppendOutput* output) {
    const qsizetype slash = input.mainPart.lastIndexOf(u'/');
    const QString mediaFolder = input.mainPart.left(slash + 1) + QStringLiteral("media/");
    QSet<QString> relationshipIds;
    for (const Relationship& relationship : parts.relsScan.relationships)
        relationshipIds.insert(relationship.id.toLower());
    IdAllocator ids(parts.scan.drawingIds);
    int mediaNumber = 1;
    int relationshipNumber = int(parts.relsScan.relationships.size()) + 1;
    const QString element = qualified(prefixOf(parts.relsScan.root.qualifiedName), u"Relationship");

    NewMedia media;
    media.placed.reserve(pictures.size());
    for (qsizetype i = 0; i < pictures.size(); ++i) {
        const Picture& picture = pictures.at(i);
        PlacedPicture p;
        if (const auto part = overwritten.find(int(i)); part != overwritten.end()) {
            output->media.append({*part, picture.png});
            media.placed.append(p);
            continue;
        }
        p.id = ids.next();
        do {
            p.fileName = QStringLiteral("veltrace_%1.png").arg(mediaNumber++);
            p.mediaName = mediaFolder + p.fileName;
        } while (input.takenNames.contains(p.mediaName.toLower()));
        do {
            p.relationshipId = QStringLiteral("rId%1").arg(relationshipNumber++);
        } while (relationshipIds.contains(p.relationshipId.toLower()));
        p.cx = qint64(picture.pixels.width()) * kEmuPerPixel;
        p.cy = qint64(picture.pixels.height()) * kEmuPerPixel;
        const qint64 limit = limits.at(i);
        if (limit > 0 && p.cx > limit) {
            p.cy = std::max<qint64>(1, std::llround(double(p.cy) * limit / p.cx));
            p.cx = limit;
        }
        p.description = alternativeText(picture.segmentName);
        p.name = pictureName(picture.segmentName);
        media.relationships += QStringLiteral("<%1 Id=\"%2\" Type=\"%3\" Target=\"media/%4\"/>")
                                   .arg(element, p.relationshipId, kImageRelType, p.fileName);
        output->media.append({p.mediaName, picture.png});
        media.placed.append(p);
    }
    return media;
}

// The edits of the body: placeholders replaced, paragraphs after the bookmark
// and at the end.
class BodyWriter {
public:
    BodyWriter(const DocumentScan& scan, const StyleSheet& styles, PictureRunWriter runWriter,
               const QList<PlacedPicture>& placed, const QList<QList<int>>& paragraphs)
        : m_scan(scan), m_styles(styles), m_plain(styles.resolve({})),
          m_runWriter(std::move(runWriter)), m_placed(placed), m_paragraphs(paragraphs),
          m_p(qualified(scan.wordPrefix, u"p")) {}

    // A placeholder's runs and proofing marks give way to the picture; its
    // properties and range marks stay where they are, but a line height
    // that would cut the picture.
    QList<Edit> placeholderEdits(const Assignment& assignment) const {
        QList<Edit> edits;
        for (int i = 0; i < assignment.placeholderParagraph.size(); ++i) {
            const int paragraph = assignment.placeholderParagraph.at(i);
            if (paragraph < 0)
                continue;
            const Placeholder& placeholder = m_scan.placeholders.at(i);
            edits += lineHeightEdits(placeholder.place, m_styles.resolve(placeholder.place.format),
                                     m_scan.wordPrefix);
            const QList<ElementSpan>& content = placeholder.content;
            edits.append({content.first().start, content.first().end, runsOf(paragraph)});
            for (qsizetype c = 1; c < content.size(); ++c)
                edits.append({content.at(c).start, content.at(c).end, QString()});
        }
        return edits;
    }

    // What a placeholder's paragraph and the rows around it need to show a
    // picture whole.
    QList<Edit> formatEditsOf(int placeholder) const {
        const ParagraphPlace& place = m_scan.placeholders.at(placeholder).place;
        return lineHeightEdits(place, m_styles.resolve(place.format), m_scan.wordPrefix) +
               place.rows;
    }

    // The table rows of exact height that pictures go into become as high
    // as they need, each once.
    QList<Edit> rowEdits(const Assignment& assignment) const {
        QMap<qsizetype, Edit> rows;
        auto add = [&](const QList<Edit>& edits) {
            for (const Edit& edit : edits)
                rows.insert(edit.start, edit);
        };
        for (int i = 0; i < assignment.placeholderParagraph.size(); ++i) {
            if (assignment.placeholderParagraph.at(i) >= 0)
                add(m_scan.placeholders.at(i).place.rows);
        }
        if (!assignment.bookmarkParagraphs.isEmpty())
            add(m_scan.bookmark->rows);
        return rows.values();
    }

    // New paragraphs after the bookmarked one, behind the pictures put there
    // before and the placeholders right after it that this write fills.
    QList<Edit> bookmarkEdits(const Assignment& assignment) const {
        if (assignment.bookmarkParagraphs.isEmpty())
            return {};
        qsizetype at = m_scan.bookmark->after;
        for (const auto& [end, placeholder] : m_scan.bookmark->followers) {
            if (placeholder >= 0 && assignment.placeholderParagraph.at(placeholder) < 0)
                break;
            at = end;
        }
        QString paragraphs;
        for (int paragraph : assignment.bookmarkParagraphs)
            paragraphs += newParagraph(paragraph);
        return {{at, at, paragraphs}};
    }

    // At the end of the body, as typing would: the first paragraph into the
    // insertion paragraph (an empty last paragraph, or a new one), the rest
    // after it.
    QList<Edit> endEdits(const Assignment& assignment) const {
        const QList<int>& ends = assignment.endParagraphs;
        if (ends.isEmpty() || (ends.size() == 1 && m_paragraphs.at(ends.first()).isEmpty()))
            return {};
        const bool reuse = m_scan.lastBlockIsEmptyParagraph;
        QString following;
        for (qsizetype i = reuse ? 1 : 0; i < ends.size(); ++i)
            following += newParagraph(ends.at(i));
        if (reuse) {
            QList<Edit> edits = intoLastParagraph(runsOf(ends.first()));
            edits.append({m_scan.lastBlock.end, m_scan.lastBlock.end, following});
            return edits;
        }
        if (m_scan.sectPr.isValid())
            return {{m_scan.sectPr.start, m_scan.sectPr.start, following}};
        return {appendInside(m_scan.body, following)};
    }

    QString runsOf(int paragraph) const {
        QString runs;
        for (int index : m_paragraphs.at(paragraph))
            m_runWriter.write(m_placed.at(index), &runs);
        return runs;
    }

private:
    QString newParagraph(int paragraph) const {
        const QString runs = runsOf(paragraph);
        return runs.isEmpty()
                   ? QStringLiteral("<%1/>").arg(m_p)
                   : QStringLiteral("<%1>%2%3</%1>")
                         .arg(m_p, newParagraphProperties(m_plain, m_scan.wordPrefix), runs);
    }

    // Runs at the end of the empty last paragraph, its line height mended.
    QList<Edit> intoLastParagraph(const QString& runs) const {
        if (runs.isEmpty())
            return {};
        const ParagraphFormat format = m_styles.resolve(m_scan.lastParagraph.format);
        if (m_scan.lastBlock.selfClosing())
            return {appendInside(m_scan.lastBlock,
                                 newParagraphProperties(format, m_scan.wordPrefix) + runs)};
        QList<Edit> edits = lineHeightEdits(m_scan.lastParagraph, format, m_scan.wordPrefix);
        edits.append(appendInside(m_scan.lastBlock, runs));
        return edits;
    }

    const DocumentScan& m_scan;
    const StyleSheet& m_styles;
    const ParagraphFormat m_plain; // a new paragraph's
    const PictureRunWriter m_runWriter;
    const QList<PlacedPicture>& m_placed;
    const QList<QList<int>>& m_paragraphs;
    const QString m_p;
};

QByteArray relationshipsWith(const AppendInput& input, Parts& parts, const QString& added) {
    if (!input.rels)
        return kXmlDeclaration + QStringLiteral("<Relationships xmlns=\"%1\">%2</Relationships>")
                                     .arg(kPackageRelNs, added)
                                     .toUtf8();
    parts.rels.text = applyEdits(parts.rels.text, {appendInside(parts.relsScan.root, added)});
    return encodePart(parts.rels);
}

QByteArray contentTypesWithPng(Parts& parts) {
    if (!parts.typesScan.types.hasDefault(QStringLiteral("png"))) {
        const QString element = qualified(prefixOf(parts.typesScan.root.qualifiedName), u"Default");
        const QString png =
            QStringLiteral("<%1 Extension=\"png\" ContentType=\"image/png\"/>").arg(element);
        parts.contentTypes.text =
            applyEdits(parts.contentTypes.text, {appendInside(parts.typesScan.root, png)});
    }
    return encodePart(parts.contentTypes);
}

// The media parts that replaced pictures' new PNGs overwrite, by picture.
QHash<int, QString> overwrittenParts(const FillPlan& plan, const QList<QList<int>>& paragraphs) {
    QHash<int, QString> parts;
    for (auto it = plan.replacing.cbegin(); it != plan.replacing.cend(); ++it) {
        if (!it->part.isEmpty() && !paragraphs.at(it.key()).isEmpty())
            parts.insert(paragraphs.at(it.key()).first(), it->part);
    }
    return parts;
}

// The template's copies and summary, and the replaced pictures pointed at
// their new relationships where their old part stays for other pictures.
QList<Edit> templateEdits(const Parts& parts, const FillPlan& plan, const FillInput& fill,
                          const BodyWriter& writer, const NewMedia& media,
                          const QList<QList<int>>& paragraphs, Placement* placement) {
    QSet<quint32> used = parts.scan.drawingIds;
    for (const PlacedPicture& placed : media.placed)
        used.insert(placed.id);
    IdAllocator ids(used);
    FillWriter fillWriter;
    fillWriter.nextId = [&] { return ids.next(); };
    fillWriter.runs = [&](int paragraph) { return writer.runsOf(paragraph); };
    fillWriter.formatEdits = [&](int placeholder) { return writer.formatEditsOf(placeholder); };
    QList<Edit> edits =
        fillEdits(plan, parts.scan, parts.document.text, fill, fillWriter, &placement->fill);
    placement->placeholders += int(plan.repeatPlots.size());
    for (auto it = plan.replacing.cbegin(); it != plan.replacing.cend(); ++it) {
        if (paragraphs.at(it.key()).isEmpty())
            continue;
        ++placement->fill.replaced;
        if (!it->part.isEmpty())
            continue;
        const PlacedPicture& placed = media.placed.at(paragraphs.at(it.key()).first());
        edits.append(repointEdit(parts.document.text,
                                 parts.scan.fill.ownDrawings.at(it->drawing).blip, it->relation,
                                 placed.relationshipId));
    }
    return edits;
}

} // namespace

QString alternativeText(const QString& segmentName) {
    // A name from a workbook cell may be megabytes long; the document gets a
    // readable start of it.
    constexpr qsizetype kLongest = 200;
    QString segment = segmentName.left(4 * kLongest).simplified();
    if (segment.size() > kLongest) {
        qsizetype cut = kLongest - 1;
        if (segment.at(cut - 1).isHighSurrogate())
            --cut;
        segment = segment.left(cut) + QChar(0x2026);
    }
    return segment.isEmpty() ? QStringLiteral("驻波图") + pictureMark()
                             : QStringLiteral("驻波图：%1").arg(segment) + pictureMark();
}

std::optional<AppendInput::SidePart::Kind> sidePartKind(QStringView relationshipType) {
    using Side = AppendInput::SidePart;
    static const std::pair<QStringView, Side::Kind> kinds[] = {
        {u"/styles", Side::Styles},         {u"/numbering", Side::Numbering},
        {u"/header", Side::HeaderOrFooter}, {u"/footer", Side::HeaderOrFooter},
        {u"/footnotes", Side::Notes},       {u"/endnotes", Side::Notes}};
    for (const auto& [suffix, kind] : kinds) {
        if (relationshipType.endsWith(suffix))
            return kind;
    }
    return std::nullopt;
}

Result<AppendOutput> appendPictures(const AppendInput& input, const QList<Picture>& pictures,
                                    const QList<QList<int>>& paragraphs, const FillInput& fill) {
    Result<Parts> read = readParts(input);
    if (!read || paragraphs.isEmpty())
        return read ? Result<AppendOutput>(AppendOutput{}) : read.failed();
    Parts& parts = *read;
    AppendOutput output;

    Notices fillNotices;
    const FillPlan plan =
        planFill(parts.scan, fill, input.mainPart, parts.relsScan, input.takenNames, &fillNotices);
    const Assignment assignment =
        assign(parts.scan, pictures, paragraphs, plan.taken, plan.placeholdersInRepeats);
    output.placement = assignment.placement;
    output.placement.notices.add(fillNotices);
    output.placement.notices.add(input.notices);
    const SidePartScan side = scanSideParts(input);
    parts.scan.drawingIds.unite(side.drawingIds);
    if (side.placeholders)
        output.placement.notices.add(Notices::Kind::InHeaderOrFooter);

    QList<std::pair<QString, QString>> declarations;
    const Prefixes prefixes = prefixesFor(parts.scan, &declarations);
    const StyleSheet styles = stylesOf(input);
    const QList<qint64> limits =
        widthLimits(parts.scan, styles, assignment, plan, paragraphs, pictures.size());
    const NewMedia media =
        placeMedia(input, parts, pictures, limits, overwrittenParts(plan, paragraphs), &output);
    const BodyWriter writer(parts.scan, styles, PictureRunWriter(prefixes), media.placed,
                            paragraphs);

    QList<Edit> edits = writer.placeholderEdits(assignment) + writer.rowEdits(assignment);
    if (!declarations.isEmpty()) {
        QString attributes;
        for (const auto& [prefix, uri] : declarations)
            attributes += QStringLiteral(" xmlns:%1=\"%2\"").arg(prefix, uri);
        edits.append(
            {parts.scan.root.startTagEnd - 1, parts.scan.root.startTagEnd - 1, attributes});
    }
    edits += writer.bookmarkEdits(assignment);
    edits += writer.endEdits(assignment);
    edits += templateEdits(parts, plan, fill, writer, media, paragraphs, &output.placement);
    parts.document.text = applyEdits(parts.document.text, edits);
    output.document = encodePart(parts.document);
    output.rels = relationshipsWith(input, parts, media.relationships);
    output.contentTypes = contentTypesWithPng(parts);
    return output;
}

} // namespace docx
