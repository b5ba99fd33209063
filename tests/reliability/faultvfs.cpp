// The fault-injecting file system under SQLite used by the reliability tests.
#include "faultvfs.h"

#include <QFileInfo>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <new>
#include <random>
#include <sqlite3.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace faultvfs {

namespace {

// An operation that the disk may still lose.
struct Volatile {
    enum Kind { Write, Truncate, Create, Delete };
    Kind kind = Write;
    std::string path;
    sqlite3_int64 offset = 0;     // Write: where it started; Truncate: the new size
    sqlite3_int64 length = 0;     // Write: how many bytes
    sqlite3_int64 sizeBefore = 0; // Write, Truncate: the file's size before
    std::string before;           // Write: the bytes replaced; Truncate: the bytes cut; Delete: the whole file
    mode_t mode = 0600;           // Delete: the file's permission bits
};

struct State {
    std::recursive_mutex mutex;
    sqlite3_vfs* real = nullptr;
    std::string folder; // with a trailing '/'; empty while nothing is watched
    int count = 0;
    int writes = 0;
    QStringList trace;

    int failAt = 0;
    Fault fault = Fault::IoError;
    bool persistent = false;
    bool firing = false;
    int delivered = 0;

    bool tracking = false;
    std::vector<Volatile> log;
    int cutAt = 0;
    std::uint64_t seed = 0;
    bool cut = false;
    int kept = 0;
    int lost = 0;

    QList<Opened> opened;
};

State& state()
{
    static State s;
    return s;
}

struct File {
    sqlite3_file base;
    sqlite3_file* real;
    std::string* path; // null for files without a name (SQLite's temporary files)
    bool dirSyncPending;
};

File* asFile(sqlite3_file* f)
{
    return reinterpret_cast<File*>(f);
}

sqlite3_file* realOf(sqlite3_file* f)
{
    return asFile(f)->real;
}

bool isWatched(const char* path)
{
    const State& s = state();
    return path && !s.folder.empty() && std::strncmp(path, s.folder.c_str(), s.folder.size()) == 0;
}

// Whether the layer acts on this file now: a file opened before watch() began counts from then on.
bool watchedFile(const File* file)
{
    return file->path && isWatched(file->path->c_str());
}

std::string baseName(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool writeAll(int fd, const std::string& bytes, off_t offset)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, offset + static_cast<off_t>(done));
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string readWholeFile(const std::string& path, mode_t* mode)
{
    std::string bytes;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return bytes;
    struct stat info {};
    if (::fstat(fd, &info) == 0)
        *mode = info.st_mode & 07777;
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, static_cast<size_t>(n));
    ::close(fd);
    return bytes;
}

void undo(const Volatile& op, QStringList& trace)
{
    const QString name = QString::fromStdString(baseName(op.path));
    switch (op.kind) {
    case Volatile::Write:
    case Volatile::Truncate: {
        const int fd = ::open(op.path.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0)
            return; // the file is gone for good, and what it held with it
        // A write's old bytes go back where it wrote; a truncation's cut bytes go back after the new end.
        bool ok = writeAll(fd, op.before, static_cast<off_t>(op.offset));
        const sqlite3_int64 end = op.kind == Volatile::Write ? op.offset + op.length : op.offset;
        if (end > op.sizeBefore)
            ok = ::ftruncate(fd, static_cast<off_t>(op.sizeBefore)) == 0 && ok;
        ::close(fd);
        trace << QStringLiteral("  lost %1 of %2 at %3%4")
                     .arg(op.kind == Volatile::Write ? QStringLiteral("write") : QStringLiteral("truncation"), name)
                     .arg(op.offset)
                     .arg(ok ? QString() : QStringLiteral(" (undo failed)"));
        return;
    }
    case Volatile::Create:
        ::unlink(op.path.c_str());
        trace << QStringLiteral("  lost creation of %1").arg(name);
        return;
    case Volatile::Delete: {
        const int fd = ::open(op.path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, op.mode);
        bool ok = fd >= 0;
        if (ok) {
            ok = writeAll(fd, op.before, 0);
            ::close(fd);
        }
        trace << QStringLiteral("  lost deletion of %1%2").arg(name, ok ? QString() : QStringLiteral(" (undo failed)"));
        return;
    }
    }
}

