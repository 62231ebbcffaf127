// adrsbook-bench [--runs N] [--server SETTINGS.ini [--replace]] DATABASE
// Drives the real windows on a copy of DATABASE (made by adrsbook-gendb)
// through the event loop, as a user's keys arrive, and reports per case the
// median and spread of the time from the key (or click) to the first screen
// of the list painted and to the list complete and painted, next to the
// floor: the same statements run straight on the engine with no windows.
//   F1 = the statement(s) alone; F2 = F1 plus one prepared city lookup per
//   row (what the search engine's result list needs).
// Headless by default; set QT_QPA_PLATFORM (e.g. xcb with DISPLAY) to run
// it on a display. With --server the book is loaded into the database the
// settings file names, which must be empty: one that holds rows is
// refused unless --replace says to replace them.

#include "address/frmadrsmstr1.h"
#include "app/frmmainmdi.h"
#include "data/bookcopy.h"
#include "data/connmodule.h"
#include "data/connstring.h"
#include "data/pgengine.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "data/serversettings.h"
#include "data/statementlog.h"
#include "data/unicodecase.h"
#include "pgfloors.h"
#include "platform/apppath.h"
#include "platform/listview.h"
#include "platform/msgbox.h"
#include "platform/serverwaiting.h"
#include "platform/shell.h"
#include "printing/frmprntrpt.h"
#include "search/frmsrchengn.h"
#include "tests/support/scripted.h"
#include "tools/benchbook.h"
#include "tools/toolargs.h"

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
#include <QSignalBlocker>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sqlite3.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

struct Case {
    QString name;
    QVector<double> ms; // to the list complete and painted
    QVector<double> rows;
    QVector<double> floor1;
    QVector<double> floor2;
    QVector<double> first;        // to the first screen painted
    QVector<double> fromFirstKey; // five quick keys: from the first key
};
QList<Case> cases;

