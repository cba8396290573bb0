#include "document/DocxPackage.h"

#include <QCoreApplication>
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
        return QCoreApplication::translate("document", "包含 %1 个条目，超过上限 %2 个，拒绝处理")
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
        return QCoreApplication::translate("document", "缺少部件 %1").arg(name);
    case Failure::PartTooLarge:
    case Failure::PackageTooLarge:
        return QCoreApplication::translate("document", "部件 %1 解压后超过 %2 MiB，拒绝处理")
            .arg(name)
            .arg(limit / (1024 * 1024));
    case Failure::ReadBefore:
        return QCoreApplication::translate("document",
                                           "部件 %1 被当作不同的部件重复引用，文件已损坏或被篡改")
            .arg(name);
    case Failure::Encrypted:
        return QCoreApplication::translate("document", "无法读取部件 %1：%2")
            .arg(name, zipErrorDescription(ZIP_ER_NOPASSWD));
    case Failure::Declaration:
        return QCoreApplication::translate(
                   "document", "部件 %1 含有文档类型声明（DOCTYPE），出于安全原因拒绝处理")
            .arg(name);
    case Failure::LongProlog:
        return QCoreApplication::translate(
                   "document", "部件 %1 在根元素之前有超过 %2 KiB 的内容，出于安全原因拒绝处理")
            .arg(name)
            .arg(zippackage::kMaxPrologBytes / 1024);
    default:
        return QCoreApplication::translate("document", "无法读取部件 %1：%2")
            .arg(name, failure.zipText.isEmpty()
                           ? QCoreApplication::translate("document", "文件可能已损坏")
                           : failure.zipText);
    }
}

} // namespace

DocxPackage::~DocxPackage() {
    discard();
}

void DocxPackage::discard() {
    m_byName.clear();
    m_written.clear();
    m_source.close();
}

Result<> DocxPackage::open(const QString& path, Mode mode) {
    discard();
    // The main part, its relationships and the content types may each be as
    // large as a part may be, and the parts they refer to together as well.
    zippackage::Package::Options options{kMaxEntries, mode == Mode::Inspect, 4 * kMaxPartSize};
    if (const Failure failure = m_source.open(path, options))
        return Failed{openCause(failure)};
    return {};
}

void DocxPackage::create() {
    discard();
}

qint64 DocxPackage::entryCount() const {
    return m_source.entryCount();
}

QString DocxPackage::entryName(qint64 index) const {
    return m_source.entryName(index);
}

std::optional<QString> DocxPackage::locate(const QString& name) const {
    return m_source.locate(name);
}

Result<QByteArray> DocxPackage::read(const QString& name, qint64 limit) {
    QByteArray data;
    if (const Failure failure = m_source.read(name, &data, limit))
        return Failed{readCause(failure, qBound<qint64>(0, limit, kMaxPartSize))};
    return data;
}
