#include "labels/labelsettings.h"

#include <QSettings>

namespace {

// The program's own settings file, the same on every platform.
QSettings Store() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("adrsbook"),
                     QStringLiteral("labels"));
}

QString Text(const char* key, const QString& fallback = QString()) {
    return Store().value(QLatin1String(key), fallback).toString();
}

void Put(const char* key, const QVariant& value) {
    Store().setValue(QLatin1String(key), value);
}

// Printer names may hold slashes, which QSettings reads as groups.
QString PrinterKey(const QString& printer) {
    return QStringLiteral("offsets/") + QString::fromLatin1(printer.toUtf8().toHex());
}

const QStringList kSheetKeys = {QStringLiteral("paperWidth"), QStringLiteral("paperHeight"),
                                QStringLiteral("rows"),       QStringLiteral("columns"),
                                QStringLiteral("labelWidth"), QStringLiteral("labelHeight"),
                                QStringLiteral("leftMargin"), QStringLiteral("topMargin"),
                                QStringLiteral("columnGap"),  QStringLiteral("rowGap")};

} // namespace

QString LabelSettings::LastSheet() {
    return Text("lastSheet");
}
void LabelSettings::SetLastSheet(const QString& name) {
    Put("lastSheet", name);
}
QString LabelSettings::LastEnvelope() {
    return Text("lastEnvelope");
}
void LabelSettings::SetLastEnvelope(const QString& name) {
    Put("lastEnvelope", name);
}
bool LabelSettings::EnvelopeMode() {
    return Store().value(QStringLiteral("envelopes"), false).toBool();
}
void LabelSettings::SetEnvelopeMode(bool envelopes) {
    Put("envelopes", envelopes);
}

QList<LabelSheet> LabelSettings::CustomSheets() {
    QSettings s = Store();
    QList<LabelSheet> sheets;
    const int n = s.beginReadArray(QStringLiteral("customSheets"));
    for (int i = 0; i < n; ++i) {
        s.setArrayIndex(i);
        LabelSheet sheet;
        sheet.name = s.value(QStringLiteral("name")).toString();
        QList<double> v;
        for (const QString& key : kSheetKeys)
            v.append(s.value(key).toDouble());
        sheet.paperMm = QSizeF(v[0], v[1]);
        sheet.rows = static_cast<int>(v[2]);
        sheet.columns = static_cast<int>(v[3]);
        sheet.labelWidth = v[4];
        sheet.labelHeight = v[5];
        sheet.leftMargin = v[6];
        sheet.topMargin = v[7];
        sheet.columnGap = v[8];
        sheet.rowGap = v[9];
        if (!sheet.name.isEmpty() && SheetProblem(sheet).isEmpty()) sheets.append(sheet);
    }
    s.endArray();
    std::sort(sheets.begin(), sheets.end(), [](const LabelSheet& a, const LabelSheet& b) {
        return a.name.localeAwareCompare(b.name) < 0;
    });
    return sheets;
}

namespace {
void WriteCustomSheets(const QList<LabelSheet>& sheets) {
    QSettings s = Store();
    s.remove(QStringLiteral("customSheets"));
    s.beginWriteArray(QStringLiteral("customSheets"), static_cast<int>(sheets.size()));
    for (int i = 0; i < sheets.size(); ++i) {
        const LabelSheet& sheet = sheets[i];
        s.setArrayIndex(i);
        s.setValue(QStringLiteral("name"), sheet.name);
        const QList<double> v = {sheet.paperMm.width(), sheet.paperMm.height(), double(sheet.rows),
                                 double(sheet.columns), sheet.labelWidth,       sheet.labelHeight,
                                 sheet.leftMargin,      sheet.topMargin,        sheet.columnGap,
                                 sheet.rowGap};
        for (int k = 0; k < kSheetKeys.size(); ++k)
            s.setValue(kSheetKeys[k], v[k]);
    }
    s.endArray();
}
} // namespace

void LabelSettings::SaveCustomSheet(const LabelSheet& sheet) {
    QList<LabelSheet> sheets = CustomSheets();
    sheets.removeIf([&](const LabelSheet& s) { return s.name == sheet.name; });
    sheets.append(sheet);
    WriteCustomSheets(sheets);
}

void LabelSettings::RemoveCustomSheet(const QString& name) {
    QList<LabelSheet> sheets = CustomSheets();
    sheets.removeIf([&](const LabelSheet& s) { return s.name == name; });
    WriteCustomSheets(sheets);
}

QFont LabelSettings::Font() {
    QFont font;
    const QString family = Text("fontFamily");
    if (!family.isEmpty()) font.setFamily(family);
    font.setPointSizeF(Store().value(QStringLiteral("fontSize"), 10.0).toDouble());
    return font;
}
void LabelSettings::SetFont(const QFont& font) {
    Put("fontFamily", font.family());
    Put("fontSize", font.pointSizeF());
}
bool LabelSettings::PhoneLine() {
    return Store().value(QStringLiteral("phoneLine"), true).toBool();
}
void LabelSettings::SetPhoneLine(bool on) {
    Put("phoneLine", on);
}

QPointF LabelSettings::Offset(const QString& printer) {
    return Store().value(PrinterKey(printer), QPointF()).toPointF();
}
void LabelSettings::SetOffset(const QString& printer, QPointF offsetMm) {
    Store().setValue(PrinterKey(printer), offsetMm);
}

QStringList LabelSettings::Sender() {
    return Store().value(QStringLiteral("sender")).toStringList();
}
void LabelSettings::SetSender(const QStringList& lines) {
    Put("sender", lines);
}
bool LabelSettings::PrintSender() {
    return Store().value(QStringLiteral("printSender"), false).toBool();
}
void LabelSettings::SetPrintSender(bool on) {
    Put("printSender", on);
}

QString LabelSettings::LastPdfFolder() {
    return Text("pdfFolder");
}
void LabelSettings::SetLastPdfFolder(const QString& folder) {
    Put("pdfFolder", folder);
}
