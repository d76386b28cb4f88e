#pragma once

#include <QByteArray>
#include <QDate>
#include <QFile>
#include <QString>
#include <QTime>

// The log of saved waypoint strings. Every start empties it; each save adds one record, on disk
// before the save returns, or nothing at all.
class WaypointLog
{
public:
    // Lies in the working directory that the program started in.
    static constexpr auto fileName = "waypoints.wpl";

    WaypointLog() = default;
    WaypointLog(const WaypointLog &) = delete;
    WaypointLog &operator=(const WaypointLog &) = delete;

    // Creates the file, or empties it. On failure errorString() says why.
    bool open(const QString &path = QString::fromLatin1(fileName));

    // Writes one record and syncs it to disk. On failure the file is cut back to the records
    // before it, errorString() says why, and the next append tries again.
    bool append(const QByteArray &text, QTime time, QDate date);

    void close();
    bool isOpen() const { return m_file.isOpen(); }

    // The full path, for telling the user which file it is.
    QString filePath() const;
    QString errorString() const { return m_errorString; }

    // A record: the text in double quotes, unchanged, then #HH:MM:SS# and #YYYY-MM-DD#, each
    // after a comma, and a carriage return and line feed; the same whatever the locale.
    static QByteArray record(const QByteArray &text, QTime time, QDate date);

private:
    bool openFile(const QString &path, bool empty);
    bool syncToDisk();

    QFile m_file;
    qint64 m_committedSize = 0;
    QString m_errorString;
};
