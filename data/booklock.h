#pragma once
// One copy of the program per address book. The copy that opens a book
// holds a lock file beside it ("adrsbookHXS.mdb.lock"); a second copy
// started on the same book finds it held and ends without touching the
// book. A lock left behind by a copy that crashed (its process is gone) is
// taken over.
//
// Beside the lock, a marker ("adrsbookHXS.mdb.open") stands for as long as
// a copy works on the book and is removed when it ends normally. A marker
// found at start-up means the last run did not end cleanly (a crash, a
// kill, a power cut), and the book gets the engine's full check first.

#include <QLockFile>
#include <QString>

class BookLock {
  public:
    enum class Outcome {
        Taken,    // this copy holds the book
        HeldElse, // another running copy holds it
        NoLock,   // the folder takes no lock file (read-only): opened without one
    };

    explicit BookLock(const QString& databaseFile);
    ~BookLock();
    BookLock(const BookLock&) = delete;
    BookLock& operator=(const BookLock&) = delete;

    Outcome Take();
    // After Take: true when the last copy on this book did not end normally.
    bool EndedUncleanly() const { return uncleanBefore_; }
    // Sets the marker once the book has been opened and found sound.
    void MarkOpen();
    // The copy ends normally: the marker goes, then the lock.
    void Release();

    static QString LockPath(const QString& databaseFile);
    static QString MarkerPath(const QString& databaseFile);

  private:
    QString file_;
    QLockFile lock_;
    bool held_ = false;
    bool uncleanBefore_ = false;
};
