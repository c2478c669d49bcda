// The music player over the media library.
#include "game/shell/media/music_player.h"

#include <optional>

#include "game/shell/media/movie_player.h"
#include "host/media.h"

namespace {

struct MusicRecord {
  Movie movie = nullptr;
  std::string name;  // the path's text after its last "/"
  std::string path;
  bool playing = false;
};

struct MusicState {
  std::optional<MusicRecord> current;
  int volume = 100;
  bool suspended = false;
  bool resume = false;
};

MusicState& State() {
  static MusicState state;
  return state;
}

int16_t LibraryVolume(int volume) { return static_cast<int16_t>(volume * 256 / 100); }

std::string NameOfPath(std::string_view path) {
  const size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// Opens one file name as a movie of the media library, drawing nowhere; null when it does not open.
Movie OpenMusicFile(const std::string& path) {
  Movie movie = OpenMediaFile(path);
  if (movie != nullptr) SetMovieGWorld(movie, nullptr, nullptr);
  return movie;
}

void StopCurrent() {
  MusicState& state = State();
  if (!state.current) return;
  // While suspended the piece is silent already (its playing flag cleared by the suspension); stopping it then
  // means it must not come back on resume.
  if (state.suspended) {
    state.resume = false;
  } else if (state.current->playing) {
    StopMovie(state.current->movie);
  }
  state.current->playing = false;
}

}  // namespace

void MusicFileCandidates(std::string_view path, std::string out[5]) {
  static const char* const kExtensions[] = {"aiff", "mp3", "mov", "mpg"};
  out[0] = std::string(path);
  // An extension is at most three characters after the last "." of the file name; otherwise the whole path is
  // kept and the new extension appended. A "." in a folder name starts no extension: cut there, the path would
  // name another file in another folder.
  std::string stem(path);
  const size_t dot = path.rfind('.');
  const size_t slash = path.rfind('/');
  if (dot != std::string_view::npos && path.size() - dot - 1 <= 3 &&
      (slash == std::string_view::npos || slash < dot)) {
    stem = std::string(path.substr(0, dot));
  }
  for (int i = 0; i < 4; ++i) out[i + 1] = stem + "." + kExtensions[i];
}

void MusicPlayer::Initialize() {
  MusicState& state = State();
  state.current.reset();
  state.volume = 100;
  state.suspended = false;
  state.resume = false;
  InitializeQTML(0);
  EnterMovies();
}

void MusicPlayer::Terminate() {
  MusicState& state = State();
  // The current piece is stopped and disposed of before the media library ends: left open, it would stay in the
  // library's mix, and once the player started again it would sound on with no current piece that could stop it.
  if (state.current) {
    StopCurrent();
    DisposeMovie(state.current->movie);
    state.current.reset();
  }
  ExitMovies();
  TerminateQTML();
}

void MusicPlayer::Stop() { StopCurrent(); }

void MusicPlayer::Start() {
  MusicState& state = State();
  if (!state.current || state.current->playing) return;
  if (state.suspended) {
    state.resume = true;
    return;
  }
  if (state.volume <= 0) return;
  SetMovieVolume(state.current->movie, LibraryVolume(state.volume));
  StartMovie(state.current->movie);
  state.current->playing = true;
}

int PlayMusic(std::string_view path) {
  MusicState& state = State();
  if (state.current) {
    if (NameOfPath(path) == state.current->name) {
      MusicPlayer::Start();
      return 0;
    }
    StopCurrent();
    DisposeMovie(state.current->movie);
    state.current.reset();
  }
  std::string candidates[5];
  MusicFileCandidates(path, candidates);
  for (const std::string& candidate : candidates) {
    Movie movie = OpenMusicFile(candidate);
    if (movie == nullptr) continue;
    MusicRecord record;
    record.movie = movie;
    record.name = NameOfPath(path);
    record.path = std::string(path);
    state.current = std::move(record);
    MusicPlayer::Start();
    return 0;
  }
  return -1;
}

void SetMusicVolume(int volume) {
  MusicState& state = State();
  const bool wasSilent = state.volume == 0;
  state.volume = volume;
  if (volume == 0) {
    StopCurrent();
  } else if (state.current) {
    SetMovieVolume(state.current->movie, LibraryVolume(volume));
    if (wasSilent) MusicPlayer::Start();
  }
}

int MusicVolume() { return State().volume; }

void MusicIdle() {
  MusicState& state = State();
  if (!state.current) return;
  // Only a playing piece loops: one stopped at its end (volume 0, suspended) stays silent. Started again, it would
  // play while the volume is 0 or the window inactive, marked as not playing, so that nothing could stop it.
  if (state.current->playing && IsMovieDone(state.current->movie)) {
    GoToBeginningOfMovie(state.current->movie);
    StartMovie(state.current->movie);
  } else {
    MoviesTask(state.current->movie, 0);
  }
}

void SuspendMusic(bool suspend) {
  MusicState& state = State();
  if (suspend == state.suspended) return;
  if (suspend) {
    state.resume = state.current && state.current->playing;
    if (state.current && state.current->playing) {
      StopMovie(state.current->movie);
      state.current->playing = false;
    }
    state.suspended = true;
  } else {
    state.suspended = false;
    if (state.resume && state.current) MusicPlayer::Start();
  }
}

bool IsMusicSuspended() { return State().suspended; }

std::string CurrentMusicName() {
  const MusicState& state = State();
  return state.current && state.current->playing ? state.current->name : std::string();
}
