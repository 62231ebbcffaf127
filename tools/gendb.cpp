// adrsbook-gendb [--] FILE [PARTIES]
// Writes a new address book of realistic size and shape through the
// program's own data layer: 600 cities (some marked deleted), 40 groups and,
// by default, 32,767 parties with 1 to 3 memberships each, as far as the
// link ids allow: they are 16-bit too, so the whole book holds at most
// 32,767 memberships. Parties get 1 to 3 while the ids last for every later
// party to have at least one. Deterministic: the same seed gives the same
// file contents.

#include "data/connection.h"
#include "data/connmodule.h"
#include "data/connstring.h"
#include "data/ids.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "tools/toolargs.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <cstdio>
#include <random>

namespace {

const char* const kSurnames[] = {
    "SHARMA",   "GUPTA", "SINGH",  "VERMA",   "KAPOOR", "MEHTA",  "BANSAL",  "GARG",
    "MALHOTRA", "SETHI", "CHOPRA", "ARORA",   "BHATIA", "KHANNA", "JAIN",    "AGARWAL",
    "SOOD",     "GILL",  "SANDHU", "DHILLON", "GREWAL", "AHUJA",  "BAJAJ",   "MITTAL",
    "GOYAL",    "ANAND", "NARANG", "OBEROI",  "TANDON", "WADHWA", "O'BRIEN", "D'SOUZA",
    "PATEL",    "SHAH",  "NAIR",   "IYER",    "REDDY",  "RAO",    "DAS",     "BOSE"};
const char* const kTrades[] = {"TRADERS",     "ENTERPRISES", "& SONS",   "INDUSTRIES", "EXPORTS",
                               "AGENCIES",    "HOSIERY",     "TEXTILES", "STEELS",     "AUTOS",
                               "CYCLES",      "FABRICS",     "MOTORS",   "PHARMA",     "FOODS",
                               "ELECTRICALS", "HARDWARE",    "PAPERS",   "PLASTICS",   "KNITWEAR"};
const char* const kFirst[] = {"RAJESH", "SUNIL", "ANIL",   "MANOJ",    "ANITA",    "SUNITA",
                              "RAVI",   "VIJAY", "ANAND",  "DEEPAK",   "NEHA",     "POOJA",
                              "AMIT",   "ROHIT", "KIRAN",  "HARPREET", "GURPREET", "MANPREET",
                              "ASHOK",  "MEENA", "ANANYA", "ARJUN",    "KAVITA",   "SANJAY"};
const char* const kStreets[] = {"MALL ROAD",       "G.T. ROAD",         "FEROZEPUR ROAD",
                                "CIVIL LINES",     "RAILWAY ROAD",      "CHAURA BAZAR",
                                "MODEL TOWN EXTN", "INDUSTRIAL AREA-A", "FOCAL POINT PHASE 8",
                                "BRANDRETH ROAD",  "CLOCK TOWER ROAD",  "STATION ROAD"};
const char* const kAreas[] = {
    "MODEL TOWN",    "SARABHA NAGAR", "BASANT AVENUE", "DUGRI",
    "PAKHOWAL ROAD", "SHASTRI NAGAR", "KITCHLU NAGAR", "BHAI RANDHIR SINGH NAGAR",
    "HAIBOWAL",      "JAWADDI"};
const char* const kMarks[] = {"NEAR BUS STAND",   "OPP. GURUDWARA",   "BEHIND POST OFFICE",
                              "NEAR CLOCK TOWER", "OPP. CITY CENTRE", "NEAR RAILWAY CROSSING"};
const char* const kCityHeads[] = {"RAM",   "SHIV",  "HARI", "KRISHNA", "DEV",   "CHAND", "SULTAN",
                                  "FATEH", "JALAL", "KALA", "NAWAN",   "PURAN", "MOGA",  "BATH",
                                  "LUDH",  "AMRIT", "JAL",  "PATI",    "SANGR", "BARN",  "KHAN",
                                  "MALER", "ROP",   "ZIR",  "DHUR"};
const char* const kCityTails[] = {"PUR",   "NAGAR", "GARH",  "ABAD",  "KOT",   "BAD",
                                  "WALA",  "SAR",   "ALA",   "IANA",  "DHAR",  "GANJ",
                                  "PATTI", "KALAN", "KHURD", "MANDI", "PURA",  "WAL",
                                  "BAGH",  "GAON",  "KHERA", "WARA",  "DEHAT", "TOWN"};
const char* const kStates[] = {"PUNJAB",   "HARYANA",    "DELHI",     "RAJASTHAN", "GUJARAT",
                               "HIMACHAL", "UTTARAKHND", "KARNATAKA", "KERALA",    "BIHAR",
                               "ODISHA",   "ASSAM",      "GOA",       "MAHARASHTR"};
const char* const kCountries[] = {"INDIA", "INDIA", "INDIA", "INDIA", "INDIA",
                                  "INDIA", "NEPAL", "UAE",   "UK",    "CANADA"};
const char* const kGroups[] = {
    "CUSTOMERS",   "SUPPLIERS",   "TRANSPORTERS", "BANKS",      "DEALERS",     "EXPORTERS",
    "IMPORTERS",   "AGENTS",      "GOVERNMENT",   "FRIENDS",    "RELATIVES",   "DOCTORS",
    "LAWYERS",     "AUDITORS",    "INSURANCE",    "COURIERS",   "PRINTERS",    "DYERS",
    "KNITTERS",    "SPINNERS",    "WEAVERS",      "RETAILERS",  "WHOLESALERS", "MACHINERY",
    "SPARES",      "ELECTRICIAN", "PLUMBERS",     "CARPENTERS", "HOTELS",      "TRAVEL",
    "SCHOOLS",     "HOSPITALS",   "CLUBS",        "TEMPLES",    "NGO",         "MEDIA",
    "CONSULTANTS", "CONTRACTORS", "ARCHITECTS",   "OLD PARTIES"};

template <size_t N> QString pick(std::mt19937& rng, const char* const (&list)[N]) {
    return QString::fromLatin1(list[std::uniform_int_distribution<size_t>(0, N - 1)(rng)]);
}

bool chance(std::mt19937& rng, int percent) {
    return std::uniform_int_distribution<int>(1, 100)(rng) <= percent;
}

QString digits(std::mt19937& rng, int n) {
    QString s;
    for (int i = 0; i < n; ++i)
        s += QChar(u'0' + std::uniform_int_distribution<int>(0, 9)(rng));
    return s;
}

void progress(const char* what, int done, int total) {
    std::printf("\r%-12s %6d / %-6d", what, done, total);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const ToolSyntax tool{"adrsbook-gendb",
                          "adrsbook-gendb [--] FILE [PARTIES]   (PARTIES 1 to 32767)",
                          {},
                          {},
                          1,
                          2};
    int status = 0;
    const auto args = ReadToolArgs(tool, QCoreApplication::arguments().mid(1), status);
    if (!args) return status;
    const QString file = args->names[0];
    bool counted = true;
    const int parties = args->names.size() > 1 ? args->names[1].toInt(&counted) : kLargestId;
    if (!counted || parties < 1 || parties > kLargestId)
        return RefuseTool(tool, QStringLiteral("PARTIES must be a number from 1 to %1, not \"%2\"")
                                    .arg(kLargestId)
                                    .arg(args->names.value(1)));
    if (QFileInfo::exists(file))
        return RefuseTool(tool, QStringLiteral("%1 already exists; it is left as it is").arg(file));
    QElapsedTimer timer;
    timer.start();
    try {
        Schema::CreateDatabase(file, QString::fromLatin1(kDatabasePassword));
        Connection conn;
        conn.Open(ConnString::ForFile(file, QString::fromLatin1(kDatabasePassword)));
        std::mt19937 rng(20261208);
        const QDateTime stamp(QDate(2026, 1, 15), QTime(10, 30));

        Recordset rs;
        InTransaction(conn, [&] {
            rs.Open(QStringLiteral("Select * from cscmstr"), &conn);
            for (int id = 1; id <= 600; ++id) {
                rs.AddNew();
                rs.Fields("ctyid") = QVariant(id);
                rs.Fields("ctyname") =
                    QString(pick(rng, kCityHeads) + pick(rng, kCityTails)).left(15);
                rs.Fields("statename") = chance(rng, 2) ? QVariant() : QVariant(pick(rng, kStates));
                rs.Fields("contryname") = pick(rng, kCountries);
                rs.Fields("addt") = QVariant(stamp);
                const bool deleted = chance(rng, 5);
                rs.Fields("delstatus") = QVariant(deleted ? 1 : 0);
                if (deleted) rs.Fields("deldt") = QVariant(stamp.addDays(30));
            }
            rs.UpdateBatch();
            rs.Open(QStringLiteral("Select * from adrsgrupmstr"), &conn);
            int gid = 0;
            for (const char* g : kGroups) {
                rs.AddNew();
                rs.Fields("grpid") = QVariant(++gid);
                rs.Fields("grpname") = QString::fromLatin1(g);
            }
            rs.UpdateBatch();
        });
        progress("cities", 600, 600);
        std::printf("\n");

        int link = 0;
        const int groups = int(std::size(kGroups));
        Recordset links;
        for (int first = 1; first <= parties; first += 2000) {
            const int last = std::min(parties, first + 1999);
            InTransaction(conn, [&] {
                rs.Open(QStringLiteral("Select * from adrsmstr where adrsid like '0'"), &conn);
                links.Open(QStringLiteral("Select * from adrsgrpdtails where adrsgrpid like '0'"),
                           &conn);
                for (int id = first; id <= last; ++id) {
                    const QString surname = pick(rng, kSurnames);
                    const QString name = chance(rng, 70) ? surname + u' ' + pick(rng, kTrades)
                                                         : pick(rng, kFirst) + u' ' + surname;
                    auto maybe = [&](int percent, const QString& value) {
                        return chance(rng, percent) ? QVariant(value) : QVariant();
                    };
                    rs.AddNew();
                    rs.Fields("adrsid") = QVariant(id);
                    rs.Fields("adrsname") = name.left(32);
                    rs.Fields("adrscontact") = maybe(90, pick(rng, kFirst) + u' ' + surname);
                    rs.Fields("adrs1") =
                        QString(QString::number(std::uniform_int_distribution<int>(1, 999)(rng)) +
                                QStringLiteral(", ") + pick(rng, kStreets))
                            .left(32);
                    rs.Fields("adrs2") = maybe(85, pick(rng, kAreas));
                    rs.Fields("adrs3") = maybe(60, pick(rng, kMarks));
                    rs.Fields("adrsctyid") =
                        QVariant(std::uniform_int_distribution<int>(1, 600)(rng));
                    rs.Fields("adrspin") = maybe(80, QStringLiteral("14") + digits(rng, 4));
                    rs.Fields("adrscstno") = maybe(50, QStringLiteral("03") + digits(rng, 9));
                    rs.Fields("adrsphno") = maybe(75, QStringLiteral("0161-") + digits(rng, 7));
                    rs.Fields("adrsmobno") = maybe(80, QStringLiteral("98") + digits(rng, 8));
                    rs.Fields("adrsfax") = maybe(30, QStringLiteral("0161-") + digits(rng, 7));
                    const QString mailbox = surname.toLower().remove(u'\'');
                    rs.Fields("adrsemail") =
                        maybe(70, mailbox + QString::number(id) + QStringLiteral("@example.in"));
                    rs.Fields("adrsweb") =
                        maybe(40, QStringLiteral("www.") + mailbox + QString::number(id) +
                                      QStringLiteral(".example.in"));
                    rs.Fields("adrsnotes") =
                        maybe(30, QStringLiteral("Payment terms 30 days. Visit on ") +
                                      QDate(2026, 1, 1).addDays(id % 365).toString());
                    rs.Fields("adrsaddt") = QVariant(stamp.addSecs(id));
                    rs.Fields("adrsdelstatus") = QVariant(0);
                    // Every party keeps at least one membership within the link ids.
                    const int spare = std::max(1, kLargestId - link - (parties - id));
                    const int memberships =
                        std::min(std::uniform_int_distribution<int>(1, 3)(rng), spare);
                    int group = std::uniform_int_distribution<int>(1, groups)(rng);
                    for (int m = 0; m < memberships; ++m) {
                        links.AddNew();
                        links.Fields("adrsgrpid") = QVariant(++link);
                        links.Fields("adrsconcrnid") = QVariant(id);
                        links.Fields("adrsgrupid") = QString::number(group);
                        group = group % groups + 1 +
                                std::uniform_int_distribution<int>(0, 5)(rng) % groups;
                        if (group > groups) group -= groups;
                    }
                }
                rs.UpdateBatch();
                links.UpdateBatch();
            });
            progress("parties", last, parties);
        }
        std::printf("\nwrote %s: 600 cities, %d groups, %d parties, %d memberships in %.1f s\n",
                    qPrintable(file), groups, parties, link, timer.elapsed() / 1000.0);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "\nadrsbook-gendb: %s\n", e.what());
        return 1;
    }
    return 0;
}
