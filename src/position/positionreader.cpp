#include "position/positionreader.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QLocale>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string_view>
#include <variant>

namespace position {

namespace {

// The context of the words below, for translators.
class PositionReader
{
    Q_DECLARE_TR_FUNCTIONS(position)
};

// More parts than the longest form has (two coordinates of degrees, minutes and seconds, each
// with its marks, letter and sign): the rest is not a position, however long it goes on.
constexpr int maxTokens = 24;
// Digits enough for any coordinate written to a millimetre, and then some.
constexpr int maxNumberLength = 32;
// Ten-thousandths of a minute in a degree: the receiver form's unit.
constexpr qint64 unitsPerDegree = 60 * 10000;

enum class Kind
{
    Number,
    Letter,
    Degree,
    Minute,
    Second,
    Separator
};

struct Token
{
    Kind kind = Kind::Separator;
    double value = 0;
    bool negative = false;
    bool fraction = false;
    int integerDigits = 0;
    char16_t letter = 0;
    qsizetype start = 0;
    qsizetype end = 0;
};

struct Coordinate
{
    // Token indexes in order, and the slot each one's mark gave it (degrees, minutes, seconds),
    // or -1. Numbers without marks may stand for both coordinates until they are split.
    std::array<int, 6> numbers{};
    std::array<int, 6> marks{};
    int count = 0;
    char16_t letter = 0;
    bool empty() const { return count == 0 && letter == 0; }
};

struct Failure
{
    QString reason;
};

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isSign(QChar c)
{
    return c == u'-' || c == u'+' || c == u'\u2212';
}

bool isLatitudeLetter(char16_t c)
{
    return c == u'N' || c == u'S';
}

// A comma between two digits is a decimal mark only where nothing else could be: there is no
// decimal point anywhere, and something else (a space, a semicolon, another comma) splits the
// pair. "47,6062 -122,3321" is two numbers; "47,122" stays two integers.
bool commaIsDecimalMark(QStringView text)
{
    bool digitComma = false;
    bool otherSeparator = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'.')
            return false;
        if (c == u',') {
            const bool between =
                i > 0 && isDigit(text[i - 1]) && i + 1 < text.size() && isDigit(text[i + 1]);
            digitComma |= between;
            otherSeparator |= !between;
        } else if (c.isSpace() || c == u';') {
            otherSeparator = true;
        }
    }
    return digitComma && otherSeparator;
}

enum class Word
{
    None,
    North,
    South,
    East,
    West,
    Degree,
    Minute,
    Second
};

Word word(QStringView w)
{
    static constexpr std::pair<std::string_view, Word> words[] = {
        {"n", Word::North},        {"s", Word::South},       {"e", Word::East},
        {"w", Word::West},         {"north", Word::North},   {"south", Word::South},
        {"east", Word::East},      {"west", Word::West},     {"d", Word::Degree},
        {"deg", Word::Degree},     {"degs", Word::Degree},   {"degree", Word::Degree},
        {"degrees", Word::Degree}, {"m", Word::Minute},      {"min", Word::Minute},
        {"mins", Word::Minute},    {"minute", Word::Minute}, {"minutes", Word::Minute},
        {"sec", Word::Second},     {"secs", Word::Second},   {"second", Word::Second},
        {"seconds", Word::Second}};
    // Read on every key in the Position window: compared as ASCII, without allocating.
    std::array<char, 7> lower{};
    if (w.size() > qsizetype(lower.size()))
        return Word::None;
    for (qsizetype i = 0; i < w.size(); ++i) {
        const char16_t c = w[i].unicode();
        if (c >= u'A' && c <= u'Z')
            lower[i] = char(c - u'A' + 'a');
        else if (c >= u'a' && c <= u'z')
            lower[i] = char(c);
        else
            return Word::None;
    }
    const std::string_view typed(lower.data(), size_t(w.size()));
    for (const auto &[text, meaning] : words) {
        if (text == typed)
            return meaning;
    }
    return Word::None;
}

class Tokenizer
{
public:
    explicit Tokenizer(QStringView text) : m_text(text), m_decimalComma(commaIsDecimalMark(text)) {}

