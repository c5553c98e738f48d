-- Service notes, in the program's tilde mark-up: ~U..~u underline,
-- ~B..~b bold, ~I..~i italic, ~Cr..~c red, ~CR..~c bold red, ~Cb..~c blue,
-- ~CB..~c bold blue. Every opening code is closed again. \t in a text
-- stands for a tab (the torque tables are laid out with tabs); a text has
-- no literal tilde of its own. The tables are laid out for the view's tab
-- stops, every eight blanks of its font: a short entry takes more tabs to
-- reach its column. A hidden code still counts towards the tab positions
-- of its line, so no code stands before a tab: a header row is
-- underlined (bold would widen its tabs), its span opened at the end of
-- the line above. Label at most 49 bytes, text at
-- most 4999.
CREATE TEMP TABLE Note (id INTEGER PRIMARY KEY, label TEXT NOT NULL UNIQUE, body TEXT NOT NULL);

INSERT INTO Note VALUES
(1, 'Main rotor blade inspection',
'~U~BMain rotor blade inspection~b~u

Clean the blades first: dirt hides cracks.

~BEvery inspection~b
- Bond lines at the root doublers: no lifting edge, no gap a feeler blade enters.
- Skins: tap-test along the spar with a coin; a dull sound is a void.
- Trailing edge: no cracks, no splits at the tab rivets.
- Tip caps: screws tight, no cracks at the screw holes.

~CRA crack in the spar, a void larger than a thumbnail, or any bond line that has opened grounds the aircraft. Blades are replaced as a matched pair.~c

Record the tap-test map in the maintenance notes so that a growing void shows.'),

(2, 'Main rotor head torque values',
'~U~BMain rotor head torque values~b~u
~U
Torque\tThread\tFastener~u
60 ft-lb\t3/4-16\tTeeter bolt nut
45 ft-lb\t1/2-20\tBlade attach bolts
25 ft-lb\t3/8-24\tHub bar clamp bolts
14 ft-lb\t5/16-24\tPitch horn bolts
12 ft-lb\t3/8-24\tPitch link jam nuts

Torque on the nut, never on the bolt head; add the running torque of a self-locking nut to the table value. Torque-seal every fastener after tightening.

~CRThese values are a guide kept with the catalogue. The current documentation of your kit takes precedence.~c'),

(3, 'Drive chain care',
'~U~BDrive chain care~b~u

~BEvery 10 hours~b: top up the chain oiler reservoir and check that oil reaches the chain.

~BEvery 25 hours~b
- Free play at the middle of the lower run: ~B1/2 in to 3/4 in~b.
- Stretch: measure 10 links under light load. Over ~B1.5 %~b longer than new: replace.
- Rollers: no flats, no cracked side plates, every clip in place with its closed end leading.

Replace the sprockets together with the chain when the teeth are hooked.

~CRA chain that has jumped a tooth has stressed the whole drive: inspect the sprockets, the sprag clutch and the main shaft bearings before flight.~c'),

(4, 'Cog belt tension and wear',
'~U~BCog belt tension and wear~b~u

~BTension~b: deflection at the middle of the span under the force in the table.
~U
Force\tDeflection\tBelt~u
8.0 lb\t5/16 in\t\tProDrive
8.0 lb\t5/16 in\t\tAP
10.0 lb\t3/8 in\t\tFactory

~BWear~b: the teeth show their cord at the roots, cracks across the back, or the flanges of the pulleys have polished the belt edge.

~CrNever lever a cog belt over a pulley flange: it breaks the cords inside without a mark on the outside.~c'),

(5, 'Tail rotor drive belt',
'~U~BTail rotor drive belt~b~u

- Tension at the idler: the belt twists a quarter turn under moderate finger pressure at mid-span, no more.
- The belt runs centred on both pulleys at full pedal either way.
- Edges: frayed cords or a glazed back mean replacement.

~CRLoss of the tail rotor drive is loss of directional control. A cut or cracked belt grounds the aircraft.~c

After a new belt, check the tension again after the first 2 hours of running.'),

(6, 'Spark plugs',
'~U~BSpark plugs~b~u
~U
Item\t\t\t\tValue~u
Gap\t\t\t\t0.028 in to 0.032 in
Torque, new gasket\t~B15 ft-lb~b
Torque, used gasket\t~B12 ft-lb~b

Keep the plugs in cylinder order when they come out and read them: light tan is right, black and sooty is rich, white or blistered is lean or too hot.

~CrUse anti-seize on the threads sparingly: none on the first two threads.~c'),

(7, 'Coolant hoses and coolant',
'~U~BCoolant hoses and coolant~b~u

Squeeze every hose when the engine is cold: ~Ihard, cracked or spongy~i hoses are replaced, and so is a hose that has swollen at its clamp.

- Replace the upper and lower hoses together.
- Clamps: no clamp screw left at the end of its travel.
- Coolant: 50/50 glycol and distilled water; check the freeze point at every inspection.

~CRNever open the pressure cap of a hot engine.~c'),

(8, 'Exhaust springs',
'~U~BExhaust springs~b~u

The springs hold the slip joints of the exhaust together. A spring that breaks can fall into the cooling fan or the drive belts.

- Every spring: no stretched coils, no cracks at the hooks.
- Every spring ~Bsafety-wired~b across its coils so that a broken spring stays in place.
- Replace the springs as a set.

~CRAn exhaust leak in the engine bay is a fire and carbon monoxide hazard: no flight until it is fixed.~c'),

(9, 'Oil and filter change',
'~U~BOil and filter change~b~u

1. Run the engine to temperature; drain the oil warm.
2. Cut the old filter open and look at the pleats for metal.
3. Fit the new filter: oil the seal, hand-tight plus ~Bthree quarters of a turn~b.
4. Refill to the mark, run for one minute, check for leaks, check the level again.
~U
Item\t\t\t\tValue~u
Drain plug\t\t\t~B18 ft-lb~b torque
Oil quantity with filter\t3.5 US qt

~CrSend an oil sample for analysis at every 100 hour inspection; note the result here.~c'),

(10, 'Swash plate bearing play',
'~U~BSwash plate bearing play~b~u

With the rotor stopped and the controls centred, grip the rotating ring and rock it against the stationary ring.

Measure the play at the pitch link bolt.
~U
Play\t\tLimit~u
Axial play\t0.010 in
Radial play\t0.008 in

- Turn the ring slowly by hand: any roughness or a notchy feel means replacement.
- Check the uniball for play the same way.

~CRPlay above the limit shows as a growing one-per-rev vibration; do not fly it out.~c'),

(11, 'Rod ends',
'~U~BRod ends~b~u

Every rod end of the flight controls and the rotor head.

- ~BPlay~b: no axial or radial play that can be felt by hand.
- ~BThread engagement~b: the witness hole is blocked by the rod; a wire does not pass through it.
- ~BJam nuts~b: tight and torque-sealed.
- The ball turns freely without grinding; the housing is not cracked.

~CRA rod end without proper thread engagement can pull out of its tube: check engagement after every adjustment.~c'),

(12, 'Control cables',
'~U~BControl cables~b~u

Run a cloth along every cable: broken wires snag it. Check hardest where the cable runs over pulleys and through fairleads.

Count broken wires within any one inch of cable.
~U
Condition\t\tAction~u
One broken wire\tWatch; note where
Two or more\t\tReplace the cable
Corroded strands\tReplace the cable

- Turnbuckles: no more than three threads showing outside the barrel; safety-wired.
- Pulleys turn freely and are not worn into a groove.

~CRNever lubricate a cable with grease that holds grit: use a dry film only.~c'),

(13, 'Battery care',
'~U~BBattery care~b~u

- Terminals clean and tight; a light film of grease on them.
- Open-circuit voltage after standing: ~B12.6 V~b or more when charged.
- Charge with a charger for sealed lead-acid batteries only.

A battery that cannot turn the engine over briskly on a warm day is replaced: the starter draws far more on a cold morning.

~CrDisconnect the negative lead first and connect it last.~c'),

(14, 'Elastomeric bearings',
'~U~BElastomeric bearings~b~u

The elastomer carries the coning and pitch motions. It ages by the calendar as well as by the hours.

- ~BBulges or splits~b in the rubber between the shims: replace.
- ~BBond failure~b: a shim that has moved or a gap at the edge of a layer: replace.
- Small surface crazing is normal; cracks deeper than ~B1/16 in~b are not.
- Keep oil, fuel and solvents off the elastomer.

~CRReplace the bearings of one hub as a set, and balance the rotor afterwards.~c'),

(15, 'Tail rotor gearbox oil',
'~U~BTail rotor gearbox oil~b~u

1. Drain warm after flight; look at the oil and the chip detector.
2. Refill through the filler to the bottom of the level plug hole.
3. Level plug and filler plug safety-wired.
~U
Item\t\t\tValue~u
Oil quantity\t\t120 ml
Filler plug torque\t~B8 ft-lb~b

~CRMetal on the chip detector: drain, flush, fly 5 hours and check again. Flakes the second time ground the gearbox.~c');

-- Which notes each card shows, in its three note slots.
CREATE TEMP TABLE CardNote (part TEXT NOT NULL, slot INTEGER NOT NULL CHECK (slot BETWEEN 1 AND 3),
                            label TEXT NOT NULL, PRIMARY KEY (part, slot));
INSERT INTO CardNote VALUES
    ('AVL-0417-001', 1, 'Main rotor blade inspection'),
    ('AVL-0417-002', 1, 'Main rotor blade inspection'),
    ('AVL-0417-003', 1, 'Main rotor blade inspection'),
    ('AVL-0417-004', 1, 'Main rotor blade inspection'),
    ('AVL-0417-005', 1, 'Main rotor head torque values'),
    ('AVL-0423-001', 1, 'Main rotor head torque values'),
    ('AVL-0423-004', 1, 'Main rotor head torque values'),
    ('AVL-0423-006', 1, 'Main rotor head torque values'),
    ('AVL-0423-007', 1, 'Elastomeric bearings'),
    ('AVL-0423-007', 2, 'Main rotor head torque values'),
    ('AVL-0423-009', 1, 'Elastomeric bearings'),
    ('AVL-0423-009', 2, 'Main rotor head torque values'),
    ('AVL-0326-006', 1, 'Drive chain care'),
    ('AVL-0326-007', 1, 'Drive chain care'),
    ('AVL-0326-008', 1, 'Drive chain care'),
    ('AVL-0326-009', 1, 'Drive chain care'),
    ('AVL-0326-010', 1, 'Drive chain care'),
    ('AVL-0326-011', 1, 'Cog belt tension and wear'),
    ('AVL-0326-012', 1, 'Cog belt tension and wear'),
    ('AVL-0326-013', 1, 'Cog belt tension and wear'),
    ('AVL-0326-015', 1, 'Cog belt tension and wear'),
    ('AVL-0310-001', 1, 'Tail rotor drive belt'),
    ('AVL-0310-004', 1, 'Tail rotor drive belt'),
    ('AVL-0222-001', 1, 'Spark plugs'),
    ('AVL-0205-002', 1, 'Coolant hoses and coolant'),
    ('AVL-0205-003', 1, 'Coolant hoses and coolant'),
    ('AVL-0208-002', 1, 'Exhaust springs'),
    ('AVL-0208-001', 1, 'Exhaust springs'),
    ('AVL-0204-001', 1, 'Oil and filter change'),
    ('AVL-0204-002', 1, 'Oil and filter change'),
    ('AVL-0431-001', 1, 'Swash plate bearing play'),
    ('AVL-0431-002', 1, 'Swash plate bearing play'),
    ('AVL-0431-004', 1, 'Rod ends'),
    ('AVL-0431-004', 2, 'Main rotor head torque values'),
    ('AVL-0218-002', 1, 'Rod ends'),
    ('AVL-0613-004', 1, 'Rod ends'),
    ('AVL-0614-003', 1, 'Rod ends'),
    ('AVL-0527-006', 1, 'Rod ends'),
    ('AVL-0612-002', 1, 'Control cables'),
    ('AVL-0612-004', 1, 'Control cables'),
    ('AVL-0615-002', 1, 'Control cables'),
    ('AVL-0700-001', 1, 'Battery care'),
    ('AVL-0529-005', 1, 'Tail rotor gearbox oil'),
    ('AVL-0529-006', 1, 'Tail rotor gearbox oil');
