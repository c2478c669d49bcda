// The host's media library: movies and music opened from files, played against the host clock, their sound
// mixed into the audio stream and their pictures drawn into a window's box. The calls keep the media library's
// names and meanings; a file the decoders cannot open is "cannot open". Strings are counted (a length byte,
// then the characters), as the library takes them.
#pragma once

#include <cstdint>

#include "host/types.h"

using OSErr = int16_t;
using Boolean = uint8_t;
using Fixed = int32_t;  // 16.16
using ComponentResult = int32_t;
using StringPtr = uint8_t*;
using ConstStr255Param = const uint8_t*;

constexpr OSErr noErr = 0;
constexpr OSErr paramErr = -50;
constexpr OSErr fnfErr = -43;
constexpr OSErr memFullErr = -108;
constexpr OSErr invalidMovie = -2010;
constexpr OSErr badImageDescription = -2001;  // the file holds nothing the decoders can play
constexpr OSErr cantFindHandler = -2003;  // the decoders themselves are missing

constexpr int8_t fsRdPerm = 1;
constexpr int16_t newMovieActive = 1;
constexpr int32_t mcTopLeftMovie = 1;
constexpr int32_t mcFlagsUseWindowPalette = 1 << 3;

// Controller actions.
constexpr int16_t mcActionPlay = 8;            // param: the rate (Fixed); 0 stops
constexpr int16_t mcActionSetVolume = 14;      // param: the volume (0 to 256)
constexpr int16_t mcActionSetLooping = 21;     // param: 1 or 0
constexpr int16_t mcActionSetLoopIsPalindrome = 23;
constexpr int16_t mcActionSetKeysEnabled = 32;
constexpr int16_t mcActionSetUseBadge = 36;
constexpr int16_t mcActionSetFlags = 38;       // param: the flags
constexpr int16_t mcActionGetFlags = 39;       // param: where the flags are written (int32_t*)
constexpr int16_t mcActionSuspend = 46;
constexpr int16_t mcActionSetDragEnabled = 52;

// A rectangle of the media library: top, left, bottom, right.
struct MediaRect {
  int16_t top;
  int16_t left;
  int16_t bottom;
  int16_t right;
};

struct FSSpec {
  int16_t vRefNum;
  int32_t parID;
  uint8_t name[256];  // counted
};

struct MovieRecord;
using Movie = MovieRecord*;
struct MovieControllerRecord;
using MovieController = MovieControllerRecord*;
// A drawing port: a window that the library draws into.
struct MediaPortRecord;
using CGrafPtr = MediaPortRecord*;
using GrafPtr = CGrafPtr;
using GDHandle = void*;

OSErr InitializeQTML(int32_t flags);
void TerminateQTML();
OSErr EnterMovies();
void ExitMovies();

// volume and folder must be 0: the name is the whole path.
OSErr FSMakeFSSpec(int16_t vRefNum, int32_t dirID, ConstStr255Param fileName, FSSpec* fileSpec);
OSErr OpenMovieFile(const FSSpec* file, int16_t* resRefNum, int8_t permission);
OSErr NewMovieFromFile(Movie* movie, int16_t resRefNum, int16_t* resId, StringPtr resName, int16_t flags,
                       Boolean* dataRefWasChanged);
OSErr CloseMovieFile(int16_t resRefNum);
void DisposeMovie(Movie movie);

void SetMovieGWorld(Movie movie, CGrafPtr port, GDHandle device);
void SetMovieVolume(Movie movie, int16_t volume);  // 0 to 256
void StartMovie(Movie movie);
void StopMovie(Movie movie);
void GoToBeginningOfMovie(Movie movie);
Boolean IsMovieDone(Movie movie);
void MoviesTask(Movie movie, int32_t maxMilliseconds);  // a null movie serves every open movie
void GetMovieBox(Movie movie, MediaRect* box);
void SetMovieBox(Movie movie, const MediaRect* box);
Fixed GetMoviePreferredRate(Movie movie);
// Draws the movie's current picture into its box on its port.
OSErr UpdateMovie(Movie movie);

MovieController NewMovieController(Movie movie, const MediaRect* box, int32_t flags);
void DisposeMovieController(MovieController controller);
ComponentResult MCDoAction(MovieController controller, int16_t action, void* parameters);
ComponentResult MCSetControllerAttached(MovieController controller, Boolean attached);
ComponentResult MCSetVisible(MovieController controller, Boolean visible);
ComponentResult MCEnableEditing(MovieController controller, Boolean enabled);

// The port of a window, made by the association and found by the window.
GrafPtr CreatePortAssociation(void* window, void* storage, int32_t flags);
OSErr DestroyPortAssociation(CGrafPtr port);
GrafPtr GetNativeWindowPort(void* window);
