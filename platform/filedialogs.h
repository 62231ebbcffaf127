#pragma once
// File dialogs for backup, restore, saved PDF files, import and export,
// behind a seam the tests script.

#include <QString>
#include <QStringList>

class QWidget;

namespace FileDialogs {

class Responder {
  public:
    virtual ~Responder() = default;
    // Returns the chosen path, or an empty text when cancelled.
    virtual QString Save(const QString& title, const QString& suggested) = 0;
    virtual QString Open(const QString& title, const QString& folder) = 0;
};

void SetResponder(Responder* responder); // nullptr: the real dialogs

// `filter` as QFileDialog takes it; empty: address book files.
QString GetSaveFileName(QWidget* parent, const QString& title, const QString& suggested,
                        const QString& filter = QString());
QString GetOpenFileName(QWidget* parent, const QString& title, const QString& folder,
                        const QString& filter = QString());

// Answers from a queue (an empty answer cancels) and records the titles.
class Scripted : public Responder {
  public:
    Scripted();
    ~Scripted() override;
    Scripted(const Scripted&) = delete;
    Scripted& operator=(const Scripted&) = delete;
    QString Save(const QString& title, const QString& suggested) override;
    QString Open(const QString& title, const QString& folder) override;
    QStringList answers;
    QStringList asked;     // titles
    QStringList suggested; // suggested paths of save dialogs
    QStringList folders;   // starting folders of open dialogs
    Responder* previous = nullptr;
};

} // namespace FileDialogs
