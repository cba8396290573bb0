#include "document/DocumentFiles.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QThread>

#include <filesystem>

namespace {

// Who writes the in-use mark: the author field LibreOffice shows, and the
// last field, which names the writing process.
const QString kAuthor = QStringLiteral("Veltrace");
const QString kProcessPrefix = QStringLiteral("veltrace:");

QString userName() {
    QString name = qEnvironmentVariable("USER");
    if (name.isEmpty())
        name = qEnvironmentVariable("USERNAME");
    return name;
}

QString processId() {
    return kProcessPrefix + QString::number(QCoreApplication::applicationPid()) + u'@' +
           QSysInfo::machineHostName();
}

// ".~lock.NAME#" beside the document: LibreOffice's lock file.
QString libreOfficeLock(const QString& folder, const QString& name) {
    return folder + QStringLiteral("/.~lock.") + name + u'#';
}

// Word's owner file: "~$" before the name, which loses its first one or two
// characters when it is long.
QStringList wordOwnerFiles(const QString& folder, const QString& name) {
    return {folder + QStringLiteral("/~$") + name, folder + QStringLiteral("/~$") + name.mid(1),
            folder + QStringLiteral("/~$") + name.mid(2)};
}

QByteArray readSmall(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(4096) : QByteArray();
}

} // namespace

DocumentFiles::DocumentFiles(const QString& documentFile)
    : m_document(documentFile), m_folder(QFileInfo(documentFile).absolutePath()),
      m_name(QFileInfo(documentFile).fileName()) {
    const QByteArray hash =
        QCryptographicHash::hash(m_name.toUtf8(), QCryptographicHash::Sha1).toHex().left(10);
    m_stem = QStringLiteral(".~veltrace-") + QString::fromLatin1(hash);
}

DocumentFiles::~DocumentFiles() {
    unlock();
}

bool DocumentFiles::isOwnMark(const QString& lockFile, bool thisProcess) const {
    const QString text = QString::fromUtf8(readSmall(lockFile)).trimmed();
    const QStringList fields = text.split(u',');
    if (fields.size() < 5 || fields.first() != kAuthor)
        return false;
    QString last = fields.last();
    if (last.endsWith(u';'))
        last.chop(1);
    return thisProcess ? last == processId() : last.startsWith(kProcessPrefix);
}

std::optional<QString> DocumentFiles::foreignLock() const {
    const QString libreOffice = libreOfficeLock(m_folder, m_name);
    if (QFileInfo::exists(libreOffice) && !isOwnMark(libreOffice, false))
        return libreOffice;
    for (const QString& owner : wordOwnerFiles(m_folder, m_name)) {
        if (owner != m_document && QFileInfo::exists(owner))
            return owner;
    }
    return std::nullopt;
}

QLockFile::LockError DocumentFiles::lockForWrite(int timeoutMs) {
    if (m_lock)
        return QLockFile::NoError;
    auto lock = std::make_unique<QLockFile>(m_folder + u'/' + m_stem + QStringLiteral(".lock"));
    // A write may take long on a large document; a lock is stale only when
    // its process is gone.
    lock->setStaleLockTime(0);
    // Asked often, so a writer that takes the lock again two seconds after
    // each write cannot keep this one waiting (QLockFile's own waiting backs
    // off to seconds between tries).
    QElapsedTimer waited;
    waited.start();
    while (!lock->tryLock(0)) {
        if (lock->error() != QLockFile::LockFailedError || waited.elapsed() >= timeoutMs)
            return lock->error();
        QThread::msleep(20);
    }
    m_lock = std::move(lock);
    return QLockFile::NoError;
}

void DocumentFiles::unlock() {
    m_lock.reset();
}

QString DocumentFiles::newTemporary() {
    const QString prefix = m_stem + u'-';
    const QDir folder(m_folder);
    for (const QString& stale :
         folder.entryList({prefix + u'*'}, QDir::Files | QDir::Hidden | QDir::System))
        QFile::remove(folder.filePath(stale));
    return folder.filePath(QStringLiteral("%1%2-%3.tmp")
                               .arg(prefix)
                               .arg(QCoreApplication::applicationPid())
                               .arg(++m_temporaries));
}

bool DocumentFiles::markInUse() {
    const QString mark = libreOfficeLock(m_folder, m_name);
    if (QFileInfo::exists(mark) && !isOwnMark(mark, false))
        return false;
    if (QFileInfo::exists(mark) && isOwnMark(mark, true))
        return true;
    // Written whole beside it and renamed into place, so no other writer ever
    // reads a mark half written; one of this program's is replaced.
    const QString host = QSysInfo::machineHostName();
    const QString when = QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy HH:mm"));
    const QString temporary = newTemporary();
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    file.write(QStringLiteral("%1,%2,%3,%4,%5;")
                   .arg(kAuthor, userName(), host, when, processId())
                   .toUtf8());
    file.close();
    // An office program that opened the document meanwhile keeps its own.
    std::error_code error;
    if (file.error() != QFileDevice::NoError ||
        (QFileInfo::exists(mark) && !isOwnMark(mark, false)))
        error = std::make_error_code(std::errc::file_exists);
    else
        std::filesystem::rename(QFile::encodeName(temporary).toStdString(),
                                QFile::encodeName(mark).toStdString(), error);
    if (error)
        QFile::remove(temporary);
    return !error;
}

void DocumentFiles::unmarkInUse() {
    const QString mark = libreOfficeLock(m_folder, m_name);
    if (QFileInfo::exists(mark) && isOwnMark(mark, true))
        QFile::remove(mark);
}
