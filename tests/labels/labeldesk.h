#pragma once
// Shared by the label tests: settings in a temporary place, parties made
// up in memory, the label window's PDF written through the file-dialog
// seam and read back word by word with poppler's pdftotext.

#include "labels/frmlabels.h"
#include "platform/filedialogs.h"
#include "support/fixture.h"
#include "support/scripted.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontComboBox>
#include <QGroupBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

constexpr double kPtPerMm = 72.0 / 25.4;

struct PdfWord {
    int page = 0;
    QRectF rectMm;
    QString text;
};

struct PdfPage {
    QSizeF sizeMm;
};

// Every word of the file with its box, in millimetres from the page's top left.
inline QList<PdfWord> PdfWords(const QString& pdf, QList<PdfPage>* pages = nullptr) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    p.waitForFinished(20000);
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression tag(
        QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\"|<word xMin=\"([\\d.]+)\" "
                       "yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    QList<PdfWord> words;
    int page = -1;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (!m.captured(1).isEmpty()) {
            ++page;
            if (pages)
                pages->append(
                    {QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) / kPtPerMm});
            continue;
        }
        PdfWord w;
        w.page = page;
        w.rectMm = QRectF(QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()),
                          QPointF(m.captured(5).toDouble(), m.captured(6).toDouble()));
        w.rectMm = QRectF(w.rectMm.topLeft() / kPtPerMm, w.rectMm.size() / kPtPerMm);
        w.text = m.captured(7);
        words.append(w);
    }
    return words;
}

// Labels' settings in a folder of their own for the whole test class.
class LabelSettingsPlace {
  public:
    LabelSettingsPlace() {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
    }
    void Clear() {
        QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("adrsbook"),
                  QStringLiteral("labels"))
            .clear();
    }

  private:
    QTemporaryDir dir_;
};

// Party n: "PARTYnn" with a full block, city line and both numbers.
inline AddressBlock MadeUpParty(int n) {
    AddressBlock p;
    p.contact = QStringLiteral("CONTACT%1").arg(n, 2, 10, QLatin1Char('0'));
    p.name = QStringLiteral("PARTY%1").arg(n, 2, 10, QLatin1Char('0'));
    p.adrs1 = QStringLiteral("12 Main road");
    p.adrs2 = QStringLiteral("Park area");
    p.adrs3 = QStringLiteral("near Temple");
    p.cityLine = QStringLiteral("MUMBAI (MH), INDIA");
    p.phoneLine = QStringLiteral("(Ph)022-2345 (M)98200 12345");
    return p;
}

inline QList<AddressBlock> MadeUpParties(int count) {
    QList<AddressBlock> parties;
    for (int i = 1; i <= count; ++i)
        parties.append(MadeUpParty(i));
    return parties;
}

// Saves the window's labels as PDF the way a person does: the button,
// then the file dialog (scripted) answered with `path`.
inline void SavePdfAs(FrmLabels* window, const QString& path) {
    FileDialogs::Scripted dialogs;
    dialogs.answers = {path};
    QTest::mouseClick(window->CmdPdf, Qt::LeftButton);
    Settle();
}

// Picks a sheet from the list with the keyboard.
inline void ChooseSheet(FrmLabels* window, int index) {
    window->CmbxSheet->setFocus();
    Settle();
    PressKey(Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        PressKey(Qt::Key_Down);
    Settle();
}

// Types a number into a spin box, replacing what it held.
inline void EnterNumber(QAbstractSpinBox* box, const QString& number) {
    box->setFocus();
    Settle();
    box->selectAll();
    TypeText(number);
    PressKey(Qt::Key_Tab);
    Settle();
}
