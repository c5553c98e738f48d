-- The four tables of the catalogue database, written exactly as the program
-- creates them itself (one line per table, columns joined by ", "), so that
-- the shipped file matches one the program makes. At start-up the program
-- reads the column names back out of these stored statements (any white
-- space, quoted names and parenthesised types are understood) and adds
-- only the declared columns it does not find.
CREATE TABLE Component (iCompID INTEGER PRIMARY KEY, iGroupID INTEGER, strPartNmbr TEXT, strPartDesc TEXT, strDescNotes TEXT, strPartRef TEXT, nInspect INTEGER, nRCO INTEGER, iSNote1ID INTEGER, iSNote2ID INTEGER, iSNote3ID INTEGER, bDelete BOOLEAN, iSortOrder INTEGER, bOptHeli INTEGER, bOptEngine INTEGER, bOptMainDrive INTEGER, bOptMainRotor INTEGER, bOptMRSystem INTEGER, bOptClutch INTEGER, bOptTRSlider INTEGER, bOptTailDrive INTEGER, bOptTailRotor INTEGER);
CREATE TABLE Reference (iRefID INTEGER PRIMARY KEY, iCompID INTEGER, strDrawing TEXT, nRotate INTEGER, nTargetX INTEGER, nTargetY INTEGER, nTargetWidth INTEGER, nTargetHeight INTEGER, nTargetAngle INTEGER, iTargetShape INTEGER, bDelete BOOLEAN);
CREATE TABLE Target (iTargetID INTEGER PRIMARY KEY, iRefID INTEGER, nX INTEGER, nY INTEGER, nWidth INTEGER, nHeight INTEGER, nLen INTEGER, nAngle INTEGER, iShape INTEGER, nWeight INTEGER, nColour INTEGER, bDelete BOOLEAN);
CREATE TABLE ServiceNote (iSNoteID INTEGER PRIMARY KEY, strLabel TEXT, strText TEXT, bDelete BOOLEAN);
