-- What the program knows about the tree and the aircraft options, as the
-- cards below refer to them. Temporary: none of this goes into avCCD.db.

-- Where a card can hang: a sub-group (stored with its own ID) or, for the
-- few items that belong to a group as a whole, the group itself (stored
-- with the group's ID and bit 31 set). grp and sub are also the digits of
-- the part number: AVL-<grp><sub>-<item>, sub 00 for a group-level card.
CREATE TEMP TABLE Parent (name TEXT PRIMARY KEY, grp INTEGER NOT NULL, sub INTEGER NOT NULL);
INSERT INTO Parent VALUES
    ('Fuselage',                  1,  0),
    ('Airframe',                  1,  1),
    ('Landing Gear',              1, 25),
    ('Tail Boom',                 1,  2),
    ('Body',                      1,  3),
    ('Ground Handling Wheels',    1, 20),
    ('Ballast Weight',            1, 21),
    ('Doors',                     1, 24),
    ('Engine',                    2,  0),
    ('Oil System',                2,  4),
    ('Cooling System',            2,  5),
    ('Fuel System',               2,  6),
    ('Exhaust System',            2,  8),
    ('Intake System',             2,  9),
    ('Torque Link',               2, 18),
    ('Ignition',                  2, 22),
    ('Drive Train',               3,  0),
    ('Tail Rotor Drive',          3, 10),
    ('Main Drive',                3, 26),
    ('Fan Drive',                 3, 30),
    ('Main Rotor System',         4,  0),
    ('Main Rotor Blades',         4, 17),
    ('Rotor Hub Assembly',        4, 23),
    ('Swash Plate Assembly',      4, 31),
    ('Main Rotor Shaft Assembly', 4, 32),
    ('Tail Rotor System',         5,  0),
    ('Tail Rotor',                5, 11),
    ('Pitch Actuator',            5, 27),
    ('Mount',                     5, 28),
    ('Drive',                     5, 29),
    ('Flight Controls',           6,  0),
    ('Directional Control',       6, 12),
    ('Cyclic Control',            6, 13),
    ('Collective Control',        6, 14),
    ('Throttle Control',          6, 15),
    ('Electrical System',         7,  0),
    ('Instrumentation',           8,  0);

-- The words a card uses in its "applies" column to say which aircraft it
-- is for. Each word sets the bits of the option codes it stands for in one
-- mask (bit n for option code n of that list on the aircraft card). A card
-- whose words name nothing in a list applies to every aircraft there.
CREATE TEMP TABLE OptionCode (token TEXT NOT NULL, cat TEXT NOT NULL, code INTEGER NOT NULL,
                              PRIMARY KEY (token, code));
INSERT INTO OptionCode VALUES
    -- helicopter type (bOptHeli)
    ('heli:exec162f', 'heli', 0), ('heli:elete', 'heli', 1), ('heli:exec90', 'heli', 2),
    ('heli:exec', 'heli', 3), ('heli:scorpion2', 'heli', 4), ('heli:scorpion1', 'heli', 5),
    ('heli:talon', 'heli', 6),
    ('heli:exec-family', 'heli', 0), ('heli:exec-family', 'heli', 1),
    ('heli:exec-family', 'heli', 2), ('heli:exec-family', 'heli', 3),
    ('heli:scorpion', 'heli', 4), ('heli:scorpion', 'heli', 5),
    -- engine (bOptEngine)
    ('eng:a600-acis', 'eng', 0), ('eng:a600', 'eng', 1), ('eng:162f-acis', 'eng', 2),
    ('eng:162f', 'eng', 3), ('eng:162-carb', 'eng', 4), ('eng:152', 'eng', 5),
    ('eng:145', 'eng', 6), ('eng:133', 'eng', 7), ('eng:evinrude', 'eng', 8),
    ('eng:t62', 'eng', 9),
    -- every piston engine: all but the turbine
    ('eng:piston', 'eng', 0), ('eng:piston', 'eng', 1), ('eng:piston', 'eng', 2),
    ('eng:piston', 'eng', 3), ('eng:piston', 'eng', 4), ('eng:piston', 'eng', 5),
    ('eng:piston', 'eng', 6), ('eng:piston', 'eng', 7), ('eng:piston', 'eng', 8),
    -- the four-stroke engines with a liquid cooling circuit
    ('eng:liquid', 'eng', 0), ('eng:liquid', 'eng', 1), ('eng:liquid', 'eng', 2),
    ('eng:liquid', 'eng', 3), ('eng:liquid', 'eng', 4), ('eng:liquid', 'eng', 5),
    ('eng:liquid', 'eng', 6), ('eng:liquid', 'eng', 7),
    -- port fuel injection: the A600 and 162F engines
    ('eng:injected', 'eng', 0), ('eng:injected', 'eng', 1), ('eng:injected', 'eng', 2),
    ('eng:injected', 'eng', 3),
    -- carburettor engines
    ('eng:carb', 'eng', 4), ('eng:carb', 'eng', 5), ('eng:carb', 'eng', 6),
    ('eng:carb', 'eng', 7), ('eng:carb', 'eng', 8),
    -- the ACIS ignition computer
    ('eng:acis', 'eng', 0), ('eng:acis', 'eng', 2),
    -- piston engines on conventional ignition modules
    ('eng:no-acis', 'eng', 1), ('eng:no-acis', 'eng', 3), ('eng:no-acis', 'eng', 4),
    ('eng:no-acis', 'eng', 5), ('eng:no-acis', 'eng', 6), ('eng:no-acis', 'eng', 7),
    ('eng:no-acis', 'eng', 8),
    -- clutch (bOptClutch)
    ('clutch:t-bar', 'clutch', 0), ('clutch:electric', 'clutch', 1),
    ('clutch:hydraulic', 'clutch', 2),
    -- main drive (bOptMainDrive)
    ('md:chain', 'md', 0), ('md:prodrive-cog', 'md', 1), ('md:ap-cog', 'md', 2),
    ('md:factory-cog', 'md', 3),
    ('md:cog', 'md', 1), ('md:cog', 'md', 2), ('md:cog', 'md', 3),
    -- main rotor blades (bOptMainRotor)
    ('mr:asym', 'mr', 0), ('mr:sym', 'mr', 1), ('mr:waitman', 'mr', 2),
    ('mr:factory', 'mr', 0), ('mr:factory', 'mr', 1),
    -- main rotor hub (bOptMRSystem)
    ('hub:1.75', 'hub', 0), ('hub:1.5', 'hub', 1), ('hub:cable', 'hub', 2),
    ('hub:elastomeric', 'hub', 0), ('hub:elastomeric', 'hub', 1),
    -- tail rotor pitch slider (bOptTRSlider)
    ('trs:cv-old', 'trs', 0), ('trs:cv-new', 'trs', 1), ('trs:ap', 'trs', 2),
    ('trs:prodrive', 'trs', 3),
    ('trs:cv', 'trs', 0), ('trs:cv', 'trs', 1),
    -- tail rotor drive (bOptTailDrive)
    ('td:belt', 'td', 0), ('td:factory-shaft', 'td', 1), ('td:kiss-shaft', 'td', 2),
    ('td:shaft', 'td', 1), ('td:shaft', 'td', 2),
    -- tail rotor (bOptTailRotor)
    ('tr:factory', 'tr', 0), ('tr:prodrive', 'tr', 1);
