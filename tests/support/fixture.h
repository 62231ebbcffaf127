#pragma once
// A fresh address book for each test: a temporary application folder with
// a new, empty database file, both connections open and the titles set as
// start-up sets them. Helpers read the database back and drive the keyboard.

#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

class QWidget;

// Where a test book keeps its data: the keyed file, or a database of its own
// on the private test server (named in the folder's settings file).
enum class BookKind { File, Server };

class TestBook {
  public:
    // The keyed file, or a server database when ADRSBOOK_TEST_ENGINE=server
    // (the suite runs the windows' tests once that way).
    TestBook();
    // creates the folder and the file (or database) and opens Conn and Conn2
    explicit TestBook(BookKind kind);
    ~TestBook(); // closes both and points the application folder back
    TestBook(const TestBook&) = delete;
    TestBook& operator=(const TestBook&) = delete;

    QString Folder() const { return dir_.path(); }
    QString File() const;
    BookKind Kind() const { return kind_; }
    QString Database() const { return database_; } // on the test server
    QString Path(const QString& name) const;

    // Runs a statement on Conn (for seeding rows).
    void Exec(const QString& sql) const;
    // The first column of the first row, or an invalid value when there is no row.
    QVariant Value(const QString& sql) const;
    // All rows, each as its columns' texts (Null as "<null>").
    QList<QStringList> Rows(const QString& sql) const;
    int Count(const QString& table) const;

  private:
    QTemporaryDir dir_;
    BookKind kind_;
    QString database_;
};

// `count` parties named "<prefix> 0001" on, with ids from `from` on, their
// cities taking turns: `firstCity`, then `secondCity`. A list of them is long
// enough to fill in slices.
void SeedNumberedParties(const TestBook& book, const QString& prefix, int from, int count,
                         int firstCity = 5, int secondCity = 7);

// Creates a new, empty address book file (outside any fixture).
void CreateBookFile(const QString& file);

// Keyboard and focus, as a person uses them: keys go to the widget that has
// the focus, not to a named one.
QWidget* Focused();
void TypeText(const QString& text); // into whatever has the focus
void PressEnter();
void PressKey(int key);
// Shows a window and waits until it is the active one.
void ShowAndActivate(QWidget* window);
// Lets posted events run (list fills, deferred deletes).
void Settle();
