// Hostile typing. Every text box and combo box of every window is typed
// into through the keyboard (keys sent to the focused control, pastes with
// Ctrl+V) with generated inputs: apostrophes and quotes, the pattern
// characters of `like`, statement pieces, letters of many scripts, control
// characters and texts beyond each box's limit. No error may surface, no
// table may change but the one saved to, what is saved must come back
// exactly as the box held it, and every search must list exactly the rows
// its pattern matches.
//
// The slots share one address book and run in order: the registers first,
// then parties that use their cities and groups, then the searches.

#include "address/frmadrsmstr1.h"
#include "data/connmodule.h"
#include "masters/frmcsc.h"
#include "masters/frmgrupmstr.h"
#include "platform/listview.h"
#include "platform/msgbox.h"
#include "platform/shell.h"
#include "platform/vb.h"
#include "printing/frmprntrpt.h"
#include "printing/printfile.h"
#include "search/frmsrchengn.h"
#include "support/fixture.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <memory>
#include <random>

// A check inside a routine that returns a value: records the failure and returns.
#define CHECK_OR(cond, result)                                                                     \
    do {                                                                                           \
        if (!QTest::qVerify(static_cast<bool>(cond), #cond, "", __FILE__, __LINE__))               \
            return result;                                                                         \
    } while (false)

namespace {

// ---- Generated inputs ---------------------------------------------------------

// One keyboard action: characters typed one key each, or a text pasted.
struct Stroke {
    bool paste = false;
    QString text;
};
using Input = QList<Stroke>;

QString Ctrl(char16_t c) {
    return QString(QChar(c));
}

const QStringList& Fragments() {
    static const QStringList fragments = [] {
        QStringList f;
        for (const char* s :
             {// quoting and statement pieces
              "'", "''", "O'BRIEN", "\"", "\"\"", "`", "\\", "--", ";", "/*", "*/", "?", "?1", ":a",
              "@x", "'; DROP TABLE adrsmstr; --", "'); DELETE FROM cscmstr; --", "' OR '1'='1",
              "\" OR \"\"=\"", "1; UPDATE adrsgrupmstr SET grpname='X' --",
              "' UNION SELECT sql FROM sqlite_master --", "'||(SELECT 1)||'", "x' AND 0 --",
              "PRAGMA key='x'", "ATTACH 'x' AS y",
              // pattern characters of like, in both dialects
              "%", "_", "%%", "[", "]", "[A-Z]", "[!A]", "*", "#",
              // letters of the single-byte code page
              "é", "ÄÖÜ", "ß", "ñ", "ç", "ÿ", "Ø", "æ", "µ",
              // and beyond it: other scripts, symbols, pairs of code units, marks and format
              // characters
              "नमस्ते", "北京", "東京都", "Ωμέγα", "Жуков", "€", "😀", "👍🏽", "𝒜", "ı", "ſ", "ﬁ",
              "e\u0301", "\u200B", "\uFEFF", "\u202E", "\u00A0",
              // plain text and blanks
              "A", "B", "RAM", "SHOP", "12", "0", " ", "  "})
            f.append(QString::fromUtf8(s));
        return f;
    }();
    return fragments;
}

// Control characters: typed, the boxes refuse them; pasted, they arrive.
const QStringList& Controls() {
    static const QStringList controls{Ctrl(0x01), Ctrl(u'\t'), Ctrl(u'\n'), QStringLiteral("\r\n"),
                                      Ctrl(0x07), Ctrl(0x1b),  Ctrl(0x7f),  Ctrl(0x1f),
                                      Ctrl(0)};
    return controls;
}

// A fixed seed: every run types the same inputs.
class Hostile {
  public:
    int Pick(int n) { return int(rng_() % quint32(n)); }

    // An input for a box of `limit` characters (0: no limit of its own).
    Input Next(int limit) {
        const int kind = Pick(20);
        if (kind == 0) return {Stroke{false, QStringLiteral("   ")}}; // blanks only
        if (kind == 1) return {Stroke{false, Controls()[Pick(2)] + Controls()[4 + Pick(4)]}};
        const int room = limit > 0 ? limit : 48;
        const int target = kind < 5 ? room + 1 + Pick(10) : 1 + Pick(qMin(room, 20));
        Input in;
        int length = 0;
        if (Pick(6) == 0) in.append(Stroke{false, QStringLiteral("  ")});
        while (length < target) {
            Stroke s;
            s.paste = Pick(5) == 0;
            s.text = Fragments()[Pick(int(Fragments().size()))];
            if (Pick(8) == 0) s.text += Controls()[Pick(int(Controls().size()))];
            length += int(s.text.size());
            in.append(s);
        }
        if (Pick(6) == 0) in.append(Stroke{false, QStringLiteral(" ")});
        return in;
    }

  private:
    std::mt19937 rng_{20240531u};
};

// ---- The keyboard ----------------------------------------------------------------

// The texts single key presses carry: one per character, a pair of code
// units together.
QStringList Keys(const QString& text) {
    QStringList keys;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            keys.append(text.mid(i, 2));
            ++i;
        } else {
            keys.append(text.mid(i, 1));
        }
    }
    return keys;
}

bool IsControl(const QString& key) {
    return key.size() == 1 && (key[0].unicode() < 0x20 || key[0].unicode() == 0x7f);
}

void PressCharacter(const QString& key) {
    QWidget* w = Focused();
    if (!w) return;
    int code = Qt::Key_unknown;
    if (key.size() == 1 && !IsControl(key)) code = key[0].toUpper().unicode();
    QTest::sendKeyEvent(QTest::Click, w, Qt::Key(code), key, Qt::NoModifier);
}

void Paste(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    if (QWidget* w = Focused()) QTest::keyClick(w, Qt::Key_V, Qt::ControlModifier);
}

void SelectAll() {
    if (QWidget* w = Focused()) QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
}

void Type(const Input& in) {
    for (const Stroke& s : in) {
        if (s.paste) {
            Paste(s.text);
            continue;
        }
        for (const QString& key : Keys(s.text))
            PressCharacter(key);
    }
}

QString Show(const QString& s) {
    QString out;
    for (const QChar c : s)
        out += c.unicode() < 0x20 || c.unicode() == 0x7f || c.isSurrogate()
                   ? QStringLiteral("\\x%1").arg(c.unicode(), 0, 16)
                   : QString(c);
    return out;
}

QString Show(const Input& in) {
    QString out;
    for (const Stroke& s : in)
        out += (s.paste ? QStringLiteral("<paste:") : QStringLiteral("<")) + Show(s.text) + u'>';
    return out;
}

// How a one-line box treats the keys.
struct BoxRule {
    int limit = 32767;
    bool upper = false;  // typed letters become capitals
    bool digits = false; // only digits can be typed or pasted
};

// What a one-line box holds after the strokes, typed into `text` with the
// cursor at the end and `selected` characters at the end selected. A
// character that does not fit whole is refused whole.
QString Held(QString text, int selected, const Input& in, const BoxRule& rule) {
    auto insert = [&](const QString& piece) {
        if (selected > 0) {
            text.chop(selected);
            selected = 0;
        }
        text += piece;
    };
    for (const Stroke& s : in) {
        if (s.paste) {
            if (rule.digits &&
                !QRegularExpression(QStringLiteral("^[0-9]*$")).match(s.text).hasMatch())
                continue;
            const qsizetype room = rule.limit - (text.size() - selected);
            // The box takes what fits, then drops a half character and NULs.
            QString piece = s.text.left(room);
            if (!piece.isEmpty() && piece.back().isHighSurrogate()) piece.chop(1);
            insert(piece.remove(QChar(0)));
            continue;
        }
        for (QString key : Keys(s.text)) {
            if (IsControl(key)) continue;
            if (rule.digits && !(key.size() == 1 && key[0].isDigit() && key[0].unicode() < 128))
                continue;
            if (rule.upper && key.size() == 1 && QString(key).toUpper().size() == 1)
                key = key.toUpper();
            if (text.size() - selected + key.size() > rule.limit) {
                if (selected > 0) insert(QString()); // the key still replaces the selection
                continue;
            }
            insert(key);
        }
    }
    return text;
}

QLineEdit* EditOf(QWidget* box) {
    if (auto* combo = qobject_cast<QComboBox*>(box)) return combo->lineEdit();
    return qobject_cast<QLineEdit*>(box);
}

// Types the input into the focused box and checks that the box holds what
// the keys put there. Returns what it holds.
QString Enter(const Input& in, const BoxRule& rule, int& counter) {
    QLineEdit* edit = EditOf(Focused());
    if (!edit) {
        qWarning("no text box has the focus");
        return QString();
    }
    if (!edit->hasSelectedText() && edit->cursorPosition() != edit->text().size())
        PressKey(Qt::Key_End);
    int selected = 0;
    if (edit->hasSelectedText() && edit->selectionEnd() == edit->text().size())
        selected = int(edit->selectedText().size());
    const QString expected = Held(edit->text(), selected, in, rule);
    Type(in);
    ++counter;
    if (edit->text() != expected)
        QTest::qFail(qPrintable(QStringLiteral("typed %1 into %2: holds \"%3\", expected \"%4\"")
                                    .arg(Show(in), Focused()->objectName(), Show(edit->text()),
                                         Show(expected))),
                     __FILE__, __LINE__);
    return edit->text();
}

void Click(QWidget* w) {
    QTest::mouseClick(w, Qt::LeftButton);
    Settle();
}

// A box reached with the mouse: clicked into and its text selected, to be typed over.
void ClickInto(QWidget* box) {
    QTest::mouseClick(EditOf(box) ? EditOf(box) : box, Qt::LeftButton);
    SelectAll();
}

bool HasLoneSurrogate(const QString& s) {
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate())
            ++i;
        else if (s[i].isSurrogate())
            return true;
    }
    return false;
}

