#include "report/ReportDocument.h"

#include "report/DocxAppend.h"
#include "report/DocxPackage.h"
#include "report/DocxXml.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>
#include <QThreadPool>
#include <QUrl>

#include <atomic>
#include <future>

// A picture waiting to be written. Its PNG is encoded by whoever comes first:
// the worker started by paste(), or flush() when the worker has not begun yet
// (so a busy pool never makes flush() wait for a job that is still queued).
struct ReportDocument::PendingPicture {
    PendingPicture(const QImage& picture, const QString& segment)
        : image(picture), pixels(picture.size()), segmentName(segment), png(promise.get_future()) {}

    void encode() {
        if (claimed.exchange(true))
            return;
        QImage picture = std::move(image);
        // The picture is shown at 96 dpi; say so in the file as well.
        picture.setDotsPerMeterX(3780);
        picture.setDotsPerMeterY(3780);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        // Light compression: nearly as small as the default, twice as fast.
        writer.setCompression(20);
        if (!writer.write(picture))
            bytes.clear();
        promise.set_value(bytes);
    }

    QByteArray result() {
        encode();
        return png.get();
    }

    QImage image; // released once encoded
    QSize pixels;
    QString segmentName;
    std::atomic<bool> claimed{false};
    std::promise<QByteArray> promise;
    std::shared_future<QByteArray> png;
};

// What is at the target path right now.
struct ReportDocument::Target {
    enum Kind { Missing, Empty, Existing };
    Kind kind = Missing;
    QString file; // the file written (a symbolic link's target)
};

namespace {

const QString kMainPartFallback = QStringLiteral("word/document.xml");
const QString kContentTypesPart = QStringLiteral("[Content_Types].xml");

// Writable for this process, and not marked read-only: a file or folder
// without any write permission bit is left alone even by a user whose
// privileges would let the write through.
bool isWritable(const QFileInfo& info) {
    return info.isWritable() &&
           (info.permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther));
}

// LibreOffice keeps ".~lock.NAME#" beside a document it has open.
QString libreOfficeLock(const QFileInfo& info) {
    return info.absolutePath() + QStringLiteral("/.~lock.") + info.fileName() + u'#';
}

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

// The part an officeDocument relationship of the package points to.
std::optional<QString> mainPartTarget(const docx::RelationshipsScan& rels) {
    for (const docx::Relationship& relationship : rels.relationships) {
        if (relationship.external || !relationship.type.endsWith(u"/officeDocument"))
            continue;
        QString target = QUrl::fromPercentEncoding(relationship.target.toUtf8());
        while (target.startsWith(u'/'))
            target.remove(0, 1);
        target = QDir::cleanPath(target);
        if (!target.isEmpty() && !target.startsWith(u"..") && target != u".")
            return target;
    }
    return std::nullopt;
}

// Reads the parts appending needs. Returns the cause, or an empty string.
QString readParts(const DocxPackage& package, docx::AppendInput* input, bool* noMainPart) {
    *noMainPart = false;
    for (qint64 i = 0; i < package.entryCount(); ++i)
        input->takenNames.insert(package.entryName(i).toLower());

    std::optional<QString> main;
    if (const auto packageRels = package.locate(QStringLiteral("_rels/.rels"))) {
        QByteArray bytes;
        docx::XmlPart part;
        docx::RelationshipsScan rels;
        QString cause = package.read(*packageRels, &bytes);
        if (cause.isEmpty())
            cause = docx::decodePart(bytes, &part);
        if (cause.isEmpty())
            cause = docx::scanRelationships(part.text, &rels);
        if (!cause.isEmpty())
            return QStringLiteral("部件 %1 %2").arg(*packageRels, cause);
        if (const auto target = mainPartTarget(rels))
            main = package.locate(*target);
    }
    if (!main)
        main = package.locate(kMainPartFallback);
    if (!main) {
        *noMainPart = true;
        return QStringLiteral("压缩包中没有 Word 主文档部件（%1）").arg(kMainPartFallback);
    }
    input->mainPart = *main;
    QString cause = package.read(*main, &input->document);
    if (!cause.isEmpty())
        return cause;

    input->relsPart = docx::relationshipsPartOf(*main);
    if (const auto rels = package.locate(input->relsPart)) {
        input->relsPart = *rels;
        input->rels.emplace();
        cause = package.read(*rels, &*input->rels);
        if (!cause.isEmpty())
            return cause;
    }
    const auto types = package.locate(kContentTypesPart);
    if (!types)
        return QStringLiteral("缺少 %1，不是有效的 Office 文档").arg(kContentTypesPart);
    return package.read(*types, &input->contentTypes);
}

