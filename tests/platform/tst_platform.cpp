// The stand-ins for the old platform: key presses handed to handlers,
// focus events, guarded handlers, list views and message boxes.

#include "platform/errors.h"
#include "platform/events.h"
#include "platform/form.h"
#include "platform/listrowheight.h"
#include "platform/listview.h"
#include "platform/msgbox.h"
#include "platform/twips.h"
#include "platform/vb.h"
#include "support/fixture.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <stdexcept>

namespace {
// A small form with three boxes chained by Enter, the way the registers are.
class ChainForm : public Form {
  public:
    ChainForm() {
        SetCaption(QStringLiteral("NAME OF THE USER COMPANY (TEST)"));
        for (int i = 0; i < 3; ++i) {
            box[i] = new QLineEdit(this);
            box[i]->setGeometry(10, 10 + 30 * i, 200, 24);
        }
        box[0]->setMaxLength(5);
        On::KeyPress(box[0], [this](int& KeyAscii) {
            KeyAscii = UpperKey(KeyAscii);
            if (KeyAscii == vbKeyReturn) box[1]->setFocus();
        });
        On::KeyPress(box[1], [this](int& KeyAscii) {
            if (KeyAscii == vbKeyReturn) box[2]->setFocus();
            if (!QStringLiteral("1234567890").contains(QChar(KeyAscii))) KeyAscii = 0;
        });
        On::GotFocus(box[2], [this] {
            ++got;
            box[2]->setText(QStringLiteral("DEFAULT"));
            box[2]->selectAll();
        });
        On::LostFocus(box[2], [this] { ++lost; });
        On::Change(box[2], [this] { ++changes; });
        On::KeyPress(box[2], [](int& KeyAscii) {
            if (KeyAscii == 'x') throw std::runtime_error("the handler failed");
        });
        resize(300, 200);
    }
    QLineEdit* box[3];
    int got = 0, lost = 0, changes = 0;
};
} // namespace

class PlatformTests : public QObject {
    Q_OBJECT
  private slots:
    // Cells set out of order, rewritten longer or shorter, and grown on a
    // row that is no longer the last: every row keeps its own texts.
    // The list reads the script of a text from its UTF-8 bytes as it would
    // from the text itself; trimming the bytes trims the same blanks.
    void utf8TextsReadAsTheirTexts() {
        const QString texts[] = {
            QString(),
            QStringLiteral("SHARMA TRADERS"),
            QStringLiteral("Müller GmbH, Zürich"),
            QStringLiteral("ਲੁਧਿਆਣਾ"),                       // Gurmukhi: taller rows
            QStringLiteral("नई दिल्ली"),                     // Devanagari
            QStringLiteral("ශ්‍රී ලංකා"), // Sinhala, the range's end
            QStringLiteral("Ελλάδα ℃ ✓"),                   // near the range, outside it
            QStringLiteral("  two blanks each side  ")};
        for (const QString& text : texts) {
            const QByteArray utf8 = text.toUtf8();
            QCOMPARE(HasTallScript(QUtf8StringView(utf8)), HasTallScript(text));
            QCOMPARE(Trim(QUtf8StringView(utf8)).toString(), Trim(text));
        }
        QVERIFY(HasTallScript(QStringLiteral("ਲੁਧਿਆਣਾ")) &&
                !HasTallScript(QStringLiteral("Ελλάδα")));
    }

