#include "waypoint_log/waypointlog.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

#ifdef Q_OS_WIN
#include <qt_windows.h>

#include <fcntl.h>
#include <io.h>
#else
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifndef Q_OS_WIN
// Linux can hold a folder it may not list; elsewhere the folder must be readable.
#ifdef O_PATH
constexpr int folderOpenFlags = O_PATH;
#else
constexpr int folderOpenFlags = O_RDONLY;
#endif
#endif

#ifdef Q_OS_WIN
QString notAFile(bool folder)
{
    return folder
               ? WaypointLog::tr(
                     "The name belongs to a folder; the log can only be an ordinary file.")
               : WaypointLog::tr("The name belongs to something that is not an ordinary file, and "
                                 "the log can only be one.");
}
#else
QString notAFile(mode_t mode)
{
    if (S_ISDIR(mode))
        return WaypointLog::tr(
            "The name belongs to a folder; the log can only be an ordinary file.");
    if (S_ISFIFO(mode)) {
        return WaypointLog::tr(
            "The name belongs to a named pipe (FIFO); the log can only be an ordinary file.");
    }
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return WaypointLog::tr(
            "The name belongs to a device; the log can only be an ordinary file.");
    if (S_ISSOCK(mode))
        return WaypointLog::tr(
            "The name belongs to a socket; the log can only be an ordinary file.");
    return WaypointLog::tr(
        "The name belongs to something that is not an ordinary file, and the log "
        "can only be one.");
}

void ignoreFileSizeLimitSignal()
{
    // A file-size limit (ulimit -f) would otherwise end the program inside a write, leaving half a
    // record; ignored, the write fails with EFBIG and is cut back like a full disk's. A handler
    // that someone else installed is theirs to keep.
    struct sigaction action = {};
    if (::sigaction(SIGXFSZ, nullptr, &action) == 0 && action.sa_handler == SIG_DFL) {
        action.sa_handler = SIG_IGN;
        ::sigaction(SIGXFSZ, &action, nullptr);
    }
}
#endif

} // namespace

WaypointLog::~WaypointLog()
{
    close();
}

bool WaypointLog::open(const platform::NativeName &folder)
{
    close();
#ifdef Q_OS_WIN
    m_path = QFileInfo(QDir(folder.native()), QString::fromLatin1(fileName)).absoluteFilePath();
#else
    ignoreFileSizeLimitSignal();
    // A working folder that has been deleted has no name left to show.
    QByteArray path = (folder.isEmpty() ? platform::workingFolder() : folder).native();
    if (!path.isEmpty() && !path.endsWith('/'))
        path += '/';
    m_path = platform::NativeName::fromNative(path + fileName);
    m_folder = ::open(folder.isEmpty() ? "." : folder.native().constData(),
                      O_DIRECTORY | O_CLOEXEC | folderOpenFlags);
    if (m_folder < 0) {
        m_errorString = qt_error_string(errno);
        return false;
    }
#endif
    m_isOpen = openFile(true);
    if (!m_isOpen)
        close();
    return m_isOpen;
}

bool WaypointLog::openFile(bool empty)
{
    // Appending, so that records of two programs sharing the folder land whole, one after another,
    // even after one of them has emptied the file. Unbuffered: a record that append() has accepted
    // must not wait in a buffer of ours, and each goes out in one write.
#ifdef Q_OS_WIN
    const QString path = m_path.native();
    // Qt would report only "Access denied" for a folder.
    if (QFileInfo(path).isDir()) {
        m_errorString = notAFile(true);
        return false;
    }
    // Qt opens files sharing read and write but not delete, so that nobody can delete or rename
    // the log while it is open; but it only seeks to the end once and then writes at its own
    // offset. Only a handle that may append and not write appends at the end on every write.
    if (empty) {
        QFile emptied(path);
        if (!emptied.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            m_errorString = emptied.errorString();
            return false;
        }
    }
    const HANDLE handle =
        ::CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()),
                      FILE_APPEND_DATA | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        m_errorString = qt_error_string(int(::GetLastError()));
        return false;
    }
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        m_errorString = notAFile(false);
        ::CloseHandle(handle);
        return false;
    }
    // Binary: the descriptor passes the record's bytes through unchanged.
    const int descriptor = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
    if (descriptor < 0) {
        m_errorString = qt_error_string(errno);
        ::CloseHandle(handle);
        return false;
    }
    if (!m_file.open(descriptor, QIODevice::Append | QIODevice::Unbuffered,
                     QFileDevice::AutoCloseHandle)) {
        m_errorString = m_file.errorString();
        ::_close(descriptor);
        return false;
    }