// ---- The pattern of like --------------------------------------------------------

// The book's like: % any run of characters, _ one character, letters of
// every alphabet alike in either case (simple case folding), everything
// else itself.
bool Like(const QList<uint>& v, qsizetype i, const QList<uint>& p, qsizetype j) {
    auto fold = [](uint c) {
        return c < 128 ? uint(QChar::toLower(char32_t(c))) : uint(QChar::toCaseFolded(char32_t(c)));
    };
    while (j < p.size()) {
        if (p[j] == u'%') {
            while (j < p.size() && p[j] == u'%')
                ++j;
            if (j == p.size()) return true;
            for (qsizetype k = i; k <= v.size(); ++k)
                if (Like(v, k, p, j)) return true;
            return false;
        }
        if (i == v.size()) return false;
        if (p[j] != u'_' && fold(p[j]) != fold(v[i])) return false;
        ++i;
        ++j;
    }
    return i == v.size();
}

bool Like(const QString& value, const QString& pattern) {
    return Like(value.toUcs4(), 0, pattern.toUcs4(), 0);
}

bool Contains(const QString& value, const QString& typed) {
    return Like(value, QStringLiteral("%") + typed + QStringLiteral("%"));
}

// ---- The book ----------------------------------------------------------------------

// The tables' definitions and row counts, to prove nothing else changed.
struct BookState {
    QStringList schema;
    QMap<QString, int> counts;
    bool operator==(const BookState&) const = default;
};

