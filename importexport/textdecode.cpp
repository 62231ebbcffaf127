#include "importexport/textdecode.h"

#include <QStringDecoder>

namespace {

// 0x80..0x9F of Windows-1252; 0 marks the five bytes it leaves undefined.
const char16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                            0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

bool ValidUtf8(const QByteArray& bytes, QString* text) {
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

} // namespace

QChar Windows1252(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0 && kHigh[byte - 0x80]) return QChar(kHigh[byte - 0x80]);
    return QChar(byte);
}

QString DecodeBytes(const QByteArray& bytes) {
    QString text;
    if (ValidUtf8(bytes, &text)) return text;
    text.clear();
    text.reserve(bytes.size());
    for (char c : bytes)
        text.append(Windows1252(static_cast<unsigned char>(c)));
    return text;
}

DecodedText DecodeText(const QByteArray& bytes) {
    DecodedText out;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        out.encoding = QStringLiteral("UTF-8 with BOM");
        out.text = DecodeBytes(bytes.mid(3));
    } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const bool little = bytes.startsWith("\xFF\xFE");
        QStringDecoder decoder(little ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        out.encoding = QStringLiteral("UTF-16");
        out.text = decoder.decode(bytes.mid(2));
    } else if (LooksBinary(bytes)) {
        out.error = QStringLiteral("The file is not a text file: it holds binary data.");
        return out;
    } else {
        QString text;
        if (ValidUtf8(bytes, &text)) {
            out.encoding = QStringLiteral("UTF-8");
            out.text = text;
        } else {
            out.encoding = QStringLiteral("Windows-1252");
            out.text = DecodeBytes(bytes);
        }
    }
    if (out.text.contains(QChar(0))) {
        out.text.clear();
        out.error = QStringLiteral("The file is not a text file: it holds binary data.");
    }
    return out;
}
