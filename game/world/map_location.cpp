// Map locations: reading, entering and leaving (with the player's placement), clicks and keys, and drawing.
#include "game/world/map_location.h"

#include <algorithm>
#include <cstdio>

#include "game/dialogs/screen_layouts.h"
#include "game/dialogs/status_panel.h"
#include "game/dialogs/view_layer.h"
#include "game/graphics/bitmap.h"
#include "game/graphics/picture_cache.h"
#include "game/rules/character.h"
#include "game/rules/script_event.h"
#include "game/shell/data/data_archive.h"
#include "game/shell/data/data_paths.h"
#include "game/shell/data/data_stream.h"
#include "game/shell/data/stopwatch.h"
#include "game/shell/input_manager.h"
#include "game/shell/main_loop.h"
#include "game/shell/menus.h"
#include "game/shell/scenario_config.h"
#include "game/world/location_spot_list.h"
#include "game/world/map_file.h"
#include "game/world/path_finder.h"
#include "game/world/pause_overlay.h"
#include "game/world/scene_view.h"
#include "game/world/tile_map.h"

namespace {

constexpr int32_t kMapLayout = 17;
constexpr int32_t kPortraitElement = 0;
constexpr int32_t kViewElement = 28;
constexpr int32_t kFirstMapButton = 30;
constexpr int32_t kLastMapButton = 39;

// Makes each map picture pool current in turn (the ground's, then the one of the figures and objects) and does
// the work on it.
template <typename Work>
void ForEachMapPool(Work work) {
  for (PicturePool* pool : {GetMapPool(), GetGamePool()}) {
    if (pool == nullptr) continue;
    PictureCache::SelectPool(pool);
    work();
  }
}

void SelectFigurePool() {
  if (PicturePool* pool = GetGamePool()) PictureCache::SelectPool(pool);
}

std::string CurrentLocationName() {
  const Location* location = GetCurrentLocation();
  return location != nullptr ? location->GetName() : std::string();
}

}  // namespace

MapLocation::MapLocation(DataStream& stream) : Location(stream) {
  ReadAmbientSounds(stream, sounds_);
  globalShortcuts_ = stream.ReadInt16();
  shortcuts_ = std::make_unique<LocationSpotList>(stream);
  SetInterface(stream.ReadInt16() != 0);
  for (std::string& exit : exits_) stream.ReadPString(exit);
  stream.ReadPString(enterEvent_);
  stream.ReadPString(keptText_);
  enterActions_ = std::make_unique<ScriptEvent>(stream);
}

// The layout is not touched: the layouts may be gone before the locations at shut-down.
MapLocation::~MapLocation() { map_.reset(); }

bool MapLocation::LeftBy(uint64_t generation, const std::string& location) const {
  return !IsCurrentMap(generation) || GetCurrentLocation() == nullptr || CurrentLocationName() != location;
}