BookState StateOf(const TestBook& book) {
    BookState s;
    for (const QStringList& row :
         book.Rows(QStringLiteral("select sql from sqlite_master order by name")))
        s.schema.append(row.value(0));
    for (const char* table : {"cscmstr", "adrsgrupmstr", "adrsmstr", "adrsgrpdtails"})
        s.counts.insert(QString::fromLatin1(table), book.Count(QString::fromLatin1(table)));
    return s;
}

QStringList ListTexts(ListView* list, int column = 0) {
    list->Flush();
    QStringList out;
    for (int i = 1; i <= list->Count(); ++i)
        out.append(column == 0 ? list->Item(i).Text() : list->Item(i).SubItem(column));
    return out;
}

// Clicks the row whose sub-item carries the id; false when no row does.
bool ClickRow(ListView* list, const QString& id) {
    list->Flush();
    for (int i = 1; i <= list->Count(); ++i) {
        if (list->Item(i).SubItem(1) != id) continue;
        const QModelIndex index = list->model()->index(i - 1, 0);
        list->scrollTo(index);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
        return list->SelectedItem() && list->SelectedItem()->SubItem(1) == id;
    }
    return false;
}

QStringList Sorted(QStringList l) {
    l.sort();
    return l;
}

// Opens the focused city combo's list and chooses the first entry with
// exactly that text.
void PickCity(QComboBox* combo, const QString& city) {
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    QTRY_VERIFY(view->isVisible());
    const int index = combo->findText(city);
    QVERIFY2(index >= 0, qPrintable(Show(city)));
    view->setCurrentIndex(view->model()->index(index, 0));
    QTest::keyClick(view, Qt::Key_Return);
    Settle();
    // The headless platform leaves the closed pop-up as the active window.
    QApplication::setActiveWindow(combo->window());
    QVERIFY(QTest::qWaitForWindowActive(combo->window()));
}

// Ticks or unticks a checklist row (1-based) with the arrows and the space bar.
void ToggleRow(ListView* list, int row) {
    list->Flush();
    QTest::keyClick(list, Qt::Key_Home);
    for (int i = 1; i < row; ++i)
        QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Space);
}

QStringList Ticked(ListView* list) {
    QStringList ids;
    for (int i = 1; i <= list->Count(); ++i)
        if (list->Item(i).Checked()) ids.append(list->Item(i).SubItem(1));
    ids.sort();
    return ids;
}

// Keys that give exactly this text: typed, or pasted when it holds a
// character no key types.
Input Exactly(const QString& text) {
    for (const QString& key : Keys(text))
        if (IsControl(key)) return {Stroke{true, text}};
    return {Stroke{false, text}};
}

const QStringList kSaved{QStringLiteral("Are you Sure to save this Record"),
                         QStringLiteral("Record has been Saved")};
const QStringList kUpdated{QStringLiteral("Are you Sure to save this Record"),
                           QStringLiteral("Record has been updated")};

} // namespace

class HostileInputTests : public QObject {
    Q_OBJECT

    std::unique_ptr<TestBook> book;
    Hostile gen;
    QMap<QString, int> inputs; // per window
    QElapsedTimer clock;

    // The cities and groups saved through the registers, by id.
    QMap<int, QStringList> cities;
    QMap<int, QString> groups;

    // A register window: its boxes, typed in order with Enter between them,
    // then Save; later each entry is loaded back through Edit and the list.
    struct Register {
        QList<QLineEdit*> boxes;
        QList<int> limits;
        QPushButton *save, *edit;
        ListView* list;
        QString window, table, select; // select: the id and the boxes' columns
    };

    // Types the inputs (one per box) and saves; the saved values, or an empty
    // list when the entry was refused for an empty box.
    QStringList EnterAndSave(const Register& r, const QList<Input>& in, bool adding) {
        if (adding) {
            if (r.save->text() == QLatin1String("&New"))
                Click(r.save);
            else
                r.boxes[0]->setFocus(); // a refused entry stays open
        }
        QStringList held;
        for (int b = 0; b < r.boxes.size(); ++b) {
            CHECK_OR(Focused() == r.boxes[b], {});
            held.append(Trim(Enter(in[b], BoxRule{r.limits[b], true}, inputs[r.window])));
            PressEnter();
        }
        CHECK_OR(Focused() == r.save, {});
        ScriptedMsgBoxes boxes;
        BookState after = StateOf(*book);
        Click(r.save);
        const bool refused = held.contains(QString());
        if (!refused && adding) ++after.counts[r.table];
        CHECK_OR(QTest::qCompare(boxes.Prompts(),
                                 refused  ? QStringList()
                                 : adding ? kSaved
                                          : kUpdated,
                                 "prompts", "expected", __FILE__, __LINE__),
                 {});
        CHECK_OR(StateOf(*book) == after, {});
        return refused ? QStringList() : held;
    }

