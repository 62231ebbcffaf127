#pragma once
// The few string helpers of the old platform that the windows lean on.

#include <QString>

// Removes leading and trailing blanks (spaces only, as the old Trim did).
inline QString Trim(const QString& s) {
    qsizetype begin = 0, end = s.size();
    while (begin < end && s[begin] == u' ')
        ++begin;
    while (end > begin && s[end - 1] == u' ')
        --end;
    return s.mid(begin, end - begin);
}

// The same on UTF-8 text, as a view of it.
inline QUtf8StringView Trim(QUtf8StringView s) {
    qsizetype begin = 0, end = s.size();
    while (begin < end && s.data()[begin] == ' ')
        ++begin;
    while (end > begin && s.data()[end - 1] == ' ')
        --end;
    return s.sliced(begin, end - begin);
}

inline QString UCase(const QString& s) {
    return s.toUpper();
}

// A character code in upper case (a typed key replaced by its capital).
inline int UpperKey(int keyAscii) {
    const QString upper = QString(QChar(keyAscii)).toUpper();
    return upper.size() == 1 ? upper[0].unicode() : keyAscii;
}

constexpr int vbKeyReturn = 13;
constexpr int vbKeyBack = 8;