void cutNow()
{
    State& s = state();
    if (s.cut)
        return;
    s.cut = true;
    std::mt19937_64 random(s.seed);
    const size_t total = s.log.size();
    const size_t keep = total == 0 ? 0 : std::uniform_int_distribution<size_t>(0, total)(random);
    s.trace << QStringLiteral("power cut: %1 volatile operations, %2 kept").arg(total).arg(keep);
    for (size_t i = total; i-- > keep;)
        undo(s.log[i], s.trace);
    s.kept = static_cast<int>(keep);
    s.lost = static_cast<int>(total - keep);
    s.log.clear();
}

// Called before a counted operation on a watched file: SQLITE_OK to go ahead, else the error to report instead.
int counted(const char* what, const std::string& path, bool isWrite, int ioError)
{
    State& s = state();
    if (s.cut)
        return ioError;
    ++s.count;
    if (isWrite)
        ++s.writes;
    s.trace << QStringLiteral("%1 %2 %3").arg(s.count).arg(QLatin1String(what), QString::fromStdString(baseName(path)));
    if (s.cutAt > 0 && s.count == s.cutAt) {
        cutNow();
        return ioError;
    }
    if (s.failAt > 0) {
        const bool diskFull = s.fault == Fault::DiskFull;
        bool fire;
        if (s.firing)
            fire = !diskFull || isWrite;
        else
            fire = diskFull ? (isWrite && s.writes == s.failAt) : s.count == s.failAt;
        if (fire) {
            s.firing = s.persistent;
            ++s.delivered;
            s.trace.last() += QStringLiteral(" -> failed");
            return diskFull ? SQLITE_FULL : ioError;
        }
    }
    return SQLITE_OK;
}

void forget(const std::string& path, bool contents, bool directory)
{
    auto& log = state().log;
    std::erase_if(log, [&](const Volatile& op) {
        const bool isContent = op.kind == Volatile::Write || op.kind == Volatile::Truncate;
        return (contents && isContent && op.path == path) || (directory && !isContent);
    });
}

bool syncDirectoryOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    const std::string directory = slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// ---- file methods ----

int xClose(sqlite3_file* f)
{
    File* file = asFile(f);
    const int rc = file->real->pMethods ? file->real->pMethods->xClose(file->real) : SQLITE_OK;
    delete file->path;
    file->path = nullptr;
    return rc;
}

int xRead(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset)
{
    File* file = asFile(f);
    if (file->path) {
        std::lock_guard lock(state().mutex);
        if (watchedFile(file) && state().cut)
            return SQLITE_IOERR_READ;
    }
    return file->real->pMethods->xRead(file->real, buffer, amount, offset);
}

int xWrite(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset)
{
    File* file = asFile(f);
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (!watchedFile(file))
        return file->real->pMethods->xWrite(file->real, buffer, amount, offset);
    if (const int rc = counted("write", *file->path, true, SQLITE_IOERR_WRITE))
        return rc;
    Volatile op;
    if (s.tracking) {
        op.kind = Volatile::Write;
        op.path = *file->path;
        op.offset = offset;
        op.length = amount;
        file->real->pMethods->xFileSize(file->real, &op.sizeBefore);
        if (offset < op.sizeBefore) {
            op.before.resize(static_cast<size_t>(std::min<sqlite3_int64>(amount, op.sizeBefore - offset)));
            file->real->pMethods->xRead(file->real, op.before.data(), static_cast<int>(op.before.size()), offset);
        }
    }
    const int rc = file->real->pMethods->xWrite(file->real, buffer, amount, offset);
    if (rc == SQLITE_OK && s.tracking)
        s.log.push_back(std::move(op));
    return rc;
}