    QMap<int, QStringList> Table(const Register& r) {
        QMap<int, QStringList> rows;
        for (QStringList row : book->Rows(r.select))
            rows.insert(row.takeFirst().toInt(), row);
        return rows;
    }

    // Loads the entry with the id through Edit, the list and Enter; the boxes
    // must show the stored values.
    void LoadBack(const Register& r, int id, const QStringList& stored) {
        if (r.edit->text() == QLatin1String("&Cancel")) Click(r.edit); // after a refused new entry
        Click(r.edit);
        QCOMPARE(Focused(), static_cast<QWidget*>(r.list));
        QVERIFY2(ClickRow(r.list, QString::number(id)), qPrintable(stored.join(u'|')));
        PressEnter();
        Settle();
        QStringList shown;
        for (QLineEdit* box : r.boxes)
            shown.append(box->text());
        QCOMPARE(shown, stored);
        QCOMPARE(Focused(), static_cast<QWidget*>(r.boxes[0]));
    }

    void RunRegister(const Register& r, int entries, const QList<QList<Input>>& fixed,
                     QMap<int, QStringList>& saved) {
        ScriptedMsgBoxes quiet;
        for (int i = 0; i < entries; ++i) {
            QList<Input> in = i < fixed.size() ? fixed[i] : QList<Input>();
            for (int b = int(in.size()); b < r.boxes.size(); ++b)
                in.append(gen.Next(r.limits[b]));
            const QStringList held = EnterAndSave(r, in, true);
            if (QTest::currentTestFailed()) return;
            if (!held.isEmpty()) saved.insert(Table(r).lastKey(), held);
        }
        QCOMPARE(Table(r), saved);
        // Every entry loads back as saved; every fourth is then typed over and saved again.
        int n = 0;
        for (auto it = saved.begin(); it != saved.end(); ++it, ++n) {
            LoadBack(r, it.key(), it.value());
            if (QTest::currentTestFailed()) return;
            if (n % 4 != 0) continue;
            QList<Input> in;
            for (int b = 0; b < r.boxes.size(); ++b)
                in.append(gen.Next(r.limits[b]));
            const QStringList held = EnterAndSave(r, in, false);
            if (QTest::currentTestFailed()) return;
            if (!held.isEmpty()) *it = held;
        }
        QCOMPARE(Table(r), saved);
        QVERIFY(quiet.calls.isEmpty());
    }

    // ---- Parties ---------------------------------------------------------------

    // A party as saved: adrsname, adrscontact, adrs1, adrs2, adrs3, adrspin,
    // adrscstno, adrsphno, adrsmobno, adrsfax, adrsemail, adrsweb, adrsnotes,
    // then its city's name and its groups' ids.
    QMap<int, QStringList> parties;

    QMap<int, QStringList> Parties() {
        QMap<int, QStringList> links;
        for (const QStringList& row :
             book->Rows(QStringLiteral("select adrsconcrnid, adrsgrupid from adrsgrpdtails")))
            links[row[0].toInt()].append(row[1]);
        QMap<int, QStringList> out;
        for (QStringList row : book->Rows(
                 QStringLiteral("select a.adrsid, a.adrsname, a.adrscontact, a.adrs1, a.adrs2, "
                                "a.adrs3, a.adrspin, a.adrscstno, "
                                "a.adrsphno, a.adrsmobno, a.adrsfax, a.adrsemail, a.adrsweb, "
                                "a.adrsnotes, c.ctyname "
                                "from adrsmstr a left join cscmstr c on c.ctyid = a.adrsctyid"))) {
            const int id = row.takeFirst().toInt();
            QStringList groupIds = links.value(id);
            groupIds.sort();
            out.insert(id, row << groupIds.join(u','));
        }
        return out;
    }

    // The ids of the parties whose name holds the typed text, as like sees it.
    QStringList PartiesMatching(const QString& typed) {
        QStringList ids;
        for (auto it = parties.cbegin(); it != parties.cend(); ++it)
            if (Contains(it.value()[0], typed)) ids.append(QString::number(it.key()));
        ids.sort();
        return ids;
    }

