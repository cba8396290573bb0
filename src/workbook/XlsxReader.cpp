#include "workbook/XlsxReader.h"

#include "common/ShortText.h"
#include "workbook/XlsxPackage.h"
#include "workbook/XlsxSheet.h"
#include "workbook/XlsxStyles.h"

#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QUrl>

namespace {

using xlsxpackage::Package;
using xlsxpackage::PartReader;

struct Relationship {
    QString type;
    QString target;
    bool external = false;
};

// Relationship parts list targets relative to the folder of their source part.
QString resolveTarget(const QString& sourcePart, const QString& target) {
    const QString decoded = QUrl::fromPercentEncoding(target.toUtf8());
    QString path;
    if (decoded.startsWith(QLatin1Char('/'))) {
        path = decoded.mid(1);
    } else {
        const qsizetype slash = sourcePart.lastIndexOf(QLatin1Char('/'));
        path = (slash >= 0 ? sourcePart.left(slash + 1) : QString()) + decoded;
    }
    path = QDir::cleanPath(path);
    if (path.isEmpty() || path.startsWith(QLatin1String("..")) || path.startsWith(QLatin1Char('/')))
        return QString();
    return path;
}

QString relsPartOf(const QString& part) {
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) +
           QStringLiteral(".rels");
}

QString readRelationships(Package& package, const QString& relsPart,
                          QHash<QString, Relationship>& out) {
    PartReader xml(package, relsPart);
    while (xml.nextStart()) {
        if (xml.name() != QLatin1String("Relationship"))
            continue;
        Relationship rel;
        rel.type = xml.attribute(QLatin1String("Type"));
        rel.target = xml.attribute(QLatin1String("Target"));
        rel.external = xml.attribute(QLatin1String("TargetMode"))
                           .compare(QLatin1String("External"), Qt::CaseInsensitive) == 0;
        out.insert(xml.attribute(QLatin1String("Id")), rel);
    }
    return xml.finish();
}

bool typeIs(const Relationship& rel, QLatin1String kind) {
    return rel.type.endsWith(QLatin1Char('/') + kind);
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
    if (package.contains(QStringLiteral("_rels/.rels"))) {
        QHash<QString, Relationship> rootRels;
        if (const QString cause =
                readRelationships(package, QStringLiteral("_rels/.rels"), rootRels);
            !cause.isEmpty())
            return cause;
        for (const Relationship& rel : std::as_const(rootRels))
            if (typeIs(rel, QLatin1String("officeDocument")) && !rel.external) {
                workbookPart = resolveTarget(QString(), rel.target);
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
QString findSheetPart(const QHash<QString, Relationship>& rels, const QString& relsPart,
                      const QString& workbookPart, const QString& name, const QString& id,
                      QString& sheetPart) {
    const auto sheetRel = rels.constFind(id);
    if (sheetRel == rels.cend() || sheetRel->external)
        return QCoreApplication::translate("workbook", "“%1”中找不到工作表“%2”的关系，文件已损坏")
            .arg(shorttext::cut(relsPart), shorttext::cut(name));
    sheetPart = resolveTarget(workbookPart, sheetRel->target);
    if (sheetPart.isEmpty())
        return QCoreApplication::translate("workbook", "工作表“%1”的位置“%2”不在包内，文件已损坏")
            .arg(shorttext::cut(name), shorttext::cut(sheetRel->target));
    return QString();
}

// The styles and shared strings the workbook's relationships lead to, each part once
// however many relationships name it.
QString readSharedParts(Package& package, const QString& workbookPart,
                        const QHash<QString, Relationship>& rels, xlsxstyles::Styles& styles,
                        QStringList& sharedStrings) {
    for (const Relationship& rel : rels) {
        if (rel.external)
            continue;
        const QString part = resolveTarget(workbookPart, rel.target);
        if (part.isEmpty() || package.wasRead(part))
            continue;
        QString cause;
        if (typeIs(rel, QLatin1String("styles")))
            cause = xlsxstyles::read(package, part, styles);
        else if (typeIs(rel, QLatin1String("sharedStrings")))
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
    if (const QString cause = package.open(path); !cause.isEmpty())
        return cause;
    QString workbookPart;
    if (const QString cause = findWorkbookPart(package, workbookPart); !cause.isEmpty())
        return cause;
    WorkbookSheets sheets;
    if (const QString cause = readWorkbook(package, workbookPart, sheets); !cause.isEmpty())
        return cause;

    const int index = workbookgrid::findSheet(sheets.names, sheetName);
    if (index < 0)
        return workbookgrid::missingSheetCause(sheets.names, sheetName);

    QHash<QString, Relationship> rels;
    const QString relsPart = relsPartOf(workbookPart);
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
