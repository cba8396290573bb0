#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include "workbook/Workbook.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace fuzz {

// One application object for the whole run: Qt's text codecs, image writers
// and thread pool expect it.
inline void startApplication() {
    static int argc = 1;
    static char name[] = "veltrace-fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* application = new QCoreApplication(argc, argv);
    (void)application;
}

// A folder of this process's own, so that concurrent fuzzers never share files.
inline const QTemporaryDir& scratch() {
    static QTemporaryDir* dir = [] {
        auto* made = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/veltrace-fuzz-XXXXXX"));
        if (!made->isValid())
            std::abort();
        return made;
    }();
    return *dir;
}

// Writes the input to `name` in the scratch folder, replacing an earlier input.
inline QString writeInput(const QString& name, const QByteArray& data) {
    const QString path = scratch().filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size())
        std::abort();
    return path;
}

inline quint32 crc32(const char* data, qsizetype size) {
    static const auto table = [] {
        std::array<quint32, 256> made{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            made[i] = c;
        }
        return made;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (qsizetype i = 0; i < size; ++i)
        crc = table[(crc ^ static_cast<unsigned char>(data[i])) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

// A mutated byte inside a stored (uncompressed) zip entry would only ever reach
// the zip library's checksum test. Recomputing the checksums of stored entries
// lets the mutations reach the XML readers behind it; everything else of the
// package stays as the fuzzer made it.
inline QByteArray withStoredChecksums(QByteArray zip) {
    const auto u16 = [&](qsizetype at) -> quint32 {
        return static_cast<unsigned char>(zip[at]) | static_cast<unsigned char>(zip[at + 1]) << 8;
    };
    const auto u32 = [&](qsizetype at) { return u16(at) | u16(at + 2) << 16; };
    const auto put32 = [&](qsizetype at, quint32 value) {
        for (int i = 0; i < 4; ++i)
            zip[at + i] = static_cast<char>(value >> (8 * i));
    };
    const qsizetype end = zip.lastIndexOf(QByteArrayView("PK\x05\x06"));
    if (end < 0 || end + 22 > zip.size())
        return zip;
    const quint32 entries = u16(end + 10);
    qsizetype at = u32(end + 16);
    for (quint32 n = 0; n < entries; ++n) {
        if (at < 0 || at + 46 > zip.size() || u32(at) != 0x02014b50)
            break;
        const quint32 method = u16(at + 10);
        const qsizetype stored = u32(at + 20);
        const qsizetype local = u32(at + 42);
        if (method == 0 && local + 30 <= zip.size() && u32(local) == 0x04034b50) {
            const qsizetype from = local + 30 + u16(local + 26) + u16(local + 28);
            if (from <= zip.size() && stored <= zip.size() - from) {
                const quint32 crc = crc32(zip.constData() + from, stored);
                put32(at + 16, crc);
                put32(local + 14, crc);
            }
        }
        at += 46 + u16(at + 28) + u16(at + 30) + u16(at + 32);
    }
    return zip;
}

// Opens the workbook and reads every field the way the import and the batch do,
// checking the cursor's promises on the way.
inline void readWorkbook(const QString& path) {
    Workbook workbook;
    const QString error = workbook.open(path).message();
    if (!error.isEmpty()) {
        if (!workbook.atEnd() || workbook.rowCount() != 0 || !workbook.field(0).isEmpty())
            std::abort();
        return;
    }
    int rows = 0;
    for (; !workbook.atEnd(); workbook.moveNext(), ++rows) {
        for (int column = -1; column < 40; ++column) {
            const CellValue value = workbook.field(column);
            const QString text = value.toText();
            if (value.isEmpty() != text.isEmpty())
                std::abort();
        }
        for (int column : {255, 256, 16383, 16384, 1 << 30})
            (void)workbook.field(column).toText();
    }
    if (rows != workbook.rowCount() || !workbook.field(0).isEmpty())
        std::abort();
    workbook.moveNext();
    workbook.close();
    if (!workbook.atEnd())
        std::abort();
}

} // namespace fuzz
