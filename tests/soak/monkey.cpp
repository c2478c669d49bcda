// The monkey's play: what it clicks, presses and types, and how it answers the program's questions.
#include "tests/soak/monkey.h"

#include <utility>

#include "game/dialogs/dialog.h"
#include "game/dialogs/screen_layouts.h"
#include "game/rules/character.h"
#include "game/rules/game_state.h"
#include "game/rules/script_event.h"
#include "game/rules/string_list.h"
#include "game/shell/main_window.h"
#include "game/shell/menus.h"
#include "game/shell/scenario_config.h"
#include "game/shell/shell_command_host.h"
#include "game/world/location.h"
#include "game/world/screen_location.h"
#include "game/world/tile_map.h"
#include "host/testing.h"
#include "host/testing_sound.h"
#include "host/user.h"
#include "platform/core/random.h"

namespace soak {

namespace {

constexpr DWORD kFrameMilliseconds = 33;
constexpr int kMixRate = 44100;  // the mixer's frames a second
constexpr int32_t kStatusPanelLayout = 16;

HWND MainWindowHandle() {
  MainWindow* window = GetMainWindow();
  return window != nullptr && window->IsCreated() ? window->GetNativeWindow() : nullptr;
}

struct Area {
  int32_t x, y, width, height;
};

// Where a click may land now: the top dialog's elements, or the screen's panel, hotspots and map cells.
std::vector<Area> ClickAreas() {
  std::vector<Area> areas;
  auto addLayout = [&areas](int32_t layoutIndex, int32_t originX, int32_t originY) {
    const Layout* layout = GetLayout(layoutIndex);
    for (int32_t i = 0; layout != nullptr && i < layout->GetElementCount(); ++i) {
      const LayoutElement* element = layout->GetElement(i);
      if (element != nullptr && element->width > 0 && element->height > 0) {
        areas.push_back({originX + element->x, originY + element->y, element->width, element->height});
      }
    }
  };
  if (!OpenDialogs().empty()) {
    const Dialog& top = *OpenDialogs().back();
    addLayout(top.LayoutIndex(), top.Frame().x, top.Frame().y);
    return areas;
  }
  Location* location = GetCurrentLocation();
  if (location == nullptr) return areas;
  if (location->HasInterface()) addLayout(kStatusPanelLayout, 0, 0);
  if (location->Kind() == kLocationKindScreen) {
    const auto* screen = static_cast<const ScreenLocation*>(location);
    for (const LocationHotspot& hotspot : screen->Hotspots()) {
      areas.push_back({screen->OriginX() + hotspot.rect.x, screen->OriginY() + hotspot.rect.y, hotspot.rect.width,
                       hotspot.rect.height});
    }
  }
  if (const TileMap* map = GetCurrentTileMap()) {
    // The cells where something is: the characters, the player and the cells that fire events, each as a cell
    // of the screen.
    const Bounds& view = map->ViewRect();
    auto addCell = [&](int32_t column, int32_t row) {
      const Point centre = map->CellCenter(column, row);
      const int32_t x = view.x + centre.x - map->ScrollX(), y = view.y + centre.y - map->ScrollY();
      if (x >= view.x && y >= view.y && x < view.x + view.width && y < view.y + view.height) {
        areas.push_back({x - map->CellWidth() / 2, y - map->CellHeight() / 2, map->CellWidth(), map->CellHeight()});
      }
    };
    for (const auto& character : map->Characters()) addCell(character->x, character->y);
    if (const Character* player = PeekCurrentCharacter()) addCell(player->x, player->y);
    for (int32_t row = 0; row < map->Height(); ++row) {
      for (int32_t column = 0; column < map->Width(); ++column) {
        if (map->GetCellEvent(column, row) != nullptr) addCell(column, row);
      }
    }
    areas.push_back({view.x, view.y, view.width, view.height});
  }
  return areas;
}

// The keys the monkey presses: arrows, keypad, the keys that close and move through dialogs, letters, digits,
// function keys and a few others.
std::vector<int32_t> PressableKeys() {
  std::vector<int32_t> keys = {VK_LEFT,  VK_UP,    VK_RIGHT, VK_DOWN,   VK_RETURN, VK_ESCAPE, VK_TAB,
                               VK_BACK,  VK_DELETE, VK_SPACE, VK_SHIFT, VK_MENU,   VK_HOME,   VK_END,
                               VK_PRIOR, VK_NEXT};
  for (int32_t key = VK_NUMPAD0; key <= VK_NUMPAD9; ++key) keys.push_back(key);
  for (int32_t key = 'A'; key <= 'Z'; ++key) keys.push_back(key);
  for (int32_t key = '0'; key <= '9'; ++key) keys.push_back(key);
  for (int32_t key = VK_F1; key <= VK_F12; ++key) keys.push_back(key);
  return keys;
}

// The Control-key accelerators of the scenario's menu items; quitting (Control+Q) is the monkey's rarer choice.
std::vector<int32_t> AcceleratorKeys() {
  std::vector<int32_t> keys;
  for (int which = 0; which < kMenuListCount; ++which) {
    const StringList* list = GetMenuList(which);
    for (int32_t i = 0; list != nullptr && i < list->GetCount(); ++i) {
      uint8_t key = 0;
      ScenarioItemText(list->GetString(i), &key);
      if (key >= 'A' && key <= 'Z' && key != 'Q') keys.push_back(key);
    }
  }
  return keys;
}

// Snippets of typed text: names, numbers, nonsense, characters outside the game's code page, and long runs.
const char* const kTexts[] = {"Wren", "a", "Old Tom of the Mill", "12345", "!?%$&/\\\"'", "  ", "\xc3\xa9t\xc3\xa9",
                              "\xe4\xb8\xad\xe6\x96\x87", "\xe2\x82\xac\xc3\x9f",
                              ("zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz")};

// The names the monkey gives its saved games, and paths a player may pick that are not saved games at all.
const char* const kSaveNames[] = {"first.ksv", "second.ksv", "a name with spaces.ksv", "no extension"};
const char* const kOddPaths[] = {"missing folder/lost.ksv", "junk.ksv", "", "."};

}  // namespace

Monkey::Monkey(uint32_t seed, std::string saves)
    // The framework's generator walks the numbers 1 to 2^31 - 2; 0 would stay 0.
    : state_(seed % 0x7FFFFFFEu + 1), saves_(std::move(saves)) {}

int32_t Monkey::Draw(int32_t start, int32_t end) {
  if (end <= start) return start;
  const uint32_t game = PlatformSetRandomSeed(state_);
  const auto value = static_cast<int32_t>(PlatformRandomRange(0, static_cast<uint32_t>(end - start) + 1));
  state_ = PlatformSetRandomSeed(game);
  return start + value;
}

void Monkey::BeginRun() {
  held_.clear();
  buttonHeld_ = false;
  inactiveFramesLeft_ = 0;
  command_ = Command::kNone;
}

void Monkey::Frame() {
  HostTestAdvanceClock(kFrameMilliseconds);
  // The sound goes on by the frame's length, mixed here (the soak holds the audio thread), so that sounds end
  // in game time as the play replays; what the mixer made is not kept.
  HostTestMixAudio(kMixRate * static_cast<int>(kFrameMilliseconds) / 1000);
  HostTestClearMixerOutput();
  TakeAnswers();
  QueueAnswers();
  if (!OpenDialogs().empty()) dialogsSeen_.insert(OpenDialogs().back()->LayoutIndex());
  if (const Location* location = GetCurrentLocation()) placesSeen_.insert(location->GetName());
  HWND window = MainWindowHandle();
  if (window == nullptr) return;
  ReleaseHeld(window);
  if (inactiveFramesLeft_ > 0 && --inactiveFramesLeft_ == 0) HostTestActivate(window, true);
  Act(window);
}

void Monkey::BetweenFrames() {
  if (command_ == Command::kNone) return;
  MainWindow* window = GetMainWindow();
  // As a menu command would: not while an event runs, a dialog is open (a map is read under its progress dialog)
  // or a chooser or box holds the window.
  if (window == nullptr || !window->IsActive() || IsScriptRunning() || !OpenDialogs().empty()) return;
  const Command command = std::exchange(command_, Command::kNone);
  ++commandsGiven_;
  if (command == Command::kSave) {
    RunSaveGameCommand();
  } else {
    RunOpenGameCommand();
  }
}

void Monkey::TakeAnswers() {
  for (const HostMessageBoxRecord& box : HostTestMessageBoxes()) ++boxesSeen_[box.caption + ": " + box.text];
  HostTestClearMessageBoxes();
  HostTestClearFileChoosers();
}

void Monkey::QueueAnswers() {
  static constexpr int kAnswers[] = {IDOK, IDCANCEL, IDYES, IDNO};
  for (int i = 0; i < 3; ++i) HostTestAnswerMessageBox(kAnswers[Draw(0, 3)]);
  const bool cancel = Chance(20);
  const std::string path = "C:" + ChooserPath();
  const auto open = static_cast<DWORD>(Chance(30) ? Draw(0, 3000) : 0);
  HostTestAnswerFileChooser(cancel ? nullptr : path.c_str(), open);
}

std::string Monkey::ChooserPath() {
  if (Chance(15)) return saves_ + "/" + kOddPaths[Draw(0, 3)];
  return saves_ + "/" + kSaveNames[Draw(0, 3)];
}

void Monkey::ReleaseHeld(HWND window) {
  for (size_t i = 0; i < held_.size();) {
    if (--held_[i].framesLeft <= 0) {
      HostTestKey(held_[i].virtualKey, false);
      held_.erase(held_.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
  if (buttonHeld_ && --buttonFramesLeft_ <= 0) {
    buttonHeld_ = false;
    HostTestMouseButton(window, 0, false, buttonAt_.x, buttonAt_.y);
  } else if (buttonHeld_) {
    // A drag: the pointer wanders while the button is down.
    buttonAt_.x += Draw(-12, 12);
    buttonAt_.y += Draw(-12, 12);
    HostTestMouseMove(window, buttonAt_.x, buttonAt_.y);
  }
}

void Monkey::Act(HWND window) {
  const int32_t roll = Draw(1, 10000);
  if (roll <= 2500) {
    Click(window);
  } else if (roll <= 4500) {
    PressKey();
  } else if (roll <= 4900) {
    PressAccelerator();
  } else if (roll <= 5300) {
    TypeText();
  } else if (roll <= 5700) {
    UseMenu(window);
  } else if (roll <= 6300) {
    POINT point;
    if (PickTarget(&point)) HostTestMouseMove(window, point.x, point.y);
  } else if (roll <= 6330) {
    // The focus goes to another program for a while.
    if (inactiveFramesLeft_ == 0) {
      inactiveFramesLeft_ = Draw(1, 90);
      HostTestActivate(window, false);
    }
  } else if (roll <= 6350) {
    if (IsGameInProgress()) command_ = Command::kSave;
  } else if (roll <= 6360) {
    command_ = Command::kOpen;
  } else if (roll <= 6363) {
    held_.push_back({VK_CONTROL, 3});
    held_.push_back({'Q', 2});
    HostTestKey(VK_CONTROL, true);
    HostTestKey('Q', true);
  } else if (roll <= 6364) {
    HostTestCloseWindow(window);
  }
}

bool Monkey::PickTarget(POINT* point) {
  RECT client{};
  GetClientRect(MainWindowHandle(), &client);
  std::vector<Area> areas = ClickAreas();
  Area area{0, 0, client.right, client.bottom};
  if (!areas.empty() && Chance(85)) area = areas[static_cast<size_t>(Draw(0, static_cast<int32_t>(areas.size()) - 1))];
  if (area.width <= 0 || area.height <= 0) return false;
  if (Chance(50)) {
    *point = POINT{area.x + area.width / 2, area.y + area.height / 2};
  } else {
    *point = POINT{area.x + Draw(0, area.width - 1), area.y + Draw(0, area.height - 1)};
  }
  return true;
}

void Monkey::Click(HWND window) {
  POINT point;
  if (!PickTarget(&point)) return;
  HostTestMouseMove(window, point.x, point.y);
  const int32_t kind = Draw(1, 100);
  if (kind <= 75) {
    HostTestMouseButton(window, 0, true, point.x, point.y);
    HostTestMouseButton(window, 0, false, point.x, point.y);
  } else if (kind <= 85) {
    // A double click: the second press counts two.
    HostTestMouseButton(window, 0, true, point.x, point.y);
    HostTestMouseButton(window, 0, false, point.x, point.y);
    HostTestMouseButton(window, 0, true, point.x, point.y, 2);
    HostTestMouseButton(window, 0, false, point.x, point.y, 2);
  } else if (kind <= 92) {
    const int button = Draw(1, 2);
    HostTestMouseButton(window, button, true, point.x, point.y);
    HostTestMouseButton(window, button, false, point.x, point.y);
  } else if (!buttonHeld_) {
    // Held, and dragged until it is let go.
    buttonHeld_ = true;
    buttonFramesLeft_ = Draw(1, 30);
    buttonAt_ = point;
    HostTestMouseButton(window, 0, true, point.x, point.y);
  }
}

void Monkey::PressKey() {
  static const std::vector<int32_t> keys = PressableKeys();
  const int32_t key = keys[static_cast<size_t>(Draw(0, static_cast<int32_t>(keys.size()) - 1))];
  for (const HeldKey& held : held_) {
    if (held.virtualKey == key) return;
  }
  // Mostly a tap; now and then held long enough to walk or to repeat.
  held_.push_back({key, Chance(80) ? Draw(1, 3) : Draw(4, 60)});
  HostTestKey(key, true);
}

void Monkey::PressAccelerator() {
  const std::vector<int32_t> keys = AcceleratorKeys();
  if (keys.empty()) return;
  const int32_t key = keys[static_cast<size_t>(Draw(0, static_cast<int32_t>(keys.size()) - 1))];
  held_.push_back({VK_CONTROL, 3});
  held_.push_back({key, 2});
  HostTestKey(VK_CONTROL, true);
  HostTestKey(key, true);
}

void Monkey::TypeText() {
  constexpr int32_t kCount = static_cast<int32_t>(sizeof kTexts / sizeof kTexts[0]);
  HostTestText(kTexts[Draw(0, kCount - 1)]);
}

void Monkey::UseMenu(HWND window) {
  POINT point;
  int32_t items = 0;
  while (items < 64 && HostTestMenuItemPoint(window, items, &point)) ++items;
  if (items > 0 && Chance(80)) {
    HostTestMenuItemPoint(window, Draw(0, items - 1), &point);
  } else if (!HostTestMenuEntryPoint(window, Draw(0, 2), &point)) {
    return;
  }
  HostTestMouseButton(window, 0, true, point.x, point.y);
  HostTestMouseButton(window, 0, false, point.x, point.y);
}

}  // namespace soak
