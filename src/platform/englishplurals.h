#pragma once

#include <QTranslator>

namespace platform {

// Qt gives a text such as tr("%n byte(s)", nullptr, n) its plural forms only through a
// translation. English needs no file for them: "(s)" is "s" for every count but one.
class EnglishPlurals : public QTranslator
{
public:
    using QTranslator::QTranslator;

    QString translate(const char *context, const char *sourceText,
                      const char *disambiguation = nullptr, int n = -1) const override;
    bool isEmpty() const override { return false; }
};

} // namespace platform