#else
    // Looked at before it is opened: opening a FIFO blocks until someone reads it, and opening a
    // device may do something to it.
    struct stat status = {};
    if (::fstatat(m_folder, fileName, &status, 0) == 0 && !S_ISREG(status.st_mode)) {
        m_errorString = notAFile(status.st_mode);
        return false;
    }
    // Without blocking all the same, for what may have taken its place since.
    const int flags = O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | (empty ? O_TRUNC : 0);
    const int descriptor = ::openat(m_folder, fileName, flags | O_NONBLOCK, 0666);
    if (descriptor < 0) {
        m_errorString = qt_error_string(errno);
        return false;
    }
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        m_errorString = notAFile(status.st_mode);
        ::close(descriptor);
        return false;
    }
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    if (!m_file.open(descriptor, QIODevice::Append | QIODevice::Unbuffered,
                     QFileDevice::AutoCloseHandle)) {
        m_errorString = m_file.errorString();
        ::close(descriptor);
        return false;
    }
#endif
    return true;
}

bool WaypointLog::append(const QByteArray &text, QTime time, QDate date)
{
    m_found = Found::Log;
    if (!isOpen()) {
        m_errorString = tr("The file is not open.");
        return false;
    }
    if (!stillAtPath()) {
        // Records written to a file nobody can reach any more would be lost.
        m_file.close();
        m_found = existsAtPath() ? Found::OtherFile : Found::Nothing;
        if (!openFile(false)) {
            m_found = Found::Log;
            m_errorString =
                tr("The log had gone, and a new one could not be started: %1").arg(m_errorString);
            return false;
        }
    }
    const QByteArray bytes = record(text, time, date);
    const qint64 sizeBefore = fileSize();
    errno = 0;
    const qint64 written = m_file.write(bytes);
    if (written != bytes.size()) {
        // A short write leaves no error of Qt's own; the system's reason is still in errno.
        m_errorString = m_file.error() != QFileDevice::NoError || errno == 0
                            ? m_file.errorString()
                            : qt_error_string(errno);
    }
    m_file.unsetError();
    if (written == bytes.size() && syncToDisk())
        return true;
    // Leave no half record behind, so that the next save starts on a record boundary.
    if (written > 0 && !cutBack(sizeBefore, written)) {
        m_errorString +=
            QLatin1String("\n\n") + tr("The log may now end in a partial record, or hold one "
                                       "before the records that another program added after it.");
    }
    return false;
}

qint64 WaypointLog::fileSize() const
{
#ifdef Q_OS_WIN
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(reinterpret_cast<HANDLE>(::_get_osfhandle(m_file.handle())), &size))
        return -1;
    return size.QuadPart;
#else
    struct stat status = {};
    if (::fstat(m_file.handle(), &status) != 0)
        return -1;
    return status.st_size;
#endif
}

bool WaypointLog::cutBack(qint64 sizeBefore, qint64 written)
{
    // Only while the file ends with what this save wrote: whatever came after it is another
    // program's records, and cutting at a size of our own would take them too.
    if (sizeBefore < 0 || fileSize() != sizeBefore + written)
        return false;
#ifdef Q_OS_WIN
    // Our handle may only append; a cut needs one that may write. Qt's shares as ours does.
    QFile file(m_path.native());
    return file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly) && file.resize(sizeBefore);
#else
    return ::ftruncate(m_file.handle(), sizeBefore) == 0;
#endif
}

void WaypointLog::close()
{
    m_file.close();
    m_isOpen = false;
#ifndef Q_OS_WIN
    if (m_folder >= 0)
        ::close(m_folder);
    m_folder = -1;
#endif
}

bool WaypointLog::existsAtPath() const
{
#ifdef Q_OS_WIN
    return QFileInfo::exists(m_path.native());
#else
    struct stat atPath = {};
    return ::fstatat(m_folder, fileName, &atPath, 0) == 0;
#endif
}

bool WaypointLog::stillAtPath() const
{
#ifdef Q_OS_WIN
    // Nobody can delete or rename the file while we hold it open (see openFile()).
    return m_file.isOpen();
#else
    struct stat opened = {};
    struct stat atPath = {};
    return m_file.isOpen() && ::fstat(m_file.handle(), &opened) == 0 &&
           ::fstatat(m_folder, fileName, &atPath, 0) == 0 && opened.st_dev == atPath.st_dev &&
           opened.st_ino == atPath.st_ino;
#endif
}

QByteArray WaypointLog::record(const QByteArray &text, QTime time, QDate date)
{
    QByteArray bytes;
    bytes.reserve(text.size() + 30);
    bytes.append('"').append(text).append("\",");
    bytes.append(QString::asprintf("#%02d:%02d:%02d#", time.hour(), time.minute(), time.second())
                     .toLatin1());
    bytes.append(',');
    bytes.append(
        QString::asprintf("#%04d-%02d-%02d#", date.year(), date.month(), date.day()).toLatin1());
    bytes.append("\r\n");
    return bytes;
}

bool WaypointLog::syncToDisk()
{
    // Handing the bytes to the system is not enough to survive a crash or a power cut.
#ifdef Q_OS_WIN
    const bool synced =
        ::FlushFileBuffers(reinterpret_cast<HANDLE>(::_get_osfhandle(m_file.handle())));
#else
    // Devices and pipes cannot be synced (EINVAL); what they took is all there is to do.
    const bool synced = ::fsync(m_file.handle()) == 0 || errno == EINVAL;
#endif
    if (!synced)
        m_errorString = qt_error_string(-1);
    return synced;
}
