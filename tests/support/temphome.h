#pragma once
// HOME (and the desktop's folder settings) in a folder of its own, for the
// tests of where the file dialogs open.

#include <QByteArray>
#include <QTemporaryDir>
#include <QtGlobal>

struct TempHome {
    QTemporaryDir dir;
    QByteArray home = qgetenv("HOME"), config = qgetenv("XDG_CONFIG_HOME");
    TempHome() {
        qputenv("HOME", dir.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", (dir.path() + QStringLiteral("/.config")).toUtf8());
    }
    ~TempHome() {
        qputenv("HOME", home);
        qputenv("XDG_CONFIG_HOME", config);
    }
};
