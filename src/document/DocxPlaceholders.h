#pragma once

#include "document/DocxNotices.h"

#include <QString>
#include <QStringView>

#include <optional>

// The placeholders a user types into a document for a plot ("{{驻波图}}",
// "{{VSWR}}", "{{驻波图:T1-B1F}}"): how their text reads, and whether a
// paragraph of the body can take a plot in their place.
namespace docx {

struct ScannedParagraph;

// The segment a placeholder names: nullopt when the text is not a placeholder,
// an empty string for one that takes the next plot. Blanks around the text,
// the keyword and the name do not matter, nor the case of "VSWR"; the colon
// may be ASCII or full width.
std::optional<QString> placeholderSegment(QStringView text);
// Whether a text holds something that starts like a placeholder.
bool mentionsPlaceholder(QStringView text);
// What segment names are compared by: blanks collapsed, compatibility forms
// (full-width letters and digits) folded, case ignored.
QString segmentKey(QStringView name);

// What a paragraph of the body is to the templates: no placeholder at all
// (no segment, no notice), a usable one (its segment), or one that is left
// as it is (the notice that says why).
struct PlaceholderVerdict {
    std::optional<QString> segment;
    // Why it is left as it is, and the placeholder as the notice shows it.
    std::optional<Notices::Kind> refused;
    QString example;
};
PlaceholderVerdict judgePlaceholder(const ScannedParagraph& paragraph);

} // namespace docx
