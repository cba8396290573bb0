#include "workbook/XlsxReader.h"

#include "common/ShortText.h"
#include "workbook/XlsxPackage.h"
#include "workbook/XlsxSheet.h"
#include "workbook/XlsxStyles.h"

#include "zip/ZipRelationships.h"

#include <QCoreApplication>
#include <QHash>

namespace {

using xlsxpackage::Package;
using xlsxpackage::PartReader;

using zippackage::Relationship;
using Relationships = QHash<QString, Relationship>;

// The relationships a relationships part lists, by id.
QString readRelationships(Package& package, const QString& relsPart, Relationships& out) {
    PartReader xml(package, relsPart);
    zippackage::RelationshipsReader list;
    while (xml.next())
        list.take(xml);
    for (const Relationship& relationship : list.relationships())
        out.insert(relationship.id, relationship);
    return xml.finish();
}

QString notAWorkbook() {
    return QCoreApplication::translate(
        "workbook", "这是一个 zip 文件，但其中没有 Excel 工作簿（可能是 Word 文档或其他文件）");
}

QString readSharedStrings(Package& package, const QString& part, QStringList& strings) {
    PartReader xml(package, part);
    while (xml.nextStart())
        if (xml.name() == QLatin1String("si"))
            strings.append(xml.richText());
    return xml.finish();
}

// The part the package's relationships name as its main one, normally
// xl/workbook.xml; "" or the cause when there is none.
QString findWorkbookPart(Package& package, QString& workbookPart) {
    workbookPart = QStringLiteral("xl/workbook.xml");
    const QString packageRels = zippackage::relationshipsPartOf(QString());
    if (package.contains(packageRels)) {
        Relationships rootRels;
        if (const QString cause = readRelationships(package, packageRels, rootRels);
            !cause.isEmpty())
            return cause;
        for (const Relationship& rel : std::as_const(rootRels))
            if (rel.is(u"officeDocument") && !rel.external) {
                workbookPart = zippackage::targetPart(QString(), rel);
                break;
            }
    }
    if (workbookPart.isEmpty() || !package.contains(workbookPart))
        return notAWorkbook();
    return QString();
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

QString readWorkbook(Package& package, const QString& part, WorkbookSheets& sheets) {
    PartReader xml(package, part);
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
    if (const QString cause = xml.finish(); !cause.isEmpty())
        return cause;
    if (!isWorkbook)
        return notAWorkbook();
    return QString();
}

// The worksheet part the workbook's relationship `id` leads to, for the sheet
// called `name`; "" or the cause when it leads nowhere in the package.
QString findSheetPart(const Relationships& rels, const QString& relsPart,
                      const QString& workbookPart, const QString& name, const QString& id,
                      QString& sheetPart) {
    const auto sheetRel = rels.constFind(id);
    if (sheetRel == rels.cend() || sheetRel->external)
        return QCoreApplication::translate("workbook", "“%1”中找不到工作表“%2”的关系，文件已损坏")
            .arg(shorttext::cut(relsPart), shorttext::cut(name));
    sheetPart = zippackage::targetPart(workbookPart, *sheetRel);
    if (sheetPart.isEmpty())
        return QCoreApplication::translate("workbook", "工作表“%1”的位置“%2”不在包内，文件已损坏")
            .arg(shorttext::cut(name), shorttext::cut(sheetRel->target));
    return QString();
}

// The styles and shared strings the workbook's relationships lead to, each part once
// however many relationships name it.
QString readSharedParts(Package& package, const QString& workbookPart, const Relationships& rels,
                        xlsxstyles::Styles& styles, QStringList& sharedStrings) {
    for (const Relationship& rel : rels) {
        const QString part = zippackage::targetPart(workbookPart, rel);
        if (part.isEmpty() || package.wasRead(part))
            continue;
        QString cause;
        if (rel.is(u"styles"))
            cause = xlsxstyles::read(package, part, styles);
        else if (rel.is(u"sharedStrings"))
            cause = readSharedStrings(package, part, sharedStrings);
        if (!cause.isEmpty())
            return cause;
    }
    return QString();
}

} // namespace

QString xlsxreader::readSheet(const QString& path, const QString& sheetName, WorkbookGrid& grid,
                              SheetXml reader) {
    Package package;
    if (const zippackage::Failure failure = package.open(path, {kMaxEntries, false}))
        return xlsxpackage::causeOf(failure);
    QString workbookPart;
    if (const QString cause = findWorkbookPart(package, workbookPart); !cause.isEmpty())
        return cause;
    WorkbookSheets sheets;
    if (const QString cause = readWorkbook(package, workbookPart, sheets); !cause.isEmpty())
        return cause;

    const int index = workbookgrid::findSheet(sheets.names, sheetName);
    if (index < 0)
        return workbookgrid::missingSheetCause(sheets.names, sheetName);

    Relationships rels;
    const QString relsPart = zippackage::relationshipsPartOf(workbookPart);
    if (const QString cause = readRelationships(package, relsPart, rels); !cause.isEmpty())
        return cause;
    QString sheetPart;
    if (const QString cause = findSheetPart(rels, relsPart, workbookPart, sheets.names[index],
                                            sheets.ids[index], sheetPart);
        !cause.isEmpty())
        return cause;
    xlsxstyles::Styles styles;
    QStringList sharedStrings;
    if (const QString cause = readSharedParts(package, workbookPart, rels, styles, sharedStrings);
        !cause.isEmpty())
        return cause;

    const xlsxsheet::SheetContext context{sharedStrings, styles, sheets.date1904};
    grid.clear();
    return xlsxsheet::read(package, sheetPart, context, grid, reader);
}
