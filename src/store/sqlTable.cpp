#include "sqlTable.h"

#include "rcdAC.h"
#include "rcdComp.h"
#include "rcdDefect.h"
#include "rcdFLog.h"
#include "rcdMaint.h"
#include "rcdPilot.h"
#include "rcdRef.h"

#include <cstddef>

namespace {

#define FIELD(kind, rec, member)                                                                   \
    Field {                                                                                        \
        Kind::kind, offsetof(rec, member), sizeof(rec::member)                                     \
    }
constexpr Field NONE{Kind::None, 0, 0};
constexpr Field ARG{Kind::Arg, 0, 0};

// The level is kept next to the group ID; a Group field names both.
static_assert(offsetof(rcdComp, iGroupLevel) == offsetof(rcdComp, iGroupID) + sizeof(guint));
static_assert(offsetof(rcdAC, nFcstRate) == offsetof(rcdAC, bFcstRate) + sizeof(gboolean));

// An aircraft read from a row of NULLs has every option "not chosen", as
// the aircraft card starts a record.
void initAircraft(void* p) {
    rcdClearAC(static_cast<rcdAC*>(p), 0);
}

} // namespace

#define F(kind, member) FIELD(kind, rcdAC, member)
const TableDecl tblAircraft = {"Aircraft",
                               sizeof(rcdAC),
                               initAircraft,
                               {{"iAircraftID", "INTEGER PRIMARY KEY", F(U32, iACID)},
                                {"tCreate", "INTEGER", NONE},
                                {"tAlter", "INTEGER", NONE},
                                {"strReg", "TEXT", F(Text, szReg)},
                                {"strModel", "TEXT", F(Text, szModel)},
                                {"strSerial", "TEXT", F(Text, szSerial)},
                                {"strBuilder", "TEXT", F(Text, szBuilder)},
                                {"strOwner", "TEXT", F(Text, szOwner)},
                                {"tManu", "INTEGER", F(Time, tManu)},
                                {"iOptHeli", "INTEGER", F(I32, iHeliOpt)},
                                {"iOptEngine", "INTEGER", F(I32, iEngineOpt)},
                                {"iOptClutch", "INTEGER", F(I32, iClutchOpt)},
                                {"iOptMRDrive", "INTEGER", F(I32, iMainDriveOpt)},
                                {"iOptMRotor", "INTEGER", F(I32, iMainRotorOpt)},
                                {"iOptMRSystem", "INTEGER", F(I32, iMRSystemOpt)},
                                {"iOptTRSlider", "INTEGER", F(I32, iTRSliderOpt)},
                                {"iOptTRDrive", "INTEGER", F(I32, iTailDriveOpt)},
                                {"iOptTR", "INTEGER", F(I32, iTailRotorOpt)},
                                {"bLogSinceNew", "BOOLEAN", F(Bool, bLogSinceNew)},
                                {"tLogStart", "INTEGER", F(Time, tLogStart)},
                                {"nLogHours", "INTEGER", F(U32, nLogHours)},
                                {"bModFlags", "INTEGER", NONE},
                                {"bOptFlags", "INTEGER", NONE},
                                {"strNotes", "TEXT", F(Text, szNotes)},
                                {"bDelete", "INTEGER", F(Bool, bDelete)},
                                {"nFcstRate", "INTEGER", F(OptU32, bFcstRate)}}};
#undef F
#define F(kind, member) FIELD(kind, rcdPilot, member)
const TableDecl tblPilot = {"Pilot",
                            sizeof(rcdPilot),
                            nullptr,
                            {{"iPilotID", "INTEGER PRIMARY KEY", F(U32, iPilotID)},
                             {"tCreateTime", "INTEGER", NONE},
                             {"tAlterTime", "INTEGER", NONE},
                             {"strLName", "TEXT", F(Text, szLName)},
                             {"strFName", "TEXT", F(Text, szFName)},
                             {"strSortKey", "TEXT", F(Text, szSortKey)},
                             {"tLastMed", "INTEGER", F(Time, tLastMed)},
                             {"tNextMed", "INTEGER", F(Time, tNextMed)},
                             {"nMedInterval", "INTEGER", F(U32, nMedIntv)},
                             {"bMedAuto", "BOOLEAN", F(Bool, bMedAuto)},
                             {"bMedMonthEnd", "BOOLEAN", F(Bool, bMedMonthEnd)},
                             {"tLastFR", "INTEGER", F(Time, tLastFR)},
                             {"tNextFR", "INTEGER", F(Time, tNextFR)},
                             {"nFRInterval", "INTEGER", F(U32, nFRIntv)},
                             {"bFRAuto", "BOOLEAN", F(Bool, bFRAuto)},
                             {"bFRMonthEnd", "BOOLEAN", F(Bool, bFRMonthEnd)},
                             {"strNotes", "TEXT", F(Text, szNotes)},
                             {"bDelete", "BOOLEAN", F(Bool, bDelete)}}};
