// The monkey soak: the whole program on the demo game, which BuildDemoScenario writes into the test's own folder,
// in-process and headless on the manual clock, played at random by the monkey (monkey.h) for a stretch of game
// time, five minutes unless KESTRIVAL_SOAK_MINUTES asks for more, and started again each time it ends. The seed
// comes from KESTRIVAL_SOAK_SEED, and is a fixed one when that is not set, so that the test run plays the same game
// every time; tools/soak.sh draws a new seed from the clock for each long soak and passes it in. The seed is
// printed first, and the game's own generators are seeded from it at the start of every run.
//
// It fails when the frames stop coming for a game minute, when the bytes in use or the live windows and GDI
// objects grow, and when a saved game it wrote does not open again; the sanitizers fail it on any fault.
//
// The samples are taken at each sixth of the play, at the first moment after it when the game is back at rest in
// the place of the first sample: a game in progress and not paused, between frames, no dialog open, no event
// running, the same places to go back to (a still screen entered from a map keeps the map, its layers and
// pictures, until the player goes back or elsewhere: 1.4 MB and 21 regions more at rest; and a pause, which the
// monkey brings about by taking the focus from the window, keeps a dimmed copy of the whole screen, 0.9 MB, until
// play resumes). Each must stay within 5 % of the first. The pixels the picture cache holds do not count: the
// cache keeps the background of every dialog shown (freed only when memory runs short) and every item and dialog
// picture the game loaded, so that the same screen at rest held 12.8 MB in one run and 16.4 MB in another of the
// same play, all of it pictures the run had happened to show; what is left stays within one per cent.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define KESTRIVAL_SOAK_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KESTRIVAL_SOAK_ASAN 1
#endif
#endif
#if defined(KESTRIVAL_SOAK_ASAN)
#include <sanitizer/allocator_interface.h>
#else
#include <malloc.h>
#endif

#include "game/dialogs/dialog.h"
#include "game/dialogs/screen_layouts.h"
#include "game/graphics/bitmap.h"
#include "game/graphics/picture_cache.h"
#include "game/rules/game_state.h"
#include "game/rules/script_event.h"
#include "game/shell/data/game_random.h"
#include "game/shell/data/string_utils.h"
#include "game/shell/game_commands.h"
#include "game/shell/main_loop.h"
#include "game/shell/main_window.h"
#include "game/shell/shell_command_host.h"
#include "game/world/location.h"
#include "game/world/location_history.h"
#include "game/world/screen_location.h"
#include "game/world/pause_overlay.h"
#include "host/kernel.h"
#include "host/testing.h"
#include "host/testing_sound.h"
#include "host/user.h"
#include "platform/core/random.h"
#include "tests/soak/monkey.h"
#include "tests/support/program_steps.h"
#include "tests/support/temp_folder.h"
#include "tools/demo_scenario/demo_scenario.h"

namespace {

constexpr DWORD kStall = 60000;  // a game minute without a frame
constexpr DWORD kFrameMilliseconds = 33;
constexpr int32_t kSamples = 6;
constexpr double kGrowthAllowed = 0.05;
constexpr const char* kJunk = "This is no saved game.";
constexpr uint32_t kFixedSeed = 5;  // the test run's play when no seed is given
constexpr const char* kOpenChoice = "open a saved game";  // where the title's button that opens a saved game leads
constexpr int32_t kOpenWaitFrames = 3000;  // frames it waits for the program to come to rest at all

size_t BytesInUse() {
#if defined(KESTRIVAL_SOAK_ASAN)
  return __sanitizer_get_current_allocated_bytes();
#else
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
#endif
}

// The bytes of the pictures the picture cache keeps: the pixel blocks of every picture in the game's pools, and
// the scratch buffer that picture files are read through. A picture the cache keeps unlocked has no pixel address
// but still holds its whole block, so the block's size is counted, not the rows the address reaches.
size_t PictureCacheBytes() {
  size_t bytes = ScratchBufferSize();
  std::set<const PicturePool*> counted;
  for (const PicturePool* pool : {GetStartupPool(), GetGamePool(), GetMapPool(), GetDialogPicturePool()}) {
    if (pool == nullptr || !counted.insert(pool).second) continue;
    for (const auto& [name, entry] : pool->Entries()) {
      const Bitmap* picture = entry.picture.get();
      if (picture != nullptr && !picture->IsView()) bytes += static_cast<size_t>(picture->pixelMemory.Size());
    }
  }
  return bytes;
}

struct Sample {
  DWORD played = 0;     // game time since the play began
  std::string place;    // where the game stood
  std::vector<LocationHistoryEntry> history;  // the places it could go back to (not the shops', which name none)
  size_t bytes = 0;     // in use, less the pictures the picture cache keeps
  size_t pictures = 0;  // what the picture cache kept
  HostLiveObjects live;
};

uint32_t EnvironmentNumber(const char* name, uint32_t otherwise) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return otherwise;
  return static_cast<uint32_t>(std::strtoul(text, nullptr, 10));
}

