#pragma once
// The print file A.TXT in the application folder and the batch beside it
// that hands the file to the printer. The file is plain text in a
// single-byte code page, every line ending in CR LF.

#include <QByteArray>
#include <QString>
#include <QStringList>

enum class CodePage { Latin1, Windows1252 };

// Windows-1252 on Windows, ISO-8859-1 elsewhere.
CodePage SystemCodePage();

// The lines as the file holds them: each in the code page, a character it
// cannot hold written as "?", each followed by CR LF.
QByteArray EncodeLines(const QStringList& lines, CodePage codePage = SystemCodePage());

// How many of `texts` hold a character the code page cannot hold, which
// the file would print as "?".
int CountUnprintable(const QStringList& texts, CodePage codePage = SystemCodePage());

QString PrintFilePath();  // <application folder>/A.TXT
QString PrintBatchPath(); // <application folder>/print.bat on Windows, print.sh elsewhere

// Replaces the file with `bytes` (an empty array leaves an empty file).
// Raises std::runtime_error naming the file and the reason when it cannot
// be written in full.
void WritePrintFile(const QString& path, const QByteArray& bytes);
