#include "app/serverpassword.h"

#include <QInputDialog>
#include <QLineEdit>

namespace {
std::function<bool(QString&)>& scripted() {
    static std::function<bool(QString&)> answer;
    return answer;
}
} // namespace

void SetServerPasswordAnswerForTesting(std::function<bool(QString&)> answer) {
    scripted() = std::move(answer);
}

bool AskServerPassword(QWidget* parent, const QString& where, QString& password) {
    if (scripted()) return scripted()(password);
    bool ok = false;
    const QString typed = QInputDialog::getText(
        parent, QStringLiteral("ORVANE ADDRESS BOOK"),
        QStringLiteral("Password for the address book on the\n%1:").arg(where), QLineEdit::Password,
        QString(), &ok);
    if (!ok) return false;
    password = typed;
    return true;
}
