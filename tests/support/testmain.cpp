#include "support/testmain.h"

#include "data/checkchild.h"
#include "platform/serverwaiting.h"

#include <QApplication>
#include <QTest>
#include <cstdlib>
#include <vector>

namespace {
struct Entry {
    const char* name;
    std::function<std::unique_ptr<QObject>()> make;
};
std::vector<Entry>& registry() {
    static std::vector<Entry> entries;
    return entries;
}
} // namespace

TestRegistration::TestRegistration(const char* name,
                                   std::function<std::unique_ptr<QObject>()> make) {
    registry().push_back({name, std::move(make)});
}

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ORVANE ADDRESS BOOK"));
    CheckChild::SetProgram(QStringLiteral(ADRSBOOK_PROGRAM));
    // The windows wait on a database server as the program's do.
    WindowsServerWait serverWait;
    ServerWait::Set(&serverWait);
    // One class, or several separated by commas.
    const QList<QByteArray> only = qgetenv("ADRSBOOK_TEST_CLASS").split(',');
    int failed = 0;
    for (const Entry& e : registry()) {
        if (!only.first().isEmpty() && !only.contains(QByteArray(e.name))) continue;
        auto test = e.make();
        failed += QTest::qExec(test.get(), argc, argv);
    }
    return failed == 0 ? 0 : 1;
}
