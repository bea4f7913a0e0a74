#include "platform/LiveFileSystem.h"

#include "platform/Error.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QStringDecoder>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovr {

namespace {

// The shell runs some of what we write and agents load some as instructions: nothing we
// create is writable by group or others, whatever the umask lets through.
constexpr mode_t kNewFileMode = 0644;
constexpr mode_t kNewFolderMode = 0755;

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

[[noreturn]] void fail(int code, const QString& what, const QString& path) {
    throw SystemError::fromErrno(code, what + u' ' + path);
}

QString parentOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

// macOS names the POSIX 2008 field st_mtimespec.
const timespec& modificationTime(const struct stat& st) {
#ifdef __APPLE__
    return st.st_mtimespec;
#else
    return st.st_mtim;
#endif
}

QString fileNameOf(const QString& path) {
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QString stripTrailingSlash(QString path) {
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

void writeAll(int fd, const QByteArray& data, const QString& path) {
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno, QStringLiteral("Cannot write"), path);
        }
        p += n;
        left -= n;
    }
}

// Opens a new file at `mode` (O_EXCL: never one that is there already) and brings it to
// exactly `mode`. The umask can only have taken bits away, so the file is never wider than
// `mode`, from its creation on; what the umask took is given back. An absent mode gives
// kNewFileMode less the umask. Returns the descriptor or -1 (errno).
int createExclusive(const QString& file, std::optional<mode_t> mode,
                    const LiveFileSystem::CreationObserver& observe) {
    const int fd = ::open(native(file).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                          mode.value_or(kNewFileMode));
    if (fd < 0)
        return -1;
    if (observe)
        observe(file);
    struct stat st {};
    if (mode &&
        (::fstat(fd, &st) != 0 || ((st.st_mode & 07777) != *mode && ::fchmod(fd, *mode) != 0))) {
        const int error = errno;
        ::close(fd);
        ::unlink(native(file).constData());
        errno = error;
        return -1;
    }
    return fd;
}

// Writes `data` into `fd` and closes it (on failure too); `sync` makes it durable first.
void fillAndClose(int fd, const QByteArray& data, const QString& path, bool sync) {
    try {
        writeAll(fd, data, path);
        if (sync && ::fsync(fd) != 0)
            fail(errno, QStringLiteral("Cannot write"), path);
    } catch (...) {
        ::close(fd);
        throw;
    }
    if (::close(fd) != 0)
        fail(errno, QStringLiteral("Cannot write"), path);
}