Case& caseNamed(const QString& name) {
    for (Case& c : cases)
        if (c.name == name) return c;
    cases.append(Case{name, {}, {}, {}, {}, {}, {}});
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

// Runs the event loop until `list` is complete and painted. Returns the
// times (ms on `clock`) when its first screen and its complete rows were
// first painted.
struct Painted {
    double first = -1, complete = -1;
};
Painted waitForList(ListView* list, const QElapsedTimer& clock, double since = 0) {
    Painted p;
    const int screen =
        std::max(1, list->viewport()->height() / std::max(1, list->sizeHintForRow(0) > 0
                                                                 ? list->sizeHintForRow(0)
                                                                 : list->fontMetrics().height()));
    const QMetaObject::Connection watch =
        QObject::connect(list, &ListView::Painted, [&](int rows, bool complete) {
            const double now = double(clock.nsecsElapsed()) / 1e6;
            if (now < since) return;
            if (qEnvironmentVariableIsSet("BENCH_DEBUG"))
                std::fprintf(stderr, "paint %.1f rows %d complete %d screen %d\n", now, rows,
                             int(complete), screen);
            if (p.first < 0 && (rows >= screen || complete)) p.first = now;
            if (complete && p.complete < 0) p.complete = now;
        });
    struct Spy : QObject {
        const QElapsedTimer* c;
        bool eventFilter(QObject* o, QEvent* e) override {
            if (e->type() == QEvent::UpdateRequest || e->type() == QEvent::Paint ||
                e->type() == QEvent::Timer || e->type() == QEvent::LayoutRequest)
                std::fprintf(stderr, "  ev %d %s %.1f\n", int(e->type()),
                             o->metaObject()->className(), double(c->nsecsElapsed()) / 1e6);
            return false;
        }
    } spy;
    spy.c = &clock;
    if (qEnvironmentVariableIsSet("BENCH_SPY")) qApp->installEventFilter(&spy);
    int idle = 0;
    while (p.complete < 0 && clock.elapsed() < 20000) {
        QCoreApplication::processEvents();
        if (!list->Filling() && ++idle == 3) list->viewport()->update(); // nothing left to add
    }
    QObject::disconnect(watch);
    qApp->removeEventFilter(&spy);
    if (p.first < 0) p.first = p.complete;
    return p;
}

// The statements a window issued, without its reads of the cities (per row,
// or once for a whole search result).
QStringList mainStatements(const QStringList& log) {
    QStringList out;
    for (const QString& s : log)
        if (!s.startsWith(QLatin1String("Select * from cscmstr where ctyid like '")) &&
            s != QLatin1String("Select ctyid,ctyname,Statename,Contryname from cscmstr"))
            out.append(s);
    return out;
}

// The floors are timed on a handle of the engine's own C interface, opened
// on the same file with the same key and cache: no layer, no windows.
sqlite3* raw = nullptr;
std::unique_ptr<PgFloors> pgFloors;

void closeRaw() {
    sqlite3_close(raw);
    raw = nullptr;
}

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
    if (!raw) { // against a server: timed on libpq (tools/pgfloors.h)
        if (!pgFloors) return;
        QList<EngineStatement> translated;
        for (const QString& s : statements)
            translated << Conn->engine().Translate(s);
        const PgFloors::Times t = pgFloors->Time(translated, lookups);
        c.floor1.append(t.f1);
        c.floor2.append(lookups ? t.f2 : t.f1);
        return;
    }
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

// Three ways to read a long result without holding a read between slices,
// on the engine's C interface: total time and the longest single piece
// (which is how long the window would be kept from painting).
void readStrategies() {
    Engine& engine = Conn->engine();
    const EngineStatement st = engine.Translate(
        QStringLiteral("Select * from Adrsmstr where adrsname like '%A%' order by adrsname"));
    sqlite3_stmt* stmt = prepareRaw(st.sql);
    sqlite3_stmt* byKey =
        prepareRaw(QStringLiteral("SELECT _rowid_,* FROM adrsmstr WHERE _rowid_=?"));
    const int columns = sqlite3_column_count(stmt);
    auto readRow = [](sqlite3_stmt* s, int n) {
        for (int c = 0; c < n; ++c)
            sqlite3_column_text(s, c);
    };
    // Steps from the start: skips `skip` rows, reads at most `limit`; the number read.
    auto piece = [&](int skip, int limit) {
        int read = 0;
        while ((limit < 0 || read < limit) && sqlite3_step(stmt) == SQLITE_ROW) {
            if (skip > 0) {
                --skip;
                continue;
            }
            readRow(stmt, columns);
            ++read;
        }
        sqlite3_reset(stmt);
        return read;
    };
    const int slice = 1000;
    struct Figures {
        const char* name;
        double total = 0, longest = 0;
    };
    Figures rest{"first screen, then the rest in one read (the program's way)"};
    Figures keys{"keys once, then rows by key, 1000 a slice"};
    Figures restart{"each slice runs the statement again and skips what it has"};
    for (int run = 0; run < 5; ++run) {
        double t = timed([&] { piece(0, 100); });
        double u = timed([&] { piece(100, -1); });
        rest.total += t + u;
        rest.longest = std::max(rest.longest, u);

        QVector<qint64> ids;
        t = timed([&] {
            while (sqlite3_step(stmt) == SQLITE_ROW)
                ids.append(sqlite3_column_int64(stmt, 0));
            sqlite3_reset(stmt);
        });
        keys.total += t;
        keys.longest = std::max(keys.longest, t);
        for (qsizetype from = 0; from < ids.size(); from += slice) {
            u = timed([&] {
                for (qsizetype i = from; i < std::min<qsizetype>(ids.size(), from + slice); ++i) {
                    sqlite3_bind_int64(byKey, 1, ids[i]);
                    if (sqlite3_step(byKey) == SQLITE_ROW) readRow(byKey, columns);
                    sqlite3_reset(byKey);
                }
            });
            keys.total += u;
            keys.longest = std::max(keys.longest, u);
        }

        for (int done = 0;;) {
            int got = 0;
            u = timed([&] { got = piece(done, slice); });
            restart.total += u;
            restart.longest = std::max(restart.longest, u);
            done += got;
            if (got < slice) break;
        }
    }
    sqlite3_finalize(stmt);
    sqlite3_finalize(byKey);
    std::printf("\nreading Name Wise \"A\" with no read held between slices, ms (total: mean "
                "of 5 runs; longest piece: over all runs):\n");
    std::printf("| way | total | longest piece |\n|---|---:|---:|\n");
    for (const Figures& f : {rest, keys, restart})
        std::printf("| %s | %.1f | %.1f |\n", f.name, f.total / 5, f.longest);
}

// Runs one user step, timing it (to the first screen and to the list
// complete, both painted) and its floor.
void measure(const QString& name, ListView* list, const std::function<void()>& step, bool lookups,
             bool withFloor = true) {
    QCoreApplication::processEvents(); // nothing left over from before
    QStringList log;
    StatementLog::Watch(&log);
    QElapsedTimer clock;
    clock.start();
    step();
    const double stepped = double(clock.nsecsElapsed()) / 1e6;
    const Painted p = list ? waitForList(list, clock) : Painted{stepped, stepped};
    StatementLog::Watch(nullptr);
    Case& c = caseNamed(name);
    c.ms.append(p.complete);
    c.first.append(p.first);
    c.rows.append(list ? list->Count() : 0);
    if (withFloor) floors(mainStatements(log), c, lookups);
}

// Five keys typed 30 ms apart, from the first to the last list complete and
// painted; the case's own column holds the time from the last key.
void typeQuickly(const QString& name, ListView* list, const QString& word) {
    QCoreApplication::processEvents();
    QElapsedTimer clock;
    clock.start();
    QWidget* box = QApplication::focusWidget();
    double lastKey = 0;
    for (int i = 0; i < word.size(); ++i) {
        while (clock.nsecsElapsed() < qint64(i) * 30'000'000)
            QCoreApplication::processEvents();
        lastKey = double(clock.nsecsElapsed()) / 1e6;
        QTest::keyClicks(box, QString(word[i]));
    }
    const Painted p = waitForList(list, clock, lastKey);
    Case& c = caseNamed(name);
    c.ms.append(p.complete - lastKey);
    c.fromFirstKey.append(p.complete);
    c.rows.append(list->Count());
}

void key(QChar ch) {
    QTest::keyClicks(QApplication::focusWidget(), QString(ch));
}

// The same final text searched by one key: the first letters are put in
// the box without a search, then the last one is typed.
void oneSearch(const QString& name, QLineEdit* box, ListView* list, const QString& word,
               bool lookups) {
    box->setFocus();
    {
        const QSignalBlocker quiet(box);
        box->setText(word.left(word.size() - 1));
    }
    measure(
        name, list, [&] { key(word.back()); }, lookups);
}

// BENCH_ONLY=TEXT measures only the windows whose cases' names hold TEXT
// (for profiling one case).
bool wanted(const QString& label) {
    const QString only = qEnvironmentVariable("BENCH_ONLY");
    return only.isEmpty() || label.contains(only);
}

void searchEngine(FrmMainMdi& main, int runs, bool inGroup, const QString& filter,
                  const QString& label, const QString& word) {
    if (!wanted(label)) return;
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
                paintOnly.ms.append(timed([&] { f->LstvewSrch->viewport()->repaint(); }));
                paintOnly.rows.append(f->LstvewSrch->Count());
            }
            measure(
                label + QLatin1String(names[i]), f->LstvewSrch, [&] { key(typed[i]); }, true);
        }
        if (run == 0 && f->LstvewSrch->Count() != 0)
            std::fprintf(stderr, "warning: the no-match value matched\n");
        oneSearch(label + QStringLiteral(": one search for \"%1\"").arg(word), f->TxtValue,
                  f->LstvewSrch, word, true);
        f->TxtValue->setFocus(); // the list again shows every party
        QElapsedTimer clock;
        clock.start();
        waitForList(f->LstvewSrch, clock);
        {
            const QSignalBlocker quiet(f->TxtValue);
            f->TxtValue->clear();
        }
        typeQuickly(label + QStringLiteral(": five keys 30 ms apart, \"%1\"").arg(word),
                    f->LstvewSrch, word);
    }
    f->Unload();
    QCoreApplication::processEvents();
}

