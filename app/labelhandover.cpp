#include "app/labelhandover.h"

#include "labels/frmlabels.h"
#include "platform/events.h"
#include "printing/frmprntrpt.h"
#include "search/frmsrchengn.h"

namespace {
// The label window opens over the window that asked for it.
template <class F> void handOver(F* form) {
    On::Signal(form, &F::LabelsWanted,
               [form](const QList<AddressBlock>& parties, int copies, bool attention,
                      const QString& summary) {
                   FrmLabels::Open(parties, copies, attention, summary, form);
               });
}
} // namespace

void HandLabelsOver(FrmPrntrpt* form) {
    handOver(form);
}
void HandLabelsOver(FrmSrchEngn* form) {
    handOver(form);
}