    // The tokens, or why the text holds something that is not part of a position.
    std::optional<Failure> run()
    {
        qsizetype i = 0;
        while (i < m_text.size()) {
            const QChar c = m_text[i];
            if (c.isSpace()) {
                ++i;
                continue;
            }
            if (m_count == maxTokens)
                return Failure{PositionReader::tr(
                    "There is more here than a position: paste the position only.")};
            const qsizetype start = i;
            Token &t = m_tokens[m_count++];
            t.start = start;
            if (isSign(c) || isDigit(c) || c == u'.') {
                if (auto failure = number(i, t))
                    return failure;
            } else if (c == u',' || c == u';') {
                t.kind = Kind::Separator;
                ++i;
            } else if (c == u'\u00b0' || c == u'\u00ba' || c == u'\u02da') {
                t.kind = Kind::Degree;
                ++i;
            } else if (c == u'\'' && i + 1 < m_text.size() && m_text[i + 1] == u'\'') {
                t.kind = Kind::Second;
                i += 2;
            } else if (c == u'\'' || c == u'\u2032' || c == u'\u2019' || c == u'\u00b4') {
                t.kind = Kind::Minute;
                ++i;
            } else if (c == u'"' || c == u'\u2033' || c == u'\u201d') {
                t.kind = Kind::Second;
                ++i;
            } else if (c.isLetter()) {
                while (i < m_text.size() && m_text[i].isLetter())
                    ++i;
                const QStringView w = m_text.sliced(start, i - start);
                switch (word(w)) {
                case Word::None:
                    return Failure{PositionReader::tr("%1 is not part of a position.")
                                       .arg(quotedForMessage(w))};
                case Word::North:
                case Word::South:
                case Word::East:
                case Word::West:
                    t.kind = Kind::Letter;
                    t.letter = w.front().toUpper().unicode();
                    break;
                case Word::Degree:
                    t.kind = Kind::Degree;
                    break;
                case Word::Minute:
                    t.kind = Kind::Minute;
                    break;
                case Word::Second:
                    t.kind = Kind::Second;
                    break;
                }
            } else {
                const qsizetype length = c.isHighSurrogate() && i + 1 < m_text.size() ? 2 : 1;
                return Failure{PositionReader::tr("%1 is not part of a position.")
                                   .arg(quotedForMessage(m_text.sliced(i, length)))};
            }
            t.end = i;
        }
        return std::nullopt;
    }

    const Token &operator[](int i) const { return m_tokens[i]; }
    int count() const { return m_count; }
    QStringView text(const Token &t) const { return m_text.sliced(t.start, t.end - t.start); }

private:
    std::optional<Failure> number(qsizetype &i, Token &t)
    {
        t.kind = Kind::Number;
        const qsizetype start = i;
        if (isSign(m_text[i])) {
            t.negative = m_text[i] != u'+';
            ++i;
            if (i == m_text.size() || !(isDigit(m_text[i]) || m_text[i] == u'.'))
                return Failure{PositionReader::tr("A sign stands without its number.")};
        }
        std::array<char, maxNumberLength> digits;
        int length = 0;
        bool point = false;
        bool anyDigit = false;
        for (; i < m_text.size(); ++i) {
            const QChar c = m_text[i];
            const bool mark = (c == u'.' || (c == u',' && m_decimalComma)) && !point &&
                              i + 1 < m_text.size() && isDigit(m_text[i + 1]);
            if (!isDigit(c) && !mark)
                break;
            if (length == maxNumberLength)
                return Failure{
                    PositionReader::tr("A number here has too many digits to be a coordinate.")};
            point |= mark;
            anyDigit |= !mark;
            t.integerDigits += !point;
            digits[length++] = mark ? '.' : char(c.unicode());
        }
        if (!anyDigit || (i < m_text.size() && m_text[i] == u'.')) {
            const qsizetype end = i < m_text.size() ? i + 1 : i;
            return Failure{PositionReader::tr("%1 is not a number.")
                               .arg(quotedForMessage(m_text.sliced(start, end - start)))};
        }
        t.fraction = point;
        std::from_chars(digits.data(), digits.data() + length, t.value);
        return std::nullopt;
    }

    QStringView m_text;
    bool m_decimalComma;
    std::array<Token, maxTokens> m_tokens;
    int m_count = 0;
};

int markSlot(Kind kind)
{
    return kind == Kind::Degree ? 0 : kind == Kind::Minute ? 1 : 2;
}

QString latitudeBeyond(double degrees)
{
    return PositionReader::tr(
               "The latitude, %1\u00b0, is beyond 90\u00b0: the latitude comes first, unless "
               "letters say otherwise (W 122.3 N 47.6).")
        .arg(shortestNumber(degrees));
}

