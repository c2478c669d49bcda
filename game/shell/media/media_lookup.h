// Finding a movie, a sound or a piece of music by name: first in the folders of the loaded plug-ins (when
// plug-ins are enabled), then in the scenario's own "Movies/", "Sounds/" and "Music/" folders.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class MoviePlayer;
class SoundEffect;

// The loaded plug-ins, searched in order when the scenario's options enable them (the option store's plug-in
// switch, read from Config). Nothing loads plug-ins yet, so the list stays empty unless a caller fills it.
std::vector<std::string>& LoadedPlugins();

// The first movie that opens, or null.
std::unique_ptr<MoviePlayer> OpenMovieByName(std::string_view name);
// The first sound that loads (".aiff" added to a name without an extension), with reference count 1, or null.
std::unique_ptr<SoundEffect> FindFileInPlugins(std::string_view name);
// Plays the first music that PlayMusic accepts; false when none did.
bool PlayMusicByName(std::string_view name);
// Stops the background music.
void StopMusic();
