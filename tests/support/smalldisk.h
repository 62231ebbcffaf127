#pragma once
// A real, small file system for the tests of a full disk: a tmpfs of its
// own, mounted on a temporary folder (which needs root; without it the
// test that wants one is skipped), filled on request, unmounted at the end.

#include <QString>
#include <QTemporaryDir>

class SmallDisk {
  public:
    explicit SmallDisk(int kib = 256);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool Mounted() const { return mounted_; }
    QString Path() const { return dir_.path(); }
    QString File(const QString& name) const { return dir_.filePath(name); }
    // Fills the disk so that `freeBytes` (0 or whole pages) are left.
    void Fill(qint64 freeBytes = 0);
    // Frees what Fill took.
    void Unfill();

  private:
    QTemporaryDir dir_;
    bool mounted_ = false;
};

// Skips the calling test when no small disk could be mounted.
#define REQUIRE_SMALL_DISK(disk)                                                                   \
    if (!(disk).Mounted()) QSKIP("a tmpfs cannot be mounted here (needs root)")
