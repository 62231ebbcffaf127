#include "printing/frmprntrpt.h"

#include "data/connmodule.h"

FrmPrntrpt::FrmPrntrpt(QWidget* parent) : Form(parent) { setObjectName(QStringLiteral("FrmPrntrpt")); }

void FrmPrntrpt::Form_Load() {
    SetTop(0);
    SetCaption(AppTitle + QStringLiteral(" ") + QStringLiteral("(PRINT MASTER)"));
}
