#include "labels/frmsender.h"

#include "labels/labelsettings.h"
#include "platform/events.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {
constexpr int kAddressLines = 4;
}

FrmSender::FrmSender(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmSender"));
    setWindowTitle(tr("Sender's address"));
    TxtCompany = new QLineEdit(this);
    TxtCompany->setObjectName(QStringLiteral("TxtCompany"));
    TxtSenderAddress = new QPlainTextEdit(this);
    TxtSenderAddress->setObjectName(QStringLiteral("TxtSenderAddress"));
    TxtSenderAddress->setTabChangesFocus(true);
    TxtSenderAddress->setFixedHeight(
        TxtSenderAddress->fontMetrics().lineSpacing() * (kAddressLines + 1) + 12);

    const QStringList sender = LabelSettings::Sender();
    if (!sender.isEmpty()) {
        TxtCompany->setText(sender.first());
        TxtSenderAddress->setPlainText(sender.mid(1).join(u'\n'));
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    On::Signal(buttons, &QDialogButtonBox::accepted, [this] { accept(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout(this);
    auto* hint = new QLabel(tr("Printed in the top left corner of each envelope "
                               "when \"With the sender's address\" is ticked."),
                            this);
    hint->setWordWrap(true);
    form->addRow(hint);
    auto* companyCaption = new QLabel(tr("Company &name"), this);
    companyCaption->setBuddy(TxtCompany);
    form->addRow(companyCaption, TxtCompany);
    auto* addressCaption = new QLabel(tr("&Address"), this);
    addressCaption->setBuddy(TxtSenderAddress);
    form->addRow(addressCaption, TxtSenderAddress);
    form->addRow(buttons);
    resize(420, sizeHint().height());
}

void FrmSender::accept() {
    QStringList lines{TxtCompany->text().trimmed()};
    for (const QString& line : TxtSenderAddress->toPlainText().split(u'\n'))
        if (!line.trimmed().isEmpty()) lines.append(line.trimmed());
    LabelSettings::SetSender(lines.mid(0, 1 + kAddressLines));
    QDialog::accept();
}
