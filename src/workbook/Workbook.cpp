#include "workbook/Workbook.h"

#include "common/Result.h"
#include "workbook/XlsReader.h"
#include "workbook/XlsxReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <utility>

namespace {

enum class Format { Xlsx, Xls, LegacyWorksheet, Unknown };

Format formatOf(const QByteArray& head) {
    if (head.startsWith("PK\x03\x04") || head.startsWith("PK\x05\x06"))
        return Format::Xlsx;
    if (head.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return Format::Xls;
    // A bare BIFF2-4 worksheet stream, as very old Excel versions saved it.
    if (head.size() >= 2 && head[0] == '\x09' &&
        (head[1] == '\x00' || head[1] == '\x02' || head[1] == '\x04'))
        return Format::LegacyWorksheet;
    return Format::Unknown;
}

bool looksLikeText(const QByteArray& head) {
    return !head.contains('\0') && std::all_of(head.begin(), head.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u >= 0x20 || c == '\n' || c == '\r' || c == '\t';
    });
}

// The cells of the sheet the program reads; fails with the cause.
Result<WorkbookGrid> readGrid(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return Failed{QCoreApplication::translate("workbook", "文件不存在")};
    if (info.isDir())
        return Failed{QCoreApplication::translate("workbook", "这是一个文件夹，不是工作簿文件")};
    // A pipe or a device would block the read for ever.
    if (!info.isFile())
        return Failed{QCoreApplication::translate(
            "workbook", "这不是普通文件（可能是管道或设备），不能作为工作簿读取")};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failed{
            QCoreApplication::translate("workbook", "无法打开文件（%1）").arg(file.errorString())};
    const QByteArray head = file.read(512);
    file.close();
    if (head.isEmpty())
        return Failed{
            QCoreApplication::translate("workbook", "文件是空的（0 字节），不是 Excel 工作簿")};

    switch (formatOf(head)) {
    case Format::Xlsx:
        return xlsxreader::readSheet(path, workbookgrid::kSheetName);
    case Format::Xls:
        return xlsreader::readSheet(path, workbookgrid::kSheetName);
    case Format::LegacyWorksheet:
        // Such a file holds one unnamed worksheet, never a "Sheet1". It is not handed
        // to FreeXL either: its reader of these streams allocates a sheet of up to
        // 256 MiB for every dimension record, however many the file holds.
        return Failed{QCoreApplication::translate(
                          "workbook",
                          "这是 Excel 2.x–4.x 的旧版单表文件，其中没有名为“%1”的工作表；"
                          "请在 Excel 中另存为 .xls 或 .xlsx 后再导入")
                          .arg(workbookgrid::kSheetName)};
    case Format::Unknown:
        break;
    }
    if (looksLikeText(head))
        return Failed{QCoreApplication::translate(
            "workbook", "文件内容是文本（例如 CSV 或网页），不是 Excel 工作簿；"
                        "请在 Excel 中另存为 .xls 或 .xlsx 后再导入")};
    return Failed{QCoreApplication::translate(
        "workbook", "文件内容既不是 .xls 也不是 .xlsx 工作簿，可能已损坏或只是改了扩展名")};
}

} // namespace

Outcome Workbook::open(const QString& path) {
    close();
    Result<WorkbookGrid> read = readGrid(path);
    if (!read)
        return Outcome::failure(Outcome::Kind::Unusable,
                                QCoreApplication::translate("workbook", "无法读取工作簿“%1”：%2。")
                                    .arg(QDir::toNativeSeparators(path), read.cause()));
    m_grid = std::move(read).value();
    m_grid.textForMixedColumns(1);
    m_lastRow = std::max(0, m_grid.lastRow());
    m_emptyRows = m_grid.emptyRows(1, kDataColumns);
    return Outcome::ok();
}

bool Workbook::atEnd() const {
    return m_row > m_lastRow;
}

CellValue Workbook::field(int index) const {
    if (atEnd() || index < 0)
        return CellValue();
    return m_grid.at(m_row, index);
}

void Workbook::moveNext() {
    if (!atEnd())
        ++m_row;
}

void Workbook::close() {
    m_grid.clear();
    m_lastRow = 0;
    m_emptyRows = 0;
    m_row = 1;
}

int Workbook::rowCount() const {
    return m_lastRow;
}

int Workbook::emptyRowCount() const {
    return m_emptyRows;
}
