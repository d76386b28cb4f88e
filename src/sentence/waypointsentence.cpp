#include "sentence/waypointsentence.h"

#include "platform/eightbit.h"

namespace sentence {

namespace {

constexpr char hexDigits[] = "0123456789ABCDEF";

// A capital that the 8-bit set cannot hold would go out as "?", where the letter as typed would
// have fitted ("ÿ" in ISO 8859-1, "µ" in code page 1252): then the letter stays as it is.
bool capitalFits(QStringView letter, QStringView capital)
{
    return capital.front().unicode() < 0x80 || letter == capital ||
           platform::holdsInEightBit(capital) || !platform::holdsInEightBit(letter);
}

} // namespace

QString toUpperKeepingLength(QStringView text)
{
    QString upper(text.size(), Qt::Uninitialized);
    QChar *out = upper.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            const char32_t mapped = QChar::toUpper(QChar::surrogateToUcs4(c, text[i + 1]));
            const QChar capital[] = {QChar::highSurrogate(mapped), QChar::lowSurrogate(mapped)};
            // Keep the pair as it was if its upper case would change the length.
            const bool paired = QChar::requiresSurrogates(mapped) &&
                                capitalFits(text.sliced(i, 2), QStringView(capital, 2));
            *out++ = paired ? capital[0] : c;
            *out++ = paired ? capital[1] : text[i + 1];
            ++i;
        } else {
            const QChar capital = c.toUpper();
            *out++ = capitalFits(QStringView(&c, 1), QStringView(&capital, 1)) ? capital : c;
        }
    }
    return upper;
}

std::optional<QString> makeWaypointString(QStringView name, QStringView latitude,
                                          QStringView longitude, QChar latitudeHemisphere,
                                          QChar longitudeHemisphere)
{
    const QString upperName = toUpperKeepingLength(name);
    const qsizetype bodyLength =
        7 + latitude.size() + 3 + longitude.size() + 3 + upperName.size() + 1;
    if (bodyLength > maxBodyLength)
        return std::nullopt;

    QString body;
    body.reserve(bodyLength + 4);
    body.append(u"$GPWPL,");
    body.append(latitude);
    body.append(u',');
    body.append(latitudeHemisphere);
    body.append(u',');
    body.append(longitude);
    body.append(u',');
    body.append(longitudeHemisphere);
    body.append(u',');
    body.append(upperName);
    body.append(u'*');

    // The receiver checks the bytes it gets, so the checksum is taken over those same bytes.
    const QByteArray bytes = platform::toEightBit(QStringView(body).sliced(1, body.size() - 2));
    unsigned char checksum = 0;
    for (const char byte : bytes)
        checksum ^= static_cast<unsigned char>(byte);

    body.append(QLatin1Char(hexDigits[checksum >> 4]));
    body.append(QLatin1Char(hexDigits[checksum & 0x0f]));
    body.append(u"\r\n");
    return body;
}

} // namespace sentence