using Kind = Outcome::Kind;

Outcome unusable(const QString& message) {
    return Outcome::failure(Kind::Unusable, message);
}

// The first bytes tell a .docx (a zip) from a legacy binary document or a text.
Outcome checkExisting(const QString& file, const QString& name) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return Outcome::failure(
            Kind::Lasting, QStringLiteral("无法读取文档“%1”：%2。").arg(name, in.errorString()));
    const QByteArray head = in.read(8);
    if (head == QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))
        return unusable(
            QStringLiteral("文档“%1”是旧版 Word 97-2003 格式（.doc）或设有打开密码的文档，"
                           "不是 .docx 文档；请在 Word 或 LibreOffice 中把它另存为 .docx"
                           "（不设密码）后再选择。")
                .arg(name));
    if (!head.startsWith("PK\x03\x04") && !head.startsWith("PK\x05\x06"))
        return unusable(QStringLiteral("文档“%1”不是 .docx 文档：文件内容不是 ZIP 压缩包"
                                       "（可能是文本文件或其他格式的文件）。")
                            .arg(name));
    return Outcome::ok();
}

// Opens an existing document and reads the parts appending needs.
Outcome readExisting(const QString& file, const QString& name, DocxPackage::Mode mode,
                     DocxPackage* package, docx::AppendInput* input) {
    Outcome checked = checkExisting(file, name);
    if (!checked.isOk())
        return checked;
    QString cause = package->open(file, mode);
    if (!cause.isEmpty())
        return unusable(
            QStringLiteral("文档“%1”已损坏，无法作为 .docx 打开：%2。").arg(name, cause));
    bool noMainPart = false;
    cause = readParts(*package, input, &noMainPart);
    if (noMainPart)
        return unusable(QStringLiteral("文档“%1”不是 Word 文档：%2。").arg(name, cause));
    if (!cause.isEmpty())
        return unusable(QStringLiteral("文档“%1”无法使用：%2。").arg(name, cause));
    return Outcome::ok();
}

// Appends to the document on disk through libzip's own atomic commit.
Outcome appendToExisting(const QString& file, const QString& name,
                         const QList<docx::Picture>& pictures,
                         const QList<QList<int>>& paragraphs) {
    // Another program may save the document while this write is being
    // prepared; then the write starts over from what it saved.
    for (int attempt = 1;; ++attempt) {
        const FileStamp before = stampOf(file);
        DocxPackage package;
        docx::AppendInput input;
        Outcome read = readExisting(file, name, DocxPackage::Mode::Update, &package, &input);
        if (!read.isOk())
            return read;
        docx::AppendOutput output;
        QString cause = docx::appendPictures(input, pictures, paragraphs, &output);
        if (!cause.isEmpty())
            return unusable(QStringLiteral("文档“%1”无法使用：%2。").arg(name, cause));
        const std::pair<QString, QByteArray> parts[] = {
            {package.locate(kContentTypesPart).value_or(kContentTypesPart), output.contentTypes},
            {input.mainPart, output.document},
            {input.relsPart, output.rels}};
        for (const auto& [part, bytes] : parts) {
            if (cause.isEmpty())
                cause = package.write(part, bytes, false);
        }
        for (const auto& [part, png] : output.media) {
            if (cause.isEmpty())
                cause = package.write(part, png, true);
        }
        if (cause.isEmpty() && stampOf(file) != before) {
            if (attempt < 3)
                continue;
            return Outcome::failure(
                Kind::Busy,
                QStringLiteral("无法写入文档“%1”：文档正被其他程序反复修改。").arg(name));
        }
        if (cause.isEmpty())
            cause = package.commit();
        if (!cause.isEmpty())
            return Outcome::failure(Kind::Lasting,
                                    QStringLiteral("无法写入文档“%1”：%2。").arg(name, cause));
        return Outcome::ok();
    }
}

