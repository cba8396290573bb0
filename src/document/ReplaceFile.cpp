#include "document/ReplaceFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <filesystem>
#include <vector>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// The permissions of the file itself: the flags for the current user are
// left out, as setting them would set the owner's.
QFile::Permissions ownPermissions(const QString& file) {
    return QFile::permissions(file) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
}

#ifdef Q_OS_UNIX
QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Names looked up in a way safe on any thread (writes run on workers).
QString userName(uid_t uid) {
    passwd entry;
    passwd* found = nullptr;
    char buffer[4096];
    return ::getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 && found
               ? QString::fromLocal8Bit(entry.pw_name)
               : QString::number(uid);
}

QString groupName(gid_t gid) {
    group entry;
    group* found = nullptr;
    char buffer[4096];
    return ::getgrgid_r(gid, &entry, buffer, sizeof buffer, &found) == 0 && found
               ? QString::fromLocal8Bit(entry.gr_name)
               : QString::number(gid);
}

bool inGroup(gid_t gid) {
    if (gid == ::getegid())
        return true;
    std::vector<gid_t> groups(std::max(::getgroups(0, nullptr), 0));
    const int count = ::getgroups(int(groups.size()), groups.data());
    groups.resize(std::max(count, 0));
    return std::find(groups.begin(), groups.end(), gid) != groups.end();
}

bool isSticky(const QString& folder) {
    struct stat info;
    return ::stat(QFile::encodeName(folder).constData(), &info) == 0 && (info.st_mode & S_ISVTX);
}
#endif

// Gives the temporary the owner, group and permissions of the file it
// replaces; the owner first, as changing it may clear permission bits.
Result<> keepAttributes(const QString& temporary, const QFileInfo& target) {
#ifdef Q_OS_UNIX
    const QFileInfo made(temporary);
    if ((made.ownerId() != target.ownerId() || made.groupId() != target.groupId()) &&
        ::chown(QFile::encodeName(temporary).constData(), target.ownerId(), target.groupId()) != 0)
        return Failed{QCoreApplication::translate("document", "无法让新文件保留文档的所有者（%1）")
                          .arg(systemError())};
#endif
    if (!QFile::setPermissions(temporary, ownPermissions(target.absoluteFilePath())))
        return Failed{QCoreApplication::translate("document", "无法让新文件保留文档的权限")};
    return {};
}

} // namespace

namespace reportfile {

Result<> replaceWith(const QString& temporary, const QString& target) {
    const QFileInfo existing(target);
    if (existing.exists()) {
        if (Result<> kept = keepAttributes(temporary, existing); !kept)
            return kept;
    }
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(temporary).toStdString(),
                            QFile::encodeName(target).toStdString(), error);
    if (error)
        return Failed{QString::fromLocal8Bit(error.message().c_str())};
    return {};
}

Result<> checkOwnership(const QFileInfo& file) {
#ifdef Q_OS_UNIX
    const uid_t me = ::geteuid();
    if (me == 0 || !file.exists())
        return {};
    const QString folder = file.absolutePath();
    const QFileInfo folderInfo(folder);
    if (file.ownerId() != me && folderInfo.ownerId() != me && isSticky(folder))
        return Failed{
            QCoreApplication::translate(
                "document", "它所在的文件夹“%1”设有粘滞位（如 /tmp），只有文件的所有者"
                            "才能替换其中的文件，而文档属于用户“%2”，本程序以用户“%3”运行；"
                            "请把文档复制到自己的文件夹中，再选择这个副本")
                .arg(QDir::toNativeSeparators(folder), userName(file.ownerId()), userName(me))};
    if (file.ownerId() != me)
        return Failed{QCoreApplication::translate(
                          "document",
                          "文档属于用户“%1”，本程序以用户“%2”运行，保存时替换文档会让它的"
                          "所有者变成“%2”（只有 root 能保留所有者）；请由“%1”保存，或把文档"
                          "复制一份，再选择这个副本")
                          .arg(userName(file.ownerId()), userName(me))};
    if (!inGroup(file.groupId()))
        return Failed{QCoreApplication::translate(
                          "document",
                          "文档属于用户组“%1”，而用户“%2”不在这个组中，保存时替换文档会让它"
                          "失去这个用户组；请把文档的用户组改为自己所在的组，或把文档复制一份，"
                          "再选择这个副本")
                          .arg(groupName(file.groupId()), userName(me))};
#else
    Q_UNUSED(file);
#endif
    return {};
}

} // namespace reportfile
