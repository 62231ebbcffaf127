#include "masters/frmcsc.h"

#include "data/connmodule.h"

FrmCsC::FrmCsC(QWidget* parent) : Form(parent) { setObjectName(QStringLiteral("FrmCsC")); }

void FrmCsC::Form_Load() {
    SetTop(0);
    SetCaption(AppTitle + QStringLiteral(" ") + QStringLiteral("(CITY MASTER)"));
}
