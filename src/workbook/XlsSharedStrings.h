#pragma once

#include "common/Result.h"

#include <QByteArrayView>
#include <QString>

// The shared string table of an .xls workbook, walked record by record exactly as
// FreeXL parses it: the first table record gives the count, the records after it
// (more table records or continuations) go on where the previous one stopped. A step
// fails with why FreeXL would read past the record.
class SharedStrings {
public:
    bool started() const { return m_started; }
    // `tableBytes`: the bytes of this record and of the continuations after it.
    Result<> first(QByteArrayView record, qint64 tableBytes);
    Result<> next(QByteArrayView record);

private:
    Result<> strings(QByteArrayView record, qsizetype at);

    bool m_started = false;
    quint32 m_count = 0;
    quint32 m_index = 0;
    // A string split at the end of a record: its length, the characters already read
    // and the formatting bytes to skip after it.
    quint32 m_splitLength = 0;
    quint32 m_splitDone = 0;
    qint64 m_splitSkip = 0;
};
