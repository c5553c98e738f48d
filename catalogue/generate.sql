-- Checks the cards and notes and writes them into the catalogue tables.
-- Every problem found is listed, and then the build stops.

-- The option words of each card, one row per word.
CREATE TEMP VIEW CardWord AS
WITH RECURSIVE split (part, word, rest) AS (
    SELECT part, '', trim(applies) || ' ' FROM Card
    UNION ALL
    SELECT part, substr(rest, 1, instr(rest, ' ') - 1), ltrim(substr(rest, instr(rest, ' ') + 1))
    FROM split WHERE rest <> '')
SELECT part, word FROM split WHERE word <> '';

-- The option codes each card's words stand for, one row per list and code.
-- A card with no word for a list is for every code of that list.
CREATE TEMP VIEW CardBit AS
SELECT DISTINCT w.part, o.cat, o.code FROM CardWord w JOIN OptionCode o ON o.token = w.word;

-- The places of the tree that show cards of their own: every sub-group, and
-- a group that has none. Each needs a card for every aircraft, so that
-- none, not even one whose options are not chosen yet, sees it empty.
CREATE TEMP VIEW Place AS
SELECT name FROM Parent p
WHERE sub <> 0 OR NOT EXISTS (SELECT 1 FROM Parent q WHERE q.grp = p.grp AND q.sub <> 0);

-- Each note's tilde mark-up, code by code: the two characters after each
-- tilde, and the spans open after it. A code is wrong when it is unknown,
-- opens a span already open, closes one not open, or is a colour without
-- its colour letter.
CREATE TEMP VIEW NoteCode AS
WITH RECURSIVE code (id, n, mark, rest) AS (
    SELECT id, 0, '', body FROM Note
    UNION ALL
    SELECT id, n + 1, substr(rest, instr(rest, '~') + 1, 2), substr(rest, instr(rest, '~') + 1)
    FROM code WHERE instr(rest, '~') > 0),
span (id, n, open, bad) AS (
    SELECT id, 0, '', 0 FROM Note
    UNION ALL
    SELECT s.id, c.n,
           CASE WHEN c.mark GLOB '[A-Z]*' THEN s.open || substr(c.mark, 1, 1)
                ELSE replace(s.open, upper(substr(c.mark, 1, 1)), '') END,
           c.mark = '' OR instr('BIUCDWH', upper(substr(c.mark, 1, 1))) = 0
           OR CASE WHEN c.mark GLOB '[A-Z]*'
                   THEN instr(s.open, substr(c.mark, 1, 1)) > 0
                        OR (c.mark GLOB 'C*' AND NOT c.mark GLOB 'C[rRbB]')
                   ELSE instr(s.open, upper(substr(c.mark, 1, 1))) = 0 END
    FROM span s JOIN code c ON c.id = s.id AND c.n = s.n + 1 WHERE NOT s.bad)
SELECT s.id, s.open, s.bad, NOT EXISTS (SELECT 1 FROM code c WHERE c.id = s.id AND c.n = s.n + 1) AS last
FROM span s;

-- The replacement limit of each card, read from its text, packed (hours in
-- bits 0-15, years in bits 16-30, on condition in bit 31) and written back
-- the way the program shows it.
CREATE TEMP VIEW CardLimit AS
SELECT part, rco, hr, yr, oc, hr + (yr << 16) + (oc << 31) AS packed,
       CASE WHEN hr > 0 THEN hr || ' HR' ELSE '' END ||
       CASE WHEN oc AND hr > 0 THEN '/OC' WHEN oc THEN 'OC' ELSE '' END ||
       CASE WHEN yr > 0 AND NOT oc AND hr = 0 THEN yr || ' yrs'
            WHEN yr > 0 THEN ' or ' || yr || ' yrs' ELSE '' END AS shown
FROM (SELECT part, rco,
             CASE WHEN rco GLOB '[0-9]* HR*' THEN CAST(rco AS INTEGER) ELSE 0 END AS hr,
             CASE WHEN instr(rco, ' or ') > 0 THEN CAST(substr(rco, instr(rco, ' or ') + 4) AS INTEGER)
                  WHEN rco GLOB '[0-9]* yrs' THEN CAST(rco AS INTEGER)
                  ELSE 0 END AS yr,
             instr(rco, 'OC') > 0 AS oc
      FROM Card);

