// The lookup of media by name: each loaded plug-in's folder in order, then the scenario's.
#include "game/shell/media/media_lookup.h"

#include "game/shell/data/data_paths.h"
#include "game/shell/media/movie_player.h"
#include "game/shell/data/option_store.h"
#include "game/shell/media/music_player.h"
#include "game/shell/media/sound_effects.h"

namespace {

struct LookupState {
  std::vector<std::string> plugins;
};

LookupState& State() {
  static LookupState state;
  return state;
}

// Tries the name in each plug-in (when enabled), then in the scenario; the first success ends the search.
template <typename Try>
auto Lookup(void (*pathOf)(std::string&, std::string_view, std::string_view), std::string_view name, Try attempt)
    -> decltype(attempt(std::string())) {
  std::string path;
  if (GetPluginsEnabled() != 0) {
    for (const std::string& plugin : State().plugins) {
      pathOf(path, name, plugin);
      if (auto found = attempt(path)) return found;
    }
  }
  pathOf(path, name, {});
  return attempt(path);
}

}  // namespace

std::vector<std::string>& LoadedPlugins() { return State().plugins; }

std::unique_ptr<MoviePlayer> OpenMovieByName(std::string_view name) {
  return Lookup(MoviePath, name, [](const std::string& path) { return MoviePlayer::Open(path); });
}

std::unique_ptr<SoundEffect> FindFileInPlugins(std::string_view name) {
  return Lookup(SoundPath, name, [name](const std::string& path) { return LoadSoundFile(path.c_str(), name); });
}

bool PlayMusicByName(std::string_view name) {
  return Lookup(MusicPath, name, [](const std::string& path) { return PlayMusic(path) == 0; });
}

void StopMusic() { MusicPlayer::Stop(); }