int xTruncate(sqlite3_file* f, sqlite3_int64 size)
{
    File* file = asFile(f);
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (!watchedFile(file))
        return file->real->pMethods->xTruncate(file->real, size);
    if (const int rc = counted("truncate", *file->path, false, SQLITE_IOERR_TRUNCATE))
        return rc;
    Volatile op;
    if (s.tracking) {
        op.kind = Volatile::Truncate;
        op.path = *file->path;
        op.offset = size;
        file->real->pMethods->xFileSize(file->real, &op.sizeBefore);
        if (size < op.sizeBefore) {
            op.before.resize(static_cast<size_t>(op.sizeBefore - size));
            file->real->pMethods->xRead(file->real, op.before.data(), static_cast<int>(op.before.size()), size);
        }
    }
    const int rc = file->real->pMethods->xTruncate(file->real, size);
    if (rc == SQLITE_OK && s.tracking)
        s.log.push_back(std::move(op));
    return rc;
}

int xSync(sqlite3_file* f, int flags)
{
    File* file = asFile(f);
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (!watchedFile(file))
        return file->real->pMethods->xSync(file->real, flags);
    if (const int rc = counted("sync", *file->path, false, SQLITE_IOERR_FSYNC))
        return rc;
    const int rc = file->real->pMethods->xSync(file->real, flags);
    if (rc == SQLITE_OK) {
        // "unix" syncs the directory too on the first sync of a journal it created.
        forget(*file->path, true, file->dirSyncPending);
        file->dirSyncPending = false;
    }
    return rc;
}

int xFileSize(sqlite3_file* f, sqlite3_int64* size)
{
    return realOf(f)->pMethods->xFileSize(realOf(f), size);
}

int xLock(sqlite3_file* f, int level)
{
    return realOf(f)->pMethods->xLock(realOf(f), level);
}

int xUnlock(sqlite3_file* f, int level)
{
    return realOf(f)->pMethods->xUnlock(realOf(f), level);
}

int xCheckReservedLock(sqlite3_file* f, int* out)
{
    return realOf(f)->pMethods->xCheckReservedLock(realOf(f), out);
}

int xFileControl(sqlite3_file* f, int op, void* arg)
{
    return realOf(f)->pMethods->xFileControl(realOf(f), op, arg);
}

int xSectorSize(sqlite3_file* f)
{
    return realOf(f)->pMethods->xSectorSize(realOf(f));
}

int xDeviceCharacteristics(sqlite3_file* f)
{
    return realOf(f)->pMethods->xDeviceCharacteristics(realOf(f));
}

int xShmMap(sqlite3_file* f, int region, int size, int extend, void volatile** out)
{
    return realOf(f)->pMethods->xShmMap(realOf(f), region, size, extend, out);
}

int xShmLock(sqlite3_file* f, int offset, int n, int flags)
{
    return realOf(f)->pMethods->xShmLock(realOf(f), offset, n, flags);
}

void xShmBarrier(sqlite3_file* f)
{
    realOf(f)->pMethods->xShmBarrier(realOf(f));
}

int xShmUnmap(sqlite3_file* f, int deleteFlag)
{
    return realOf(f)->pMethods->xShmUnmap(realOf(f), deleteFlag);
}

int xFetch(sqlite3_file* f, sqlite3_int64 offset, int amount, void** out)
{
    return realOf(f)->pMethods->xFetch(realOf(f), offset, amount, out);
}

int xUnfetch(sqlite3_file* f, sqlite3_int64 offset, void* p)
{
    return realOf(f)->pMethods->xUnfetch(realOf(f), offset, p);
}

const sqlite3_io_methods ioMethods = {
    3,
    xClose,
    xRead,
    xWrite,
    xTruncate,
    xSync,
    xFileSize,
    xLock,
    xUnlock,
    xCheckReservedLock,
    xFileControl,
    xSectorSize,
    xDeviceCharacteristics,
    xShmMap,
    xShmLock,
    xShmBarrier,
    xShmUnmap,
    xFetch,
    xUnfetch,
};

// ---- file-system methods ----

