#include "scroller/scroller_text.h"

#include <array>

namespace tovick {

namespace {

// A sentence with its blanks. The sentence that names the unsafe-vehicles check box is split
// where the caption goes: Text, the caption in double quotes, AfterCaption.
struct Piece {
  int Lead;
  const char* Text;
  int Trail;
  const char* AfterCaption = nullptr;
};

constexpr std::array<Piece, 98> kSentences = {{
    {20,
     "Hello and welcome! This is Plashgoon speaking, the little tow-truck gremlin who lives inside "
     "this strip and looks after the parked cars of your mission script.",
     3},
    {4,
     "I have been parking cars for longer than I can remember, and I still enjoy every single one "
     "of them.",
     1},
    {3,
     "Pull up a chair, because I am going to tell you how this editor works while the text rolls "
     "by.",
     9},
    {1, "The window is small, but every box in it has a job, and I know them all.", 1},
    {2,
     "If I go too fast or too slow for you, just keep reading: there is a hint about my speed a "
     "little further along.",
     2},
    {12,
     "Tovick Plashgoon edits the table of parked cars inside MAIN.SCM, the mission script of the "
     "game.",
     5},
    {3, "The EXIT button in the top right corner closes the editor whenever you have had enough.",
     3},
    {8,
     "Every parked car in that table is called a block, and the list under BLOCK holds one number "
     "for each block that was found.",
     0},
    {5,
     "When the editor starts, it shows block 1, so that you have something to look at right away.",
     4},
    {5,
     "Pick another number in the block list and the editor reads that block straight from the file "
     "and fills in all the boxes for you.",
     3},
    {5, "The box under CAR IN BLOCK names the vehicle that waits in the chosen block.", 6},
    {3,
     "The names come from DEFAULT.IDE, the vehicle definitions of the game, so a renamed or added "
     "vehicle shows up under its own name.",
     3},
    {2,
     "Choose another vehicle in that box and press APPLY CHANGES to swap the car that is parked in "
     "this spot.",
     4},
    {3,
     "A block keeps its vehicle id in either one byte or two bytes, and that decides which "
     "vehicles it can safely hold.",
     0},
    {10,
     "A one-byte block is safe with ids up to 127, and a two-byte block is meant for the ids from "
     "128 up.",
     2},
    {6, "Ids below 90 are no vehicles at all and are never offered.", 3},
    {5,
     "So the vehicle box lists only the vehicles that suit the block, in the order of their ids.",
     3},
    {10,
     "When a block already holds a vehicle that does not suit its width, the warning line says "
     "THIS VEHICLE IS UNSAFE.",
     1},
    {.Lead = 8,
     .Text = "Tick ",
     .Trail = 2,
     .AfterCaption = " to list every vehicle for every block, not only the safe ones, but be "
                     "careful: an unsafe vehicle may crash the game."},
    {2,
     "If DEFAULT.IDE leaves an id in that range without a name, you are warned once and the "
     "vehicle is listed under a name such as (car 105).",
     1},
    {4,
     "X-POS and Y-POS tell where the car stands on the map: X grows towards the east and Y towards "
     "the north.",
     6},
    {4,
     "Both are kept in the file as signed 16-bit numbers, so each of them runs from -32768 to "
     "32767.",
     1},
    {8,
     "The game counts sixteen of these units to one unit of its own map, which is why the small "
     "box under each field shows the number divided by 16.",
     0},
    {4,
     "Adding 50 units moves a car about one car length to the east or to the north; subtracting "
     "moves it west or south.",
     2},
    {10, "HEADING is the direction the car points to, in sixteenths of a degree.", 1},
    {5,
     "0 points north, 1440 west, 2880 south and 4320 east, and every 16 units turn the car one "
     "degree counterclockwise.",
     8},
    {6,
     "The box under HEADING shows the same direction in whole degrees, which is easier to check at "
     "a glance.",
     2},
    {7,
     "A heading above 5759 goes round more than once; the editor warns you, because 5760 units are "
     "already a full circle.",
     1},
    {7,
     "UTELLME is a two-byte field that nobody has fully explained yet; you see it in hexadecimal, "
     "with its two bytes spelled out below.",
     1},
    {6,
     "If you find out what UTELLME really means, you have earned the right to give it a better "
     "name.",
     0},
    {5,
     "ALARM is how often, in percent, the alarm of the car goes off when someone breaks in; 0 "
     "means NO ALARM.",
     9},
    {3, "LOCK is how often, in percent, the doors of the car are locked; 0 means NOT LOCKED.", 1},
    {7,
     "Values above 100 in these two fields are allowed, but the editor warns you, since nothing "
     "happens more often than always.",
     4},
    {10,
     "Type new numbers into any of the fields and press APPLY CHANGES to write them into the "
     "mission script.",
     6},
    {5,
     "The changes go straight into MAIN.SCM, at once and in place: there is no save button and no "
     "undo, so keep a spare copy of the file somewhere safe.",
     2},
    {6,
     "When every field has been written, I spell out a little confirmation for you, right here in "
     "this strip.",
     3},
    {4, "So watch this space whenever you press APPLY CHANGES.", 1},
    {2,
     "A field that does not fit its range is refused with a message, and the fields written before "
     "it stay written.",
     6},
    {2,
     "Ticking a box or creating a plug-in also writes what you typed for the shown block first, so "
     "nothing you typed gets lost.",
     5},
    {10,
     "The small boxes under the fields always show what is stored in the file right now, so you "
     "can compare them with what you typed.",
     3},
    {10,
     "The box to the right of the search names the map zones the car stands in, when you keep a "
     "TovickZon.txt file next to the program.",
     3},
    {8,
     "The zone file is yours to write: one line per zone, its name and then its lowest and highest "
     "X and Y, in the units of the fields.",
     4},
    {6, "To find a vehicle, choose it in the list under SEARCH FOR CAR.", 6},
    {3, "The search list names the same vehicles as the definitions, from id 90 up.", 2},
    {2,
     "The editor steps through the blocks after the one you are looking at and stops at the first "
     "one that holds that vehicle.",
     3},
    {6,
     "Press SEARCH to go on to the next one; when the end of the list has been reached, the next "
     "search starts again from the top.",
     2},
    {6,
     "LOAD DEFAULT.IDE and LOAD MAIN.SCM switch to other copies of the two game files, and the "
     "editor remembers your choice for the next start.",
     8},
    {2,
     "It keeps the two paths in DEFIDE.txt and MAINSCM.txt next to the program; delete them if you "
     "ever want to be asked again.",
     5},
    {10,
     "Now for plug-ins, which carry parked cars from one copy of the mission script to another.",
     5},
    {3,
     "Tick USE BLOCK IN PLUG-IN for every block you want to take along; the mark stays with the "
     "block while you look at the others.",
     3},
    {3,
     "Then press CREATE PLUG-IN and choose a file name: the editor writes the current values of "
     "all marked blocks into a .TOVICK1 file.",
     0},
    {3,
     "A plug-in is plain text, so you can read it, send it to a friend or keep it next to your "
     "notes.",
     3},
    {3, "A plug-in holds only the blocks you marked, and as many of them as you like.", 2},
    {1,
     "To use one, load the mission script that should receive the cars and press LOAD AND USE "
     "PLUG-IN.",
     3},
    {3,
     "Every record of a plug-in names its block and the address of that block, and the editor "
     "checks the address before it writes anything.",
     3},
    {3,
     "If the addresses do not match, the plug-in was made for a different mission script, and the "
     "patching stops right there.",
     9},
    {4,
     "Records applied before such a stop stay applied, so read the message carefully and keep that "
     "spare copy handy.",
     1},
    {8,
     "After a plug-in has been applied, its blocks are marked, ready for a new plug-in of the "
     "patched script.",
     3},
    {2,
     "And here is the promised hint: turn the mouse wheel over this window to make me faster or "
     "slower.",
     1},
    {8,
     "The two small buttons at the ends of this strip do the same, one step per click: the left "
     "one speeds me up and the right one slows me down.",
     0},
    {3, "The speed you choose counts for my little confirmations as well.", 1},
    {3, "Faster or slower, I never get tired.", 1},
    {1,
     "Tovick Plashgoon was tried on Windows\xAE 98 and Windows\xAE Me, where it runs happily with "
     "very little memory.",
     3},
    {4, "No installation is needed: the editor is one single program file.", 1},
    {7,
     "It was also tried on Windows\xAE 2000 and Windows\xAE XP, and later on Windows\xAE 7 and "
     "Windows\xAE 10.",
     3},
    {3, "It needs no settings of its own and leaves nothing behind in the system.", 1},
    {4,
     "On the newer versions, start it from a folder you may write to, because it keeps its two "
     "small path files in the folder it starts in.",
     6},
    {5,
     "If the game folder is write-protected, copy MAIN.SCM to a place of your own, edit it there "
     "and copy it back when you are done.",
     3},
    {4,
     "Only one copy of the editor runs at a time; starting a second one while the first is open "
     "does nothing.",
     1},
    {7, "Now a few tips for parking cars in the game.", 1},
    {3,
     "You must start a new game for any changes to take effect, because a saved game keeps its own "
     "copy of the parked cars.",
     9},
    {2,
     "Park a car on flat ground and leave some room around it; a car placed inside a wall or "
     "inside another car may be pushed away or vanish.",
     0},
    {2,
     "Write down the position of a block before you change it, so that you can always put the car "
     "back.",
     8},
    {2, "Move cars in small steps at first: 50 units are only one car length.", 5},
    {6, "Small changes, tested often, make the happiest modders.", 3},
    {2,
     "The heading counts counterclockwise, so to turn a car a quarter to the right, subtract 1440.",
     5},
    {5,
     "Remember that the numbers of the map grow to the east and to the north, and that the box "
     "below each field shows them in the units of the game.",
     9},
    {2,
     "A car with an alarm of 100 and a lock of 100 is a tough nut for the player, which may be "
     "just what your mission needs.",
     6},
    {2, "Parking a police car right outside the police station is always a nice touch.", 2},
    {1,
     "An open car with no alarm is an invitation; put one near the place where a mission starts "
     "and see what the player does with it.",
     1},
    {4,
     "Some blocks are used by missions, so changing them may change how a mission begins; always "
     "try your changes on a fresh game.",
     3},
    {8,
     "Try a new vehicle in one block first, and when it behaves, use a plug-in to bring the change "
     "to your other copies.",
     6},
    {2,
     "Large vehicles block narrow streets and traffic piles up behind them; a small car is the "
     "safer choice in tight spots.",
     9},
    {3,
     "Boats belong in the water and aircraft on open ground, and neither of them is happy in a "
     "busy street.",
     3},
    {4,
     "Cars parked on a slope may start rolling when the player comes near, which is funny exactly "
     "once.",
     3},
    {1,
     "A vehicle the player cannot reach is a vehicle nobody will ever drive, so check the spot on "
     "foot before you fill it.",
     8},
    {5, "Give each part of the city something special to find, and the player will keep exploring.",
     2},
    {1,
     "Keep your notes and your plug-ins together, and you will always know which copy holds what.",
     6},
    {1,
     "Many thanks to the modding community of the game, whose patient digging through the mission "
     "script made this editor possible.",
     6},
    {2, "Thanks to everyone who mapped the car table byte by byte and shared what they found.", 1},
    {4,
     "Thanks to the people who listed the vehicle ids with their names, and to those who tried "
     "strange vehicles in strange places.",
     3},
    {5, "Thanks to the map makers, whose notes on coordinates made the zone names possible.", 1},
    {2, "Thanks to all who wrote guides for beginners and kept them up to date.", 2},
    {7,
     "Thanks to everyone who answers the questions of newcomers, week after week, with more "
     "patience than any gremlin.",
     2},
    {5, "Thanks to the testers who crashed the game again and again, so that you do not have to.",
     4},
    {12,
     "Thanks to those who kept their old notes safe, so that nothing that was found got lost "
     "again.",
     1},
    {4, "And thanks to you, for reading this far instead of just clicking the buttons.", 1},
    {2,
     "That is all from me for this round; Plashgoon wishes you happy parking, and see you on the "
     "next pass!",
     19},
}};

}  // namespace

std::vector<std::string> ScrollerTextPieces(std::string_view unsafeCaption) {
  std::vector<std::string> pieces;
  pieces.reserve(kSentences.size() + 2);
  pieces.emplace_back(kScrollerLeadIn, ' ');
  for (const Piece& sentence : kSentences) {
    std::string piece(static_cast<std::size_t>(sentence.Lead), ' ');
    piece += sentence.Text;
    if (sentence.AfterCaption != nullptr) {
      piece += '"';
      piece += unsafeCaption;
      piece += '"';
      piece += sentence.AfterCaption;
    }
    piece.append(static_cast<std::size_t>(sentence.Trail), ' ');
    pieces.push_back(std::move(piece));
  }
  pieces.emplace_back(kScrollerTail, ' ');
  return pieces;
}

std::string BuildScrollerText(std::string_view unsafeCaption) {
  std::string text;
  for (const std::string& piece : ScrollerTextPieces(unsafeCaption)) text += piece;
  if (text.size() > kScrollerTextCapacity) text.resize(kScrollerTextCapacity);
  return text;
}

}  // namespace tovick
