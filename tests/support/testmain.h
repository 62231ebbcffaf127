#pragma once
// Test classes register themselves; the one main() of each test executable
// runs them all. ADRSBOOK_TEST_CLASS=<name> runs one class only.
//
//   class CityTests : public QObject { Q_OBJECT ... };
//   ADRSBOOK_TEST(CityTests)
//   #include "tst_city.moc"

#include <QObject>
#include <functional>
#include <memory>

struct TestRegistration {
    TestRegistration(const char* name, std::function<std::unique_ptr<QObject>()> make);
};

#define ADRSBOOK_TEST(Class)                                                                       \
    static TestRegistration registration_##Class(                                                  \
        #Class, [] { return std::unique_ptr<QObject>(new Class); });
