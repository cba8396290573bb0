#include "zip/ZipEntries.h"

#include "common/ShortText.h"

#include <QCoreApplication>
#include <QSet>

#include <zip.h>

std::optional<QString> duplicateEntry(zip_t* archive) {
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    QSet<QString> seen;
    seen.reserve(qsizetype(qMax<zip_int64_t>(count, 0)));
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* raw = zip_get_name(archive, zip_uint64_t(i), ZIP_FL_ENC_GUESS);
        const QString name = QString::fromUtf8(raw ? raw : "");
        const qsizetype before = seen.size();
        seen.insert(name.toCaseFolded());
        if (seen.size() == before)
            return name;
    }
    return std::nullopt;
}

QString duplicateEntryCause(const QString& name) {
    return QCoreApplication::translate("zip",
                                       "压缩包中有多个名为“%1”的条目（名称相同或只差大小写），"
                                       "无法确定应读取哪一个，文件可能已损坏或被篡改")
        .arg(shorttext::cut(name));
}
