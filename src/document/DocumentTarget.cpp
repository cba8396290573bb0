#include "document/DocumentTarget.h"

#include "document/DocumentFiles.h"
#include "document/DocxXml.h"
#include "document/ReplaceFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include <filesystem>

namespace {

using Kind = Outcome::Kind;

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

Outcome unusable(const QString& message) {
    return Outcome::failure(Kind::Unusable, message);
}

// Writable for this process, and not marked read-only: a file or folder
// without any write permission bit is left alone even by a user whose
// privileges would let the write through.
bool isWritable(const QFileInfo& info) {
    return info.isWritable() &&
           (info.permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther));
}

// The Word packages that are no plain document: by the extension of their
// name and the content type of their main part.
struct OtherKind {
    const char* suffix;
    const char* contentType;
    const char* what;
    const char* remedy;
};
constexpr OtherKind kOtherKinds[] = {
    {"docm", "application/vnd.ms-word.document.macroEnabled.main+xml",
     QT_TRANSLATE_NOOP("document", "启用宏的 Word 文档（.docm）"),
     QT_TRANSLATE_NOOP("document", "请在 Word 中把它另存为 .docx 文档后再选择")},
    {"dotx", "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml",
     QT_TRANSLATE_NOOP("document", "Word 模板（.dotx）"),
     QT_TRANSLATE_NOOP("document", "请用这个模板新建一个文档，另存为 .docx 后再选择")},
    {"dotm", "application/vnd.ms-word.template.macroEnabledTemplate.main+xml",
     QT_TRANSLATE_NOOP("document", "启用宏的 Word 模板（.dotm）"),
     QT_TRANSLATE_NOOP("document", "请用这个模板新建一个文档，另存为 .docx 后再选择")},
};

Outcome notAPlainDocument(const QString& name, const OtherKind& kind) {
    return unusable(QCoreApplication::translate(
                        "document", "文档“%1”是%2，不是普通的 Word 文档（.docx）；本程序只向 .docx "
                                    "文档添加驻波图，%3。")
                        .arg(name, QCoreApplication::translate("document", kind.what),
                             QCoreApplication::translate("document", kind.remedy)));
}

Outcome checkSuffix(const QFileInfo& file, const QString& name) {
    for (const OtherKind& kind : kOtherKinds) {
        if (file.suffix().compare(QLatin1String(kind.suffix), Qt::CaseInsensitive) == 0)
            return notAPlainDocument(name, kind);
    }
    return Outcome::ok();
}

// Another office program's lock file beside the document: a success when
// there is none.
Outcome checkForeignLock(const QFileInfo& file, const QString& name) {
    const auto lock = DocumentFiles(file.absoluteFilePath()).foreignLock();
    if (!lock)
        return Outcome::ok();
    const bool word = QFileInfo(*lock).fileName().startsWith(u"~$");
    return Outcome::failure(
        Kind::Busy, QCoreApplication::translate(
                        "document", "文档“%1”正被其他办公程序打开（有 %2“%3”）；"
                                    "请先在该程序中关闭这个文档再保存。如果该程序已经退出，"
                                    "请删除这个文件。")
                        .arg(name,
                             word ? QCoreApplication::translate("document", "Word 所有者文件")
                                  : QCoreApplication::translate("document", "LibreOffice 锁定文件"),
                             native(*lock)));
}

// Whether a document that does not exist yet may be created under its name
// (the link's) in its folder (the link target's).
Outcome checkCreatable(const QFileInfo& info, const QFileInfo& folder, const QString& name) {
    if (info.suffix().compare(u"docx", Qt::CaseInsensitive) != 0)
        return unusable(
            QCoreApplication::translate("document", "新文档“%1”的文件名必须以 .docx 结尾。")
                .arg(name));
    if (!isWritable(folder))
        return Outcome::failure(
            Kind::Lasting, QCoreApplication::translate(
                               "document", "无法在文件夹“%1”中新建文档“%2”：该文件夹不允许写入。")
                               .arg(native(folder.filePath()), name));
    return Outcome::ok();
}

