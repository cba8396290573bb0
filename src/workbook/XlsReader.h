#pragma once

#include "common/Result.h"
#include "workbook/WorkbookGrid.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

// Reads one worksheet of an Excel 97-2003 workbook (.xls, BIFF in a compound file)
// through FreeXL.
//
// FreeXL hands out values, not formats: whole numbers and booleans come back alike
// (a TRUE cell reads as 1), and times only to the second.
namespace xlsreader {

// A larger .xls than this is refused before FreeXL reads it.
constexpr qint64 kMaxFileBytes = 256 * 1024 * 1024;
// The largest sheet of the format: 65,536 rows by 256 columns (IV).
constexpr unsigned kMaxRows = 65536;
constexpr unsigned kMaxColumns = 256;

// The cells of the sheet named `sheetName`, or the cause in Chinese (without the
// workbook's path).
Result<WorkbookGrid> readSheet(const QString& path, const QString& sheetName);

// Why a sheet claiming `rows` by `columns` is refused, in Chinese.
QString dimensionCause(quint32 rows, quint32 columns);

// A workbook stream (given from its first byte on) whose first record, the BOF of the
// workbook globals, is followed by a file-password record: the workbook is encrypted.
bool startsWithFilePassword(QByteArrayView stream);

// The structure of a compound file (the container of an .xls), checked before FreeXL
// reads it: FreeXL trusts lengths and sector numbers from the file. The workbook
// stream found here must also be the one FreeXL finds, so that the records checked
// are the records it reads. Fails when the header, allocation table or directory is
// not sound.
struct CompoundFile {
    QStringList streamNames; // names in the directory
    QByteArray workbook;     // the workbook stream, as far as its chain could be followed
};
Result<CompoundFile> checkCompoundFile(QByteArrayView file);

// The records of a BIFF5/8 workbook stream that FreeXL trusts, checked before it
// reads them: every record must end inside the stream; a text must fit inside its
// record (FreeXL copies as many characters as the text claims), and a shared string
// split across records must end in the next one; a sheet has at most one dimension record, which
// must fit the format; and the cells all sheets claim must fit kMaxClaimedCells together (FreeXL
// allocates every sheet's claimed cells while it opens the workbook). Fails with the
// cause when they do not.
constexpr qint64 kMaxClaimedCells = 16 * 1024 * 1024;
Result<> checkRecords(QByteArrayView workbookStream);

} // namespace xlsreader
