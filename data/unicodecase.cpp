#include "data/unicodecase.h"

#include <QByteArray>
#include <QChar>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

// One character of UTF-8 text; a byte that starts no valid sequence stands
// for itself, so any text has a total order.
char32_t nextChar(const unsigned char*& p, const unsigned char* end) {
    const unsigned char b = *p++;
    if (b < 0x80) return b;
    int more = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    if (more == 0 || end - p < more) return b;
    char32_t c = b & (0x3F >> more);
    for (int i = 0; i < more; ++i) {
        if ((p[i] & 0xC0) != 0x80) return b;
        c = (c << 6) | (p[i] & 0x3F);
    }
    p += more;
    return c;
}

inline char32_t foldAscii(unsigned char b) {
    return (b >= 'A' && b <= 'Z') ? char32_t(b + 32) : char32_t(b);
}

inline char32_t fold(char32_t c) {
    return c < 0x80 ? foldAscii(static_cast<unsigned char>(c)) : QChar::toCaseFolded(c);
}

void foldInto(QByteArrayView text, std::u32string& out) {
    out.clear();
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end)
        out.push_back(*p < 0x80 ? foldAscii(*p++) : fold(nextChar(p, end)));
}

// A pattern read once per statement: each element a character to match,
// or one of the two wildcards.
constexpr char32_t kAnyRun = 0xFFFFFFFF; // %
constexpr char32_t kAnyOne = 0xFFFFFFFE; // _
constexpr char32_t kNever = 0xFFFFFFFD;  // an escape with nothing after it

struct Pattern {
    std::string source;
    const char* at = nullptr; // where the engine held the text last time
    char32_t escape = 0;
    std::u32string elements;
    // True when `text` is the text this pattern was read from. The engine
    // hands a constant pattern over at the same place row after row, so a
    // long pattern is not compared whole for every row.
    bool From(QByteArrayView text, char32_t esc) {
        if (esc != escape || size_t(text.size()) != source.size()) return false;
        if (text.data() == at) return true;
        if (QByteArrayView(source.data(), qsizetype(source.size())) != text) return false;
        at = text.data();
        return true;
    }
};

void compile(QByteArrayView pattern, char32_t escape, Pattern& out) {
    out.source.assign(pattern.data(), size_t(pattern.size()));
    out.at = pattern.data();
    out.escape = escape;
    out.elements.clear();
    const auto* p = reinterpret_cast<const unsigned char*>(pattern.data());
    const auto* end = p + pattern.size();
    while (p < end) {
        const char32_t c = nextChar(p, end);
        if (escape != 0 && c == escape) {
            out.elements.push_back(p < end ? fold(nextChar(p, end)) : kNever);
        } else if (c == U'%') {
            if (out.elements.empty() || out.elements.back() != kAnyRun)
                out.elements.push_back(kAnyRun);
        } else if (c == U'_') {
            out.elements.push_back(kAnyOne);
        } else {
            out.elements.push_back(fold(c));
        }
    }
}

// Greedy match with one point to back up to: the last % seen.
bool match(const std::u32string& pattern, const std::u32string& text) {
    size_t p = 0, t = 0, runAt = std::u32string::npos, runText = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == kAnyRun) {
            runAt = p++;
            runText = t;
        } else if (p < pattern.size() && (pattern[p] == kAnyOne || pattern[p] == text[t])) {
            ++p;
            ++t;
        } else if (runAt != std::u32string::npos) {
            p = runAt + 1;
            t = ++runText;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == kAnyRun)
        ++p;
    return p == pattern.size();
}

QByteArrayView textOf(sqlite3_value* v) {
    const auto* s = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return s ? QByteArrayView(s, sqlite3_value_bytes(v)) : QByteArrayView();
}

void likeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    // like(pattern, text [, escape]), as the engine calls it for
    // "text LIKE pattern [ESCAPE escape]".
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return; // NULL result
    char32_t escape = 0;
    if (argc == 3) {
        const QByteArrayView e = textOf(argv[2]);
        const auto* p = reinterpret_cast<const unsigned char*>(e.data());
        const auto* end = p + e.size();
        if (p < end) escape = nextChar(p, end);
        if (e.isEmpty() || p != end) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
    }
    const QByteArrayView source = textOf(argv[0]);
    auto* pattern = static_cast<Pattern*>(sqlite3_get_auxdata(ctx, 0));
    if (!pattern || !pattern->From(source, escape)) {
        pattern = new Pattern;
        compile(source, escape, *pattern);
        sqlite3_set_auxdata(ctx, 0, pattern, [](void* p) { delete static_cast<Pattern*>(p); });
        pattern = static_cast<Pattern*>(sqlite3_get_auxdata(ctx, 0));
        if (!pattern) { // the engine could not keep it: use it once
            Pattern once;
            compile(source, escape, once);
            thread_local std::u32string text;
            foldInto(textOf(argv[1]), text);
            sqlite3_result_int(ctx, match(once.elements, text) ? 1 : 0);
            return;
        }
    }
    thread_local std::u32string text;
    foldInto(textOf(argv[1]), text);
    sqlite3_result_int(ctx, match(pattern->elements, text) ? 1 : 0);
}

int collate(void*, int na, const void* a, int nb, const void* b) {
    return UnicodeCase::Compare(QByteArrayView(static_cast<const char*>(a), na),
                                QByteArrayView(static_cast<const char*>(b), nb));
}

} // namespace

namespace UnicodeCase {

int Compare(QByteArrayView a, QByteArrayView b) {
    const auto* p = reinterpret_cast<const unsigned char*>(a.data());
    const auto* pe = p + a.size();
    const auto* q = reinterpret_cast<const unsigned char*>(b.data());
    const auto* qe = q + b.size();
    while (p < pe && q < qe) {
        char32_t x, y;
        if (*p < 0x80 && *q < 0x80) {
            x = foldAscii(*p++);
            y = foldAscii(*q++);
        } else {
            x = fold(nextChar(p, pe));
            y = fold(nextChar(q, qe));
        }
        if (x != y) return x < y ? -1 : 1;
    }
    return int(p < pe) - int(q < qe);
}

bool Like(QByteArrayView pattern, QByteArrayView text, char32_t escape) {
    Pattern compiled;
    compile(pattern, escape, compiled);
    std::u32string folded;
    foldInto(text, folded);
    return match(compiled.elements, folded);
}

bool Register(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    return sqlite3_create_function_v2(db, "like", 2, flags, nullptr, likeFunction, nullptr, nullptr,
                                      nullptr) == SQLITE_OK &&
           sqlite3_create_function_v2(db, "like", 3, flags, nullptr, likeFunction, nullptr, nullptr,
                                      nullptr) == SQLITE_OK &&
           sqlite3_create_collation_v2(db, "NOCASE", SQLITE_UTF8, nullptr, collate, nullptr) ==
               SQLITE_OK;
}

bool Ordered(sqlite3* db) {
    sqlite3_stmt* stmt = nullptr;
    int version = 0;
    if (sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        version = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    return version >= kOrderedVersion;
}

void ReorderIndexes(sqlite3* db) {
    if (Ordered(db)) return;
    const QByteArray steps = "BEGIN IMMEDIATE; REINDEX NOCASE; PRAGMA user_version=" +
                             QByteArray::number(kOrderedVersion) + "; COMMIT;";
    if (sqlite3_exec(db, steps.constData(), nullptr, nullptr, nullptr) != SQLITE_OK &&
        !sqlite3_get_autocommit(db))
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
}

} // namespace UnicodeCase
