// The import and export windows and the duplicate warning of the address
// master, driven as a person uses them: the menu, the file dialog, the
// mapping, the choices, the progress and its Cancel button.

#include "address/addressdriver.h"
#include "app/frmmainmdi.h"
#include "importdriver.h"
#include "importexport/frmexport.h"
#include "importexport/frmimport.h"
#include "platform/filedialogs.h"
#include "platform/msgbox.h"
#include "search/frmsrchengn.h"
#include "search/searchdriver.h"
#include "support/smalldisk.h"
#include "support/temphome.h"
#include "support/testmain.h"

#include "party/vcard.h"
#include "support/scripted.h"

#include <QCheckBox>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpontaneKeyEvent>
#include <QTableWidget>
#include <QTimer>
#include <QWheelEvent>

namespace {

void ClickRow(ListView* list, int row) {
    list->Flush();
    const QModelIndex at = list->model()->index(row - 1, 0);
    list->scrollTo(at);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(at).center());
    Settle();
}

// A click on an option's own circle, as wide as its layout makes it.
void ClickOption(QRadioButton* option) {
    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(8, option->height() / 2));
}

QString Cell(ListView* list, int row, int column) {
    return column == 0 ? list->Item(row).Text() : list->Item(row).SubItem(column);
}

// The mouse wheel turned over a widget, delivered as the window system
// delivers it (to the widget under the pointer, on to its parents).
void TurnWheel(QWidget* over, int notches) {
    const QPointF at = QRectF(over->rect()).center();
    QWheelEvent wheel(at, over->mapToGlobal(at), QPoint(), QPoint(0, -120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&wheel);
    qApp->notify(over, &wheel);
    Settle();
}

// A file of `rows` parties, semicolons between the fields.
QByteArray ManyParties(int rows) {
    QByteArray csv = "Name;Address;City;Groups\n";
    for (int i = 0; i < rows; ++i)
        csv += "PARTY " + QByteArray::number(i) + ";ROAD;PUNE;NEW GROUP\n";
    return csv;
}

// Message boxes that also note what the window shows when each comes up.
struct WatchingBoxes : ScriptedMsgBoxes {
    std::function<void()> watch;
    int Respond(const MsgBoxCall& call) override {
        if (watch) watch();
        return ScriptedMsgBoxes::Respond(call);
    }
};

struct MainWindow {
    MainWindow() {
        main.MDIForm_Load();
        ShowAndActivate(&main);
    }
    FrmMainMdi main;
};

} // namespace

class ImportWindowTests : public QObject {
    Q_OBJECT
  private slots:
    void theMenuGroupHasKeysOfItsOwn() {
        TestBook book;
        MainWindow w;
        QStringList admin;
        for (QAction* a : w.main.admin->actions())
            admin << a->text();
        QCOMPARE(admin, (QStringList{"Backup", "Restore", "&Import / Export", "Contacts &server...",
                                     "S&ynchronize now"}));
        QCOMPARE(w.main.Expt->text(), QStringLiteral("E&xport Parties..."));
        QCOMPARE(w.main.Impt->text(), QStringLiteral("Imp&ort Parties..."));
    }

