#include "platform/RecentFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

QString keyOf(RecentFiles::Kind kind) {
    return kind == RecentFiles::Kind::Workbook ? QStringLiteral("recent/workbooks")
                                               : QStringLiteral("recent/documents");
}

} // namespace

QString RecentFiles::folder(Kind kind) const {
    const QStringList recent = m_settings.value(keyOf(kind)).toStringList();
    for (const QString& path : recent) {
        const QString folder = QFileInfo(path).absolutePath();
        if (QFileInfo(folder).isDir())
            return folder;
    }
    return {};
}

QStringList RecentFiles::files(Kind kind) const {
    QStringList existing;
    for (const QString& path : m_settings.value(keyOf(kind)).toStringList())
        if (QFileInfo(path).isFile())
            existing.append(path);
    return existing;
}

void RecentFiles::remember(Kind kind, const QString& path) {
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QStringList recent = m_settings.value(keyOf(kind)).toStringList();
    recent.removeAll(absolute);
    recent.prepend(absolute);
    m_settings.setValue(keyOf(kind), recent.mid(0, kKept));
}
