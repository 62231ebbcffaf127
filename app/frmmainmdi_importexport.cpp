// The Import / Export commands of the Administrator menu.

#include "app/frmmainmdi.h"
#include "importexport/frmexport.h"
#include "importexport/frmimport.h"

void FrmMainMdi::Expt_Click() {
    Load<FrmExport>();
}

// The import window asks for its file at once when it has none yet.
void FrmMainMdi::Impt_Click() {
    const bool open = Child<FrmImport>() != nullptr;
    FrmImport* form = Load<FrmImport>();
    if (!open) form->CmdBrowse_Click();
}
