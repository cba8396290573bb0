#include "batch/BatchRow.h"

#include "trace/Numbers.h"
#include "workbook/Workbook.h"

QString batchrow::lengthText(const QString& text) {
    const auto value = numbers::parse(text);
    return value ? numbers::format(*value, 1) : text;
}

batchrow::Row batchrow::currentRow(const Workbook& workbook) {
    Row row;
    for (int column = 0; column < static_cast<int>(row.size()); ++column)
        row[column] = workbook.field(column);
    return row;
}

QList<FieldWrite> batchrow::writes(const Row& row, bool specifiedTime) {
    QList<FieldWrite> result;
    const auto writeCell = [&](int field, int column) {
        const CellValue& cell = row[column];
        if (!cell.isEmpty())
            result.append({field, cell.toText()});
    };
    writeCell(0, kSegment);
    writeCell(2, kVswr);
    if (specifiedTime)
        writeCell(11, kTestTime);

    const CellValue& thick = row[kLengthThick];
    const bool thin = thick.isEmpty();
    result.append({5, thin ? QStringLiteral("0.070dB/m") : QStringLiteral("0.110dB/m")});
    result.append({6, QStringLiteral("0.880")});
    const CellValue& length = thin ? row[kLengthThin] : thick;
    if (!length.isEmpty())
        result.append({1, length.kind == CellValue::Kind::Number ? numbers::format(length.number, 1)
                                                                 : lengthText(length.toText())});
    return result;
}
