// adrsbook-bench [--runs N] DATABASE
// Drives the real windows headless on a copy of DATABASE (made by
// adrsbook-gendb) and reports, per case, the median and spread of the time
// from the key (or click) to the list filled and painted, next to the floor:
// the same statements run straight on the engine with no windows.
//   F1 = the statement(s) alone; F2 = F1 plus one prepared city lookup per
//   row (what the search engine's result list needs).

#include "address/frmadrsmstr1.h"
#include "app/frmmainmdi.h"
#include "data/connmodule.h"
#include "data/recordset.h"
#include "data/statementlog.h"
#include "data/unicodecase.h"
#include "platform/apppath.h"
#include "platform/listview.h"
#include "platform/msgbox.h"
#include "platform/shell.h"
#include "printing/frmprntrpt.h"
#include "search/frmsrchengn.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sqlite3.h>

namespace {

struct Case {
    QString name;
    QVector<double> ms;
    QVector<double> rows;
    QVector<double> floor1;
    QVector<double> floor2;
};
QList<Case> cases;

Case& caseNamed(const QString& name) {
    for (Case& c : cases)
        if (c.name == name) return c;
    cases.append(Case{name, {}, {}, {}, {}});
    return cases.last();
}

double median(QVector<double> v) {
    if (v.isEmpty()) return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

double percentile(QVector<double> v, double p) {
    if (v.isEmpty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min<qsizetype>(v.size() - 1, qsizetype(p * (v.size() - 1) + 0.5))];
}

double timed(const std::function<void()>& work) {
    QElapsedTimer t;
    t.start();
    work();
    return double(t.nsecsElapsed()) / 1e6;
}

// The list filled and painted.
void paint(ListView* list) {
    QCoreApplication::processEvents();
    list->Flush();
    list->viewport()->repaint();
}

// The statements a window issued, without the per-row city lookups.
QStringList mainStatements(const QStringList& log) {
    QStringList out;
    for (const QString& s : log)
        if (!s.startsWith(QLatin1String("Select * from cscmstr where ctyid like '"))) out.append(s);
    return out;
}

// The floors are timed on a handle of the engine's own C interface, opened
// on the same file with the same key and cache: no layer, no windows.
sqlite3* raw = nullptr;

void openRaw(const QString& file) {
    sqlite3_open_v2(file.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_key(raw, kDatabasePassword, int(qstrlen(kDatabasePassword)));
    UnicodeCase::Register(raw); // the same like() and NOCASE as the program's
    sqlite3_exec(raw, "PRAGMA cache_size=-65536; PRAGMA quick_check;", nullptr, nullptr, nullptr);
}

sqlite3_stmt* prepareRaw(const QString& sql) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(raw, sql.toUtf8().constData(), -1, &stmt, nullptr);
    return stmt;
}

// Steps a statement to its end, reading every column of every row as text;
// calls `row` for each.
void stepAll(sqlite3_stmt* stmt, const std::function<void(sqlite3_stmt*)>& row = {}) {
    const int columns = sqlite3_column_count(stmt);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c)
            sqlite3_column_text(stmt, c);
        if (row) row(stmt);
    }
    sqlite3_reset(stmt);
}

