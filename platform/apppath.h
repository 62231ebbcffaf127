#pragma once
// The application folder: where the program, its database file, the print
// file and the print batch live. It is the folder of the executable; the
// tests point it at a folder of their own.

#include <QString>

QString AppPath();                                // no trailing separator
void SetAppPathForTesting(const QString& folder); // empty: back to the executable's folder
