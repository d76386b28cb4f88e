#pragma once

#include <QList>

class QDialog;
class QFont;
class QLabel;
class QLineEdit;
class QString;

namespace layout {

// Positions are kept in twips, 1/1440 inch; at 96 dots per inch a pixel is 15 of them.
inline constexpr int twipsPerPixel = 15;

constexpr int px(int twips)
{
    return twips / twipsPerPixel;
}

// The bold caption font, with the nearest sans-serifs where it is missing. It keeps the drawn
// proportion to the application's font (8.25 points against 8), so it grows with the desktop's.
QFont captionFont();

// The width a text box needs to show the text whole, at its own font and style.
int textBoxWidth(const QLineEdit *box, const QString &text);

// The height a text box needs to show a line of its font without clipping.
int textBoxHeight(const QLineEdit *box);

// Gives each label at least the drawn line height, more where its font needs it.
void setLineHeight(const QList<QLabel *> &labels, int twips);

// Makes a Help or About window: parentless and gone once closed, by its close box, Escape or
// Ctrl+W; free to be resized or maximised like any window.
void setUpReadingWindow(QDialog *window);

} // namespace layout
