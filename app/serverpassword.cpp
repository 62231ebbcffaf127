#include "app/serverpassword.h"

#include <QCoreApplication>
#include <QInputDialog>
#include <QLineEdit>

namespace {
std::function<bool(const QString&, QString&)>& scripted() {
    static std::function<bool(const QString&, QString&)> answer;
    return answer;
}
} // namespace

void SetServerPasswordAnswerForTesting(
    std::function<bool(const QString& prompt, QString& password)> answer) {
    scripted() = std::move(answer);
}

bool AskServerPassword(QWidget* parent, const QString& where, QString& password,
                       const QString& why) {
    const QString prompt =
        (why.isEmpty() ? QString() : why + QStringLiteral("\n\n")) +
        QCoreApplication::translate("ServerPassword", "Password for the address book on the\n%1:")
            .arg(where);
    if (scripted()) return scripted()(prompt, password);
    bool ok = false;
    const QString typed = QInputDialog::getText(parent, QStringLiteral("ORVANE ADDRESS BOOK"),
                                                prompt, QLineEdit::Password, QString(), &ok);
    if (!ok) return false;
    password = typed;
    return true;
}
