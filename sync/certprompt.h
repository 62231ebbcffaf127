#pragma once
// Asking the user whether to trust a contacts server's certificate that the
// system does not: the fingerprint is shown for comparison with the one the
// server's keeper gives out.

#include <QString>

// "AB:CD:..." in groups of 16 bytes a line, from a hexadecimal SHA-256.
QString FingerprintText(const QString& sha256Hex);

// The Yes/No question; true when the user trusts the certificate.
bool ConfirmCertificate(const QString& sha256Hex, const QString& subject, const QString& title);