// Splits the tokens into coordinates: at separators, at hemisphere letters, at a sign or a
// degree mark that starts another number run, and, with nothing else to go by, in halves.
std::variant<std::array<Coordinate, 2>, Failure> coordinates(const Tokenizer &tokens)
{
    std::array<Coordinate, 3> found;
    int g = 0;
    const bool lettersLead = tokens.count() > 0 && tokens[0].kind == Kind::Letter;
    bool anyMark = false;
    bool split = false;
    const auto next = [&]() -> bool {
        if (found[g].empty())
            return true;
        if (g == 2)
            return false;
        ++g;
        split = true;
        return true;
    };
    const Failure tooMany{
        PositionReader::tr("There are more than two coordinates here: a position is a latitude "
                           "and a longitude.")};
    for (int i = 0; i < tokens.count(); ++i) {
        const Token &t = tokens[i];
        Coordinate *c = &found[g];
        switch (t.kind) {
        case Kind::Separator:
            if (!next())
                return tooMany;
            break;
        case Kind::Letter:
            if (c->letter != 0 && c->count == 0)
                return Failure{PositionReader::tr("Two letters stand together: %1 and %2.")
                                   .arg(QChar(c->letter), QChar(t.letter))};
            if (lettersLead) {
                if (!c->empty() && !next())
                    return tooMany;
                found[g].letter = t.letter;
            } else if (c->count > 0 && c->letter == 0) {
                c->letter = t.letter;
                if (!next())
                    return tooMany;
            } else if (c->empty() && g > 0 && found[g - 1].letter == 0) {
                // NMEA's own fields: the letter follows its number after a comma.
                found[g - 1].letter = t.letter;
            } else {
                if (!c->empty() && !next())
                    return tooMany;
                found[g].letter = t.letter;
            }
            break;
        case Kind::Number: {
            const bool degreesMarked = i + 1 < tokens.count() && tokens[i + 1].kind == Kind::Degree;
            if (c->count > 0 && (t.negative || tokens.text(t).front() == u'+' || degreesMarked) &&
                !next())
                return tooMany;
            c = &found[g];
            if (c->count == 6)
                return Failure{
                    PositionReader::tr("%1 has more numbers than degrees, minutes and seconds.")
                        .arg(quotedForMessage(tokens.text(t)))};
            c->marks[c->count] = -1;
            c->numbers[c->count++] = i;
            break;
        }
        case Kind::Degree:
        case Kind::Minute:
        case Kind::Second:
            if (i == 0 || tokens[i - 1].kind != Kind::Number)
                return Failure{PositionReader::tr(
                    "A mark (\u00b0, \u2032 or \u2033) stands without its number.")};
            c->marks[c->count - 1] = markSlot(t.kind);
            anyMark = true;
            break;
        }
    }
    const int groups = g + (found[g].empty() ? 0 : 1);
    if (groups == 3)
        return tooMany;
    // Numbers alone, as many for each coordinate: "47 36.372 122 19.922".
    if (groups == 1 && !split && !anyMark && found[0].letter == 0 && found[0].count % 2 == 0 &&
        found[0].count > 0) {
        const int half = found[0].count / 2;
        for (int k = 0; k < half; ++k) {
            found[1].numbers[k] = found[0].numbers[half + k];
            found[1].marks[k] = -1;
        }
        found[1].count = half;
        found[0].count = half;
        return std::array<Coordinate, 2>{found[0], found[1]};
    }
    if (groups == 0)
        return Failure{PositionReader::tr("Type or paste a position, such as 47.6062, -122.3321.")};
    if (groups == 1 && found[0].count > 1) {
        return Failure{
            PositionReader::tr("There is no telling where the latitude ends and the longitude "
                               "begins: put a comma between them.")};
    }
    if (groups == 1) {
        return Failure{PositionReader::tr(
            "There is only one coordinate here: a position needs a latitude and a "
            "longitude.")};
    }
    return std::array<Coordinate, 2>{found[0], found[1]};
}

