// The Backup and Restore dialogs open in a folder that exists: Documents
// when there is one, else home; then the folder last used.

#include "app/frmmainmdi.h"
#include "platform/filedialogs.h"
#include "platform/msgbox.h"
#include "support/fixture.h"
#include "support/scripted.h"
#include "support/temphome.h"
#include "support/testmain.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QTest>

class BackupFolderTests : public QObject {
    Q_OBJECT
  private slots:
    void dialogsStartInAnExistingFolderThenTheLastOneUsed() {
        TestBook book;
        TempHome home;
        FrmMainMdi main;
        QVERIFY(main.MDIForm_Load());
        FileDialogs::Scripted dialogs;
        ScriptedMsgBoxes boxes;
        auto startedIn = [&] {
            main.Bak->trigger(); // both cancelled
            main.Rtsr->trigger();
            const QString backupFolder = QFileInfo(dialogs.suggested.last()).absolutePath();
            return backupFolder == dialogs.folders.last() ? backupFolder : QStringLiteral("differ");
        };
        const QString documents = home.dir.filePath(QStringLiteral("Documents"));
        QCOMPARE(startedIn(), home.dir.path()); // no Documents folder
        QVERIFY(QDir().mkdir(documents));
        QCOMPARE(startedIn(), documents);
        QVERIFY(QFileInfo(dialogs.suggested.last()).fileName().startsWith("adrsbookHXS-backup-"));

        QTemporaryDir elsewhere;
        dialogs.answers << elsewhere.filePath(QStringLiteral("copy.mdb"));
        main.Bak->trigger();
        QVERIFY(QFileInfo::exists(elsewhere.filePath(QStringLiteral("copy.mdb"))));
        QCOMPARE(startedIn(), elsewhere.path());
        // Gone since: back to Documents.
        QVERIFY(elsewhere.remove());
        QCOMPARE(startedIn(), documents);
    }
};

ADRSBOOK_TEST(BackupFolderTests)
#include "tst_backupfolders.moc"