// Writes a new document holding the pictures.
Outcome writeNew(const QString& file, const QString& name, const QList<docx::Picture>& pictures,
                 const QList<QList<int>>& paragraphs) {
    const QList<std::pair<QString, QByteArray>> parts = docx::newDocumentParts();
    docx::AppendInput input;
    input.mainPart = kMainPartFallback;
    input.relsPart = docx::relationshipsPartOf(kMainPartFallback);
    for (const auto& [part, bytes] : parts) {
        input.takenNames.insert(part.toLower());
        if (part == input.mainPart)
            input.document = bytes;
        else if (part == input.relsPart)
            input.rels = bytes;
        else if (part == kContentTypesPart)
            input.contentTypes = bytes;
    }
    docx::AppendOutput output;
    DocxPackage package;
    QString cause = docx::appendPictures(input, pictures, paragraphs, &output);
    if (cause.isEmpty())
        cause = package.create();
    for (const auto& [part, bytes] : parts) {
        if (cause.isEmpty())
            cause = package.write(part,
                                  part == input.mainPart      ? output.document
                                  : part == input.relsPart    ? output.rels
                                  : part == kContentTypesPart ? output.contentTypes
                                                              : bytes,
                                  false);
    }
    for (const auto& [part, png] : output.media) {
        if (cause.isEmpty())
            cause = package.write(part, png, true);
    }
    // The whole package is built in memory, then written to a temporary file
    // beside the target and renamed over it.
    QByteArray bytes;
    if (cause.isEmpty())
        cause = package.commitToMemory(&bytes);
    if (cause.isEmpty()) {
        QSaveFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
            cause = out.errorString();
    }
    if (!cause.isEmpty())
        return Outcome::failure(Kind::Lasting,
                                QStringLiteral("无法新建文档“%1”：%2。").arg(name, cause));
    return Outcome::ok();
}

} // namespace

ReportDocument::ReportDocument(const QString& path) : m_path(path) {}

ReportDocument::~ReportDocument() {
    // A write still running uses this object; let it end.
    finishBackgroundWrite(true);
}

QString ReportDocument::displayName() const {
    return native(QFileInfo(m_path).absoluteFilePath());
}

Outcome ReportDocument::checkTarget(Target* target) const {
    const QString name = displayName();
    const QFileInfo info(m_path);
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir())
        return Outcome::failure(Kind::Lasting, QStringLiteral("文档“%1”所在的文件夹“%2”不存在。")
                                                   .arg(name, native(folder.filePath())));

    QFileInfo real = info;
    if (info.isSymLink() && info.exists())
        real = QFileInfo(info.canonicalFilePath());
    for (const QFileInfo& file : {info, real}) {
        const QString lock = libreOfficeLock(file);
        if (QFileInfo::exists(lock))
            return Outcome::failure(
                Kind::Busy,
                QStringLiteral("文档“%1”正被其他办公程序打开（有 LibreOffice 锁定文件“%2”）；"
                               "请先在该程序中关闭这个文档再保存。如果该程序已经退出，"
                               "请删除这个锁定文件。")
                    .arg(name, native(lock)));
    }

    target->file = real.absoluteFilePath();
    const QFileInfo realFolder(real.absolutePath());
    if (!real.exists()) {
        if (info.suffix().compare(u"docx", Qt::CaseInsensitive) != 0)
            return unusable(QStringLiteral("新文档“%1”的文件名必须以 .docx 结尾。").arg(name));
        if (!isWritable(realFolder))
            return Outcome::failure(
                Kind::Lasting,
                QStringLiteral("无法在文件夹“%1”中新建文档“%2”：该文件夹不允许写入。")
                    .arg(native(realFolder.filePath()), name));
        target->kind = Target::Missing;
        return Outcome::ok();
    }
    if (real.isDir())
        return unusable(QStringLiteral("“%1”是一个文件夹，不是 Word 文档。").arg(name));
    if (!real.isFile())
        return unusable(QStringLiteral("“%1”不是普通文件，不能作为 Word 文档。").arg(name));
    if (!real.isReadable())
        return Outcome::failure(Kind::Lasting,
                                QStringLiteral("无法读取文档“%1”：没有读取权限。").arg(name));
    if (!isWritable(real))
        return Outcome::failure(
            Kind::Lasting,
            QStringLiteral("文档“%1”是只读文件，无法写入；请去掉它的只读属性，或另选一个文档。")
                .arg(name));
    if (!isWritable(realFolder))
        return Outcome::failure(Kind::Lasting,
                                QStringLiteral("无法保存文档“%1”：所在文件夹“%2”不允许写入"
                                               "（保存时要在其中创建临时文件）。")
                                    .arg(name, native(realFolder.filePath())));
    target->kind = real.size() == 0 ? Target::Empty : Target::Existing;
    return Outcome::ok();
}