// Writes `data` in full to a new temporary file beside `path` (after following its links),
// so that renaming it over the target replaces the file in one step. The new file's mode
// is `wanted`, else the replaced file's, else the default; the temporary file has it from
// its creation. Returns the temporary file.
QString stageAtomically(const QByteArray& data, const QString& path, std::optional<int> wanted,
                        const LiveFileSystem::CreationObserver& observe) {
    const QString target = LiveFileSystem::resolveLinkChain(path);
    struct stat existing {};
    const bool exists = ::stat(native(target).constData(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        fail(EISDIR, QStringLiteral("Cannot write"), path);
    std::optional<mode_t> mode;
    if (wanted)
        mode = static_cast<mode_t>(*wanted) & 07777;
    else if (exists)
        mode = existing.st_mode & 07777;

    const QString dir = parentOf(target);
    QString temp;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temp = dir + QStringLiteral("/.") + fileNameOf(target) + QStringLiteral(".tovr-") +
               QString::number(QRandomGenerator::global()->generate64(), 36);
        fd = createExclusive(temp, mode, observe);
        if (fd < 0 && (errno != EEXIST || attempt > 8))
            fail(errno, QStringLiteral("Cannot write"), path);
    }
    try {
        fillAndClose(fd, data, path, true);
    } catch (...) {
        ::unlink(native(temp).constData());
        throw;
    }
    return temp;
}

// Renames a staged file over the file `path` leads to; the staged file is gone either way.
void commitAtomically(const QString& staged, const QString& path) {
    try {
        const QString target = LiveFileSystem::resolveLinkChain(path);
        if (::rename(native(staged).constData(), native(target).constData()) != 0)
            fail(errno, QStringLiteral("Cannot replace"), path);
    } catch (...) {
        ::unlink(native(staged).constData());
        throw;
    }
}

void writePlain(const QByteArray& data, const QString& path) {
    const int fd =
        ::open(native(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kNewFileMode);
    if (fd < 0)
        fail(errno, QStringLiteral("Cannot write"), path);
    fillAndClose(fd, data, path, false);
}

void removeTree(const QString& path) {
    struct stat st {};
    if (::lstat(native(path).constData(), &st) != 0)
        fail(errno, QStringLiteral("Cannot remove"), path);
    if (S_ISDIR(st.st_mode)) {
        DIR* dir = ::opendir(native(path).constData());
        if (!dir)
            fail(errno, QStringLiteral("Cannot remove"), path);
        QStringList names;
        while (dirent* entry = ::readdir(dir)) {
            const QString name = QFile::decodeName(entry->d_name);
            if (name != QLatin1String(".") && name != QLatin1String(".."))
                names << name;
        }
        ::closedir(dir);
        for (const auto& name : names)
            removeTree(path + u'/' + name);
        if (::rmdir(native(path).constData()) != 0)
            fail(errno, QStringLiteral("Cannot remove"), path);
    } else if (::unlink(native(path).constData()) != 0) {
        fail(errno, QStringLiteral("Cannot remove"), path);
    }
}

QString ensureFolder(const QString& path, bool create) {
    if (path.isEmpty())
        throw SystemError(ENOENT, QStringLiteral("The folder could not be resolved"));
    if (create && !QDir().mkpath(path))
        throw SystemError(EACCES, QStringLiteral("Cannot create the folder ") + path);
    return stripTrailingSlash(path);
}

} // namespace

QString LiveFileSystem::resolveLinkChain(const QString& path) {
    QString current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(native(current).constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        QByteArray buffer(PATH_MAX, '\0');
        const ssize_t n = ::readlink(native(current).constData(), buffer.data(), buffer.size());
        if (n < 0)
            fail(errno, QStringLiteral("Cannot follow the link"), current);
        buffer.truncate(n);
        const QString target = QFile::decodeName(buffer);
        current =
            QDir::cleanPath(target.startsWith(u'/') ? target : parentOf(current) + u'/' + target);
    }
    fail(ELOOP, QStringLiteral("Cannot follow the link"), path);
}

bool LiveFileSystem::fileExists(const QString& path) const {
    struct stat st {};
    return ::stat(native(path).constData(), &st) == 0;
}

bool LiveFileSystem::fileExists(const QString& path, bool* isDirectory) const {
    struct stat st {};
    const bool exists = ::stat(native(path).constData(), &st) == 0;
    if (isDirectory)
        *isDirectory = exists && S_ISDIR(st.st_mode);
    return exists;
}

bool LiveFileSystem::isExecutableFile(const QString& path) const {
    struct stat st {};
    return ::stat(native(path).constData(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(native(path).constData(), X_OK) == 0;
}

std::optional<FileIdentity> LiveFileSystem::fileIdentity(const QString& path) const {
    struct stat st {};
    if (::stat(native(path).constData(), &st) != 0)
        return std::nullopt;
    return FileIdentity{static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)};
}

QStringList LiveFileSystem::contentsOfDirectory(const QString& path) const {
    DIR* dir = ::opendir(native(path).constData());
    if (!dir)
        fail(errno, QStringLiteral("Cannot list"), path);
    QStringList names;
    errno = 0;
    while (dirent* entry = ::readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name != QLatin1String(".") && name != QLatin1String(".."))
            names << name;
    }
    const int error = errno;
    ::closedir(dir);
    if (error != 0)
        fail(error, QStringLiteral("Cannot list"), path);
    return names;
}

void LiveFileSystem::createDirectory(const QString& path, bool withIntermediateDirectories) {
    auto makeOne = [this](const QString& p) {
        if (::mkdir(native(p).constData(), kNewFolderMode) == 0) {
            if (observer_)
                observer_(p);
            return;
        }
        const int error = errno;
        struct stat st {};
        if (error == EEXIST && ::stat(native(p).constData(), &st) == 0 && S_ISDIR(st.st_mode))
            return;
        fail(error, QStringLiteral("Cannot create the folder"), p);
    };
    if (!withIntermediateDirectories) {
        makeOne(path);
        return;
    }
    const QString clean = QDir::cleanPath(path);
    qsizetype from = 1;
    for (;;) {
        const qsizetype slash = clean.indexOf(u'/', from);
        makeOne(slash < 0 ? clean : clean.left(slash));
        if (slash < 0)
            break;
        from = slash + 1;
    }
}

void LiveFileSystem::createDirectoryWithMode(const QString& path, int mode) {
    const mode_t bits = static_cast<mode_t>(mode) & 07777;
    if (::mkdir(native(path).constData(), bits) != 0)
        fail(errno, QStringLiteral("Cannot create the folder"), path);
    if (observer_)
        observer_(path);
    // As for a file: the umask can only have narrowed it; give back what it took.
    struct stat st {};
    if (::lstat(native(path).constData(), &st) != 0 ||
        ((st.st_mode & 07777) != bits && ::chmod(native(path).constData(), bits) != 0)) {
        const int error = errno;
        ::rmdir(native(path).constData());
        fail(error, QStringLiteral("Cannot create the folder"), path);
    }
}

void LiveFileSystem::removeItem(const QString& path) {
    removeTree(path);
}

void LiveFileSystem::moveItem(const QString& from, const QString& to) {
    struct stat st {};
    if (::lstat(native(to).constData(), &st) == 0)
        fail(EEXIST, QStringLiteral("Cannot move to"), to);
    if (::rename(native(from).constData(), native(to).constData()) == 0)
        return;
    if (errno != EXDEV)
        fail(errno, QStringLiteral("Cannot move"), from);
    if (::lstat(native(from).constData(), &st) != 0)
        fail(errno, QStringLiteral("Cannot move"), from);
    // A folder copied across would stand half-built in its place until the copy ended.
    if (S_ISDIR(st.st_mode))
        fail(EXDEV, QStringLiteral("Cannot move"), from);
    if (S_ISLNK(st.st_mode)) {
        QByteArray buffer(PATH_MAX, '\0');
        const ssize_t n = ::readlink(native(from).constData(), buffer.data(), buffer.size());
        if (n < 0)
            fail(errno, QStringLiteral("Cannot move"), from);
        buffer.truncate(n);
        if (::symlink(buffer.constData(), native(to).constData()) != 0)
            fail(errno, QStringLiteral("Cannot move to"), to);
    } else {
        commitAtomically(
            stageAtomically(readData(from), to, static_cast<int>(st.st_mode & 07777), observer_),
            to);
    }
    removeTree(from);
}

FileAttributes LiveFileSystem::attributesOfItem(const QString& path) const {
    struct stat st {};
    if (::lstat(native(path).constData(), &st) != 0)
        fail(errno, QStringLiteral("Cannot read the attributes of"), path);
    FileAttributes attributes;
    attributes.size = static_cast<qint64>(st.st_size);
    attributes.posixPermissions = static_cast<int>(st.st_mode & 07777);
    attributes.type = S_ISREG(st.st_mode)   ? FileType::regular
                      : S_ISDIR(st.st_mode) ? FileType::directory
                      : S_ISLNK(st.st_mode) ? FileType::symbolicLink
                                            : FileType::other;
    const timespec& modified = modificationTime(st);
    attributes.modificationDate = QDateTime::fromMSecsSinceEpoch(
        static_cast<qint64>(modified.tv_sec) * 1000 + modified.tv_nsec / 1000000);
    return attributes;
}

void LiveFileSystem::setAttributes(const FileAttributes& attributes, const QString& path) {
    if (attributes.posixPermissions &&
        ::chmod(native(path).constData(), static_cast<mode_t>(*attributes.posixPermissions)) != 0)
        fail(errno, QStringLiteral("Cannot set the permissions of"), path);
    if (attributes.modificationDate) {
        const qint64 ms = attributes.modificationDate->toMSecsSinceEpoch();
        const timespec times[2] = {{0, UTIME_OMIT}, {ms / 1000, (ms % 1000) * 1000000}};
        if (::utimensat(AT_FDCWD, native(path).constData(), times, 0) != 0)
            fail(errno, QStringLiteral("Cannot set the date of"), path);
    }
}

QString LiveFileSystem::homeDirectory() const {
    return stripTrailingSlash(QDir::homePath());
}

void LiveFileSystem::write(const QString& text, const QString& path, bool atomically) {
    if (atomically)
        writeData(text.toUtf8(), path);
    else
        writePlain(text.toUtf8(), path);
}

QByteArray LiveFileSystem::readData(const QString& path) const {
    const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        fail(errno, QStringLiteral("Cannot read"), path);
    QByteArray data;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            data.append(buffer, n);
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            const int error = errno;
            ::close(fd);
            fail(error, QStringLiteral("Cannot read"), path);
        }
    }
    ::close(fd);
    return data;
}