HWND MainWindowHandle() {
  MainWindow* window = GetMainWindow();
  return window != nullptr && window->IsCreated() ? window->GetNativeWindow() : nullptr;
}

// The soak's driver: the frame hook on the host's queue, the program run again and again, the samples.
class Soak {
 public:
  Soak(uint32_t seed, DWORD length, const TempFolder& folder)
      : seed_(seed), length_(length), folder_(folder), monkey_(seed, folder.PosixPath("saves")) {}

  void Play() {
    start_ = GetTickCount();
    HostTestSetQueueHook(&Soak::OnLook, this);
    while (!Done()) RunOnce();
    HostTestSetQueueHook(nullptr, nullptr);
  }

  // Opens every saved game in the monkey's folder through the open command, in one more run of the program.
  void OpenSaves() {
    std::vector<std::string> saves;
    for (const auto& entry : std::filesystem::directory_iterator(folder_.PosixPath("saves"))) {
      if (!entry.is_regular_file()) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      if (bytes != kJunk) saves.push_back(entry.path().string());
    }
    std::printf("saved games to open again: %zu\n", saves.size());
    size_t next = 0;
    int32_t waited = 0;
    bool fromTitle = false;
    opening_ = true;
    HostTestSetQueueHook(&Soak::OnLook, this);
    auto answerOpen = [&](const std::string& save) {
      HostTestClearMessageBoxes();
      HostTestClearFileChoosers();
      HostTestAnswerFileChooser(("C:" + save).c_str());
      for (int i = 0; i < 3; ++i) HostTestAnswerMessageBox(IDYES);
      SetSaveName("");
      answerMessages_ = true;
    };
    auto checkOpened = [&](const std::string& save) {
      std::string told;
      for (const HostMessageBoxRecord& box : HostTestMessageBoxes()) told += " \"" + box.text + "\"";
      EXPECT_FALSE(GetSaveName().empty()) << save << " did not open again:" << told;
    };
    RunOnce([&] {
      MainWindow* window = GetMainWindow();
      const bool busy = window == nullptr || !window->IsActive() || IsScriptRunning() || !OpenDialogs().empty();
      // The first save is opened from the title through its "Open a saved game", a button of the title's picture;
      // the click is taken in a frame to come, so the open is awaited until the game has its save's name. A program
      // that never comes to rest, or never opens it, ends the run rather than hang it.
      if (busy || (fromTitle && GetSaveName().empty())) {
        if (++waited > kOpenWaitFrames) {
          ADD_FAILURE() << "the program did not come to rest to open " << (next < saves.size() ? saves[next] : "");
          next = saves.size();
          PostQuitMessage(0);
        }
        return;
      }
      waited = 0;
      if (fromTitle) {
        fromTitle = false;
        checkOpened(saves[next++]);
        return;
      }
      if (next >= saves.size()) {
        PostQuitMessage(0);
        return;
      }
      const std::string& save = saves[next];
      const auto* title = dynamic_cast<const ScreenLocation*>(GetCurrentLocation());
      if (next == 0 && title != nullptr && title->GetName() == "title") {
        for (const LocationHotspot& hotspot : title->Hotspots()) {
          std::string place = hotspot.location;
          ToLowerInPlace(place);
          if (place != kOpenChoice) continue;
          answerOpen(save);
          fromTitle = true;
          const int32_t x = title->OriginX() + hotspot.rect.x + hotspot.rect.width / 2;
          const int32_t y = title->OriginY() + hotspot.rect.y + hotspot.rect.height / 2;
          HostTestMouseButton(MainWindowHandle(), 0, true, x, y, 1);
          HostTestMouseButton(MainWindowHandle(), 0, false, x, y, 1);
          return;
        }
        ADD_FAILURE() << "the title has no button to open a saved game";
      }
      ++next;
      answerOpen(save);
      RunOpenGameCommand();
      checkOpened(save);
    });
    HostTestSetQueueHook(nullptr, nullptr);
    EXPECT_EQ(next, saves.size());
  }

