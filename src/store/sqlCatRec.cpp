// Records of the catalogue database: component cards, drawings, targets
// and service notes.
#include "sqlMLog.h"
#include "sqlRow.h"
#include "sqlTable.h"

gboolean sqlLoadCompCard(cbComp* pcbComp, guint iCompID, guint iGroupID) {
    const bool bAll = rowIsAllOnes(iCompID);
    return rowLoad("sqlLoadCompCard", sqlCatalogueHandle(), tblComp,
                   bAll ? "WHERE " ROW_NOT_DELETED " AND iGroupID = ? "
                          "ORDER BY iSortOrder"
                        : nullptr,
                   {rowUnsigned(bAll ? iGroupID : iCompID)}, pcbComp->prcdComp, [pcbComp] {
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
                   "WHERE " ROW_NOT_DELETED " AND iCompID = ? ", {rowUnsigned(iCompID)},
                   pcbRef->prcdRef, rowCall(pcbRef->pfuncRefCB, pcbRef->prcdRef));
}

gboolean sqlLoadAllRefRecords(cbRef* pcbRef) {
    return rowLoad("sqlLoadAllRefRecords", sqlCatalogueHandle(), tblRef,
                   "WHERE " ROW_NOT_DELETED " ORDER BY iCompID, iRefID", {}, pcbRef->prcdRef,
                   rowCall(pcbRef->pfuncRefCB, pcbRef->prcdRef));
}

gboolean sqlLoadRefRecord(cbRef* pcbRef, guint iRefID) {
    return rowLoad("sqlLoadRefRecord", sqlCatalogueHandle(), tblRef, nullptr, {rowUnsigned(iRefID)},
                   pcbRef->prcdRef, rowCall(pcbRef->pfuncRefCB, pcbRef->prcdRef));
}

gboolean sqlUpdateRefRecord(rcdRef* prcdRef) {
    return rowSaveCatalogue("sqlUpdateRefRecord", sqlCatalogueHandle(), tblRef, prcdRef->iRefID,
                            prcdRef, &prcdRef->bDirty);
}

gboolean sqlLoadTargetRecords(cbTarget* pcbTgt, guint iRefID) {
    return rowLoad("sqlLoadTargetRecords", sqlCatalogueHandle(), tblTarget,
                   "WHERE " ROW_NOT_DELETED " AND iRefID = ? ", {rowUnsigned(iRefID)},
                   pcbTgt->prcdTgt, rowCall(pcbTgt->pfuncTgtCB, pcbTgt->prcdTgt));
}

gboolean sqlLoadTargetRecord(cbTarget* pcbTgt, guint iTgtID) {
    return rowLoad("sqlLoadTargetRecord", sqlCatalogueHandle(), tblTarget, nullptr,
                   {rowUnsigned(iTgtID)}, pcbTgt->prcdTgt,
                   rowCall(pcbTgt->pfuncTgtCB, pcbTgt->prcdTgt));
}

gboolean sqlUpdateTargetRecord(rcdTarget* prcdTgt) {
    return rowSaveCatalogue("sqlUpdateTargetRecord", sqlCatalogueHandle(), tblTarget,
                            prcdTgt->iTargetID, prcdTgt, &prcdTgt->bDirty);
}

gboolean sqlLoadSNoteRecords(cbSNote* pcbSNote) {
    return rowLoad("sqlLoadSNoteRecords", sqlCatalogueHandle(), tblSNote, "WHERE " ROW_NOT_DELETED,
                   {}, pcbSNote->prcdSNote, rowCall(pcbSNote->pfuncSNoteCB, pcbSNote->prcdSNote));
}

gboolean sqlLoadSNoteRecord(cbSNote* pcbSNote, guint iSNoteID) {
    return rowLoad("sqlLoadSNoteRecord", sqlCatalogueHandle(), tblSNote, nullptr,
                   {rowUnsigned(iSNoteID)}, pcbSNote->prcdSNote,
                   rowCall(pcbSNote->pfuncSNoteCB, pcbSNote->prcdSNote));
}

gboolean sqlUpdateSNoteRecord(rcdSNote* prcdSNote) {
    return rowSaveCatalogue("sqlUpdateSNoteRecord", sqlCatalogueHandle(), tblSNote,
                            prcdSNote->iSNoteID, prcdSNote, &prcdSNote->bDirty);
}