    // New (or the loaded party): the boxes in their Enter chain, the group
    // checklist, the city combo (typed into, then the city chosen from its
    // list), the phones, then the boxes reached with the mouse; Save. The
    // party as the boxes held it, or nothing when the entry was refused.
    QStringList EnterParty(FrmAdrsMstr1& f, bool adding, const QString& city, int oldLinks) {
        int& n = inputs[QStringLiteral("Address master")];
        if (adding) {
            if (f.CmdSave->text() == QLatin1String("&New"))
                Click(f.CmdSave);
            else
                f.Txtname->setFocus(); // a refused entry stays open
        }
        QStringList v;
        for (QLineEdit* box : {f.Txtname, f.TxtCntact, f.TxtAddrs, f.Txtarea, f.Txtland}) {
            CHECK_OR(Focused() == box, {});
            v.append(Trim(Enter(gen.Next(32), BoxRule{32, true}, n)));
            PressEnter();
        }
        ListView* checklist = f.LstvewGrup1;
        CHECK_OR(Focused() == checklist && checklist->Count() == groups.size(), {});
        const int toggles = adding ? 1 + gen.Pick(3) : 1;
        for (int t = 0; t < toggles; ++t)
            ToggleRow(checklist, 1 + gen.Pick(checklist->Count()));
        if (Ticked(checklist).isEmpty()) ToggleRow(checklist, 1 + gen.Pick(checklist->Count()));
        PressEnter();
        if (adding) {
            CHECK_OR(Focused() == f.CmbxCty, {});
            Enter(gen.Next(0), BoxRule{}, n);
            PickCity(f.CmbxCty, city);
            if (QTest::currentTestFailed()) return {};
            const QStringList picked = cities.value(f.CtyId);
            CHECK_OR(picked.value(0) == city, {});
            CHECK_OR(f.LblState->text() == picked.value(1) &&
                         f.LblContry->text() == picked.value(2),
                     {});
            PressEnter();
        }
        CHECK_OR(Focused() == f.MskedtPhno, {});
        const QString phone =
            Enter(gen.Next(15), BoxRule{15}, n); // phones are kept as typed, blanks too
        PressEnter();
        const QString mobile = Enter(gen.Next(15), BoxRule{15}, n);
        PressEnter();
        CHECK_OR(Focused() == f.CmdSave, {});
        const auto typeOver = [&](QWidget* box, int limit) {
            ClickInto(box);
            return Trim(Enter(gen.Next(limit), BoxRule{limit}, n));
        };
        v << typeOver(f.TxtPin, 32) << typeOver(f.TxtVat, 32) << phone << mobile
          << typeOver(f.Txtfax, 32) << typeOver(f.Txtemail, 100) << typeOver(f.Txtweb, 100);
        ClickInto(f.Txtnote);
        Type(gen.Next(500));
        ++n;
        const QString note = f.Txtnote->toPlainText();
        CHECK_OR(note.size() <= 500, {});
        v << Trim(note) << (adding ? city : f.LblCty->text()) << Ticked(checklist).join(u',');
        for (const QString& value : v)
            CHECK_OR(!HasLoneSurrogate(value), {});

        ScriptedMsgBoxes boxes;
        BookState after = StateOf(*book);
        const int links = int(Ticked(checklist).size());
        Click(f.CmdSave);
        const bool refused = v[0].isEmpty() || v[2].isEmpty();
        if (!refused) {
            if (adding) ++after.counts[QStringLiteral("adrsmstr")];
            after.counts[QStringLiteral("adrsgrpdtails")] += links - oldLinks;
        }
        // Typed values may match a party saved before: the duplicate
        // question comes first and is answered Yes.
        QStringList prompts = boxes.Prompts();
        if (!prompts.isEmpty() && prompts[0].startsWith(QLatin1String("A party with this")))
            prompts.removeFirst();
        CHECK_OR(QTest::qCompare(prompts,
                                 refused  ? QStringList()
                                 : adding ? kSaved
                                          : kUpdated,
                                 "prompts", "expected", __FILE__, __LINE__),
                 {});
        const BookState now = StateOf(*book);
        CHECK_OR(
            QTest::qCompare(now.counts, after.counts, "counts", "expected", __FILE__, __LINE__),
            {});
        CHECK_OR(now.schema == after.schema, {});
        return refused ? QStringList() : v;
    }

    // Edit, the party's name pasted into the search box (typed, its letters
    // would turn capitals), Enter, the party's row, Enter: every box shows
    // what was saved.
    void LoadParty(FrmAdrsMstr1& f, int id, const QStringList& stored) {
        if (f.CmdEdt->text() == QLatin1String("&Cancel"))
            Click(f.CmdEdt); // after a refused new entry
        Click(f.CmdEdt);
        QCOMPARE(Focused(), static_cast<QWidget*>(f.TxtSrchadrs));
        Paste(stored[0]);
        const QStringList listed = Sorted(ListTexts(f.Lstvewadrs, 1));
        QCOMPARE(listed, PartiesMatching(Trim(f.TxtSrchadrs->text())));
        QVERIFY(listed.contains(QString::number(id)));
        PressEnter();
        QCOMPARE(Focused(), static_cast<QWidget*>(f.Lstvewadrs));
        QVERIFY(ClickRow(f.Lstvewadrs, QString::number(id)));
        PressEnter();
        Settle();
        QStringList shown;
        for (QLineEdit* box :
             {f.Txtname, f.TxtCntact, f.TxtAddrs, f.Txtarea, f.Txtland, f.TxtPin, f.TxtVat,
              f.MskedtPhno, f.MskedtMobNo, f.Txtfax, f.Txtemail, f.Txtweb})
            shown.append(box->text());
        shown << f.Txtnote->toPlainText() << f.LblCty->text() << Ticked(f.LstvewGrup1).join(u',');
        QCOMPARE(shown, stored);
        QCOMPARE(Focused(), static_cast<QWidget*>(f.Txtname));
    }

