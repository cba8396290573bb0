#pragma once

#include "common/Result.h"
#include "workbook/XmlChars.h"

#include <QByteArray>
#include <QLatin1StringView>
#include <QString>
#include <QXmlStreamReader>

#include <memory>
#include <string>
#include <vector>

namespace zippackage {
class Package;
class PartStream;
} // namespace zippackage

namespace xlsxpackage {

using zippackage::Package;
using zippackage::PartStream;

// Reads a part as PartReader does (the same calls, the same tokens, the same texts),
// several times as fast: it works on the UTF-8 bytes as they are unpacked and makes
// strings only of the texts asked for. It reads the XML that spreadsheet programs
// write: UTF-8, elements and attributes with ASCII names, character data, references
// to the predefined entities and to characters. Where a part holds anything else
// (another encoding, comments, processing instructions, CDATA sections, more than 16
// attributes on an element or elements nested deeper than 64, anything not
// well-formed) it stops, unhandled(), and the part is to be read by a PartReader.
class FastPartReader {
public:
    FastPartReader(Package& package, const QString& part);
    ~FastPartReader();
    FastPartReader(const FastPartReader&) = delete;
    FastPartReader& operator=(const FastPartReader&) = delete;

    bool next();
    bool nextStart();
    bool nextChild();
    bool isStartElement() const { return m_token == Token::Start; }
    bool isEndElement() const { return m_token == Token::End; }
    // The local name of the element whose start or end tag was read last.
    QLatin1StringView name() const { return m_name; }
    QString attribute(QLatin1StringView qualifiedName) const;
    // The attribute's value as long as the reader stays on this token.
    QStringView attributeView(QLatin1StringView qualifiedName);
    QString readElementText(
        QXmlStreamReader::ReadElementTextBehaviour = QXmlStreamReader::IncludeChildElements);
    void skipCurrentElement();
    QString richText();

    void fail(const QString& cause);
    bool hasError() const { return m_state != State::Reading && m_state != State::Ended; }
    Result<> finish();
    const QString& part() const { return m_part; }

    // Stopped at something it leaves to a PartReader.
    bool unhandled() const { return m_state == State::Unhandled; }
    // Hands the part back to the package, to be read again from its start.
    void giveBack(Package& package);

private:
    enum class Token { None, Start, End, Text };
    enum class State { Reading, Ended, Failed, Unhandled, StreamStopped };
    enum class Step { Token, More, Unhandled };
    struct Attribute {
        QByteArrayView name;
        QByteArrayView value;
        qsizetype colon; // in the name, -1 for none
        xmlchars::Check check;
    };
    struct OpenElement {
        std::string name;
        qsizetype colon;
    };
    struct Declaration {
        std::string prefix;
        int depth;
    };

    bool fill();
    Step scan();
    Step qualifiedName(qsizetype at, qsizetype& end, qsizetype& colon) const;
    Step scanProlog(qsizetype& at);
    Step scanStartTag(qsizetype at);
    Step scanEndTag(qsizetype at);
    Step scanText(qsizetype at);
    Step scanAttributes(qsizetype& at, bool& empty);
    bool acceptAttributes();
    bool declared(QByteArrayView prefix) const;
    void endElement();

    std::unique_ptr<PartStream> m_stream;
    QString m_part;
    QString m_cause;
    State m_state = State::Reading;

    QByteArray m_buffer; // unpacked bytes not yet read, from m_pos on
    qsizetype m_pos = 0;
    bool m_streamEnded = false;
    bool m_started = false;    // past the byte order mark and XML declaration
    bool m_rootEnded = false;  // the root element's end tag was read
    bool m_pendingEnd = false; // an empty element's end comes next

    Token m_token = Token::None;
    QLatin1StringView m_name;
    QByteArrayView m_text;
    xmlchars::Check m_textCheck = xmlchars::Check::Plain;
    std::vector<Attribute> m_attributes;
    std::vector<QString> m_attributeTexts; // the values attributeView() gave, reused
    std::vector<OpenElement> m_open;       // the open elements, m_depth of them
    int m_depth = 0;
    std::vector<Declaration> m_declarations; // namespace prefixes in scope
};

} // namespace xlsxpackage
