#pragma once

#include "workbook/WorkbookGrid.h"
#include "workbook/XlsxReader.h"
#include "workbook/XlsxStyles.h"

#include <QString>
#include <QStringList>

namespace zippackage {
class Package;
}

// The cells of an .xlsx worksheet part.
namespace xlsxsheet {

struct SheetContext {
    const QStringList& sharedStrings;
    const xlsxstyles::Styles& styles;
    bool date1904 = false;
};

// Reads the worksheet part `part` into `grid` with the reader `reader` names; returns ""
// or the cause.
QString read(zippackage::Package& package, const QString& part, const SheetContext& context,
             WorkbookGrid& grid, xlsxreader::SheetXml reader);

} // namespace xlsxsheet
