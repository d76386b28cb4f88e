#include "platform/englishplurals.h"

namespace platform {

QString EnglishPlurals::translate(const char *, const char *sourceText, const char *, int n) const
{
    // An empty answer leaves the text as it stands.
    if (n < 0 || !sourceText)
        return {};
    QString text = QString::fromUtf8(sourceText);
    if (!text.contains(QLatin1String("(s)")))
        return {};
    return text.replace(QStringLiteral("(s)"), n == 1 ? QString() : QStringLiteral("s"));
}

} // namespace platform
