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

-- Each card's masks, one per option list: a bit per option code that one
-- of the card's words stands for. And the note in each of its three slots.
CREATE TEMP VIEW CardMask AS
WITH bit (part, cat, code) AS (
    SELECT DISTINCT w.part, o.cat, o.code FROM CardWord w JOIN OptionCode o ON o.token = w.word)
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
FROM Card c LEFT JOIN bit b ON b.part = c.part
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