    static Input Typed(const char* text) { return {Stroke{false, QString::fromUtf8(text)}}; }
    static Input Pasted(const char* text) { return {Stroke{true, QString::fromUtf8(text)}}; }

  private slots:
    void initTestCase() {
        clock.start();
        book = std::make_unique<TestBook>();
    }

    void cleanupTestCase() {
        int total = 0;
        for (auto it = inputs.cbegin(); it != inputs.cend(); ++it) {
            qInfo("%s: %d inputs", qPrintable(it.key()), it.value());
            total += it.value();
        }
        qInfo("%d inputs in all, %lld ms", total, clock.elapsed());
        book.reset();
    }

    // Cities first: names that are patterns of each other, so that a city
    // picked by its name must not be mistaken for another that the pattern
    // also matches.
    void cityRegister_savesAndLoadsBackWhatWasTyped() {
        FrmCsC form;
        form.Form_Load();
        ShowAndActivate(&form);
        const Register r{
            {form.txtcty, form.txtstate, form.txtcontry},
            {15, 10, 10},
            form.CmdSave,
            form.CmdEdt,
            form.LstvewCsc,
            QStringLiteral("City master"),
            QStringLiteral("cscmstr"),
            QStringLiteral("select ctyid, ctyname, statename, contryname from cscmstr")};
        const QList<QList<Input>> fixed{
            {Typed("AXB"), Typed("S1"), Typed("C1")},
            {Typed("A_B"), Typed("S2"), Typed("C2")},
            {Typed("AZZB"), Typed("S3"), Typed("C3")},
            {Typed("A%B"), Typed("S4"), Typed("C4")},
            {Typed("O'BRIEN"), Typed("S5"), Typed("C5")},
            {Pasted("o'brien"), Typed("S6"), Typed("C6")},
            {Typed("É"), Typed("S7"), Typed("C7")},
            {Pasted("é"), Typed("S8"), Typed("C8")},
        };
        RunRegister(r, 130, fixed, cities);
    }

    void groupRegister_savesAndLoadsBackWhatWasTyped() {
        FrmGrupMstr form;
        form.Form_Load();
        ShowAndActivate(&form);
        const Register r{{form.txtGrup},
                         {15},
                         form.CmdSave,
                         form.CmdEdt,
                         form.LstvewGrup,
                         QStringLiteral("Group master"),
                         QStringLiteral("adrsgrupmstr"),
                         QStringLiteral("select grpid, grpname from adrsgrupmstr")};
        QMap<int, QStringList> saved;
        RunRegister(r, 90, {{Typed("O'BRIEN & CO")}, {Typed("100%")}}, saved);
        for (auto it = saved.cbegin(); it != saved.cend(); ++it)
            groups.insert(it.key(), it.value().value(0));
    }

    // Parties in every box; the first ones pick the cities whose names are
    // patterns of others, or differ from others only in letter case.
    void addressMaster_savesAndLoadsBackWhatWasTyped() {
        QVERIFY(!cities.isEmpty() && !groups.isEmpty());
        FrmAdrsMstr1 f;
        f.Form_Load();
        ShowAndActivate(&f);
        ScriptedMsgBoxes quiet;
        const QStringList tricky{QStringLiteral("A_B"),     QStringLiteral("A%B"),
                                 QStringLiteral("o'brien"), QStringLiteral("O'BRIEN"),
                                 QString::fromUtf8("é"),    QString::fromUtf8("É")};
        const QList<int> cityIds = cities.keys();
        for (int i = 0; i < 60; ++i) {
            const QString city = i < tricky.size()
                                     ? tricky[i]
                                     : cities.value(cityIds[gen.Pick(int(cityIds.size()))])[0];
            const QStringList held = EnterParty(f, true, city, 0);
            if (QTest::currentTestFailed()) return;
            if (!held.isEmpty()) parties.insert(Parties().lastKey(), held);
        }
        QCOMPARE(Parties(), parties);
        // Each party loads back as saved; every third is typed over and saved again.
        int n = 0;
        for (auto it = parties.begin(); it != parties.end(); ++it, ++n) {
            LoadParty(f, it.key(), it.value());
            if (QTest::currentTestFailed()) return;
            if (n % 3 != 0) continue;
            const int links =
                it.value().last().isEmpty() ? 0 : int(it.value().last().count(u',')) + 1;
            const QStringList held = EnterParty(f, false, QString(), links);
            if (QTest::currentTestFailed()) return;
            if (!held.isEmpty()) *it = held;
        }
        QCOMPARE(Parties(), parties);
        QVERIFY(quiet.calls.isEmpty());
    }