  const std::vector<Sample>& Samples() const { return samples_; }
  const std::vector<std::string>& Stalls() const { return stalls_; }
  int32_t Runs() const { return runs_; }
  const soak::Monkey& GetMonkey() const { return monkey_; }

 private:
  void RunOnce(std::function<void()> betweenFrames = {}) {
    HostTestResetWindowSystem();
    HostTestClearMessageBoxes();
    HostTestClearFileChoosers();
    monkey_.BeginRun();
    seeded_ = false;
    lastFrame_ = GetTickCount();
    ++runs_;
    test_support::ProgramSteps steps;
    steps.tickLimit = INT_MAX;
    steps.list = {[&] {
      if (betweenFrames) {
        betweenFrames();
      } else if (Done()) {
        PostQuitMessage(0);
      } else {
        if (AtRest()) TakeSample();
        monkey_.BetweenFrames();
      }
      return false;
    }};
    test_support::RunProgramSteps(folder_.Posix(), steps);
  }

  // The play is over when the last sample is taken, or when twice its length passed without the game coming to
  // rest where the first sample was taken, with the same places to go back to.
  bool Done() const {
    return samples_.size() >= static_cast<size_t>(kSamples) || GetTickCount() - start_ > 2 * length_;
  }

  bool AtRest() const {
    const DWORD due = length_ / kSamples * static_cast<DWORD>(samples_.size() + 1);
    if (GetTickCount() - start_ < due || !IsGameInProgress() || IsGamePaused() || IsScriptRunning() ||
        !OpenDialogs().empty()) {
      return false;
    }
    const Location* location = GetCurrentLocation();
    return location != nullptr && (samples_.empty() || (location->GetName() == samples_.front().place &&
                                                         PlacesToGoBackTo() == samples_.front().history));
  }

  void TakeSample() {
    Sample sample;
    sample.played = GetTickCount() - start_;
    sample.place = GetCurrentLocation()->GetName();
    sample.history = PlacesToGoBackTo();
    sample.pictures = PictureCacheBytes();
    sample.bytes = BytesInUse() - sample.pictures;
    sample.live = HostTestLiveObjects();
    samples_.push_back(sample);
  }

  // The history less the entries of shops: a still screen entered back from a shop remembers the shop, so they
  // come with every visit to one, and going back to them does nothing.
  static std::vector<LocationHistoryEntry> PlacesToGoBackTo() {
    std::vector<LocationHistoryEntry> places;
    for (const LocationHistoryEntry& entry : LocationHistory::Entries()) {
      if (!entry.location.empty()) places.push_back(entry);
    }
    return places;
  }

  static void OnLook(void* soak, bool idleBefore) {
    if (idleBefore) static_cast<Soak*>(soak)->OnFrame();
  }

  void OnFrame() {
    const DWORD now = GetTickCount();
    if (now - lastFrame_ > kStall) {
      stalls_.push_back("no frame from " + std::to_string(lastFrame_ - start_) + " ms to " +
                        std::to_string(now - start_) + " ms of the play");
    }
    if (!seeded_ && MainWindowHandle() != nullptr) {
      // The game's generators start from the soak's seed in every run, after start-up seeded them from the time.
      seeded_ = true;
      SeedRandom(seed_ + static_cast<uint32_t>(runs_));
      PlatformSetRandomSeed((seed_ + static_cast<uint32_t>(runs_)) % 0x7FFFFFFEu + 1);
    }
    ++frames_;
    HWND window = MainWindowHandle();
    if (opening_) {
      // Only the clock moves, and Escape now and then takes the run past any message it opens with; the saved
      // games are opened between frames, their questions answered there.
      HostTestAdvanceClock(kFrameMilliseconds);
      if (window != nullptr && !OpenDialogs().empty() && frames_ % 10 == 0) {
        HostTestKey(VK_ESCAPE, true);
        HostTestKey(VK_ESCAPE, false);
      }
      // Once a saved game has opened, the place it was saved on may greet the player with an event's message,
      // and a message with choices ends only through them: Return presses its first (focused) choice.
      if (window != nullptr && answerMessages_ && !GetSaveName().empty() && IsScriptRunning() &&
          !OpenDialogs().empty() && frames_ % 10 == 5) {
        HostTestKey(VK_RETURN, true);
        HostTestKey(VK_RETURN, false);
      }
    } else {
      monkey_.Frame();
    }
    lastFrame_ = GetTickCount();
  }

