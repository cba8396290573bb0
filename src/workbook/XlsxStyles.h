#pragma once

#include "common/Result.h"
#include "workbook/CellValue.h"

#include <QString>

#include <optional>
#include <vector>

namespace zippackage {
class Package;
}

// The cell formats of an .xlsx workbook's styles part, as far as the reading of its
// cells needs them: which parts of a date each one's number format shows.
namespace xlsxstyles {

using DateParts = CellValue::DateParts;

struct Styles {
    // Per cellXfs index: the date parts its number format shows, if any.
    std::vector<std::optional<DateParts>> cellFormats;

    std::optional<DateParts> partsOf(int styleIndex) const {
        if (styleIndex < 0 || styleIndex >= static_cast<int>(cellFormats.size()))
            return std::nullopt;
        return cellFormats[styleIndex];
    }
};

// The cell formats of the styles part `part`, or the cause.
Result<Styles> read(zippackage::Package& package, const QString& part);

} // namespace xlsxstyles
