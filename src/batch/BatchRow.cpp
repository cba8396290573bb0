#include "batch/BatchRow.h"

#include "trace/Numbers.h"
#include "workbook/Workbook.h"

QString batchrow::lengthText(const QString& text) {
    const auto value = numbers::parse(text);
    return value ? numbers::forLocale(numbers::format(*value, 1)) : text;
}

batchrow::Row batchrow::currentRow(const Workbook& workbook) {
    Row row;
    for (int column = 0; column < static_cast<int>(row.size()); ++column)
        row[column] = workbook.field(column);
    return row;
}

QList<FieldWrite> batchrow::writes(const Row& row, bool specifiedTime) {
    QList<FieldWrite> result;
    // Numbers go into the fields as the locale writes them, so the fields
    // read them back as the same numbers.
    const auto writeCell = [&](Field field, int column) {
        const CellValue& cell = row[column];
        if (cell.kind == CellValue::Kind::Number)
            result.append({field, numbers::forLocale(cell.toText())});
        else if (!cell.isEmpty())
            result.append({field, cell.toText()});
    };
    writeCell(Field::Segment, kSegment);
    writeCell(Field::Vswr, kVswr);
    if (specifiedTime)
        writeCell(Field::Time, kTestTime);

    const CellValue& thick = row[kLengthThick];
    const bool thin = thick.isEmpty();
    result.append(
        {Field::InsertionLoss, thin ? QStringLiteral("0.070dB/m") : QStringLiteral("0.110dB/m")});
    result.append({Field::PropagationVelocity, QStringLiteral("0.880")});
    const CellValue& length = thin ? row[kLengthThin] : thick;
    if (!length.isEmpty())
        result.append(
            {Field::FeederLength, length.kind == CellValue::Kind::Number
                                      ? numbers::forLocale(numbers::format(length.number, 1))
                                      : lengthText(length.toText())});
    return result;
}
