#include "waypoint_log/waypointlog.h"

#include <QFileInfo>

#include <cerrno>

#ifdef Q_OS_WIN
#include <qt_windows.h>

#include <io.h>
#else
#include <unistd.h>
#endif

bool WaypointLog::open(const QString &path)
{
    close();
    m_file.setFileName(QFileInfo(path).absoluteFilePath());
    // Unbuffered: a record that append() has accepted must not wait in a buffer of ours.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        m_errorString = m_file.errorString();
        return false;
    }
    m_committedSize = 0;
    return true;
}

bool WaypointLog::append(const QByteArray &text, QTime time, QDate date)
{
    if (!m_file.isOpen()) {
        m_errorString = QFile::tr("The file is not open.");
        return false;
    }
    const QByteArray bytes = record(text, time, date);
    errno = 0;
    const bool written = m_file.write(bytes) == bytes.size();
    if (!written) {
        // A short write leaves no error of Qt's own; the system's reason is still in errno.
        m_errorString = m_file.error() != QFileDevice::NoError || errno == 0
                            ? m_file.errorString()
                            : qt_error_string(errno);
    }
    if (written && syncToDisk()) {
        m_committedSize += bytes.size();
        return true;
    }
    // Leave no half record behind, so that the next save starts on a record boundary.
    m_file.resize(m_committedSize);
    m_file.seek(m_committedSize);
    m_file.unsetError();
    return false;
}

void WaypointLog::close()
{
    m_file.close();
}

QString WaypointLog::filePath() const
{
    return m_file.fileName();
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
