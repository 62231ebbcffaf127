#pragma once
// Bytes read from a contacts file, turned into text: UTF-8 with or without a
// byte-order mark, UTF-16 with its mark (some phones write it), else
// Windows-1252, the code page spreadsheet programs on Windows save in.

#include <QByteArray>
#include <QString>

// The largest file an import reads. A book holds at most 32,767 parties,
// which never take more than a few megabytes in either format.
constexpr qint64 kLargestImportFile = 64 * 1024 * 1024;

struct DecodedText {
    QString text;
    QString encoding; // "UTF-8", "UTF-8 with BOM", "UTF-16", "Windows-1252"
    QString error;    // set when the bytes are not text at all
};

DecodedText DecodeText(const QByteArray& bytes);

// One byte of Windows-1252 as its character (undefined bytes keep their
// Latin-1 meaning).
QChar Windows1252(unsigned char byte);
// UTF-8 if the bytes are valid UTF-8, else Windows-1252.
QString DecodeBytes(const QByteArray& bytes);
