#include "zip/XmlProlog.h"

XmlPrologWatch::Verdict XmlPrologWatch::feed(QByteArrayView bytes) {
    if (m_verdict != Verdict::Undecided || bytes.isEmpty())
        return m_verdict;
    QString text;
    if (m_decoder.isValid()) {
        text = m_decoder.decode(bytes);
    } else {
        // Like the XML reader, tell the encoding from the first four bytes.
        m_head += bytes;
        if (m_head.size() < 4)
            return m_verdict;
        m_decoder = QStringDecoder(
            QStringConverter::encodingForData(m_head, u'<').value_or(QStringConverter::Utf8));
        text = m_decoder.decode(m_head);
        m_head.clear();
    }
    for (qsizetype i = 0; i < text.size() && m_verdict == Verdict::Undecided; ++i)
        step(text[i]);
    return m_verdict;
}

void XmlPrologWatch::step(QChar c) {
    switch (m_state) {
    case State::Text:
        // Blanks and a byte order mark; any other text before the root element is an
        // error the XML reader reports.
        if (c == u'<')
            m_state = State::Open;
        break;
    case State::Open:
        if (c == u'?')
            m_state = State::Pi;
        else if (c == u'!')
            m_state = State::Bang;
        else
            m_verdict = Verdict::Clear;
        break;
    case State::Bang:
        // "<!DOCTYPE"; anything else but a comment is an error the reader reports.
        if (c == u'-')
            m_state = State::BangDash;
        else
            m_verdict = c == u'D' ? Verdict::Declaration : Verdict::Clear;
        break;
    case State::BangDash:
        if (c == u'-')
            m_state = State::Comment;
        else
            m_verdict = Verdict::Clear;
        break;
    case State::Comment:
        if (c == u'-')
            m_state = State::CommentDash;
        break;
    case State::CommentDash:
        m_state = c == u'-' ? State::CommentDashes : State::Comment;
        break;
    case State::CommentDashes:
        if (c == u'>')
            m_state = State::Text;
        else if (c != u'-')
            m_state = State::Comment;
        break;
    case State::Pi:
        if (c == u'?')
            m_state = State::PiQuestion;
        break;
    case State::PiQuestion:
        if (c == u'>')
            m_state = State::Text;
        else if (c != u'?')
            m_state = State::Pi;
        break;
    }
}