    // The search box lists exactly the parties whose names its text matches.
    void addressSearch_listsExactlyTheMatchingParties() {
        QVERIFY(!parties.isEmpty());
        FrmAdrsMstr1 f;
        f.Form_Load();
        ShowAndActivate(&f);
        ScriptedMsgBoxes boxes;
        const BookState before = StateOf(*book);
        Click(f.CmdEdt);
        QCOMPARE(Focused(), static_cast<QWidget*>(f.TxtSrchadrs));
        int& n = inputs[QStringLiteral("Address master")];
        for (int i = 0; i < 150; ++i) {
            SelectAll();
            // Half the time a party's own name, typed: its letters turn capitals.
            const Input in =
                i % 2 ? gen.Next(32)
                      : Exactly(parties.value(parties.keys()[gen.Pick(int(parties.size()))])[0]);
            const QString held = Enter(in, BoxRule{32, true}, n);
            QCOMPARE(Sorted(ListTexts(f.Lstvewadrs, 1)), PartiesMatching(Trim(held)));
            QVERIFY2(boxes.calls.isEmpty(),
                     qPrintable(Show(held) + u'|' + boxes.Prompts().join(u'|')));
        }
        QCOMPARE(boxes.Prompts(), QStringList());
        QCOMPARE(StateOf(*book), before);
    }

    // Every filter of the search engine, over all groups and within one,
    // with hostile values, group names and filter texts.
    void searchEngine_listsExactlyTheMatchingParties() {
        QVERIFY(!parties.isEmpty());
        auto form = std::make_unique<FrmSrchEngn>();
        FrmSrchEngn* f = form.get();
        f->Form_Load();
        ShowAndActivate(f);
        ScriptedMsgBoxes boxes;
        const BookState before = StateOf(*book);
        int& n = inputs[QStringLiteral("Search engine")];

        // The filters and the party values they look at (columns of `parties`,
        // 13 the city's name; 15 stands for the city's state).
        const QList<std::pair<QString, int>> filters{
            {QStringLiteral("Name Wise "), 0},         {QStringLiteral("City Wise"), 13},
            {QStringLiteral("State Wise"), 15},        {QStringLiteral("Phone Number Wise"), 7},
            {QStringLiteral("Mobile Number Wise"), 8}, {QStringLiteral("Email Id Wise"), 10},
            {QStringLiteral("Contact Person"), 1}};
        QMap<QString, QString> stateOf;
        for (const QStringList& c : cities)
            stateOf.insert(c[0], c[1]);
        const auto expected = [&](int column, bool all, int group, const QString& value) {
            QStringList names;
            for (const QStringList& p : parties) {
                if (!all && !p[14].split(u',').contains(QString::number(group))) continue;
                const QString field = column == 15 ? stateOf.value(p[13]) : p[column];
                if (Contains(field, value)) names.append(p[0]);
            }
            names.sort();
            return names;
        };
        const auto check = [&](int column, const QString& value) {
            const QString group = Trim(f->CmbxGrup1->currentText());
            const bool all = group == QLatin1String("All") || group.isEmpty();
            QCOMPARE(Sorted(ListTexts(f->LstvewSrch)),
                     expected(column, all, f->SelectedGroupId, value));
        };
        QMap<int, QString> withMembers;
        for (const QStringList& p : parties)
            for (const QString& g : p[14].split(u','))
                withMembers.insert(g.toInt(), groups.value(g.toInt()));

        int prompts = 0;
        for (int round = 0; round < 21; ++round) {
            const auto& [filterText, column] = filters[round % 7];
            // Group box: cleared (all groups), a group's exact name, or hostile text.
            ClickInto(f->CmbxGrup1);
            const int mode = round / 7;
            const int previousGroup = f->SelectedGroupId;
            QString typedGroup;
            if (mode == 1) {
                const int g = withMembers.keys()[gen.Pick(int(withMembers.size()))];
                typedGroup = Trim(Enter(Exactly(withMembers.value(g)), BoxRule{}, n));
            } else {
                typedGroup = Trim(Enter(gen.Next(15), BoxRule{}, n));
                if (mode == 0) {
                    SelectAll();
                    PressKey(Qt::Key_Delete);
                    typedGroup.clear();
                }
            }
            PressEnter(); // to "Select All Group": the name is looked up
            QCOMPARE(Focused(), static_cast<QWidget*>(f->ChkAll));
            const QStringList named = groups.values();
            if (named.contains(typedGroup))
                QCOMPARE(groups.value(f->SelectedGroupId), typedGroup);
            else
                QCOMPARE(int(f->SelectedGroupId), previousGroup);
            PressEnter(); // to the filter box
            QCOMPARE(Focused(), static_cast<QWidget*>(f->Cmbxfiltr));
            SelectAll();
            Enter(Exactly(filterText), BoxRule{}, n);
            PressEnter(); // to the value box, which empties itself
            QCOMPARE(Focused(), static_cast<QWidget*>(f->TxtValue));
            check(column, QString());
            for (int i = 0; i < 10; ++i) {
                SelectAll();
                const QString held = Enter(gen.Next(0), BoxRule{}, n);
                check(column, Trim(held));
                if (QTest::currentTestFailed()) return;
            }
            // A hostile filter text lists nothing; an empty one is refused.
            ClickInto(f->Cmbxfiltr);
            const QString filter = Enter(gen.Next(20), BoxRule{}, n);
            PressEnter();
            if (filter.isEmpty()) {
                ++prompts;
                QCOMPARE(Focused(), static_cast<QWidget*>(f->Cmbxfiltr));
                Enter(Exactly(filterText), BoxRule{}, n);
                PressEnter();
            } else {
                QCOMPARE(Focused(), static_cast<QWidget*>(f->TxtValue));
                SelectAll();
                Enter(gen.Next(0), BoxRule{}, n);
                QCOMPARE(f->LstvewSrch->Count(), 0);
            }
        }
        for (const MsgBoxCall& call : boxes.calls) {
            QCOMPARE(call.prompt, QStringLiteral("Please select a filter to proceed further"));
            QCOMPARE(call.Icon(), int(vbInformation));
        }
        QCOMPARE(int(boxes.calls.size()), prompts);
        QCOMPARE(StateOf(*book), before);
    }

