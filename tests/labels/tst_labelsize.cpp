// The label window keeps its size and its buttons stay where they are
// whatever its status line says.

#include "labeldesk.h"
#include "support/testmain.h"

#include <QLabel>

class LabelSizeTests : public QObject {
    Q_OBJECT
  private slots:
    void theWindowKeepsItsSizeWhileItsStatusChanges() {
        LabelSettingsPlace settings;
        settings.Clear();
        QTemporaryDir dir;
        FrmLabels w(MadeUpParties(1), 1, false, QStringLiteral("test"));
        w.CmbxPrinter->setCurrentText(FrmLabels::PdfPrinterName());
        ShowAndActivate(&w);
        Settle();
        const QSize size = w.size();
        const QPoint button = w.CmdPdf->pos();

        // A long file name makes a long status.
        SavePdfAs(&w, dir.filePath(QString(150, u'x') + QStringLiteral(".pdf")));
        Settle();
        QVERIFY2(w.LblStatus->text().contains(QStringLiteral(" saved to ")),
                 qPrintable(w.LblStatus->text()));
        QCOMPARE(w.size(), size);
        QCOMPARE(w.CmdPdf->pos(), button);
        QCOMPARE(w.LblStatus->toolTip(), w.LblStatus->text()); // the whole of it
    }
};

ADRSBOOK_TEST(LabelSizeTests)
#include "tst_labelsize.moc"
