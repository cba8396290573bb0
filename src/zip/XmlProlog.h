#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringDecoder>

// Watches the start of an XML document, as its bytes arrive, for a document type
// declaration. Before the root element a document holds only an XML declaration,
// comments, processing instructions and blanks, so "<!D" there begins one: it is seen
// at its first characters, long before an XML reader would have read it to its end.
//
// The bytes are decoded as an XML reader detects their encoding (UTF-8 unless a byte
// order mark or the zero bytes around the first "<" say UTF-16 or UTF-32).
class XmlPrologWatch {
public:
    enum class Verdict {
        Undecided,   // still before the root element
        Declaration, // a document type declaration begins
        Clear,       // the root element (or an error the XML reader reports) came first
    };

    Verdict feed(QByteArrayView bytes);
    Verdict verdict() const { return m_verdict; }

private:
    enum class State {
        Text,
        Open,
        Bang,
        BangDash,
        Comment,
        CommentDash,
        CommentDashes,
        Pi,
        PiQuestion
    };

    void step(QChar c);

    QByteArray m_head; // the first bytes, until there are enough to tell the encoding
    QStringDecoder m_decoder;
    State m_state = State::Text;
    Verdict m_verdict = Verdict::Undecided;
};