Outcome ReportDocument::open() {
    Target target;
    Outcome checked = checkTarget(&target);
    if (!checked.isOk() || target.kind != Target::Existing)
        return checked;
    m_existed = true;
    DocxPackage package;
    docx::AppendInput input;
    Outcome read =
        readExisting(target.file, displayName(), DocxPackage::Mode::Inspect, &package, &input);
    if (!read.isOk())
        return read;
    // Appending nothing checks every part the writes will edit.
    docx::AppendOutput unused;
    const QString cause = docx::appendPictures(input, {}, {}, &unused);
    if (!cause.isEmpty())
        return unusable(QStringLiteral("文档“%1”无法使用：%2。").arg(displayName(), cause));
    return Outcome::ok();
}

void ReportDocument::paste(const QImage& picture, const QString& segmentName) {
    if (picture.isNull())
        return;
    auto pending = std::make_shared<PendingPicture>(picture, segmentName);
    m_pending.push_back(pending);
    ++m_pendingPictures;
    QThreadPool::globalInstance()->start([pending] { pending->encode(); });
}

void ReportDocument::typeParagraphBreak() {
    m_pending.push_back(nullptr);
}

Outcome ReportDocument::write(const PendingList& items, bool existed) const {
    QList<docx::Picture> pictures;
    QList<QList<int>> paragraphs(1);
    for (const auto& pending : items) {
        if (!pending) {
            paragraphs.append(QList<int>());
            continue;
        }
        docx::Picture picture{pending->result(), pending->pixels, pending->segmentName};
        if (picture.png.isEmpty())
            return Outcome::failure(
                Kind::Lasting, QStringLiteral("无法把驻波图编码为 PNG 图片，不能写入文档“%1”。")
                                   .arg(displayName()));
        paragraphs.last().append(int(pictures.size()));
        pictures.append(picture);
    }

    Target target;
    Outcome checked = checkTarget(&target);
    if (!checked.isOk())
        return checked;
    if (target.kind == Target::Existing)
        return appendToExisting(target.file, displayName(), pictures, paragraphs);
    Outcome created = writeNew(target.file, displayName(), pictures, paragraphs);
    if (!created.isOk())
        return created;
    // A document this program saw before and now finds gone was deleted or
    // moved meanwhile: what it held is not in the new one.
    return Outcome::ok(existed ? Outcome::Note::Recreated : Outcome::Note::Created);
}

Outcome ReportDocument::written(Outcome outcome) {
    if (outcome.isOk())
        m_existed = true;
    return outcome;
}

Outcome ReportDocument::flush() {
    Outcome earlier = finishBackgroundWrite(true).value_or(Outcome::ok());
    if (m_pending.empty() || !earlier.isOk())
        return earlier;
    Outcome outcome = written(write(m_pending, m_existed));
    if (outcome.isOk()) {
        m_pending.clear();
        m_pendingPictures = 0;
        if (outcome.note() == Outcome::Note::None)
            return earlier;
    }
    return outcome;
}

void ReportDocument::discardPending() {
    (void)finishBackgroundWrite(true);
    m_pending.clear();
    m_pendingPictures = 0;
}

void ReportDocument::flushInBackground() {
    if (m_inFlight || m_pending.empty())
        return;
    auto inFlight = std::make_unique<InFlight>();
    inFlight->items = std::move(m_pending);
    inFlight->pictures = m_pendingPictures;
    m_pending.clear();
    m_pendingPictures = 0;
    // The worker only reads the snapshot and this object's path; pastes made
    // meanwhile go to the fresh pending list.
    inFlight->result =
        std::async(std::launch::async, [this, items = inFlight->items, existed = m_existed] {
            return write(items, existed);
        });
    m_inFlight = std::move(inFlight);
}

std::optional<Outcome> ReportDocument::finishBackgroundWrite(bool wait) {
    if (!m_inFlight)
        return Outcome::ok();
    if (!wait && m_inFlight->result.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return std::nullopt;
    Outcome outcome = written(m_inFlight->result.get());
    if (!outcome.isOk()) {
        // Nothing was written: the snapshot goes back in front of what came since.
        m_pending.insert(m_pending.begin(), m_inFlight->items.begin(), m_inFlight->items.end());
        m_pendingPictures += m_inFlight->pictures;
    }
    m_inFlight.reset();
    return outcome;
}
