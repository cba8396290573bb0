#include "document/DocxFill.h"

#include "document/DocxTemplate.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>

namespace docx {

namespace {

bool within(qsizetype at, qsizetype from, qsizetype to) {
    return at >= from && at < to;
}

bool holds(const Repeat& outer, const Repeat& inner) {
    return inner.removeFrom >= outer.removeFrom && inner.removeTo <= outer.removeTo;
}

// Sections and table rows holding row fields. A row inside a section, or
// inside another such row, is filled with it; a row that holds a section (in
// one of its cells) is not repeated itself.
QList<Repeat> repeatsOf(const TemplateScan& fill) {
    QList<Repeat> repeats;
    for (const SectionSpan& section : fill.sections)
        repeats.append(
            {true, section.start.end, section.end.start, section.start.start, section.end.end});
    for (const ElementSpan& row : fill.rows) {
        const Repeat repeat{false, row.start, row.end, row.start, row.end};
        const bool overlaps = std::any_of(repeats.begin(), repeats.end(), [&](const Repeat& other) {
            return holds(other, repeat) || holds(repeat, other);
        });
        if (!overlaps)
            repeats.append(repeat);
    }
    std::sort(repeats.begin(), repeats.end(),
              [](const Repeat& a, const Repeat& b) { return a.removeFrom < b.removeFrom; });
    return repeats;
}

// The media part a relationship of the main part leads to; empty when none.
QString mediaPart(const QString& mainPart, const RelationshipsScan& rels, const QString& id) {
    for (const Relationship& relationship : rels.relationships) {
        if (relationship.id != id || relationship.external)
            continue;
        const QString& target = relationship.target;
        if (target.startsWith(u'/'))
            return QDir::cleanPath(target.mid(1));
        const qsizetype slash = mainPart.lastIndexOf(u'/');
        return QDir::cleanPath(mainPart.left(slash + 1) + target);
    }
    return {};
}

// The pictures of this program that plots replace, the first of each
// segment's not yet replaced.
void planReplacements(const DocumentScan& scan, const FillInput& input, const QString& mainPart,
                      const RelationshipsScan& rels, const QSet<QString>& takenNames,
                      FillPlan* plan) {
    QSet<int> used;
    const QList<OwnDrawing>& own = scan.fill.ownDrawings;
    for (qsizetype i = 0; i < input.rows.size(); ++i) {
        const int paragraph = input.rowParagraph.at(i);
        if (paragraph < 0)
            continue;
        const QString name = pictureName(input.rows.at(i).segment);
        for (int d = 0; d < own.size(); ++d) {
            if (used.contains(d) || own.at(d).name != name || own.at(d).embed.isEmpty())
                continue;
            used.insert(d);
            Replacement replacement{d, {}, own.at(d).embed};
            // A part no other picture shows takes the new PNG; a shared one
            // stays for the others.
            const QString part = mediaPart(mainPart, rels, replacement.relation);
            if (scan.fill.embedUses.value(replacement.relation) == 1 &&
                part.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive) &&
                takenNames.contains(part.toLower()))
                replacement.part = part;
            plan->replacing.insert(paragraph, replacement);
            plan->taken.insert(paragraph);
            break;
        }
    }
}

// What the summary fields say of the batch's rows.
struct Summary {
    int passed = 0;
    int failed = 0;
    QString maxVswr;
    QString maxSegment;
};

Summary summaryOf(const QList<RowValues>& rows, double limit) {
    Summary summary;
    const RowValues* worst = nullptr;
    for (const RowValues& row : rows) {
        ++(row.vswrValue <= limit ? summary.passed : summary.failed);
        if (!worst || row.vswrValue > worst->vswrValue)
            worst = &row;
    }
    if (worst) {
        summary.maxVswr = worst->vswr;
        summary.maxSegment = worst->segment;
    }
    return summary;
}

// The value of a field: a row field from the row (none without one), a
// summary field and the limit only in the batch's last write.
class Values {
public:
    Values(const FillPlan& plan, const FillInput& input)
        : m_plan(plan), m_input(input), m_summary(summaryOf(input.runRows, plan.limit)) {}

    std::optional<FieldValue> of(const FieldName& name, const RowValues* row) {
        if (name.kind == FieldName::Row)
            return row ? std::optional<FieldValue>(rowValue(name.row, *row)) : std::nullopt;
        if (!m_input.finishing ||
            (name.kind != FieldName::Summary && name.kind != FieldName::Limit))
            return std::nullopt;
        ++summaryValues;
        if (name.kind == FieldName::Limit)
            return FieldValue{name.limitText};
        return FieldValue{summaryValue(name.summary)};
    }

