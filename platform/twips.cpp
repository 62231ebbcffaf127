#include "platform/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void PlaceTwips(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(Px(left), Px(top), Px(width), Px(height));
}

int ScreenWidth() {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? Twips(s->geometry().width()) : Twips(1024);
}

int ScreenHeight() {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? Twips(s->geometry().height()) : Twips(768);
}
