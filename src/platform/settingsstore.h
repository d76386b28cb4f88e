#pragma once

#include <QCoreApplication>
#include <QString>
#include <QVariantMap>

#include <chrono>

namespace platform {

// Where a program's settings live between runs: a file in QSettings' INI form, or on Windows the
// user's registry key. Unlike QSettings, no call waits for a lock without end, a file that is not
// a regular file (a FIFO, a folder, a link to nothing) is never opened, and every failure comes
// back with the system's reason. Calls block their thread, so they belong on a worker thread.
class SettingsStore
{
    Q_DECLARE_TR_FUNCTIONS(SettingsStore)

public:
    // A file of the caller's own.
    explicit SettingsStore(QString filePath);
    virtual ~SettingsStore() = default;
    SettingsStore(const SettingsStore &) = default;
    SettingsStore &operator=(const SettingsStore &) = default;
    // The user's own settings for the application and organisation names of the application
    // object: the registry on Windows, the XDG configuration folder elsewhere.
    static SettingsStore forUser();

    // The file's path, or the registry key, as messages show it.
    QString shownPlace() const;
    bool isRegistry() const { return m_registry; }

    struct Contents
    {
        QVariantMap values;
        // Empty when the values were read, or when there were none yet.
        QString problem;
    };
    // Virtual so that tests can stand in a file system that does not answer.
    virtual Contents read() const;

    // Keeps every other value: a second program writing its own choice at the same time loses
    // nothing. Returns the reason when the value could not be written, else an empty string.
    virtual QString write(const QString &key, const QVariant &value) const;

    // How long a write waits for another program's lock on the file.
    static constexpr std::chrono::milliseconds lockWait{500};
    // Larger than any settings file this program writes: more is not its settings.
    static constexpr qint64 largestFile = 1024 * 1024;

private:
    SettingsStore() = default;

    QString m_path;
    bool m_registry = false;
};

} // namespace platform
