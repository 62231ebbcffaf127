// The child process of the crash and write-fault tests. It opens the
// address book of a folder and works the real windows headless, writing
// one line to standard output for each step, unbuffered, so a parent that
// kills it still reads every line written before the kill.
//
//   adrsbook-savechild saves <folder> <first party number> <seed>
//     Saves new parties and changes of earlier ones through the address
//     master until it is killed. Each party's notes say which groups it was
//     saved with ("GROUPS 3,8 V2": group ids and the change count).
//     Lines: "READY", "TRY <name> <groups> <version>" before Save is
//     pressed, "ASK" when the save is confirmed (its transaction follows),
//     "DONE" when the window reports the save.
//
//   adrsbook-savechild race <folder> <tag> <count> <seed>
//     Saves new cities, groups and parties in turn (see RunRace) while
//     another process does the same on the book.
//
//   adrsbook-savechild start <folder>
//     Starts the program on the book as a person does (see RunStart).
//     ADRSBOOK_START_ANSWER=yes|no answers a Yes/No/Cancel box (else
//     Cancel), ADRSBOOK_START_YESNO=no a Yes/No one (else Yes), and
//     ADRSBOOK_START_RESTORE=<file> is chosen in a Restore dialog.
//
//   adrsbook-savechild faults <folder> <fault> <backup target> <restore source> [actions]
//     <fault> is "readonly" (run as the user nobody when started as root,
//     since root writes through any file mode) or "fsize=<bytes>" (files may
//     not grow beyond that size: the disk is full). Then saves, changes and
//     deletes in the city, group and address masters, a backup, two prints
//     and a restore, or only the actions named (a comma-separated list).
//     Lines: "ACTION <name>", one "BOX <name>\t<icon>\t<prompt>"
//     per message box, "OPEN <name>" when a transaction was left open,
//     "END" when all ran. ADRSBOOK_KILL_AT=<step> stops it dead at that
//     step of a backup or a restore (see Backup::SetStepHook).
//
//   adrsbook-savechild desk <folder> <desk> <operations> <seed>
//     One desk of several sharing a database server: saves new parties,
//     changes and deletes its own, saves and deletes groups of its own, at
//     random, through the address and group masters. Lines: "SAVED <name>
//     <groups> <version>", "DELETED <name>", "GROUP <name>", "UNGROUP
//     <name>", "FAILED <prompt>" for any other box, then "FINISHED". When the
//     file "search-now" appears in the folder it lists every party through
//     the search engine: "SAW <count>", then "END".

#include "address/frmadrsmstr1.h"
#include "app/frmmainmdi.h"
#include "data/backup.h"
#include "data/checkchild.h"
#include "data/connmodule.h"
#include "data/recordset.h"
#include "masters/frmcsc.h"
#include "masters/frmgrupmstr.h"
#include "platform/apppath.h"
#include "platform/filedialogs.h"
#include "platform/listview.h"
#include "platform/msgbox.h"
#include "platform/shell.h"
#include "printing/frmprntrpt.h"
#include "search/frmsrchengn.h"
#include "support/fixture.h"
#include "support/scripted.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTest>

#include <csignal>
#include <grp.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

void Say(const QString& line) {
    const QByteArray bytes = line.toUtf8() + '\n';
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::write(STDOUT_FILENO, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0) return;
        done += n;
    }
}

[[noreturn]] void Fail(const QString& why) {
    Say(QStringLiteral("ERROR ") + why);
    ::_exit(3);
}

void Click(QWidget* control) {
    QTest::mouseClick(control, Qt::LeftButton);
    Settle();
}

// Opens the focused city combo's list and chooses the entry with that text,
// as the mouse or the keyboard would.
void PickCity(QComboBox* combo, const QString& city) {
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    if (!QTest::qWaitFor([&] { return view->isVisible(); }, 2000))
        Fail(QStringLiteral("no city list"));
    const int index = combo->findText(city);
    if (index < 0) Fail(QStringLiteral("no city ") + city);
    view->setCurrentIndex(view->model()->index(index, 0));
    QTest::keyClick(view, Qt::Key_Return);
    Settle();
    QApplication::setActiveWindow(combo->window());
    if (!QTest::qWaitForWindowActive(combo->window()))
        Fail(QStringLiteral("the window did not come back"));
}

