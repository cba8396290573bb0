#include "document/DocxPackage.h"

#include <QFile>

#include "zip/ZipEntries.h"
#include "zip/ZipErrors.h"

#include <zip.h>

namespace {

using zippackage::Failure;

// Why the package cannot be opened, as the document's messages say it.
QString openCause(const Failure& failure) {
    switch (failure.kind) {
    case Failure::TooManyEntries:
        return QStringLiteral("包含 %1 个条目，超过上限 %2 个，拒绝处理")
            .arg(failure.count)
            .arg(DocxPackage::kMaxEntries);
    case Failure::DuplicateEntry:
        return duplicateEntryCause(failure.part);
    default:
        return failure.zipText;
    }
}

// Why a part is not read, naming it; limit is what it may unpack to.
QString readCause(const Failure& failure, qint64 limit) {
    const QString& name = failure.part;
    switch (failure.kind) {
    case Failure::Missing:
        return QStringLiteral("缺少部件 %1").arg(name);
    case Failure::PartTooLarge:
    case Failure::PackageTooLarge:
        return QStringLiteral("部件 %1 解压后超过 %2 MiB，拒绝处理")
            .arg(name)
            .arg(limit / (1024 * 1024));
    case Failure::ReadBefore:
        return QStringLiteral("部件 %1 被当作不同的部件重复引用，文件已损坏或被篡改").arg(name);
    case Failure::Encrypted:
        return QStringLiteral("无法读取部件 %1：%2")
            .arg(name, zipErrorDescription(ZIP_ER_NOPASSWD));
    case Failure::Declaration:
        return QStringLiteral("部件 %1 含有文档类型声明（DOCTYPE），出于安全原因拒绝处理")
            .arg(name);
    case Failure::LongProlog:
        return QStringLiteral("部件 %1 在根元素之前有超过 %2 KiB 的内容，出于安全原因拒绝处理")
            .arg(name)
            .arg(zippackage::kMaxPrologBytes / 1024);
    default:
        return QStringLiteral("无法读取部件 %1：%2")
            .arg(name,
                 failure.zipText.isEmpty() ? QStringLiteral("文件可能已损坏") : failure.zipText);
    }
}

} // namespace

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
    m_source.close();
}

QString DocxPackage::open(const QString& path, Mode mode) {
    discard();
    // The main part, its relationships and the content types may each be as
    // large as a part may be, and the parts they refer to together as well.
    zippackage::Package::Options options{kMaxEntries, mode == Mode::Inspect, 4 * kMaxPartSize};
    if (const Failure failure = m_source.open(path, options))
        return openCause(failure);
    if (mode == Mode::Inspect)
        return {};
    int code = 0;
    m_zip = zip_open(QFile::encodeName(path).constData(), 0, &code);
    if (!m_zip) {
        discard();
        return zipErrorDescription(code);
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
    if (m_source.archive())
        return m_source.entryCount();
    return m_zip ? zip_get_num_entries(m_zip, 0) : 0;
}

QString DocxPackage::entryName(qint64 index) const {
    return m_source.entryName(index);
}

std::optional<QString> DocxPackage::locate(const QString& name) const {
    return m_source.locate(name);
}

QString DocxPackage::read(const QString& name, QByteArray* data, qint64 limit) {
    const Failure failure = m_source.read(name, data, limit);
    return failure ? readCause(failure, qBound<qint64>(0, limit, kMaxPartSize)) : QString();
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
        return QStringLiteral("压缩包未打开");
    QString cause;
    if (zip_close(m_zip) < 0) {
        cause = zipErrorDescription(zip_get_error(m_zip));
        zip_discard(m_zip);
    }
    m_zip = nullptr;
    m_buffers.clear();
    m_source.close();
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
