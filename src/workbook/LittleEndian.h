#pragma once

#include <QByteArrayView>
#include <QtEndian>

// Fields of the binary .xls formats, which store numbers little-endian: the value at
// byte `at` of `data`. The caller makes sure the field lies inside `data`.
namespace littleendian {

inline quint16 u16At(QByteArrayView data, qsizetype at) {
    return qFromLittleEndian<quint16>(data.data() + at);
}

inline quint32 u32At(QByteArrayView data, qsizetype at) {
    return qFromLittleEndian<quint32>(data.data() + at);
}

} // namespace littleendian