void partyList(const QString& label, QWidget* away, QLineEdit* search, ListView* list, int runs) {
    const QString word = QStringLiteral("SHARM");
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
        oneSearch(label + QStringLiteral(": one search for \"%1\"").arg(word), search, list, word,
                  false);
        away->setFocus();
        search->setFocus(); // all parties again, then the box emptied
        QElapsedTimer clock;
        clock.start();
        waitForList(list, clock);
        typeQuickly(label + QStringLiteral(": five keys 30 ms apart, \"%1\"").arg(word), list,
                    word);
    }
}

// VmHWM (the peak) or VmRSS (now) of this process, in KiB.
qint64 rssKiB(const char* which = "VmHWM:") {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(which))
            return line.mid(qsizetype(qstrlen(which))).trimmed().split(' ').first().toLongLong();
    return 0;
}
qint64 peakRssKiB() {
    return rssKiB("VmHWM:");
}

// The rows of the book's tables a database holds.
qint64 rowsIn(Connection& conn) {
    qint64 rows = 0;
    for (const QString& table : Schema::Tables()) {
        Recordset rs;
        rs.Open(QStringLiteral("Select count(*) from ") + table, &conn);
        rows += rs.Fields(0).Value().toLongLong();
    }
    return rows;
}

// Loads the book in `folder` into the server database the settings file
// `server` names (its rows replaced only with `replace`); the windows then
// run against the server. False, having said why, when it cannot.
bool loadOntoServer(const QTemporaryDir& folder, const QString& server, bool replace) {
    QFile::copy(server, folder.filePath(ServerSettings::FileName()));
    const ServerSettings::Server s = ServerSettings::Read(folder.path());
    const QString at = ConnString::ForServer(s.host, s.port, s.database, s.user, s.sslMode);
    try {
        Connection target;
        target.Open(at);
        if (!target.engine().MissingTables().isEmpty()) {
            target.Close();
            PgEngine::CreateTables(ConnString::Parse(at));
            target.Open(at);
        }
        if (const qint64 rows = rowsIn(target); rows > 0 && !replace) {
            std::fprintf(stderr,
                         "adrsbook-bench: the %s holds %lld row%s of an address book. "
                         "The benchmark deletes every row of the database it runs on: give "
                         "it a separate, empty database (or --replace to replace these "
                         "rows). Nothing has been changed.\n",
                         qPrintable(target.Where()), qlonglong(rows), rows == 1 ? "" : "s");
            return false;
        }
        for (const QString& table : Schema::Tables())
            target.Execute(QStringLiteral("Delete * from ") + table);
        Connection source;
        source.Open(ConnString::ForFile(folder.filePath(QStringLiteral("adrsbookHXS.mdb")),
                                        QString::fromLatin1(kDatabasePassword)));
        BookCopy::CopyRows(source, target);
        pgFloors = std::make_unique<PgFloors>(PgEngine::Conninfo(ConnString::Parse(at)));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "adrsbook-bench: %s\n", e.what());
        return false;
    }
    return true;
}

