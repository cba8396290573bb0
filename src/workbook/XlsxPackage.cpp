#include "workbook/XlsxPackage.h"

#include "common/ShortText.h"
#include "workbook/XlsxPartStream.h"
#include "workbook/XlsxReader.h"
#include "workbook/XlsxRichText.h"
#include "zip/ZipEntries.h"
#include "zip/ZipErrors.h"

#include <QCoreApplication>
#include <QFile>

#include <zip.h>

namespace xlsxpackage {

Package::Package() = default;

Package::~Package() {
    if (m_archive)
        zip_discard(m_archive);
}

QString Package::open(const QString& path) {
    int code = 0;
    m_archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!m_archive)
        return zipErrorDescription(code);
    const zip_int64_t entries = zip_get_num_entries(m_archive, 0);
    if (entries < 0 || entries > xlsxreader::kMaxEntries)
        return QCoreApplication::translate("workbook",
                                           "zip 包含 %1 个条目，超过上限 %2 个，拒绝读取")
            .arg(entries)
            .arg(xlsxreader::kMaxEntries);
    return duplicateEntryCause(m_archive);
}

bool Package::contains(const QString& name) const {
    return zip_name_locate(m_archive, name.toUtf8().constData(), ZIP_FL_NOCASE) >= 0;
}

bool Package::wasRead(const QString& name) const {
    return m_read.contains(zip_name_locate(m_archive, name.toUtf8().constData(), ZIP_FL_NOCASE));
}

// Opens a part for reading; null with `cause` set when it cannot be read.
std::unique_ptr<PartStream> Package::openPart(const QString& name, const QString& shown,
                                              QString& cause) {
    zip_t* archive = m_archive;
    const zip_int64_t index = zip_name_locate(archive, name.toUtf8().constData(), ZIP_FL_NOCASE);
    if (index < 0) {
        cause =
            QCoreApplication::translate("workbook", "缺少部件“%1”，文件不完整或不是 Excel 工作簿")
                .arg(shown);
        return nullptr;
    }
    if (m_read.contains(index)) {
        cause =
            QCoreApplication::translate("workbook", "部件“%1”在工作簿中被当作不同的部件重复引用，"
                                                    "文件已损坏或被篡改")
                .arg(shown);
        return nullptr;
    }
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, zip_uint64_t(index), 0, &stat) != 0) {
        cause = QCoreApplication::translate("workbook", "无法读取部件“%1”的信息，文件可能已损坏")
                    .arg(shown);
        return nullptr;
    }
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > quint64(xlsxreader::kMaxPartBytes)) {
        cause = partTooLargeCause(shown);
        return nullptr;
    }
    if ((stat.valid & ZIP_STAT_SIZE) &&
        stat.size > quint64(xlsxreader::kMaxPackageBytes - m_unpacked)) {
        cause = packageTooLargeCause(shown);
        return nullptr;
    }
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE) {
        cause = QCoreApplication::translate("workbook", "工作簿设置了密码保护（部件“%1”已加密），"
                                                        "请先在 Excel 中取消密码后再导入")
                    .arg(shown);
        return nullptr;
    }
    zip_file_t* file = zip_fopen_index(archive, zip_uint64_t(index), 0);
    if (!file) {
        const int code = zip_error_code_zip(zip_get_error(archive));
        cause = code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD
                    ? QCoreApplication::translate(
                          "workbook", "工作簿设置了密码保护，请先在 Excel 中取消密码后再导入")
                    : QCoreApplication::translate("workbook", "无法解压部件“%1”：%2")
                          .arg(shown, zipErrorDescription(code));
        return nullptr;
    }
    m_read.insert(index);
    return std::make_unique<PartStream>(file, index, shown, m_unpacked);
}

void Package::forget(const PartStream& stream) {
    m_read.remove(stream.index());
    m_unpacked -= stream.unpacked();
}

QString decodeEscapes(const QString& text) {
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('_') && i + 6 < text.size() && text[i + 1] == QLatin1Char('x') &&
            text[i + 6] == QLatin1Char('_')) {
            bool ok = false;
            const uint code = text.mid(i + 2, 4).toUInt(&ok, 16);
            if (ok) {
                out += QChar(static_cast<char16_t>(code));
                i += 6;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

PartReader::PartReader(Package& package, const QString& part) : m_part(shorttext::cut(part)) {
    QString cause;
    m_stream = package.openPart(part, m_part, cause);
    if (m_stream)
        setDevice(m_stream.get());
    else
        fail(cause);
}

PartReader::~PartReader() {
    // The stream goes before the reader that reads from it.
    setDevice(nullptr);
}

bool PartReader::next() {
    if (atEnd() || hasError())
        return false;
    const TokenType token = readNext();
    if (token == DTD) {
        m_dtd = true;
        raiseError();
        return false;
    }
    if (token == StartElement)
        m_stream->rootElementSeen();
    return !atEnd();
}

bool PartReader::nextStart() {
    while (next())
        if (isStartElement())
            return true;
    return false;
}

bool PartReader::nextChild() {
    while (next()) {
        if (isStartElement())
            return true;
        if (isEndElement())
            return false;
    }
    return false;
}

QString PartReader::richText() {
    return richTextOf(*this);
}

void PartReader::fail(const QString& cause) {
    if (m_cause.isEmpty())
        m_cause = cause;
    raiseError(cause);
}

QString PartReader::finish() {
    if (m_stream && !hasError())
        m_stream->drain();
    // What stopped the unpacking comes first: the reader only saw the part end early.
    if (m_stream && !m_stream->cause().isEmpty())
        return m_stream->cause();
    if (m_dtd)
        return doctypeCause(m_part);
    if (hasError() && error() != CustomError)
        return QCoreApplication::translate("workbook",
                                           "部件“%1”不是有效的 XML（第 %2 行：%3），文件已损坏")
            .arg(m_part, QString::number(lineNumber()), errorString());
    return m_cause;
}

} // namespace xlsxpackage
