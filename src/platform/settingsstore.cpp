#include "platform/settingsstore.h"

#include "platform/nativename.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

namespace {

std::filesystem::path systemPath(const QString &path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

QString reason(const std::error_code &error)
{
    return QString::fromLocal8Bit(error.message());
}

// Why the path cannot be read or written as a settings file, or empty when it can: a regular
// file, a link to one, or nothing yet. Opening anything else could wait without end (a FIFO)
// or write where no file is meant to be.
QString notAFile(const QString &path)
{
    const QString shown = displayName(path);
    std::error_code error;
    const std::filesystem::file_status own =
        std::filesystem::symlink_status(systemPath(path), error);
    if (own.type() == std::filesystem::file_type::not_found)
        return {};
    if (error)
        return QStringLiteral("%1: %2").arg(shown, reason(error));
    const std::filesystem::file_status target = std::filesystem::status(systemPath(path), error);
    if (target.type() == std::filesystem::file_type::not_found)
        return SettingsStore::tr("%1 is a link to something that does not exist.").arg(shown);
    if (error)
        return QStringLiteral("%1: %2").arg(shown, reason(error));
    if (std::filesystem::is_directory(target))
        return SettingsStore::tr("%1 is a folder.").arg(shown);
    if (!std::filesystem::is_regular_file(target))
        return SettingsStore::tr("%1 is a device, a pipe or a socket, not a file.").arg(shown);
    return {};
}

struct Bytes
{
    QByteArray data;
    QString problem;
};

Bytes readBytes(const QString &path)
{
    if (const QString why = notAFile(path); !why.isEmpty())
        return {{}, why};
    QFile file(path);
#ifdef Q_OS_WIN
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        return {{}, file.errorString()};
#else
    // Without waiting, and checked once open: something put in the file's place since the check
    // above is not read either.
    const int handle =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (handle < 0)
        return {{}, errno == ENOENT ? QString() : qt_error_string(errno)};
    struct stat status = {};
    if (::fstat(handle, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(handle);
        return {{}, SettingsStore::tr("%1 is not a regular file.").arg(displayName(path))};
    }
    file.open(handle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
#endif
    if (file.size() > SettingsStore::largestFile) {
        return {{},
                SettingsStore::tr("It is %1 bytes long, far longer than any settings written here.")
                    .arg(file.size())};
    }
    Bytes bytes{file.read(SettingsStore::largestFile), {}};
    if (file.error() != QFileDevice::NoError)
        bytes.problem = file.errorString();
    return bytes;
}

// QSettings parses and formats only files, and hears no reasons: it works on a private copy,
// while the real file is read and written here.
class Scratch
{
public:
    bool isValid() const { return m_folder.isValid(); }
    QString problem() const
    {
        return m_folder.isValid()
                   ? SettingsStore::tr("A scratch copy could not be made in %1.").arg(path())
                   : SettingsStore::tr("No scratch folder could be made: %1")
                         .arg(m_folder.errorString());
    }
    QString path() const { return m_folder.filePath(m_name); }

    bool put(const QByteArray &bytes) const
    {
        QFile file(path());
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
    QByteArray take() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Starts again from nothing, under a name of its own: QSettings keeps what it has read of
    // a file, and the error it met there.
    bool restart()
    {
        m_name = QStringLiteral("replaced.ini");
        return put({});
    }

private:
    QTemporaryDir m_folder;
    QString m_name = QStringLiteral("settings.ini");
};

QString lockProblem(const QLockFile &lock, const QString &lockPath)
{
    const QString shown = displayName(lockPath);
    qint64 process = 0;
    QString host;
    QString program;
    if (lock.error() == QLockFile::LockFailedError && lock.getLockInfo(&process, &host, &program)) {
        if (program.isEmpty())
            return SettingsStore::tr(
                       "Its lock file %1 is held by another program, which did not let it go.")
                .arg(shown);
        return SettingsStore::tr(
                   "Its lock file %1 is held by %2 (process %3), which did not let it go.")
            .arg(shown, program, QString::number(process));
    }
    // QLockFile keeps the system's reason to itself (a full disk shows as a lock never taken): a
    // file written beside it hears it again.
    QTemporaryFile probe(QFileInfo(lockPath).absolutePath() + QStringLiteral("/.lock-XXXXXX"));
    if (!probe.open() || probe.write(lockPath.toUtf8()) < 0 || !probe.flush())
        return SettingsStore::tr("Its lock file %1 could not be made: %2")
            .arg(shown, probe.errorString());
    return SettingsStore::tr("Its lock file %1 could not be made.").arg(shown);
}

#ifdef Q_OS_WIN
QString registryKey()
{
    return QStringLiteral("Software\\%1\\%2")
        .arg(QCoreApplication::organizationName(), QCoreApplication::applicationName());
}
#endif

} // namespace

SettingsStore::SettingsStore(QString filePath) : m_path(std::move(filePath)) {}

SettingsStore SettingsStore::forUser()
{
    SettingsStore store;
#ifdef Q_OS_WIN
    store.m_registry = true;
    store.m_path = QStringLiteral("HKEY_CURRENT_USER\\") + registryKey();
#else
    // Where QSettings keeps the same names, without making one: it would open the file at once.
    const QDir folder(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    store.m_path =
        folder.absoluteFilePath(QCoreApplication::organizationName() + u'/' +
                                QCoreApplication::applicationName() + QStringLiteral(".conf"));
#endif
    return store;
}

QString SettingsStore::shownPlace() const
{
    return m_registry ? m_path : displayName(m_path);
}

SettingsStore::Contents SettingsStore::read() const
{
    Contents contents;
    if (m_registry) {
        const QSettings settings;
        for (const QString &key : settings.allKeys())
            contents.values.insert(key, settings.value(key));
        if (settings.status() != QSettings::NoError)
            contents.problem = tr("The registry did not give its values.");
        return contents;
    }
    const Bytes bytes = readBytes(m_path);
    if (!bytes.problem.isEmpty() || bytes.data.isEmpty()) {
        contents.problem = bytes.problem;
        return contents;
    }
    const Scratch scratch;
    if (!scratch.isValid() || !scratch.put(bytes.data)) {
        contents.problem = scratch.problem();
        return contents;
    }
    const QSettings settings(scratch.path(), QSettings::IniFormat);
    if (settings.status() == QSettings::FormatError) {
        contents.problem = tr("Its contents are not settings that can be read; the next choice "
                              "made replaces them.");
        return contents;
    }
    for (const QString &key : settings.allKeys())
        contents.values.insert(key, settings.value(key));
    return contents;
}

QString SettingsStore::write(const QString &key, const QVariant &value) const
{
    if (m_registry) {
        QSettings settings;
        settings.setValue(key, value);
        settings.sync();
        if (settings.status() == QSettings::NoError)
            return {};
#ifdef Q_OS_WIN
        // QSettings says only that it failed; opening the key for writing hears why.
        HKEY handle = nullptr;
        const LSTATUS code =
            ::RegCreateKeyExW(HKEY_CURRENT_USER, reinterpret_cast<LPCWSTR>(registryKey().utf16()),
                              0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr);
        if (code != ERROR_SUCCESS)
            return qt_error_string(int(code));
        ::RegCloseKey(handle);
#endif
        return tr("The registry did not take the value.");
    }

    const QString folder = QFileInfo(m_path).absolutePath();
    std::error_code error;
    std::filesystem::create_directories(systemPath(folder), error);
    if (error)
        return tr("The folder %1 could not be made: %2").arg(displayName(folder), reason(error));
    if (const QString why = notAFile(m_path); !why.isEmpty())
        return why;
    // The same lock file as QSettings takes, so that programs writing through it wait for this
    // write and this one for theirs, but only for so long.
    const QString lockPath = m_path + QStringLiteral(".lock");
    if (const QString why = notAFile(lockPath); !why.isEmpty())
        return tr("Its lock file cannot be taken: %1").arg(why);
    QLockFile lock(lockPath);
    if (!lock.tryLock(int(lockWait.count())))
        return lockProblem(lock, lockPath);

    const Bytes current = readBytes(m_path);
    if (!current.problem.isEmpty())
        return current.problem;
    Scratch scratch;
    if (!scratch.isValid() || !scratch.put(current.data))
        return scratch.problem();
    // What could not be read was said at the start: it is replaced rather than kept.
    if (QSettings(scratch.path(), QSettings::IniFormat).status() == QSettings::FormatError &&
        !scratch.restart())
        return scratch.problem();
    {
        QSettings settings(scratch.path(), QSettings::IniFormat);
        settings.setValue(key, value);
        settings.sync();
        if (settings.status() != QSettings::NoError)
            return scratch.problem();
    }
    const QByteArray merged = scratch.take();
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(merged) != merged.size() || !file.commit())
        return file.errorString();
    return {};
}

} // namespace platform
