#pragma once
// A new control with the name the window's code and tests know it by.

#include <QString>

template <class W> W* Named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}
