#pragma once

#include <QLatin1StringView>
#include <QString>
#include <QXmlStreamReader>

namespace xlsxpackage {

// Characters XML cannot carry, written as _xHHHH_ in a cell text, decoded.
QString decodeEscapes(const QString& text);

// The text of all <t> descendants of the element whose start tag `xml` read last,
// leaving out phonetic runs (<rPh>), which hold reading aids rather than the cell's
// text; for either reader of parts.
template <class Reader> QString richTextOf(Reader& xml) {
    QString text;
    int phonetic = 0;
    int level = 1;
    while (level > 0 && xml.next()) {
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1StringView("t") && phonetic == 0) {
                text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
                continue;
            }
            if (xml.name() == QLatin1StringView("rPh"))
                ++phonetic;
            ++level;
        } else if (xml.isEndElement()) {
            if (xml.name() == QLatin1StringView("rPh"))
                --phonetic;
            --level;
        }
    }
    return decodeEscapes(text);
}

} // namespace xlsxpackage
