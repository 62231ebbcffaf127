// Where the main window and its child windows open: the main window's
// frame inside the screen's available area, every child wholly in the work
// area in whatever order the windows are opened, and the desktop's Quit
// keys closing the main window.

#include "address/frmadrsmstr1.h"
#include "app/frmmainmdi.h"
#include "importexport/frmexport.h"
#include "importexport/frmimport.h"
#include "platform/childplacement.h"
#include "platform/filedialogs.h"
#include "platform/form.h"
#include "platform/msgbox.h"
#include "printing/frmprntrpt.h"
#include "search/frmsrchengn.h"
#include "support/fixture.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QAction>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <algorithm>
#include <numeric>

namespace {

// The frames of the open children that are not wholly in the work area:
// one that fits there must be inside it, a larger one must keep its
// top-left corner inside.
QStringList Outside(const FrmMainMdi& main) {
    const QRect area = main.MdiArea->viewport()->rect();
    QStringList outside;
    for (const QMdiSubWindow* sub : main.MdiArea->subWindowList()) {
        const QRect frame = sub->geometry();
        const bool fits = frame.width() <= area.width() && frame.height() <= area.height();
        if (fits ? !area.contains(frame) : !area.contains(frame.topLeft()))
            outside << QStringLiteral("%1 at %2,%3 (%4 x %5)")
                           .arg(QLatin1String(sub->widget()->metaObject()->className()))
                           .arg(frame.x())
                           .arg(frame.y())
                           .arg(frame.width())
                           .arg(frame.height());
    }
    return outside;
}

} // namespace

class PlacementTests : public QObject {
    Q_OBJECT
  private slots:
    void aChildOpensWhereItIsWhollyVisible() {
        struct Case {
            const char* name;
            QSize area, size;
            std::optional<int> left;
            QList<QPoint> others;
            QPoint at;
        };
        const QSize wide(1352, 690), printing(696, 552);
        const Case cases[] = {
            {"an empty area: the left edge", wide, printing, {}, {}, {0, 0}},
            {"beside the search engine", wide, printing, {}, {{0, 0}}, {20, 0}},
            {"after two others", wide, printing, {}, {{0, 0}, {20, 0}}, {40, 0}},
            {"a corner a little off still takes the position",
             wide,
             printing,
             {},
             {{7, 0}},
             {20, 0}},
            {"a free position between taken ones", wide, printing, {}, {{0, 0}, {40, 0}}, {20, 0}},
            {"no free position that fits: the left edge",
             {710, 690},
             printing,
             {},
             {{0, 0}},
             {0, 0}},
            {"the last free position that fits", {720, 690}, printing, {}, {{0, 0}}, {20, 0}},
            {"wider than the area: the corner inside", {500, 400}, printing, {}, {{0, 0}}, {0, 0}},
            {"a left of its own is kept", wide, printing, 7, {{0, 0}, {7, 0}}, {7, 0}},
            {"a left of its own moves in where it must",
             {1000, 690},
             {400, 300},
             900,
             {},
             {600, 0}},
        };
        for (const Case& c : cases) {
            ChildWindowSpot spot;
            spot.area = c.area;
            spot.size = c.size;
            spot.left = c.left;
            spot.others = c.others;
            spot.step = 20;
            QVERIFY2(ChildWindowPlace(spot) == c.at, c.name);
        }
    }

