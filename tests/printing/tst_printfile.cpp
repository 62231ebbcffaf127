// The print file's bytes: code pages, line ends, replacing the file.

#include "printing/printfile.h"
#include "support/testmain.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class PrintFileTests : public QObject {
    Q_OBJECT
  private slots:
    void encodeLines_singleByteWithQuestionMarks();
    void writePrintFile_replacesOrSaysWhyNot();
    void countUnprintable_linesThatGetQuestionMarks();
};

void PrintFileTests::encodeLines_singleByteWithQuestionMarks() {
    const QStringList lines{QStringLiteral("Caf\u00e9 \u20ac5 \u2013 \u2018x\u2019 \u0141"),
                            QStringLiteral("\U0001F600"), QString()};
    QCOMPARE(EncodeLines(lines, CodePage::Latin1), QByteArray("Caf\xe9 ?5 ? ?x? ?\r\n?\r\n\r\n"));
    QCOMPARE(EncodeLines(lines, CodePage::Windows1252),
             QByteArray("Caf\xe9 \x80"
                        "5 \x96 \x91x\x92 ?\r\n?\r\n\r\n"));
}

void PrintFileTests::writePrintFile_replacesOrSaysWhyNot() {
    QTemporaryDir dir;
    const QString path = dir.filePath("A.TXT");
    WritePrintFile(path, "a longer first print\r\n");
    WritePrintFile(path, "short\r\n");
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("short\r\n"));
    f.close();
    WritePrintFile(path, QByteArray());
    QCOMPARE(QFileInfo(path).size(), 0);

    const QString nowhere = dir.filePath("missing/A.TXT");
    try {
        WritePrintFile(nowhere, "x");
        QFAIL("writing into a missing folder succeeded");
    } catch (const std::runtime_error& e) {
        QVERIFY2(QString::fromUtf8(e.what()).startsWith(nowhere), e.what());
    }
}

// A line counts once however many of its letters are replaced; a question
// mark typed by the user is no replacement.
void PrintFileTests::countUnprintable_linesThatGetQuestionMarks() {
    const QStringList lines{QStringLiteral("What? Caf\u00e9"),
                            QStringLiteral("\u0936\u0930\u094d\u092e\u093e \u0924\u0947\u0932"),
                            QStringLiteral("\u20ac5"), QString()};
    QCOMPARE(CountUnprintable(lines, CodePage::Latin1), 2);
    QCOMPARE(CountUnprintable(lines, CodePage::Windows1252), 1); // the euro sign is in it
    QCOMPARE(CountUnprintable({}, CodePage::Latin1), 0);
}

ADRSBOOK_TEST(PrintFileTests)
#include "tst_printfile.moc"
