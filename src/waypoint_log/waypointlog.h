#pragma once

#include "platform/nativename.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QString>
#include <QTime>

// The log of saved waypoint strings. Every start empties it; each save adds one record, on disk
// before the save returns, or nothing at all.
class WaypointLog
{
    Q_DECLARE_TR_FUNCTIONS(WaypointLog)

public:
    // Lies in the working directory that the program started in.
    static constexpr auto fileName = "waypoints.wpl";

    WaypointLog() = default;
    WaypointLog(const WaypointLog &) = delete;
    WaypointLog &operator=(const WaypointLog &) = delete;
    ~WaypointLog();

    // Creates the file in the folder, the working folder when none is given, or empties it. Only
    // an ordinary file is taken: a pipe or a device there is refused without being opened. On
    // failure errorString() says why.
    bool open(const platform::NativeName &folder = {});

    // What append() found at the log's path.
    enum class Found
    {
        Log,
        // Nothing: the log was deleted or moved away, and a new one was created there.
        Nothing,
        // Another file, moved or copied into the log's place. It is kept, never emptied: the
        // user put it there, so the log goes on at its end.
        OtherFile,
    };

    // Writes one record, in one write, and syncs it to disk. The record goes to the file at the
    // log's path, even when that is no longer the file opened (see found()). On failure the file
    // is cut back to the records before it, errorString() says why, and the next append tries
    // again. When that cut cannot be made, errorString() says that the log may hold a partial
    // record.
    bool append(const QByteArray &text, QTime time, QDate date);
    Found found() const { return m_found; }

    void close();
    // Between open() and close(), even while the file itself is gone.
    bool isOpen() const { return m_isOpen; }

    // The full path, for telling the user which file it is.
    QString filePath() const { return platform::displayName(m_path); }
    QString errorString() const { return m_errorString; }

    // A record: the text in double quotes, unchanged, then #HH:MM:SS# and #YYYY-MM-DD#, each
    // after a comma, and a carriage return and line feed; the same whatever the locale.
    static QByteArray record(const QByteArray &text, QTime time, QDate date);

private:
    bool openFile(bool empty);
    bool stillAtPath() const;
    bool existsAtPath() const;
    qint64 fileSize() const;
    bool cutBack(qint64 sizeBefore, qint64 written);
    bool syncToDisk();

    platform::NativeName m_path;
#ifndef Q_OS_WIN
    // The folder, held open so that the log is always looked for by its name in the folder it
    // started in: the folder's own name need not be text.
    int m_folder = -1;
#endif
    bool m_isOpen = false;
    QFile m_file;
    Found m_found = Found::Log;
    QString m_errorString;
};
