#include "ui/rememberedchoices.h"

#include "gps_link/gpslink.h"

#include <QSettings>

#include <memory>

namespace {

const QString portKey = QStringLiteral("port");
const QString speedKey = QStringLiteral("speed");
const QString latitudeKey = QStringLiteral("latitudeHemisphere");
const QString longitudeKey = QStringLiteral("longitudeHemisphere");

} // namespace

RememberedChoices::RememberedChoices(QString settingsFile) : m_settingsFile(std::move(settingsFile))
{}

std::unique_ptr<QSettings> RememberedChoices::settings() const
{
    if (m_settingsFile.isEmpty())
        return std::make_unique<QSettings>(QStringLiteral("Pindrel"), QStringLiteral("Pindrel"));
    return std::make_unique<QSettings>(m_settingsFile, QSettings::IniFormat);
}

void RememberedChoices::write(const QString &key, const QString &value) const
{
    const auto stored = settings();
    stored->setValue(key, value);
    // Written now rather than when the object goes, so that the choice is on the disk at once.
    stored->sync();
}

QString RememberedChoices::portName() const
{
    const QString remembered = settings()->value(portKey).toString();
    return remembered.isEmpty() ? GpsLink::firstSerialPortName() : remembered;
}

void RememberedChoices::setPortName(const QString &portName)
{
    write(portKey, portName);
}

qint32 RememberedChoices::baudRate() const
{
    // Anything but a whole number above 0, edited in by hand, counts as no choice.
    bool number = false;
    const int stored = settings()->value(speedKey).toString().toInt(&number);
    return number && stored > 0 ? stored : GpsLink::defaultBaudRate;
}

void RememberedChoices::setBaudRate(qint32 baudRate)
{
    write(speedKey, QString::number(baudRate));
}

QChar RememberedChoices::storedLetter(const QString &key, QChar fallback, QChar other) const
{
    // Anything but the two letters, edited in by hand, counts as no choice.
    const QString stored = settings()->value(key).toString();
    return stored == QString(other) ? other : fallback;
}

QChar RememberedChoices::latitudeHemisphere() const
{
    return storedLetter(latitudeKey, u'N', u'S');
}

void RememberedChoices::setLatitudeHemisphere(QChar letter)
{
    write(latitudeKey, letter);
}

QChar RememberedChoices::longitudeHemisphere() const
{
    return storedLetter(longitudeKey, u'W', u'E');
}

void RememberedChoices::setLongitudeHemisphere(QChar letter)
{
    write(longitudeKey, letter);
}
