#pragma once
// One copy of the program per address book. The copy that opens a book
// holds a lock of the operating system on the book file itself (on one
// byte far from the bytes the database engine locks), so every path that
// reaches the file meets the same lock: another spelling, a symbolic link,
// a hard link in another folder. The lock goes with the process however it
// ends, so a copy that crashed leaves nothing to take over.
//
// Beside the book, the lock file ("adrsbookHXS.mdb.lock") says which
// process on which host holds the book, for the message a second copy
// shows; it decides nothing while the file system has locks. On one that
// has none (some network shares) the lock file is the lock: created only
// when not there, and taken over when it names no running copy of the
// program (see JudgeLockFile).
//
// Beside the lock, a marker ("adrsbookHXS.mdb.open") stands for as long as
// a copy works on the book and is removed when it ends normally. A marker
// found at start-up means the last run did not end cleanly (a crash, a
// kill, a power cut), and the book gets the engine's full check first.

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

class BookLock {
  public:
    enum class Outcome {
        Taken,    // this copy holds the book
        NoFile,   // the book's file cannot be opened: opening the book says why
        HeldElse, // another running copy holds it (Holder says which)
        Unsure,   // a lock file of another host, on a file system without locks
        Failed,   // no lock could be taken (Problem says why)
    };

    explicit BookLock(const QString& databaseFile);
    ~BookLock();
    BookLock(const BookLock&) = delete;
    BookLock& operator=(const BookLock&) = delete;

    Outcome Take();
    // After Take: who holds the book, as the lock file names it ("process
    // 4242 on the host deskpc, since 2026-12-09 10:15"), or empty.
    QString Holder() const { return holder_; }
    // After Take: why no lock could be taken.
    QString Problem() const { return problem_; }
    // After Take: true when the last copy on this book did not end normally.
    bool EndedUncleanly() const { return uncleanBefore_; }
    // Sets the marker once the book has been opened and found sound.
    void MarkOpen();
    // The book stays marked when this copy ends: it was opened damaged, and
    // the next start checks it again.
    void KeepMarker(bool keep = true) { keepMarker_ = keep; }
    // True while this copy holds the book: its lock, or its lock file.
    bool Held() const { return !held_.isEmpty() || (lockFileOnly_ && ownsLockFile_); }
    // The copy ends normally: the marker goes (unless kept), then the lock.
    void Release();

    // A restore puts another file in the book's place. Hold locks the new
    // file before it is put there; Follow, once it is, keeps the lock of the
    // file now under the book's name (taking it if need be) and lets go of
    // the others. False when that file is held by another copy.
    bool Hold(const QString& file);
    bool Follow();

    static QString LockPath(const QString& databaseFile);
    static QString MarkerPath(const QString& databaseFile);

  private:
    Outcome takeLockFile();
    void writeLockFile();

    QString file_;
    QList<int> held_;           // open files of the book holding the lock
    bool lockFileOnly_ = false; // the file system has no locks: the lock file is the lock
    bool ownsLockFile_ = false;
    bool uncleanBefore_ = false;
    bool keepMarker_ = false;
    QString holder_;
    QString problem_;
};

// What a lock file says: the process that wrote it, on which host, since when.
struct LockFileInfo {
    bool valid = false; // false: empty or not a lock file
    qint64 pid = 0;
    QString program; // the program's file name
    QString host;
    QString boot; // the boot the host was in (a restart makes every process id new)
    QString since;
};

QByteArray LockFileText(const LockFileInfo& info);
LockFileInfo ParseLockFile(const QByteArray& text);
// How the lock file of a file system without locks is taken: Free when it
// names no running copy of the program (empty, not a lock file, a process
// that is gone or is now another program, an earlier boot of this host),
// Running when it names one on this host, OtherHost when it names another
// host, whose processes cannot be seen from here.
enum class LockFileVerdict { Free, Running, OtherHost };
LockFileVerdict JudgeLockFile(const LockFileInfo& info, const LockFileInfo& self,
                              const std::function<QString(qint64)>& programOfProcess);
// The program file name a running process was started from (empty when
// there is no such process).
QString ProgramOfProcess(qint64 pid);
