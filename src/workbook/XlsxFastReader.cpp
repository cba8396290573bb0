#include "workbook/XlsxFastReader.h"

#include "common/ShortText.h"
#include "workbook/XlsxPackage.h"
#include "workbook/XlsxRichText.h"
#include "zip/ZipPartStream.h"

#include <cstring>

namespace xlsxpackage {

namespace {

using xmlchars::Check;
using xmlchars::isBlank;

// Bytes unpacked at a time, more when a token is longer.
constexpr qsizetype kChunk = 256 * 1024;
constexpr qsizetype kPrologChunk = 4 * 1024;
// A start tag with more attributes, or elements nested deeper, are left to the general
// reader: sheets need far less, and this reader then never holds more than that one.
constexpr std::size_t kMaxAttributes = 16;
constexpr int kMaxDepth = 64;

qsizetype skipBlanks(QByteArrayView bytes, qsizetype at) {
    while (at < bytes.size() && isBlank(bytes[at]))
        ++at;
    return at;
}

// Byte views compared without a call into the library: most are a few bytes long.
bool same(QByteArrayView a, QByteArrayView b) {
    return a.size() == b.size() && (a.isEmpty() || std::memcmp(a.data(), b.data(), a.size()) == 0);
}

// The prefix and the local part of a qualified name whose colon is at `colon` (-1
// for none).
QByteArrayView prefixOf(QByteArrayView name, qsizetype colon) {
    return colon < 0 ? QByteArrayView() : name.first(colon);
}

QByteArrayView localOf(QByteArrayView name, qsizetype colon) {
    return name.sliced(colon + 1);
}

// The pseudo-attributes of an XML declaration ("version", "encoding", "standalone"),
// the text between "<?xml" and "?>": true when they are those of a UTF-8 document of
// XML 1.0.
bool isUtf8Declaration(QByteArrayView text) {
    static constexpr const char* kNames[] = {"version", "encoding", "standalone"};
    std::size_t next = 0; // the first of kNames that may still come
    qsizetype at = 0;
    for (;;) {
        const qsizetype start = skipBlanks(text, at);
        if (start == text.size())
            return next > 0;
        const qsizetype length = xmlchars::nameLength(text.sliced(start));
        qsizetype eq = skipBlanks(text, start + length);
        if (start == at || length == 0 || eq == text.size() || text[eq] != '=')
            return false;
        const qsizetype open = skipBlanks(text, eq + 1);
        if (open == text.size() || (text[open] != '"' && text[open] != '\''))
            return false;
        const qsizetype close = text.indexOf(text[open], open + 1);
        if (close < 0)
            return false;
        const QByteArrayView name = text.sliced(start, length);
        const QByteArrayView value = text.sliced(open + 1, close - open - 1);
        while (next < std::size(kNames) && name != kNames[next] && next > 0)
            ++next;
        if (next == std::size(kNames) || name != kNames[next])
            return false;
        const bool sound = next == 0   ? value == "1.0"
                           : next == 1 ? value.compare("UTF-8", Qt::CaseInsensitive) == 0
                                       : value == "yes" || value == "no";
        if (!sound)
            return false;
        ++next;
        at = close + 1;
    }
}

} // namespace

FastPartReader::FastPartReader(Package& package, const QString& part)
    : m_part(shorttext::cut(part)) {
    zippackage::Failure failure;
    m_stream = package.openPart(part, failure);
    if (!m_stream)
        fail(causeOf(failure));
}

FastPartReader::~FastPartReader() = default;

bool FastPartReader::fill() {
    if (m_pos > 0) {
        m_buffer.remove(0, m_pos);
        m_pos = 0;
    }
    const qsizetype kept = m_buffer.size();
    // Before the root element the stream allows only so much: read no further ahead.
    const qsizetype wanted = qMax(m_open.empty() ? kPrologChunk : kChunk, kept);
    m_buffer.resize(kept + wanted);
    const qint64 got = m_stream->read(m_buffer.data() + kept, wanted);
    m_buffer.resize(kept + qMax<qint64>(got, 0));
    if (got <= 0)
        m_streamEnded = true;
    return got > 0;
}

bool FastPartReader::next() {
    if (m_state != State::Reading)
        return false;
    if (m_pendingEnd) {
        m_pendingEnd = false;
        endElement();
        return true;
    }
    for (;;) {
        const Step step = scan();
        if (step == Step::Token)
            return true;
        if (step == Step::More && !m_streamEnded) {
            if (!fill() && m_stream->failure()) {
                m_state = State::StreamStopped;
                return false;
            }
            continue;
        }
        // The end of the part: the end of the document only after the root element.
        const bool complete = step == Step::More && m_rootEnded && m_pos == m_buffer.size();
        m_state = complete ? State::Ended : State::Unhandled;
        m_token = Token::None;
        return false;
    }
}

FastPartReader::Step FastPartReader::scan() {
    m_attributes.clear();
    qsizetype at = m_pos;
    if (m_depth == 0) {
        if (const Step step = scanProlog(at); step != Step::Token)
            return step;
        return scanStartTag(at);
    }
    if (at + 1 >= m_buffer.size())
        return Step::More;
    if (m_buffer[at] != '<')
        return scanText(at);
    const char c = m_buffer[at + 1];
    if (c == '/')
        return scanEndTag(at);
    if (c == '!' || c == '?')
        return Step::Unhandled;
    return scanStartTag(at);
}

// Outside the root element: the byte order mark and the XML declaration at the start,
// blanks, and the root element's start tag, where `at` is left.
FastPartReader::Step FastPartReader::scanProlog(qsizetype& at) {
    const QByteArrayView bytes(m_buffer);
    if (!m_started) {
        if (bytes.size() - at < 8 && !m_streamEnded)
            return Step::More;
        if (bytes.sliced(at).startsWith("\xEF\xBB\xBF"))
            at += 3;
        const QByteArrayView rest = bytes.sliced(at);
        if (rest.startsWith("<?xml") && rest.size() > 5 && isBlank(rest[5])) {
            const qsizetype end = rest.indexOf("?>");
            if (end < 0)
                return Step::More;
            if (!isUtf8Declaration(rest.sliced(5, end - 5)))
                return Step::Unhandled;
            at += end + 2;
        }
        m_started = true;
        m_pos = at;
    }
    at = skipBlanks(bytes, at);
    m_pos = at;
    if (at == bytes.size())
        return Step::More;
    if (m_rootEnded || bytes[at] != '<')
        return Step::Unhandled;
    if (at + 1 == bytes.size())
        return Step::More;
    return bytes[at + 1] == '!' || bytes[at + 1] == '?' ? Step::Unhandled : Step::Token;
}

// The qualified name at `at` (an ASCII name, or two joined by a colon): `end` is where
// it ends, and the caller checks what follows.
FastPartReader::Step FastPartReader::qualifiedName(qsizetype at, qsizetype& end,
                                                   qsizetype& colon) const {
    const QByteArrayView bytes(m_buffer);
    end = at;
    colon = -1;
    for (int part = 0; part < 2; ++part) {
        const qsizetype length = xmlchars::nameLength(bytes.sliced(end));
        end += length;
        if (end == bytes.size())
            return Step::More;
        if (length == 0)
            return Step::Unhandled;
        if (bytes[end] != ':')
            return Step::Token;
        if (part == 0)
            colon = end++ - at;
    }
    return Step::Unhandled;
}

FastPartReader::Step FastPartReader::scanStartTag(qsizetype at) {
    const QByteArrayView bytes(m_buffer);
    qsizetype end = 0;
    qsizetype colon = -1;
    if (const Step step = qualifiedName(at + 1, end, colon); step != Step::Token)
        return step;
    const QByteArrayView name = bytes.sliced(at + 1, end - at - 1);
    bool empty = false;
    if (const Step step = scanAttributes(end, empty); step != Step::Token)
        return step;
    const QByteArrayView prefix = prefixOf(name, colon);
    if (m_depth == kMaxDepth || !acceptAttributes() || same(prefix, "xml") ||
        (!prefix.isNull() && !declared(prefix)))
        return Step::Unhandled;
    if (m_open.size() <= std::size_t(m_depth))
        m_open.emplace_back();
    m_open[std::size_t(m_depth)].name.assign(name.data(), std::size_t(name.size()));
    m_open[std::size_t(m_depth)].colon = colon;
    ++m_depth;
    m_stream->rootElementSeen();
    const QByteArrayView local = localOf(name, colon);
    m_name = QLatin1StringView(local.data(), local.size());
    m_token = Token::Start;
    m_pendingEnd = empty;
    m_pos = end;
    return Step::Token;
}

// The attributes of a start tag from `at`, just after its name, to its end, where `at`
// is left.
FastPartReader::Step FastPartReader::scanAttributes(qsizetype& at, bool& empty) {
    const QByteArrayView bytes(m_buffer);
    for (;;) {
        const qsizetype start = skipBlanks(bytes, at);
        if (start == bytes.size())
            return Step::More;
        if (bytes[start] == '>' || bytes[start] == '/') {
            empty = bytes[start] == '/';
            if (empty && start + 1 == bytes.size())
                return Step::More;
            if (empty && bytes[start + 1] != '>')
                return Step::Unhandled;
            at = start + (empty ? 2 : 1);
            return Step::Token;
        }
        qsizetype end = 0;
        qsizetype colon = -1;
        if (start == at || m_attributes.size() == kMaxAttributes)
            return Step::Unhandled;
        if (const Step step = qualifiedName(start, end, colon); step != Step::Token)
            return step;
        const qsizetype eq = skipBlanks(bytes, end);
        const qsizetype open = eq < bytes.size() ? skipBlanks(bytes, eq + 1) : eq;
        if (open == bytes.size())
            return Step::More;
        if (bytes[eq] != '=' || (bytes[open] != '"' && bytes[open] != '\''))
            return Step::Unhandled;
        const auto* close = static_cast<const char*>(std::memchr(
            bytes.data() + open + 1, bytes[open], std::size_t(bytes.size() - open - 1)));
        if (!close)
            return Step::More;
        const qsizetype valueEnd = close - bytes.data();
        m_attributes.push_back({bytes.sliced(start, end - start),
                                bytes.sliced(open + 1, valueEnd - open - 1), colon, Check::Plain});
        at = valueEnd + 1;
    }
}

// Takes the namespace declarations out of the attributes of the start tag just read,
// and checks them all: false for what is left to the general reader.
bool FastPartReader::acceptAttributes() {
    const int depth = m_depth + 1;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_attributes.size(); ++i) {
        Attribute& attribute = m_attributes[i];
        attribute.check = xmlchars::checkAttribute(attribute.value);
        if (attribute.check == Check::Unhandled)
            return false;
        const QByteArrayView local = localOf(attribute.name, attribute.colon);
        for (std::size_t j = 0; j < i; ++j)
            if (same(localOf(m_attributes[j].name, m_attributes[j].colon), local))
                return false;
        const QByteArrayView prefix = prefixOf(attribute.name, attribute.colon);
        if (same(prefix, "xmlns")) {
            if (same(local, "xml") || same(local, "xmlns") || attribute.value.isEmpty())
                return false;
            m_declarations.push_back({std::string(local.data(), local.size()), depth});
        } else if (!same(attribute.name, "xmlns")) {
            m_attributes[kept++] = attribute;
        }
    }
    m_attributes.resize(kept);
    for (const Attribute& attribute : m_attributes) {
        const QByteArrayView prefix = prefixOf(attribute.name, attribute.colon);
        if (!prefix.isNull() && !same(prefix, "xml") && !declared(prefix))
            return false;
    }
    return true;
}

