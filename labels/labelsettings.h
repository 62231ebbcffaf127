#pragma once
// What the label window remembers between runs, kept with QSettings (in
// the user's settings, never in the address book): the last sheet and
// envelope, the user's own sheets, the text options, each printer's
// offset and the sender's address.

#include "labels/labelgeometry.h"

#include <QFont>
#include <QPointF>
#include <QStringList>

namespace LabelSettings {

QString LastSheet();
void SetLastSheet(const QString& name);
QString LastEnvelope();
void SetLastEnvelope(const QString& name);
bool EnvelopeMode();
void SetEnvelopeMode(bool envelopes);

// Sheets the user defined and named, in name order.
QList<LabelSheet> CustomSheets();
void SaveCustomSheet(const LabelSheet& sheet); // replaces one of the same name
void RemoveCustomSheet(const QString& name);

QFont Font(); // with its point size
void SetFont(const QFont& font);
bool PhoneLine();
void SetPhoneLine(bool on);

// The feed error of a printer (by its name), in millimetres right and down.
QPointF Offset(const QString& printer);
void SetOffset(const QString& printer, QPointF offsetMm);

// The user company's name and address lines for the envelopes' sender block.
QStringList Sender();
void SetSender(const QStringList& lines);
bool PrintSender();
void SetPrintSender(bool on);

QString LastPdfFolder();
void SetLastPdfFolder(const QString& folder);

} // namespace LabelSettings
