#include "data/ids.h"

#include "data/dberror.h"
#include "data/recordset.h"

#include <cmath>

Integer CInt(const QVariant& value) {
    double number = 0;
    if (value.isNull() || !value.isValid()) {
        number = 0;
    } else if (value.typeId() == QMetaType::QString) {
        bool ok = false;
        number = value.toString().trimmed().toDouble(&ok);
        if (!ok) throw DbError(QStringLiteral("\"%1\" is not a number.").arg(value.toString()));
    } else {
        bool ok = false;
        number = value.toDouble(&ok);
        if (!ok) throw DbError(QStringLiteral("The value is not a number."));
    }
    const double rounded = std::nearbyint(number); // the default rounding is half to even
    if (!(rounded >= -32768 && rounded <= kLargestId))
        throw OverflowError(
            QStringLiteral("The number %1 is out of range: ids and counts go up to %2.")
                .arg(number, 0, 'f', 0)
                .arg(kLargestId));
    return Integer(rounded);
}

Integer NextId(Recordset& maxQuery) {
    const Field max = maxQuery.Fields(0);
    if (max.IsNull()) return 1;
    const qlonglong current = max.Value().toLongLong();
    if (current == 0) return 1;
    if (current + 1 > kLargestId)
        throw OverflowError(
            QStringLiteral("The register is full: the next id would be %1, and ids go up "
                           "to %2. Nothing was saved.")
                .arg(current + 1)
                .arg(kLargestId));
    return CInt(current + 1);
}
