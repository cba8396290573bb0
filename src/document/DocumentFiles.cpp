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

#include <algorithm>
#include <filesystem>
#include <limits>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <sys/types.h>
#endif

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

// Word's owner file of the document of that name: "~$" and the name, without
// its first character when the name without its extension has seven, its
// first two when it has more.
QString wordOwnerFile(const QString& folder, const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    const qsizetype stem = dot < 0 ? name.size() : dot;
    const qsizetype dropped = stem <= 6 ? 0 : stem == 7 ? 1 : 2;
    return folder + QStringLiteral("/~$") + name.mid(dropped);
}

QByteArray readSmall(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(4096) : QByteArray();
}

// The last field of a mark of this program's ("veltrace:PID@HOST"), or an
// empty string when the file is no such mark.
QString markWriter(const QString& lockFile) {
    const QString text = QString::fromUtf8(readSmall(lockFile)).trimmed();
    const QStringList fields = text.split(u',');
    if (fields.size() < 5 || fields.first() != kAuthor)
        return {};
    QString last = fields.last();
    if (last.endsWith(u';'))
        last.chop(1);
    return last.startsWith(kProcessPrefix) ? last : QString();
}

// Whether the process runs on this machine. When that cannot be told, it is
// taken to run, so nothing of a live writer is ever removed.
bool processRuns(qint64 pid) {
#ifdef Q_OS_UNIX
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max())
        return false;
    // EPERM: it runs, under another user.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
#else
    Q_UNUSED(pid);
    return true;
#endif
}

// A writer named "veltrace:PID@HOST" that was on this host and is gone.
bool writerGone(const QString& writer) {
    const qsizetype at = writer.indexOf(u'@');
    if (at < 0 || writer.mid(at + 1) != QSysInfo::machineHostName())
        return false;
    bool number = false;
    const qint64 pid =
        writer.mid(kProcessPrefix.size(), at - kProcessPrefix.size()).toLongLong(&number);
    return number && !processRuns(pid);
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
    const QString writer = markWriter(lockFile);
    return !writer.isEmpty() && (!thisProcess || writer == processId());
}

std::optional<QString> DocumentFiles::foreignLock() const {
    const QString libreOffice = libreOfficeLock(m_folder, m_name);
    if (QFileInfo::exists(libreOffice) && !isOwnMark(libreOffice, false))
        return libreOffice;
    const QString owner = wordOwnerFile(m_folder, m_name);
    if (owner != m_document && QFileInfo::exists(owner))
        return owner;
    return std::nullopt;
}

DocumentFiles::Lock DocumentFiles::lockForWrite(int timeoutMs) {
    // A lock file that cannot be written now (the disk is full, say) may be
    // writable in a moment; this long is tried again.
    constexpr int kFailureWaitMs = 5000;
    if (m_lock)
        return Lock::Taken;
    auto lock = std::make_unique<QLockFile>(lockFile());
    // A write may take long on a large document; a lock is stale only when
    // its process is gone.
    lock->setStaleLockTime(0);
    // Asked often, so a writer that takes the lock again two seconds after
    // each write cannot keep this one waiting (QLockFile's own waiting backs
    // off to seconds between tries).
    QElapsedTimer waited;
    waited.start();
    while (!lock->tryLock(0)) {
        const QFileInfo existing(lockFile());
        if (existing.isSymLink() || (existing.exists() && !existing.isFile()))
            return Lock::NotALockFile;
        const QLockFile::LockError error = lock->error();
        if (error == QLockFile::PermissionError)
            return Lock::Refused;
        const bool busy = error == QLockFile::LockFailedError;
        // A lock file tells its writer as soon as it is made: one that has
        // told nobody for a while is something else of that name.
        if (busy && lockHolder().isEmpty() &&
            existing.lastModified().msecsTo(QDateTime::currentDateTime()) > 2000)
            return Lock::NotALockFile;
        if (waited.elapsed() >= (busy ? timeoutMs : std::min(timeoutMs, kFailureWaitMs)))
            return busy ? Lock::Busy : Lock::Failed;
        QThread::msleep(20);
    }
    m_lock = std::move(lock);
    return Lock::Taken;
}

QString DocumentFiles::lockFile() const {
    return m_folder + u'/' + m_stem + QStringLiteral(".lock");
}

QString DocumentFiles::lockHolder() const {
    qint64 pid = 0;
    QString host;
    QString application;
    if (!QLockFile(lockFile()).getLockInfo(&pid, &host, &application) || pid <= 0)
        return {};
    return QCoreApplication::translate("document", "进程 %1，主机 %2").arg(pid).arg(host);
}

Result<> DocumentFiles::probeWrite() {
    // Named like a temporary, so that the next writer removes it if this
    // process cannot.
    QFile probe(QStringLiteral("%1/%2-%3-probe.tmp")
                    .arg(m_folder, m_stem)
                    .arg(QCoreApplication::applicationPid()));
    QString cause;
    if (!probe.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
        probe.write(QByteArray(256, ' ')) != 256 || !probe.flush())
        cause = probe.errorString();
    probe.close();
    probe.remove();
    if (!cause.isEmpty())
        return Failed{cause};
    return {};
}

void DocumentFiles::unlock() {
    m_lock.reset();
}

QStringList DocumentFiles::temporaries() const {
    return QDir(m_folder).entryList({m_stem + QStringLiteral("-*")},
                                    QDir::Files | QDir::Hidden | QDir::System);
}

void DocumentFiles::removeTemporaries() {
    for (const QString& stale : temporaries())
        QFile::remove(m_folder + u'/' + stale);
}

QString DocumentFiles::newTemporary() {
    removeTemporaries();
    return QStringLiteral("%1/%2-%3-%4.tmp")
        .arg(m_folder, m_stem)
        .arg(QCoreApplication::applicationPid())
        .arg(++m_temporaries);
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

bool DocumentFiles::removeLeftovers() {
    const QString mark = libreOfficeLock(m_folder, m_name);
    if (!writerGone(markWriter(mark)) && !QFileInfo::exists(lockFile()) && temporaries().isEmpty())
        return false;
    // Under the write lock, which a writer that died holds no more: whatever
    // else is left then is nobody's, and no writer puts its own mark in
    // place between the look and the removal.
    if (lockForWrite(0) != Lock::Taken)
        return false;
    if (writerGone(markWriter(mark)))
        QFile::remove(mark);
    removeTemporaries();
    // Removes the lock file as well.
    unlock();
    return true;
}
