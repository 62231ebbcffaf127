#pragma once
// The contacts server's settings: the server and the user, the address book
// on it that the book is kept in step with, the groups that take part and
// when the sync runs by itself.

#include "data/syncstore.h"
#include "platform/form.h"

#include <QList>
#include <optional>

class ListView;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
struct AddressBookInfo;

class FrmContactsServer : public Form {
    Q_OBJECT
  public:
    explicit FrmContactsServer(QWidget* parent = nullptr);
    void Form_Load() override;

    QLineEdit* TxtServer = nullptr;
    QLineEdit* TxtUser = nullptr;
    QLineEdit* TxtPassword = nullptr;
    QPushButton* CmdFind = nullptr;
    QLabel* LblFind = nullptr;
    ListView* LstvewBooks = nullptr;
    QCheckBox* ChkAllGrups = nullptr;
    ListView* LstvewGrup = nullptr;
    QComboBox* CmbxNewGrup = nullptr;
    QCheckBox* ChkAtStart = nullptr;
    QSpinBox* SpnEvery = nullptr;
    QPushButton* CmdSave = nullptr;
    QPushButton* CmdClos = nullptr;

    // Whether a search for address books is running.
    bool Finding() const { return finding_; }

    void CmdFind_Click();
    void CmdSave_Click();

  signals:
    // The settings were stored: the main window sets its timer anew.
    void Saved(const SyncSettings& settings);

  private:
    void ShowSettings(const SyncSettings& s);
    SyncSettings Entered(SyncSettings s) const;
    void FillGroups();
    void ChkAllGrups_Click();
    void ShowBooks(const QList<AddressBookInfo>& books, const QString& chosenUrl);
    void FindEnded(const QList<AddressBookInfo>& books, const QString& error, const QString& sha256,
                   const QString& subject);
    std::optional<QString> PasswordToUse();

    SyncSettings loaded_;
    QString pinned_; // the certificate fingerprint the user trusted
    QList<int> groupIds_;
    QStringList bookUrls_;
    bool finding_ = false;
};
