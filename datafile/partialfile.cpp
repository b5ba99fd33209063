// Whole-or-nothing files and the removal of what interrupted writes left behind.
#include "datafile/partialfile.h"

#include "data/errors.h"
#include "datafile/datafile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace datafile {

namespace {

SyncFunction syncFile = ::fsync;

QString reason(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("磁盘已满");
    case EACCES:
    case EPERM:
        return QStringLiteral("没有权限");
    case EROFS:
        return QStringLiteral("文件系统是只读的");
    case EIO:
        return QStringLiteral("读写磁盘时出错");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("文件夹不存在");
    case EISDIR:
        return QStringLiteral("这是一个文件夹");
    default:
        return QStringLiteral("系统错误 %1").arg(error);
    }
}

bool syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = syncFile(fd) == 0;
    ::close(fd);
    return synced;
}

// ".<name>.XXXXXX" with six letters or digits, as PartialFile names its copies.
bool isPartialName(const QString& name)
{
    static constexpr qsizetype randomPart = 6;
    if (!name.startsWith(u'.') || name.size() < 1 + 1 + 1 + randomPart)
        return false;
    const qsizetype dot = name.size() - randomPart - 1;
    if (name[dot] != u'.')
        return false;
    for (qsizetype at = dot + 1; at < name.size(); ++at)
        if (!(name[at].isDigit() || (name[at] >= u'a' && name[at] <= u'z') || (name[at] >= u'A' && name[at] <= u'Z')))
            return false;
    const QStringView base = QStringView(name).sliced(1, dot - 1);
    return base.endsWith(u".Mdb") || base.endsWith(u".csv");
}

// "data.Mdb-mj" and eight hexadecimal digits: the super-journal of a transaction over several files.
bool isSuperJournalName(const QString& name)
{
    static const QString prefix = QStringLiteral("data.Mdb-mj");
    if (!name.startsWith(prefix) || name.size() != prefix.size() + 8)
        return false;
    for (qsizetype at = prefix.size(); at < name.size(); ++at)
        if (!(name[at].isDigit() || (name[at] >= u'A' && name[at] <= u'F') || (name[at] >= u'a' && name[at] <= u'f')))
            return false;
    return true;
}

} // namespace

void setSyncFunction(SyncFunction sync)
{
    syncFile = sync ? sync : ::fsync;
}

PartialFile::PartialFile(const QString& target) : m_target(target)
{
    const QFileInfo info(target);
    const QString folder = info.absolutePath();
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        QString suffix;
        for (int i = 0; i < 6; ++i)
            suffix += QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))]);
        m_path = QDir(folder).filePath(u'.' + info.fileName() + u'.' + suffix);
        m_fd = ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (m_fd < 0 && errno != EEXIST)
            break;
    }
    if (m_fd < 0) {
        const int error = errno;
        if (!QFileInfo(folder).isDir())
            throw DataError(QStringLiteral("文件夹“%1”不存在，无法写入“%2”").arg(folder, target));
        throw DataError(QStringLiteral("无法在文件夹“%1”中写入文件（%2）").arg(folder, reason(error)));
    }
}

PartialFile::~PartialFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_path.isEmpty())
        ::unlink(QFile::encodeName(m_path).constData());
}

void PartialFile::write(const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t written = ::write(m_fd, data, static_cast<size_t>(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throw DataError(QStringLiteral("无法写入文件“%1”（%2），它没有改动").arg(m_target, reason(errno)));
        }
        data += written;
        size -= written;
    }
}

Durability PartialFile::commit()
{
    if (syncFile(m_fd) != 0)
        throw DataError(QStringLiteral("无法把“%1”写入磁盘（%2），它没有改动").arg(m_target, reason(errno)));
    ::close(m_fd);
    m_fd = -1;
    if (::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(m_target).constData()) != 0)
        throw DataError(QStringLiteral("无法写成“%1”（%2），它没有改动").arg(m_target, reason(errno)));
    m_path.clear();
    return syncFolder(QFileInfo(m_target).absolutePath()) ? Durability::OnDisk : Durability::MaybeNotOnDisk;
}

void checkTarget(const QString& target, const QString& dataPath)
{
    const QFileInfo info(target);
    if (info.isSymLink())
        throw DataError(QStringLiteral("“%1”是一个符号链接；Tevu 不通过链接写文件，请给出实际文件的路径").arg(target));
    if (info.isDir())
        throw DataError(QStringLiteral("“%1”是一个文件夹，不能写成文件").arg(target));
    for (const QString& suffix :
         {QString(), QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")})
        if (sameFile(target, dataPath + suffix) ||
            (!QFileInfo::exists(target) && QFileInfo(target).absoluteFilePath() == realPath(dataPath) + suffix))
            throw DataError(QStringLiteral("“%1”就是数据文件本身（或它的日志文件），不能写在它上面").arg(target));
}

int removeStalePartials(const QString& folder, const QDateTime& before)
{
    int removed = 0;
    const QDir dir(folder);
    for (const QFileInfo& file : dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QString name = file.fileName();
        if (file.isSymLink() || !(isPartialName(name) || isSuperJournalName(name)))
            continue;
        if (file.lastModified() >= before)
            continue;
        // A super-journal still named by a journal belongs to a write that has yet to be rolled back.
        if (isSuperJournalName(name) && QFileInfo::exists(dir.filePath(QStringLiteral("data.Mdb-journal"))))
            continue;
        if (QFile::remove(file.absoluteFilePath()))
            ++removed;
    }
    return removed;
}

} // namespace datafile
