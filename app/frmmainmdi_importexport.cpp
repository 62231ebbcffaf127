// The Import / Export commands of the Administrator menu.

#include "app/frmmainmdi.h"
#include "importexport/frmexport.h"
#include "importexport/frmimport.h"
#include "search/frmsrchengn.h"

// Export is handed the Search Engine's current result, while one is open.
void FrmMainMdi::Expt_Click() {
    FrmExport* form = Load<FrmExport>();
    form->SearchResult = [this]() -> std::optional<QList<int>> {
        FrmSrchEngn* search = Child<FrmSrchEngn>();
        if (!search) return std::nullopt;
        QList<int> ids;
        for (Integer id : search->ResultPartyIds())
            ids.append(id);
        return ids;
    };
}

// The import window asks for its file at once when it has none yet.
void FrmMainMdi::Impt_Click() {
    const bool open = Child<FrmImport>() != nullptr;
    FrmImport* form = Load<FrmImport>();
    if (!open) form->CmdBrowse_Click();
}
