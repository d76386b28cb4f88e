#pragma once

#include <QChar>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <chrono>
#include <memory>

class QThread;

namespace platform {
class SettingsStore;
}

// What the user chose in the window and finds again at the next start: the serial port with its
// speed, and the two hemispheres. Read once at the start and each choice written as it is made, so
// a crash later does not lose it. The reading and writing run on a thread of their own: settings
// that do not answer never stop the window, and a choice that cannot be kept still holds for this
// run.
class RememberedChoices : public QObject
{
    Q_OBJECT

public:
    // An empty file means the user's own settings (the registry on Windows, ~/.config
    // elsewhere); tests give a file of their own.
    explicit RememberedChoices(QString settingsFile = {}, QObject *parent = nullptr);
    explicit RememberedChoices(std::shared_ptr<const platform::SettingsStore> store,
                               QObject *parent = nullptr);
    ~RememberedChoices() override;

    // The port chosen last, or the first serial port when none has been.
    QString portName() const;
    void setPortName(const QString &portName);
    // The speed chosen with the port, or 4800 baud when none has been.
    qint32 baudRate() const;
    void setBaudRate(qint32 baudRate);

    // 'N' or 'S'; 'N' until the user chooses.
    QChar latitudeHemisphere() const;
    void setLatitudeHemisphere(QChar letter);
    // 'E' or 'W'; 'W' until the user chooses.
    QChar longitudeHemisphere() const;
    void setLongitudeHemisphere(QChar letter);

    // How long the names of waypoints from a file may be: 1 to 20, or 0 for whole names; 6
    // until the user chooses.
    int waypointNameLength() const;
    void setWaypointNameLength(int length);
    // The pause between waypoints sent from a file, 0 to 5000 ms; 500 until the user chooses.
    int waypointPauseMs() const;
    void setWaypointPauseMs(int ms);

    // How long the start waits for the settings, and a choice for being written, before the user
    // is told; and how long the end of the program waits for a choice still being written.
    static constexpr std::chrono::milliseconds readWait{2000};
    static constexpr std::chrono::milliseconds writeWait{3000};
    static constexpr std::chrono::milliseconds endWait{600};

signals:
    // Each at most once a run, from the event loop: why the settings could not be read at the
    // start, and why a choice could not be remembered.
    void problem(const QString &text);

private:
    struct Channel;

    QString value(const QString &key) const;
    QChar storedLetter(const QString &key, QChar fallback, QChar other) const;
    int storedNumber(const QString &key, int fallback, int lowest, int highest) const;
    void write(const QString &key, const QString &value);
    void written(quint64 serial, const QString &failure);
    void tellUnwritten(const QString &reason);

    std::shared_ptr<const platform::SettingsStore> m_store;
    std::shared_ptr<Channel> m_channel;
    QThread *m_thread;
    QObject *m_worker;
    QVariantMap m_values;
    quint64 m_asked = 0;
    quint64 m_written = 0;
    bool m_toldUnwritten = false;
};
