#include "address/frmadrsmstr1.h"

#include "data/connmodule.h"

FrmAdrsMstr1::FrmAdrsMstr1(QWidget* parent) : Form(parent) { setObjectName(QStringLiteral("FrmAdrsMstr1")); }

void FrmAdrsMstr1::Form_Load() {
    SetTop(0);
    SetCaption(AppTitle + QStringLiteral(" ") + QStringLiteral("(ADDRESS MASTER)"));
}