// F1 and F2 for a set of statements (as the engine runs them after
// translation, with the same bound values).
void floors(const QStringList& statements, Case& c, bool lookups) {
    Engine& engine = Conn->engine();
    double f1 = 0, f2 = 0;
    sqlite3_stmt* city = prepareRaw(QStringLiteral("SELECT * FROM cscmstr WHERE ctyid = ?"));
    for (const QString& s : statements) {
        const EngineStatement st = engine.Translate(s);
        sqlite3_stmt* stmt = prepareRaw(st.sql);
        if (!stmt) continue;
        for (int i = 0; i < st.params.size(); ++i) {
            if (st.params[i].typeId() == QMetaType::QString)
                sqlite3_bind_text(stmt, i + 1, st.params[i].toString().toUtf8().constData(), -1,
                                  SQLITE_TRANSIENT);
            else
                sqlite3_bind_int64(stmt, i + 1, st.params[i].toLongLong());
        }
        f1 += timed([&] { stepAll(stmt); });
        if (lookups) {
            int cityColumn = -1;
            for (int col = 0; col < sqlite3_column_count(stmt); ++col)
                if (qstricmp(sqlite3_column_name(stmt, col), "adrsctyid") == 0) cityColumn = col;
            f2 += timed([&] {
                stepAll(stmt, [&](sqlite3_stmt* row) {
                    if (cityColumn < 0 || sqlite3_column_type(row, cityColumn) == SQLITE_NULL)
                        return;
                    sqlite3_bind_int64(city, 1, sqlite3_column_int64(row, cityColumn));
                    stepAll(city);
                });
            });
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_finalize(city);
    c.floor1.append(f1);
    c.floor2.append(lookups ? f2 : f1);
}

// Runs one user step, timing it and its floor.
void measure(const QString& name, ListView* list, const std::function<void()>& step, bool lookups,
             bool withFloor = true) {
    QStringList log;
    StatementLog::Watch(&log);
    const double ms = timed([&] {
        step();
        if (list) paint(list);
    });
    StatementLog::Watch(nullptr);
    Case& c = caseNamed(name);
    c.ms.append(ms);
    c.rows.append(list ? list->Count() : 0);
    if (withFloor) floors(mainStatements(log), c, lookups);
}

void key(QChar ch) {
    QTest::keyClicks(QApplication::focusWidget(), QString(ch));
}

void searchEngine(FrmMainMdi& main, int runs, bool inGroup, const QString& filter,
                  const QString& label) {
    main.srchengn->trigger();
    auto* f = main.Child<FrmSrchEngn>();
    if (!QTest::qWaitForWindowExposed(f)) std::fprintf(stderr, "warning: window not shown\n");
    if (inGroup) {
        f->ChkAll->setChecked(false);
        f->CmbxGrup1->setFocus();
        f->CmbxGrup1->setEditText(QStringLiteral("CUSTOMERS"));
    } else {
        f->ChkAll->setChecked(true);
    }
    for (int run = 0; run < runs; ++run) {
        f->Cmbxfiltr->setFocus();
        f->Cmbxfiltr->setEditText(filter);
        measure(
            label + QStringLiteral(": enter value box (2 searches)"), f->LstvewSrch,
            [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); }, true);
        const QString typed = QStringLiteral("ANA#");
        const char* names[] = {": \"A\"", ": \"AN\"", ": \"ANA\"", ": no match"};
        for (int i = 0; i < typed.size(); ++i) {
            if (i == 3) {
                // What painting the list costs by itself, with nothing searched.
                QCoreApplication::processEvents();
                Case& paintOnly =
                    caseNamed(label + QStringLiteral(": repaint only (\"ANA\" shown)"));
                paintOnly.ms.append(timed([&] { paint(f->LstvewSrch); }));
                paintOnly.rows.append(f->LstvewSrch->Count());
            }
            measure(
                label + QLatin1String(names[i]), f->LstvewSrch, [&] { key(typed[i]); }, true);
        }
        if (run == 0 && f->LstvewSrch->Count() != 0)
            std::fprintf(stderr, "warning: the no-match value matched\n");
    }
    f->Unload();
    QCoreApplication::processEvents();
}

void partyList(const QString& label, QWidget* away, QLineEdit* search, ListView* list, int runs) {
    for (int run = 0; run < runs; ++run) {
        away->setFocus();
        measure(
            label + QStringLiteral(": focus search box (all parties)"), list,
            [&] { search->setFocus(); }, false);
        const QString typed = QStringLiteral("SHA");
        for (int i = 0; i < typed.size(); ++i)
            measure(
                label + QStringLiteral(": type \"%1\"").arg(typed.left(i + 1)), list,
                [&] { key(typed[i]); }, false);
    }
}

qint64 peakRssKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toLongLong();
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    int runs = 20;
    const qsizetype r = args.indexOf(QStringLiteral("--runs"));
    if (r >= 0 && r + 1 < args.size()) {
        runs = args[r + 1].toInt();
        args.remove(r, 2);
    }
    if (args.size() != 1 || !QFile::exists(args[0])) {
        std::fprintf(stderr, "usage: adrsbook-bench [--runs N] DATABASE\n");
        return 2;
    }
    QTemporaryDir folder;
    QFile::copy(args[0], folder.filePath(QStringLiteral("adrsbookHXS.mdb")));
    SetAppPathForTesting(folder.path());
    openRaw(folder.filePath(QStringLiteral("adrsbookHXS.mdb")));
    ScriptedMsgBoxes boxes; // every question answered Yes, every note OK
    Shell::Recorder shell;  // the print batch is not really started

    // Start-up to the main window shown, with both keyed connections.
    std::unique_ptr<FrmMainMdi> main;
    for (int i = 0; i < 5; ++i) {
        main.reset();
        CloseConns();
        Case& c = caseNamed(QStringLiteral("start-up to main window shown"));
        c.ms.append(timed([&] {
            main = std::make_unique<FrmMainMdi>();
            if (!main->MDIForm_Load()) std::exit(1);
            main->show();
            if (!QTest::qWaitForWindowExposed(main.get())) std::exit(1);
        }));
        CloseConns();
        c.floor1.append(timed([] {
            OpenConn();
            OpenConn2();
        }));
        c.floor2.append(c.floor1.last());
    }
    QApplication::setActiveWindow(main.get());
    if (!QTest::qWaitForWindowActive(main.get()))
        std::fprintf(stderr, "warning: main window not active\n");
    // Room for the saves below: the largest book has no free ids left.
    Conn->Execute(QStringLiteral("delete from adrsgrpdtails where adrsconcrnid > 32000"));
    Conn->Execute(QStringLiteral("delete from adrsmstr where adrsid > 32000"));

    // Peak memory with the full result shown, before anything else is measured.
    {
        main->srchengn->trigger();
        auto* f = main->Child<FrmSrchEngn>();
        f->ChkAll->setChecked(true);
        f->Cmbxfiltr->setFocus();
        f->Cmbxfiltr->setEditText(QStringLiteral("Name Wise "));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        paint(f->LstvewSrch);
        std::printf("full result shown: %d rows\n", f->LstvewSrch->Count());
        f->Unload();
        QCoreApplication::processEvents();
    }
    const qint64 peak = peakRssKiB();
    searchEngine(*main, runs, false, QStringLiteral("Name Wise "),
                 QStringLiteral("search, all groups, Name Wise"));
    searchEngine(*main, runs, false, QStringLiteral("City Wise"),
                 QStringLiteral("search, all groups, City Wise"));
    searchEngine(*main, runs, true, QStringLiteral("Name Wise "),
                 QStringLiteral("search, one group, Name Wise"));
    searchEngine(*main, runs, true, QStringLiteral("City Wise"),
                 QStringLiteral("search, one group, City Wise"));

    main->adrs->trigger();
    auto* adrs = main->Child<FrmAdrsMstr1>();
    QTest::mouseClick(adrs->CmdEdt, Qt::LeftButton);
    partyList(QStringLiteral("address master"), adrs->Lstvewadrs, adrs->TxtSrchadrs,
              adrs->Lstvewadrs, runs);
    for (int run = 0; run < runs; ++run) {
        adrs->TxtSrchadrs->setFocus();
        adrs->TxtSrchadrs->clear();
        key(u'S');
        adrs->Lstvewadrs->setFocus();
        adrs->Lstvewadrs->Item(1 + run).Select();
        measure(
            QStringLiteral("address master: load a party"), nullptr,
            [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); }, false);
        QTest::mouseClick(adrs->CmdEdt, Qt::LeftButton); // back to the list
    }
    adrs->Unload();
    QCoreApplication::processEvents();
    main->adrs->trigger();
    adrs = main->Child<FrmAdrsMstr1>();
    for (int run = 0; run < runs; ++run) {
        QTest::mouseClick(adrs->CmdSave, Qt::LeftButton); // New
        adrs->Txtname->setText(QStringLiteral("BENCH PARTY %1").arg(run));
        adrs->TxtAddrs->setText(QStringLiteral("1, MALL ROAD"));
        adrs->LstvewGrup1->setFocus();
        for (int g = 1; g <= 3; ++g)
            adrs->LstvewGrup1->Item(g * 5).SetChecked(true);
        adrs->CmbxCty->setFocus();
        adrs->CmbxCty->setCurrentIndex(3);
        QMetaObject::invokeMethod(adrs->CmbxCty, "activated", Q_ARG(int, 3));
        measure(
            QStringLiteral("save a new party with 3 groups"), nullptr,
            [&] { QTest::mouseClick(adrs->CmdSave, Qt::LeftButton); }, false, false);
    }
    adrs->Unload();

    main->prnt->trigger();
    auto* prnt = main->Child<FrmPrntrpt>();
    partyList(QStringLiteral("printing form"), prnt->LstvewPrnt, prnt->Txtsrch, prnt->LstvewPrnt,
              runs);
    prnt->LstvewPrnt->setFocus();
    prnt->LstvewPrnt->Item(1).Select();
    QTest::keyClick(prnt->LstvewPrnt, Qt::Key_Return);
    prnt->OptnStiker->setChecked(true);
    prnt->txtNoco->setFocus();
    QTest::keyClicks(prnt->txtNoco, QStringLiteral("3"));
    QTest::keyClick(prnt->txtNoco, Qt::Key_Return);
    for (int run = 0; run < runs; ++run)
        measure(
            QStringLiteral("write 3 stickers"), nullptr,
            [&] { QTest::mouseClick(prnt->CmdPrnt, Qt::LeftButton); }, false, false);

    std::printf(
        "\n| case | rows | median ms | p10-p90 ms | floor F1 ms | floor F2 ms | ratio to F2 |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|\n");
    for (const Case& c : cases) {
        const double m = median(c.ms), f2 = median(c.floor2);
        auto floorText = [](const QVector<double>& v) {
            return v.isEmpty() ? QStringLiteral("-") : QString::number(median(v), 'f', 1);
        };
        std::printf("| %s | %.0f | %.1f | %.1f-%.1f | %s | %s | %s |\n", qPrintable(c.name),
                    median(c.rows), m, percentile(c.ms, 0.1), percentile(c.ms, 0.9),
                    qPrintable(floorText(c.floor1)), qPrintable(floorText(c.floor2)),
                    f2 > 0.05 ? qPrintable(QString::number(m / f2, 'f', 1)) : "-");
    }
    std::printf(
        "\npeak memory (RSS) with the full search result shown: %lld MiB; at the end: %lld MiB\n",
        peak / 1024, peakRssKiB() / 1024);
    std::printf("messages shown: %lld\n", qlonglong(boxes.calls.size()));
    for (const MsgBoxCall& c : boxes.calls)
        if (c.Icon() == vbCritical) std::printf("  error: %s\n", qPrintable(c.prompt.simplified()));
    main.reset();
    CloseConns();
    return 0;
}
