#include "zip/ZipPackage.h"

#include "zip/ZipEntries.h"
#include "zip/ZipErrors.h"
#include "zip/ZipPartStream.h"

#include <QFile>

#include <zip.h>

namespace zippackage {

namespace {

Failure failure(Failure::Kind kind, const QString& part = QString()) {
    Failure failure;
    failure.kind = kind;
    failure.part = part;
    return failure;
}

Failure zipFailure(Failure::Kind kind, const QString& part, int code, const QString& text) {
    Failure failure = zippackage::failure(kind, part);
    failure.zipCode = code;
    failure.zipText = text;
    return failure;
}

} // namespace

bool Failure::wantsPassword() const {
    return kind == NotOpened && (zipCode == ZIP_ER_NOPASSWD || zipCode == ZIP_ER_WRONGPASSWD);
}

Package::Package() = default;

Package::~Package() {
    close();
}

void Package::close() {
    if (m_archive)
        zip_discard(m_archive);
    m_archive = nullptr;
    m_unpacked = 0;
    m_read.clear();
}

Failure Package::open(const QString& path, const Options& options) {
    close();
    const QByteArray name = QFile::encodeName(path);
    int code = 0;
    zip_t* archive = zip_open(name.constData(),
                              ZIP_RDONLY | (options.checkConsistency ? ZIP_CHECKCONS : 0), &code);
    if (!archive && code == ZIP_ER_EXISTS) {
        // libzip's consistency check found two entries of one name but does not say
        // which: open the file plainly to name it.
        archive = zip_open(name.constData(), ZIP_RDONLY, &code);
        const std::optional<QString> duplicate = archive ? duplicateEntry(archive) : std::nullopt;
        if (archive)
            zip_discard(archive);
        if (duplicate)
            return failure(Failure::DuplicateEntry, *duplicate);
        return zipFailure(Failure::NotAZip, QString(), ZIP_ER_EXISTS,
                          zipErrorDescription(ZIP_ER_EXISTS));
    }
    if (!archive)
        return zipFailure(Failure::NotAZip, QString(), code, zipErrorDescription(code));
    return adopt(archive, options);
}

Failure Package::adopt(zip_t* archive, const Options& options) {
    close();
    m_archive = archive;
    m_maxPackageBytes = options.maxPackageBytes;
    const zip_int64_t entries = zip_get_num_entries(m_archive, 0);
    Failure refused;
    if (entries < 0 || entries > options.maxEntries) {
        refused = failure(Failure::TooManyEntries);
        refused.count = entries;
    } else if (const std::optional<QString> duplicate = duplicateEntry(m_archive)) {
        refused = failure(Failure::DuplicateEntry, *duplicate);
    }
    if (refused)
        close();
    return refused;
}

qint64 Package::entryCount() const {
    return m_archive ? zip_get_num_entries(m_archive, 0) : 0;
}

QString Package::entryName(qint64 index) const {
    const char* name =
        m_archive ? zip_get_name(m_archive, zip_uint64_t(index), ZIP_FL_ENC_GUESS) : nullptr;
    return name ? QString::fromUtf8(name) : QString();
}

std::optional<QString> Package::locate(const QString& name) const {
    if (!m_archive || name.isEmpty())
        return std::nullopt;
    const zip_int64_t index = zip_name_locate(m_archive, name.toUtf8().constData(), ZIP_FL_NOCASE);
    if (index < 0)
        return std::nullopt;
    return entryName(index);
}

bool Package::wasRead(const QString& name) const {
    return m_archive &&
           m_read.contains(zip_name_locate(m_archive, name.toUtf8().constData(), ZIP_FL_NOCASE));
}

std::unique_ptr<PartStream> Package::openPart(const QString& name, Failure& refused, qint64 limit) {
    limit = qBound<qint64>(0, limit, kMaxPartBytes);
    const zip_int64_t index =
        m_archive ? zip_name_locate(m_archive, name.toUtf8().constData(), ZIP_FL_NOCASE) : -1;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (index < 0)
        refused = failure(Failure::Missing, name);
    else if (m_read.contains(index))
        refused = failure(Failure::ReadBefore, name);
    else if (zip_stat_index(m_archive, zip_uint64_t(index), 0, &stat) != 0)
        refused = failure(Failure::NoInformation, name);
    else if ((stat.valid & ZIP_STAT_SIZE) && stat.size > quint64(limit))
        refused = failure(Failure::PartTooLarge, name);
    else if ((stat.valid & ZIP_STAT_SIZE) && stat.size > quint64(m_maxPackageBytes - m_unpacked))
        refused = failure(Failure::PackageTooLarge, name);
    else if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
        refused = failure(Failure::Encrypted, name);
    if (refused)
        return nullptr;
    zip_file_t* file = zip_fopen_index(m_archive, zip_uint64_t(index), 0);
    if (!file) {
        const int code = zip_error_code_zip(zip_get_error(m_archive));
        refused = zipFailure(Failure::NotOpened, name, code, zipErrorDescription(code));
        return nullptr;
    }
    m_read.insert(index);
    const qint64 expected = (stat.valid & ZIP_STAT_SIZE) ? qint64(stat.size) : -1;
    return std::make_unique<PartStream>(file, index, name, expected,
                                        PartStream::Limits{limit, m_maxPackageBytes, m_unpacked});
}

void Package::forget(const PartStream& stream) {
    m_read.remove(stream.index());
    m_unpacked -= stream.unpacked();
}

Failure Package::read(const QString& name, QByteArray* bytes, qint64 limit) {
    bytes->clear();
    Failure refused;
    const std::unique_ptr<PartStream> stream = openPart(name, refused, limit);
    if (!stream)
        return refused;
    stream->findRootByWatch();
    bytes->reserve(qsizetype(qMax<qint64>(stream->expected(), 0)));
    char chunk[kMaxPrologBytes];
    for (qint64 got; (got = stream->read(chunk, sizeof chunk)) > 0;)
        bytes->append(chunk, qsizetype(got));
    refused = stream->failure();
    if (refused) {
        forget(*stream);
        bytes->clear();
        bytes->squeeze();
    }
    return refused;
}

} // namespace zippackage
