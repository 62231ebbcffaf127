#include "support/testmain.h"

#include "data/inspection.h"

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
    Inspection::SetProgram(QStringLiteral(ADRSBOOK_PROGRAM));
    const QByteArray only = qgetenv("ADRSBOOK_TEST_CLASS");
    int failed = 0;
    for (const Entry& e : registry()) {
        if (!only.isEmpty() && only != e.name) continue;
        auto test = e.make();
        failed += QTest::qExec(test.get(), argc, argv);
    }
    return failed == 0 ? 0 : 1;
}
