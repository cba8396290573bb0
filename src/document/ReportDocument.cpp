#include "document/ReportDocument.h"

#include "document/DocumentFiles.h"
#include "document/DocumentParts.h"
#include "document/DocumentTarget.h"
#include "document/DocxAppend.h"
#include "document/DocxPackage.h"
#include "document/DocxXml.h"
#include "document/NewDocument.h"
#include "document/WriteProtocol.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <future>

namespace {

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

using Kind = Outcome::Kind;

Outcome unusable(const QString& message) {
    return Outcome::failure(Kind::Unusable, message);
}

// The first bytes tell a .docx (a zip) from a legacy binary document or a text.
Outcome checkExisting(const QString& file, const QString& name) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return Outcome::failure(Kind::Lasting,
                                QCoreApplication::translate("document", "无法读取文档“%1”：%2。")
                                    .arg(name, in.errorString()));
    const QByteArray head = in.read(8);
    if (head == QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))
        return unusable(QCoreApplication::translate(
                            "document",
                            "文档“%1”是旧版 Word 97-2003 格式（.doc）或设有打开密码的文档，"
                            "不是 .docx 文档；请在 Word 或 LibreOffice 中把它另存为 .docx"
                            "（不设密码）后再选择。")
                            .arg(name));
    if (!head.startsWith("PK\x03\x04") && !head.startsWith("PK\x05\x06"))
        return unusable(QCoreApplication::translate(
                            "document", "文档“%1”不是 .docx 文档：文件内容不是 ZIP 压缩包"
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
    if (const Result<> opened = package->open(file, mode); !opened)
        return unusable(
            QCoreApplication::translate("document", "文档“%1”已损坏，无法作为 .docx 打开：%2。")
                .arg(name, opened.cause()));
    const Result<std::optional<QString>> main = documentparts::findMainPart(*package);
    if (main && !*main)
        return unusable(
            QCoreApplication::translate(
                "document", "文档“%1”不是 Word 文档：压缩包中没有 Word 主文档部件（%2）。")
                .arg(name, documentparts::kMainPartFallback));
    Result<docx::AppendInput> read =
        main ? documentparts::readParts(*package, **main) : main.failed();
    if (!read)
        return unusable(QCoreApplication::translate("document", "文档“%1”无法使用：%2。")
                            .arg(name, read.cause()));
    *input = std::move(read).value();
    return reportfile::checkMainPartType(name, input->mainPart, input->contentTypes);
}

// Writes the document file with the pictures appended into the new file
// written.
Outcome appendInto(const QString& written, const QString& file, const QString& name,
                   const QList<docx::Picture>& pictures, const QList<QList<int>>& paragraphs,
                   const docx::FillInput& fill, docx::Placement* placement) {
    DocxPackage package;
    docx::AppendInput input;
    Outcome read = readExisting(file, name, DocxPackage::Mode::Update, &package, &input);
    if (!read.isOk())
        return read;
    const Result<docx::AppendOutput> appended =
        docx::appendPictures(input, pictures, paragraphs, fill);
    if (!appended)
        return unusable(QCoreApplication::translate("document", "文档“%1”无法使用：%2。")
                            .arg(name, appended.cause()));
    const docx::AppendOutput& output = *appended;
    Outcome limits = reportfile::checkLimits(name, package, output);
    if (!limits.isOk())
        return limits;
    *placement = output.placement;
    const std::pair<QString, QByteArray> parts[] = {
        {package.locate(documentparts::kContentTypesPart)
             .value_or(documentparts::kContentTypesPart),
         output.contentTypes},
        {input.mainPart, output.document},
        {input.relsPart, output.rels}};
    for (const auto& [part, bytes] : parts)
        package.write(part, bytes, false);
    qint64 added = 0;
    for (const auto& [part, png] : output.media) {
        added += png.size();
        // A replaced picture's part is written under the name it is stored as.
        package.write(package.locate(part).value_or(part), png, true);
    }
    if (const Result<> committed = package.commitTo(written); !committed)
        return reportfile::writeFailure(name, QFileInfo(file).absolutePath(),
                                        QFileInfo(file).size() + added + output.document.size(),
                                        committed.cause());
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

Outcome ReportDocument::open() {
    reportfile::Target target;
    Outcome checked = reportfile::checkTarget(m_path, displayName(), &target);
    if (!checked.isOk() || target.kind != reportfile::Target::Existing)
        return checked;
    m_existed = true;
    DocxPackage package;
    docx::AppendInput input;
    Outcome read =
        readExisting(target.file, displayName(), DocxPackage::Mode::Inspect, &package, &input);
    if (!read.isOk())
        return read;
    // Appending nothing checks every part the writes will edit.
    if (const Result<docx::AppendOutput> checked = docx::appendPictures(input, {}, {}); !checked)
        return unusable(QCoreApplication::translate("document", "文档“%1”无法使用：%2。")
                            .arg(displayName(), checked.cause()));
    return Outcome::ok();
}

void ReportDocument::paste(const QImage& picture, const QString& segmentName) {
    if (picture.isNull())
        return;
    m_pending.push_back(m_encoders.start(picture, segmentName));
    ++m_pendingPictures;
}

void ReportDocument::paste(const QImage& picture, const docx::RowValues& row) {
    if (picture.isNull())
        return;
    paste(picture, row.segment);
    m_pending.back()->row = row;
    m_runRows.append(row);
}

void ReportDocument::beginRun() {
    // A run whose last write has not succeeded yet goes on in this one: its
    // rows are still to be counted in the summary that write fills.
    if (!m_finish)
        m_runRows.clear();
    m_finish.reset();
}

void ReportDocument::finishRun(const QString& date) {
    m_finish = RunEnd{date, m_runRows};
}

void ReportDocument::typeParagraphBreak() {
    m_pending.push_back(nullptr);
}

ReportDocument::Written ReportDocument::write(const PendingList& items,
                                              const std::optional<RunEnd>& finish,
                                              bool existed) const {
    QList<docx::Picture> pictures;
    QList<QList<int>> paragraphs(1);
    docx::FillInput fill;
    fill.userLimit = m_limit;
    fill.replaceExisting = m_replaceExisting;
    if (finish) {
        fill.finishing = true;
        fill.date = finish->date;
        fill.runRows = finish->rows;
    }
    for (const auto& pending : items) {
        if (!pending) {
            paragraphs.append(QList<int>());
            continue;
        }
        if (pending->row) {
            fill.rows.append(*pending->row);
            fill.rowParagraph.append(int(paragraphs.size()) - 1);
        }
        docx::Picture picture{pending->result(), pending->pixels, pending->segmentName};
        if (picture.png.isEmpty())
            return {
                Outcome::failure(Kind::Lasting,
                                 QCoreApplication::translate(
                                     "document", "无法把驻波图编码为 PNG 图片，不能写入文档“%1”。")
                                     .arg(displayName())),
                {}};
        paragraphs.last().append(int(pictures.size()));
        pictures.append(picture);
    }

    reportfile::Target target;
    if (Outcome checked = reportfile::checkTarget(m_path, displayName(), &target); !checked.isOk())
        return {checked, {}};
    // Another writer of this program waits its turn: the lock covers the
    // whole read, change and commit.
    DocumentFiles files(target.file);
    if (Outcome locked = reportfile::lockForWrite(files, displayName()); !locked.isOk())
        return {locked, {}};
    const bool marked = files.markInUse();
    Written result;
    result.outcome = writeLocked(files, pictures, paragraphs, fill, existed, &result.placement);
    if (marked && !m_heldInUse)
        files.unmarkInUse();
    return result;
}

Outcome ReportDocument::writeLocked(DocumentFiles& files, const QList<docx::Picture>& pictures,
                                    const QList<QList<int>>& paragraphs,
                                    const docx::FillInput& fill, bool existed,
                                    docx::Placement* placement) const {
    // A document another program creates meanwhile is appended to instead.
    for (int attempt = 0;; ++attempt) {
        reportfile::Target target;
        Outcome checked = reportfile::checkTarget(m_path, displayName(), &target, true);
        if (!checked.isOk())
            return checked;
        if (target.kind == reportfile::Target::Existing)
            return appendToExisting(files, target.file, pictures, paragraphs, fill, placement);
        Outcome created = reportfile::writeNew(files, target.file, displayName(), pictures,
                                               paragraphs, placement);
        if (created.kind() == Kind::Busy && attempt == 0)
            continue;
        if (!created.isOk())
            return created;
        // A document this program saw before and now finds gone was deleted
        // or moved meanwhile: what it held is not in the new one.
        return Outcome::ok(existed ? Outcome::Note::Recreated : Outcome::Note::Created);
    }
}

Outcome ReportDocument::appendToExisting(DocumentFiles& files, const QString& file,
                                         const QList<docx::Picture>& pictures,
                                         const QList<QList<int>>& paragraphs,
                                         const docx::FillInput& fill,
                                         docx::Placement* placement) const {
    qint64 pictureBytes = 0;
    for (const docx::Picture& picture : pictures)
        pictureBytes += picture.png.size();
    const QString name = displayName();
    return reportfile::replaceByRewritten(
        files, file, name, pictureBytes,
        [&](const QString& written) {
            return appendInto(written, file, name, pictures, paragraphs, fill, placement);
        },
        m_beforeCommit);
}

QString ReportDocument::realFile() const {
    return reportfile::fileWritten(m_path).value_or(QFileInfo(m_path).absoluteFilePath());
}

void ReportDocument::holdInUse(bool held) {
    if (held == m_heldInUse)
        return;
    (void)finishBackgroundWrite(true);
    m_heldInUse = held;
    if (!held)
        DocumentFiles(realFile()).unmarkInUse();
}

Outcome ReportDocument::written(const Written& result) {
    if (!result.outcome.isOk())
        return result.outcome;
    m_existed = true;
    // A document made anew holds only the pictures of this write.
    if (result.outcome.note() == Outcome::Note::Recreated)
        m_placement.placeholders = m_placement.bookmark = m_placement.end = 0;
    m_placement.add(result.placement);
    return result.outcome;
}

Outcome ReportDocument::flush() {
    Outcome earlier = finishBackgroundWrite(true).value_or(Outcome::ok());
    if ((m_pending.empty() && !m_finish) || !earlier.isOk())
        return earlier;
    Outcome outcome = written(write(m_pending, m_finish, m_existed));
    if (outcome.isOk()) {
        m_pending.clear();
        m_pendingPictures = 0;
        m_finish.reset();
        if (outcome.note() == Outcome::Note::None)
            return earlier;
    }
    return outcome;
}

void ReportDocument::discardPending() {
    (void)finishBackgroundWrite(true);
    m_finish.reset();
    m_runRows.clear();
    m_pending.clear();
    m_pendingPictures = 0;
}

void ReportDocument::flushInBackground(std::function<void()> ended) {
    if (m_inFlight || (m_pending.empty() && !m_finish))
        return;
    auto inFlight = std::make_unique<InFlight>();
    inFlight->items = std::move(m_pending);
    inFlight->pictures = m_pendingPictures;
    inFlight->finish = std::move(m_finish);
    m_pending.clear();
    m_pendingPictures = 0;
    m_finish.reset();
    // The worker only reads the snapshot and this object's path; pastes made
    // meanwhile go to the fresh pending list.
    inFlight->result =
        std::async(std::launch::async,
                   [this, items = inFlight->items, finish = inFlight->finish, existed = m_existed,
                    flag = inFlight->ended, ended = std::move(ended)] {
                       Written result = write(items, finish, existed);
                       flag->store(true);
                       if (ended)
                           ended();
                       return result;
                   });
    m_inFlight = std::move(inFlight);
}

bool ReportDocument::writeEnded() const {
    return !m_inFlight || m_inFlight->ended->load();
}

std::optional<Outcome> ReportDocument::finishBackgroundWrite(bool wait) {
    if (!m_inFlight)
        return Outcome::ok();
    if (!wait && !writeEnded())
        return std::nullopt;
    Outcome outcome = written(m_inFlight->result.get());
    if (!outcome.isOk()) {
        // Nothing was written: the snapshot goes back in front of what came since.
        m_pending.insert(m_pending.begin(), m_inFlight->items.begin(), m_inFlight->items.end());
        m_pendingPictures += m_inFlight->pictures;
        if (m_inFlight->finish && !m_finish)
            m_finish = m_inFlight->finish;
    }
    m_inFlight.reset();
    return outcome;
}
