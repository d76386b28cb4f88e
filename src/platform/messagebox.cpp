#include "platform/messagebox.h"

#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QMessageBox>

namespace platform {

namespace {

// QMessageBox fixes its size to its contents whenever it lays itself out, and a fixed-size
// window ends the program on Wayland when it is maximised: the compositor insists on the size
// it asked for. This box keeps its laid-out size as the least it may have, and no greatest.
class ResizableMessageBox : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent *event) override
    {
        QMessageBox::showEvent(event);
        releaseSize();
    }

    bool event(QEvent *event) override
    {
        // Once shown, a new layout must not shrink the box back to a fixed size under the user.
        if (event->type() == QEvent::LayoutRequest && isVisible())
            return QDialog::event(event);
        return QMessageBox::event(event);
    }

private:
    void releaseSize()
    {
        const QSize laidOut(qMax(width(), titleWidth()), height());
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        setMinimumSize(laidOut);
        resize(size().expandedTo(laidOut));
    }

    // Room for a title centred between three title-bar buttons on one side and as much on the
    // other, so that no desktop cuts a short title. A button is about two lines of text wide,
    // and never narrower than a title bar is high (32 pixels at 96 dots per inch), however small
    // the font.
    int titleWidth() const
    {
        QFont font = QApplication::font("QMdiSubWindowTitleBar");
        font.setBold(true);
        const QFontMetrics metrics(font);
        const int button = qMax(2 * metrics.height(), 32 * logicalDpiX() / 96);
        return metrics.horizontalAdvance(windowTitle()) + 6 * button;
    }
};

} // namespace

QString pathForMessage(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

void showMessageBox(QWidget *parent, const QString &text)
{
    ResizableMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(applicationTitle), text,
                            QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace platform