    // The printing form: its search box, then parties printed with the
    // contact person typed over and saved, and the copies typed.
    void printing_findsPrintsAndKeepsTheContactAsTyped() {
        QVERIFY(!parties.isEmpty());
        Shell::Recorder shell;
        ScriptedMsgBoxes boxes;
        auto form = std::make_unique<FrmPrntrpt>();
        FrmPrntrpt* f = form.get();
        f->Form_Load();
        ShowAndActivate(f);
        Settle();
        int& n = inputs[QStringLiteral("Printing")];
        const BookState before = StateOf(*book);
        ClickInto(f->Txtsrch);
        for (int i = 0; i < 120; ++i) {
            SelectAll();
            const QString held = Enter(gen.Next(0), BoxRule{32767, true}, n);
            QCOMPARE(Sorted(ListTexts(f->LstvewPrnt, 1)), PartiesMatching(Trim(held)));
        }
        QVERIFY(boxes.calls.isEmpty());
        QCOMPARE(StateOf(*book), before);

        const QList<int> ids = parties.keys();
        const QString file = PrintFilePath();
        QSet<int> printedIds;
        for (int k = 0; k < 30; ++k) {
            const int id = ids[gen.Pick(int(ids.size()))];
            QStringList& p = parties[id];
            ClickInto(f->Txtsrch);
            Paste(p[0]);
            QVERIFY(ClickRow(f->LstvewPrnt, QString::number(id))); // a click loads the party
            QCOMPARE(Focused(), static_cast<QWidget*>(f->ChkAttn));
            const QStringList shown{f->TxtName->text(),     f->TxtCntact->text(),
                                    f->TxtAdrs->text(),     f->TxtArea->text(),
                                    f->TxtLand->text(),     f->MskedtPhno->text(),
                                    f->MskedtMobno->text(), f->LblCty->text()};
            QCOMPARE(shown, (QStringList{p[0], p[1], p[2], p[3], p[4], p[7], p[8], p[13]}));
            PressKey(Qt::Key_Space); // "Mark Attention !": the contact person box opens
            QCOMPARE(Focused(), static_cast<QWidget*>(f->TxtCntact1));
            QCOMPARE(f->TxtCntact1->text(), p[1]);
            const QString contact = Trim(Enter(gen.Next(32), BoxRule{32, true}, n));
            const bool sticker = k % 3 != 0;
            Click(sticker ? static_cast<QWidget*>(f->OptnStiker) : f->OpntEnvelop);
            if (sticker) {
                ClickInto(f->txtNoco);
                Input copies = gen.Next(6);
                copies.append(Stroke{false, QString::number(1 + gen.Pick(3))});
                const int previous = f->Copies;
                const QString typed = Enter(copies, BoxRule{32767, false, true}, n);
                PressEnter();
                // A count beyond the 16-bit range leaves the count as it was.
                bool fits = false;
                const qlonglong count = typed.toLongLong(&fits);
                QCOMPARE(int(f->Copies), fits && count <= 32767 ? int(count) : previous);
            }
            QFile::remove(file);
            const int started = int(shell.started.size());
            boxes.calls.clear();
            Click(f->CmdPrnt);
            const QStringList asked =
                contact == p[1]
                    ? QStringList()
                    : QStringList{QStringLiteral("Save Changes to the concern file(s)?")};
            QCOMPARE(boxes.Prompts(), asked);
            p[1] = contact;
            printedIds.insert(id);
            QCOMPARE(
                book->Value(QStringLiteral("select adrscontact from adrsmstr where adrsid = %1")
                                .arg(id))
                    .toString(),
                contact);
            QCOMPARE(int(shell.started.size()), started + 1);
            QFile printed(file);
            QVERIFY(printed.open(QIODevice::ReadOnly));
            const QString margin = sticker ? QStringLiteral("     ") : QString(40, u' ');
            if (!sticker || f->Copies > 0)
                QVERIFY(printed.readAll().contains(EncodeLines({margin + p[0]})));
        }
        QCOMPARE(StateOf(*book), before);
        QCOMPARE(Parties(), parties);
        // The contacts saved here load whole in the address master.
        boxes.calls.clear();
        FrmAdrsMstr1 master;
        master.Form_Load();
        ShowAndActivate(&master);
        for (const int id : printedIds) {
            LoadParty(master, id, parties.value(id));
            if (QTest::currentTestFailed()) return;
        }
        QVERIFY(boxes.calls.isEmpty());
    }
};

ADRSBOOK_TEST(HostileInputTests)
#include "tst_hostile.moc"
