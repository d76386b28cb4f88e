#include "ui/layout.h"

#include <QApplication>
#include <QDialog>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QStyle>
#include <QStyleOptionFrame>

namespace layout {

namespace {

// The caption font was drawn at 8.25 points beside a default of 8.
constexpr qreal captionScale = 8.25 / 8.0;

// What the box's frame and Qt's own margins take from its size, in this style.
QSize textBoxFrame(const QLineEdit *box)
{
    QStyleOptionFrame option;
    option.initFrom(box);
    option.rect = QRect(0, 0, 400, 100);
    option.lineWidth =
        box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box) : 0;
    const QRect contents = box->style()->subElementRect(QStyle::SE_LineEditContents, &option, box);
    const QMargins text = box->textMargins();
    return option.rect.size() - contents.size() +
           QSize(text.left() + text.right(), text.top() + text.bottom());
}

} // namespace

QFont captionFont()
{
    const QFont base = QApplication::font();
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                      QStringLiteral("Arial"), QStringLiteral("Helvetica"),
                      QStringLiteral("Nimbus Sans"), QStringLiteral("FreeSans"),
                      QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    if (base.pointSizeF() > 0)
        font.setPointSizeF(base.pointSizeF() * captionScale);
    else
        font.setPixelSize(qRound(base.pixelSize() * captionScale));
    font.setBold(true);
    return font;
}

int textBoxWidth(const QLineEdit *box, const QString &text)
{
    // QLineEdit keeps two pixels on either side of its text, and the cursor takes one more.
    constexpr int inner = 2 * 2 + 1;
    return box->fontMetrics().horizontalAdvance(text) + inner + textBoxFrame(box).width();
}

int textBoxHeight(const QLineEdit *box)
{
    // One pixel above and below the line, as QLineEdit keeps.
    constexpr int inner = 2 * 1;
    return box->fontMetrics().height() + inner + textBoxFrame(box).height();
}

void setLineHeight(const QList<QLabel *> &labels, int twips)
{
    for (QLabel *label : labels)
        label->setMinimumHeight(qMax(px(twips), label->fontMetrics().height()));
}

void setUpReadingWindow(QDialog *window)
{
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowFlags(window->windowFlags() | Qt::WindowMinMaxButtonsHint);
    // Escape comes with QDialog; Ctrl+W (and Ctrl+F4 where that is the custom) is added here.
    auto close = new QShortcut(QKeySequence::Close, window);
    QObject::connect(close, &QShortcut::activated, window, &QWidget::close);
}

} // namespace layout