-- Sine and cosine (in thousandths) of the bearings an arrow may take.
CREATE TEMP TABLE Bearing (deg INTEGER PRIMARY KEY, s INTEGER NOT NULL, c INTEGER NOT NULL);
INSERT INTO Bearing VALUES (0, 0, 1000), (45, 707, 707), (90, 1000, 0), (135, 707, -707),
    (180, 0, -1000), (225, -707, -707), (270, -1000, 0), (315, -707, 707);

-- Each target as the program draws it, placed on its named part: a
-- rectangle or circle with a margin round the part, or an arrow whose tip
-- stops just short of the part and whose tail runs off along the bearing.
-- With the extent of what is drawn, which must lie on the picture.
CREATE TEMP VIEW CardTarget AS
SELECT part, picture, spot, iShape, nX, nY, nWidth, nHeight, nLen, nAngle, pw, ph,
       CASE iShape WHEN 3 THEN min(nX, nX + bs * nLen / 1000) ELSE nX - nWidth / 2 END AS x0,
       CASE iShape WHEN 3 THEN max(nX, nX + bs * nLen / 1000) ELSE nX - nWidth / 2 + nWidth END AS x1,
       CASE iShape WHEN 3 THEN min(nY, nY - bc * nLen / 1000)
                   WHEN 2 THEN nY - nWidth / 2 ELSE nY - nHeight / 2 END AS y0,
       CASE iShape WHEN 3 THEN max(nY, nY - bc * nLen / 1000)
                   WHEN 2 THEN nY - nWidth / 2 + nWidth ELSE nY - nHeight / 2 + nHeight END AS y1
FROM (SELECT d.part, d.picture, d.spot, p.width AS pw, p.height AS ph, b.s AS bs, b.c AS bc,
             CASE d.shape WHEN 'Rect' THEN 1 WHEN 'Circle' THEN 2 ELSE 3 END AS iShape,
             s.x + s.w / 2 + CASE d.shape WHEN 'Arrow' THEN b.s * (s.w / 2 + 12) / 1000 ELSE 0 END AS nX,
             s.y + s.h / 2 - CASE d.shape WHEN 'Arrow' THEN b.c * (s.h / 2 + 12) / 1000 ELSE 0 END AS nY,
             CASE d.shape WHEN 'Rect' THEN s.w + 30 WHEN 'Circle' THEN max(s.w, s.h) + 30 ELSE 0 END AS nWidth,
             CASE d.shape WHEN 'Rect' THEN s.h + 30 ELSE 0 END AS nHeight,
             CASE d.shape WHEN 'Arrow' THEN 150 ELSE 0 END AS nLen,
             CASE d.shape WHEN 'Arrow' THEN d.bearing ELSE 0 END AS nAngle
      FROM CardDrawing d JOIN Picture p ON p.file = d.picture
           JOIN Spot s ON s.file = d.picture AND s.name = d.spot
           LEFT JOIN Bearing b ON b.deg = d.bearing
      WHERE d.shape IN ('Rect', 'Circle', 'Arrow'));

CREATE TEMP VIEW Problem AS
SELECT part || ': unknown parent "' || parent || '"' AS what
    FROM Card WHERE parent NOT IN (SELECT name FROM Parent)
UNION ALL
SELECT part || ': part number does not follow AVL-' || printf('%02d%02d', p.grp, p.sub) || '-NNN'
    FROM Card c JOIN Parent p ON p.name = c.parent
    WHERE NOT (part GLOB 'AVL-[0-9][0-9][0-9][0-9]-[0-9][0-9][0-9]'
               AND substr(part, 5, 4) = printf('%02d%02d', p.grp, p.sub)
               AND substr(part, 10) <> '000')
UNION ALL
SELECT part || ': unknown option word "' || word || '"'
    FROM CardWord WHERE word NOT IN (SELECT token FROM OptionCode)
UNION ALL
SELECT part || ': limit "' || rco || '" would show as "' || shown || '"'
    FROM CardLimit WHERE shown <> rco OR yr > 32767
