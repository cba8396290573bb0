#include "document/DocxPlaceholders.h"

#include "document/DocxParagraph.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace docx {

namespace {

bool isKeyword(QStringView word) {
    return word == u"驻波图" || word.compare(u"VSWR", Qt::CaseInsensitive) == 0;
}

} // namespace

std::optional<QString> placeholderSegment(QStringView text) {
    text = text.trimmed();
    if (!text.startsWith(u"{{") || !text.endsWith(u"}}") || text.size() < 4)
        return std::nullopt;
    const QStringView inner = text.mid(2, text.size() - 4);
    qsizetype colon = inner.indexOf(u':');
    const qsizetype wide = inner.indexOf(u'：');
    if (colon < 0 || (wide >= 0 && wide < colon))
        colon = wide;
    if (!isKeyword(inner.left(colon < 0 ? inner.size() : colon).trimmed()))
        return std::nullopt;
    const QStringView segment = colon < 0 ? QStringView() : inner.mid(colon + 1).trimmed();
    if (segment.contains(u"{{") || segment.contains(u"}}"))
        return std::nullopt;
    return segment.toString();
}

bool mentionsPlaceholder(QStringView text) {
    static const QRegularExpression start(QStringLiteral("\\{\\{\\s*(驻波图|VSWR)"),
                                          QRegularExpression::CaseInsensitiveOption);
    return start.match(text).hasMatch();
}

QString segmentKey(QStringView name) {
    return name.toString().normalized(QString::NormalizationForm_KC).simplified().toCaseFolded();
}

PlaceholderVerdict judgePlaceholder(const ScannedParagraph& paragraph) {
    const QString text = paragraph.text.trimmed();
    const std::optional<QString> segment =
        paragraph.textCut ? std::nullopt : placeholderSegment(text);
    if (!segment && !mentionsPlaceholder(text))
        return {};
    using Kind = Notices::Kind;
    if (paragraph.inTextBox)
        return {std::nullopt, Kind::InTextBox, text};
    if (!paragraph.hidden.isEmpty())
        return {std::nullopt, Kind::Hidden,
                QCoreApplication::translate("document", "%1，%2")
                    .arg(text.left(Notices::kExampleLength), paragraph.hidden)};
    if (!segment)
        return {std::nullopt, Kind::WithOtherText, text};
    if (!paragraph.simple || paragraph.content.isEmpty())
        return {std::nullopt, Kind::WithOtherContent, text};
    return {segment, {}, {}};
}

} // namespace docx