    void importWithAMappingChoicesAndGroups() {
        TestBook book;
        SeedBook(book); // the search tests' four parties
        MainWindow w;
        const QString path = WriteFile(book, "phone.csv",
                                       "Firm,Address,Town,Cell,Remarks\r\n"
                                       "Gamma Foods,1 Ring Road,mumbai,,fresh\r\n"
                                       "beta-stores,2 Hill Road,Pune,,\r\n"
                                       "Acme Traders,,NEW DELHI,,\r\n");
        FileDialogs::Scripted dialogs;
        ScriptedMsgBoxes boxes;
        dialogs.answers << path;
        w.main.Impt->trigger();
        Settle();
        FrmImport* form = w.main.Child<FrmImport>();
        QVERIFY(form);
        QCOMPARE(dialogs.asked, QStringList{"Import Parties"});
        QVERIFY(form->LblFormat->text().contains(QLatin1String("comma")));
        // "Firm" is no header the window knows: every record lacks a name.
        QCOMPARE(Cell(form->LstvewPrevw, 1, 1), QStringLiteral("invalid"));
        QCOMPARE(Cell(form->LstvewPrevw, 1, 3), QStringLiteral("no party name"));

        auto* firm = static_cast<QComboBox*>(form->TblMap->cellWidget(0, 2));
        QTest::mouseClick(firm, Qt::LeftButton);
        if (firm->view()->isVisible()) firm->hidePopup();
        QTest::keyClick(firm, Qt::Key_Down); // "(left out)" -> "Party Name"
        Settle();
        QCOMPARE(firm->currentText(), QStringLiteral("Party Name"));
        QCOMPARE(Cell(form->LstvewPrevw, 1, 1), QStringLiteral("new"));
        QCOMPARE(Cell(form->LstvewPrevw, 1, 4), QStringLiteral("GAMMA FOODS"));
        QCOMPARE(Cell(form->LstvewPrevw, 1, 9), QStringLiteral("MUMBAI"));
        QCOMPARE(Cell(form->LstvewPrevw, 2, 1), QStringLiteral("duplicate"));
        QVERIFY(Cell(form->LstvewPrevw, 2, 3).contains(QLatin1String("BETA STORES, MUMBAI")));
        QCOMPARE(Cell(form->LstvewPrevw, 2, 2), QStringLiteral("Skip"));
        QCOMPARE(Cell(form->LstvewPrevw, 3, 3), QStringLiteral("no address"));

        // The duplicate added anyway.
        ClickRow(form->LstvewPrevw, 2);
        QTest::keyClick(form->CmbxChoice, Qt::Key_Down);
        QTest::keyClick(form->CmbxChoice, Qt::Key_Down);
        QCOMPARE(Cell(form->LstvewPrevw, 2, 2), QStringLiteral("Add anyway"));

        // No group in the file and none ticked: refused with a message.
        Click(form->CmdImport);
        QVERIFY(boxes.Last().prompt.contains(QLatin1String("name no group")));
        QCOMPARE(book.Count("adrsmstr"), 4);
        ToggleRow(form->LstvewGrup, 2); // CUSTOMERS
        Click(form->CmdImport);
        QCOMPARE(boxes.calls[boxes.calls.size() - 2].prompt,
                 QStringLiteral("Add 2 parties and update 0 parties?"));
        QVERIFY(boxes.Last().prompt.startsWith(QLatin1String("Import finished: 2 parties added")));
        QCOMPARE(book.Rows("Select adrsname, ctyname from adrsmstr inner join cscmstr on "
                           "adrsctyid = ctyid where adrsid > 4 order by adrsid"),
                 (QList<QStringList>{{"GAMMA FOODS", "MUMBAI"}, {"BETA-STORES", "PUNE"}}));
        QCOMPARE(book.Value("Select count(*) from adrsgrpdtails where adrsgrupid = '3'").toInt(),
                 4);
        // Afterwards the same file is all duplicates: nothing more to add.
        QCOMPARE(Cell(form->LstvewPrevw, 1, 1), QStringLiteral("duplicate"));
        QCOMPARE(Cell(form->LstvewPrevw, 2, 1), QStringLiteral("duplicate"));
    }

    void cancelDuringTheImportLeavesTheBookAsItWas() {
        TestBook book;
        SeedBook(book);
        MainWindow w;
        FileDialogs::Scripted dialogs;
        WatchingBoxes boxes;
        dialogs.answers << WriteFile(book, "big.csv", ManyParties(3000));
        w.main.Impt->trigger();
        FrmImport* form = w.main.Child<FrmImport>();
        QString barAtTheOutcome;
        boxes.watch = [&] { barAtTheOutcome = form->PrgBar->text(); };
        QCOMPARE(form->CmbxDelim->currentText(), QStringLiteral("Semicolon"));
        int seen = -1;
        bool closeRefused = false;
        QTimer::singleShot(0, form, [&] {
            seen = form->PrgBar->value();
            QVERIFY(form->Importing());
            QTest::mouseClick(form->CmdClos, Qt::LeftButton); // waits: disabled
            form->Frame()->close();                           // refused while importing
            closeRefused = w.main.Child<FrmImport>() == form;
            QTest::mouseClick(form->CmdStop, Qt::LeftButton);
        });
        Click(form->CmdImport);
        QVERIFY(seen > 0 && seen < 3000);
        QVERIFY(closeRefused);
        QVERIFY(boxes.Last().prompt.contains(QLatin1String("cancelled")));
        QCOMPARE(barAtTheOutcome, QStringLiteral("0%")); // not left where it stopped
        QCOMPARE(book.Count("adrsmstr"), 4);
        QCOMPARE(book.Count("adrsgrupmstr"), 2);
        QCOMPARE(book.Count("cscmstr"), 2);
        QVERIFY(!form->Importing());
        QVERIFY(form->CmdClos->isEnabled());
    }

