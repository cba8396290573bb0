#include "document/WriteProtocol.h"

#include "document/DocumentFiles.h"
#include "document/DocxAppend.h"
#include "document/DocxPackage.h"
#include "document/ReplaceFile.h"

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
    const QLockFile::LockError locked = files.lockForWrite(kWriteLockWaitMs);
    if (locked == QLockFile::LockFailedError)
        return Outcome::failure(Kind::Busy,
                                QStringLiteral("文档“%1”正由本程序的另一个窗口或命令行写入，"
                                               "等待 %2 秒后仍未轮到。")
                                    .arg(name)
                                    .arg(kWriteLockWaitMs / 1000));
    if (locked != QLockFile::NoError)
        return Outcome::failure(
            Kind::Lasting,
            QStringLiteral("无法写入文档“%1”：不能在文档所在的文件夹中创建锁定文件。").arg(name));
    return Outcome::ok();
}

Outcome writeFailure(const QString& name, const QString& folder, qint64 needed,
                     const QString& cause, bool creating) {
    const QString failed =
        creating ? QStringLiteral("无法新建文档") : QStringLiteral("无法写入文档");
    const QStorageInfo storage(folder);
    if (storage.isValid() && storage.bytesAvailable() >= 0 &&
        storage.bytesAvailable() < needed + 1024 * 1024)
        return Outcome::failure(Kind::Lasting,
                                QStringLiteral("%1“%2”：磁盘空间不足（文件夹“%3”所在的磁盘只剩 "
                                               "%4 KB 可用空间）。请腾出磁盘空间后再保存。")
                                    .arg(failed, name, native(folder))
                                    .arg(storage.bytesAvailable() / 1024));
    return Outcome::failure(Kind::Lasting, QStringLiteral("%1“%2”：%3。").arg(failed, name, cause));
}

Outcome checkLimits(const QString& name, const DocxPackage& package,
                    const docx::AppendOutput& output) {
    const qint64 entries = package.entryCount() + output.media.size();
    const qint64 largest =
        std::max({output.document.size(), output.rels.size(), output.contentTypes.size()});
    if (entries <= DocxPackage::kMaxEntries && largest <= DocxPackage::kMaxPartSize)
        return Outcome::ok();
    return Outcome::failure(Kind::Lasting,
                            QStringLiteral("文档“%1”已达到本程序能处理的大小上限（%2 个部件，"
                                           "正文不超过 %3 MiB），不能再添加驻波图；"
                                           "请改用一个新文档保存其余的驻波图。")
                                .arg(name)
                                .arg(DocxPackage::kMaxEntries)
                                .arg(DocxPackage::kMaxPartSize / (1024 * 1024)));
}

Outcome replaceByEditedCopy(DocumentFiles& files, const QString& file, const QString& name,
                            qint64 added, const std::function<Outcome(const QString&)>& edit,
                            const std::function<void()>& beforeCommit) {
    const QString folder = QFileInfo(file).absolutePath();
    for (int attempt = 1;; ++attempt) {
        const FileStamp before = stampOf(file);
        const QString temporary = files.newTemporary();
        if (const QString cause = copyFile(file, temporary); !cause.isEmpty()) {
            QFile::remove(temporary);
            return writeFailure(name, folder, before.size, cause);
        }
        Outcome outcome = edit(temporary);
        if (beforeCommit)
            beforeCommit();
        if (outcome.isOk() && stampOf(file) != before) {
            QFile::remove(temporary);
            if (attempt < 3)
                continue;
            return Outcome::failure(
                Kind::Busy,
                QStringLiteral("无法写入文档“%1”：文档正被其他程序反复修改。").arg(name));
        }
        if (outcome.isOk()) {
            if (const QString cause = replaceWith(temporary, file); !cause.isEmpty())
                outcome = writeFailure(name, folder, before.size + added, cause);
        }
        QFile::remove(temporary);
        return outcome;
    }
}

} // namespace reportfile
