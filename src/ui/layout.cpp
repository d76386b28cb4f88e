#include "ui/layout.h"

#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QWidget>

#include <algorithm>

namespace layout {

QFont captionFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                      QStringLiteral("Arial"), QStringLiteral("Helvetica"),
                      QStringLiteral("Nimbus Sans"), QStringLiteral("FreeSans"),
                      QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    font.setBold(true);
    return font;
}

void fitTextToWidth(const QList<QLabel *> &labels)
{
    if (labels.isEmpty())
        return;
    QFont font = labels.first()->font();
    const auto fits = [&font](const QLabel *label) {
        const int room = label->width() - 2 * label->margin();
        return QFontMetrics(font).horizontalAdvance(label->text()) <= room;
    };
    while (font.pointSizeF() > 5.0 && !std::all_of(labels.begin(), labels.end(), fits))
        font.setPointSizeF(font.pointSizeF() - 0.25);
    for (QLabel *label : labels)
        label->setFont(font);
}

void showWhole(QWidget *window, const QList<QLabel *> &labels, QSize clientSize)
{
    int width = clientSize.width();
    for (QLabel *label : labels) {
        const int needed = label->fontMetrics().horizontalAdvance(label->text()) + 1;
        if (label->width() < needed)
            label->resize(needed, label->height());
        width = qMax(width, label->geometry().right() + 1 + label->x());
    }
    window->setFixedSize(width, clientSize.height());
}

} // namespace layout
