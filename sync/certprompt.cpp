#include "sync/certprompt.h"

#include "platform/msgbox.h"

#include <QCoreApplication>
#include <QStringList>

QString FingerprintText(const QString& sha256Hex) {
    QString hex = sha256Hex;
    hex.remove(u':').remove(u' ');
    hex = hex.toUpper();
    QStringList lines, bytes;
    for (qsizetype at = 0; at + 1 < hex.size(); at += 2) {
        bytes.append(hex.mid(at, 2));
        if (bytes.size() == 16) {
            lines.append(bytes.join(u':'));
            bytes.clear();
        }
    }
    if (!bytes.isEmpty()) lines.append(bytes.join(u':'));
    return lines.join(u'\n');
}

bool ConfirmCertificate(const QString& sha256Hex, const QString& subject, const QString& title) {
    const QString prompt =
        QCoreApplication::translate(
            "ConfirmCertificate",
            "The contacts server's certificate is not one this computer trusts.\n\n"
            "Issued to: %1\nSHA-256 fingerprint:\n%2\n\n"
            "Compare it with the fingerprint the server's keeper gives you. Trust this "
            "certificate for this server from now on?")
            .arg(subject, FingerprintText(sha256Hex));
    return MsgBox(prompt, vbYesNo | vbQuestion, title) == vbYes;
}
