#include "document/WriteProtocol.h"

#include "document/DocumentFiles.h"
#include "document/DocxAppend.h"
#include "document/DocxPackage.h"
#include "document/ReplaceFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>

namespace {

using Kind = Outcome::Kind;

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// What tells that a file was written since it was last looked at.
struct FileStamp {
    qint64 size;
    QDateTime modified;
    QDateTime changed;
    bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(const QString& file) {
    const QFileInfo info(file);
    return {info.size(), info.fileTime(QFileDevice::FileModificationTime),
            info.fileTime(QFileDevice::FileMetadataChangeTime)};
}

} // namespace

namespace reportfile {

Outcome lockForWrite(DocumentFiles& files, const QString& name) {
    const QString lockFile = native(files.lockFile());
    switch (files.lockForWrite(kWriteLockWaitMs)) {
    case DocumentFiles::Lock::Taken:
        return Outcome::ok();
    case DocumentFiles::Lock::Busy: {
        const QString holder = files.lockHolder();
        return Outcome::failure(
            Kind::Busy,
            QCoreApplication::translate("document", "文档“%1”正由本程序的另一个窗口或命令行写入%2，"
                                                    "等待 %3 秒后仍未轮到。")
                .arg(name, holder.isEmpty()
                               ? QString()
                               : QCoreApplication::translate("document", "（%1）").arg(holder))
                .arg(kWriteLockWaitMs / 1000));
    }
    case DocumentFiles::Lock::NotALockFile:
        return Outcome::failure(
            Kind::Lasting,
            QCoreApplication::translate(
                "document", "无法写入文档“%1”：本程序写入时要用“%2”作锁定文件，但这个名字已被"
                            "别的东西（文件夹、链接或其他文件）占用；请删除它或改名后再保存。")
                .arg(name, lockFile));
    case DocumentFiles::Lock::Refused:
        return Outcome::failure(Kind::Lasting,
                                QCoreApplication::translate(
                                    "document", "无法写入文档“%1”：所在文件夹不允许创建锁定文件“%2”"
                                                "（没有写入权限或是只读的文件系统）。")
                                    .arg(name, lockFile));
    case DocumentFiles::Lock::Failed:
        break;
    }
    const Result<> probed = files.probeWrite();
    const QString cause =
        probed ? QCoreApplication::translate("document", "写不进锁定文件“%1”").arg(lockFile)
               : probed.cause();
    return writeFailure(name, QFileInfo(files.lockFile()).absolutePath(), 0, cause);
}

Outcome writeFailure(const QString& name, const QString& folder, qint64 needed,
                     const QString& cause, bool creating) {
    const QString failed = creating ? QCoreApplication::translate("document", "无法新建文档")
                                    : QCoreApplication::translate("document", "无法写入文档");
    const QStorageInfo storage(folder);
    if (storage.isValid() && storage.bytesAvailable() >= 0 &&
        storage.bytesAvailable() < needed + 1024 * 1024)
        return Outcome::failure(Kind::Lasting,
                                QCoreApplication::translate(
                                    "document", "%1“%2”：磁盘空间不足（文件夹“%3”所在的磁盘只剩 "
                                                "%4 KB 可用空间）。请腾出磁盘空间后再保存。")
                                    .arg(failed, name, native(folder))
                                    .arg(storage.bytesAvailable() / 1024));
    return Outcome::failure(
        Kind::Lasting,
        QCoreApplication::translate("document", "%1“%2”：%3。").arg(failed, name, cause));
}

Outcome checkLimits(const QString& name, const DocxPackage& package,
                    const docx::AppendOutput& output) {
    const qint64 entries = package.entryCount() + output.media.size();
    const qint64 largest =
        std::max({output.document.size(), output.rels.size(), output.contentTypes.size()});
    if (entries <= DocxPackage::kMaxEntries && largest <= DocxPackage::kMaxPartSize)
        return Outcome::ok();
    return Outcome::failure(
        Kind::Lasting,
        QCoreApplication::translate("document", "文档“%1”已达到本程序能处理的大小上限（%2 个部件，"
                                                "正文不超过 %3 MiB），不能再添加驻波图；"
                                                "请改用一个新文档保存其余的驻波图。")
            .arg(name)
            .arg(DocxPackage::kMaxEntries)
            .arg(DocxPackage::kMaxPartSize / (1024 * 1024)));
}

Outcome replaceByRewritten(DocumentFiles& files, const QString& file, const QString& name,
                           qint64 added, const std::function<Outcome(const QString&)>& build,
                           const std::function<void()>& beforeCommit) {
    const QString folder = QFileInfo(file).absolutePath();
    for (int attempt = 1;; ++attempt) {
        const FileStamp before = stampOf(file);
        const QString temporary = files.newTemporary();
        Outcome outcome = build(temporary);
        if (beforeCommit)
            beforeCommit();
        if (outcome.isOk() && stampOf(file) != before) {
            QFile::remove(temporary);
            if (attempt < 3)
                continue;
            return Outcome::failure(Kind::Busy,
                                    QCoreApplication::translate(
                                        "document", "无法写入文档“%1”：文档正被其他程序反复修改。")
                                        .arg(name));
        }
        if (outcome.isOk()) {
            if (const Result<> replaced = replaceWith(temporary, file); !replaced)
                outcome = writeFailure(name, folder, before.size + added, replaced.cause());
        }
        QFile::remove(temporary);
        return outcome;
    }
}

} // namespace reportfile