int32_t MapLocation::Enter() {
  // Each step's time is taken under its label on the step stopwatch; the labels name the step just finished.
  Stopwatch total;
  Stopwatch steps;
  SceneView* view = GetSceneView();
  if (view != nullptr) view->BeginOffscreen();
  PictureCache::PushPool();
  ForEachMapPool([&] {
    if (!IsActive()) PictureCache::UnlockAll();
  });
  Input::IdleButtons();

  // Leaving what was shown: the location shown (a still screen over this map is left, the map stays) and the map
  // entered last.
  auto leaveOthers = [&] {
    Location* current = GetCurrentLocation();
    if (current != nullptr && current != this) current->Leave();
    Location* lastMap = LastMapLocation();
    if (lastMap != nullptr && lastMap != this) lastMap->Leave();
    steps.Lap("  close old location");
    SetLastMapLocation(this);
    SetCurrentLocation(this);
    if (SceneView* shown = GetSceneView()) shown->HideAllLayers();
    if (Character* player = GetCurrentCharacter()) player->SetPath(nullptr);
    steps.Lap("  reset global vars");
    StartAmbientSounds(sounds_);
    steps.Lap("  ambient sounds init");
  };

  if (IsActive()) {
    // Shown again as it stands (the player where it was), from memory: its file is not opened, as nothing is read
    // from it (a file gone from a loose scenario would keep the player from coming back to the map it left
    // loaded). An edge exit that led off it is spent as any entry spends it: a still screen beyond an edge takes
    // none, so left pending it would send the player back there on the map's next tick, every time the player
    // returned.
    SetPendingExit(kNoExit);
    leaveOthers();
    ShowAgain();
    if (view != nullptr) view->EndOffscreen();
    PictureCache::PopPool();
    SelectFigurePool();
    return 0;
  }

  // The whole file is read and checked before anything of the running game changes: a damaged map found only
  // while it is built would leave the game with the old place left and no current location.
  int32_t result = 0;
  std::string path;
  MapPath(path, GetName());
  DataStream* stream = OpenDataFile(path);
  MapFileData data;
  if (stream == nullptr) {
    result = kMapFileMissing;
  } else if (const MapFileError error = ParseMapFile(*stream, &data); error != MapFileError::kNone) {
    CloseDataFile(stream);
    result = static_cast<int32_t>(error);
  }

  if (result == 0) {
    // The reading pumps the messages at each step of its progress, under its progress dialog: no menu command acts
    // on the half-read map, as none does while a dialog is open.
    leaveOthers();
    map_ = std::make_unique<TileMap>(*stream);
    map_->SetFrozen();
    CloseDataFile(stream);
    const int32_t built = map_->Load(std::move(data));
    if (built != 0) {
      // The game is ending: the part-built map goes and nothing is shown.
      map_.reset();
      ReleaseScratchBuffer();
      PictureCache::PopPool();
      if (view != nullptr) view->EndOffscreen();
      SetCurrentLocation(nullptr);
      SetPendingExit(kNoExit);
      return built;
    }
    steps.Lap("  map loading");
    map_->SetEdgeExits(exits_);
    PlacePlayer();
    steps.Lap("  player init");

    // The map view: element 28 of layout 17 inside the interface, else the whole screen.
    Bounds rect = ScreenBounds();
    Layout* layout = GetLayout(kMapLayout);
    const LayoutElement* place = layout != nullptr ? layout->GetElement(kViewElement) : nullptr;
    if (HasInterface() && place != nullptr) {
      rect = Bounds{place->x, place->y, place->width, place->height};
      originX_ = place->x;
      originY_ = place->y;
    }
    map_->SetView(rect);
    steps.Lap("  map dimensions init");
    map_->CenterView();
    int32_t column = 0, row = 0;
    map_->GetMapOrigin(&column, &row);
    MediaIdle();
    steps.Lap("  map position init");
    map_->DrawPictureGrid();
    MediaIdle();
    steps.Lap("  draw background");
    if (HasInterface()) {
      layout_ = layout;
      if (layout_ != nullptr) SetInterface(DrawStatusPanel(*layout_));
      MediaIdle();
    }
    steps.Lap("  init layout");

    map_->ClearFrozen();
    SetActive(true);
    // The events may take the player elsewhere, which deletes this map: whatever follows a script that did is left
    // undone, since it would work on the deleted map.
    const uint64_t generation = map_->Generation();
    const std::string name = GetName();
    CallEventName(enterEvent_);
    if (!LeftBy(generation, name)) RunEventRecord(enterActions_.get());
    steps.Lap("  exectute map links");
    if (!LeftBy(generation, name)) {
      RunLinks();
      steps.Lap("  exectute plugin links");
    }
    if (!LeftBy(generation, name)) {
      MediaIdle();
      SelectFigurePool();
      PictureCache::PurgeUnused();
      steps.Lap("  memory cleaning");
    }
  } else {
    // Refused: an exit that led here is not tried again on the next tick (it would be tried on every tick, each
    // try redrawing the whole view and setting the buttons idle, so that no click reached the map).
    SetPendingExit(kNoExit);
  }

  ReleaseScratchBuffer();
  PictureCache::PopPool();
  SelectFigurePool();
  if (view != nullptr) view->EndOffscreen();
  steps.Lap("  last memory and state reset");
  YieldBriefly();
  steps.Lap("  memory compaction");
  total.Lap("  Global time of loading");
  RefreshView();
  MediaIdle();
  RestartFrameClock();
  return result;
}

void MapLocation::ShowAgain() {
  if (map_ == nullptr) return;
  map_->RegisterLayers();
  if (HasInterface() && layout_ != nullptr) {
    SetInterface(DrawStatusPanel(*layout_));
    if (HasInterface()) layout_->ShowLayers();
  }
  if (SceneView* view = GetSceneView()) view->ClearBackBuffer();
  map_->PlayerCellCenter();
  map_->CenterView();
}

