// The monkey: random play of the whole program through the host's test seam. Once a frame (a pump of the message
// queue) it moves the manual clock on by a frame and may click, press and hold keys, type text, open menus and
// choose their items, drag, or take the focus from the window and give it back; it answers every message box and
// file chooser at random (saving and opening in a folder of its own). Clicks favour what the program shows at that
// moment: the top dialog's layout elements, the status panel, the hotspots of a still screen, the cells of a tile
// map and the points of the menu strip, all found at run time. Now and then, between frames with no dialog open
// and no event running, it gives the game's own save or open command, as a menu item of the scenario does.
//
// The soak holds the audio thread: the monkey mixes each frame's sound by hand, so that sounds end in game time.
//
// Its draws come from the framework's generator, whose state it swaps in and out around each draw, so that the
// game's own draws and the monkey's never mix: a seed replays the same play.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/types.h"

namespace soak {

class Monkey {
 public:
  // saves: the folder (POSIX path) where the monkey saves and opens games.
  Monkey(uint32_t seed, std::string saves);

  // A number from start to end, both included.
  int32_t Draw(int32_t start, int32_t end);
  bool Chance(int32_t percent) { return Draw(1, 100) <= percent; }

  // One frame of play: the clock moves on, the boxes and choosers get answers and new input goes to the window.
  void Frame();
  // Between frames, inside the program's message pump: gives a save or open command the monkey chose.
  void BetweenFrames();
  // A new run of the program begins: nothing is held, no command waits.
  void BeginRun();

  // The message boxes shown, by caption and text, with how often each came.
  const std::map<std::string, int32_t>& BoxesSeen() const { return boxesSeen_; }
  int32_t CommandsGiven() const { return commandsGiven_; }
  // The places the program stood in and the screen layouts of the dialogs it showed, as the frames saw them.
  const std::set<std::string>& PlacesSeen() const { return placesSeen_; }
  const std::set<int32_t>& DialogsSeen() const { return dialogsSeen_; }

 private:
  struct HeldKey {
    int32_t virtualKey;
    int32_t framesLeft;
  };
  enum class Command { kNone, kSave, kOpen };

  void TakeAnswers();
  void QueueAnswers();
  void ReleaseHeld(HWND window);
  void Act(HWND window);
  void Click(HWND window);
  void PressKey();
  void PressAccelerator();
  void TypeText();
  void UseMenu(HWND window);
  bool PickTarget(POINT* point);
  std::string ChooserPath();

  uint32_t state_;
  std::string saves_;
  std::vector<HeldKey> held_;
  bool buttonHeld_ = false;
  int32_t buttonFramesLeft_ = 0;
  POINT buttonAt_{};
  int32_t inactiveFramesLeft_ = 0;
  Command command_ = Command::kNone;
  std::map<std::string, int32_t> boxesSeen_;
  int32_t commandsGiven_ = 0;
  std::set<std::string> placesSeen_;
  std::set<int32_t> dialogsSeen_;
};

}  // namespace soak
