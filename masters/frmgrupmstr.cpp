#include "masters/frmgrupmstr.h"

#include "data/connmodule.h"

FrmGrupMstr::FrmGrupMstr(QWidget* parent) : Form(parent) { setObjectName(QStringLiteral("FrmGrupMstr")); }

void FrmGrupMstr::Form_Load() {
    SetTop(0);
    SetCaption(AppTitle + QStringLiteral(" ") + QStringLiteral("(GROUP MASTER)"));
}
