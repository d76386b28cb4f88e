// Build-time helper: turns an icon drawn as XPM into the PNG that desktops look for in the icon
// theme, so that only the drawn source lives in the repository.
#include <QImage>
#include <QString>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s input.xpm output.png\n", argv[0]);
        return 2;
    }
    const QString input = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);
    const QImage image(input, "XPM");
    if (image.isNull()) {
        std::fprintf(stderr, "%s: cannot read %s as XPM\n", argv[0], argv[1]);
        return 1;
    }
    if (!image.save(output, "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
