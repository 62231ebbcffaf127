#pragma once
// The printing form: pick one party and print address stickers or an
// envelope for it.

#include "data/ids.h"
#include "data/recordset.h"
#include "party/addressblock.h"
#include "platform/busynotice.h"
#include "platform/form.h"

#include <QColor>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class ListView;

class FrmPrntrpt : public Form {
    Q_OBJECT
  public:
    explicit FrmPrntrpt(QWidget* parent = nullptr);
    void Form_Load() override;

    // Search and party list.
    QLabel* Label12 = nullptr;
    QLineEdit* Txtsrch = nullptr;
    ListView* LstvewPrnt = nullptr;

    // The chosen party, shown and never typed into.
    QGroupBox* FrmPrnt1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* TxtName = nullptr;
    QLabel* TxtCntact = nullptr;
    QLabel* TxtAdrs = nullptr;
    QLabel* TxtArea = nullptr;
    QLabel* TxtLand = nullptr;
    QLabel* MskedtPhno = nullptr;
    QLabel* MskedtMobno = nullptr;
    QLabel* LblCty = nullptr;
    QLabel* LblState = nullptr;
    QLabel* LblContry = nullptr;

    // The print choices.
    QGroupBox* FrmPrnt = nullptr;
    QCheckBox* ChkAttn = nullptr;
    QLabel* lblcntact = nullptr;
    QLineEdit* TxtCntact1 = nullptr;
    QRadioButton* OptnStiker = nullptr;
    QRadioButton* OpntEnvelop = nullptr;
    QLabel* Label13 = nullptr;
    QLineEdit* txtNoco = nullptr;
    QPushButton* CmdPrnt = nullptr;
    QPushButton* CmdSheet = nullptr; // labels on a sheet or envelopes, in the label window

    Integer AdrsId = 0;
    QString OrigContact;
    bool MarkAttn = false;
    bool StickerMode = false;
    Integer Copies = 0;

    void Txtsrch_Change();
    void Txtsrch_GotFocus();
    void Txtsrch_KeyPress(int& KeyAscii);
    void LstvewPrnt_Click();
    void LstvewPrnt_DblClick();
    void LstvewPrnt_KeyPress(int& KeyAscii);
    void ChkAttn_Click();
    void ChkAttn_GotFocus();
    void ChkAttn_KeyPress(int& KeyAscii);
    void ChkAttn_LostFocus();
    void TxtCntact1_Change();
    void TxtCntact1_GotFocus();
    void TxtCntact1_KeyPress(int& KeyAscii);
    void OptnStiker_Click();
    void OptnStiker_KeyPress(int& KeyAscii);
    void OpntEnvelop_Click();
    void OpntEnvelop_KeyPress(int& KeyAscii);
    void txtNoco_GotFocus();
    void txtNoco_KeyPress(int& KeyAscii);
    void txtNoco_LostFocus();
    void CmdPrnt_Click();
    void CmdSheet_Click();

  signals:
    // Parties to print on a sheet of labels or on envelopes, with the copies
    // of each, the attention line preset and whose labels they are: the
    // main window hands them to the label window.
    void LabelsWanted(const QList<AddressBlock>& parties, int copies, bool attention,
                      const QString& summary);

  private:
    void CreateControls();
    void CreatePartyFrame();
    void CreatePrintFrame();
    void WireEvents();

    void FillAllParties();
    void FillPartyList();
    void FillListFromRs(const BusyRerun& again);
    void SetChkAttnBackColor(const QColor& color);

    void PrintStickers();
    void PrintEnvelope();
    void SaveContactPerson();
    bool ReadPartyForPrint(AddressBlock& party, bool withContact);
    bool WritePrint(const QByteArray& bytes);
    bool StartPrintBatch(const QString& what, const QString& note);
    static QString UnprintableNote(const QStringList& lines);

    Recordset Rs;
    Recordset RsPrint;
    QColor ChkAttnUsualColor;
    int PrintRun = 0; // counts the prints, so a batch ending late tells only its own
};
