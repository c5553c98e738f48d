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
    FROM CardLimit WHERE shown <> rco OR hr > 65535 OR yr > 32767
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
    FROM Note WHERE length(CAST(replace(body, '\t', char(9)) AS BLOB)) > 4999;

SELECT 'catalogue source: ' || what FROM Problem;
CREATE TEMP TABLE Guard (what TEXT, CONSTRAINT catalogue_source_has_problems CHECK (what IS NULL));
INSERT INTO Guard SELECT what FROM Problem;

INSERT INTO ServiceNote (iSNoteID, strLabel, strText, bDelete)
SELECT id, label, replace(body, '\t', char(9)), 0 FROM Note ORDER BY id;

-- The mask of one option list for one card: a bit per option code that one
-- of the card's words stands for.
CREATE TEMP VIEW CardMask AS
SELECT c.part, cat.name AS cat,
       (SELECT coalesce(sum(1 << code), 0) FROM
            (SELECT DISTINCT o.code FROM OptionCode o JOIN CardWord w ON w.word = o.token
             WHERE w.part = c.part AND o.cat = cat.name)) AS mask
FROM Card c, (SELECT DISTINCT cat AS name FROM OptionCode) cat;

INSERT INTO Component (iCompID, iGroupID, strPartNmbr, strPartDesc, strDescNotes, strPartRef,
                       nInspect, nRCO, iSNote1ID, iSNote2ID, iSNote3ID, bDelete, iSortOrder,
                       bOptHeli, bOptEngine, bOptMainDrive, bOptMainRotor, bOptMRSystem,
                       bOptClutch, bOptTRSlider, bOptTailDrive, bOptTailRotor)
SELECT p.grp * 100000 + p.sub * 1000 + CAST(substr(c.part, 10) AS INTEGER),
       CASE WHEN p.sub = 0 THEN p.grp + (1 << 31) ELSE p.sub END,
       c.part, c.descr, c.notes, c.ref, c.insp, l.packed,
       coalesce((SELECT n.id FROM CardNote cn JOIN Note n ON n.label = cn.label
                 WHERE cn.part = c.part AND cn.slot = 1), 0),
       coalesce((SELECT n.id FROM CardNote cn JOIN Note n ON n.label = cn.label
                 WHERE cn.part = c.part AND cn.slot = 2), 0),
       coalesce((SELECT n.id FROM CardNote cn JOIN Note n ON n.label = cn.label
                 WHERE cn.part = c.part AND cn.slot = 3), 0),
       0, c.sort,
       (SELECT mask FROM CardMask m WHERE m.part = c.part AND m.cat = 'heli'),
       (SELECT mask FROM CardMask m WHERE m.part = c.part AND m.cat = 'eng'),
       (SELECT mask FROM CardMask m WHERE m.part = c.part AND m.cat = 'md'),
       (SELECT mask FROM CardMask m WHERE m.part = c.part AND m.cat = 'mr'),
       (SELECT mask FROM CardMask m WHERE m.part = c.part AND m.cat = 'hub'),
       (SELECT mask FROM CardMask m WHERE m.part = c.part AND m.cat = 'clutch'),
       (SELECT mask FROM CardMask m WHERE m.part = c.part AND m.cat = 'trs'),
       (SELECT mask FROM CardMask m WHERE m.part = c.part AND m.cat = 'td'),
       (SELECT mask FROM CardMask m WHERE m.part = c.part AND m.cat = 'tr')
FROM Card c JOIN Parent p ON p.name = c.parent JOIN CardLimit l ON l.part = c.part
ORDER BY 1;
