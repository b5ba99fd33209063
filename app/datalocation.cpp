// The data file's place: the rule, the first start that makes the user's own file, and the upgrade from the template.
#include "app/datalocation.h"

#include "content_compiler.h"
#include "data/connection.h"
#include "data/errors.h"
#include "data/sqlite.h"
#include "datafile/backup.h"
#include "datafile/datafile.h"
#include "datafile/upgrade.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace datalocation {

namespace {

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

int contentVersionOf(const QString& path)
{
    const sqlite::Database db = sqlite::open(path, sqlite::OpenMode::ReadOnly);
    return datafile::contentVersion(db.get(), path);
}

// Only the last folder is made owner-only: the ones above it (~/.local/share) are shared with other programs.
void makeOwnFolder(const QString& folder)
{
    const QString parent = QFileInfo(folder).absolutePath();
    if (!QDir().mkpath(parent))
        throw DataError(QStringLiteral("无法创建文件夹“%1”").arg(parent));
    if (::mkdir(native(folder).constData(), 0700) != 0 && errno != EEXIST)
        throw DataError(QStringLiteral("无法创建文件夹“%1”").arg(folder));
    if (!QFileInfo(folder).isDir())
        throw DataError(QStringLiteral("“%1”不是文件夹").arg(folder));
}

void syncFolder(const QString& folder)
{
    const int fd = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// A checked copy of the template under a hidden name, then linked into place: link() never replaces, so a file that
// another start of the program made meanwhile stays as it is.
QString makeFromTemplate(const QString& templateFile, const QString& file)
{
    const QString folder = QFileInfo(file).absolutePath();
    makeOwnFolder(folder);
    QString hidden;
    {
        // Only for a name of the kind that removeStalePartials() clears when a start is interrupted here.
        QTemporaryFile name(QDir(folder).filePath(QStringLiteral(".data.Mdb.XXXXXX")));
        if (!name.open())
            throw DataError(QStringLiteral("无法在文件夹“%1”中写入文件").arg(folder));
        hidden = name.fileName();
    }
    datafile::writeBackup(templateFile, hidden);
    const int linked = ::link(native(hidden).constData(), native(file).constData());
    const int linkError = errno;
    ::unlink(native(hidden).constData());
    if (linked != 0 && linkError != EEXIST)
        throw DataError(QStringLiteral("无法创建数据文件“%1”").arg(file));
    syncFolder(folder);
    return linked == 0 ? QStringLiteral("已从“%1”创建你自己的数据文件“%2”。").arg(templateFile, file) : QString();
}

QString upgradeFromTemplate(const Places& places, const QString& templateFile, const QString& file,
                            const QDateTime& now)
{
    if (contentVersionOf(file) >= contentVersionOf(templateFile))
        return {};
    QList<QStringList> plans;
    tevu::content::SourceError error;
    // Without the earlier plans, the days that still hold an old shipped text keep it: the user's texts are safe.
    if (!tevu::content::loadEarlierPlans(places.earlierPlans, plans, error))
        plans.clear();
    const datafile::UpgradeResult result = datafile::upgrade(file, templateFile, plans, now);
    if (!result.upgraded)
        return {};
    return QStringLiteral("已把“%1”的内容从版本 %2 升级到 %3；日记和改过的计划保持原样。升级前的备份：%4")
        .arg(file)
        .arg(result.from)
        .arg(result.to)
        .arg(result.backup);
}

// $XDG_DATA_HOME, or ~/.local/share. A relative path is ignored, as the XDG rules say: taken from the current folder,
// a start from another folder would make a new, empty diary.
QString userDataHome()
{
    const QString given = qEnvironmentVariable("XDG_DATA_HOME");
    if (!given.isEmpty() && QDir::isAbsolutePath(given))
        return QDir::cleanPath(given);
    return QDir(QDir::homePath()).filePath(QStringLiteral(".local/share"));
}

} // namespace

Places ofThisProgram()
{
    const QString program = QCoreApplication::applicationDirPath();
    const QDir share(QDir::cleanPath(program + QStringLiteral("/../../share/tevu")));
    return {
        .programFolder = program,
        .userFolder = QDir(userDataHome()).filePath(QStringLiteral("tevu")),
        .templateFile = share.filePath(Connection::fileName()),
        .earlierPlans = share.filePath(QStringLiteral("earlier-plans")),
    };
}

Location choose(const Places& places)
{
    const QString beside = QDir(places.programFolder).filePath(Connection::fileName());
    const bool writable = ::access(native(places.programFolder).constData(), W_OK) == 0;
    if (writable && (QFileInfo::exists(beside) || !QFileInfo::exists(places.templateFile)))
        return {beside, Reason::BesideProgram};
    return {QDir(places.userFolder).filePath(Connection::fileName()), Reason::UserFolder};
}

Prepared prepare(const Places& places, const QDateTime& now)
{
    Prepared prepared{choose(places), {}};
    if (prepared.location.reason != Reason::UserFolder)
        return prepared;
    const QString& file = prepared.location.file;
    // A copy installed without the package's template still brings its own data file as the one to start from.
    const QString beside = QDir(places.programFolder).filePath(Connection::fileName());
    const QString templateFile = QFileInfo::exists(places.templateFile) ? places.templateFile : beside;
    try {
        if (!QFileInfo::exists(file) && !QFileInfo(file).isSymLink()) {
            if (!QFileInfo::exists(templateFile))
                throw DataError(QStringLiteral("找不到随程序安装的数据文件“%1”").arg(places.templateFile));
            prepared.note = makeFromTemplate(templateFile, file);
        } else if (QFileInfo::exists(templateFile)) {
            prepared.note = upgradeFromTemplate(places, templateFile, file, now);
        }
    } catch (const DataError& e) {
        prepared.note = QFileInfo::exists(file)
                            ? QStringLiteral("没有升级“%1”，文件保持原样：%2").arg(file, e.message())
                            : QStringLiteral("无法创建数据文件“%1”：%2").arg(file, e.message());
    }
    return prepared;
}

Location forThisProgram()
{
    const Prepared prepared = prepare(ofThisProgram(), QDateTime::currentDateTime());
    if (!prepared.note.isEmpty()) {
        std::fputs(prepared.note.toUtf8().constData(), stderr);
        std::fputc('\n', stderr);
    }
    return prepared.location;
}

QString describe(const Location& location)
{
    switch (location.reason) {
    case Reason::Named:
        return QStringLiteral("数据文件：%1（用 --data 指定）").arg(location.file);
    case Reason::BesideProgram:
        return QStringLiteral("数据文件：%1（程序所在的文件夹可以写入，数据文件就在程序旁边）").arg(location.file);
    case Reason::UserFolder:
        return QStringLiteral("数据文件：%1（程序是为所有用户安装的，每个用户的数据在自己的主目录中）")
            .arg(location.file);
    }
    return {};
}

} // namespace datalocation