int vOpen(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* outFlags)
{
    State& s = state();
    File* file = asFile(f);
    file->base.pMethods = nullptr;
    file->real = reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(f) + sizeof(File));
    file->path = nullptr;
    file->dirSyncPending = false;
    std::lock_guard lock(s.mutex);
    const bool watched = isWatched(name);
    if (watched && s.cut)
        return SQLITE_CANTOPEN;
    const bool existed = watched && ::access(name, F_OK) == 0;
    const int rc = s.real->xOpen(s.real, name, file->real, flags, outFlags);
    if (rc != SQLITE_OK) {
        // "unix" leaves its methods unset on failure, so SQLite calls no close on this file.
        return rc;
    }
    file->base.pMethods = &ioMethods;
    if (name)
        file->path = new std::string(name);
    file->dirSyncPending = (flags & SQLITE_OPEN_CREATE) != 0 &&
                           (flags & (SQLITE_OPEN_MAIN_JOURNAL | SQLITE_OPEN_SUPER_JOURNAL | SQLITE_OPEN_WAL)) != 0;
    if (watched) {
        struct stat info {};
        Opened entry;
        entry.path = QString::fromUtf8(name);
        entry.flags = flags;
        if (::stat(name, &info) == 0)
            entry.mode = info.st_mode & 07777;
        s.opened << entry;
        if (s.tracking && !existed) {
            Volatile op;
            op.kind = Volatile::Create;
            op.path = name;
            s.log.push_back(std::move(op));
        }
    }
    return rc;
}

int vDelete(sqlite3_vfs*, const char* name, int dirSync)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (!isWatched(name))
        return s.real->xDelete(s.real, name, dirSync);
    const std::string path(name);
    if (const int rc = counted("delete", path, false, SQLITE_IOERR_DELETE))
        return rc;
    Volatile op;
    if (s.tracking) {
        op.kind = Volatile::Delete;
        op.path = path;
        op.before = readWholeFile(path, &op.mode);
    }
    int rc = s.real->xDelete(s.real, name, 0);
    if (rc != SQLITE_OK)
        return rc;
    if (s.tracking)
        s.log.push_back(std::move(op));
    if (dirSync & 1) {
        // The directory sync is an operation of its own: it can fail after the file is already gone.
        if ((rc = counted("sync-directory", path, false, SQLITE_IOERR_DIR_FSYNC)) != SQLITE_OK)
            return rc;
        if (!syncDirectoryOf(path))
            return SQLITE_IOERR_DIR_FSYNC;
        forget(path, false, true);
    }
    return SQLITE_OK;
}

int vAccess(sqlite3_vfs*, const char* name, int flags, int* out)
{
    State& s = state();
    {
        std::lock_guard lock(s.mutex);
        if (isWatched(name) && s.cut)
            return SQLITE_IOERR_ACCESS;
    }
    return s.real->xAccess(s.real, name, flags, out);
}

int vFullPathname(sqlite3_vfs*, const char* name, int size, char* out)
{
    return state().real->xFullPathname(state().real, name, size, out);
}

void* vDlOpen(sqlite3_vfs*, const char* name)
{
    return state().real->xDlOpen(state().real, name);
}

void vDlError(sqlite3_vfs*, int size, char* out)
{
    state().real->xDlError(state().real, size, out);
}

void (*vDlSym(sqlite3_vfs*, void* handle, const char* symbol))(void)
{
    return state().real->xDlSym(state().real, handle, symbol);
}

void vDlClose(sqlite3_vfs*, void* handle)
{
    state().real->xDlClose(state().real, handle);
}

int vRandomness(sqlite3_vfs*, int size, char* out)
{
    return state().real->xRandomness(state().real, size, out);
}

int vSleep(sqlite3_vfs*, int microseconds)
{
    return state().real->xSleep(state().real, microseconds);
}

int vCurrentTime(sqlite3_vfs*, double* out)
{
    return state().real->xCurrentTime(state().real, out);
}