    // The five windows of the menu opened in turn, each first and each last
    // once, forwards and backwards; then the about box and the import and
    // export windows over all five. Every order of all eight then runs
    // through the placement with the sizes the windows have, in the work
    // area here and in that of a 1366 x 768 screen.
    void everyChildWindowInEveryOrderIsWhollyVisible() {
        TestBook book;
        ScriptedMsgBoxes boxes;
        FileDialogs::Scripted dialogs; // the import window's file: cancelled
        FrmMainMdi main;
        QVERIFY(main.MDIForm_Load());
        ShowAndActivate(&main);
        const QList<QAction*> menu{main.adrs, main.dash, main.cty, main.srchengn, main.prnt};
        for (int turn = 0; turn < 2 * menu.size(); ++turn) {
            QList<QAction*> order = menu;
            std::rotate(order.begin(), order.begin() + turn % menu.size(), order.end());
            if (turn >= menu.size()) std::reverse(order.begin(), order.end());
            for (QAction* command : order) {
                command->trigger();
                Settle();
                const QStringList outside = Outside(main);
                QVERIFY2(outside.isEmpty(), qPrintable(outside.join(u'\n')));
            }
            main.CloseChildren();
            Settle();
        }
        for (QAction* command : menu)
            command->trigger();
        for (QAction* command : {main.abts, main.Expt, main.Impt}) {
            command->trigger();
            Settle();
            const QStringList outside = Outside(main);
            QVERIFY2(outside.isEmpty(), qPrintable(outside.join(u'\n')));
        }
        QCOMPARE(main.MdiArea->subWindowList().size(), 8);

        QList<ChildWindowSpot> windows;
        for (const QMdiSubWindow* sub : main.MdiArea->subWindowList()) {
            ChildWindowSpot w;
            w.size = sub->size();
            w.top = sub->y();
            if (static_cast<const Form*>(sub->widget())->LeftGiven()) w.left = sub->x();
            w.step = sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub);
            windows << w;
        }
        QList<int> order(windows.size());
        std::iota(order.begin(), order.end(), 0);
        int orders = 0;
        for (const QSize area : {main.MdiArea->viewport()->size(), QSize(1352, 690)}) {
            do {
                QList<QPoint> open;
                for (int i : order) {
                    ChildWindowSpot w = windows[i];
                    w.area = area;
                    w.others = open;
                    const QRect at(ChildWindowPlace(w), w.size);
                    const bool fits =
                        w.size.width() <= area.width() && w.size.height() <= area.height();
                    QVERIFY(fits ? QRect(QPoint(), area).contains(at) : at.topLeft() == QPoint());
                    open << at.topLeft();
                }
                ++orders;
            } while (std::next_permutation(order.begin(), order.end()));
        }
        QCOMPARE(orders, 2 * 40320);
    }

    void aChildThatGrowsWiderStaysInside() {
        TestBook book;
        ScriptedMsgBoxes boxes;
        FrmMainMdi main;
        QVERIFY(main.MDIForm_Load());
        ShowAndActivate(&main);
        main.srchengn->trigger();
        main.prnt->trigger();
        main.adrs->trigger();
        auto* address = main.Child<FrmAdrsMstr1>();
        const QRect narrow = address->Frame()->geometry();
        QVERIFY(narrow.x() > 0);
        QTest::mouseClick(address->CmdEdt, Qt::LeftButton); // the party list beside the entry
        Settle();
        QCOMPARE(address->Width(), FrmAdrsMstr1::kWideWidth);
        QVERIFY2(Outside(main).isEmpty(), qPrintable(Outside(main).join(u'\n')));
    }

    void theMainWindowFrameIsOnTheScreen() {
        struct Case {
            const char* name;
            QRect frame, available, at;
        };
        const Case cases[] = {
            {"inside already", {0, 0, 1366, 741}, {0, 0, 1366, 768}, {0, 0, 1366, 741}},
            {"below a panel", {0, 0, 1366, 741}, {0, 30, 1366, 738}, {0, 30, 1366, 738}},
            {"right of a panel", {0, 0, 1366, 741}, {60, 0, 1306, 768}, {60, 0, 1306, 741}},
            {"larger than the screen", {0, 0, 1600, 900}, {0, 0, 1366, 768}, {0, 0, 1366, 768}},
        };
        for (const Case& c : cases)
            QVERIFY2(FrmMainMdi::OnScreen(c.frame, c.available) == c.at, c.name);

        TestBook book;
        FrmMainMdi main;
        QVERIFY(main.MDIForm_Load());
        ShowAndActivate(&main);
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        QTRY_VERIFY2(available.contains(main.frameGeometry()),
                     qPrintable(QStringLiteral("frame %1,%2 %3 x %4")
                                    .arg(main.frameGeometry().x())
                                    .arg(main.frameGeometry().y())
                                    .arg(main.frameGeometry().width())
                                    .arg(main.frameGeometry().height())));
        QCOMPARE(main.frameGeometry().topLeft(), available.topLeft());
    }

    void theQuitKeysCloseTheMainWindowAsItsCloseButtonDoes() {
        TestBook book;
        ScriptedMsgBoxes boxes;
        FrmMainMdi main;
        QVERIFY(main.MDIForm_Load());
        ShowAndActivate(&main);
        main.adrs->trigger();
        auto* address = main.Child<FrmAdrsMstr1>();
        QTest::mouseClick(address->CmdSave, Qt::LeftButton);
        QCOMPARE(Focused(), address->Txtname); // from a child's box, too
        QTest::keyClick(Focused(), Qt::Key_Q, Qt::ControlModifier);
        Settle();
        QVERIFY(!main.isVisible());
        QVERIFY(boxes.calls.isEmpty()); // nothing asked
    }
};

ADRSBOOK_TEST(PlacementTests)
#include "tst_placement.moc"
