#pragma once
// Shared by the printing tests: parties seeded with SQL, and the printing
// form driven as a person uses it.

#include "app/frmmainmdi.h"
#include "data/sqltext.h"
#include "data/statementlog.h"
#include "platform/listview.h"
#include "platform/msgbox.h"
#include "printing/frmprntrpt.h"
#include "printing/printfile.h"
#include "support/fixture.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

inline QString SqlValue(const QVariant& v) {
    return v.isNull() ? QStringLiteral("NULL")
                      : QStringLiteral("'") + Quote(v.toString()) + QStringLiteral("'");
}

inline void SeedCity(const TestBook& book, int id, const QVariant& city, const QVariant& state,
                     const QVariant& country, int delstatus = 0) {
    book.Exec(
        QStringLiteral("insert into cscmstr (ctyid, ctyname, statename, contryname, delstatus) "
                       "values (%1, %2, %3, %4, %5)")
            .arg(id)
            .arg(SqlValue(city), SqlValue(state), SqlValue(country))
            .arg(delstatus));
}

// A party with every field filled; tests blank out what they need.
struct Party {
    int id = 1;
    QVariant name = QStringLiteral("Acme Traders");
    QVariant contact = QStringLiteral("Ravi Kumar");
    QVariant adrs1 = QStringLiteral("12 Main road");
    QVariant adrs2 = QStringLiteral("Park area");
    QVariant adrs3 = QStringLiteral("near Temple");
    QVariant ctyid = 1;
    QVariant phone = QStringLiteral(" 022-2345 ");
    QVariant mobile = QStringLiteral("98200 12345");
    int delstatus = 0;
};

inline void SeedParty(const TestBook& book, const Party& p) {
    book.Exec(
        QStringLiteral("insert into adrsmstr (adrsid, adrsname, adrscontact, adrs1, adrs2, adrs3, "
                       "adrsctyid, adrsphno, adrsmobno, adrsdelstatus) values "
                       "(%1, %2, %3, %4, %5, %6, %7, %8, %9, %10)")
            .arg(p.id)
            .arg(SqlValue(p.name), SqlValue(p.contact), SqlValue(p.adrs1), SqlValue(p.adrs2),
                 SqlValue(p.adrs3), p.ctyid.isNull() ? QStringLiteral("NULL") : p.ctyid.toString(),
                 SqlValue(p.phone), SqlValue(p.mobile))
            .arg(p.delstatus));
}

// The print file's expected bytes: each line followed by CR LF.
inline QByteArray Lines(const QStringList& lines) {
    return EncodeLines(lines, CodePage::Latin1);
}

inline QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

inline void Click(QWidget* w) {
    QTest::mouseClick(w, Qt::LeftButton);
    Settle();
}

// The printing form on its own window, opened as the menu opens it. Its
// message boxes are scripted and its statement texts collected in `log`.
class PrintDesk {
  public:
    PrintDesk() {
        StatementLog::Watch(&log);
        form = new FrmPrntrpt;
        form->Form_Load();
        ShowAndActivate(form);
        Settle();
    }
    ~PrintDesk() {
        delete form;
        StatementLog::Watch(nullptr);
    }
    PrintDesk(const PrintDesk&) = delete;
    PrintDesk& operator=(const PrintDesk&) = delete;

    // Finds the party by name in the search box and loads it with Enter.
    void Pick(const QString& name) {
        Click(form->Txtsrch);
        TypeText(name);
        PressEnter(); // to the list
        PressEnter(); // loads the selected party; the focus lands on "Mark Attention !"
        Settle();
    }
    void MarkAttention() { // the focus is on the check box after loading
        PressKey(Qt::Key_Space);
        Settle();
    }
    void Sticker() { Click(form->OptnStiker); }
    void Envelope() { Click(form->OpntEnvelop); }
    void Copies(const QString& digits) {
        Click(form->txtNoco);
        TypeText(digits);
        PressEnter();
    }
    void Print() { Click(form->CmdPrnt); }
    QStringList ListedNames() {
        QStringList names;
        for (int i = 1; i <= form->LstvewPrnt->Count(); ++i)
            names.append(form->LstvewPrnt->Item(i).Text());
        return names;
    }

    ScriptedMsgBoxes boxes;
    QStringList log;
    FrmPrntrpt* form = nullptr;
};

// The printing form opened from the main window's menu, with the party
// found by `search` loaded; nullptr when the main window could not load.
inline FrmPrntrpt* OpenWithParty(FrmMainMdi& main, const QString& search) {
    if (!main.MDIForm_Load()) return nullptr;
    ShowAndActivate(&main);
    main.prnt->trigger();
    Settle();
    auto* form = main.Child<FrmPrntrpt>();
    Click(form->Txtsrch);
    TypeText(search);
    PressEnter(); // to the list
    PressEnter(); // loads the selected party
    Settle();
    return form;
}