    int summaryValues = 0;

private:
    FieldValue rowValue(RowField field, const RowValues& row) const {
        switch (field) {
        case RowField::Number:
            return {QString::number(row.number)};
        case RowField::Segment:
            return {row.segment};
        case RowField::Vswr:
            return {row.vswr};
        case RowField::Length:
            return {row.length};
        case RowField::Loss:
            return {row.loss};
        case RowField::Distance:
            return {row.distance};
        case RowField::Time:
            return {row.time};
        case RowField::Verdict:
            break;
        }
        const bool passed = row.vswrValue <= m_plan.limit;
        return {passed ? QStringLiteral("合格") : QStringLiteral("不合格"), !passed};
    }

    QString summaryValue(SummaryField field) const {
        switch (field) {
        case SummaryField::Rows:
            return QString::number(m_input.runRows.size());
        case SummaryField::Passed:
            return QString::number(m_summary.passed);
        case SummaryField::Failed:
            return QString::number(m_summary.failed);
        case SummaryField::MaxVswr:
            return m_summary.maxVswr;
        case SummaryField::MaxVswrSegment:
            return m_summary.maxSegment;
        case SummaryField::Limit:
            return m_plan.limitText;
        case SummaryField::Date:
            break;
        }
        return m_input.date;
    }

    const FillPlan& m_plan;
    const FillInput& m_input;
    const Summary m_summary;
};

// A repeat's template and what its copies change in it.
class RepeatModel {
public:
    RepeatModel(const DocumentScan& scan, const QString& text, const FillPlan& plan, int index)
        : m_scan(scan), m_plan(plan), m_index(index), m_repeat(plan.repeats.at(index)),
          m_text(text.mid(m_repeat.from, m_repeat.to - m_repeat.from)) {
        for (const FieldParagraphSpan& field : scan.fill.fields) {
            if (!within(field.span.start, m_repeat.from, m_repeat.to))
                continue;
            FieldParagraph paragraph;
            if (paragraph.parse(text.mid(field.span.start, field.span.end - field.span.start),
                                scan.wordPrefix))
                m_fields.append({paragraph, field.span.start - m_repeat.from});
        }
        for (int i = 0; i < scan.placeholders.size(); ++i) {
            if (within(scan.placeholders.at(i).paragraph.start, m_repeat.from, m_repeat.to))
                m_placeholders.append(i);
        }
        // Drawings in the template (a logo, say) take ids of their own in each copy.
        static const QRegularExpression drawingId(
            QStringLiteral("<(?:[\\w.-]+:)?(?:docPr|cNvPr)\\s[^>]*?\\bid\\s*=\\s*[\"'](\\d+)"));
        for (auto it = drawingId.globalMatch(m_text); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            m_drawingIds.append({match.capturedStart(1), match.capturedLength(1)});
        }
    }

    // The copy for a row; plot: the typed paragraph whose pictures it shows, or -1.
    QString copy(const RowValues& row, int plot, Values& values, const FillWriter& writer) const {
        QList<Edit> local;
        const auto value = [&](const FieldName& name) { return values.of(name, &row); };
        for (const auto& [paragraph, offset] : m_fields)
            local += paragraph.edits(value, offset);
        for (int placeholder : m_placeholders) {
            const bool takes =
                plot >= 0 && m_index == m_plan.plotRepeat && placeholder == m_plan.plotPlaceholder;
            if (takes)
                local += shifted(writer.formatEdits(placeholder));
            const QList<ElementSpan>& content = m_scan.placeholders.at(placeholder).content;
            for (qsizetype c = 0; c < content.size(); ++c)
                local.append({content.at(c).start - m_repeat.from,
                              content.at(c).end - m_repeat.from,
                              takes && c == 0 ? writer.runs(plot) : QString()});
        }
        for (const auto& [at, length] : m_drawingIds)
            local.append({at, at + length, QString::number(writer.nextId())});
        return applyEdits(m_text, local);
    }

private:
    // Edits inside the template, moved to its copy.
    QList<Edit> shifted(const QList<Edit>& edits) const {
        QList<Edit> inside;
        for (const Edit& edit : edits) {
            if (edit.start >= m_repeat.from && edit.end <= m_repeat.to)
                inside.append({edit.start - m_repeat.from, edit.end - m_repeat.from, edit.text});
        }
        return inside;
    }

    const DocumentScan& m_scan;
    const FillPlan& m_plan;
    const int m_index;
    const Repeat m_repeat;
    const QString m_text;
    QList<std::pair<FieldParagraph, qsizetype>> m_fields;
    QList<int> m_placeholders;
    QList<std::pair<qsizetype, qsizetype>> m_drawingIds; // where each id's digits are
};

bool hasSummaryField(const FieldParagraphSpan& paragraph) {
    return std::any_of(paragraph.fields.begin(), paragraph.fields.end(), [](const FoundField& f) {
        return f.name.kind == FieldName::Summary || f.name.kind == FieldName::Limit;
    });
}

} // namespace