    // Reading a file shows how far it has come and can be cancelled: the
    // window is then as it was, its bar back at the start.
    void readingALargeFileShowsProgressAndCanBeCancelled() {
        TestBook book;
        SeedBook(book);
        MainWindow w;
        FileDialogs::Scripted dialogs;
        ScriptedMsgBoxes boxes;
        const QString big = WriteFile(book, "big.csv", ManyParties(3000));
        dialogs.answers << big;
        QString format;
        bool onlyCancel = false;
        QTimer::singleShot(0, this, [&] {
            FrmImport* form = w.main.Child<FrmImport>();
            format = form->PrgBar->format();
            onlyCancel = form->CmdStop->isEnabled() && !form->CmdBrowse->isEnabled() &&
                         !form->CmdClos->isEnabled();
            QTest::mouseClick(form->CmdStop, Qt::LeftButton);
        });
        w.main.Impt->trigger();
        FrmImport* form = w.main.Child<FrmImport>();
        QCOMPARE(format, QStringLiteral("Reading the file: %p%"));
        QVERIFY(onlyCancel);
        QCOMPARE(form->LblFile->text(), QStringLiteral("(none chosen)"));
        QCOMPARE(form->LstvewPrevw->Count(), 0);
        QVERIFY(form->LblCounts->text().contains(QLatin1String("cancelled")));
        QCOMPARE(form->PrgBar->text(), QStringLiteral("0%"));
        QVERIFY(form->CmdBrowse->isEnabled() && form->CmdClos->isEnabled());
        QVERIFY(!form->CmdStop->isEnabled() && !form->CmdImport->isEnabled());
        QVERIFY(boxes.calls.isEmpty());

        // Left alone, it reads the whole file.
        dialogs.answers << big;
        Click(form->CmdBrowse);
        QCOMPARE(form->LstvewPrevw->Count(), 3000);
        QCOMPARE(form->PrgBar->text(), QStringLiteral("0%"));
        QVERIFY(form->CmdImport->isEnabled());
    }

    // The wheel over the column mapping scrolls it; a choice changes by the
    // wheel only once the user has clicked into it.
    void theWheelOverTheMappingChangesNoChoiceUnlessClicked() {
        TestBook book;
        SeedBook(book);
        MainWindow w;
        const QByteArray header =
            "Party Name,Contact Person,Address,Area,Land Mark,City,State,Country,PIN Code,"
            "VAT/CST No.,Land Line,Mobile No.,Fax No.,E-Mail,Web Site,Notes,Groups,UID\r\n";
        FileDialogs::Scripted dialogs;
        ScriptedMsgBoxes boxes;
        dialogs.answers << WriteFile(book, "wide.csv",
                                     header + "Gamma,,1 Ring Road,Fort,,MUMBAI,,,,,,,,,,,,\r\n");
        w.main.Impt->trigger();
        FrmImport* form = w.main.Child<FrmImport>();
        QScrollBar* scroll = form->TblMap->verticalScrollBar();
        Settle();
        QVERIFY(scroll->maximum() > 0); // more columns than it shows
        auto* area = static_cast<QComboBox*>(form->TblMap->cellWidget(3, 2));
        QCOMPARE(area->currentText(), QStringLiteral("Area"));
        TurnWheel(area, 2);
        QCOMPARE(area->currentText(), QStringLiteral("Area"));
        QVERIFY(!area->hasFocus());
        QVERIFY(scroll->value() > 0);
        QCOMPARE(Cell(form->LstvewPrevw, 1, 7), QStringLiteral("FORT"));

        auto* city = static_cast<QComboBox*>(form->TblMap->cellWidget(5, 2));
        form->TblMap->scrollToItem(form->TblMap->item(5, 0));
        QTest::mouseClick(city, Qt::LeftButton);
        if (city->view()->isVisible()) city->hidePopup();
        QVERIFY(city->hasFocus());
        TurnWheel(city, 1);
        QCOMPARE(city->currentText(), QStringLiteral("State"));
    }

