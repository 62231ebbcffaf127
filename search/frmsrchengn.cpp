#include "search/frmsrchengn.h"

#include "data/connmodule.h"

FrmSrchEngn::FrmSrchEngn(QWidget* parent) : Form(parent) { setObjectName(QStringLiteral("FrmSrchEngn")); }

void FrmSrchEngn::Form_Load() {
    SetTop(0);
    SetCaption(AppTitle + QStringLiteral(" ") + QStringLiteral("(SEARCH ENGINE)"));
}
