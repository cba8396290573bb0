#pragma once

#include <QString>

// What a report template is filled with besides the plots: the values of each
// plotted row of a batch, for a table row or a section repeated per segment,
// and what was filled, for the batch's report.
namespace docx {

// One plotted row as the row fields of a template show it.
struct RowValues {
    int number = 0;       // {{序号}}: 1, 2, … among the plotted rows of the batch
    QString segment;      // {{测试段}}
    QString vswr;         // {{驻波比}}, as the field holds it
    double vswrValue = 0; // {{结论}}: "合格" when at most the limit
    QString length;       // {{馈线长}}: field 1 as the batch wrote it (25.4)
    QString loss;         // {{插损}}: field 5 (0.070dB/m)
    QString distance;     // {{测试距离}}: field 3
    QString time;         // {{测试时间}}: field 11 as drawn on the plot
};

// What the writes of a batch filled.
struct FillCounts {
    int tableRows = 0;     // copies of table rows holding row fields
    int sections = 0;      // copies of the section between {{#每段}} and {{/每段}}
    int summaryValues = 0; // summary placeholders and the limit replaced
    int replaced = 0;      // earlier plots of a segment replaced in place

    FillCounts& operator+=(const FillCounts& later) {
        tableRows += later.tableRows;
        sections += later.sections;
        summaryValues += later.summaryValues;
        replaced += later.replaced;
        return *this;
    }
    FillCounts& operator-=(const FillCounts& earlier) {
        tableRows -= earlier.tableRows;
        sections -= earlier.sections;
        summaryValues -= earlier.summaryValues;
        replaced -= earlier.replaced;
        return *this;
    }
    friend FillCounts operator-(FillCounts all, const FillCounts& earlier) {
        return all -= earlier;
    }
};

// The VSWR limit when neither the document nor the user gives one.
inline constexpr double kDefaultLimit = 1.5;

} // namespace docx
