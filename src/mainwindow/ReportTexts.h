#pragma once

#include <QDir>
#include <QFileInfo>
#include <QString>

// Words the save and the batch of the main window share.
namespace reporttexts {

inline const QString kOpenDocument = QStringLiteral("打开文档");
// Opening the document must not cost a plot: a document open in an office
// program is seen by its lock file, and what is saved meanwhile waits.
inline const QString kOpenHint =
    QStringLiteral("文档在其他程序中打开期间，再保存的驻波图先保留，在该程序中关闭文档后"
                   "再保存时一并写入。");

inline QString nativePath(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

} // namespace reporttexts
