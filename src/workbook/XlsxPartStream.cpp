#include "workbook/XlsxPartStream.h"

#include "workbook/XlsxReader.h"
#include "zip/ZipErrors.h"

#include <zip.h>

#include <QCoreApplication>

namespace xlsxpackage {

namespace {

// Before its root element a part holds an XML declaration and perhaps a comment; more
// than this there is refused, whatever the encoding the watch for "<!DOCTYPE" can read.
constexpr qint64 kMaxPrologBytes = 64 * 1024;

} // namespace

QString partTooLargeCause(const QString& part) {
    return QCoreApplication::translate("workbook", "部件“%1”解压后超过 %2 MiB，拒绝读取")
        .arg(part, QString::number(xlsxreader::kMaxPartBytes / (1024 * 1024)));
}

QString packageTooLargeCause(const QString& part) {
    return QCoreApplication::translate(
               "workbook", "工作簿各部件解压后合计超过 %1 MiB（读到部件“%2”时），拒绝读取")
        .arg(QString::number(xlsxreader::kMaxPackageBytes / (1024 * 1024)), part);
}

QString doctypeCause(const QString& part) {
    return QCoreApplication::translate("workbook",
                                       "部件“%1”含有文档类型声明（DTD），出于安全原因拒绝读取")
        .arg(part);
}

PartStream::PartStream(zip_file_t* file, qint64 index, const QString& part, qint64& packageUnpacked)
    : m_file(file), m_index(index), m_part(part), m_packageUnpacked(packageUnpacked) {
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

PartStream::~PartStream() {
    zip_fclose(m_file);
}

void PartStream::drain() {
    char buffer[64 * 1024];
    while (read(buffer, sizeof buffer) > 0) {
    }
}

qint64 PartStream::readData(char* data, qint64 maxSize) {
    if (!m_cause.isEmpty())
        return -1;
    const zip_int64_t got = zip_fread(m_file, data, zip_uint64_t(maxSize));
    if (got < 0)
        return stop(QCoreApplication::translate("workbook", "解压部件“%1”失败：%2")
                        .arg(m_part, zipErrorDescription(zip_file_get_error(m_file))));
    // Never trust the size in the header: stop as soon as the limit is passed.
    m_unpacked += got;
    m_packageUnpacked += got;
    if (m_unpacked > xlsxreader::kMaxPartBytes)
        return stop(partTooLargeCause(m_part));
    if (m_packageUnpacked > xlsxreader::kMaxPackageBytes)
        return stop(packageTooLargeCause(m_part));
    if (!m_rootSeen) {
        if (m_prolog.feed(QByteArrayView(data, got)) == XmlPrologWatch::Verdict::Declaration)
            return stop(doctypeCause(m_part));
        if (m_unpacked > kMaxPrologBytes)
            return stop(QCoreApplication::translate("workbook",
                                                    "部件“%1”在根元素之前有超过 %2 KiB 的内容，"
                                                    "出于安全原因拒绝读取")
                            .arg(m_part, QString::number(kMaxPrologBytes / 1024)));
    }
    return got;
}

} // namespace xlsxpackage
