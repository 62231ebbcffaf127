#include "printing/printfile.h"

#include "data/privatefile.h"
#include "platform/apppath.h"

#include <QFile>
#include <algorithm>
#include <stdexcept>

namespace {

// Windows-1252 bytes 0x80..0x9F; 0 where the code page holds no character.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char byteOf(char32_t c, CodePage codePage) {
    if (c < 0x80) return char(c);
    if (codePage == CodePage::Latin1) return c <= 0xFF ? char(c) : '?';
    if (c >= 0xA0 && c <= 0xFF) return char(c);
    for (int i = 0; i < 32; ++i)
        if (kWindows1252High[i] != 0 && kWindows1252High[i] == c) return char(0x80 + i);
    return '?';
}

[[noreturn]] void fail(const QString& path, const QString& reason) {
    throw std::runtime_error(QStringLiteral("%1: %2").arg(path, reason).toStdString());
}

} // namespace

CodePage SystemCodePage() {
#ifdef Q_OS_WIN
    return CodePage::Windows1252;
#else
    return CodePage::Latin1;
#endif
}

QByteArray EncodeLines(const QStringList& lines, CodePage codePage) {
    QByteArray out;
    for (const QString& line : lines) {
        for (const char32_t c : line.toUcs4())
            out.append(byteOf(c, codePage));
        out.append("\r\n");
    }
    return out;
}

int CountUnprintable(const QStringList& texts, CodePage codePage) {
    int count = 0;
    for (const QString& text : texts) {
        const auto chars = text.toUcs4();
        count += std::any_of(chars.cbegin(), chars.cend(),
                             [&](char32_t c) { return c != U'?' && byteOf(c, codePage) == '?'; });
    }
    return count;
}

QString PrintFilePath() {
    return AppPath() + QStringLiteral("/A.TXT");
}

QString PrintBatchPath() {
#ifdef Q_OS_WIN
    return AppPath() + QStringLiteral("/print.bat");
#else
    return AppPath() + QStringLiteral("/print.sh");
#endif
}

void WritePrintFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    // The stickers carry names and addresses: readable by the owner only,
    // also when an earlier print file was left readable by others.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        fail(path, file.errorString());
    MakePrivate(path);
    if (file.write(bytes) != bytes.size() || !file.flush()) fail(path, file.errorString());
    file.close();
    if (file.error() != QFileDevice::NoError) fail(path, file.errorString());
}
