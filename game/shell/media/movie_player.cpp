// The movie player over the media library.
#include "game/shell/media/movie_player.h"

#include <cstring>

namespace {

struct MovieState {
  MoviePlayer* current = nullptr;
  HWND mainWindow = nullptr;
};

MovieState& State() {
  static MovieState state;
  return state;
}

void* Parameter(intptr_t value) { return reinterpret_cast<void*>(value); }

}  // namespace

void MoviePlayer::Initialize() {
  State().current = nullptr;
  InitializeQTML(0);
}

void MoviePlayer::Terminate() { TerminateQTML(); }

void MoviePlayer::SetMainWindow(HWND window) { State().mainWindow = window; }

Movie OpenMediaFile(std::string_view path) {
  // The library takes the path as a counted string.
  if (path.size() > 255) return nullptr;
  uint8_t counted[256];
  counted[0] = static_cast<uint8_t>(path.size());
  std::memcpy(counted + 1, path.data(), path.size());
  FSSpec fileSpec;
  if (FSMakeFSSpec(0, 0, counted, &fileSpec) != noErr) return nullptr;
  int16_t file = 0;
  if (OpenMovieFile(&fileSpec, &file, fsRdPerm) != noErr) return nullptr;
  Movie movie = nullptr;
  const OSErr error = NewMovieFromFile(&movie, file, nullptr, nullptr, newMovieActive, nullptr);
  if (file != 0) CloseMovieFile(file);
  return error == noErr ? movie : nullptr;
}

std::unique_ptr<MoviePlayer> MoviePlayer::Open(std::string_view path) {
  Movie movie = OpenMediaFile(path);
  if (movie == nullptr) return nullptr;

  MediaRect box;
  GetMovieBox(movie, &box);
  box.bottom = static_cast<int16_t>(box.bottom - box.top);
  box.right = static_cast<int16_t>(box.right - box.left);
  box.top = 0;
  box.left = 0;
  MovieController controller = NewMovieController(movie, &box, mcTopLeftMovie);
  if (controller == nullptr) {
    DisposeMovie(movie);
    return nullptr;
  }
  MCEnableEditing(controller, 0);
  MCDoAction(controller, mcActionSetUseBadge, Parameter(0));
  MCDoAction(controller, mcActionSetLooping, Parameter(0));
  MCDoAction(controller, mcActionSetLoopIsPalindrome, Parameter(0));
  int32_t flags = 0;
  MCDoAction(controller, mcActionGetFlags, &flags);
  MCDoAction(controller, mcActionSetFlags, Parameter(flags | mcFlagsUseWindowPalette));
  MCDoAction(controller, mcActionSetKeysEnabled, Parameter(0));
  MCDoAction(controller, mcActionSetDragEnabled, Parameter(0));
  MCSetVisible(controller, 0);
  if (State().mainWindow != nullptr) CreatePortAssociation(State().mainWindow, nullptr, 0);

  std::unique_ptr<MoviePlayer> player(new MoviePlayer);
  player->movie_ = movie;
  player->controller_ = controller;
  player->path_ = std::string(path);
  GetMovieBox(movie, &box);
  player->left_ = box.left;
  player->top_ = box.top;
  player->width_ = box.right - box.left;
  player->height_ = box.bottom - box.top;
  return player;
}

MoviePlayer::~MoviePlayer() { Close(); }

void MoviePlayer::Close() {
  if (movie_ == nullptr) return;
  if (playing_) {
    MCDoAction(controller_, mcActionSuspend, nullptr);
    playing_ = false;
  }
  if (State().mainWindow != nullptr) {
    if (GrafPtr port = GetNativeWindowPort(State().mainWindow)) DestroyPortAssociation(port);
  }
  MCSetControllerAttached(controller_, 0);
  DisposeMovieController(controller_);
  DisposeMovie(movie_);
  controller_ = nullptr;
  movie_ = nullptr;
  if (State().current == this) State().current = nullptr;
}

void MoviePlayer::SetCurrent(MoviePlayer* movie) { State().current = movie; }

MoviePlayer* MoviePlayer::Current() { return State().current; }

void MoviePlayer::Draw(HWND mainWindow) {
  MoviePlayer* movie = State().current;
  if (movie == nullptr || movie->movie_ == nullptr) return;
  // A movie opened before the main window was known gets the window's association on its first paint: without
  // one it would have no port to draw into, and would never be seen.
  GrafPtr port = GetNativeWindowPort(mainWindow);
  if (port == nullptr && mainWindow != nullptr) port = CreatePortAssociation(mainWindow, nullptr, 0);
  SetMovieGWorld(movie->movie_, port, nullptr);
  if (movie->startPending_ && !movie->playing_) {
    MCDoAction(movie->controller_, mcActionSetVolume, Parameter(256));
    MCDoAction(movie->controller_, mcActionPlay, Parameter(GetMoviePreferredRate(movie->movie_)));
    movie->playing_ = true;
    movie->startPending_ = false;
  }
  UpdateMovie(movie->movie_);
}

void MoviePlayer::Idle() {
  MoviePlayer* movie = State().current;
  if (movie != nullptr && movie->playing_) MoviesTask(movie->movie_, 50);
}

void MoviePlayer::Start() {
  if (!playing_) startPending_ = true;
}

void MoviePlayer::Suspend() {
  if (playing_) {
    MCDoAction(controller_, mcActionSuspend, nullptr);
    playing_ = false;
  }
  if (movie_ != nullptr) startPending_ = true;
}

bool MoviePlayer::IsFinished() const { return movie_ != nullptr && IsMovieDone(movie_) != 0; }

void MoviePlayer::SetLooping(bool looping) {
  if (controller_ != nullptr) MCDoAction(controller_, mcActionSetLooping, Parameter(looping ? 1 : 0));
}

void MoviePlayer::ApplyBox() {
  if (movie_ == nullptr) return;
  const MediaRect box{static_cast<int16_t>(top_), static_cast<int16_t>(left_), static_cast<int16_t>(top_ + height_),
                      static_cast<int16_t>(left_ + width_)};
  SetMovieBox(movie_, &box);
}

void MoviePlayer::MoveTo(int x, int y) {
  left_ = x;
  top_ = y;
  ApplyBox();
}

void MoviePlayer::Scale(int factor) {
  width_ *= factor;
  height_ *= factor;
  ApplyBox();
}