#undef F
#define F(kind, member) FIELD(kind, rcdFLog, member)
// Engine times and positions are kept in the file for older logs only.
const TableDecl tblFlight = {"Flight",
                             sizeof(rcdFLog),
                             nullptr,
                             {{"iFltID", "INTEGER PRIMARY KEY", F(U32, iFLogID)},
                              {"iCSID", "INTEGER", F(U32, iCSID)},
                              {"iPilotID", "INTEGER", F(U32, iPilotID)},
                              {"iStudentID", "INTEGER", F(U32, iStudentID)},
                              {"tFltBegin", "INTEGER", F(Time, tFltBegin)},
                              {"tFltEnd", "INTEGER", F(Time, tFltEnd)},
                              {"tEngStart", "INTEGER", NONE},
                              {"tEngStop", "INTEGER", NONE},
                              {"nElapsed", "INTEGER", F(U32, nElapsed)},
                              {"nFltType", "INTEGER", F(U32, nType)},
                              {"nPosnMode", "INTEGER", NONE},
                              {"nFromLat", "DOUBLE", NONE},
                              {"nFromLong", "DOUBLE", NONE},
                              {"nToLat", "DOUBLE", NONE},
                              {"nToLong", "DOUBLE", NONE},
                              {"strFrom", "TEXT", F(Text, szFrom)},
                              {"strTo", "TEXT", F(Text, szTo)},
                              {"strPaxList", "TEXT", F(Text, szPaxList)},
                              {"strNotes", "TEXT", F(Text, szNotes)},
                              {"bDelete", "BOOLEAN", F(Bool, bDelete)}}};
#undef F
#define F(kind, member) FIELD(kind, rcdMaint, member)
// The aircraft is the update's argument, not a field of the record.
const TableDecl tblMaint = {"Maintenance",
                            sizeof(rcdMaint),
                            nullptr,
                            {{"iMaintID", "INTEGER PRIMARY KEY", F(U32, iMaintID)},
                             {"iCompID", "INTEGER", F(U32, iCompID)},
                             {"iACID", "INTEGER", ARG},
                             {"iType", "INTEGER", F(U32, iType)},
                             {"tCompleted", "INTEGER", F(Time, tComplete)},
                             {"bFlags", "INTEGER", F(U8, bFlags)},
                             {"nCompHours", "INTEGER", F(U32, nCompHours)},
                             {"nCompAge", "INTEGER", F(U32, nCompAge)},
                             {"nDeferHours", "INTEGER", F(U32, nDeferHours)},
                             {"nDeferDays", "INTEGER", F(U32, nDeferDays)},
                             {"strNotes", "TEXT", F(Text, szNotes)},
                             {"bDelete", "BOOLEAN", F(Bool, bDelete)}}};
#undef F
#define F(kind, member) FIELD(kind, rcdDefect, member)
const TableDecl tblDefect = {"Defect",
                             sizeof(rcdDefect),
                             nullptr,
                             {{"iDefectID", "INTEGER PRIMARY KEY", F(U32, iDefectID)},
                              {"iACID", "INTEGER", F(U32, iACID)},
                              {"iFltID", "INTEGER", F(U32, iFLogID)},
                              {"iCompID", "INTEGER", F(U32, iCompID)},
                              {"nSeverity", "INTEGER", F(U32, nSeverity)},
                              {"tReported", "INTEGER", F(Time, tReported)},
                              {"strDesc", "TEXT", F(Text, szDesc)},
                              {"tCleared", "INTEGER", F(Time, tCleared)},
                              {"iMaintID", "INTEGER", F(U32, iMaintID)},
                              {"strHow", "TEXT", F(Text, szHow)},
                              {"strBy", "TEXT", F(Text, szBy)},
                              {"strLink", "TEXT", F(Text, szLink)},
                              {"bDelete", "BOOLEAN", F(Bool, bDelete)}}};