bool FastPartReader::declared(QByteArrayView prefix) const {
    for (const Declaration& declaration : m_declarations)
        if (same(QByteArrayView(declaration.prefix), prefix))
            return true;
    return false;
}

FastPartReader::Step FastPartReader::scanEndTag(qsizetype at) {
    const QByteArrayView bytes(m_buffer);
    qsizetype end = 0;
    qsizetype colon = -1;
    if (const Step step = qualifiedName(at + 2, end, colon); step != Step::Token)
        return step;
    const qsizetype close = skipBlanks(bytes, end);
    if (close == bytes.size())
        return Step::More;
    if (bytes[close] != '>' || !same(bytes.sliced(at + 2, end - at - 2),
                                     QByteArrayView(m_open[std::size_t(m_depth - 1)].name)))
        return Step::Unhandled;
    m_pos = close + 1;
    endElement();
    return Step::Token;
}

FastPartReader::Step FastPartReader::scanText(qsizetype at) {
    const QByteArrayView bytes(m_buffer);
    const auto* lt = static_cast<const char*>(
        std::memchr(bytes.data() + at, '<', std::size_t(bytes.size() - at)));
    if (!lt)
        return Step::More;
    const qsizetype end = lt - bytes.data();
    m_text = bytes.sliced(at, end - at);
    m_textCheck = xmlchars::checkText(m_text);
    if (m_textCheck == Check::Unhandled)
        return Step::Unhandled;
    m_name = QLatin1StringView();
    m_token = Token::Text;
    m_pos = end;
    return Step::Token;
}