// Start-up to the main window shown, with both keyed connections.
std::unique_ptr<FrmMainMdi> startUp() {
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
    return main;
}

// Memory with the full result shown, before anything else is measured.
struct Memory {
    qint64 idle = 0, shown = 0, peak = 0, closed = 0;
};
Memory memoryWithFullResult(FrmMainMdi& main) {
    Memory m;
    m.idle = rssKiB("VmRSS:");
    {
        main.srchengn->trigger();
        auto* f = main.Child<FrmSrchEngn>();
        f->ChkAll->setChecked(true);
        f->Cmbxfiltr->setFocus();
        f->Cmbxfiltr->setEditText(QStringLiteral("Name Wise "));
        QElapsedTimer clock;
        clock.start();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        waitForList(f->LstvewSrch, clock);
        std::printf("full result shown: %d rows\n", f->LstvewSrch->Count());
        m.shown = rssKiB("VmRSS:");
        f->Unload();
        QCoreApplication::processEvents();
    }
    m.peak = peakRssKiB();
    m.closed = rssKiB("VmRSS:");
    return m;
}

// The address master: its list, loading a party, saving a new one.
void addressMaster(FrmMainMdi& main, int runs) {
    if (!wanted(QStringLiteral("address master"))) return;
    main.adrs->trigger();
    auto* adrs = main.Child<FrmAdrsMstr1>();
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
    main.adrs->trigger();
    adrs = main.Child<FrmAdrsMstr1>();
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
}

// The printing form: its list and writing stickers.
void printingForm(FrmMainMdi& main, int runs) {
    if (!wanted(QStringLiteral("printing form"))) return;
    main.prnt->trigger();
    auto* prnt = main.Child<FrmPrntrpt>();
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
    prnt->Unload();
    QCoreApplication::processEvents();
}

void printCases() {
    std::printf("\n| case | rows | first screen ms, median (p10-p90) | complete ms, median "
                "(p10-p90) | F1 ms | F2 ms | complete / F2 |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|\n");
    for (const Case& c : cases) {
        const double m = median(c.ms), f2 = median(c.floor2);
        auto floorText = [](const QVector<double>& v) {
            return v.isEmpty() ? QStringLiteral("-") : QString::number(median(v), 'f', 1);
        };
        auto spread = [](const QVector<double>& v) {
            return v.isEmpty() ? QStringLiteral("-")
                               : QStringLiteral("%1 (%2-%3)")
                                     .arg(median(v), 0, 'f', 1)
                                     .arg(percentile(v, 0.1), 0, 'f', 1)
                                     .arg(percentile(v, 0.9), 0, 'f', 1);
        };
        QString name = c.name;
        if (!c.fromFirstKey.isEmpty())
            name += QStringLiteral(" (from the last key; from the first: %1)")
                        .arg(spread(c.fromFirstKey));
        std::printf("| %s | %.0f | %s | %s | %s | %s | %s |\n", qPrintable(name), median(c.rows),
                    qPrintable(spread(c.first)), qPrintable(spread(c.ms)),
                    qPrintable(floorText(c.floor1)), qPrintable(floorText(c.floor2)),
                    f2 > 0.05 ? qPrintable(QString::number(m / f2, 'f', 2)) : "-");
    }
}

} // namespace

