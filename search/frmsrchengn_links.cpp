// The e-mail address and the web site in the panel open in the desktop's
// mail program and browser.

#include "search/frmsrchengn.h"

#include "platform/msgbox.h"
#include "platform/shell.h"
#include "platform/vb.h"

#include <QLabel>

QString LinkTarget(const QString& prefix, const QString& value) {
    QStringList schemes{prefix};
    if (prefix.compare(QLatin1String("http://"), Qt::CaseInsensitive) == 0)
        schemes.append(QStringLiteral("https://"));
    for (const QString& scheme : schemes)
        if (value.startsWith(scheme, Qt::CaseInsensitive)) return value;
    return prefix + value;
}

void FrmSrchEngn::Label13_Click() {
    OpenLink(Label13, QStringLiteral("MAILTO:"));
}

void FrmSrchEngn::Label15_Click() {
    OpenLink(Label15, QStringLiteral("http://"));
}

void FrmSrchEngn::OpenLink(QLabel* link, const QString& prefix) {
    const QString value = Trim(link->text());
    if (value.isEmpty()) {
        MsgBox(tr("Invalid input"), vbCritical, Caption());
        return;
    }
    Shell::ShellExecuteOpen(LinkTarget(prefix, value));
}