void FastPartReader::endElement() {
    const OpenElement& element = m_open[std::size_t(--m_depth)];
    const QByteArrayView local = localOf(QByteArrayView(element.name), element.colon);
    m_name = QLatin1StringView(local.data(), local.size());
    m_token = Token::End;
    while (!m_declarations.empty() && m_declarations.back().depth > m_depth)
        m_declarations.pop_back();
    if (m_depth == 0)
        m_rootEnded = true;
}

bool FastPartReader::nextStart() {
    while (next())
        if (isStartElement())
            return true;
    return false;
}

bool FastPartReader::nextChild() {
    while (next()) {
        if (isStartElement())
            return true;
        if (isEndElement())
            return false;
    }
    return false;
}

QString FastPartReader::attribute(QLatin1StringView qualifiedName) const {
    const QByteArrayView wanted(qualifiedName.data(), qualifiedName.size());
    for (const Attribute& attribute : m_attributes)
        if (same(attribute.name, wanted))
            return xmlchars::attribute(attribute.value, attribute.check);
    return QString();
}

QStringView FastPartReader::attributeView(QLatin1StringView qualifiedName) {
    const QByteArrayView wanted(qualifiedName.data(), qualifiedName.size());
    for (std::size_t i = 0; i < m_attributes.size(); ++i) {
        const Attribute& attribute = m_attributes[i];
        if (!same(attribute.name, wanted))
            continue;
        if (m_attributeTexts.size() <= i)
            m_attributeTexts.resize(i + 1);
        QString& text = m_attributeTexts[i];
        if (attribute.check != Check::Ascii) {
            text = xmlchars::attribute(attribute.value, attribute.check);
            return text;
        }
        // Written into the string kept from the token before: no allocation.
        text.resize(attribute.value.size());
        QChar* out = text.data();
        for (const char c : attribute.value)
            *out++ = QLatin1Char(c);
        return text;
    }
    return QStringView();
}

