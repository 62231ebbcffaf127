#include "platform/filedialogs.h"

#include <QFileDialog>

namespace {
FileDialogs::Responder* responder = nullptr;
const QString kFilter = QStringLiteral("Address book (*.mdb);;All files (*)");
} // namespace

void FileDialogs::SetResponder(Responder* r) {
    responder = r;
}

QString FileDialogs::GetSaveFileName(QWidget* parent, const QString& title,
                                     const QString& suggested, const QString& filter) {
    if (responder) return responder->Save(title, suggested);
    return QFileDialog::getSaveFileName(parent, title, suggested,
                                        filter.isEmpty() ? kFilter : filter);
}

QString FileDialogs::GetOpenFileName(QWidget* parent, const QString& title, const QString& folder,
                                     const QString& filter) {
    if (responder) return responder->Open(title, folder);
    return QFileDialog::getOpenFileName(parent, title, folder, filter.isEmpty() ? kFilter : filter);
}

FileDialogs::Scripted::Scripted() {
    previous = responder;
    responder = this;
}

FileDialogs::Scripted::~Scripted() {
    responder = previous;
}

QString FileDialogs::Scripted::Save(const QString& title, const QString& s) {
    asked.append(title);
    suggested.append(s);
    return answers.isEmpty() ? QString() : answers.takeFirst();
}

QString FileDialogs::Scripted::Open(const QString& title, const QString& folder) {
    asked.append(title);
    folders.append(folder);
    return answers.isEmpty() ? QString() : answers.takeFirst();
}