void MapLocation::PlacePlayer() {
  Character* player = GetCurrentCharacter();
  const int32_t exit = GetPendingExit();
  SetPendingExit(kNoExit);
  if (player == nullptr) return;
  // Cells the player held belong to the map it left: released on this map they would free cells of this grid that
  // are walls or taken.
  player->reservedCells.clear();
  const int32_t width = map_->Width(), height = map_->Height();
  int32_t x = 0, y = 0;
  player->GetPosition(&x, &y);
  // By the edge the previous map was left at: the row or column just inside the opposite edge of this one.
  int32_t facing = 1;
  switch (exit) {
    case kExitTop:
      y = height - 2;
      facing = 1;
      break;
    case kExitBottom:
      y = 1;
      facing = 5;
      break;
    case kExitRight:
      x = 1;
      facing = 3;
      break;
    case kExitLeft:
      x = width - 2;
      facing = 7;
      break;
    default:
      break;
  }
  // A cell beyond this map's size, along the edge, becomes the cell one short of the far edge, but the last row
  // by the right edge. (A player who stays on an edge takes no exit: only a step onto it does.)
  if (exit == kExitTop || exit == kExitBottom) {
    if (x >= width) x = width - 2;
  } else if (exit == kExitRight) {
    if (y >= height) y = height - 1;
  } else if (exit == kExitLeft) {
    if (y >= height) y = height - 2;
  }
  // Whatever the exit, the cell is kept on the map and moved to a free one: the cell kept with no exit may lie off
  // this map (a new player stands on no map; the previous map may have been larger), and a player off the grid
  // could not take a step.
  x = std::clamp(x, 0, width - 1);
  y = std::clamp(y, 0, height - 1);
  int32_t freeX = x, freeY = y;
  if (map_->FindFreeCellNear(x, y, false, nullptr, &freeX, &freeY)) {
    x = freeX;
    y = freeY;
  }
  player->SetPosition(x, y);
  map_->RebuildPlayerSprite();
  SelectFigurePool();
  PictureCache::PurgeUnused();
  map_->LoadStamps();
  map_->LoadCharacters();
  map_->LoadItems();
  ClearGameView();
  player = GetCurrentCharacter();
  if (player == nullptr || map_ == nullptr) return;
  player->SetPosition(x, y);
  player->SetFacing(facing, true);
  map_->PlayerCellCenter();
}

void MapLocation::Leave() {
  if (!IsActive()) return;
  originX_ = 0;
  originY_ = 0;
  if (layout_ != nullptr) layout_->DestroyLayers();
  map_.reset();
  layout_ = nullptr;
  SetActive(false);
  PictureCache::PushPool();
  ForEachMapPool([] { PictureCache::ClearMarks(); });
  PictureCache::PopPool();
}

void MapLocation::OnClick() {
  if (!IsActive()) return;
  int32_t mouseX = 0, mouseY = 0, buttons = 0;
  Input::GetMouse(&mouseX, &mouseY, &buttons);
  const std::string name = GetName();
  const uint64_t generation = map_ != nullptr ? map_->Generation() : 0;
  const bool onPanel = HasInterface() && layout_ != nullptr && StatusPanelMaskHitTest(mouseX, mouseY);

  if (!onPanel && map_ != nullptr && Input::WasClicked()) {
    // The spots lie in map pixels: the pointer less the view's corner plus the scroll.
    const Bounds& rect = map_->ViewRect();
    const SceneView* view = GetSceneView();
    const int32_t x = mouseX - rect.x + (view != nullptr ? view->ScrollX() : map_->ScrollX());
    const int32_t y = mouseY - rect.y + (view != nullptr ? view->ScrollY() : map_->ScrollY());
    if (map_->HitTestSpots(x, y)) {
      Input::ClearClick();
      if (LeftBy(generation, name)) return;
    }
  }

  if (onPanel) {
    if (!Input::WasClicked() || IsGamePaused()) {
      panelArmed_ = true;
    } else if (panelArmed_) {
      const LayoutElement* portrait = layout_->GetElement(kPortraitElement);
      if (portrait != nullptr && portrait->Contains(mouseX, mouseY)) {
        Input::ClearClick();
        CallEventName("MapPortrait");
        if (LeftBy(generation, name) || layout_ == nullptr) return;
      }
      for (int32_t index = kFirstMapButton; index <= kLastMapButton; ++index) {
        const LayoutElement* button = layout_->GetElement(index);
        if (button == nullptr || !button->Contains(mouseX, mouseY)) continue;
        Input::ClearClick();
        char event[24];
        std::snprintf(event, sizeof event, "MapButton%d", static_cast<int>(index - (kFirstMapButton - 1)));
        CallEventName(event);
        return;
      }
    }
  }

  bool ran = shortcuts_ != nullptr && RunFirstUsableSpot(*shortcuts_);
  if (!ran && globalShortcuts_ != 0 && GetGlobalSpotList() != nullptr) ran = RunFirstUsableSpot(*GetGlobalSpotList());
  if (ran && LeftBy(generation, name)) return;

  if (onPanel) {
    // The map does not see what happens on the panel.
    Input::ClearClick();
    Input::IdleButtons();
  } else {
    panelArmed_ = false;
  }
  if (map_ != nullptr) {
    map_->Update();
    if (LeftBy(generation, name)) return;
  }
  if (onPanel) {
    Input::IdleButtons();
    Input::OnLeftButton(mouseX, mouseY, buttons);
  }
  Input::ClearClick();
  Input::ClearDoubleClick();
}

void MapLocation::Draw() {
  if (!IsActive()) return;
  if (map_ != nullptr) map_->Draw();
  if (HasInterface() && layout_ != nullptr) RefreshStatusPanelTexts(*layout_);
}
