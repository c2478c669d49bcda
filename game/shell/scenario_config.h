// The scenario's "Config" file: its identity, settings, screen layouts, global variable names, global key
// shortcuts, menu lists and a few names. Reading it opens the data archive first; the game does not start
// without it.
//
// Format 6 (big-endian): int16 format; identity "name::second name" (short string, shifted down on reading);
// int32 and short string (ignored); byte plug-ins enabled; byte second flag; 15 option bytes (skipped and all
// false unless plug-ins are enabled); the layout table; the global variable names; the global key-shortcut list;
// a short string shifted up (ignored); int16 ask player name, offer all races, offer all classes, character
// creation, screen fades, window mode, screen width, screen height, menu bar; the menu lists (an int16 count,
// list 0 Help, 1 File, 2 Game; further lists are read and dropped); the default player sprite (shifted down); an
// int16 depth code (1: 16 bits, 2: 32 bits, else 8); the map text (shifted up).
#pragma once

#include <memory>

class LocationSpotList;
class PrefsFile;
class StringList;

constexpr int kMenuListHelp = 0;
constexpr int kMenuListFile = 1;
constexpr int kMenuListGame = 2;
constexpr int kMenuListCount = 3;

// True when the file was found and had format 6.
bool ReadScenarioConfig();

// The global key-shortcut list the file supplies, or null.
LocationSpotList* GetGlobalSpotList();
void ClearGlobalSpotList();
// The three menu lists (null when not read).
StringList* GetMenuList(int which);
void ClearMenuLists();
// The preferences file named after the scenario, or null before the file was read.
PrefsFile* GetPrefsFile();
void ClearPrefsFile();
// Saves the preferences file; when it cannot be written the player is told, in a box captioned with the
// scenario's name, and the old file stays. False when nothing was saved.
bool SavePrefsFile();