void LiveFileSystem::writeData(const QByteArray& data, const QString& path) {
    commitAtomically(stageAtomically(data, path, std::nullopt, observer_), path);
}

void LiveFileSystem::writeDataWithMode(const QByteArray& data, const QString& path, int mode) {
    commitAtomically(stageAtomically(data, path, mode, observer_), path);
}

QString LiveFileSystem::stageData(const QByteArray& data, const QString& path,
                                  std::optional<int> mode) {
    return stageAtomically(data, path, mode, observer_);
}

void LiveFileSystem::commitStaged(const QString& staged, const QString& path) {
    commitAtomically(staged, path);
}

QString LiveFileSystem::readText(const QString& path) const {
    const QByteArray data = readData(path);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(data);
    if (decoder.hasError())
        throw SystemError(EILSEQ, QStringLiteral("The file ") + path +
                                      QStringLiteral(" is not UTF-8 text"));
    return text;
}

QString LiveFileSystem::cachesDirectory() {
    return ensureFolder(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation),
                        true);
}

QString LiveFileSystem::applicationSupportDirectory(bool create) {
    return ensureFolder(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
                        create);
}

QString LiveFileSystem::temporaryDirectory() const {
    return stripTrailingSlash(QDir::tempPath());
}

} // namespace tovr
