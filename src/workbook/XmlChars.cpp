#include "workbook/XmlChars.h"

#include <cstring>

namespace {

using xmlchars::Check;

uchar byteAt(QByteArrayView bytes, qsizetype i) {
    return i < bytes.size() ? uchar(bytes[i]) : 0;
}

bool continues(QByteArrayView bytes, qsizetype i) {
    return (byteAt(bytes, i) & 0xC0) == 0x80;
}

// The length of the UTF-8 sequence at `i` (its first byte at least 0x80) when it is
// well-formed and encodes a character XML allows, else 0: no overlong forms, no
// surrogates, nothing past U+10FFFF, neither U+FFFE nor U+FFFF.
int sequenceLength(QByteArrayView bytes, qsizetype i) {
    const uchar c = byteAt(bytes, i);
    const uchar next = byteAt(bytes, i + 1);
    if (c >= 0xC2 && c <= 0xDF)
        return continues(bytes, i + 1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        if ((c == 0xE0 && next < 0xA0) || (c == 0xED && next > 0x9F))
            return 0;
        if (!continues(bytes, i + 1) || !continues(bytes, i + 2))
            return 0;
        return c == 0xEF && next == 0xBF && byteAt(bytes, i + 2) >= 0xBE ? 0 : 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if ((c == 0xF0 && next < 0x90) || (c == 0xF4 && next > 0x8F))
            return 0;
        return continues(bytes, i + 1) && continues(bytes, i + 2) && continues(bytes, i + 3) ? 4
                                                                                             : 0;
    }
    return 0;
}

int digitValue(char c, bool hex) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (hex && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (hex && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// The reference at `i` (its '&'): its length and the character it stands for; 0 when
// it is none of the predefined entities or not a sound character reference.
qsizetype reference(QByteArrayView bytes, qsizetype i, char32_t& character) {
    const QByteArrayView rest = bytes.sliced(i);
    const auto is = [&](const char* entity, qsizetype length, char value) {
        if (rest.size() < length || std::memcmp(rest.data(), entity, std::size_t(length)) != 0)
            return qsizetype(0);
        character = char32_t(value);
        return length;
    };
    switch (rest.size() > 1 ? rest[1] : '\0') {
    case 'l':
        return is("&lt;", 4, '<');
    case 'g':
        return is("&gt;", 4, '>');
    case 'a':
        return rest.size() > 2 && rest[2] == 'm' ? is("&amp;", 5, '&') : is("&apos;", 6, '\'');
    case 'q':
        return is("&quot;", 6, '"');
    case '#':
        break;
    default:
        return 0;
    }
    const bool hex = rest.size() > 2 && rest[2] == 'x';
    qsizetype at = hex ? 3 : 2;
    char32_t value = 0;
    const qsizetype digits = at;
    for (; at < rest.size() && rest[at] != ';'; ++at) {
        const int digit = digitValue(rest[at], hex);
        if (digit < 0)
            return 0;
        value = value * (hex ? 16 : 10) + char32_t(digit);
        if (value > 0x10FFFF)
            return 0;
    }
    if (at == digits || at == rest.size() || !isXmlChar(value))
        return 0;
    character = value;
    return at + 1;
}

// Bytes that need no more than a glance: printable ASCII other than '&', '<' and ']'.
struct Ordinary {
    bool table[256] = {};
    constexpr Ordinary() {
        for (int c = 0x20; c < 0x80; ++c)
            table[c] = c != '&' && c != '<' && c != ']';
    }
};
constexpr Ordinary kOrdinary;

// Checks character data (`attribute` false) or an attribute value.
Check check(QByteArrayView bytes, bool attribute) {
    Check result = Check::Ascii;
    for (qsizetype i = 0; i < bytes.size();) {
        const uchar c = uchar(bytes[i]);
        if (kOrdinary.table[c]) {
            ++i;
        } else if (c >= 0x80) {
            const int length = sequenceLength(bytes, i);
            if (length == 0)
                return Check::Unhandled;
            if (result == Check::Ascii)
                result = Check::Plain;
            i += length;
        } else if (c == '&') {
            char32_t character;
            const qsizetype length = reference(bytes, i, character);
            if (length == 0)
                return Check::Unhandled;
            result = Check::Decode;
            i += length;
        } else if (c == '\r' || (attribute && (c == '\n' || c == '\t'))) {
            result = Check::Decode;
            ++i;
        } else if (c < 0x20 && c != '\n' && c != '\t') {
            return Check::Unhandled;
        } else if (attribute ? c == '<' : (c == ']' && bytes.sliced(i).startsWith("]]>"))) {
            return Check::Unhandled;
        } else {
            ++i;
        }
    }
    return result;
}

void append(QString& out, char32_t c) {
    if (c < 0x10000) {
        out += QChar(char16_t(c));
    } else {
        out += QChar(QChar::highSurrogate(c));
        out += QChar(QChar::lowSurrogate(c));
    }
}

// The character of the UTF-8 sequence of `length` bytes at `i`, checked before.
char32_t decodeSequence(QByteArrayView bytes, qsizetype i, int length) {
    char32_t c = uchar(bytes[i]) & (0x7F >> length);
    for (int k = 1; k < length; ++k)
        c = (c << 6) | (uchar(bytes[i + k]) & 0x3F);
    return c;
}

// Decodes sound bytes: references, and line ends ("\r\n" and "\r" read as "\n"); in an
// attribute value every line end and tab is a space.
QString decode(QByteArrayView bytes, bool attribute) {
    QString out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        const char c = bytes[i];
        char32_t character = uchar(c);
        qsizetype length = 1;
        if (uchar(c) >= 0x80) {
            length = sequenceLength(bytes, i);
            character = decodeSequence(bytes, i, int(length));
        } else if (c == '&') {
            length = reference(bytes, i, character);
        } else if (c == '\r') {
            character = attribute ? ' ' : '\n';
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n')
                length = 2;
        } else if (attribute && (c == '\n' || c == '\t')) {
            character = ' ';
        }
        append(out, character);
        i += length;
    }
    return out;
}

} // namespace

Check xmlchars::checkText(QByteArrayView bytes) {
    return check(bytes, false);
}

Check xmlchars::checkAttribute(QByteArrayView bytes) {
    return check(bytes, true);
}

QString xmlchars::text(QByteArrayView bytes, Check check) {
    if (check == Check::Ascii)
        return QString::fromLatin1(bytes);
    return check == Check::Plain ? QString::fromUtf8(bytes) : decode(bytes, false);
}

QString xmlchars::attribute(QByteArrayView bytes, Check check) {
    if (check == Check::Ascii)
        return QString::fromLatin1(bytes);
    return check == Check::Plain ? QString::fromUtf8(bytes) : decode(bytes, true);
}
