#include "party/textdecode.h"

#include <QStringDecoder>
#include <uchardet/uchardet.h>

#include <memory>

namespace {

// 0x80..0x9F of Windows-1252; 0 marks the five bytes it leaves undefined.
const char16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                            0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The detector reads this much of a file at most: enough to judge it.
constexpr qsizetype kDetectorSample = 1024 * 1024;

const QString kBinary = QStringLiteral("The file is not a text file: it holds binary data.");

bool DecodeUtf8(const QByteArray& bytes, QString* text) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    *text = decoder.decode(bytes);
    return !decoder.hasError();
}

// Text files hold no NUL bytes and few control characters; binary junk
// (an image, a zip, an executable) is full of them.
bool LooksBinary(const QByteArray& bytes) {
    const qsizetype sample = qMin<qsizetype>(bytes.size(), 65536);
    qsizetype controls = 0;
    for (qsizetype i = 0; i < sample; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == 0) return true;
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f') ++controls;
    }
    return sample > 0 && controls * 20 > sample;
}

// The same test on decoded text (UTF-16 without its mark is taken on its
// NUL bytes, which an image can hold as well).
bool LooksBinary(const QString& text) {
    const qsizetype sample = qMin<qsizetype>(text.size(), 65536);
    qsizetype controls = 0;
    for (qsizetype i = 0; i < sample; ++i) {
        const char16_t c = text[i].unicode();
        if (c == 0) return true;
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f') || c == kUnreadable)
            ++controls;
    }
    return sample > 0 && controls * 20 > sample;
}

QString Upper(const QString& name) {
    QString n = name.trimmed().toUpper();
    n.remove(u'_');
    n.remove(u'-');
    return n;
}

bool IsUtf8(const QString& name) {
    return Upper(name) == QLatin1String("UTF8");
}

bool IsWindows1252(const QString& name) {
    const QString n = Upper(name);
    return n == QLatin1String("WINDOWS1252") || n == QLatin1String("CP1252");
}

bool IsUtf16(const QString& name) {
    return Upper(name).startsWith(QLatin1String("UTF16"));
}

QString DecodeUtf16(const QByteArray& bytes, const QString& name) {
    QByteArray body = bytes;
    bool little = !Upper(name).endsWith(QLatin1String("BE"));
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        little = bytes.startsWith("\xFF\xFE");
        body = bytes.mid(2);
    } else if (Upper(name) == QLatin1String("UTF16")) {
        little = Utf16WithoutMark(bytes) != QLatin1String("UTF-16BE");
    }
    QStringDecoder decoder(little ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                           QStringDecoder::Flag::Stateless);
    return decoder.decode(body);
}

} // namespace

QStringList ImportEncodings() {
    return {QStringLiteral("UTF-8"),        QStringLiteral("UTF-16"),
            QStringLiteral("Windows-1252"), QStringLiteral("ISO-8859-1"),
            QStringLiteral("ISO-8859-2"),   QStringLiteral("ISO-8859-7"),
            QStringLiteral("ISO-8859-9"),   QStringLiteral("Windows-1250"),
            QStringLiteral("Windows-1251"), QStringLiteral("KOI8-R"),
            QStringLiteral("Shift_JIS"),    QStringLiteral("EUC-JP"),
            QStringLiteral("GB18030"),      QStringLiteral("Big5")};
}

bool KnownEncoding(const QString& name) {
    if (IsUtf8(name) || IsWindows1252(name) || IsUtf16(name)) return true;
    return !name.trimmed().isEmpty() &&
           QStringDecoder(name.trimmed().toLatin1().constData()).isValid();
}

QString EncodingName(const QString& name) {
    if (IsUtf8(name)) return QStringLiteral("UTF-8");
    if (IsWindows1252(name)) return QStringLiteral("Windows-1252");
    const QString canonical =
        QString::fromLatin1(QStringDecoder(name.trimmed().toLatin1().constData()).name());
    if (canonical.isEmpty()) return name.trimmed();
    for (const QString& e : ImportEncodings())
        if (e.compare(canonical, Qt::CaseInsensitive) == 0) return e;
    return canonical;
}

QString DecodeAs(const QByteArray& bytes, const QString& encoding) {
    if (encoding.isEmpty()) return DecodeBytes(bytes);
    if (IsUtf8(encoding)) {
        QString text;
        DecodeUtf8(bytes, &text);
        return text;
    }
    if (IsWindows1252(encoding)) {
        QString text;
        text.reserve(bytes.size());
        for (char c : bytes)
            text.append(Windows1252(static_cast<unsigned char>(c)));
        return text;
    }
    if (IsUtf16(encoding)) return DecodeUtf16(bytes, encoding);
    QStringDecoder decoder(encoding.trimmed().toLatin1().constData());
    if (!decoder.isValid()) return DecodeBytes(bytes);
    // A line break after the bytes ends a character cut off at their end,
    // which the converter would otherwise keep waiting for and drop.
    QString text = decoder.decode(bytes + '\n');
    if (text.endsWith(u'\n')) text.chop(1);
    // The converters of ICU put SUB (U+001A) for what they cannot read.
    if (decoder.hasError() && !bytes.contains('\x1A'))
        text.replace(QChar(u'\x1A'), QChar(kUnreadable));
    return text;
}