    void listRowsKeepEachCellApart() {
        ListRows rows;
        for (int r = 0; r < 3; ++r) {
            rows.AddRow();
            rows.SetCell(r, 0, QStringLiteral("row%1").arg(r));
        }
        rows.SetCell(2, 3, QStringLiteral("last, col 3"));
        rows.SetCell(0, 2, QStringLiteral("first grows"));      // moves its cells
        rows.SetCell(0, 0, QStringLiteral("r0"));               // shorter: in place
        rows.SetCell(1, 0, QStringLiteral("a longer row one")); // longer: appended
        rows.SetChecked(1, true);
        const QStringList expected[] = {{"r0", "", "first grows", ""},
                                        {"a longer row one", "", "", ""},
                                        {"row2", "", "", "last, col 3"}};
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 4; ++c)
                QCOMPARE(rows.Cell(r, c), expected[r][c]);
        QVERIFY(rows.Checked(1) && !rows.Checked(0));
        rows.Clear();
        QCOMPARE(rows.Count(), 0);
        QCOMPARE(rows.Bytes(), size_t(0));
    }

    // A fill runs from the event loop; reading the count waits for it, and
    // Clear or a new fill drops the one running.
    void listFillsInSlicesAndStopsWhenCleared() {
        ListView list;
        list.AddColumn(QStringLiteral("Name"));
        int calls = 0;
        const auto fill = [&](const QString& prefix, int total) {
            return [&, prefix, total](int rows) {
                ++calls;
                for (int i = 0; i < rows && list.Count() < total; ++i)
                    list.Add(prefix + QString::number(list.Count() + 1));
                return list.Count() < total;
            };
        };
        list.FillInSlices(fill(QStringLiteral("a"), 1000));
        QVERIFY(list.Filling());
        QCOMPARE(list.Count(), 1000); // waits
        QVERIFY(!list.Filling());

        list.Clear();
        list.FillInSlices(fill(QStringLiteral("b"), 5000));
        list.Clear();
        calls = 0;
        QTest::qWait(20);
        QCOMPARE(calls, 0);
        QCOMPARE(list.Count(), 0);

        list.FillInSlices(fill(QStringLiteral("c"), 300));
        list.FillInSlices(fill(QStringLiteral("d"), 600)); // the rows so far stay
        QTRY_VERIFY(!list.Filling());
        QCOMPARE(list.Count(), 600);
        QCOMPARE(list.Item(600).Text(), QStringLiteral("d600"));
    }

    void keyPressReplacesDiscardsAndChainsOnEnter() {
        ChainForm form;
        ShowAndActivate(&form);
        form.box[0]->setFocus();
        TypeText(QStringLiteral("abc d"));
        QCOMPARE(form.box[0]->text(), QStringLiteral("ABC D"));
        TypeText(QStringLiteral("efg")); // beyond the maximum length
        QCOMPARE(form.box[0]->text(), QStringLiteral("ABC D"));
        PressEnter();
        QCOMPARE(Focused(), form.box[1]);
        TypeText(QStringLiteral("1a2-3"));
        QCOMPARE(form.box[1]->text(), QStringLiteral("123"));
        PressEnter();
        QCOMPARE(Focused(), form.box[2]);
        QCOMPARE(form.got, 1);
        QCOMPARE(form.box[2]->selectedText(), QStringLiteral("DEFAULT"));
        TypeText(QStringLiteral("Z"));
        QCOMPARE(form.box[2]->text(), QStringLiteral("Z")); // typing replaced the selection
        QVERIFY(form.changes >= 2);
        form.box[0]->setFocus();
        QCOMPARE(form.lost, 1);
    }

    void scriptedBoxesRecordTheirCallsAndAnswers() {
        ChainForm form;
        ScriptedMsgBoxes boxes;
        QCOMPARE(
            MsgBox(QStringLiteral("Are you Sure to save this Record"), vbYesNo, form.Caption()),
            int(vbYes));
        boxes.Answer(vbNo);
        QCOMPARE(MsgBox(QStringLiteral("Again?"), vbYesNo, form.Caption()), int(vbNo));
        QCOMPARE(boxes.calls.size(), 2);
        QCOMPARE(boxes.calls[0].title, form.Caption());
        QCOMPARE(boxes.calls[0].Icon(), 0);
    }

    // A real box takes the focus while it is up and gives it back when it
    // closes; the control that had it sees neither.
    void messageBoxesDoNotRaiseFocusEvents() {
        ChainForm form;
        ShowAndActivate(&form);
        form.box[2]->setFocus();
        QCOMPARE(form.got, 1);
        for (int answer : {int(vbNo), int(vbYes)}) {
            QWidget* focusWhileUp = nullptr;
            QTimer::singleShot(0, [&] {
                QTRY_VERIFY(QApplication::activeModalWidget());
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box);
                QTRY_VERIFY(box->isActiveWindow());
                focusWhileUp = QApplication::focusWidget();
                box->button(answer == vbYes ? QMessageBox::Yes : QMessageBox::No)->click();
            });
            QCOMPARE(
                MsgBox(QStringLiteral("Are you Sure to save this Record"), vbYesNo, form.Caption()),
                answer);
            QVERIFY(focusWhileUp && focusWhileUp != form.box[2]);
            // The headless platform leaves activating the form to us, as a
            // window manager does when the box goes.
            QApplication::setActiveWindow(&form);
            QVERIFY(QTest::qWaitForWindowActive(&form));
            QCOMPARE(Focused(), form.box[2]);
        }
        QCOMPARE(form.got, 1);
        QCOMPARE(form.lost, 0);
    }

    void anErrorInAHandlerIsReportedAndTheWindowGoesOn() {
        ChainForm form;
        ShowAndActivate(&form);
        ScriptedMsgBoxes boxes;
        form.box[2]->setFocus();
        TypeText(QStringLiteral("x"));
        QCOMPARE(boxes.calls.size(), 1);
        QCOMPARE(boxes.Last().Icon(), int(vbCritical));
        QCOMPARE(boxes.Last().title, form.Caption());
        QVERIFY(boxes.Last().prompt.contains(QStringLiteral("the handler failed")));
        TypeText(QStringLiteral("y"));
        QVERIFY(form.box[2]->text().endsWith(u'y'));
    }

    // Any signal wired through On::Signal hands the handler its arguments
    // (or none) and is guarded as the other handlers.
    void aGuardedSignalPassesItsArgumentsAndReportsErrors() {
        Form form;
        form.SetCaption(QStringLiteral("SIGNAL TEST"));
        auto* box = new QLineEdit(&form);
        QStringList seen;
        int bare = 0;
        On::Signal(box, &QLineEdit::textChanged, [&](const QString& text) {
            seen << text;
            if (text == u'x') throw std::runtime_error("the handler failed");
        });
        On::Signal(box, &QLineEdit::textChanged, [&] { ++bare; });
        ScriptedMsgBoxes boxes;
        box->setText(QStringLiteral("x"));
        box->setText(QStringLiteral("y"));
        QCOMPARE(seen, QStringList({QStringLiteral("x"), QStringLiteral("y")}));
        QCOMPARE(bare, 2);
        QCOMPARE(boxes.calls.size(), 1);
        QCOMPARE(boxes.Last().title, form.Caption());
        QVERIFY(boxes.Last().prompt.contains(QStringLiteral("the handler failed")));
    }

    void trappedAndIgnoredErrors() {
        ScriptedMsgBoxes boxes;
        int steps = 0;
        ResumeNext([] { throw std::runtime_error("skipped"); });
        ResumeNext([&] { ++steps; });
        QCOMPARE(steps, 1);
        QVERIFY(boxes.calls.isEmpty());
        QVERIFY(!TrapInvalidInput([] { throw std::runtime_error("bad"); }));
        QCOMPARE(boxes.Last().prompt, QStringLiteral("Invalid Input"));
        QCOMPARE(boxes.Last().title, QStringLiteral("Error Handler"));
        QCOMPARE(boxes.Last().Icon(), int(vbCritical));
    }

    // A write that fails inside a step whose errors are ignored is said;
    // a read under the same lock is not (its list's busy line says it).
    void anIgnoredStepNeverHidesAFailedWrite() {
        ScriptedMsgBoxes boxes;
        ResumeNext([] { throw BusyError(QStringLiteral("busy reading"), true); });
        QVERIFY(boxes.calls.isEmpty());
        for (const bool server : {false, true}) {
            ResumeNext([&] {
                if (server) throw ServerError(QStringLiteral("the server went away"), false);
                throw BusyError(QStringLiteral("busy writing"), false);
            });
            QVERIFY(
                boxes.Last().prompt.startsWith(QStringLiteral("A change could not be written.")));
            QVERIFY(boxes.Last().prompt.contains(server ? QStringLiteral("the server went away")
                                                        : QStringLiteral("busy writing")));
            QCOMPARE(boxes.Last().Icon(), int(vbExclamation));
        }
        QCOMPARE(boxes.calls.size(), 2);
    }

    void listViewFillsSelectsAndChecks() {
        ListView list;
        list.AddColumn(QStringLiteral("Group Name"), 1500);
        list.AddColumn(QStringLiteral("Group Id"), 900);
        list.SetCheckboxes(true);
        QVERIFY(!list.SelectedItem());
        for (int i = 1; i <= 20000; ++i)
            list.Add(QStringLiteral("G%1").arg(i)).SetSubItem(1, QString::number(i));
        QCOMPARE(list.Count(), 20000);
        auto selected = list.SelectedItem();
        QCOMPARE(list.model()->rowCount(), 20000); // one insertion, made known when first asked for
        QVERIFY(selected);
        QCOMPARE(selected->SubItem(1), QStringLiteral("1"));
        list.Item(3).SetChecked(true);
        QVERIFY(list.Item(3).Checked());
        QCOMPARE(list.model()->index(2, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        list.Item(5).Select();
        QCOMPARE(list.SelectedItem()->Text(), QStringLiteral("G5"));
        list.Clear();
        QCOMPARE(list.Count(), 0);
        QVERIFY(!list.SelectedItem());
    }

    void twipsAndTrim() {
        QCOMPARE(Px(4515), 301);
        QCOMPARE(Twips(400), 6000);
        QCOMPARE(Trim(QStringLiteral("  A B \t ")), QStringLiteral("A B \t"));
        QCOMPARE(UpperKey('a'), int('A'));
        QCOMPARE(UpperKey(13), 13);
    }
};

ADRSBOOK_TEST(PlatformTests)
#include "tst_platform.moc"
