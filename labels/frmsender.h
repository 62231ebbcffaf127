#pragma once
// The sender's address printed on envelopes: the user company's name and
// address, entered once and kept with the program's settings.

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;

class FrmSender : public QDialog {
    Q_OBJECT
  public:
    explicit FrmSender(QWidget* parent = nullptr);

    QLineEdit* TxtCompany = nullptr;
    QPlainTextEdit* TxtSenderAddress = nullptr;

    void accept() override; // keeps what was typed
};