  uint32_t seed_;
  DWORD length_;
  const TempFolder& folder_;
  soak::Monkey monkey_;
  DWORD start_ = 0;
  DWORD lastFrame_ = 0;
  bool opening_ = false;
  bool answerMessages_ = false;  // the opening phase has asked for a saved game
  bool seeded_ = false;
  int32_t frames_ = 0;
  int32_t runs_ = 0;
  std::vector<Sample> samples_;
  std::vector<std::string> stalls_;
};

class MonkeySoakTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HostTestSetHeadless(true);
    HostTestUseManualClock(true);
    HostTestHoldAudio(true);
    SYSTEMTIME noon{};
    noon.wYear = 2024;
    noon.wMonth = 5;
    noon.wDay = 17;
    noon.wHour = 12;
    HostTestSetLocalTime(&noon);
    std::string error;
    ASSERT_TRUE(demo_scenario::BuildDemoScenario(temp_.Posix(), false, &error)) << error;
    temp_.WriteFile("saves/junk.ksv", kJunk);
  }
  void TearDown() override {
    HostTestResetWindowSystem();
    HostTestClearMessageBoxes();
    HostTestClearFileChoosers();
    HostTestSetLocalTime(nullptr);
    HostTestHoldAudio(false);
    HostTestUseManualClock(false);
  }

  TempFolder temp_;
};

TEST_F(MonkeySoakTest, TheDemoGameKeepsRunningUnderRandomPlay) {
  const uint32_t seed = EnvironmentNumber("KESTRIVAL_SOAK_SEED", kFixedSeed);
  const DWORD minutes = EnvironmentNumber("KESTRIVAL_SOAK_MINUTES", 5);
  std::printf("monkey soak: seed %u, %u minutes of game time (KESTRIVAL_SOAK_SEED=%u replays it)\n", seed,
              static_cast<unsigned>(minutes), seed);
  std::fflush(stdout);

  Soak soak(seed, minutes * 60000, temp_);
  soak.Play();
  soak.OpenSaves();

  std::printf("runs of the program: %d, save and open commands given: %d\n", soak.Runs(),
              soak.GetMonkey().CommandsGiven());
  std::string places, dialogs;
  for (const std::string& place : soak.GetMonkey().PlacesSeen()) places += " " + place;
  for (int32_t layout : soak.GetMonkey().DialogsSeen()) dialogs += " " + std::to_string(layout);
  std::printf("places seen:%s; dialogs seen (layouts):%s\n", places.c_str(), dialogs.c_str());
  for (const auto& [box, count] : soak.GetMonkey().BoxesSeen()) std::printf("  box x%d: %s\n", count, box.c_str());
  for (const Sample& sample : soak.Samples()) {
    std::printf("  sample at %u s in %s: %zu bytes (and %zu of cached pictures), %d windows, %d GDI objects\n",
                static_cast<unsigned>(sample.played / 1000), sample.place.c_str(), sample.bytes, sample.pictures,
                sample.live.windows, sample.live.gdiObjects);
  }
  EXPECT_TRUE(soak.Stalls().empty()) << soak.Stalls().front();
  ASSERT_EQ(soak.Samples().size(), static_cast<size_t>(kSamples))
      << "the game did not come to rest again where the first sample was taken";
  const Sample& first = soak.Samples().front();
  auto within = [](double value, double reference) { return value <= reference * (1.0 + kGrowthAllowed); };
  for (size_t i = 1; i < soak.Samples().size(); ++i) {
    const Sample& sample = soak.Samples()[i];
    EXPECT_TRUE(within(static_cast<double>(sample.bytes), static_cast<double>(first.bytes)))
        << "bytes in use at sixth " << i + 1 << ": " << sample.bytes << " against " << first.bytes;
    EXPECT_TRUE(within(sample.live.windows, first.live.windows))
        << "live windows at sixth " << i + 1 << ": " << sample.live.windows << " against " << first.live.windows;
    EXPECT_TRUE(within(sample.live.gdiObjects, first.live.gdiObjects))
        << "live GDI objects at sixth " << i + 1 << ": " << sample.live.gdiObjects << " against "
        << first.live.gdiObjects;
  }
  if (HasFailure()) std::printf("replay with KESTRIVAL_SOAK_SEED=%u\n", seed);
}

}  // namespace
