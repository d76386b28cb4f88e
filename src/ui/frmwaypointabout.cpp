#include "ui/frmwaypointabout.h"

#include "ui/layout.h"
#include "ui/pictures.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

frmWaypointAbout::frmWaypointAbout()
{
    setObjectName(QStringLiteral("frmWaypointAbout"));
    layout::setUpReadingWindow(this);
    setWindowTitle(tr("About Waypoint"));
    setWindowIcon(pictures::programIcon());

    using layout::px;
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(px(450), px(450));
    Image1->setAccessibleName(tr("A satellite over the Earth"));
    drawPicture();

    const auto addLine = [this](const char *name, const QString &text) {
        auto label = new QLabel(text, this);
        label->setObjectName(QLatin1String(name));
        return label;
    };
    QLabel *title = addLine("Label1", tr("Pindrel V1.0"));
    const QList<QLabel *> credits = {
        addLine("Label2", tr("Written by the Pindrel developers")),
        addLine("Label4", tr("https://example.org/pindrel")),
        addLine("Label3", tr("Copyright © 2026 the Pindrel developers")),
    };

    // The name stands beside the picture, the credits below it one line apart; every text keeps
    // the left margin from each edge of the window.
    auto column = new QVBoxLayout(this);
    const int margin = px(120);
    column->setContentsMargins(margin, margin, margin, margin);
    column->setSpacing(0);
    auto top = new QHBoxLayout;
    top->setSpacing(px(720 - 570));
    top->addWidget(Image1);
    top->addWidget(title, 1, Qt::AlignVCenter);
    column->addLayout(top);
    column->addSpacing(px(720 - 570));
    for (QLabel *label : credits)
        column->addWidget(label);
    column->addStretch();
    layout::setLineHeight(credits + QList<QLabel *>{title}, 240);

    resize(qMax(px(2460), minimumSizeHint().width()), minimumSizeHint().height());
}

void frmWaypointAbout::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // A window moved to a screen of another scale gets a picture drawn for that scale.
    if (QWindow *window = windowHandle()) {
        connect(window, &QWindow::screenChanged, this, &frmWaypointAbout::drawPicture,
                Qt::UniqueConnection);
    }
    drawPicture();
}

void frmWaypointAbout::drawPicture()
{
    Image1->setPixmap(pictures::satellite(devicePixelRatioF()));
}
