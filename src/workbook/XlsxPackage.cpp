#include "workbook/XlsxPackage.h"

#include "common/ShortText.h"
#include "workbook/XlsxReader.h"
#include "zip/XmlProlog.h"
#include "zip/ZipEntries.h"
#include "zip/ZipErrors.h"

#include <QFile>
#include <QIODevice>

#include <zip.h>

namespace xlsxpackage {

namespace {

// Before its root element a part holds an XML declaration and perhaps a comment; more
// than this there is refused, whatever the encoding the watch for "<!DOCTYPE" can read.
constexpr qint64 kMaxPrologBytes = 64 * 1024;

QString tooLarge(const QString& part) {
    return QStringLiteral("部件“%1”解压后超过 %2 MiB，拒绝读取")
        .arg(part, QString::number(xlsxreader::kMaxPartBytes / (1024 * 1024)));
}

QString packageTooLarge(const QString& part) {
    return QStringLiteral("工作簿各部件解压后合计超过 %1 MiB（读到部件“%2”时），拒绝读取")
        .arg(QString::number(xlsxreader::kMaxPackageBytes / (1024 * 1024)), part);
}

QString doctype(const QString& part) {
    return QStringLiteral("部件“%1”含有文档类型声明（DTD），出于安全原因拒绝读取").arg(part);
}

} // namespace

// One part, unpacked as the XML reader asks for its bytes.
class PartStream : public QIODevice {
public:
    // `packageUnpacked` counts what is unpacked from every part of the package.
    PartStream(zip_file_t* file, const QString& part, qint64& packageUnpacked)
        : m_file(file), m_part(part), m_packageUnpacked(packageUnpacked) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    ~PartStream() override { zip_fclose(m_file); }
    bool isSequential() const override { return true; }

    // Told by the reader when the root element begins: no declaration can follow.
    void rootElementSeen() { m_rootSeen = true; }
    // Why the unpacking stopped; "" while it goes on.
    const QString& cause() const { return m_cause; }

    // Reads to the end of the part.
    void drain() {
        char buffer[64 * 1024];
        while (read(buffer, sizeof buffer) > 0) {
        }
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    qint64 stop(const QString& cause) {
        m_cause = cause;
        return -1;
    }

    zip_file_t* m_file;
    QString m_part;
    QString m_cause;
    qint64 m_unpacked = 0;
    qint64& m_packageUnpacked;
    bool m_rootSeen = false;
    XmlPrologWatch m_prolog;
};

qint64 PartStream::readData(char* data, qint64 maxSize) {
    if (!m_cause.isEmpty())
        return -1;
    const zip_int64_t got = zip_fread(m_file, data, zip_uint64_t(maxSize));
    if (got < 0)
        return stop(QStringLiteral("解压部件“%1”失败：%2")
                        .arg(m_part, zipErrorDescription(zip_file_get_error(m_file))));
    // Never trust the size in the header: stop as soon as the limit is passed.
    m_unpacked += got;
    m_packageUnpacked += got;
    if (m_unpacked > xlsxreader::kMaxPartBytes)
        return stop(tooLarge(m_part));
    if (m_packageUnpacked > xlsxreader::kMaxPackageBytes)
        return stop(packageTooLarge(m_part));
    if (!m_rootSeen) {
        if (m_prolog.feed(QByteArrayView(data, got)) == XmlPrologWatch::Verdict::Declaration)
            return stop(doctype(m_part));
        if (m_unpacked > kMaxPrologBytes)
            return stop(QStringLiteral("部件“%1”在根元素之前有超过 %2 KiB 的内容，"
                                       "出于安全原因拒绝读取")
                            .arg(m_part, QString::number(kMaxPrologBytes / 1024)));
    }
    return got;
}

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
        return QStringLiteral("zip 包含 %1 个条目，超过上限 %2 个，拒绝读取")
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
std::unique_ptr<PartStream> PartReader::openPart(Package& package, const QString& name,
                                                 QString& cause) {
    zip_t* archive = package.m_archive;
    const QString& shown = m_part;
    const zip_int64_t index = zip_name_locate(archive, name.toUtf8().constData(), ZIP_FL_NOCASE);
    if (index < 0) {
        cause = QStringLiteral("缺少部件“%1”，文件不完整或不是 Excel 工作簿").arg(shown);
        return nullptr;
    }
    if (package.m_read.contains(index)) {
        cause = QStringLiteral("部件“%1”在工作簿中被当作不同的部件重复引用，"
                               "文件已损坏或被篡改")
                    .arg(shown);
        return nullptr;
    }
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, zip_uint64_t(index), 0, &stat) != 0) {
        cause = QStringLiteral("无法读取部件“%1”的信息，文件可能已损坏").arg(shown);
        return nullptr;
    }
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > quint64(xlsxreader::kMaxPartBytes)) {
        cause = tooLarge(shown);
        return nullptr;
    }
    if ((stat.valid & ZIP_STAT_SIZE) &&
        stat.size > quint64(xlsxreader::kMaxPackageBytes - package.m_unpacked)) {
        cause = packageTooLarge(shown);
        return nullptr;
    }
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE) {
        cause = QStringLiteral("工作簿设置了密码保护（部件“%1”已加密），"
                               "请先在 Excel 中取消密码后再导入")
                    .arg(shown);
        return nullptr;
    }
    zip_file_t* file = zip_fopen_index(archive, zip_uint64_t(index), 0);
    if (!file) {
        const int code = zip_error_code_zip(zip_get_error(archive));
        cause = code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD
                    ? QStringLiteral("工作簿设置了密码保护，请先在 Excel 中取消密码后再导入")
                    : QStringLiteral("无法解压部件“%1”：%2").arg(shown, zipErrorDescription(code));
        return nullptr;
    }
    package.m_read.insert(index);
    return std::make_unique<PartStream>(file, shown, package.m_unpacked);
}

namespace {

// Characters XML cannot carry are written as _xHHHH_.
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

} // namespace

PartReader::PartReader(Package& package, const QString& part) : m_part(shorttext::cut(part)) {
    QString cause;
    m_stream = openPart(package, part, cause);
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
    QString text;
    int phonetic = 0;
    int level = 1;
    while (level > 0 && next()) {
        if (isStartElement()) {
            if (name() == QLatin1String("t") && phonetic == 0) {
                text += readElementText(IncludeChildElements);
                continue;
            }
            if (name() == QLatin1String("rPh"))
                ++phonetic;
            ++level;
        } else if (isEndElement()) {
            if (name() == QLatin1String("rPh"))
                --phonetic;
            --level;
        }
    }
    return decodeEscapes(text);
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
        return doctype(m_part);
    if (hasError() && error() != CustomError)
        return QStringLiteral("部件“%1”不是有效的 XML（第 %2 行：%3），文件已损坏")
            .arg(m_part, QString::number(lineNumber()), errorString());
    return m_cause;
}

} // namespace xlsxpackage