// The coordinate's value in degrees, signed as written, without its letter.
std::variant<double, Failure> degrees(const Tokenizer &tokens, const Coordinate &c)
{
    if (c.count == 0)
        return Failure{PositionReader::tr("%1 stands without a number.").arg(QChar(c.letter))};
    if (c.count > 3)
        return Failure{PositionReader::tr("%1 has more numbers than degrees, minutes and seconds.")
                           .arg(quotedForMessage(tokens.text(tokens[c.numbers[3]])))};
    std::array<double, 3> parts{};
    int slot = -1;
    for (int k = 0; k < c.count; ++k) {
        const Token &t = tokens[c.numbers[k]];
        const int wanted = c.marks[k] >= 0 ? c.marks[k] : slot + 1;
        if (wanted <= slot || wanted > 2 || (k == 0 && wanted != 0))
            return Failure{
                PositionReader::tr("%1 is out of order: degrees come first, then minutes, then "
                                   "seconds.")
                    .arg(quotedForMessage(tokens.text(t)))};
        if (k > 0 && t.negative)
            return Failure{PositionReader::tr("%1 has a sign in the middle of a coordinate.")
                               .arg(quotedForMessage(tokens.text(t)))};
        if (t.fraction && k + 1 < c.count)
            return Failure{
                PositionReader::tr("Only the last number of a coordinate may have a decimal part: "
                                   "%1 has one.")
                    .arg(quotedForMessage(tokens.text(t)))};
        slot = wanted;
        parts[slot] = t.value;
    }
    const Token &first = tokens[c.numbers[0]];
    // NMEA's packed degrees and minutes: no coordinate in degrees has four whole digits.
    if (c.count == 1 && c.marks[0] < 0 && first.integerDigits >= 4) {
        const double whole = std::floor(first.value / 100);
        parts[0] = whole;
        parts[1] = first.value - whole * 100;
        if (parts[1] >= 60) {
            return Failure{PositionReader::tr("The minutes of %1 (ddmm.mmmm) are 60 or more.")
                               .arg(quotedForMessage(tokens.text(first)))};
        }
    }
    if (parts[1] >= 60)
        return Failure{
            PositionReader::tr("The minutes, %1, are 60 or more.").arg(shortestNumber(parts[1]))};
    if (parts[2] >= 60)
        return Failure{
            PositionReader::tr("The seconds, %1, are 60 or more.").arg(shortestNumber(parts[2]))};
    const double value = parts[0] + parts[1] / 60 + parts[2] / 3600;
    return first.negative ? -value : value;
}

std::optional<Position> checked(double latitude, double longitude, QString &reason)
{
    if (std::abs(latitude) > 90) {
        reason = latitudeBeyond(std::abs(latitude));
        return std::nullopt;
    }
    if (std::abs(longitude) > 180) {
        reason = PositionReader::tr("The longitude, %1\u00b0, is beyond 180\u00b0.")
                     .arg(shortestNumber(std::abs(longitude)));
        return std::nullopt;
    }
    return Position{latitude, longitude};
}

Reading readText(QStringView text)
{
    Tokenizer tokens(text);
    if (const auto failure = tokens.run())
        return {std::nullopt, failure->reason};
    auto split = coordinates(tokens);
    if (auto failure = std::get_if<Failure>(&split))
        return {std::nullopt, failure->reason};
    auto pair = std::get<std::array<Coordinate, 2>>(split);
    const char16_t l0 = pair[0].letter;
    const char16_t l1 = pair[1].letter;
    if (l0 && l1 && isLatitudeLetter(l0) == isLatitudeLetter(l1)) {
        return {std::nullopt,
                isLatitudeLetter(l0)
                    ? PositionReader::tr(
                          "Both coordinates have a latitude letter (N or S): one of them must be "
                          "the longitude, with E or W.")
                    : PositionReader::tr(
                          "Both coordinates have a longitude letter (E or W): one of them must be "
                          "the latitude, with N or S.")};
    }
    if ((l0 && !isLatitudeLetter(l0)) || (l1 && isLatitudeLetter(l1)))
        std::swap(pair[0], pair[1]);
    std::array<double, 2> values{};
    for (int k = 0; k < 2; ++k) {
        auto value = degrees(tokens, pair[k]);
        if (auto failure = std::get_if<Failure>(&value))
            return {std::nullopt, failure->reason};
        values[k] = std::get<double>(value);
        const char16_t letter = pair[k].letter;
        const bool negative = tokens[pair[k].numbers[0]].negative;
        if (negative && (letter == u'N' || letter == u'E')) {
            return {std::nullopt,
                    PositionReader::tr("A minus sign stands against the letter %1: write the "
                                       "number without its sign, and the letter %2 or %3.")
                        .arg(QChar(letter))
                        .arg(QChar(letter))
                        .arg(QChar(letter == u'N' ? u'S' : u'W'))};
        }
        if (letter == u'S' || letter == u'W')
            values[k] = -std::abs(values[k]);
    }
    QString reason;
    const auto p = checked(values[0], values[1], reason);
    return {p, reason};
}

