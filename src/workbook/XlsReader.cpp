#include "workbook/XlsReader.h"

#include <QCoreApplication>
#include <QFile>

#include <freexl.h>

#include <cmath>
#include <cstring>
#include <utility>

namespace {

QString protectedCause() {
    return QCoreApplication::translate("workbook", "工作簿设置了打开密码（已加密），无法读取；"
                                                   "请先在 Excel 中取消密码并另存后再导入");
}

QString freexlCause(int code) {
    switch (code) {
    case FREEXL_FILE_NOT_FOUND:
        return QCoreApplication::translate("workbook", "无法打开文件");
    case FREEXL_INSUFFICIENT_MEMORY:
        return QCoreApplication::translate("workbook", "内存不足，无法读取工作簿");
    case FREEXL_INVALID_CFBF_HEADER:
    case FREEXL_CFBF_READ_ERROR:
    case FREEXL_CFBF_SEEK_ERROR:
    case FREEXL_CFBF_INVALID_SIGNATURE:
    case FREEXL_CFBF_INVALID_SECTOR_SIZE:
    case FREEXL_CFBF_EMPTY_FAT_CHAIN:
    case FREEXL_CFBF_ILLEGAL_FAT_ENTRY:
    case FREEXL_INVALID_MINI_STREAM:
    case FREEXL_CFBF_ILLEGAL_MINI_FAT_ENTRY:
        return QCoreApplication::translate("workbook",
                                           "复合文档结构已损坏（FreeXL 错误 %1），文件可能被截断")
            .arg(code);
    case FREEXL_BIFF_INVALID_BOF:
    case FREEXL_BIFF_INVALID_SST:
    case FREEXL_BIFF_ILLEGAL_SST_INDEX:
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
    case FREEXL_ILLEGAL_CELL_ROW_COL:
    case FREEXL_ILLEGAL_RK_VALUE:
        return QCoreApplication::translate("workbook", "工作簿数据已损坏（FreeXL 错误 %1）")
            .arg(code);
    case FREEXL_INVALID_CHARACTER:
    case FREEXL_UNSUPPORTED_CHARSET:
        return QCoreApplication::translate("workbook", "工作簿的文字编码无法识别（FreeXL 错误 %1）")
            .arg(code);
    case FREEXL_CRAFTED_FILE:
        return QCoreApplication::translate("workbook",
                                           "文件结构异常，可能已损坏或被篡改，拒绝读取");
    default:
        return QCoreApplication::translate("workbook",
                                           "无法读取工作簿（FreeXL 错误 %1），文件可能已损坏")
            .arg(code);
    }
}

class FreeXlHandle {
public:
    FreeXlHandle() = default;
    FreeXlHandle(FreeXlHandle&& other) noexcept
        : m_handle(std::exchange(other.m_handle, nullptr)) {}
    FreeXlHandle& operator=(FreeXlHandle&&) = delete;
    ~FreeXlHandle() {
        if (m_handle)
            freexl_close(m_handle);
    }
    const void* get() const { return m_handle; }
    const void** out() { return &m_handle; }

private:
    const void* m_handle = nullptr;
};

CellValue cellOf(const FreeXL_CellValue& value) {
    switch (value.type) {
    case FREEXL_CELL_INT:
        return CellValue::fromNumber(value.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return std::isfinite(value.value.double_value)
                   ? CellValue::fromNumber(value.value.double_value)
                   : CellValue::fromText(QStringLiteral("#NUM!"));
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
        return CellValue::fromText(QString::fromUtf8(value.value.text_value));
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME: {
        // FreeXL gives dates and times as text only.
        const QString text = QString::fromUtf8(value.value.text_value);
        if (auto date = CellValue::fromIsoText(text))
            return *date;
        return CellValue::fromText(text);
    }
    default:
        return CellValue();
    }
}

// Whether a compound file holds the stream FreeXL reads a workbook from; when it
// does not, the cause names what it is where its streams tell.
Result<> checkWorkbookStream(const QStringList& streamNames) {
    if (streamNames.contains(QLatin1String("Workbook")) ||
        streamNames.contains(QLatin1String("Book")))
        return {};
    if (streamNames.contains(QLatin1String("WordDocument")))
        return Failed{QCoreApplication::translate(
            "workbook", "这是 Word 文档，不是 Excel 工作簿；请选择 .xls 或 .xlsx 工作簿")};
    return Failed{QCoreApplication::translate("workbook",
                                              "这是一个复合文档文件，但其中没有 Excel 工作簿"
                                              "（可能是其他 Office 文件，或只是改了扩展名）")};
}

// What the compound structure tells before FreeXL reads the workbook: that it
// is encrypted, that it is damaged, that it holds no workbook, or that its records
// cannot be trusted.
Result<> checkStructure(const Result<xlsreader::CompoundFile>& checked) {
    // A damaged structure lists no streams and holds no workbook stream.
    if (!checked)
        return checked.failed();
    const xlsreader::CompoundFile& structure = *checked;
    // What Excel writes for a password-protected .xlsx.
    const bool encryptedPackage =
        structure.streamNames.contains(QLatin1String("EncryptedPackage")) ||
        structure.streamNames.contains(QLatin1String("EncryptionInfo"));
    if (encryptedPackage || xlsreader::startsWithFilePassword(structure.workbook))
        return Failed{protectedCause()};
    // Every sound compound file names at least its root; none were read from a file
    // that is not one.
    if (!structure.streamNames.isEmpty())
        if (Result<> present = checkWorkbookStream(structure.streamNames); !present)
            return present;
    return xlsreader::checkRecords(structure.workbook);
}

// Checks the file before FreeXL opens it; fails with the cause.
Result<> checkFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failed{
            QCoreApplication::translate("workbook", "无法打开文件（%1）").arg(file.errorString())};
    if (file.size() > xlsreader::kMaxFileBytes)
        return Failed{QCoreApplication::translate(
                          "workbook", "文件大小 %1 MiB 超过 .xls 工作簿的合理上限 %2 MiB，拒绝读取")
                          .arg(file.size() / (1024 * 1024))
                          .arg(xlsreader::kMaxFileBytes / (1024 * 1024))};
    uchar* mapped = file.map(0, file.size());
    const QByteArray read = mapped ? QByteArray() : file.readAll();
    const QByteArrayView bytes =
        mapped ? QByteArrayView(reinterpret_cast<const char*>(mapped), file.size())
               : QByteArrayView(read);
    const bool compound = bytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
    const Result<xlsreader::CompoundFile> structure =
        compound ? xlsreader::checkCompoundFile(bytes) : xlsreader::CompoundFile();
    if (mapped)
        file.unmap(mapped);
    return checkStructure(structure);
}

// Opens the workbook with FreeXL; fails with the cause.
Result<FreeXlHandle> openWorkbook(const QString& path) {
    FreeXlHandle handle;
    const int opened = freexl_open(QFile::encodeName(path).constData(), handle.out());
    if (opened != FREEXL_OK)
        return Failed{freexlCause(opened)};
    if (!handle.get())
        return Failed{
            QCoreApplication::translate("workbook", "工作簿数据已损坏或结构异常，无法解析")};
    unsigned int info = 0;
    if (freexl_get_info(handle.get(), FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
        info == FREEXL_BIFF_OBFUSCATED)
        return Failed{protectedCause()};
    return handle;
}

// The names of the workbook's sheets, in order; fails with the cause.
Result<QStringList> readSheetNames(const FreeXlHandle& handle) {
    unsigned int sheetCount = 0;
    if (const int rc = freexl_get_info(handle.get(), FREEXL_BIFF_SHEET_COUNT, &sheetCount);
        rc != FREEXL_OK)
        return Failed{freexlCause(rc)};
    QStringList names;
    for (unsigned int i = 0; i < sheetCount && i <= 0xFFFF; ++i) {
        const char* name = nullptr;
        if (const int rc =
                freexl_get_worksheet_name(handle.get(), static_cast<unsigned short>(i), &name);
            rc != FREEXL_OK)
            return Failed{freexlCause(rc)};
        names << QString::fromUtf8(name ? name : "");
    }
    return names;
}

// The cells of the active sheet; fails with the cause.
Result<WorkbookGrid> readCells(const FreeXlHandle& handle) {
    // Counts of rows and columns, as the sheet's own dimension record claims them.
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (const int rc = freexl_worksheet_dimensions(handle.get(), &rows, &columns); rc != FREEXL_OK)
        return Failed{freexlCause(rc)};
    if (rows > xlsreader::kMaxRows || columns > xlsreader::kMaxColumns)
        return Failed{xlsreader::dimensionCause(rows, columns)};

    WorkbookGrid grid;
    for (unsigned int row = 0; row < rows; ++row) {
        for (unsigned short column = 0; column < columns; ++column) {
            FreeXL_CellValue value;
            std::memset(&value, 0, sizeof value);
            if (const int rc = freexl_get_cell_value(handle.get(), row, column, &value);
                rc != FREEXL_OK)
                return Failed{freexlCause(rc)};
            // Texts belong to the handle: cellOf copies them before it closes.
            grid.set(static_cast<int>(row), column, cellOf(value));
        }
    }
    return grid;
}

} // namespace

Result<WorkbookGrid> xlsreader::readSheet(const QString& path, const QString& sheetName) {
    if (const Result<> checked = checkFile(path); !checked)
        return checked.failed();
    const Result<FreeXlHandle> handle = openWorkbook(path);
    if (!handle)
        return handle.failed();
    const Result<QStringList> names = readSheetNames(*handle);
    if (!names)
        return names.failed();
    const int index = workbookgrid::findSheet(*names, sheetName);
    if (index < 0)
        return Failed{workbookgrid::missingSheetCause(*names, sheetName)};
    if (const int rc =
            freexl_select_active_worksheet(handle->get(), static_cast<unsigned short>(index));
        rc != FREEXL_OK)
        return Failed{freexlCause(rc)};
    return readCells(*handle);
}