QString GuessEncoding(const QByteArray& bytes) {
    const std::unique_ptr<uchardet, void (*)(uchardet_t)> detector(uchardet_new(), uchardet_delete);
    const qsizetype size = qMin(bytes.size(), kDetectorSample);
    QString found;
    if (uchardet_handle_data(detector.get(), bytes.constData(), size_t(size)) == 0) {
        uchardet_data_end(detector.get());
        found = QString::fromLatin1(uchardet_get_charset(detector.get()));
    }
    // Windows-1252 reads all ISO-8859-1 text and the quotes and dashes that
    // Windows programs write besides.
    if (found.isEmpty() || Upper(found) == QLatin1String("ASCII") ||
        Upper(found) == QLatin1String("ISO88591") || IsUtf8(found) || IsUtf16(found) ||
        !KnownEncoding(found))
        return QStringLiteral("Windows-1252");
    // Among encodings that read the letters alike (ISO-8859-3 and -15 read
    // most Western ones as Windows-1252 does), the one most files are in.
    const QByteArray sample = bytes.first(qMin<qsizetype>(bytes.size(), 65536));
    if (DecodeAs(sample, found) == DecodeAs(sample, QStringLiteral("Windows-1252")))
        return QStringLiteral("Windows-1252");
    return EncodingName(found);
}

QString Utf16WithoutMark(const QByteArray& bytes) {
    // Latin letters, digits, commas and line breaks of UTF-16 have a NUL
    // byte: at odd offsets in little-endian, at even ones in big-endian.
    const qsizetype sample = qMin<qsizetype>(bytes.size(), 65536) & ~qsizetype(1);
    if (sample < 4) return QString();
    qsizetype even = 0, odd = 0;
    for (qsizetype i = 0; i < sample; i += 2) {
        if (bytes[i] == '\0') ++even;
        if (bytes[i + 1] == '\0') ++odd;
    }
    const qsizetype pairs = sample / 2;
    if (odd * 8 >= pairs && even * 20 <= odd) return QStringLiteral("UTF-16LE");
    if (even * 8 >= pairs && odd * 20 <= even) return QStringLiteral("UTF-16BE");
    return QString();
}

QChar Windows1252(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0 && kHigh[byte - 0x80]) return QChar(kHigh[byte - 0x80]);
    return QChar(byte);
}

bool ValidUtf8(const QByteArray& bytes) {
    // RFC 3629: no overlong forms, no surrogates, nothing past U+10FFFF.
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const auto* end = p + bytes.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int more = 0;
        unsigned char low = 0x80, high = 0xBF; // the second byte's range
        if (c >= 0xC2 && c <= 0xDF)
            more = 1;
        else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            if (c == 0xE0) low = 0xA0;
            if (c == 0xED) high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            if (c == 0xF0) low = 0x90;
            if (c == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (end - p <= more || p[1] < low || p[1] > high) return false;
        for (int i = 2; i <= more; ++i)
            if ((p[i] & 0xC0) != 0x80) return false;
        p += more + 1;
    }
    return true;
}

QString DecodeBytes(const QByteArray& bytes) {
    QString text;
    if (DecodeUtf8(bytes, &text)) return text;
    return DecodeAs(bytes, QStringLiteral("Windows-1252"));
}

DecodedText DecodeText(const QByteArray& bytes, const QString& encoding) {
    DecodedText out;
    const bool utf8Mark = bytes.startsWith("\xEF\xBB\xBF");
    const bool utf16Mark = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
    if (!encoding.isEmpty()) {
        out.encoding = EncodingName(encoding);
        out.text = DecodeAs(utf8Mark && !IsUtf16(encoding) ? bytes.mid(3) : bytes, encoding);
    } else if (utf8Mark) {
        out.encoding = QStringLiteral("UTF-8 with BOM");
        out.text = DecodeBytes(bytes.mid(3));
    } else if (utf16Mark) {
        out.encoding = QStringLiteral("UTF-16");
        out.text = DecodeUtf16(bytes, out.encoding);
    } else if (const QString utf16 = Utf16WithoutMark(bytes); !utf16.isEmpty()) {
        out.encoding = QStringLiteral("UTF-16");
        out.text = DecodeUtf16(bytes, utf16);
        if (LooksBinary(out.text)) {
            out.text.clear();
            out.error = kBinary;
        }
        return out;
    } else if (LooksBinary(bytes)) {
        out.error = kBinary;
        return out;
    } else if (DecodeUtf8(bytes, &out.text)) {
        out.encoding = QStringLiteral("UTF-8");
    } else {
        out.encoding = GuessEncoding(bytes);
        out.guessed = true;
        out.text = DecodeAs(bytes, out.encoding);
    }
    if (out.text.contains(QChar(0))) {
        out.text.clear();
        out.error = kBinary;
    }
    return out;
}
