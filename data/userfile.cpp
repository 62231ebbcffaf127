#include "data/userfile.h"

#include "data/booklock.h"
#include "data/connmodule.h"
#include "data/wholefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

namespace {

QString native(const QString& file) {
    return QDir::toNativeSeparators(file);
}

// The real path of a name: every link resolved, or for a name not there
// yet, its folder's real path and the name.
QString realPath(const QString& name) {
    const QFileInfo info(name);
    const QString file = info.canonicalFilePath();
    if (!file.isEmpty()) return file;
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : folder + u'/' + info.fileName();
}

struct BookFile {
    QString path;
    QString what; // empty: the book itself
};

// How the names of a restore's leftovers ("<book>.restore...") and of the
// copies it keeps ("<name>-before-restore-<date>.<ending>", and their
// journals) begin: what a file of the book's folder so named is, or empty.
QString restoreFileNamed(const QString& name, const QFileInfo& book) {
    if (name.startsWith(book.fileName() + QStringLiteral(".restore")))
        return QStringLiteral("restore leftover");
    if (name.startsWith(book.completeBaseName() + QStringLiteral("-before-restore-")))
        return QStringLiteral("copy kept by a restore");
    return {};
}

// The book and every file that belongs to it, those not there yet included.
QList<BookFile> bookFiles(const QString& book) {
    QList<BookFile> files{
        {book, QString()},
        {book + QStringLiteral("-journal"), QStringLiteral("journal")},
        {book + QStringLiteral("-wal"), QStringLiteral("journal")},
        {book + QStringLiteral("-shm"), QStringLiteral("journal")},
        {BookLock::LockPath(book), QStringLiteral("lock")},
        {BookLock::MarkerPath(book), QStringLiteral("crash marker")},
    };
    const QFileInfo info(book);
    const QDir folder = info.absoluteDir();
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (const QString what = restoreFileNamed(name, info); !what.isEmpty())
            files.append({folder.filePath(name), what});
    return files;
}

// What of the book's the file is ("book", "journal", ...), or empty: by
// its name, or as the same file as one of them.
QString bookFileNamed(const QString& real, const QString& book) {
    const QFileInfo bookInfo(realPath(book));
    const QFileInfo info(real);
    if (info.absolutePath() == bookInfo.absolutePath())
        if (const QString what = restoreFileNamed(info.fileName(), bookInfo); !what.isEmpty())
            return what;
    for (const BookFile& f : bookFiles(book))
        if (UserFile::SameFile(f.path, real))
            return f.what.isEmpty() ? QStringLiteral("book") : f.what;
    return {};
}

[[noreturn]] void refuse(const QString& text) {
    throw WriteRefused(text + QStringLiteral(" Choose another file."));
}

} // namespace

QString UserFile::Check(const QString& target, const QString& book) {
    const QByteArray name = QFile::encodeName(target);
    QString real = realPath(target);
    struct stat st;
    if (::lstat(name.constData(), &st) == 0 && S_ISLNK(st.st_mode)) {
        real = QFileInfo(target).canonicalFilePath();
        if (real.isEmpty())
            refuse(QStringLiteral("%1 is a symbolic link to %2, which does not exist.")
                       .arg(native(target), native(QFileInfo(target).symLinkTarget())));
    }
    if (::stat(QFile::encodeName(real).constData(), &st) == 0) {
        QString kind;
        if (S_ISDIR(st.st_mode))
            kind = QStringLiteral("a folder");
        else if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
            kind = QStringLiteral("a device");
        else if (S_ISFIFO(st.st_mode))
            kind = QStringLiteral("a pipe (FIFO)");
        else if (S_ISSOCK(st.st_mode))
            kind = QStringLiteral("a socket");
        else if (!S_ISREG(st.st_mode))
            kind = QStringLiteral("not a regular file");
        if (!kind.isEmpty())
            refuse(QStringLiteral("%1 is %2, not a file that can be written whole.")
                       .arg(native(real), kind));
    }

    const QString what = bookFileNamed(real, book);
    if (what == QLatin1String("book"))
        refuse(QStringLiteral("%1 is the address book itself: writing over it would destroy it.")
                   .arg(native(target)));
    if (!what.isEmpty())
        refuse(
            QStringLiteral("%1 belongs to the address book (its %2).").arg(native(target), what));
    for (const char* ending : {"-journal", "-wal", "-shm"})
        if (real.endsWith(QLatin1String(ending), Qt::CaseInsensitive))
            refuse(QStringLiteral("The name %1 ends in \"%2\": the database engine takes such a "
                                  "file for the journal of a book of the same name, and would "
                                  "roll it into that book or delete it.")
                       .arg(native(real), QLatin1String(ending)));
    return real;
}

bool UserFile::SameFile(const QString& a, const QString& b) {
    if (realPath(a) == realPath(b)) return true;
    struct stat sa, sb;
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

QString UserFile::Check(const QString& target) {
    return Check(target, BookBesideProgram());
}

void UserFile::Write(const QString& target, QByteArrayView bytes) {
    WholeFile out(Check(target));
    out.Write(bytes);
    out.Commit();
}
