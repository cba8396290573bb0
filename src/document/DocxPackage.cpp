#include "document/DocxPackage.h"

#include <QCoreApplication>
#include <QFile>

#include "zip/XmlProlog.h"
#include "zip/ZipEntries.h"
#include "zip/ZipErrors.h"

#include <zip.h>

#include <algorithm>

DocxPackage::~DocxPackage() {
    discard();
}

void DocxPackage::discard() {
    if (m_zip)
        zip_discard(m_zip);
    m_zip = nullptr;
    if (m_memory)
        zip_source_free(m_memory);
    m_memory = nullptr;
    m_buffers.clear();
}

QString DocxPackage::open(const QString& path, Mode mode) {
    discard();
    int code = 0;
    const QByteArray name = QFile::encodeName(path);
    m_zip =
        zip_open(name.constData(), mode == Mode::Inspect ? ZIP_RDONLY | ZIP_CHECKCONS : 0, &code);
    if (!m_zip && code == ZIP_ER_EXISTS) {
        // libzip's consistency check found two entries of one name but does not say
        // which: open the file plainly to name it.
        m_zip = zip_open(name.constData(), ZIP_RDONLY, &code);
        const QString duplicate = m_zip ? duplicateEntryCause(m_zip) : QString();
        discard();
        return duplicate.isEmpty() ? zipErrorDescription(ZIP_ER_EXISTS) : duplicate;
    }
    if (!m_zip)
        return zipErrorDescription(code);
    const qint64 entries = entryCount();
    if (entries > kMaxEntries) {
        discard();
        return QCoreApplication::translate("document", "包含 %1 个条目，超过上限 %2 个，拒绝处理")
            .arg(entries)
            .arg(kMaxEntries);
    }
    if (const QString duplicate = duplicateEntryCause(m_zip); !duplicate.isEmpty()) {
        discard();
        return duplicate;
    }
    return {};
}

QString DocxPackage::create() {
    discard();
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* memory = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (memory)
        m_zip = zip_open_from_source(memory, ZIP_TRUNCATE, &error);
    if (!m_zip) {
        if (memory)
            zip_source_free(memory);
        const QString cause = zipErrorDescription(&error);
        zip_error_fini(&error);
        return cause;
    }
    zip_error_fini(&error);
    // One reference for the archive, one for reading the result back.
    zip_source_keep(memory);
    m_memory = memory;
    return {};
}

qint64 DocxPackage::entryCount() const {
    return m_zip ? zip_get_num_entries(m_zip, 0) : 0;
}

QString DocxPackage::entryName(qint64 index) const {
    const char* name = m_zip ? zip_get_name(m_zip, index, ZIP_FL_ENC_GUESS) : nullptr;
    return name ? QString::fromUtf8(name) : QString();
}

std::optional<QString> DocxPackage::locate(const QString& name) const {
    if (!m_zip)
        return std::nullopt;
    const zip_int64_t index = zip_name_locate(m_zip, name.toUtf8().constData(), ZIP_FL_NOCASE);
    if (index < 0)
        return std::nullopt;
    return entryName(index);
}

QString DocxPackage::read(const QString& name, QByteArray* data, qint64 limit) const {
    data->clear();
    const zip_int64_t index = zip_name_locate(m_zip, name.toUtf8().constData(), 0);
    if (index < 0)
        return QCoreApplication::translate("document", "缺少部件 %1").arg(name);
    const QString tooLarge =
        QCoreApplication::translate("document", "部件 %1 解压后超过 %2 MiB，拒绝处理")
            .arg(name)
            .arg(limit / (1024 * 1024));
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_zip, index, 0, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE)) {
        if (stat.size > static_cast<zip_uint64_t>(std::max<qint64>(0, limit)))
            return tooLarge;
        data->reserve(static_cast<qsizetype>(stat.size));
    }
    zip_file_t* file = zip_fopen_index(m_zip, index, 0);
    if (!file)
        return QCoreApplication::translate("document", "无法读取部件 %1：%2")
            .arg(name, zipErrorDescription(zip_get_error(m_zip)));
    char chunk[64 * 1024];
    QString cause;
    // Every part read here is XML: a document type declaration is refused at
    // its first characters, before megabytes of it are read and parsed.
    XmlPrologWatch prolog;
    for (;;) {
        const zip_int64_t got = zip_fread(file, chunk, sizeof chunk);
        if (got < 0) {
            cause = QCoreApplication::translate("document", "无法读取部件 %1：%2")
                        .arg(name, zipErrorDescription(zip_file_get_error(file)));
            break;
        }
        if (got == 0)
            break;
        if (data->size() + got > limit) {
            cause = tooLarge;
            break;
        }
        if (prolog.feed(QByteArrayView(chunk, got)) == XmlPrologWatch::Verdict::Declaration) {
            cause = QCoreApplication::translate(
                        "document", "部件 %1 含有文档类型声明（DOCTYPE），出于安全原因拒绝处理")
                        .arg(name);
            break;
        }
        data->append(chunk, static_cast<qsizetype>(got));
    }
    zip_fclose(file);
    if (!cause.isEmpty())
        data->clear();
    return cause;
}

QString DocxPackage::write(const QString& name, const QByteArray& data, bool store) {
    m_buffers.push_back(data);
    const QByteArray& kept = m_buffers.back();
    zip_source_t* source = zip_source_buffer(m_zip, kept.constData(), kept.size(), 0);
    if (!source)
        return zipErrorDescription(zip_get_error(m_zip));
    const zip_int64_t index =
        zip_file_add(m_zip, name.toUtf8().constData(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        return zipErrorDescription(zip_get_error(m_zip));
    }
    // The fastest deflate level: a batch rewrites a main part of megabytes
    // every few seconds, and its markup compresses well at any level.
    if (zip_set_file_compression(m_zip, index, store ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                                 store ? 0 : 1) < 0)
        return zipErrorDescription(zip_get_error(m_zip));
    return {};
}

QString DocxPackage::commit() {
    if (!m_zip)
        return QCoreApplication::translate("document", "压缩包未打开");
    QString cause;
    if (zip_close(m_zip) < 0) {
        cause = zipErrorDescription(zip_get_error(m_zip));
        zip_discard(m_zip);
    }
    m_zip = nullptr;
    m_buffers.clear();
    return cause;
}

QString DocxPackage::commitToMemory(QByteArray* bytes) {
    QString cause = commit();
    if (cause.isEmpty() && m_memory) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_source_open(m_memory) < 0 || zip_source_stat(m_memory, &stat) < 0) {
            cause = zipErrorDescription(zip_source_error(m_memory));
        } else {
            bytes->resize(static_cast<qsizetype>(stat.size));
            if (zip_source_read(m_memory, bytes->data(), stat.size) !=
                static_cast<zip_int64_t>(stat.size))
                cause = zipErrorDescription(zip_source_error(m_memory));
            zip_source_close(m_memory);
        }
    }
    discard();
    return cause;
}
