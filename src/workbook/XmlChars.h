#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The characters of an XML 1.0 document in UTF-8, checked and decoded as a
// well-formedness-checking reader does: only characters XML allows, in well-formed
// UTF-8; references to the five predefined entities and to characters; line ends read
// as "\n" in character data, and blanks as spaces in attribute values.
//
// The checks accept only what a well-formed document may hold; what they do not accept
// (a reference to an entity a document type declaration would define, as well as
// anything not well-formed) is left to a general XML reader.
namespace xmlchars {

enum class Check {
    Ascii,     // the bytes are the text as they are, all of them ASCII
    Plain,     // the bytes are the text as they are
    Decode,    // sound, with references or line ends to decode
    Unhandled, // not well-formed, or not read here
};

// Character data between two tags (`<` ends it; it holds no `<`).
Check checkText(QByteArrayView bytes);
// An attribute value between its quotes.
Check checkAttribute(QByteArrayView bytes);

// The text of bytes that `checkText` or `checkAttribute` found sound.
QString text(QByteArrayView bytes, Check check);
QString attribute(QByteArrayView bytes, Check check);

inline bool isNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

inline bool isNameChar(char c) {
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// The end of the ASCII name at the start of `bytes` (letters, digits, '_', '-', '.',
// not starting with a digit, '-' or '.'), 0 when there is none.
inline qsizetype nameLength(QByteArrayView bytes) {
    if (bytes.isEmpty() || !isNameStart(bytes[0]))
        return 0;
    qsizetype length = 1;
    while (length < bytes.size() && isNameChar(bytes[length]))
        ++length;
    return length;
}

inline bool isBlank(char c) {
    return c == ' ' || c == '\n' || c == '\t' || c == '\r';
}

} // namespace xmlchars