QString FastPartReader::readElementText(QXmlStreamReader::ReadElementTextBehaviour) {
    QString text;
    int level = 1;
    while (next()) {
        if (m_token == Token::Text)
            text += xmlchars::text(m_text, m_textCheck);
        else if (m_token == Token::Start)
            ++level;
        else if (--level == 0)
            break;
    }
    return text;
}

void FastPartReader::skipCurrentElement() {
    int level = 1;
    while (level > 0 && next()) {
        if (m_token == Token::Start)
            ++level;
        else if (m_token == Token::End)
            --level;
    }
}

QString FastPartReader::richText() {
    return richTextOf(*this);
}

void FastPartReader::fail(const QString& cause) {
    if (m_cause.isEmpty())
        m_cause = cause;
    m_state = State::Failed;
}

Result<> FastPartReader::finish() {
    if (m_stream && (m_state == State::Reading || m_state == State::Ended))
        m_stream->drain();
    if (m_stream && m_stream->failure())
        return Failed{causeOf(m_stream->failure())};
    if (!m_cause.isEmpty())
        return Failed{m_cause};
    return {};
}

void FastPartReader::giveBack(Package& package) {
    if (m_stream)
        package.forget(*m_stream);
    m_stream.reset();
}

} // namespace xlsxpackage