// Whether an existing file (real, named info) can be read and then replaced
// by a new one written beside it, with the owner, group and permissions it
// has.
Outcome checkReplaceable(const QFileInfo& info, const QFileInfo& real, const QFileInfo& folder,
                         const QString& name) {
    if (real.isDir())
        return unusable(
            QCoreApplication::translate("document", "“%1”是一个文件夹，不是 Word 文档。")
                .arg(name));
    if (!real.isFile())
        return unusable(
            QCoreApplication::translate("document", "“%1”不是普通文件，不能作为 Word 文档。")
                .arg(name));
    for (const QFileInfo& named : {info, real})
        if (Outcome suffix = checkSuffix(named, name); !suffix.isOk())
            return suffix;
    if (!real.isReadable())
        return Outcome::failure(
            Kind::Lasting,
            QCoreApplication::translate("document", "无法读取文档“%1”：没有读取权限。").arg(name));
    if (!isWritable(real))
        return Outcome::failure(
            Kind::Lasting,
            QCoreApplication::translate(
                "document", "文档“%1”是只读文件，无法写入；请去掉它的只读属性，或另选一个文档。")
                .arg(name));
    if (!isWritable(folder))
        return Outcome::failure(
            Kind::Lasting,
            QCoreApplication::translate("document", "无法保存文档“%1”：所在文件夹“%2”不允许写入"
                                                    "（保存时要在其中创建临时文件）。")
                .arg(name, native(folder.filePath())));
    if (const Result<> owned = reportfile::checkOwnership(real); !owned)
        return Outcome::failure(Kind::Lasting,
                                QCoreApplication::translate("document", "无法保存文档“%1”：%2。")
                                    .arg(name, owned.cause()));
    return Outcome::ok();
}

// Where a symbolic link points, relative to the link's folder.
QString linkTarget(const QString& link) {
    std::error_code error;
    const std::filesystem::path path(QFile::encodeName(link).toStdString());
    const std::filesystem::path target = std::filesystem::read_symlink(path, error);
    if (error)
        return link;
    const std::filesystem::path resolved =
        target.is_absolute() ? target : path.parent_path() / target;
    return QFile::decodeName(QByteArray::fromStdString(resolved.string()));
}

} // namespace

namespace reportfile {

std::optional<QString> fileWritten(const QString& path) {
    const QFileInfo info(path);
    if (!info.isSymLink())
        return info.absoluteFilePath();
    if (info.exists())
        return info.canonicalFilePath();
    // A link to a file not made yet, through as many links as the system
    // follows at most.
    QString file = info.absoluteFilePath();
    for (int hop = 0; hop < 40; ++hop) {
        if (!QFileInfo(file).isSymLink())
            return file;
        file = linkTarget(file);
    }
    return std::nullopt;
}

Outcome checkTarget(const QString& path, const QString& name, Target* target, bool underWriteLock) {
    const QFileInfo info(path);
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir())
        return Outcome::failure(Kind::Lasting, QCoreApplication::translate(
                                                   "document", "文档“%1”所在的文件夹“%2”不存在。")
                                                   .arg(name, native(folder.filePath())));

    // A symbolic link is written through: its target changes, the link stays.
    const std::optional<QString> written = fileWritten(path);
    if (!written)
        return unusable(QCoreApplication::translate(
                            "document", "“%1”是一个循环的符号链接（它经过的链接最终又指回自己），"
                                        "找不到要写入的文件；请改正这个链接，或另选一个文档。")
                            .arg(name));
    const QFileInfo real(*written);
    if (!underWriteLock)
        DocumentFiles(real.absoluteFilePath()).removeLeftovers();
    for (const QFileInfo& file : {info, real})
        if (Outcome unlocked = checkForeignLock(file, name); !unlocked.isOk())
            return unlocked;

    target->file = real.absoluteFilePath();
    const QFileInfo realFolder(real.absolutePath());
    if (!real.exists()) {
        Outcome creatable = checkCreatable(info, realFolder, name);
        if (creatable.isOk())
            target->kind = Target::Missing;
        return creatable;
    }
    Outcome replaceable = checkReplaceable(info, real, realFolder, name);
    if (replaceable.isOk())
        target->kind = real.size() == 0 ? Target::Empty : Target::Existing;
    return replaceable;
}

Outcome checkMainPartType(const QString& name, const QString& mainPart,
                          const QByteArray& contentTypes) {
    const Result<docx::XmlPart> part = docx::decodePart(contentTypes);
    if (!part)
        return Outcome::ok(); // told by the reading of the parts
    const QString partName = u'/' + mainPart;
    QXmlStreamReader reader(part->text);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement || reader.name() != u"Override")
            continue;
        const QXmlStreamAttributes attributes = reader.attributes();
        if (attributes.value(QStringLiteral("PartName")).compare(partName, Qt::CaseInsensitive) !=
            0)
            continue;
        for (const OtherKind& kind : kOtherKinds) {
            if (attributes.value(QStringLiteral("ContentType"))
                    .compare(QLatin1String(kind.contentType), Qt::CaseInsensitive) == 0)
                return notAPlainDocument(name, kind);
        }
    }
    return Outcome::ok();
}

} // namespace reportfile
