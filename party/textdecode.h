#pragma once
// Bytes read from a contacts file, turned into text: UTF-8 with or without a
// byte-order mark, UTF-16 with its mark or without it, an encoding the file
// names, or, for a file that names none and is not UTF-8, the encoding the
// detector (uchardet) judges it to be in. Bytes an encoding cannot read become
// U+FFFD, so that nothing is misread without it showing.

#include <QByteArray>
#include <QString>
#include <QStringList>

// The largest file an import reads. A book holds at most 32,767 parties,
// which never take more than a few megabytes in either format.
constexpr qint64 kLargestImportFile = 64 * 1024 * 1024;

// What stands for a letter the encoding could not read.
constexpr char16_t kUnreadable = 0xFFFD;

struct DecodedText {
    QString text;
    QString encoding;     // "UTF-8", "UTF-8 with BOM", "UTF-16", "Windows-1252", "Shift_JIS" ...
    QString error;        // set when the bytes are not text at all
    bool guessed = false; // no mark, no name, not UTF-8: the detector chose the encoding
};

// Decodes a whole file; `encoding`, when given, is used instead of what the
// bytes suggest (a mark is still skipped).
DecodedText DecodeText(const QByteArray& bytes, const QString& encoding = {});

// The encodings the import window offers for reading a file again.
QStringList ImportEncodings();
// Whether an encoding of that name can be read ("CP1251", "SHIFT_JIS" ...).
bool KnownEncoding(const QString& name);
// The name as the window shows it ("windows-1251" -> "Windows-1251").
QString EncodingName(const QString& name);
// Decodes bytes in a named encoding with the converters Qt has (ICU's names
// and aliases); what it cannot read becomes U+FFFD. An unknown name reads
// the bytes as DecodeBytes does.
QString DecodeAs(const QByteArray& bytes, const QString& encoding);
// The detector's judgement of bytes that are not UTF-8 (Windows-1252 when
// it cannot tell).
QString GuessEncoding(const QByteArray& bytes);
// UTF-16 without its mark: "UTF-16LE", "UTF-16BE" or empty.
QString Utf16WithoutMark(const QByteArray& bytes);

// One byte of Windows-1252 as its character (undefined bytes keep their
// Latin-1 meaning).
QChar Windows1252(unsigned char byte);
// UTF-8 if the bytes are valid UTF-8, else Windows-1252.
QString DecodeBytes(const QByteArray& bytes);
// Whether the bytes are valid UTF-8.
bool ValidUtf8(const QByteArray& bytes);
