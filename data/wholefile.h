#pragma once
// A file written whole or not at all. The new content goes into a new file
// beside the target (owner-only from its first byte); every write, the
// final flush and the sync to the disk are checked, and only a file that
// was written whole takes the target's place, in one step. On any failure
// the target is left as it was, and the message names the file and the
// cause ("No space left on device").

#include <QByteArrayView>
#include <QString>

class WholeFile {
  public:
    // Starts the new file beside `target`. Raises a DbError when it cannot.
    explicit WholeFile(const QString& target);
    // The new file goes unless it was put in place.
    ~WholeFile();
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;

    // Appends bytes; a short or failed write raises a DbError.
    void Write(QByteArrayView bytes);
    // Every byte on the disk, and the file closed. Raises a DbError.
    void Finish();
    // The new file under its passing name: for a check of what was written
    // before it takes the target's place, or for an engine that writes the
    // file itself (after HandOver).
    QString NewName() const { return temp_; }
    QString Target() const { return target_; }
    // Closes the new file without writing to it: another writer (the
    // database engine) fills it under NewName, and Commit syncs it.
    void HandOver();
    // Puts the new file in the target's place in one step and syncs the
    // folder. Finishes first when that was not done.
    void Commit();

    // The text of the last system error, as a file message ends with it.
    static QString SystemError(int error);

  private:
    [[noreturn]] void fail(const QString& what, int error);

    QString target_;
    QString temp_;
    int fd_ = -1;
    bool handedOver_ = false;
    bool committed_ = false;
};

// Puts `from` in the place of `to` in one step (the folder synced): at
// every moment `to` is the old file or the new one, never missing.
void ReplaceFile(const QString& from, const QString& to);
