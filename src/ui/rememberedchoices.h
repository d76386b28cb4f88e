#pragma once

#include <QChar>
#include <QString>

#include <memory>

class QSettings;

// What the user chose in the window and finds again at the next start: the serial port with its
// speed, and the two hemispheres. Each choice is written as it is made, so a crash later does not
// lose it.
class RememberedChoices
{
public:
    // An empty file means the user's own settings (the registry on Windows, ~/.config
    // elsewhere); tests give a file of their own.
    explicit RememberedChoices(QString settingsFile = {});

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

private:
    QChar storedLetter(const QString &key, QChar fallback, QChar other) const;
    void write(const QString &key, const QString &value) const;
    std::unique_ptr<QSettings> settings() const;

    QString m_settingsFile;
};