UNION ALL
SELECT part || ': limit of ' || hr || ' hours is more than the tree holds (6553)'
    FROM CardLimit WHERE hr > 6553
UNION ALL
SELECT part || ': never falls due'
    FROM Card c JOIN CardLimit l USING (part)
    WHERE c.insp = 0 AND l.packed = 0 AND c.parent IN (SELECT name FROM Parent WHERE sub <> 0)
UNION ALL
SELECT '"' || name || '" has no card that every aircraft has'
    FROM Place WHERE name NOT IN (SELECT parent FROM Card WHERE part NOT IN (SELECT part FROM CardBit))
UNION ALL
SELECT part || ': inspection interval ' || insp || ' is not a number of hours'
    FROM Card WHERE typeof(insp) <> 'integer' OR insp < 0 OR insp > 65535
UNION ALL
SELECT part || ': sort order ' || sort || ' is not a positive number'
    FROM Card WHERE typeof(sort) <> 'integer' OR sort <= 0
UNION ALL
SELECT part || ': description empty or longer than 49 bytes'
    FROM Card WHERE descr = '' OR length(CAST(descr AS BLOB)) > 49
UNION ALL
SELECT part || ': part reference longer than 49 bytes'
    FROM Card WHERE length(CAST(ref AS BLOB)) > 49
UNION ALL
SELECT part || ': description notes longer than 499 bytes'
    FROM Card WHERE length(CAST(notes AS BLOB)) > 499
UNION ALL
SELECT cn.part || ': note slot ' || cn.slot || ' names an unknown card'
    FROM CardNote cn WHERE cn.part NOT IN (SELECT part FROM Card)
UNION ALL
SELECT cn.part || ': unknown service note "' || cn.label || '"'
    FROM CardNote cn WHERE cn.label NOT IN (SELECT label FROM Note)
UNION ALL
SELECT 'service note ' || id || ': label empty or longer than 49 bytes'
    FROM Note WHERE label = '' OR length(CAST(label AS BLOB)) > 49
UNION ALL
SELECT 'service note ' || id || ': text longer than 4999 bytes'
    FROM Note WHERE length(CAST(replace(body, '\t', char(9)) AS BLOB)) > 4999
UNION ALL
SELECT 'service note ' || id || ': mark-up not well formed'
    FROM NoteCode WHERE bad OR (last AND open <> '')
UNION ALL
SELECT 'service note ' || id || ': on no card'
    FROM Note WHERE label NOT IN (SELECT label FROM CardNote)
UNION ALL
SELECT part || ': drawing for an unknown card'
    FROM CardDrawing WHERE part NOT IN (SELECT part FROM Card)
UNION ALL
SELECT part || ': picture "' || picture || '" does not ship'
    FROM CardDrawing WHERE picture NOT IN (SELECT file FROM Picture)
UNION ALL
SELECT part || ': picture name "' || picture || '" reaches outside the data directory or is too long'
    FROM CardDrawing WHERE instr(picture, '/') OR instr(picture, '..') OR picture = ''
                           OR length(CAST(picture AS BLOB)) > 99
UNION ALL
SELECT part || ': "' || picture || '" has no part "' || spot || '"'
    FROM CardDrawing d WHERE picture IN (SELECT file FROM Picture)
                         AND NOT EXISTS (SELECT 1 FROM Spot s WHERE s.file = d.picture AND s.name = d.spot)
UNION ALL
SELECT part || ': unknown shape "' || shape || '"'
    FROM CardDrawing WHERE shape NOT IN ('Rect', 'Circle', 'Arrow')
UNION ALL
SELECT part || ': arrow bearing ' || bearing || ' is not a multiple of 45 below 360'
    FROM CardDrawing WHERE shape = 'Arrow' AND bearing NOT IN (SELECT deg FROM Bearing)
UNION ALL
SELECT part || ': target on "' || spot || '" lies outside ' || picture
    FROM CardTarget WHERE x0 < 0 OR y0 < 0 OR x1 > pw OR y1 > ph;

SELECT 'catalogue source: ' || what FROM Problem;
CREATE TEMP TABLE Guard (what TEXT, CONSTRAINT catalogue_source_has_problems CHECK (what IS NULL));
INSERT INTO Guard SELECT what FROM Problem;