#undef F
#define F(kind, member) FIELD(kind, rcdComp, member)
const TableDecl tblComp = {"Component",
                           sizeof(rcdComp),
                           nullptr,
                           {{"iCompID", "INTEGER PRIMARY KEY", F(U32, iCompID)},
                            {"iGroupID", "INTEGER", F(Group, iGroupID)},
                            {"strPartNmbr", "TEXT", F(Text, szPartNmbr)},
                            {"strPartDesc", "TEXT", F(Text, szPartDesc)},
                            {"strDescNotes", "TEXT", F(Text, szDescNotes)},
                            {"strPartRef", "TEXT", F(Text, szPartRef)},
                            {"nInspect", "INTEGER", F(U32, nInspIntv)},
                            {"nRCO", "INTEGER", F(U32, nRCOIntv)},
                            {"iSNote1ID", "INTEGER", F(U32, iSNote1ID)},
                            {"iSNote2ID", "INTEGER", F(U32, iSNote2ID)},
                            {"iSNote3ID", "INTEGER", F(U32, iSNote3ID)},
                            {"bDelete", "BOOLEAN", F(Bool, bDelete)},
                            {"iSortOrder", "INTEGER", F(U32, iSortOrder)},
                            {"bOptHeli", "INTEGER", F(U32, bOptHeli)},
                            {"bOptEngine", "INTEGER", F(U32, bOptEng)},
                            {"bOptMainDrive", "INTEGER", F(U32, bOptMainDrive)},
                            {"bOptMainRotor", "INTEGER", F(U32, bOptMainRotor)},
                            {"bOptMRSystem", "INTEGER", F(U32, bOptMRSystem)},
                            {"bOptClutch", "INTEGER", F(U32, bOptClutch)},
                            {"bOptTRSlider", "INTEGER", F(U32, bOptTRSlider)},
                            {"bOptTailDrive", "INTEGER", F(U32, bOptTailDrive)},
                            {"bOptTailRotor", "INTEGER", F(U32, bOptTailRotor)}}};
#undef F
#define F(kind, member) FIELD(kind, rcdRef, member)
// Some editors store the card as a real number. The single-target columns
// predate the Target table.
const TableDecl tblRef = {"Reference",
                          sizeof(rcdRef),
                          nullptr,
                          {{"iRefID", "INTEGER PRIMARY KEY", F(U32, iRefID)},
                           {"iCompID", "INTEGER", F(Real, iCompID)},
                           {"strDrawing", "TEXT", F(Text, szDrawing)},
                           {"nRotate", "INTEGER", F(U32, nRotate)},
                           {"nTargetX", "INTEGER", NONE},
                           {"nTargetY", "INTEGER", NONE},
                           {"nTargetWidth", "INTEGER", NONE},
                           {"nTargetHeight", "INTEGER", NONE},
                           {"nTargetAngle", "INTEGER", NONE},
                           {"iTargetShape", "INTEGER", NONE},
                           {"bDelete", "BOOLEAN", F(Bool, bDelete)}}};
#undef F
#define F(kind, member) FIELD(kind, rcdTarget, member)
const TableDecl tblTarget = {"Target",
                             sizeof(rcdTarget),
                             nullptr,
                             {{"iTargetID", "INTEGER PRIMARY KEY", F(U32, iTargetID)},
                              {"iRefID", "INTEGER", F(U32, iRefID)},
                              {"nX", "INTEGER", F(U32, nX)},
                              {"nY", "INTEGER", F(U32, nY)},
                              {"nWidth", "INTEGER", F(U32, nWidth)},
                              {"nHeight", "INTEGER", F(U32, nHeight)},
                              {"nLen", "INTEGER", F(U32, nLen)},
                              {"nAngle", "INTEGER", F(U32, nAngle)},
                              {"iShape", "INTEGER", F(U32, iShape)},
                              {"nWeight", "INTEGER", F(U32, nWeight)},
                              {"nColour", "INTEGER", F(U32, nColour)},
                              {"bDelete", "BOOLEAN", F(Bool, bDelete)}}};
#undef F
#define F(kind, member) FIELD(kind, rcdSNote, member)
const TableDecl tblSNote = {"ServiceNote",
                            sizeof(rcdSNote),
                            nullptr,
                            {{"iSNoteID", "INTEGER PRIMARY KEY", F(U32, iSNoteID)},
                             {"strLabel", "TEXT", F(Text, szLabel)},
                             {"strText", "TEXT", F(Text, szText)},
                             {"bDelete", "BOOLEAN", F(Bool, bDelete)}}};
#undef F
#undef FIELD

const std::array<const TableDecl*, 5> tblLogTables = {&tblAircraft, &tblPilot, &tblFlight,
                                                      &tblMaint, &tblDefect};
const std::array<const TableDecl*, 4> tblCatalogueTables = {&tblComp, &tblRef, &tblTarget,
                                                            &tblSNote};
