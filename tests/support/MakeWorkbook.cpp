#include "support/MakeWorkbook.h"

#include <QFile>

#include <zip.h>

namespace {

const char* const kTypes =
    R"(<?xml version="1.0" encoding="UTF-8"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="xml" ContentType="application/xml"/>
<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>
</Types>)";
const char* const kRootRels =
    R"(<?xml version="1.0" encoding="UTF-8"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>
</Relationships>)";
const char* const kWorkbook =
    R"(<?xml version="1.0" encoding="UTF-8"?>
<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets><sheet name="Sheet1" sheetId="1" r:id="rId1"/></sheets></workbook>)";
const char* const kWorkbookRels =
    R"(<?xml version="1.0" encoding="UTF-8"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>
</Relationships>)";

QByteArray cell(const QString& text, int row, int column) {
    const QByteArray reference = QByteArray(1, char('A' + column)) + QByteArray::number(row);
    bool number = false;
    text.toDouble(&number);
    if (number)
        return "<c r=\"" + reference + "\"><v>" + text.toUtf8() + "</v></c>";
    return "<c r=\"" + reference + "\" t=\"inlineStr\"><is><t>" + text.toHtmlEscaped().toUtf8() +
           "</t></is></c>";
}

QByteArray sheet(const QList<QStringList>& rows) {
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<worksheet "
                     "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                     "<sheetData>";
    for (int r = 0; r < rows.size(); ++r) {
        xml += "<row r=\"" + QByteArray::number(r + 1) + "\">";
        for (int c = 0; c < rows[r].size() && c < 26; ++c)
            if (!rows[r][c].isEmpty())
                xml += cell(rows[r][c], r + 1, c);
        xml += "</row>";
    }
    return xml + "</sheetData></worksheet>";
}

} // namespace

bool makeWorkbook(const QString& path, const QList<QStringList>& rows) {
    int error = 0;
    zip_t* archive =
        zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return false;
    const QList<std::pair<const char*, QByteArray>> parts{
        {"[Content_Types].xml", kTypes},
        {"_rels/.rels", kRootRels},
        {"xl/workbook.xml", kWorkbook},
        {"xl/_rels/workbook.xml.rels", kWorkbookRels},
        {"xl/worksheets/sheet1.xml", sheet(rows)}};
    bool added = true;
    for (const auto& [name, data] : parts) {
        zip_source_t* source = zip_source_buffer(archive, data.constData(), data.size(), 0);
        added = added && source && zip_file_add(archive, name, source, 0) >= 0;
    }
    // The buffers live until here, where the archive is written.
    if (!added || zip_close(archive) != 0) {
        zip_discard(archive);
        return false;
    }
    return true;
}

QString writeStoredZip(const QString& path,
                       const QList<std::pair<const char*, QByteArray>>& entries) {
    int error = 0;
    zip_t* archive =
        zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return QString();
    for (const auto& [name, data] : entries) {
        const zip_int64_t index = zip_file_add(
            archive, name, zip_source_buffer(archive, data.constData(), data.size(), 0), 0);
        if (index < 0 || zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_STORE, 0)) {
            zip_discard(archive);
            return QString();
        }
    }
    return zip_close(archive) == 0 ? path : QString();
}
