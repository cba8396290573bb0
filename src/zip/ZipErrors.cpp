#include "zip/ZipErrors.h"

#include <QCoreApplication>
#include <zip.h>

#include <cerrno>

QString zipErrorCause(int code) {
    switch (code) {
    case ZIP_ER_NOZIP:
        return QCoreApplication::translate(
            "zip", "不是 ZIP 压缩包，或压缩包的目录已丢失（文件可能被截断）");
    case ZIP_ER_INCONS:
        return QCoreApplication::translate("zip", "ZIP 结构不一致，文件已损坏或被截断");
    case ZIP_ER_EOF:
        return QCoreApplication::translate("zip", "文件意外结束，可能被截断");
    case ZIP_ER_CRC:
        return QCoreApplication::translate("zip", "数据校验失败，文件已损坏");
    case ZIP_ER_COMPRESSED_DATA:
    case ZIP_ER_ZLIB:
        return QCoreApplication::translate("zip", "压缩数据已损坏");
    case ZIP_ER_MULTIDISK:
        return QCoreApplication::translate("zip", "是分卷压缩包，不支持");
    case ZIP_ER_ENCRNOTSUPP:
    case ZIP_ER_NOPASSWD:
    case ZIP_ER_WRONGPASSWD:
        return QCoreApplication::translate("zip", "内容已加密，无法读取");
    case ZIP_ER_COMPNOTSUPP:
        return QCoreApplication::translate("zip", "使用了不支持的压缩方法");
    case ZIP_ER_OPEN:
    case ZIP_ER_NOENT:
        return QCoreApplication::translate("zip", "无法打开文件");
    case ZIP_ER_READ:
    case ZIP_ER_SEEK:
    case ZIP_ER_TELL:
        return QCoreApplication::translate("zip", "读取文件失败");
    case ZIP_ER_TMPOPEN:
        return QCoreApplication::translate("zip", "无法在文件所在的文件夹中创建临时文件");
    case ZIP_ER_WRITE:
    case ZIP_ER_CLOSE:
        return QCoreApplication::translate("zip", "写入失败（磁盘可能已满）");
    case ZIP_ER_RENAME:
        return QCoreApplication::translate("zip", "无法用新内容替换原文件");
    case ZIP_ER_MEMORY:
        return QCoreApplication::translate("zip", "内存不足");
    case ZIP_ER_RDONLY:
        return QCoreApplication::translate("zip", "文件以只读方式打开");
    default:
        return QCoreApplication::translate("zip", "ZIP 处理出错");
    }
}

namespace {

// The file being written cannot grow: the disk is full, or the file reached the
// size the system allows. A seek flushes what waits to be written, so it fails
// for the same reasons a write does.
bool outOfRoom(zip_error_t* error) {
    const int system = zip_error_code_system(error);
    return zip_error_system_type(error) == ZIP_ET_SYS && (system == ENOSPC || system == EFBIG);
}

} // namespace

QString zipErrorDescription(zip_error_t* error) {
    const int code = outOfRoom(error) ? ZIP_ER_WRITE : zip_error_code_zip(error);
    return QCoreApplication::translate("zip", "%1（libzip：%2）")
        .arg(zipErrorCause(code), QString::fromUtf8(zip_error_strerror(error)));
}

QString zipErrorDescription(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = zipErrorDescription(&error);
    zip_error_fini(&error);
    return text;
}
