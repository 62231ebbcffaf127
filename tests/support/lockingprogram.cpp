#include "support/lockingprogram.h"

#include "data/connmodule.h"

#include <QTest>

LockingProgram::LockingProgram(const QString& file, const char* begin) {
    cli_.start(QStringLiteral("sqlcipher"), {file});
    if (!cli_.waitForStarted()) return;
    cli_.write(QByteArray("PRAGMA key = '") + kDatabasePassword + "';\n" + begin +
               ";\nSELECT 'LOCKED' FROM sqlite_master LIMIT 1;\n");
    (void)QTest::qWaitFor([&] {
        cli_.waitForReadyRead(50);
        out_ += cli_.readAllStandardOutput();
        return Holds() || cli_.state() != QProcess::Running;
    });
}

void LockingProgram::LetGo() {
    if (cli_.state() == QProcess::NotRunning) return;
    cli_.write("ROLLBACK;\n.quit\n");
    cli_.closeWriteChannel();
    if (!cli_.waitForFinished(5000)) cli_.kill();
    cli_.waitForFinished();
}
