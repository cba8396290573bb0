#pragma once

#include "common/Result.h"
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

// The cells of the worksheet part `part`, read with the reader `reader` names, or the
// cause.
Result<WorkbookGrid> read(zippackage::Package& package, const QString& part,
                          const SheetContext& context, xlsxreader::SheetXml reader);

} // namespace xlsxsheet
