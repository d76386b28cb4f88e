#pragma once

#include <QChar>
#include <QString>

#include <memory>

class QSettings;

// What the user chose in the window and finds again at the next start: the serial port and the
// two hemispheres. Each choice is written as it is made, so a crash later does not lose it.
class RememberedChoices
{
public:
    // An empty file means the user's own settings (the registry on Windows, ~/.config
    // elsewhere); tests give a file of their own.
    explicit RememberedChoices(QString settingsFile = {});

    // The port chosen last, or the first serial port when none has been.
    QString portName() const;
    void setPortName(const QString &portName);

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

private:
    int storedNumber(const QString &key, int fallback, int lowest, int highest) const;
    QChar storedLetter(const QString &key, QChar fallback, QChar other) const;
    void write(const QString &key, const QString &value) const;
    std::unique_ptr<QSettings> settings() const;

    QString m_settingsFile;
};