FillPlan planFill(const DocumentScan& scan, const FillInput& input, const QString& mainPart,
                  const RelationshipsScan& rels, const QSet<QString>& takenNames,
                  Notices* notices) {
    FillPlan plan;
    plan.repeats = repeatsOf(scan.fill);
    plan.limit = input.userLimit;
    plan.limitText = QLocale::c().toString(input.userLimit, 'g', 6);
    for (const FieldParagraphSpan& paragraph : scan.fill.fields) {
        const auto limit =
            std::find_if(paragraph.fields.begin(), paragraph.fields.end(),
                         [](const FoundField& f) { return f.name.kind == FieldName::Limit; });
        if (limit == paragraph.fields.end())
            continue;
        plan.limit = limit->name.limit;
        plan.limitText = limit->name.limitText;
        if (plan.limit != input.userLimit && !input.rows.isEmpty())
            notices->add(Notices::Kind::DocumentLimit,
                         QCoreApplication::translate("document", "文档 %1，设置 %2")
                             .arg(plan.limitText, QLocale::c().toString(input.userLimit, 'g', 6)));
        break;
    }
    for (int i = 0; i < scan.placeholders.size(); ++i) {
        const qsizetype at = scan.placeholders.at(i).paragraph.start;
        for (int r = 0; r < plan.repeats.size(); ++r) {
            if (!within(at, plan.repeats.at(r).from, plan.repeats.at(r).to))
                continue;
            plan.placeholdersInRepeats.insert(i);
            if (plan.plotPlaceholder < 0) {
                plan.plotPlaceholder = i;
                plan.plotRepeat = r;
            }
        }
    }
    if (input.replaceExisting)
        planReplacements(scan, input, mainPart, rels, takenNames, &plan);
    for (qsizetype i = 0; i < input.rows.size() && plan.plotPlaceholder >= 0; ++i) {
        const int paragraph = input.rowParagraph.at(i);
        if (paragraph >= 0 && !plan.taken.contains(paragraph)) {
            plan.repeatPlots.insert(paragraph, int(i));
            plan.taken.insert(paragraph);
        }
    }
    return plan;
}

QList<Edit> fillEdits(const FillPlan& plan, const DocumentScan& scan, const QString& text,
                      const FillInput& input, const FillWriter& writer, FillCounts* counts) {
    QList<Edit> edits;
    Values values(plan, input);
    for (int r = 0; r < plan.repeats.size(); ++r) {
        const Repeat& repeat = plan.repeats.at(r);
        if (input.rows.isEmpty() && !input.finishing)
            break;
        const RepeatModel model(scan, text, plan, r);
        QString copies;
        for (qsizetype i = 0; i < input.rows.size(); ++i) {
            const int paragraph = input.rowParagraph.at(i);
            const bool plot = paragraph >= 0 && plan.repeatPlots.value(paragraph, -1) == i;
            copies += model.copy(input.rows.at(i), plot ? paragraph : -1, values, writer);
            ++(repeat.section ? counts->sections : counts->tableRows);
        }
        if (input.finishing)
            edits.append({repeat.removeFrom, repeat.removeTo, copies});
        else if (!copies.isEmpty())
            edits.append({repeat.removeFrom, repeat.removeFrom, copies});
    }
    if (input.finishing) {
        for (const FieldParagraphSpan& field : scan.fill.fields) {
            const bool inRepeat =
                std::any_of(plan.repeats.begin(), plan.repeats.end(), [&](const Repeat& repeat) {
                    return within(field.span.start, repeat.removeFrom, repeat.removeTo);
                });
            FieldParagraph paragraph;
            if (inRepeat || !hasSummaryField(field) ||
                !paragraph.parse(text.mid(field.span.start, field.span.end - field.span.start),
                                 scan.wordPrefix))
                continue;
            edits += paragraph.edits(
                [&](const FieldName& name) { return values.of(name, nullptr); }, field.span.start);
        }
    }
    counts->summaryValues += values.summaryValues;
    return edits;
}

Edit repointEdit(const QString& text, const ElementSpan& blip, const QString& oldId,
                 const QString& newId) {
    QString tag = text.mid(blip.start, blip.startTagEnd - blip.start);
    const QRegularExpression embed(QStringLiteral("(\\s[\\w.-]*:?embed\\s*=\\s*)([\"'])%1\\2")
                                       .arg(QRegularExpression::escape(oldId)));
    tag.replace(embed, QStringLiteral("\\1\\2%1\\2").arg(newId));
    return {blip.start, blip.startTagEnd, tag};
}

} // namespace docx