// A signed decimal number, nothing else: the form of geo: addresses and map links.
std::optional<double> plainNumber(QStringView text)
{
    if (text.isEmpty() || text.size() > maxNumberLength)
        return std::nullopt;
    std::array<char, maxNumberLength> digits;
    qsizetype i = text.front() == u'+' ? 1 : 0;
    int length = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!isDigit(c) && c != u'.' && !(c == u'-' && length == 0))
            return std::nullopt;
        digits[length++] = char(c.unicode());
    }
    double value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + length, value);
    if (error != std::errc() || end != digits.data() + length)
        return std::nullopt;
    return value;
}

std::optional<Reading> numberPair(QStringView latitude, QStringView longitude)
{
    const auto lat = plainNumber(latitude);
    const auto lon = plainNumber(longitude);
    if (!lat || !lon)
        return std::nullopt;
    QString reason;
    const auto p = checked(*lat, *lon, reason);
    return Reading{p, reason};
}

QStringView upTo(QStringView text, QStringView stops)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (stops.contains(text[i]))
            return text.first(i);
    }
    return text;
}

// The value of a query parameter (after "?" or "&"), up to the next parameter or fragment.
std::optional<QStringView> parameter(QStringView address, QStringView key)
{
    for (qsizetype at = address.indexOf(key); at > 0; at = address.indexOf(key, at + 1)) {
        const QChar before = address[at - 1];
        if (before == u'?' || before == u'&' || before == u';')
            return upTo(address.sliced(at + key.size()), u"&#;");
    }
    return std::nullopt;
}

Reading readGeo(QStringView text)
{
    const QStringView body = text.sliced(4);
    const QStringView coordinates = upTo(body, u";?");
    const QStringView parameters = body.sliced(coordinates.size());
    const qsizetype crs = parameters.indexOf(u";crs=", 0, Qt::CaseInsensitive);
    if (crs >= 0 &&
        upTo(parameters.sliced(crs + 5), u";?").compare(u"wgs84", Qt::CaseInsensitive) != 0) {
        return {std::nullopt,
                PositionReader::tr("This geo: address is not in WGS 84, the system of GPS "
                                   "receivers: share the position in WGS 84.")};
    }
    const qsizetype comma = coordinates.indexOf(u',');
    const qsizetype second = coordinates.indexOf(u',', comma + 1);
    if (comma > 0) {
        const QStringView longitude =
            coordinates.sliced(comma + 1, (second < 0 ? coordinates.size() : second) - comma - 1);
        if (second < 0 || plainNumber(coordinates.sliced(second + 1))) {
            if (auto reading = numberPair(coordinates.first(comma), longitude))
                return *reading;
        }
    }
    return {std::nullopt,
            PositionReader::tr("This geo: address does not hold a latitude and a longitude "
                               "(geo:47.6062,-122.3321).")};
}

Reading readAddress(QStringView text)
{
    const auto lat = parameter(text, u"mlat=");
    const auto lon = parameter(text, u"mlon=");
    if (lat && lon) {
        if (auto reading = numberPair(*lat, *lon))
            return *reading;
    }
    // Bing's centre: "cp=47.6062~-122.3321".
    if (const auto centre = parameter(text, u"cp=")) {
        const qsizetype tilde = centre->indexOf(u'~');
        if (tilde > 0) {
            if (auto reading = numberPair(centre->first(tilde), centre->sliced(tilde + 1)))
                return *reading;
        }
    }
    for (const QStringView key : {u"q=", u"query=", u"ll=", u"center=", u"destination="}) {
        const auto value = parameter(text, key);
        if (!value || value->size() > 256)
            continue;
        const QByteArray decoded =
            QByteArray::fromPercentEncoding(value->toUtf8()).replace('+', ' ');
        Reading reading = readText(QString::fromUtf8(decoded).trimmed());
        if (reading.position)
            return reading;
    }
    // A place's own position, where the view's centre ("/@") may lie elsewhere.
    const qsizetype placeLat = text.indexOf(u"!3d");
    const qsizetype placeLon = text.indexOf(u"!4d");
    if (placeLat >= 0 && placeLon > placeLat) {
        if (auto reading = numberPair(upTo(text.sliced(placeLat + 3), u"!/?#"),
                                      upTo(text.sliced(placeLon + 3), u"!/?#")))
            return *reading;
    }
    const qsizetype at = text.indexOf(u"/@");
    if (at >= 0) {
        const QStringView view = upTo(text.sliced(at + 2), u"/?#");
        const qsizetype comma = view.indexOf(u',');
        if (comma > 0) {
            if (auto reading = numberPair(view.first(comma), upTo(view.sliced(comma + 1), u",")))
                return *reading;
        }
    }
    const qsizetype map = text.indexOf(u"#map=");
    if (map >= 0) {
        const QStringView view = upTo(text.sliced(map + 5), u"&");
        const qsizetype slash = view.indexOf(u'/');
        const qsizetype second = view.indexOf(u'/', slash + 1);
        if (slash > 0 && second > slash) {
            if (auto reading = numberPair(view.sliced(slash + 1, second - slash - 1),
                                          upTo(view.sliced(second + 1), u"/")))
                return *reading;
        }
    }
    return {std::nullopt,
            PositionReader::tr("This web address holds no position that Pindrel can find: copy "
                               "the position itself, or share it as a geo: address.")};
}

