#pragma once

#include "common/Result.h"
#include "workbook/WorkbookGrid.h"

#include <QString>

// Reads one worksheet of an .xlsx workbook (an Office Open XML package) with libzip
// and XML readers, each part unpacked while it is parsed (see XlsxPackage.h). The
// package may be hostile: every part is size-checked before and while it is unpacked,
// any document type declaration is refused where it begins, and references beyond the
// sheet's limits end the reading.
namespace xlsxreader {

// The number of entries a package may hold (the limits on what its parts unpack to are
// those of every package, see zip/ZipPackage.h).
constexpr qint64 kMaxEntries = 10000;

// Which reader reads the sheet's XML. A sheet is read by a reader made for the XML
// spreadsheet programs write, several times as fast as Qt's; a sheet holding XML that
// reader leaves (another encoding, comments, CDATA, anything not well-formed) is read
// again from its start by Qt's reader, which reads any well-formed XML and words what
// is wrong with the rest. Fast and General choose one of them alone, to compare them:
// what Fast leaves is refused.
enum class SheetXml { Auto, Fast, General };

// The cells of the sheet named `sheetName`, or the cause in Chinese (without the
// workbook's path).
Result<WorkbookGrid> readSheet(const QString& path, const QString& sheetName,
                               SheetXml reader = SheetXml::Auto);

// Which parts of a date a number format shows, judged from its format code the way
// a spreadsheet decides that a cell holds a date: y, m, d, h, s outside quoted texts,
// escapes and [brackets] (except elapsed-time [h], [m], [s]). Empty for formats that
// show no date or time.
std::optional<CellValue::DateParts> dateParts(const QString& formatCode);

} // namespace xlsxreader
