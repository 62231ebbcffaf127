#include "platform/filedialogs.h"

#include <QCoreApplication>
#include <QFileDialog>

namespace {
FileDialogs::Responder* responder = nullptr;
QString bookFilter() {
    return QCoreApplication::translate("FileDialogs", "Address book (*.mdb);;All files (*)");
}
} // namespace

void FileDialogs::SetResponder(Responder* r) {
    responder = r;
}

FileDialogs::Responder* FileDialogs::CurrentResponder() {
    return responder;
}

QString FileDialogs::GetSaveFileName(QWidget* parent, const QString& title,
                                     const QString& suggested, const QString& filter) {
    if (responder) return responder->Save(title, suggested);
    return QFileDialog::getSaveFileName(parent, title, suggested,
                                        filter.isEmpty() ? bookFilter() : filter);
}

QString FileDialogs::GetOpenFileName(QWidget* parent, const QString& title, const QString& folder,
                                     const QString& filter) {
    if (responder) return responder->Open(title, folder);
    return QFileDialog::getOpenFileName(parent, title, folder,
                                        filter.isEmpty() ? bookFilter() : filter);
}