    // The file dialogs open in a folder that exists (home when there is no
    // Documents folder), then in the folder of the file last imported or
    // exported, while it exists.
    void fileDialogsStartInAnExistingFolderThenTheLastOne() {
        TestBook book;
        SeedBook(book);
        TempHome home;
        MainWindow w;
        FileDialogs::Scripted dialogs;
        ScriptedMsgBoxes boxes;
        w.main.Impt->trigger(); // cancelled
        w.main.Expt->trigger();
        FrmExport* exporter = w.main.Child<FrmExport>();
        FrmImport* importer = w.main.Child<FrmImport>();
        const auto startedIn = [&] {
            Click(importer->CmdBrowse);
            Click(exporter->CmdExport);
            const QString exportFolder = QFileInfo(dialogs.suggested.last()).absolutePath();
            return exportFolder == dialogs.folders.last() ? exportFolder : QStringLiteral("differ");
        };
        QCOMPARE(dialogs.folders.first(), home.dir.path()); // no Documents folder
        QCOMPARE(startedIn(), home.dir.path());
        QCOMPARE(QFileInfo(dialogs.suggested.last()).fileName(), QStringLiteral("parties.csv"));

        QTemporaryDir elsewhere;
        dialogs.answers << elsewhere.filePath(QStringLiteral("out.csv"));
        Click(exporter->CmdExport);
        QVERIFY(QFileInfo::exists(elsewhere.filePath(QStringLiteral("out.csv"))));
        QCOMPARE(startedIn(), elsewhere.path());
        QVERIFY(elsewhere.remove()); // gone since: home again
        QCOMPARE(startedIn(), home.dir.path());
    }

