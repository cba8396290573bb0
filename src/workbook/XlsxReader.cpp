#include "workbook/XlsxReader.h"

#include "common/ShortText.h"
#include "workbook/XlsxPackage.h"
#include "workbook/XlsxSheet.h"
#include "workbook/XlsxStyles.h"

#include "zip/ZipRelationships.h"

#include <QCoreApplication>
#include <QHash>

#include <utility>

namespace {

using xlsxpackage::Package;
using xlsxpackage::PartReader;

using zippackage::Relationship;
using Relationships = QHash<QString, Relationship>;

// The relationships a relationships part lists, by id.
Result<Relationships> readRelationships(Package& package, const QString& relsPart) {
    PartReader xml(package, relsPart);
    zippackage::RelationshipsReader list;
    while (xml.next())
        list.take(xml);
    Relationships byId;
    for (const Relationship& relationship : list.relationships())
        byId.insert(relationship.id, relationship);
    if (Result<> finished = xml.finish(); !finished)
        return finished.failed();
    return byId;
}

QString notAWorkbookCause() {
    return QCoreApplication::translate(
        "workbook", "这是一个 zip 文件，但其中没有 Excel 工作簿（可能是 Word 文档或其他文件）");
}

Result<QStringList> readSharedStrings(Package& package, const QString& part) {
    PartReader xml(package, part);
    QStringList strings;
    while (xml.nextStart())
        if (xml.name() == QLatin1String("si"))
            strings.append(xml.richText());
    if (Result<> finished = xml.finish(); !finished)
        return finished.failed();
    return strings;
}

// The part the package's relationships name as its main one, normally
// xl/workbook.xml; the cause when there is none.
Result<QString> findWorkbookPart(Package& package) {
    QString workbookPart = QStringLiteral("xl/workbook.xml");
    const QString packageRels = zippackage::relationshipsPartOf(QString());
    if (package.contains(packageRels)) {
        const Result<Relationships> rootRels = readRelationships(package, packageRels);
        if (!rootRels)
            return rootRels.failed();
        for (const Relationship& rel : *rootRels)
            if (rel.is(u"officeDocument") && !rel.external) {
                workbookPart = zippackage::targetPart(QString(), rel);
                break;
            }
    }
    if (workbookPart.isEmpty() || !package.contains(workbookPart))
        return Failed{notAWorkbookCause()};
    return workbookPart;
}

// What the workbook part lists: its sheets with their relationship ids, and
// its date system.
struct WorkbookSheets {
    QStringList names;
    QStringList ids;
    bool date1904 = false;
};

// The relationship id of a <sheet> element, in whatever prefix the
// relationships namespace has.
QString sheetRelationshipId(const PartReader& xml) {
    QString id;
    for (const QXmlStreamAttribute& attribute : xml.attributes())
        if (attribute.name() == QLatin1String("id") &&
            attribute.namespaceUri().endsWith(QLatin1String("relationships")))
            id = attribute.value().toString();
    return id;
}

Result<WorkbookSheets> readWorkbook(Package& package, const QString& part) {
    PartReader xml(package, part);
    WorkbookSheets sheets;
    bool isWorkbook = false;
    while (xml.nextStart()) {
        const auto name = xml.name();
        if (name == QLatin1String("workbook")) {
            isWorkbook = true;
        } else if (name == QLatin1String("workbookPr")) {
            const QString flag = xml.attribute(QLatin1String("date1904"));
            sheets.date1904 = flag == QLatin1String("1") ||
                              flag.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
        } else if (name == QLatin1String("sheet")) {
            sheets.names << xml.attribute(QLatin1String("name"));
            sheets.ids << sheetRelationshipId(xml);
        }
    }
    if (Result<> finished = xml.finish(); !finished)
        return finished.failed();
    if (!isWorkbook)
        return Failed{notAWorkbookCause()};
    return sheets;
}

// The worksheet part the workbook's relationship `id` leads to, for the sheet
// called `name`; the cause when it leads nowhere in the package.
Result<QString> findSheetPart(const Relationships& rels, const QString& relsPart,
                              const QString& workbookPart, const QString& name, const QString& id) {
    const auto sheetRel = rels.constFind(id);
    if (sheetRel == rels.cend() || sheetRel->external)
        return Failed{
            QCoreApplication::translate("workbook", "“%1”中找不到工作表“%2”的关系，文件已损坏")
                .arg(shorttext::cut(relsPart), shorttext::cut(name))};
    QString sheetPart = zippackage::targetPart(workbookPart, *sheetRel);
    if (sheetPart.isEmpty())
        return Failed{
            QCoreApplication::translate("workbook", "工作表“%1”的位置“%2”不在包内，文件已损坏")
                .arg(shorttext::cut(name), shorttext::cut(sheetRel->target))};
    return sheetPart;
}

// The styles and shared strings of a workbook.
struct SharedParts {
    xlsxstyles::Styles styles;
    QStringList strings;
};

// The styles and shared strings the workbook's relationships lead to, each part once
// however many relationships name it; those of several parts of a kind one after another.
Result<SharedParts> readSharedParts(Package& package, const QString& workbookPart,
                                    const Relationships& rels) {
    SharedParts shared;
    for (const Relationship& rel : rels) {
        const QString part = zippackage::targetPart(workbookPart, rel);
        if (part.isEmpty() || package.wasRead(part))
            continue;
        if (rel.is(u"styles")) {
            const Result<xlsxstyles::Styles> styles = xlsxstyles::read(package, part);
            if (!styles)
                return styles.failed();
            shared.styles.cellFormats.insert(shared.styles.cellFormats.end(),
                                             styles->cellFormats.begin(),
                                             styles->cellFormats.end());
        } else if (rel.is(u"sharedStrings")) {
            Result<QStringList> strings = readSharedStrings(package, part);
            if (!strings)
                return strings.failed();
            shared.strings.append(std::move(*strings));
        }
    }
    return shared;
}

} // namespace

Result<WorkbookGrid> xlsxreader::readSheet(const QString& path, const QString& sheetName,
                                           SheetXml reader) {
    Package package;
    if (const zippackage::Failure failure = package.open(path, {kMaxEntries, false}))
        return Failed{xlsxpackage::causeOf(failure)};
    const Result<QString> workbookPart = findWorkbookPart(package);
    if (!workbookPart)
        return workbookPart.failed();
    const Result<WorkbookSheets> sheets = readWorkbook(package, *workbookPart);
    if (!sheets)
        return sheets.failed();

    const int index = workbookgrid::findSheet(sheets->names, sheetName);
    if (index < 0)
        return Failed{workbookgrid::missingSheetCause(sheets->names, sheetName)};

    const QString relsPart = zippackage::relationshipsPartOf(*workbookPart);
    const Result<Relationships> rels = readRelationships(package, relsPart);
    if (!rels)
        return rels.failed();
    const Result<QString> sheetPart =
        findSheetPart(*rels, relsPart, *workbookPart, sheets->names[index], sheets->ids[index]);
    if (!sheetPart)
        return sheetPart.failed();
    const Result<SharedParts> shared = readSharedParts(package, *workbookPart, *rels);
    if (!shared)
        return shared.failed();

    const xlsxsheet::SheetContext context{shared->strings, shared->styles, sheets->date1904};
    return xlsxsheet::read(package, *sheetPart, context, reader);
}
