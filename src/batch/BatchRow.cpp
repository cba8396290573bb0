#include "batch/BatchRow.h"

#include "trace/FieldReader.h"
#include "trace/FieldRules.h"
#include "trace/Numbers.h"
#include "workbook/Workbook.h"

#include <algorithm>
#include <variant>

namespace {

using batchrow::CellFault;
using Cause = CellFault::Cause;

// A cell read as a number: its value and the text a field gets for it (a
// number in the locale's form, so the field reads it back as the same
// number; a text as the workbook holds it).
struct CellNumber {
    double value = 0;
    QString text;
};

std::variant<CellNumber, Cause> readNumber(const CellValue& cell) {
    if (const auto value = cell.numberValue())
        return CellNumber{*value, numbers::forLocale(cellNumberText(*value))};
    const QString text = cell.toText();
    if (cell.kind == CellValue::Kind::Text) {
        if (const auto value = numbers::parse(text))
            return CellNumber{*value, text};
    }
    return numbers::isOutOfRange(text) ? Cause::TooLarge : Cause::NotANumber;
}

class Planner {
public:
    Planner(const batchrow::Row& row, const FieldReader& fields, const batchrow::Options& options)
        : m_row(row), m_fields(fields), m_options(options) {}

    batchrow::Plan plan(const QString& segmentAbove) {
        segment(segmentAbove);
        vswr();
        if (m_options.specifiedTime)
            time();
        length();
        if (!m_plan.faults.isEmpty()) {
            m_plan.fate = batchrow::Plan::Fate::Refuse;
            m_plan.writes.clear();
        }
        return m_plan;
    }

private:
    void write(Field field, const QString& text) { m_plan.writes.append({field, text}); }
    void fault(int column, Cause cause) {
        m_plan.faults.append({column, cause, m_row[column].toText()});
    }
    // An empty cell under carryEmpty: the field keeps what it holds, when a
    // plot can be drawn from it.
    bool carry(int column, Field field) {
        const QString kept = m_fields.text(field);
        if (kept.isEmpty() || fieldrules::check(field, kept))
            return false;
        m_plan.carried.append({column, kept});
        return true;
    }

    void segment(const QString& segmentAbove) {
        const CellValue& cell = m_row[batchrow::kSegment];
        if (!cell.isEmpty()) {
            m_plan.segment = cell.toText();
            write(Field::Segment, m_plan.segment);
        } else if (m_options.carryEmpty) {
            m_plan.segment = m_fields.text(Field::Segment);
            m_plan.carried.append({batchrow::kSegment, m_plan.segment});
        } else if (!segmentAbove.isEmpty()) {
            // Merged cells leave the rows under the first one empty.
            m_plan.segment = segmentAbove;
            m_plan.carried.append({batchrow::kSegment, segmentAbove});
            write(Field::Segment, segmentAbove);
        } else {
            fault(batchrow::kSegment, Cause::Empty);
        }
    }

    void vswr() {
        const CellValue& cell = m_row[batchrow::kVswr];
        if (cell.isEmpty()) {
            if (!m_options.carryEmpty || !carry(batchrow::kVswr, Field::Vswr))
                fault(batchrow::kVswr, Cause::Empty);
            return;
        }
        const auto number = readNumber(cell);
        if (const Cause* cause = std::get_if<Cause>(&number))
            return fault(batchrow::kVswr, *cause);
        const CellNumber& vswr = std::get<CellNumber>(number);
        if (fieldrules::outOfBounds(Field::Vswr, vswr.value))
            return fault(batchrow::kVswr, Cause::BelowOne);
        write(Field::Vswr, vswr.text);
    }

    void time() {
        const CellValue& cell = m_row[batchrow::kTestTime];
        if (!cell.isEmpty())
            write(Field::Time, cell.toText());
        else if (!m_options.carryEmpty || !carry(batchrow::kTestTime, Field::Time))
            write(Field::Time, QString()); // no time in the workbook, none on the plot
    }

    void length() {
        const bool thin = m_row[batchrow::kLengthThick].isEmpty();
        const int column = thin ? batchrow::kLengthThin : batchrow::kLengthThick;
        write(Field::InsertionLoss,
              thin ? QStringLiteral("0.070dB/m") : QStringLiteral("0.110dB/m"));
        write(Field::PropagationVelocity, QStringLiteral("0.880"));
        const CellValue& cell = m_row[column];
        if (cell.isEmpty()) {
            if (!m_options.carryEmpty || !carry(column, Field::FeederLength))
                fault(batchrow::kLengthThick, Cause::NoLength);
            return;
        }
        const auto number = readNumber(cell);
        if (const Cause* cause = std::get_if<Cause>(&number))
            return fault(column, *cause);
        // Written to a tenth of a metre, and drawn from that.
        const QString tenths = numbers::format(std::get<CellNumber>(number).value, 1);
        if (fieldrules::outOfBounds(Field::FeederLength, tenths.toDouble()))
            return fault(column, Cause::NotPositive);
        write(Field::FeederLength, numbers::forLocale(tenths));
    }

    const batchrow::Row& m_row;
    const FieldReader& m_fields;
    const batchrow::Options& m_options;
    batchrow::Plan m_plan;
};

} // namespace

batchrow::Row batchrow::currentRow(const Workbook& workbook) {
    Row row;
    for (int column = 0; column < static_cast<int>(row.size()); ++column)
        row[column] = workbook.field(column);
    return row;
}

batchrow::Plan batchrow::plan(const Row& row, const FieldReader& fields,
                              const QString& segmentAbove, const Options& options) {
    if (std::all_of(row.begin(), row.end(), [](const CellValue& cell) { return cell.isEmpty(); }))
        return {Plan::Fate::Skip, {}, {}, {}, {}};
    return Planner(row, fields, options).plan(segmentAbove);
}