    void exportAGroupAndTheSearchResult() {
        TestBook book;
        SeedBook(book);
        MainWindow w;
        FileDialogs::Scripted dialogs;
        ScriptedMsgBoxes boxes;
        w.main.Expt->trigger();
        FrmExport* form = w.main.Child<FrmExport>();
        QVERIFY(form);
        ClickOption(form->OptnGroup);
        QTest::keyClick(form->CmbxGrup, Qt::Key_Down); // SUPPLIERS
        const QString groupFile = book.Path(QStringLiteral("suppliers.csv"));
        dialogs.answers << groupFile;
        Click(form->CmdExport);
        QVERIFY(dialogs.suggested.last().endsWith(QLatin1String("parties.csv")));
        QFile group(groupFile);
        QVERIFY(group.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(group.readAll());
        QVERIFY(text.contains(QLatin1String("DELTA CORP")) && text.contains(QLatin1String("ZETA")));
        QVERIFY(!text.contains(QLatin1String("ACME")));
        QCOMPARE(group.permissions() & 0x0077, QFileDevice::Permissions());
        QCOMPARE(form->PrgBar->value(), 2);

        // The Search Engine's result, as vCards.
        w.main.srchengn->trigger();
        FrmSrchEngn* search = w.main.Child<FrmSrchEngn>();
        ChooseGroupAndFilter(search, QStringLiteral("All"), QStringLiteral("Name Wise"));
        TypeText(QStringLiteral("ta"));
        Settle();
        QCOMPARE(Names(search->LstvewSrch), (QStringList{"BETA STORES", "DELTA CORP", "ZETA LTD"}));
        QCOMPARE(search->ResultPartyIds(), (QList<Integer>{2, 3, 4}));
        w.main.Expt->trigger();
        ClickOption(form->OptnResult);
        ClickOption(form->OptnVcf4);
        QVERIFY(form->OptnResult->isChecked() && form->OptnVcf4->isChecked());
        const QString cards = book.Path(QStringLiteral("result.vcf"));
        dialogs.answers << cards;
        Click(form->CmdExport);
        QCOMPARE(ReadVCards(QString::fromUtf8([&] {
                     QFile f(cards);
                     f.open(QIODevice::ReadOnly);
                     return f.readAll();
                 }()))
                     .cards.size(),
                 3);
        QVERIFY(boxes.Last().prompt.startsWith(QLatin1String("3 parties exported")));
    }

    // An export never goes over the book, and a disk too full for it is
    // said: the earlier file of that name stays as it was.
    void anExportIsNeverOverTheBookNorDoneWhenNotWritten() {
        TestBook book;
        SeedBook(book);
        const auto bytesOf = [](const QString& file) {
            QFile f(file);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        const QByteArray bookBytes = bytesOf(book.File());
        SmallDisk disk;
        MainWindow w;
        FileDialogs::Scripted dialogs;
        ScriptedMsgBoxes boxes;
        w.main.Expt->trigger();
        FrmExport* form = w.main.Child<FrmExport>();
        dialogs.answers << book.File();
        Click(form->CmdExport);
        QCOMPARE(boxes.Last().Icon(), int(vbCritical));
        QVERIFY2(boxes.Last().prompt.contains(QLatin1String("the address book itself")),
                 qPrintable(boxes.Last().prompt));
        QCOMPARE(bytesOf(book.File()), bookBytes);
        QCOMPARE(book.Count(QStringLiteral("adrsmstr")), 4);

        REQUIRE_SMALL_DISK(disk);
        const QString file = disk.File(QStringLiteral("parties.csv"));
        QFile earlier(file);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier");
        earlier.close();
        disk.Fill();
        dialogs.answers << file;
        Click(form->CmdExport);
        QCOMPARE(boxes.Last().Icon(), int(vbCritical));
        QVERIFY2(boxes.Last().prompt.contains(QLatin1String("No space left on device")),
                 qPrintable(boxes.Last().prompt));
        QVERIFY(form->LblStatus->text().isEmpty());
        QVERIFY(earlier.open(QIODevice::ReadOnly));
        QCOMPARE(earlier.readAll(), QByteArray("earlier"));
    }

    void savingAPartyLikeAnotherAsksFirst() {
        TestBook book;
        SeedBook(book);
        SeedGroup(book, 9, "OTHERS");
        book.Exec("update adrsmstr set adrs1 = 'ROAD'");
        ScriptedMsgBoxes boxes;
        FrmAdrsMstr1 form;
        OpenWindow(form);
        EnterNewParty(form, QStringLiteral("new party"), QStringLiteral("road"), {1},
                      QStringLiteral("MUMBAI"), QString(), QStringLiteral("+91 98200"));
        // "98200" has too few digits to count; the e-mail decides.
        form.Txtemail->setFocus();
        TypeText(QStringLiteral("BETA@Y.COM"));
        boxes.Answer(vbNo);
        Click(form.CmdSave);
        QCOMPARE(boxes.Prompts(),
                 QStringList{"A party with this e-mail address already exists: BETA STORES, "
                             "MUMBAI. Save anyway?"});
        QCOMPARE(form.Txtname->text(), QStringLiteral("NEW PARTY")); // still on screen
        QCOMPARE(form.CmdSave->text(), QStringLiteral("&Save"));
        QCOMPARE(book.Count("adrsmstr"), 4);
        Click(form.CmdSave); // Yes, then Yes to the save question
        QCOMPARE(book.Count("adrsmstr"), 5);
        QCOMPARE(boxes.Last().prompt, QStringLiteral("Record has been Saved"));

        // Changing a party compares it with the others only.
        boxes.calls.clear();
        LoadParty(form, QStringLiteral("ACME"));
        QCOMPARE(form.Txtname->text(), QStringLiteral("ACME TRADERS"));
        Click(form.CmdSave);
        QCOMPARE(boxes.Prompts(),
                 (QStringList{"Are you Sure to save this Record", "Record has been updated"}));
        // ... and a name like another's is asked about.
        boxes.calls.clear();
        LoadParty(form, QStringLiteral("ZETA"));
        form.Txtname->setFocus();
        QTest::keyClick(form.Txtname, Qt::Key_A, Qt::ControlModifier);
        TypeText(QStringLiteral("delta-corp."));
        boxes.Answer(vbNo);
        Click(form.CmdSave);
        QCOMPARE(boxes.Prompts(),
                 QStringList{"A party with this name already exists: DELTA CORP, MUMBAI. "
                             "Save anyway?"});
    }

    // Letters the file's encoding cannot read are said, with their rows;
    // the file is read again from its bytes in the encoding chosen, and
    // only then upper-cased.
    void unreadableLettersAreSaidAndTheFileReadAgainAsChosen() {
        TestBook book;
        SeedBook(book);
        MainWindow w;
        FileDialogs::Scripted dialogs;
        ScriptedMsgBoxes boxes;
        dialogs.answers << WriteFile(book, "latin.vcf",
                                     "BEGIN:VCARD\r\nVERSION:3.0\r\nFN;CHARSET=UTF-8:M\xFCller "
                                     "Stahl\r\nADR:;;Ring 1;K\xF6ln;;;\r\nEND:VCARD\r\n");
        w.main.Impt->trigger();
        FrmImport* form = w.main.Child<FrmImport>();
        QVERIFY(!form->LblEncoding->isHidden());
        QVERIFY2(form->LblEncoding->text().contains(QLatin1String("cannot read (line 1)")),
                 qPrintable(form->LblEncoding->text()));
        QVERIFY(Cell(form->LstvewPrevw, 1, 3).contains(QLatin1String("cannot read")));
        QTest::keyClick(form->CmbxEnc, Qt::Key_W);
        Settle();
        QCOMPARE(form->CmbxEnc->currentText(), QStringLiteral("Windows-1252"));
        QVERIFY(form->LblEncoding->isHidden());
        QCOMPARE(Cell(form->LstvewPrevw, 1, 4), QStringLiteral("MÜLLER STAHL"));
        QCOMPARE(Cell(form->LstvewPrevw, 1, 9), QStringLiteral("KÖLN"));
        QVERIFY(form->LblFormat->text().contains(QLatin1String("Windows-1252")));
    }
};

ADRSBOOK_TEST(ImportWindowTests)
#include "tst_importwindows.moc"
