#include "app/frmabtus.h"

#include "app/frmmainmdi.h"
#include "platform/twips.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <cmath>

namespace {
// The publisher's logo, 327 by 77 pixels.
QPixmap Logo() {
    QPixmap logo(327, 77);
    QPainter p(&logo);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 327, 77);
    sky.setColorAt(0, QColor(0, 51, 102));
    sky.setColorAt(1, QColor(0, 102, 153));
    p.fillRect(logo.rect(), sky);
    p.setPen(QPen(QColor(255, 204, 0), 3));
    p.drawEllipse(QRect(12, 12, 53, 53));
    p.setFont(QFont(QStringLiteral("Verdana"), 22, QFont::Bold));
    p.drawText(QRect(12, 12, 53, 53), Qt::AlignCenter, QStringLiteral("O"));
    p.setPen(Qt::white);
    p.setFont(QFont(QStringLiteral("Verdana"), 17, QFont::Bold));
    p.drawText(QRect(78, 10, 245, 34), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("ORVANE"));
    p.setFont(QFont(QStringLiteral("Verdana"), 10));
    p.drawText(QRect(78, 42, 245, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QCoreApplication::translate("FrmAbtus", "Software for small business"));
    return logo;
}
} // namespace

FrmAbtus::FrmAbtus(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("FrmAbtus"));
    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setPixmap(Logo());
    PlaceTwips(Picture1, 120, 120, Twips(327), Twips(77));
    Label1 =
        new QLabel(tr("Contact No:- ") + QStringLiteral("+91 161 240 0000, +91 98140 00000"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    PlaceTwips(Label1, 120, 1440, 4905, 285);
    Label2 = new QLabel(tr("E-Mail Id:-") + QStringLiteral("info@orvane.example"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    PlaceTwips(Label2, 120, 1800, 4905, 285);
}

QPoint FrmAbtus::Placement(double innerWidth, double innerHeight) {
    // Whole-number division by 4 and 3: the divisors 4.5 and 3.25 are rounded
    // half to even before dividing, as is the inner size.
    const long height = std::lround(std::nearbyint(innerHeight));
    const long width = std::lround(std::nearbyint(innerWidth));
    const long top = height / long(std::nearbyint(4.5));
    const long left = width / long(std::nearbyint(3.25));
    return QPoint(int(left), int(top));
}

void FrmAbtus::Form_Load() {
    SetCaption(tr("About us"));
    SetWidth(5325);
    SetHeight(2790);
    if (FrmMainMdi* main = MainMdi()) {
        const QPoint at = Placement(main->ScaleWidth(), main->ScaleHeight());
        SetTop(at.y());
        SetLeft(at.x());
    }
}
