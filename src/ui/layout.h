#pragma once

#include <QList>
#include <QRect>

class QFont;
class QLabel;
class QWidget;

namespace layout {

// Positions are kept in twips, 1/1440 inch; at 96 dots per inch a pixel is 15 of them.
inline constexpr int twipsPerPixel = 15;

constexpr int px(int twips)
{
    return twips / twipsPerPixel;
}

constexpr QRect twipsRect(int left, int top, int width, int height)
{
    return {px(left), px(top), px(width), px(height)};
}

// The bold 8.25-point caption font, with the nearest sans-serifs where it is missing.
QFont captionFont();

// Gives the labels one font, just small enough that every text shows whole in its label's width:
// the nearest fonts may run wider than the one the layout was drawn for.
void fitTextToWidth(const QList<QLabel *> &labels);

// Widens each label just enough for its text, and the window just enough for its widest label,
// keeping the right margin equal to the left one; the window is then fixed at that size. The
// texts were laid out for a narrower font than most systems have.
void showWhole(QWidget *window, const QList<QLabel *> &labels, QSize clientSize);

} // namespace layout