INSERT INTO ServiceNote (iSNoteID, strLabel, strText, bDelete)
SELECT id, label, replace(body, '\t', char(9)), 0 FROM Note ORDER BY id;

-- Each card's masks, one per option list: a bit per option code that one
-- of the card's words stands for. And the note in each of its three slots.
CREATE TEMP VIEW CardMask AS
SELECT c.part,
       sum(CASE b.cat WHEN 'heli' THEN 1 << b.code ELSE 0 END) AS heli,
       sum(CASE b.cat WHEN 'eng' THEN 1 << b.code ELSE 0 END) AS eng,
       sum(CASE b.cat WHEN 'md' THEN 1 << b.code ELSE 0 END) AS md,
       sum(CASE b.cat WHEN 'mr' THEN 1 << b.code ELSE 0 END) AS mr,
       sum(CASE b.cat WHEN 'hub' THEN 1 << b.code ELSE 0 END) AS hub,
       sum(CASE b.cat WHEN 'clutch' THEN 1 << b.code ELSE 0 END) AS clutch,
       sum(CASE b.cat WHEN 'trs' THEN 1 << b.code ELSE 0 END) AS trs,
       sum(CASE b.cat WHEN 'td' THEN 1 << b.code ELSE 0 END) AS td,
       sum(CASE b.cat WHEN 'tr' THEN 1 << b.code ELSE 0 END) AS tr
FROM Card c LEFT JOIN CardBit b ON b.part = c.part
GROUP BY c.part;

CREATE TEMP VIEW CardSlot AS
SELECT c.part,
       max(CASE s.slot WHEN 1 THEN n.id ELSE 0 END) AS note1,
       max(CASE s.slot WHEN 2 THEN n.id ELSE 0 END) AS note2,
       max(CASE s.slot WHEN 3 THEN n.id ELSE 0 END) AS note3
FROM Card c LEFT JOIN CardNote s ON s.part = c.part LEFT JOIN Note n ON n.label = s.label
GROUP BY c.part;

INSERT INTO Component (iCompID, iGroupID, strPartNmbr, strPartDesc, strDescNotes, strPartRef,
                       nInspect, nRCO, iSNote1ID, iSNote2ID, iSNote3ID, bDelete, iSortOrder,
                       bOptHeli, bOptEngine, bOptMainDrive, bOptMainRotor, bOptMRSystem,
                       bOptClutch, bOptTRSlider, bOptTailDrive, bOptTailRotor)
SELECT p.grp * 100000 + p.sub * 1000 + CAST(substr(c.part, 10) AS INTEGER),
       CASE WHEN p.sub = 0 THEN p.grp + (1 << 31) ELSE p.sub END,
       c.part, c.descr, c.notes, c.ref, c.insp, l.packed, s.note1, s.note2, s.note3, 0, c.sort,
       m.heli, m.eng, m.md, m.mr, m.hub, m.clutch, m.trs, m.td, m.tr
FROM Card c JOIN Parent p ON p.name = c.parent JOIN CardLimit l ON l.part = c.part
     JOIN CardMask m ON m.part = c.part JOIN CardSlot s ON s.part = c.part
ORDER BY 1;

-- The drawings: one reference per card and picture, its targets under it.
INSERT INTO Reference (iRefID, iCompID, strDrawing, nRotate, bDelete)
SELECT row_number() OVER (ORDER BY c.iCompID, r.picture), c.iCompID, r.picture, 0, 0
FROM (SELECT DISTINCT part, picture FROM CardDrawing) r JOIN Component c ON c.strPartNmbr = r.part;

INSERT INTO Target (iRefID, nX, nY, nWidth, nHeight, nLen, nAngle, iShape, nWeight, nColour, bDelete)
SELECT r.iRefID, t.nX, t.nY, t.nWidth, t.nHeight, t.nLen, t.nAngle, t.iShape, 0, 0, 0
FROM CardTarget t JOIN Component c ON c.strPartNmbr = t.part
     JOIN Reference r ON r.iCompID = c.iCompID AND r.strDrawing = t.picture
ORDER BY r.iRefID, t.spot;
