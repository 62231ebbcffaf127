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
Responder* CurrentResponder();

// `filter` as QFileDialog takes it; empty: address book files.
QString GetSaveFileName(QWidget* parent, const QString& title, const QString& suggested,
                        const QString& filter = QString());
QString GetOpenFileName(QWidget* parent, const QString& title, const QString& folder,
                        const QString& filter = QString());

} // namespace FileDialogs