int main(int argc, char* argv[]) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    WindowsServerWait serverWait; // as the program waits on a server
    ServerWait::Set(&serverWait);
    const ToolSyntax tool{
        "adrsbook-bench",
        "adrsbook-bench [--runs N] [--server SETTINGS.ini [--replace]] [--] DATABASE",
        {QStringLiteral("--replace")},
        {QStringLiteral("--runs"), QStringLiteral("--server")}};
    int status = 0;
    const auto given = ReadToolArgs(tool, QCoreApplication::arguments().mid(1), status);
    if (!given) return status;
    const QStringList args = given->names;
    bool counted = true;
    const int runs = given->Value(QStringLiteral("--runs"), QStringLiteral("20")).toInt(&counted);
    if (!counted || runs < 1)
        return RefuseTool(tool, QStringLiteral("--runs takes a number from 1"));
    const QString server = given->Value(QStringLiteral("--server"));
    const bool replace = given->Has(QStringLiteral("--replace"));
    if (const QString why = BenchBookUnreadable(args[0]); !why.isEmpty())
        return RefuseTool(tool, why);
    QTemporaryDir folder;
    QFile::copy(args[0], folder.filePath(QStringLiteral("adrsbookHXS.mdb")));
    SetAppPathForTesting(folder.path());
    const QString book = folder.filePath(QStringLiteral("adrsbookHXS.mdb"));
    if (!server.isEmpty()) {
        if (!loadOntoServer(folder, server, replace)) return 1;
        std::printf("the book is on the server: %s\n", qPrintable(ServerWhere()));
    }
    if (const QString why = BenchBookTooSmall(args[0], runs); !why.isEmpty())
        return RefuseTool(tool, why);
    ScriptedMsgBoxes boxes; // every question answered Yes, every note OK
    Shell::Recorder shell;  // the print batch is not really started

    std::unique_ptr<FrmMainMdi> main = startUp();
    QApplication::setActiveWindow(main.get());
    if (!QTest::qWaitForWindowActive(main.get()))
        std::fprintf(stderr, "warning: main window not active\n");
    // Room for the saves below: the largest book has no free ids left.
    Conn->Execute(QStringLiteral("delete from adrsgrpdtails where adrsconcrnid > 32000"));
    Conn->Execute(QStringLiteral("delete from adrsmstr where adrsid > 32000"));

    // The floors' own handle (and its page cache) is opened after memory is
    // measured, and closed again before the end is: its memory is not the
    // program's.
    const Memory memory = memoryWithFullResult(*main);
    if (server.isEmpty()) openRaw(book);
    searchEngine(*main, runs, false, QStringLiteral("Name Wise "),
                 QStringLiteral("search, all groups, Name Wise"), QStringLiteral("SHARM"));
    searchEngine(*main, runs, false, QStringLiteral("City Wise"),
                 QStringLiteral("search, all groups, City Wise"), QStringLiteral("PATIA"));
    searchEngine(*main, runs, true, QStringLiteral("Name Wise "),
                 QStringLiteral("search, one group, Name Wise"), QStringLiteral("SHARM"));
    searchEngine(*main, runs, true, QStringLiteral("City Wise"),
                 QStringLiteral("search, one group, City Wise"), QStringLiteral("PATIA"));

    addressMaster(*main, runs);
    printingForm(*main, runs);
    printCases();
    // At the end every window but the main one is closed again: what it
    // holds beyond idle, a moment later, is what the run left behind.
    const bool floorsOnFile = raw != nullptr;
    if (floorsOnFile) {
        closeRaw();
#if defined(__GLIBC__)
        malloc_trim(0); // the handle's page cache, freed
#endif
    }
    QElapsedTimer rest;
    rest.start();
    while (rest.elapsed() < 1500)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    std::printf("\nmemory (RSS): idle %lld MiB; full search result shown %lld MiB; window closed "
                "%lld MiB; peak %lld MiB; at the end %lld MiB (peak of the whole run %lld MiB)\n",
                memory.idle / 1024, memory.shown / 1024, memory.closed / 1024, memory.peak / 1024,
                rssKiB("VmRSS:") / 1024, peakRssKiB() / 1024);
    if (floorsOnFile) {
        openRaw(book);
        readStrategies();
    }
    std::printf("messages shown: %lld\n", qlonglong(boxes.calls.size()));
    for (const MsgBoxCall& c : boxes.calls)
        if (c.Icon() == vbCritical) std::printf("  error: %s\n", qPrintable(c.prompt.simplified()));
    main.reset();
    CloseConns();
    return 0;
}
