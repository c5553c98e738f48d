// Draws the reference pictures that ship beside the catalogue and lists
// them, with the named parts on each, for the catalogue's generation.
//
//   avDrawings <picture directory> <parts list file>
#include "sheet.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

using sheet::Sheet;

namespace {

void rotorHub(Sheet& s) {
    s.caption("MAIN ROTOR HUB - TEETERING, VIEW FROM AFT", 800, 90);
    s.centreLine(800, 130, 800, 1060);
    s.centreLine(40, 490, 1560, 490);
    // Blades beyond the grips.
    s.thin();
    s.poly({40, 474, 200, 470, 200, 510, 40, 506});
    s.poly({1560, 474, 1400, 470, 1400, 510, 1560, 506});
    s.thick();
    // Mast and teeter stops.
    s.rect(765, 560, 70, 480);
    s.rect(700, 560, 40, 28);
    s.rect(860, 560, 40, 28);
    // Hub bar through the teeter block.
    s.rect(350, 470, 900, 40);
    // Grips with their elastomeric bearings and retainers.
    s.rect(200, 445, 160, 90);
    s.rect(1240, 445, 160, 90);
    for (double x : {365.0, 1195.0}) {
        s.rect(x, 458, 40, 64);
        s.thin();
        for (double d = 8; d < 40; d += 8)
            s.line(x + d, 460, x + d, 520);
        s.thick();
    }
    s.hex(235, 490, 20);
    s.hex(1365, 490, 20);
    // Pitch horns and the pitch links below them.
    s.poly({300, 535, 330, 535, 330, 640, 300, 640});
    s.circle(315, 655, 14);
    s.poly({1270, 535, 1300, 535, 1300, 640, 1270, 640});
    s.circle(1285, 655, 14);
    s.hidden(315, 670, 315, 900);
    s.hidden(1285, 670, 1285, 900);
    // Retention cables and coning hinge bolts.
    s.thin();
    s.line(420, 452, 730, 452);
    s.line(870, 452, 1180, 452);
    s.thick();
    s.hex(560, 490, 15);
    s.hex(1040, 490, 15);
    // Teeter block, bolt and bearings.
    s.roundRect(720, 410, 160, 160, 12);
    s.circle(800, 490, 50);
    s.thin();
    s.circle(800, 490, 40, false);
    s.thick();
    s.hex(800, 490, 28);

    s.part("Teeter bolt", 772, 462, 56, 56, 980, 250, 812, 478);
    s.part("Teeter bearings", 750, 440, 100, 100, 620, 250, 770, 455);
    s.part("Teeter stops", 860, 560, 40, 28, 1000, 640);
    s.part("Hub bar", 420, 470, 120, 40, 500, 620);
    s.part("Blade grip", 200, 445, 160, 90, 170, 300);
    s.spot("Blade grip right", 1240, 445, 160, 90);
    s.part("Pitch horn", 300, 535, 30, 135, 160, 760);
    s.part("Elastomeric bearing", 1195, 458, 40, 64, 1300, 300);
    s.part("Retainer bolt", 1345, 470, 40, 40, 1460, 640);
    s.part("Retention cable", 870, 446, 310, 12, 1120, 360);
    s.part("Coning hinge bolt", 545, 475, 30, 30, 600, 330);
    s.part("Mast", 765, 600, 70, 400, 950, 880);
}

void swashPlate(Sheet& s) {
    s.caption("SWASH PLATE ASSEMBLY - SIDE VIEW", 800, 90);
    s.centreLine(800, 120, 800, 1070);
    s.rect(770, 130, 60, 940);
    // Drive link collar on the mast and the scissors to the upper ring.
    s.rect(750, 430, 100, 46);
    s.poly({850, 452, 950, 560, 900, 660}, false);
    s.circle(950, 560, 10);
    // Rotating (upper) and stationary (lower) rings, the bearing between.
    s.rect(570, 660, 460, 52);
    s.rect(550, 734, 500, 56);
    s.thin();
    for (double x = 590; x < 1020; x += 26)
        s.circle(x, 723, 9, false);
    s.thick();
    s.circle(800, 735, 56);
    s.thin();
    s.circle(800, 735, 34, false);
    s.thick();
    // Pitch links with their rod ends.
    for (double x : {610.0, 990.0}) {
        s.rect(x - 9, 330, 18, 316);
        s.circle(x, 322, 15);
        s.circle(x, 650, 15);
    }
    // Anti-rotation guide beside the lower ring.
    s.rect(440, 680, 44, 240);
    s.thin();
    s.rect(452, 700, 20, 200, false);
    s.thick();
    s.line(484, 760, 550, 760);
    s.circle(462, 760, 9);
    // Boot below the plate.
    s.thin();
    s.poly({730, 792, 710, 822, 740, 852, 710, 882, 740, 912, 770, 930}, false, false);
    s.poly({870, 792, 890, 822, 860, 852, 890, 882, 860, 912, 830, 930}, false, false);
    // Control rods to the lower ring.
    s.hidden(620, 790, 620, 1060);
    s.hidden(980, 790, 980, 1060);
    s.thick();

    s.part("Swash plate bearing", 590, 712, 420, 22, 1200, 620);
    s.part("Uniball", 744, 679, 112, 112, 1150, 900);
    s.part("Pitch link", 601, 360, 18, 260, 430, 450);
    s.part("Pitch link rod end", 975, 307, 30, 30, 1150, 300);
    s.part("Drive link (scissors)", 850, 452, 100, 208, 1160, 470);
    s.part("Anti-rotation guide", 440, 680, 44, 240, 300, 980);
    s.part("Swash plate boot", 705, 792, 190, 138, 560, 1030);
    s.part("Rotating ring", 570, 660, 460, 52, 400, 600);
    s.part("Stationary ring", 550, 734, 500, 56, 1220, 780);
}

void mainShaft(Sheet& s) {
    s.caption("MAIN ROTOR SHAFT AND MAST - SECTION", 800, 90);
    s.centreLine(800, 110, 800, 1070);
    // Shaft and mast nut.
    s.rect(760, 150, 80, 900);
    s.rect(735, 112, 130, 40);
    s.thin();
    s.line(757, 112, 757, 152);
    s.line(843, 112, 843, 152);
    s.thick();
    // Mast tube walls in section.
    s.hatch(680, 290, 25, 610);
    s.hatch(895, 290, 25, 610);
    // Bearings and seals.
    for (double y : {310.0, 820.0}) {
        s.bearing(705, y, 55, 60);
        s.bearing(840, y, 55, 60);
    }
    for (double y : {296.0, 884.0}) {
        s.rect(705, y, 55, 12);
        s.rect(840, y, 55, 12);
    }
    // Driven pulley and its hub.
    s.rect(720, 930, 160, 110);
    s.rect(520, 955, 560, 60);
    s.thin();
    for (double x = 535; x < 1080; x += 30)
        if (x < 715 || x > 885)
            s.line(x, 955, x + 10, 1015);
    s.thick();

    s.part("Main rotor shaft", 760, 400, 80, 380, 1100, 560);
    s.part("Upper main shaft bearing", 840, 310, 55, 60, 1100, 330);
    s.part("Lower main shaft bearing", 840, 820, 55, 60, 1100, 800);
    s.part("Main shaft seal", 705, 296, 55, 12, 480, 260);
    s.part("Mast nut", 735, 112, 130, 40, 500, 130);
    s.part("Driven pulley hub", 720, 930, 160, 110, 1200, 980);
    s.part("Mast tube", 680, 500, 25, 200, 480, 600);
}

void tailRotor(Sheet& s) {
    s.caption("TAIL ROTOR HUB AND PITCH CHANGE - TOP VIEW", 800, 90);
    s.centreLine(120, 600, 1300, 600);
    // Mount plate (hidden, behind) with its bolts, bearing housing, shaft.
    s.hidden(330, 500, 760, 500);
    s.hidden(330, 700, 760, 700);
    s.hidden(330, 500, 330, 700);
    s.hidden(760, 500, 760, 700);
    for (double x : {355.0, 735.0})
        for (double y : {525.0, 675.0})
            s.hex(x, y, 14);
    s.rect(420, 540, 180, 120);
    s.bearing(430, 548, 40, 30);
    s.bearing(550, 548, 40, 30);
    s.bearing(430, 622, 40, 30);
    s.bearing(550, 622, 40, 30);
    s.rect(240, 582, 800, 36);
    // Driven pulley at the left end.
    s.rect(170, 440, 70, 320);
    s.thin();
    for (double y = 450; y < 760; y += 20)
        s.line(170, y, 240, y);
    s.thick();
    // Slider on the shaft, with its bearing, spider and links.
    s.rect(800, 560, 100, 80);
    s.bearing(815, 570, 70, 22);
    s.poly({900, 570, 960, 470, 975, 480, 915, 585});
    s.poly({900, 630, 960, 730, 975, 720, 915, 615});
    // Bellcrank and its control rod.
    s.poly({760, 760, 850, 760, 800, 860});
    s.circle(800, 790, 10);
    s.line(850, 760, 850, 640);
    s.line(760, 760, 420, 960);
    s.circle(420, 960, 12);
    // Hub, blades, teeter bolt, blade bolts and pitch horns.
    s.poly({1040, 130, 1075, 130, 1080, 540, 1035, 540});
    s.poly({1040, 1120, 1075, 1120, 1080, 660, 1035, 660});
    s.rect(1010, 530, 90, 140);
    s.hex(1055, 600, 20);
    s.circle(1057, 505, 10);
    s.circle(1057, 695, 10);
    s.rect(990, 455, 45, 20);
    s.rect(990, 725, 45, 20);
    s.circle(985, 465, 11);
    s.circle(985, 735, 11);

    s.part("Tail rotor blade", 1035, 150, 45, 380, 1250, 250);
    s.part("Tail rotor hub", 1010, 530, 90, 140, 1250, 560);
    s.part("Teeter bolt", 1035, 580, 40, 40, 1250, 680);
    s.part("Blade bolt", 1045, 683, 24, 24, 1250, 800);
    s.part("Pitch horn", 975, 455, 60, 20, 1000, 330);
    s.part("Pitch change slider", 800, 560, 100, 80, 700, 200);
    s.part("Slider bearing", 815, 570, 70, 22, 640, 300);
    s.part("Pitch link", 900, 615, 75, 115, 1000, 900);
    s.part("Bellcrank", 760, 760, 90, 100, 900, 990);
    s.part("Mount plate", 330, 500, 430, 200, 300, 420);
    s.part("Mount bolt", 341, 661, 28, 28, 250, 880);
    s.part("Bearing housing", 420, 540, 180, 120, 560, 880);
    s.part("Output shaft", 600, 582, 200, 36, 700, 420);
    s.part("Shaft bearing", 430, 548, 40, 30, 460, 380);
    s.part("Driven pulley", 170, 440, 70, 320, 140, 300);
}

void tailDrive(Sheet& s) {
    s.caption("TAIL ROTOR DRIVE - BELT DRIVE", 800, 90);
    // Belt: upper pulley, twist along the boom, tail pulley.
    s.centreLine(100, 330, 1500, 330);
    s.circle(260, 330, 120);
    s.circle(260, 330, 40);
    s.circle(1340, 330, 80);
    s.circle(1340, 330, 28);
    s.belt(260, 330, 120, 1340, 330, 80);
    // Guides and idler.
    s.rect(780, 200, 40, 26);
    s.circle(800, 213, 10);
    s.rect(780, 438, 40, 26);
    s.circle(800, 451, 10);
    s.circle(520, 470, 32);
    s.line(520, 470, 600, 560);
    s.spring(600, 560, 700, 600, 5, 18);
    // Guard round the upper pulley.
    s.hidden(110, 180, 420, 180);
    s.hidden(110, 180, 110, 480);
    s.hidden(110, 480, 420, 480);

    s.caption("SHAFT DRIVE", 800, 620);
    s.centreLine(100, 860, 1500, 860);
    s.rect(220, 846, 1140, 28);
    for (double x : {240.0, 1330.0}) {
        s.rect(x - 10, 800, 20, 120);
        s.rect(x + 10, 810, 14, 100);
    }
    for (double x : {560.0, 860.0, 1160.0}) {
        s.rect(x - 35, 830, 70, 60);
        s.bearing(x - 25, 838, 50, 44);
        s.rect(x - 50, 890, 100, 22);
    }
    s.rect(1230, 836, 60, 48);
    s.thin();
    for (double x = 1236; x < 1290; x += 8)
        s.line(x, 836, x, 884);
    s.thick();
    s.rect(1380, 820, 90, 80);
    s.bearing(1390, 828, 70, 64);

    s.part("Tail rotor drive belt", 600, 236, 160, 14, 720, 140);
    s.part("Belt guide", 780, 438, 40, 26, 900, 540);
    s.part("Upper pulley", 140, 210, 240, 240, 300, 150);
    s.part("Belt tension idler", 488, 438, 64, 64, 380, 560);
    s.part("Drive shaft", 620, 846, 200, 28, 700, 990);
    s.part("Flexible coupling", 230, 800, 34, 120, 200, 1000);
    s.part("Hanger bearing", 825, 830, 70, 60, 800, 720);
    s.part("Splined coupling", 1230, 836, 60, 48, 1180, 720);
    s.part("Output shaft bearing", 1380, 820, 90, 80, 1420, 1000);
    s.part("Tail pulley", 1260, 250, 160, 160, 1400, 500);
}

void mainDrive(Sheet& s) {
    s.caption("MAIN DRIVE - BELTS, JACKSHAFT AND CHAIN", 650, 90);
    // Engine pulley, V-belts to the jackshaft pulley, clutch idler.
    s.circle(260, 900, 95);
    s.circle(260, 900, 30);
    s.circle(760, 900, 165);
    s.belt(260, 900, 95, 760, 900, 165);
    s.circle(500, 760, 38);
    s.circle(500, 760, 14);
    // Jackshaft hub: bearing and sprag inside the pulley.
    s.ballRace(760, 900, 70, 40);
    s.thin();
    s.circle(760, 900, 100, false);
    s.thick();
    // Small sprocket on the jackshaft, chain to the driven sprocket.
    s.circle(760, 900, 58, false);
    s.circle(760, 330, 175);
    s.circle(760, 330, 45);
    s.belt(760, 330, 175, 760, 900, 58, true);
    s.circle(880, 600, 24);
    s.line(880, 600, 980, 640);
    s.circle(980, 640, 8);
    // Chain oiler.
    s.rect(990, 380, 70, 100);
    s.line(1025, 480, 960, 520);
    // Cog belt drive, the alternative.
    s.caption("COG BELT DRIVE", 1330, 200);
    s.circle(1330, 400, 110);
    s.circle(1330, 850, 60);
    s.belt(1330, 400, 110, 1330, 850, 60);
    s.thin();
    for (double a = 0; a < 360; a += 15)
        s.arc(1330, 400, 104, a, a + 6);
    s.thick();
    s.circle(1465, 640, 20);

    s.part("Primary V-belts", 470, 990, 60, 30, 430, 1090);
    s.part("Engine drive pulley", 165, 805, 190, 190, 120, 700);
    s.part("Jackshaft bearings", 690, 830, 140, 140, 620, 1110);
    s.part("Clutch idler pulley", 462, 722, 76, 76, 380, 640);
    s.part("Sprag clutch", 660, 800, 200, 40, 560, 560);
    s.part("Secondary drive chain", 620, 560, 30, 120, 420, 470);
    s.part("Drive sprocket", 702, 842, 116, 60, 1000, 1050);
    s.part("Driven sprocket", 585, 155, 350, 350, 980, 200);
    s.part("Chain oiler", 990, 380, 70, 100, 1080, 330);
    s.part("Chain tensioner", 856, 576, 48, 48, 1060, 720);
    s.part("Cog belt", 1410, 480, 30, 300, 1500, 560);
    s.part("Cog pulleys", 1220, 290, 220, 220, 1180, 600);
    s.part("Cog belt tensioner bearing", 1445, 620, 40, 40, 1380, 1010);
}

void clutch(Sheet& s) {
    s.caption("BELT CLUTCH - T-BAR AND ACTUATORS", 620, 90);
    // T-bar on its pivot, idler at the top, actuator rods at the foot.
    s.poly({470, 690, 530, 690, 760, 470, 790, 500, 560, 720, 560, 860, 500, 860, 500, 720});
    s.circle(530, 705, 26);
    s.thin();
    s.circle(530, 705, 16, false);
    s.thick();
    s.circle(800, 470, 62);
    s.ballRace(800, 470, 34, 16);
    s.hidden(640, 380, 980, 330);
    // Electric actuator and rod.
    s.line(530, 840, 880, 840);
    s.circle(530, 840, 9);
    s.roundRect(880, 805, 300, 70, 10);
    s.rect(1180, 820, 70, 40);
    // Hydraulic cylinder and hose, the alternative.
    s.line(530, 850, 600, 980);
    s.rect(600, 955, 280, 50);
    s.thin();
    s.rect(610, 965, 60, 30, false);
    s.thick();
    s.poly({880, 980, 960, 980, 1000, 1040, 1120, 1040}, false, false);
    // Sprag clutch detail.
    s.caption("SPRAG CLUTCH (FREEWHEEL)", 1250, 180);
    s.circle(1250, 420, 170);
    s.circle(1250, 420, 95);
    s.thin();
    for (int i = 0; i < 18; ++i) {
        const double a = i * 20 * 3.14159265 / 180, r = 132;
        const double cx = 1250 + r * std::cos(a), cy = 420 + r * std::sin(a);
        s.poly({cx - 8, cy - 18, cx + 8, cy - 14, cx + 8, cy + 18, cx - 8, cy + 14});
    }
    s.thick();
    s.circle(1250, 420, 40);

    s.part("Clutch T-bar", 500, 720, 60, 140, 380, 960);
    s.part("T-bar pivot bushings", 504, 679, 52, 52, 320, 620);
    s.part("Clutch idler pulley", 738, 408, 124, 124, 620, 260);
    s.part("Electric actuator", 880, 805, 300, 70, 1300, 760);
    s.part("Hydraulic cylinder", 600, 955, 280, 50, 520, 1080);
    s.part("Hydraulic hose", 960, 1025, 160, 30, 1200, 980);
    s.part("Sprag clutch", 1080, 250, 340, 340, 1470, 660);
}

void oilCooling(Sheet& s) {
    s.caption("ENGINE OIL AND COOLING SYSTEMS", 800, 90);
    // Engine: crankcase, cylinders with fins, sump.
    s.rect(380, 500, 440, 300);
    for (double x : {430.0, 640.0}) {
        s.rect(x, 320, 130, 180);
        s.thin();
        for (double y = 340; y < 500; y += 16)
            s.line(x - 20, y, x + 150, y);
        s.thick();
        s.rect(x, 320, 130, 180, false);
    }
    s.poly({420, 800, 780, 800, 750, 860, 450, 860});
    s.hex(600, 876, 14);
    // Oil filter, cooler, lines and breather.
    s.roundRect(840, 700, 80, 120, 10);
    s.rect(80, 560, 200, 140);
    s.thin();
    for (double y = 575; y < 700; y += 14)
        s.line(90, y, 270, y);
    s.thick();
    s.poly({840, 730, 320, 730, 320, 600, 280, 600}, false, false);
    s.poly({840, 790, 300, 790, 300, 680, 280, 680}, false, false);
    s.line(760, 500, 900, 420);
    s.roundRect(880, 420, 60, 110, 8);
    s.rect(390, 820, 50, 40);
    // Cooling: water pump, hoses, thermostat, radiator, cap, tank, fan shroud.
    s.circle(410, 560, 26);
    s.rect(760, 300, 60, 40);
    s.rect(1130, 380, 260, 460);
    s.thin();
    for (double x = 1145; x < 1390; x += 14)
        s.line(x, 390, x, 830);
    s.thick();
    s.rect(1130, 380, 260, 460, false);
    s.rect(1240, 352, 40, 28);
    s.poly({820, 320, 1000, 320, 1000, 400, 1130, 400}, false, false);
    s.poly({1130, 820, 1000, 820, 1000, 960, 410, 960, 410, 586}, false, false);
    s.roundRect(1430, 300, 110, 150, 10);
    s.line(1260, 352, 1260, 260);
    s.line(1260, 260, 1485, 260);
    s.line(1485, 260, 1485, 300);
    s.hidden(1110, 360, 1110, 860);
    s.hidden(1110, 860, 1410, 860);
    s.hidden(1410, 360, 1410, 860);
    s.hidden(1110, 360, 1410, 360);

    s.part("Engine oil (sump)", 450, 800, 300, 60, 420, 1060);
    s.part("Oil filter", 840, 700, 80, 120, 960, 660);
    s.part("Oil cooler", 80, 560, 200, 140, 140, 470);
    s.part("Oil cooler hoses", 300, 720, 40, 80, 200, 800);
    s.part("Breather and catch bottle", 880, 420, 60, 110, 700, 250);
    s.part("Magnetic drain plug", 586, 862, 28, 28, 820, 1010);
    s.part("Oil injection pump", 390, 820, 50, 40, 160, 1000);
    s.part("Oil lines", 700, 720, 100, 20, 640, 630);
    s.part("Radiator", 1130, 500, 260, 200, 1420, 620);
    s.part("Coolant hoses", 1000, 320, 20, 80, 960, 180);
    s.part("Water pump", 384, 534, 52, 52, 250, 400);
    s.part("Thermostat", 760, 300, 60, 40, 650, 200);
    s.part("Radiator pressure cap", 1240, 352, 40, 28, 1150, 230);
    s.part("Expansion tank", 1430, 300, 110, 150, 1480, 150);
    s.part("Cooling air shroud", 1100, 840, 20, 30, 1200, 960);
    s.part("Cylinder fins", 430, 340, 130, 140, 300, 260);
}

void controls(Sheet& s) {
    s.caption("CYCLIC, COLLECTIVE AND THROTTLE - SIDE VIEW", 800, 90);
    s.line(80, 1000, 1500, 1000);
    s.hatch(80, 1000, 1420, 24);
    // Cyclic: stick on its pivot, grip, trim spring, friction lock.
    s.poly({515, 940, 535, 940, 495, 470, 475, 470});
    s.roundRect(455, 380, 50, 100, 18);
    s.circle(525, 950, 22);
    s.spring(530, 760, 640, 990, 7, 16);
    s.hex(560, 950, 12);
    // Push-pull tubes to the bellcranks and up to the swash plate.
    s.line(547, 955, 980, 955);
    s.circle(547, 955, 9);
    s.poly({980, 900, 1040, 900, 1010, 990});
    s.circle(1010, 925, 8);
    s.line(1040, 900, 1040, 200);
    s.circle(980, 955, 9);
    s.circle(1040, 200, 10);
    // Collective: lever on its pivot, throttle twist grip at its end.
    s.poly({800, 975, 820, 955, 300, 700, 290, 720});
    s.circle(810, 965, 22);
    s.roundRect(200, 670, 110, 50, 12);
    s.spring(810, 940, 900, 700, 6, 14);
    s.hex(760, 940, 11);
    s.line(830, 965, 1100, 965);
    s.poly({1100, 930, 1160, 930, 1130, 990});
    s.line(1160, 930, 1160, 200);
    s.circle(1160, 200, 10);
    // Throttle cable and correlation linkage to the engine.
    s.hidden(255, 670, 255, 560);
    s.hidden(255, 560, 1300, 560);
    s.rect(1300, 520, 120, 80);
    s.line(1360, 600, 1250, 720);
    s.circle(1250, 720, 8);
    s.spring(1420, 560, 1500, 620, 5, 12);

    s.part("Cyclic stick and grip", 455, 380, 50, 100, 300, 330);
    s.part("Cyclic pivot bearings", 503, 928, 44, 44, 380, 880);
    s.part("Cyclic push-pull tube", 650, 948, 200, 14, 700, 1080);
    s.part("Cyclic rod end", 1030, 190, 20, 20, 900, 160);
    s.part("Cyclic bellcrank", 980, 900, 60, 90, 920, 760);
    s.part("Cyclic trim spring", 560, 800, 50, 150, 680, 820);
    s.spot("Cyclic friction lock", 548, 938, 24, 24);
    s.part("Collective lever", 480, 780, 140, 80, 560, 640);
    s.part("Collective pivot bearings", 788, 943, 44, 44, 900, 1058);
    s.part("Collective push-pull tube", 900, 958, 160, 14, 1250, 930);
    s.spot("Collective friction", 749, 929, 22, 22);
    s.part("Collective balance spring", 830, 760, 60, 140, 960, 700);
    s.part("Throttle twist grip", 200, 670, 110, 50, 150, 800);
    s.part("Throttle cable", 600, 554, 200, 12, 700, 470);
    s.part("Throttle correlation linkage", 1240, 600, 120, 130, 1300, 800);
    s.part("Throttle return spring", 1420, 560, 80, 60, 1460, 470);
}

void pedals(Sheet& s) {
    s.caption("DIRECTIONAL CONTROL - PEDALS AND CABLES", 800, 90);
    s.line(80, 1000, 1500, 1000);
    s.hatch(80, 1000, 1420, 24);
    // Pedals on their bearing tube.
    s.rect(150, 940, 260, 30);
    s.circle(200, 955, 14);
    s.circle(360, 955, 14);
    s.poly({185, 940, 215, 940, 180, 700, 150, 700});
    s.roundRect(120, 660, 80, 44, 8);
    s.poly({345, 940, 375, 940, 340, 760, 310, 760});
    s.roundRect(280, 720, 80, 44, 8);
    s.spring(160, 760, 100, 990, 6, 14);
    // Cables over the pulleys back to the bellcrank at the tail.
    s.circle(620, 560, 40);
    s.circle(620, 560, 12);
    s.circle(1050, 420, 40);
    s.circle(1050, 420, 12);
    s.line(195, 720, 600, 525);
    s.line(330, 780, 640, 595);
    s.line(640, 525, 1030, 385);
    s.line(660, 565, 1090, 425);
    s.rect(760, 470, 70, 24);
    s.thin();
    for (double x = 770; x < 830; x += 10)
        s.line(x, 470, x, 494);
    s.thick();
    s.poly({1300, 300, 1420, 300, 1360, 420});
    s.circle(1360, 330, 10);
    s.line(1090, 385, 1300, 300);
    s.line(1420, 300, 1500, 200);

    s.part("Tail rotor pedals", 120, 660, 80, 44, 200, 560);
    s.part("Pedal bearings", 186, 941, 28, 28, 460, 900);
    s.part("Control cable", 800, 430, 120, 40, 860, 300);
    s.part("Cable pulley", 580, 520, 80, 80, 500, 420);
    s.part("Turnbuckle", 760, 470, 70, 24, 820, 620);
    s.part("Pedal return spring", 100, 800, 60, 180, 60, 600);
    s.part("Tail rotor bellcrank", 1300, 300, 120, 120, 1320, 560);
}

void landingGear(Sheet& s) {
    s.caption("LANDING GEAR - FRONT VIEW", 420, 90);
    s.centreLine(420, 120, 420, 1000);
    // Frame, saddle clamps, cross tube arch, skids end-on.
    s.rect(270, 240, 300, 120);
    s.hatch(270, 360, 300, 20);
    s.rect(290, 360, 50, 40);
    s.rect(500, 360, 50, 40);
    s.thin();
    s.hex(315, 380, 10);
    s.hex(525, 380, 10);
    s.thick();
    s.poly({150, 860, 200, 560, 300, 400, 540, 400, 640, 560, 690, 860}, false, false);
    s.poly({178, 860, 226, 574, 318, 425, 522, 425, 614, 574, 662, 860}, false, false);
    s.circle(164, 880, 28);
    s.circle(676, 880, 28);
    s.rect(140, 908, 48, 12);
    s.rect(652, 908, 48, 12);

    s.caption("SIDE VIEW", 1150, 90);
    s.line(760, 1000, 1540, 1000);
    // Skid with its upturned toe, shoes, end cap; the two cross tubes.
    s.poly({800, 860, 820, 820, 860, 800, 1500, 800, 1500, 840, 870, 840, 840, 860}, true);
    s.rect(1500, 798, 16, 44);
    s.rect(960, 840, 120, 14);
    s.rect(1300, 840, 120, 14);
    s.rect(1005, 420, 30, 380);
    s.rect(1345, 420, 30, 380);
    s.rect(980, 380, 420, 40);
    // Ground handling wheel on its axle pin, and the lift lever.
    s.hidden(1180, 850, 1180, 960);
    s.circle(1180, 930, 50);
    s.circle(1180, 930, 14);
    s.line(1180, 930, 1120, 700);
    s.circle(1120, 700, 9);

    s.part("Landing skid tube", 1150, 800, 300, 40, 1300, 700);
    s.part("Forward cross tube", 1005, 500, 30, 200, 900, 470);
    s.part("Aft cross tube", 1345, 500, 30, 200, 1460, 470);
    s.part("Skid shoe", 960, 840, 120, 14, 860, 1110);
    s.part("Saddle clamp", 500, 360, 50, 40, 640, 250);
    s.part("Skid end cap", 1500, 798, 16, 44, 1480, 950);
    s.part("Cross tube (front view)", 520, 400, 120, 160, 700, 310);
    s.part("Ground handling wheel", 1130, 880, 100, 100, 1300, 1040);
    s.part("Wheel axle pin", 1166, 916, 28, 28, 1050, 1060);
    s.part("Wheel lift lever", 1120, 700, 30, 200, 880, 520);
}

struct Drawing {
    const char* pszFile;
    const char* pszTitle;
    std::function<void(Sheet&)> draw;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <picture directory> <parts list file>\n", argv[0]);
        return 2;
    }
    const std::vector<Drawing> lstDrawings{
        {"rotor-hub.png", "Main rotor hub", rotorHub},
        {"swash-plate.png", "Swash plate", swashPlate},
        {"main-shaft.png", "Main rotor shaft and mast", mainShaft},
        {"tail-rotor.png", "Tail rotor and pitch change", tailRotor},
        {"tail-drive.png", "Tail rotor drive", tailDrive},
        {"main-drive.png", "Main drive", mainDrive},
        {"clutch.png", "Belt clutch", clutch},
        {"oil-cooling.png", "Engine oil and cooling", oilCooling},
        {"controls.png", "Cyclic, collective, throttle", controls},
        {"pedals.png", "Directional control", pedals},
        {"landing-gear.png", "Landing gear", landingGear},
    };
    // The list names each picture and its parts, for the catalogue's checks.
    const std::string strList = argv[2], strTmp = strList + ".tmp";
    std::ofstream out(strTmp);
    out << "-- Written by the build: the pictures that ship and their named parts.\n"
           "CREATE TEMP TABLE Picture (file TEXT PRIMARY KEY, width INTEGER, height INTEGER);\n"
           "CREATE TEMP TABLE Spot (file TEXT, name TEXT, x INTEGER, y INTEGER, w INTEGER, "
           "h INTEGER, PRIMARY KEY (file, name));\n";
    int nSheet = 0;
    for (const Drawing& d : lstDrawings) {
        Sheet s(d.pszFile, d.pszTitle, ++nSheet);
        d.draw(s);
        if (!s.save(argv[1])) {
            std::fprintf(stderr, "avDrawings: cannot write %s/%s\n", argv[1], d.pszFile);
            return 1;
        }
        out << "INSERT INTO Picture VALUES ('" << d.pszFile << "', " << s.width() << ", "
            << s.height() << ");\n";
        for (const auto& spot : s.spots())
            out << "INSERT INTO Spot VALUES ('" << d.pszFile << "', '" << spot.strName << "', "
                << int(spot.x) << ", " << int(spot.y) << ", " << int(spot.w) << ", " << int(spot.h)
                << ");\n";
    }
    out.close();
    if (!out || std::rename(strTmp.c_str(), strList.c_str()) != 0) {
        std::fprintf(stderr, "avDrawings: cannot write %s\n", strList.c_str());
        return 1;
    }
    return 0;
}