int vGetLastError(sqlite3_vfs*, int size, char* out)
{
    return state().real->xGetLastError(state().real, size, out);
}

int vCurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* out)
{
    return state().real->xCurrentTimeInt64(state().real, out);
}

int vSetSystemCall(sqlite3_vfs*, const char* name, sqlite3_syscall_ptr call)
{
    return state().real->xSetSystemCall(state().real, name, call);
}

sqlite3_syscall_ptr vGetSystemCall(sqlite3_vfs*, const char* name)
{
    return state().real->xGetSystemCall(state().real, name);
}

const char* vNextSystemCall(sqlite3_vfs*, const char* name)
{
    return state().real->xNextSystemCall(state().real, name);
}

sqlite3_vfs shim;

void resetCounters(State& s)
{
    s.count = 0;
    s.writes = 0;
    s.trace.clear();
    s.failAt = 0;
    s.firing = false;
    s.delivered = 0;
    s.tracking = false;
    s.log.clear();
    s.cutAt = 0;
    s.cut = false;
    s.kept = 0;
    s.lost = 0;
    s.opened.clear();
}

} // namespace

void install()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (s.real)
        return;
    sqlite3_initialize();
    s.real = sqlite3_vfs_find("unix");
    if (!s.real)
        qFatal("faultvfs: SQLite has no \"unix\" file system");
    shim.iVersion = 3;
    shim.szOsFile = static_cast<int>(sizeof(File)) + s.real->szOsFile;
    shim.mxPathname = s.real->mxPathname;
    shim.zName = "tevu-fault";
    shim.xOpen = vOpen;
    shim.xDelete = vDelete;
    shim.xAccess = vAccess;
    shim.xFullPathname = vFullPathname;
    shim.xDlOpen = vDlOpen;
    shim.xDlError = vDlError;
    shim.xDlSym = vDlSym;
    shim.xDlClose = vDlClose;
    shim.xRandomness = vRandomness;
    shim.xSleep = vSleep;
    shim.xCurrentTime = vCurrentTime;
    shim.xGetLastError = vGetLastError;
    shim.xCurrentTimeInt64 = vCurrentTimeInt64;
    shim.xSetSystemCall = vSetSystemCall;
    shim.xGetSystemCall = vGetSystemCall;
    shim.xNextSystemCall = vNextSystemCall;
    if (sqlite3_vfs_register(&shim, 1) != SQLITE_OK)
        qFatal("faultvfs: cannot register the file system");
}

void watch(const QString& folder)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    resetCounters(s);
    QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty())
        canonical = folder;
    s.folder = canonical.toStdString() + '/';
}

void stopWatching()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.folder.clear();
    resetCounters(s);
}

int operationCount()
{
    std::lock_guard lock(state().mutex);
    return state().count;
}

int writeCount()
{
    std::lock_guard lock(state().mutex);
    return state().writes;
}

QStringList trace()
{
    std::lock_guard lock(state().mutex);
    return state().trace;
}

void failAt(int n, Fault fault, bool persistent)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.failAt = n;
    s.fault = fault;
    s.persistent = persistent;
    s.firing = false;
    s.delivered = 0;
    s.count = 0;
    s.writes = 0;
}

void clearFault()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.failAt = 0;
    s.firing = false;
}

int faultsDelivered()
{
    std::lock_guard lock(state().mutex);
    return state().delivered;
}

void trackPower()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.tracking = true;
    s.log.clear();
}

void cutPowerAt(int n, std::uint64_t seed)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.cutAt = n;
    s.seed = seed;
}

void cutPowerNow(std::uint64_t seed)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.seed = seed;
    cutNow();
}

bool powerIsCut()
{
    std::lock_guard lock(state().mutex);
    return state().cut;
}

int keptAtCut()
{
    std::lock_guard lock(state().mutex);
    return state().kept;
}

int lostAtCut()
{
    std::lock_guard lock(state().mutex);
    return state().lost;
}

QList<Opened> opened()
{
    std::lock_guard lock(state().mutex);
    return state().opened;
}

} // namespace faultvfs
