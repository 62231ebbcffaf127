#include "address/longvalues.h"

#include "platform/limitedtextedit.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>

namespace {
// The texts belong to the address master, the window that shows them.
QString Tr(const char* text) {
    return QCoreApplication::translate("FrmAdrsMstr1", text);
}

QString Count(qsizetype n) {
    return QLocale(QLocale::English).toString(qlonglong(n)); // 300,000
}
} // namespace

void LongValues::Show(QLineEdit* box, const QString& caption, const QString& value) {
    const QString shown = LimitedTextEdit::Fitted(value, box->maxLength());
    box->setText(shown);
    Keep(box, caption, value, shown);
}

void LongValues::Show(QPlainTextEdit* box, int maxLength, const QString& caption,
                      const QString& value) {
    const QString shown = LimitedTextEdit::Fitted(value, maxLength);
    box->setPlainText(shown);
    Keep(box, caption, value, shown);
}

void LongValues::Keep(QWidget* box, const QString& caption, const QString& stored,
                      const QString& shown) {
    kept_.removeIf([box](const Kept& k) { return k.box == box; });
    if (shown.size() == stored.size()) {
        box->setToolTip(QString());
        return;
    }
    box->setToolTip(Tr("Stored with %1 characters; this box shows the first %2. "
                       "Saved whole unless this box is changed.")
                        .arg(Count(stored.size()), Count(shown.size())));
    kept_.append(Kept{box, caption, stored, shown});
}

std::optional<QString> LongValues::Unchanged(const QWidget* box, const QString& now) const {
    for (const Kept& k : kept_)
        if (k.box == box && k.shown == now) return k.stored;
    return std::nullopt;
}

QString LongValues::Word() const {
    QStringList fields;
    for (const Kept& k : kept_)
        fields << Tr("%1 of %2").arg(k.caption, Count(k.stored.size()));
    return fields.isEmpty()
               ? QString()
               : Tr("Cut to fit: %1 characters").arg(fields.join(QStringLiteral(", ")));
}

void LongValues::Clear() {
    for (const Kept& k : kept_)
        k.box->setToolTip(QString());
    kept_.clear();
}