// Brings the rows of the group checklist to the wanted ticks with the
// keyboard: Home, then Space on each row to change and Down to the next.
void TickGroups(ListView* list, const QSet<QString>& wanted) {
    list->Flush();
    QTest::keyClick(list, Qt::Key_Home);
    for (int i = 1; i <= list->Count(); ++i) {
        const ListItem row = list->Item(i);
        if (row.Checked() != wanted.contains(row.SubItem(1))) QTest::keyClick(list, Qt::Key_Space);
        QTest::keyClick(list, Qt::Key_Down);
    }
}

// Double-clicks the list row with that text, as a person picks a row.
void DoubleClickRow(ListView* list, const QString& text) {
    list->Flush();
    for (int i = 1; i <= list->Count(); ++i) {
        if (list->Item(i).Text() != text) continue;
        const QPoint at = list->visualRect(list->model()->index(i - 1, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        Settle();
        return;
    }
    Say(QStringLiteral("NOROW ") + text);
}

// New, then a party's name, contact, address, groups and city typed and
// picked through the Enter chain; the focus ends after the city.
void EnterParty(FrmAdrsMstr1& form, const QString& name, const QSet<QString>& wanted,
                const QString& city) {
    Click(form.CmdSave); // New
    TypeText(name);
    PressEnter();
    TypeText(QStringLiteral("contact"));
    PressEnter();
    TypeText(QStringLiteral("1 main road"));
    PressEnter();
    PressEnter();
    PressEnter(); // on to the group checklist, filled as it takes the focus
    TickGroups(form.LstvewGrup1, wanted);
    PressEnter();
    PickCity(form.CmbxCty, city);
    PressEnter();
}

QString GroupsText(QStringList ids) {
    std::sort(ids.begin(), ids.end(),
              [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
    return ids.join(u',');
}

// ---- saves ------------------------------------------------------------------

class SaveBoxes : public MsgBoxResponder {
  public:
    int Respond(const MsgBoxCall& call) override {
        if (call.prompt == QLatin1String("Are you Sure to save this Record")) {
            Say(QStringLiteral("ASK"));
            return vbYes;
        }
        if (call.prompt == QLatin1String("Record has been Saved") ||
            call.prompt == QLatin1String("Record has been updated")) {
            Say(QStringLiteral("DONE"));
            return vbOK;
        }
        Fail(QStringLiteral("unexpected box: ") + call.prompt);
    }
};

int RunSaves(int first, quint32 seed) {
    QRandomGenerator random(seed);
    SaveBoxes boxes;
    SetMsgBoxResponder(&boxes);
    FrmAdrsMstr1 form;
    form.Form_Load();
    ShowAndActivate(&form);
    Say(QStringLiteral("READY"));

    QStringList cities;
    QStringList groups;
    {
        Recordset rs;
        rs.Open(QStringLiteral("Select ctyname from cscmstr"), Conn);
        for (; !rs.Eof(); rs.MoveNext())
            cities << rs.Fields(0).Str();
        rs.Close();
        rs.Open(QStringLiteral("Select grpid from adrsgrupmstr"), Conn);
        for (; !rs.Eof(); rs.MoveNext())
            groups << rs.Fields(0).Str();
    }
    QHash<QString, int> versions; // the parties saved so far and their change counts
    QStringList names;
    {
        Recordset rs;
        rs.Open(QStringLiteral("Select adrsname, adrsnotes from adrsmstr"), Conn);
        for (; !rs.Eof(); rs.MoveNext()) {
            names << rs.Fields(0).Str();
            versions.insert(names.last(), rs.Fields(1).Str().section(u'V', -1).toInt());
        }
    }
    auto pickGroups = [&] {
        QStringList chosen;
        while (chosen.isEmpty())
            for (const QString& g : groups)
                if (random.bounded(3) == 0) chosen << g;
        return chosen;
    };

    for (int next = first;; ++next) {
        const QStringList chosen = pickGroups();
        const QSet<QString> wanted(chosen.cbegin(), chosen.cend());
        if (!names.isEmpty() && random.bounded(3) == 0) {
            // A change: load an earlier party, give it other groups.
            const QString name = names.at(random.bounded(int(names.size())));
            Click(form.CmdEdt);
            TypeText(name);
            PressEnter();
            form.Lstvewadrs->Flush();
            PressEnter();
            Settle();
            if (form.Txtname->text() != name) Fail(QStringLiteral("could not load ") + name);
            TickGroups(form.LstvewGrup1, wanted);
            const int version = versions.value(name) + 1;
            form.Txtnote->setPlainText(
                QStringLiteral("GROUPS %1 V%2").arg(GroupsText(chosen)).arg(version));
            Say(QStringLiteral("TRY %1 %2 %3").arg(name, GroupsText(chosen)).arg(version));
            Click(form.CmdSave);
            versions.insert(name, version);
        } else {
            const QString name = QStringLiteral("P%1").arg(next, 6, 10, QLatin1Char('0'));
            EnterParty(form, name, wanted, cities.at(random.bounded(int(cities.size()))));
            TypeText(QStringLiteral("0161"));
            PressEnter();
            form.Txtnote->setPlainText(QStringLiteral("GROUPS %1 V0").arg(GroupsText(chosen)));
            Say(QStringLiteral("TRY %1 %2 0").arg(name, GroupsText(chosen)));
            Click(form.CmdSave);
            versions.insert(name, 0);
            names << name;
        }
        if (form.CmdSave->text() != QLatin1String("&New"))
            Fail(QStringLiteral("the save did not finish"));
    }
}

// ---- race -------------------------------------------------------------------

// Another copy of the program (or any other writer) works on the same book
// meanwhile: every confirmed save must be reported saved.
class RaceBoxes : public MsgBoxResponder {
  public:
    int Respond(const MsgBoxCall& call) override {
        if (call.prompt == QLatin1String("Are you Sure to save this Record")) return vbYes;
        if (call.prompt == QLatin1String("Record has been Saved")) {
            ++saved;
            return vbOK;
        }
        Fail(QStringLiteral("unexpected box: ") + QString(call.prompt).replace(u'\n', u' '));
    }
    int saved = 0;
};

// Saves `count` new records in turn through the city, group and address
// masters (after the first thirty groups, a city in place of each group),
// each named "<tag><kind><n>". A party's notes name the groups it
// was saved with ("GROUPS 3,8"). Lines: "SAVED <name>" per reported save,
// "END <saves> <lists read again>" at the end.
int RunRace(const QString& tag, int count, quint32 seed) {
    QRandomGenerator random(seed);
    int busyRetries = 0;
    RaceBoxes boxes;
    SetMsgBoxResponder(&boxes);
    FrmCsC city;
    FrmGrupMstr group;
    FrmAdrsMstr1 party;
    for (Form* f :
         {static_cast<Form*>(&city), static_cast<Form*>(&group), static_cast<Form*>(&party)})
        f->Form_Load();
    Say(QStringLiteral("READY"));
    auto saved = [&](const QString& name, int before) {
        if (boxes.saved != before + 1) Fail(QStringLiteral("not saved: ") + name);
        Say(QStringLiteral("SAVED ") + name);
    };
    for (int n = 0; n < count; ++n) {
        const int before = boxes.saved;
        // Every party takes a link id for each group on the list, ticked or
        // not: the groups stop growing after a few dozen, so a long race
        // stays within the 32,767 link ids.
        const int kind = n % 3 == 1 && n >= 90 ? 0 : n % 3;
        switch (kind) {
        case 0: {
            const QString name = QStringLiteral("%1C%2").arg(tag).arg(n);
            ShowAndActivate(&city);
            Click(city.CmdSave); // New
            TypeText(name);
            PressEnter();
            TypeText(QStringLiteral("PUNJAB"));
            PressEnter();
            TypeText(QStringLiteral("INDIA"));
            PressEnter();
            Click(city.CmdSave);
            saved(name, before);
            break;
        }
        case 1: {
            const QString name = QStringLiteral("%1G%2").arg(tag).arg(n);
            ShowAndActivate(&group);
            Click(group.CmdSave); // New
            TypeText(name);
            Click(group.CmdSave);
            saved(name, before);
            break;
        }
        default: {
            const QString name = QStringLiteral("%1P%2").arg(tag).arg(n);
            ShowAndActivate(&party);
            Click(party.CmdSave); // New
            TypeText(name);
            PressEnter();
            PressEnter();
            TypeText(QStringLiteral("1 main road"));
            PressEnter();
            PressEnter();
            PressEnter(); // on to the group checklist, filled as it takes the focus
            party.LstvewGrup1->Flush();
            // A list read while the other writer commits may give up (the
            // window says so); a person goes back and into it again.
            for (int tries = 0; party.LstvewGrup1->Count() == 0 && tries < 50; ++tries) {
                ++busyRetries;
                party.Txtland->setFocus();
                Settle();
                PressEnter();
                party.LstvewGrup1->Flush();
            }
            QStringList all, chosen;
            for (int i = 1; i <= party.LstvewGrup1->Count(); ++i)
                all << party.LstvewGrup1->Item(i).SubItem(1);
            if (all.isEmpty()) Fail(QStringLiteral("no groups"));
            while (chosen.isEmpty())
                for (const QString& g : all)
                    if (random.bounded(4) == 0) chosen << g;
            TickGroups(party.LstvewGrup1, QSet<QString>(chosen.cbegin(), chosen.cend()));
            PressEnter(); // on to the city box, filled as it takes the focus
            for (int tries = 0; party.CmbxCty->count() == 0 && tries < 50; ++tries) {
                ++busyRetries;
                party.LstvewGrup1->setFocus();
                Settle();
                PressEnter();
            }
            const QString cityName =
                party.CmbxCty->itemText(random.bounded(qMax(1, party.CmbxCty->count())));
            PickCity(party.CmbxCty, cityName);
            for (int tries = 0; party.LblState->text().isEmpty() && tries < 50; ++tries) {
                ++busyRetries;
                PickCity(party.CmbxCty, cityName);
            }
            party.Txtnote->setPlainText(QStringLiteral("GROUPS ") + GroupsText(chosen));
            Click(party.CmdSave);
            // The check for a party of the same name reads before the
            // question; if it gave up on the other's commit, press again.
            for (int tries = 0; boxes.saved == before && tries < 50 &&
                                party.CmdSave->text() == QLatin1String("&Save");
                 ++tries) {
                ++busyRetries;
                Click(party.CmdSave);
            }
            saved(name, before);
        }
        }
    }
    Say(QStringLiteral("END %1 %2").arg(boxes.saved).arg(busyRetries));
    return 0;
}

// ---- start ------------------------------------------------------------------

// Starts the program as a person does. Lines: one "BOX <icon>\t<prompt>" per
// message box, then "UP" once the main window is open, or "REFUSED" when
// start-up ended the program. An open program ends normally when its
// standard input is closed.
int RunStart() {
    class StartBoxes : public MsgBoxResponder {
      public:
        int Respond(const MsgBoxCall& call) override {
            Say(QStringLiteral("BOX %1\t%2")
                    .arg(call.Icon())
                    .arg(QString(call.prompt).replace(u'\n', QLatin1String("\\n"))));
            if (call.YesNoCancel()) {
                const QByteArray answer = qgetenv("ADRSBOOK_START_ANSWER");
                return answer == "yes" ? vbYes : answer == "no" ? vbNo : vbCancel;
            }
            if (call.YesNo()) return qgetenv("ADRSBOOK_START_YESNO") == "no" ? vbNo : vbYes;
            return vbOK;
        }
    } boxes;
    SetMsgBoxResponder(&boxes);
    FileDialogs::Scripted dialogs;
    if (qEnvironmentVariableIsSet("ADRSBOOK_START_RESTORE"))
        dialogs.answers << qEnvironmentVariable("ADRSBOOK_START_RESTORE");
    {
        FrmMainMdi main;
        if (!main.MDIForm_Load()) {
            Say(QStringLiteral("REFUSED"));
            return 1;
        }
        main.show();
        Say(QStringLiteral("UP"));
        char byte;
        while (::read(STDIN_FILENO, &byte, 1) > 0) {
        }
    }
    Say(QStringLiteral("ENDED"));
    return 0;
}

// ---- faults -----------------------------------------------------------------

class FaultBoxes : public MsgBoxResponder {
  public:
    int Respond(const MsgBoxCall& call) override {
        QString prompt = call.prompt;
        prompt.replace(u'\n', QLatin1String("\\n")).replace(u'\t', u' ');
        Say(QStringLiteral("BOX %1\t%2\t%3").arg(action).arg(call.Icon()).arg(prompt));
        return call.YesNo() ? vbYes : vbOK;
    }
    QString action;
};

// The actions to run; all when empty.
QStringList Only;

// Runs one action of a person, with its boxes and what it left open reported.
template <class Steps> void Act(FaultBoxes& boxes, const QString& name, Steps&& steps) {
    if (!Only.isEmpty() && !Only.contains(name)) return;
    boxes.action = name;
    Say(QStringLiteral("ACTION ") + name);
    steps();
    Settle();
    if (Conn && Conn->InTransaction()) Say(QStringLiteral("OPEN ") + name);
    if (Conn2 && Conn2->InTransaction()) Say(QStringLiteral("OPEN ") + name);
}

template <class F> F* Open(FrmMainMdi& main, QAction* item) {
    item->trigger();
    Settle();
    F* form = main.Child<F>();
    if (!form) Fail(QStringLiteral("window did not open"));
    return form;
}

void DropToNobody() {
    if (::geteuid() != 0) return;
    if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
        Fail(QStringLiteral("could not become the user nobody"));
}

int RunFaults(const QString& fault, const QString& backupTarget, const QString& restoreSource) {
    // ADRSBOOK_KILL_AT=<step>: stopped dead at that step of a backup or restore.
    if (const QByteArray at = qgetenv("ADRSBOOK_KILL_AT"); !at.isEmpty())
        Backup::SetStepHook([at](const char* step) {
            if (at == step) ::raise(SIGKILL);
        });
    FaultBoxes boxes;
    SetMsgBoxResponder(&boxes);
    Shell::Recorder shell;
    FileDialogs::Scripted dialogs;

    FrmMainMdi main;
    boxes.action = QStringLiteral("start");
    if (!main.MDIForm_Load()) Fail(QStringLiteral("the address book did not open"));
    ShowAndActivate(&main);
    // The fault begins once the book is open, as when a disk fills while
    // the program runs.
    if (fault.startsWith(QLatin1String("fsize="))) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlim_t size = rlim_t(fault.mid(6).toLongLong());
        const rlimit limit{size, size};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) Fail(QStringLiteral("setrlimit failed"));
    }

    auto* city = Open<FrmCsC>(main, main.cty);
    Act(boxes, QStringLiteral("city-new"), [&] {
        Click(city->CmdSave);
        TypeText(QStringLiteral("NEWTOWN"));
        PressEnter();
        PressEnter();
        PressEnter();
        Click(city->CmdSave);
    });
    auto loadCity = [&] {
        Click(city->CmdEdt); // Cancel the entry
        if (city->CmdEdt->text() != QLatin1String("&Edit")) Click(city->CmdEdt);
        Click(city->CmdEdt); // the list
        DoubleClickRow(city->LstvewCsc, QStringLiteral("LUDHIANA"));
    };
    Act(boxes, QStringLiteral("city-change"), [&] {
        loadCity();
        city->txtcty->selectAll();
        TypeText(QStringLiteral("CHANGED"));
        Click(city->CmdSave);
    });
    Act(boxes, QStringLiteral("city-delete"), [&] {
        loadCity();
        Click(city->CmdDel);
    });
    city->Unload();

    auto* group = Open<FrmGrupMstr>(main, main.dash);
    Act(boxes, QStringLiteral("group-new"), [&] {
        Click(group->CmdSave);
        TypeText(QStringLiteral("NEWGROUP"));
        Click(group->CmdSave);
    });
    auto loadGroup = [&] {
        Click(group->CmdEdt);
        if (group->CmdEdt->text() != QLatin1String("&Edit")) Click(group->CmdEdt);
        Click(group->CmdEdt);
        DoubleClickRow(group->LstvewGrup, QStringLiteral("CUSTOMERS"));
    };
    Act(boxes, QStringLiteral("group-change"), [&] {
        loadGroup();
        group->txtGrup->selectAll();
        TypeText(QStringLiteral("CLIENTS"));
        Click(group->CmdSave);
    });
    Act(boxes, QStringLiteral("group-delete"), [&] {
        loadGroup();
        Click(group->CmdDel);
    });
    group->Unload();

    auto* party = Open<FrmAdrsMstr1>(main, main.adrs);
    Act(boxes, QStringLiteral("party-new"), [&] {
        Click(party->CmdSave);
        TypeText(QStringLiteral("NEW PARTY"));
        PressEnter();
        PressEnter();
        TypeText(QStringLiteral("1 main road"));
        PressEnter();
        PressEnter();
        PressEnter();
        TickGroups(party->LstvewGrup1, {QStringLiteral("1")});
        PressEnter();
        PickCity(party->CmbxCty, QStringLiteral("LUDHIANA"));
        Click(party->CmdSave);
    });
    auto loadParty = [&] {
        if (party->CmdEdt->text() == QLatin1String("&Cancel")) Click(party->CmdEdt);
        Click(party->CmdEdt);
        TypeText(QStringLiteral("ALPHA"));
        PressEnter();
        party->Lstvewadrs->Flush();
        PressEnter();
        Settle();
    };
    Act(boxes, QStringLiteral("party-change"), [&] {
        loadParty();
        party->Txtname->selectAll();
        TypeText(QStringLiteral("OMEGA TRADERS"));
        TickGroups(party->LstvewGrup1, {QStringLiteral("2")});
        Click(party->CmdSave);
    });
    Act(boxes, QStringLiteral("party-delete"), [&] {
        loadParty();
        Click(party->CmdDel);
    });
    party->Unload();

    Act(boxes, QStringLiteral("backup"), [&] {
        dialogs.answers << backupTarget;
        main.Bak->trigger();
    });

    auto* print = Open<FrmPrntrpt>(main, main.prnt);
    auto pickForPrint = [&] {
        Click(print->Txtsrch);
        TypeText(QStringLiteral("ALPHA"));
        PressEnter();
        PressEnter(); // loaded; on "Mark Attention !"
        Settle();
    };
    Act(boxes, QStringLiteral("print"), [&] {
        pickForPrint();
        Click(print->OptnStiker);
        Click(print->txtNoco);
        TypeText(QStringLiteral("2"));
        PressEnter();
        Click(print->CmdPrnt);
    });
    Act(boxes, QStringLiteral("print-contact"), [&] {
        pickForPrint();
        PressKey(Qt::Key_Space); // Mark Attention: the contact person box opens
        TypeText(QStringLiteral("NEW CONTACT"));
        PressEnter();
        Click(print->OptnStiker);
        Click(print->CmdPrnt);
    });
    print->Unload();
    Settle();
    if (!shell.started.isEmpty()) Say(QStringLiteral("STARTED print batch"));

    Act(boxes, QStringLiteral("restore"), [&] {
        dialogs.answers << restoreSource;
        main.Rtsr->trigger();
    });
    Say(QStringLiteral("END"));
    return 0;
}

// ---- several desks ------------------------------------------------------------

class DeskBoxes : public MsgBoxResponder {
  public:
    int Respond(const MsgBoxCall& call) override {
        if (call.YesNo()) return vbYes;
        const QString p = call.prompt;
        if (p == QLatin1String("Record has been Saved") ||
            p == QLatin1String("Record has been updated") ||
            p == QLatin1String("Record has been Deleted")) {
            done = true;
            return vbOK;
        }
        QString line = p;
        Say(QStringLiteral("FAILED ") + line.replace(u'\n', u' '));
        return vbOK;
    }
    bool done = false;
};

int RunDesk(int desk, int operations, quint32 seed) {
    QRandomGenerator random(seed);
    DeskBoxes boxes;
    SetMsgBoxResponder(&boxes);
    FrmMainMdi main;
    ShowAndActivate(&main);
    QStringList cities, baseGroups;
    {
        Recordset rs;
        rs.Open(QStringLiteral("Select ctyname from cscmstr"), Conn);
        for (; !rs.Eof(); rs.MoveNext())
            cities << rs.Fields(0).Str();
        rs.Close();
        // Parties join the groups the book began with, never a desk's own
        // (which its desk may delete, memberships and all).
        rs.Open(QStringLiteral("Select grpid from adrsgrupmstr where grpname not like 'D_G%'"),
                Conn);
        for (; !rs.Eof(); rs.MoveNext())
            baseGroups << rs.Fields(0).Str();
    }
    Say(QStringLiteral("READY"));
    QHash<QString, int> versions; // own parties and their change counts
    QStringList parties, groups;
    int made = 0;
    auto address = [&] {
        main.adrs->trigger();
        Settle();
        auto* form = main.Child<FrmAdrsMstr1>();
        QApplication::setActiveWindow(&main);
        return form;
    };
    for (int op = 0; op < operations; ++op) {
        boxes.done = false;
        const int roll = int(random.bounded(100));
        if (roll < 45 || parties.isEmpty()) {
            QStringList chosen;
            while (chosen.isEmpty())
                for (const QString& g : baseGroups)
                    if (random.bounded(3) == 0) chosen << g;
            const QString name =
                QStringLiteral("D%1P%2").arg(desk).arg(++made, 4, 10, QLatin1Char('0'));
            FrmAdrsMstr1* form = address();
            EnterParty(*form, name, QSet<QString>(chosen.cbegin(), chosen.cend()),
                       cities.at(int(random.bounded(int(cities.size())))));
            form->Txtnote->setPlainText(QStringLiteral("GROUPS %1 V0").arg(GroupsText(chosen)));
            Click(form->CmdSave);
            if (boxes.done) {
                versions.insert(name, 0);
                parties << name;
                Say(QStringLiteral("SAVED %1 %2 0").arg(name, GroupsText(chosen)));
            }
            form->Unload();
        } else if (roll < 80) {
            const QString name = parties.at(int(random.bounded(int(parties.size()))));
            FrmAdrsMstr1* form = address();
            Click(form->CmdEdt);
            TypeText(name);
            PressEnter();
            form->Lstvewadrs->Flush();
            PressEnter();
            Settle();
            if (form->Txtname->text() != name) Fail(QStringLiteral("could not load ") + name);
            if (roll < 70) {
                QStringList chosen;
                while (chosen.isEmpty())
                    for (const QString& g : baseGroups)
                        if (random.bounded(3) == 0) chosen << g;
                TickGroups(form->LstvewGrup1, QSet<QString>(chosen.cbegin(), chosen.cend()));
                const int version = versions.value(name) + 1;
                form->Txtnote->setPlainText(
                    QStringLiteral("GROUPS %1 V%2").arg(GroupsText(chosen)).arg(version));
                Click(form->CmdSave);
                if (boxes.done) {
                    versions.insert(name, version);
                    Say(QStringLiteral("SAVED %1 %2 %3")
                            .arg(name, GroupsText(chosen))
                            .arg(version));
                }
            } else {
                Click(form->CmdDel);
                if (boxes.done) {
                    parties.removeAll(name);
                    Say(QStringLiteral("DELETED ") + name);
                }
            }
            form->Unload();
        } else if (roll < 92 || groups.isEmpty()) {
            const QString name =
                QStringLiteral("D%1G%2").arg(desk).arg(++made, 4, 10, QLatin1Char('0'));
            main.dash->trigger();
            Settle();
            auto* form = main.Child<FrmGrupMstr>();
            Click(form->CmdSave); // New
            TypeText(name);
            PressEnter();
            PressEnter(); // Save
            Settle();
            if (boxes.done) {
                groups << name;
                Say(QStringLiteral("GROUP ") + name);
            }
            form->Unload();
        } else {
            const QString name = groups.at(int(random.bounded(int(groups.size()))));
            main.dash->trigger();
            Settle();
            auto* form = main.Child<FrmGrupMstr>();
            Click(form->CmdEdt);
            DoubleClickRow(form->LstvewGrup, name);
            Click(form->CmdDel);
            if (boxes.done) {
                groups.removeAll(name);
                Say(QStringLiteral("UNGROUP ") + name);
            }
            form->Unload();
        }
        Settle();
    }
    Say(QStringLiteral("FINISHED"));
    if (!QTest::qWaitFor(
            [] { return QFile::exists(QDir(AppPath()).filePath(QStringLiteral("search-now"))); },
            300000))
        Fail(QStringLiteral("never told to search"));
    main.srchengn->trigger();
    Settle();
    auto* search = main.Child<FrmSrchEngn>();
    QApplication::setActiveWindow(&main);
    const auto retype = [](const QString& text) {
        if (QWidget* w = Focused()) QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
        PressKey(Qt::Key_Delete);
        TypeText(text);
    };
    QTest::mouseClick(search->CmbxGrup1->lineEdit(), Qt::LeftButton);
    retype(QString());
    PressEnter(); // "Select All Group", ticked with the space bar
    if (!search->ChkAll->isChecked()) PressKey(Qt::Key_Space);
    PressEnter(); // filter box
    retype(QStringLiteral("Name Wise"));
    PressEnter(); // value box
    TypeText(QStringLiteral("D"));
    Settle();
    search->LstvewSrch->Flush();
    QStringList seen;
    for (int i = 1; i <= search->LstvewSrch->Count(); ++i)
        seen << search->LstvewSrch->Item(i).Text();
    Say(QStringLiteral("SAW %1 %2").arg(seen.size()).arg(seen.join(u',')));
    Say(QStringLiteral("END"));
    return 0;
}
} // namespace

int main(int argc, char* argv[]) {
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (mode == QLatin1String("faults") && argc > 3 && qstrcmp(argv[3], "readonly") == 0)
        DropToNobody();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ORVANE ADDRESS BOOK"));
    CheckChild::SetProgram(QStringLiteral(ADRSBOOK_PROGRAM));
    const QStringList args = QApplication::arguments();
    if (mode == QLatin1String("start") && args.size() >= 3) {
        SetAppPathForTesting(args.at(2));
        return RunStart();
    }
    if (args.size() < 5) Fail(QStringLiteral("usage: saves|race|start|faults <folder> ..."));
    SetAppPathForTesting(args.at(2));
    try {
        if (mode == QLatin1String("race") && args.size() >= 6) {
            OpenConn();
            OpenConn2();
            AppTitle = QStringLiteral("NAME OF THE USER COMPANY");
            return RunRace(args.at(3), args.at(4).toInt(), args.at(5).toUInt());
        }
        if (mode == QLatin1String("saves")) {
            OpenConn();
            OpenConn2();
            AppTitle = QStringLiteral("NAME OF THE USER COMPANY");
            return RunSaves(args.at(3).toInt(), args.at(4).toUInt());
        }
        if (mode == QLatin1String("desk") && args.size() >= 6) {
            OpenConn();
            OpenConn2();
            AppTitle = QStringLiteral("NAME OF THE USER COMPANY");
            return RunDesk(args.at(3).toInt(), args.at(4).toInt(), args.at(5).toUInt());
        }
        if (mode == QLatin1String("faults") && args.size() >= 6) {
            if (args.size() > 6) Only = args.at(6).split(u',');
            return RunFaults(args.at(3), args.at(4), args.at(5));
        }
    } catch (const std::exception& e) {
        Fail(QString::fromUtf8(e.what()));
    }
    Fail(QStringLiteral("unknown mode ") + mode);
}
