#include "waypoint_log/waypointlog.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

#ifdef Q_OS_WIN
#include <qt_windows.h>

#include <fcntl.h>
#include <io.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

bool WaypointLog::open(const QString &path)
{
    close();
    m_path = QFileInfo(path).absoluteFilePath();
    m_isOpen = openFile(m_path, true);
    return m_isOpen;
}

bool WaypointLog::openFile(const QString &path, bool empty)
{
    m_file.setFileName(path);
    // Appending, so that records of two programs sharing the folder land whole, one after another,
    // even after one of them has emptied the file. Unbuffered: a record that append() has accepted
    // must not wait in a buffer of ours, and each goes out in one write.
#ifdef Q_OS_WIN
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
    QIODevice::OpenMode mode = QIODevice::Append | QIODevice::Unbuffered;
    if (empty)
        mode |= QIODevice::Truncate;
    if (!m_file.open(mode)) {
        m_errorString = m_file.errorString();
        return false;
    }
#endif
    return true;
}

bool WaypointLog::append(const QByteArray &text, QTime time, QDate date)
{
    m_found = Found::Log;
    if (!isOpen()) {
        m_errorString = QFile::tr("The file is not open.");
        return false;
    }
    if (!stillAtPath()) {
        // Records written to a file nobody can reach any more would be lost.
        m_file.close();
        m_found = QFileInfo::exists(m_path) ? Found::OtherFile : Found::Nothing;
        if (!openFile(m_path, false)) {
            m_found = Found::Log;
            m_errorString = QFile::tr("The log had gone, and a new one could not be started: %1")
                                .arg(m_errorString);
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
        m_errorString += QLatin1String("\n\n") +
                         QFile::tr("The log may now end in a partial record, or hold one "
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
    QFile file(m_path);
    return file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly) && file.resize(sizeBefore);
#else
    return ::ftruncate(m_file.handle(), sizeBefore) == 0;
#endif
}

void WaypointLog::close()
{
    m_file.close();
    m_isOpen = false;
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
           ::stat(QFile::encodeName(m_path).constData(), &atPath) == 0 &&
           opened.st_dev == atPath.st_dev && opened.st_ino == atPath.st_ino;
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