bool startsWith(QStringView text, QStringView prefix)
{
    return text.startsWith(prefix, Qt::CaseInsensitive);
}

// A web address, with or without its scheme: "maps.example.com/?q=..." as well as "https://...".
// No position has a "/" in it, nor a host name before one.
bool isAddress(QStringView text)
{
    if (startsWith(text, u"http://") || startsWith(text, u"https://") ||
        startsWith(text, u"www.") || text.indexOf(u"://") > 0)
        return true;
    const qsizetype slash = text.indexOf(u'/');
    if (slash <= 0)
        return false;
    const QStringView host = text.first(slash);
    return host.contains(u'.') &&
           std::any_of(host.begin(), host.end(), [](QChar c) { return c.isLetter(); }) &&
           std::none_of(host.begin(), host.end(), [](QChar c) { return c.isSpace(); });
}

} // namespace

QString quotedForMessage(QStringView text)
{
    // Cut short so that the words stay readable, and quick to lay out on every key.
    constexpr qsizetype longest = 40;
    if (text.size() <= longest)
        return u'\u201c' + text.toString() + u'\u201d';
    const qsizetype cut = text[longest - 1].isHighSurrogate() ? longest - 1 : longest;
    return u'\u201c' + text.first(cut).toString() + u'\u2026' + u'\u201d';
}

QString shortestNumber(double value)
{
    return QLocale::c().toString(value, 'g', QLocale::FloatingPointShortest);
}

Reading read(QStringView text)
{
    text = text.trimmed();
    if (startsWith(text, u"geo:"))
        return readGeo(text);
    if (isAddress(text))
        return readAddress(text);
    return readText(text);
}

namespace {

// Rounded once, to the receiver form's unit, so that what is shown is what is sent.
qint64 units(double degrees)
{
    return std::llround(std::abs(degrees) * unitsPerDegree);
}

QString degreesAndMinutes(qint64 units, int width)
{
    const qint64 whole = units / unitsPerDegree;
    const qint64 minutes = units % unitsPerDegree;
    return QStringLiteral("%1%2.%3")
        .arg(whole, width, 10, QLatin1Char('0'))
        .arg(minutes / 10000, 2, 10, QLatin1Char('0'))
        .arg(minutes % 10000, 4, 10, QLatin1Char('0'));
}

QChar hemisphere(double degrees, qint64 units, QChar positive, QChar negative)
{
    return units != 0 && degrees < 0 ? negative : positive;
}

} // namespace

ReceiverForm receiverForm(const Position &p)
{
    const qint64 lat = units(p.latitude);
    const qint64 lon = units(p.longitude);
    return {degreesAndMinutes(lat, 2), hemisphere(p.latitude, lat, u'N', u'S'),
            degreesAndMinutes(lon, 3), hemisphere(p.longitude, lon, u'E', u'W')};
}

QString degreesAndMinutes(const Position &p)
{
    const auto shown = [](double degrees, QChar positive, QChar negative) {
        const qint64 u = units(degrees);
        const qint64 minutes = u % unitsPerDegree;
        return QStringLiteral("%1\u00b0 %2.%3\u2032 %4")
            .arg(u / unitsPerDegree)
            .arg(minutes / 10000)
            .arg(minutes % 10000, 4, 10, QLatin1Char('0'))
            .arg(hemisphere(degrees, u, positive, negative));
    };
    return shown(p.latitude, u'N', u'S') + QLatin1String(", ") + shown(p.longitude, u'E', u'W');
}

} // namespace position
