// Movies: opened through the media library from a path, placed and scaled by the message dialog or a script,
// started on the next paint of the main window and drawn into their box there. One movie at a time is current:
// the one that painting and the media idle routine serve.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "host/media.h"

// Opens the file at a path as a movie of the media library (music files too); null when it does not open.
Movie OpenMediaFile(std::string_view path);

class MoviePlayer {
 public:
  static void Initialize();
  static void Terminate();
  // The main window movies draw into; null until it exists.
  static void SetMainWindow(HWND window);

  // A new player of the movie at the path (its box at the top left, at the movie's own size), or null.
  static std::unique_ptr<MoviePlayer> Open(std::string_view path);
  ~MoviePlayer();  // closes the movie
  MoviePlayer(const MoviePlayer&) = delete;
  MoviePlayer& operator=(const MoviePlayer&) = delete;

  static void SetCurrent(MoviePlayer* movie);
  static MoviePlayer* Current();
  // Draws the current movie into the main window, starting it first when a start is pending.
  static void Draw(HWND mainWindow);
  // Gives the current movie time to advance while it plays.
  static void Idle();

  // Asks for the movie to start at the next Draw (nothing when it plays).
  void Start();
  // Stops the movie where it is, to be resumed at the next Draw.
  void Suspend();
  // Whether the movie has played to its end.
  bool IsFinished() const;
  void SetLooping(bool looping);
  void MoveTo(int x, int y);
  void Scale(int factor);
  int Width() const { return width_; }
  int Height() const { return height_; }
  int Left() const { return left_; }
  int Top() const { return top_; }
  bool IsPlaying() const { return playing_; }
  const std::string& Path() const { return path_; }
  // Stops the movie and gives back its controller and movie; the destructor does it when not done before.
  void Close();

 private:
  MoviePlayer() = default;
  void ApplyBox();

  Movie movie_ = nullptr;
  MovieController controller_ = nullptr;
  std::string path_;
  bool playing_ = false;
  bool startPending_ = false;
  int left_ = 0;
  int top_ = 0;
  int width_ = 0;
  int height_ = 0;
};
