// Records of the catalogue database: component cards, drawings, targets
// and service notes.
#include "sqlMLog.h"
#include "sqlRow.h"
#include "sqlTable.h"

gboolean sqlLoadCompCard(cbComp* pcbComp, guint iCompID, guint iGroupID) {
    const bool bAll = rowIsAllOnes(iCompID);
    return rowLoad("sqlLoadCompCard", sqlCatalogueHandle(), tblComp,
                   bAll ? "WHERE (bDelete = 0 OR bDelete IS NULL) AND iGroupID = ? "
                          "ORDER BY iSortOrder"
                        : "WHERE iCompID = ?",
                   {rowUnsigned(bAll ? iGroupID : iCompID)}, pcbComp->prcdComp, !bAll, [pcbComp] {
                       return pcbComp->pfuncCompCB
                                  ? pcbComp->pfuncCompCB(pcbComp->prcdComp, pcbComp->piterSubGrp)
                                  : 0;
                   });
}

gboolean sqlUpdateCompCard(rcdComp* prcdComp) {
    return rowSaveCatalogue("sqlUpdateCompCard", sqlCatalogueHandle(), tblComp, prcdComp->iCompID,
                            prcdComp, nullptr);
}

gboolean sqlLoadRefRecords(cbRef* pcbRef, guint iCompID) {
    return rowLoad("sqlLoadRefRecords", sqlCatalogueHandle(), tblRef,
                   "WHERE (bDelete = 0 OR bDelete IS NULL) AND iCompID = ? ",
                   {rowUnsigned(iCompID)}, pcbRef->prcdRef, false,
                   rowCall(pcbRef->pfuncRefCB, pcbRef->prcdRef));
}

gboolean sqlLoadRefRecord(cbRef* pcbRef, guint iRefID) {
    return rowLoad("sqlLoadRefRecord", sqlCatalogueHandle(), tblRef, "WHERE iRefID = ? ",
                   {rowUnsigned(iRefID)}, pcbRef->prcdRef, true,
                   rowCall(pcbRef->pfuncRefCB, pcbRef->prcdRef));
}

gboolean sqlUpdateRefRecord(rcdRef* prcdRef) {
    return rowSaveCatalogue("sqlUpdateRefRecord", sqlCatalogueHandle(), tblRef, prcdRef->iRefID,
                            prcdRef, &prcdRef->bDirty);
}

gboolean sqlLoadTargetRecords(cbTarget* pcbTgt, guint iRefID) {
    return rowLoad("sqlLoadTargetRecords", sqlCatalogueHandle(), tblTarget,
                   "WHERE (bDelete = 0 OR bDelete IS NULL) AND iRefID = ? ", {rowUnsigned(iRefID)},
                   pcbTgt->prcdTgt, false, rowCall(pcbTgt->pfuncTgtCB, pcbTgt->prcdTgt));
}

gboolean sqlLoadTargetRecord(cbTarget* pcbTgt, guint iTgtID) {
    return rowLoad("sqlLoadTargetRecord", sqlCatalogueHandle(), tblTarget, "WHERE iTargetID = ? ",
                   {rowUnsigned(iTgtID)}, pcbTgt->prcdTgt, true,
                   rowCall(pcbTgt->pfuncTgtCB, pcbTgt->prcdTgt));
}

gboolean sqlUpdateTargetRecord(rcdTarget* prcdTgt) {
    return rowSaveCatalogue("sqlUpdateTargetRecord", sqlCatalogueHandle(), tblTarget,
                            prcdTgt->iTargetID, prcdTgt, &prcdTgt->bDirty);
}

gboolean sqlLoadSNoteRecords(cbSNote* pcbSNote) {
    return rowLoad("sqlLoadSNoteRecords", sqlCatalogueHandle(), tblSNote,
                   "WHERE (bDelete = 0 OR bDelete IS NULL)", {}, pcbSNote->prcdSNote, false,
                   rowCall(pcbSNote->pfuncSNoteCB, pcbSNote->prcdSNote));
}

gboolean sqlLoadSNoteRecord(cbSNote* pcbSNote, guint iSNoteID) {
    return rowLoad("sqlLoadSNoteRecord", sqlCatalogueHandle(), tblSNote, "WHERE iSNoteID = ? ",
                   {rowUnsigned(iSNoteID)}, pcbSNote->prcdSNote, true,
                   rowCall(pcbSNote->pfuncSNoteCB, pcbSNote->prcdSNote));
}

gboolean sqlUpdateSNoteRecord(rcdSNote* prcdSNote) {
    return rowSaveCatalogue("sqlUpdateSNoteRecord", sqlCatalogueHandle(), tblSNote,
                            prcdSNote->iSNoteID, prcdSNote, &prcdSNote->bDirty);
}
