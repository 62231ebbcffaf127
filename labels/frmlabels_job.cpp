// The label window's print runs: a large one is asked about first, the
// blocks are fitted for the whole run before anything is printed (parties
// that do not fit are named), and a bar with Cancel shows the progress
// while the windows go on painting.

#include "labels/frmlabels.h"
#include "platform/msgbox.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QPrinter>
#include <QProgressDialog>
#include <QRadioButton>
#include <QSpinBox>

namespace {

constexpr int kAskAbovePages = 100;
constexpr int kNamesShown = 10;
constexpr int kShowProgressAfterMs = 400;
constexpr int kServeEventsEveryMs = 30;

QString Number(int n) {
    return QLocale(QLocale::English).toString(n);
}

QString Names(const QStringList& names) {
    QString text = names.mid(0, kNamesShown).join(QStringLiteral(", "));
    if (names.size() > kNamesShown)
        text += QCoreApplication::translate("FrmLabels", " and %1 more")
                    .arg(Number(int(names.size()) - kNamesShown));
    return text;
}

} // namespace

// A bar with Cancel over every window, shown once the work has taken a
// moment; the program's windows are served (and paint) now and then.
class FrmLabels::Progress {
  public:
    Progress(QWidget* parent, const QString& title) : dialog_(parent) {
        dialog_.setObjectName(QStringLiteral("LabelProgress"));
        dialog_.setWindowTitle(title);
        dialog_.setWindowModality(Qt::ApplicationModal);
        dialog_.setMinimumDuration(kShowProgressAfterMs);
        dialog_.setAutoClose(false);
        dialog_.setAutoReset(false);
        served_.start();
    }

    LabelProgress Stage(const QString& text) {
        dialog_.setLabelText(text);
        return [this](int done, int total) {
            if (dialog_.maximum() != total) dialog_.setMaximum(total);
            if (served_.elapsed() >= kServeEventsEveryMs || done == total) {
                dialog_.setValue(done);
                QApplication::processEvents();
                served_.restart();
            }
            return !dialog_.wasCanceled();
        };
    }

  private:
    QProgressDialog dialog_;
    QElapsedTimer served_;
};

int FrmLabels::PagesToPrint() const {
    const int labels = int(parties_.size()) * SpnCopies->value();
    if (OptnEnvelope->isChecked()) return labels;
    return SheetPages(CurrentSheet(), labels, SpnFirstRow->value(), SpnFirstColumn->value());
}

std::optional<LabelRun> FrmLabels::PrepareRun(const QString& doing) {
    const int pages = PagesToPrint();
    if (pages > kAskAbovePages && MsgBox(tr("%1: %2 them?").arg(PageCount(pages), doing),
                                         vbYesNo + vbQuestion, windowTitle()) != vbYes)
        return std::nullopt;

    // Measured as the PDF and the preview draw them.
    QPrinter measure(QPrinter::HighResolution);
    measure.setOutputFormat(QPrinter::PdfFormat);
    const QSizeF box = OptnEnvelope->isChecked()
                           ? envelopes_[qMax(0, CmbxEnvelope->currentIndex())].recipientMm.size()
                           : LabelTextBox(CurrentSheet().LabelRect(1, 1)).size();
    std::optional<LabelRun> run;
    {
        Progress progress(this, windowTitle());
        run = FitRun(parties_, Style(QPointF()), box, &measure,
                     progress.Stage(tr("Fitting the addresses to the labels ...")));
    }
    if (!run) {
        ShowStatus(tr("Stopped: nothing was printed."));
        return std::nullopt;
    }
    if (!run->cutShort.isEmpty()) {
        const int n = int(run->cutShort.size());
        const QString who = n == 1 ? tr("1 party does") : tr("%1 parties do").arg(Number(n));
        const QString prompt = tr("%1 not fit, even at %2 pt without the phone, attention and land "
                                  "mark lines: %3.\n\nPrinted, %4 cut short. %5 anyway?")
                                   .arg(who)
                                   .arg(kSmallestPointSize)
                                   .arg(Names(run->cutShort), n == 1 ? tr("it is") : tr("they are"),
                                        doing.left(1).toUpper() + doing.mid(1));
        if (MsgBox(prompt, vbYesNo + vbExclamation, windowTitle()) != vbYes) {
            ShowStatus(tr("Nothing printed: %1 not fit.").arg(who));
            return std::nullopt;
        }
    }
    return run;
}

int FrmLabels::Render(QPrinter* printer, const LabelRun& run, QPointF offsetMm, bool outlines) {
    PreparePaper(printer);
    LabelStyle style = Style(offsetMm);
    style.outlines = outlines;
    QWidget* over = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : this;
    Progress progress(over, windowTitle());
    const LabelProgress step = progress.Stage(tr("Printing %1 ...").arg(PageCount(PagesToPrint())));
    if (OptnEnvelope->isChecked())
        return PrintEnvelopes(printer, envelopes_[qMax(0, CmbxEnvelope->currentIndex())], run,
                              SpnCopies->value(), SenderLines(), style, step);
    return PrintLabelSheet(printer, CurrentSheet(), run, SpnCopies->value(), SpnFirstRow->value(),
                           SpnFirstColumn->value(), style, step);
}
