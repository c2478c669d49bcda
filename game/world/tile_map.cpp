// The tile map: the current map and its generation, construction and destruction, building a map from its file
// under the progress dialog, the resident-picture passes, the layers, the sprite lists and the focus.
// Characters, objects and occupancy are in tile_map_occupancy.cpp.
#include "game/world/tile_map.h"

#include <algorithm>

#include "game/dialogs/progress_dialog.h"
#include "game/graphics/animation_set.h"
#include "game/graphics/bitmap.h"
#include "game/rules/character.h"
#include "game/rules/game_state.h"
#include "game/rules/item_record.h"
#include "game/rules/npc_definition.h"
#include "game/rules/script_event.h"
#include "game/rules/spell_record.h"
#include "game/shell/data/data_paths.h"
#include "game/shell/main_loop.h"
#include "game/shell/record_lists.h"
#include "game/world/explored_mask.h"
#include "game/world/map_file.h"
#include "game/world/map_item.h"
#include "game/world/scene_view.h"
#include "game/world/sprite.h"
#include "game/world/world_numbers.h"
#include "game/world/world_services.h"

namespace {

constexpr int32_t kGroundLayerMode = 0;
constexpr int32_t kMapLayerMode = SceneLayer::kMapMode;
constexpr int32_t kGroundSteps = 4;
constexpr int32_t kDataSteps = 12;
constexpr int32_t kStampSteps = 4;
// Music and movies get their idle time after every fourth column and every fourth sprite.
constexpr int32_t kIdleEvery = 4;
constexpr const char* kLocalPrefix = "Local:";
constexpr size_t kLocalPrefixLength = 6;

struct MapGlobals {
  TileMap* current = nullptr;
  uint64_t generation = 0;
  int32_t pendingExit = kNoExit;
};

MapGlobals& Globals() {
  // Never destroyed: a shut-down signal may end the process while the loop still runs.
  static auto* globals = new MapGlobals;
  return *globals;
}

// A progress dialog of its own for one piece of loading, current while it lives.
class LoadProgress {
 public:
  LoadProgress() : dialog_(std::make_unique<ProgressDialog>()) { ProgressDialog::SetCurrent(dialog_.get()); }
  ~LoadProgress() {
    ProgressDialog::SetCurrent(nullptr);
    dialog_.reset();
  }
  LoadProgress(const LoadProgress&) = delete;
  LoadProgress& operator=(const LoadProgress&) = delete;

  // Begins a phase and steps the bar, each refreshing the view; not 0 when the game is ending.
  int32_t Phase(const std::string& label, int32_t steps) { return Ending(dialog_->BeginPhase(label, steps)); }
  static int32_t Step() { return Ending(ProgressDialog::StepCurrent()); }

 private:
  // A step too small to show does not refresh the view: the run state tells the ending all the same.
  static int32_t Ending(int32_t result) {
    if (result == 0 && (GetRunState() & kRunRunning) == 0) result = -1;
    return result;
  }

  std::unique_ptr<ProgressDialog> dialog_;
};

template <typename T>
void EraseValue(std::vector<T*>& list, const T* value) {
  list.erase(std::remove(list.begin(), list.end(), value), list.end());
}

// Drops from an owner list the sprites that are no longer wanted, after the map has forgotten them.
template <typename Forget>
void DeleteFinished(std::vector<std::unique_ptr<Sprite>>& owned, Forget forget) {
  for (auto& sprite : owned) {
    if (sprite->GetPictureRef() == nullptr) {
      forget(sprite.get());
      sprite.reset();
    }
  }
  owned.erase(std::remove(owned.begin(), owned.end(), nullptr), owned.end());
}

}  // namespace

SceneLayer* MapLayerRecord::Layer() const {
  SceneView* view = GetSceneView();
  if (!valid || view == nullptr) return nullptr;
  return view->FindLayer(serial).Layer();
}

int32_t GetPendingExit() { return Globals().pendingExit; }
void SetPendingExit(int32_t exit) { Globals().pendingExit = exit; }

TileMap* GetCurrentTileMap() { return Globals().current; }

bool IsCurrentMap(uint64_t generation) {
  return Globals().current != nullptr && Globals().current->Generation() == generation;
}

// ---- Construction and destruction ----

TileMap::TileMap(DataStream& stream) : NamedRecord(stream), generation_(++Globals().generation) {
  Globals().current = this;
}

TileMap::~TileMap() {
  RemoveAllSprites();
  DropFinishedSprites();
  PathFinder::FreeLists();
  if (Character* player = PeekCurrentCharacter()) {
    player->SetPath(nullptr);
    if (player->sprite != nullptr) player->sprite->Detach();
    // What the player aimed at belongs to this map.
    if (std::any_of(characters_.begin(), characters_.end(), [&](const auto& c) { return c.get() == player->target; }) ||
        std::any_of(removed_.begin(), removed_.end(), [&](const auto& c) { return c.get() == player->target; })) {
      player->target = nullptr;
    }
    player->targetObject = nullptr;
  }
  engaged_.clear();
  animated_.clear();
  animated2_.clear();
  mapAnimations_.clear();
  overlay_.clear();
  blocking_.clear();
  Sprite::NotePlacementChange();
  eventSpots_.clear();
  focus_ = nullptr;
  hoveredCharacter = nullptr;
  hoveredObject = nullptr;
  for (auto& list : layerSprites_) list.clear();
  characters_.clear();
  removed_.clear();
  objects_.clear();
  fileSprites_.clear();
  effects_.clear();
  travelling_.clear();
  released_.clear();
  if (SceneView* view = GetSceneView()) {
    auto remove = [&](const MapLayerRecord& record) {
      if (record.valid) view->RemoveLayer(view->FindLayer(record.serial));
    };
    remove(ground_);
    for (const MapLayerRecord& record : layers_) remove(record);
    remove(top_);
  }
  grid_.clear();
  gridHolds_.clear();
  stamps_.clear();
  cellEvents_.clear();
  events_.clear();
  if (Globals().current == this) Globals().current = nullptr;
}

// ---- Reading ----

int32_t TileMap::Load(DataStream& stream) {
  MapFileData data;
  const MapFileError error = ParseMapFile(stream, &data);
  if (error != MapFileError::kNone) return static_cast<int32_t>(error);
  return Load(std::move(data));
}

int32_t TileMap::Load(MapFileData data) {
  // Pictures cached by the records are dropped: they are made again when next needed, in the map's pools.
  for (const auto& item : ItemList()) item->SetPicture(nullptr);
  for (const auto& spell : SpellList()) spell->SetAnimation(nullptr);
  if (Character* player = PeekCurrentCharacter()) {
    for (const auto& item : player->inventory) item->SetPicture(nullptr);
  }
  LoadProgress progress;
  const int32_t groundCount = static_cast<int32_t>(data.groundPictures.size());
  if (groundCount != 0) {
    if (int32_t result = progress.Phase("Loading ground", kGroundSteps); result != 0) return result;
  }
  std::vector<Bitmap*> ground;
  if (int32_t result = LoadGround(data, &ground); result != 0) return result;
  if (int32_t result = progress.Phase("Loading data", kDataSteps); result != 0) return result;
  format_ = data.format;
  width_ = data.width;
  height_ = data.height;
  cellWidth_ = data.cellWidth;
  cellHeight_ = data.cellHeight;

  // Each stage ends with a step of the bar; a step that reports the game ending stops the reading there.
  int32_t result = 0;
  auto stage = [&](auto&& work) {
    if (result != 0) return;
    work();
    result = LoadProgress::Step();
  };
  std::vector<std::pair<size_t, std::string>> locals;
  stage([&] {
    for (const std::string& name : data.stampPictures) {
      auto stamp = std::make_unique<PictureRef>();
      if (!name.empty()) {
        std::string path;
        StampPicturePath(path, name);
        stamp->SetNameLazy(path);
      }
      stamps_.push_back(std::move(stamp));
    }
  });
  stage([&] { BuildCells(data, &locals); });
  // The layers, bottom first: those beneath the characters (up to a record flagged as the last of them, and at
  // most all but one), the characters' layer (no record), the middle layer (the next record), the objects' layer
  // (no record), and the rest above.
  size_t record = 0;
  const size_t records = data.layers.size();
  stage([&] {
    MakeLayer(kGroundLayerMode, nullptr);
    ground_ = layers_.back();
    layers_.pop_back();
    layerSprites_.pop_back();
    while (record + 1 < records) {
      const MapFileLayer& lower = data.layers[record++];
      MakeLayer(kMapLayerMode, &lower);
      if (lower.lastLower != 0) break;
    }
  });
  stage([&] {
    characterLayer_ = LayerCount();
    MakeLayer(kMapLayerMode, nullptr);
    middleLayer_ = LayerCount();
    MakeLayer(kMapLayerMode, &data.layers[record++]);
  });
  stage([&] {
    objectLayer_ = LayerCount();
    MakeLayer(kMapLayerMode, nullptr);
    while (record < records) MakeLayer(kMapLayerMode, &data.layers[record++]);
    MakeLayer(kMapLayerMode, nullptr);
    top_ = layers_.back();
    layers_.pop_back();
    layerSprites_.pop_back();
  });
  stage([&] { PlaceStamps(); });
  stage([&] {
    for (const CharacterPlacement& placement : data.characters) {
      AddCharacter(FindNpcByName(placement.npcName), placement.column - 1, placement.row - 1, kPlaceAtCell,
                   placement.facing);
    }
  });
  stage([&] {
    events_.reserve(events_.size() + data.events.size());
    for (MapLocalEvent& local : data.events) {
      local.event->SetName(local.name);
      events_.push_back({local.name, true, std::shared_ptr<ScriptEvent>(std::move(local.event))});
    }
  });
  stage([&] { BuildPictureGrid(data, ground); });
  stage([&] { GetExploredMask(GetName(), width_, height_); });
  stage([&] {
    for (const ItemPlacement& placement : data.items) {
      AddItem(FindItemByName(placement.itemName), placement.column - 1, placement.row - 1, placement.facing,
              placement.identifier, false);
    }
  });
  stage([&] {
    // A cell naming "Local:" and a name takes the map's local event of exactly that name, or none. Only local
    // events are looked at: the copies of global events have empty names, and "Local:" with nothing after it
    // would otherwise take whichever global event some other cell named first.
    for (const auto& local : locals) {
      const std::string& name = local.second;
      auto found = std::find_if(events_.begin(), events_.end(),
                                [&](const MapEvent& event) { return event.local && event.name == name; });
      cellEvents_[local.first] = found != events_.end() ? found->event : nullptr;
    }
    collisionSlack_ = cellWidth_ / 2;
    SetLoaded(true);
    SetEncounterInProgress(0);
  });
  return result;
}

int32_t TileMap::LoadGround(const MapFileData& data, std::vector<Bitmap*>* pictures) {
  const int32_t count = static_cast<int32_t>(data.groundPictures.size());
  pictures->assign(static_cast<size_t>(count), nullptr);
  if (count == 0) return 0;
  // The ground pictures go to the second map pool, opaque: the names still used are marked first, so that the
  // purge keeps them.
  if (GetMapPool() != nullptr) PictureCache::SelectPool(GetMapPool());
  const int32_t options = ImageImportOptions;
  ImageImportOptions &= ~kDetectTransparency;
  std::vector<std::string> paths(static_cast<size_t>(count));
  PictureCache::ClearMarks();
  for (int32_t i = 0; i < count; ++i) {
    GroundPicturePath(paths[static_cast<size_t>(i)], data.groundPictures[static_cast<size_t>(i)]);
    PictureCache::Find(paths[static_cast<size_t>(i)].c_str());
  }
  PictureCache::PurgeUnused();
  const int32_t every = count / kGroundSteps;
  int32_t result = 0;
  for (int32_t i = 0; i < count && result == 0; ++i) {
    if (!data.groundPictures[static_cast<size_t>(i)].empty()) {
      (*pictures)[static_cast<size_t>(i)] = PictureCache::Load(paths[static_cast<size_t>(i)].c_str());
    }
    if (every > 0 && i % every == 0) result = LoadProgress::Step();
  }
  if (GetGamePool() != nullptr) PictureCache::SelectPool(GetGamePool());
  ImageImportOptions = options;
  return result;
}

void TileMap::BuildCells(const MapFileData& data, std::vector<std::pair<size_t, std::string>>* locals) {
  const size_t cells = static_cast<size_t>(width_) * static_cast<size_t>(height_);
  free_.assign(cells, 0);
  cellEvents_.assign(cells, nullptr);
  size_t index = 0;
  int64_t idledColumn = -1;
  for (const MapCellRun& run : data.cellRuns) {
    // The run's cells share one copy of a global event (a copy for each cell would take memory by the file's
    // counts, millions of events for one run of a large map); a local name is looked up once the map is read.
    std::shared_ptr<ScriptEvent> event;
    std::string localName;
    const bool local = run.eventText.find(kLocalPrefix) != std::string::npos;
    if (local) {
      localName = run.eventText.substr(kLocalPrefixLength);
    } else if (!run.eventText.empty()) {
      if (std::unique_ptr<ScriptEvent> loaded = LoadEvent(run.eventText)) {
        loaded->SetName("");
        event = std::move(loaded);
        events_.push_back({"", false, event});
      }
    }
    for (int64_t k = 0; k <= run.repeat && index < cells; ++k, ++index) {
      free_[index] = run.walk != 0 ? 1 : 0;
      cellEvents_[index] = event;
      if (local) locals->emplace_back(index, localName);
      const int64_t column = static_cast<int64_t>(index) / height_;
      if (column != idledColumn && column % kIdleEvery == 0) {
        idledColumn = column;
        MediaIdle();
      }
    }
  }
}

void TileMap::MakeLayer(int32_t mode, const MapFileLayer* record) {
  MapLayerRecord layer;
  if (SceneView* view = GetSceneView()) {
    const LayerRef made = view->AddDefaultLayer(mode);
    if (made.made) layer = MapLayerRecord{true, made.Layer()->Serial()};
  }
  layers_.push_back(layer);
  layerSprites_.emplace_back();
  if (record == nullptr) return;
  int32_t count = 0;
  for (const MapFileSprite& read : record->sprites) {
    auto sprite = std::make_unique<Sprite>();
    sprite->SetPosition(read.x, read.y);
    sprite->stampIndex = read.stampIndex;
    sprite->texts[kSpritePictureText] = read.name;
    layerSprites_.back().push_back(sprite.get());
    fileSprites_.push_back(std::move(sprite));
    if (count++ % kIdleEvery == 0) MediaIdle();
  }
}

void TileMap::PlaceStamps() {
  for (auto& list : layerSprites_) {
    for (Sprite* sprite : list) {
      // A stamp number outside the stamps gives no picture.
      if (sprite->GetPictureRef() == nullptr && sprite->stampIndex >= 1 && sprite->stampIndex <= StampCount()) {
        sprite->SetPicture(stamps_[static_cast<size_t>(sprite->stampIndex - 1)].get(), false);
      }
      // A sprite's collision radius is known once it has its picture, so the sprites of the file join the blocking
      // list here: every one of them is read without a picture of its own, and looked at as it was read none
      // would ever block, so that figures would walk through the map's blocking pictures.
      AddBlocking(sprite);
      if (sprite->HasAnimation()) {
        sprite->StartAction(0, 0, 0, 0, 0, 1);
        mapAnimations_.push_back(sprite);
      }
    }
  }
}

void TileMap::BuildPictureGrid(const MapFileData& data, const std::vector<Bitmap*>& ground) {
  if (!data.hasPictureGrid) {
    gridWidth_ = width_;
    gridHeight_ = height_;
    gridCellWidth_ = cellWidth_;
    gridCellHeight_ = cellHeight_;
    grid_.assign(static_cast<size_t>(gridWidth_) * static_cast<size_t>(gridHeight_), nullptr);
    return;
  }
  gridWidth_ = data.gridWidth;
  gridHeight_ = data.gridHeight;
  gridCellWidth_ = data.gridCellWidth;
  gridCellHeight_ = data.gridCellHeight;
  const size_t cells = static_cast<size_t>(gridWidth_) * static_cast<size_t>(gridHeight_);
  grid_.assign(cells, nullptr);
  std::vector<bool> held(ground.size(), false);
  size_t index = 0;
  for (const MapPictureRun& run : data.pictureRuns) {
    Bitmap* picture = nullptr;
    const size_t number = static_cast<size_t>(run.picture);
    if (run.picture >= 1 && number <= ground.size()) {
      Bitmap* candidate = ground[number - 1];
      const int32_t ready = Bitmap::kSizeValid | Bitmap::kAllocated;
      if (candidate != nullptr && (candidate->state & ready) == ready) picture = candidate;
      // The grid keeps its pictures for as long as the map lives, whatever purges the pool meanwhile.
      if (picture != nullptr && !held[number - 1]) {
        held[number - 1] = true;
        gridHolds_.emplace_back(picture);
      }
    }
    for (int64_t k = 0; k <= run.repeat && index < cells; ++k, ++index) {
      // Runs go column by column; the grid is kept row by row.
      const size_t column = index / static_cast<size_t>(gridHeight_);
      const size_t row = index % static_cast<size_t>(gridHeight_);
      grid_[row * static_cast<size_t>(gridWidth_) + column] = picture;
    }
  }
}

Bitmap* TileMap::GridPicture(int32_t column, int32_t row) const {
  if (column < 0 || row < 0 || column >= gridWidth_ || row >= gridHeight_) return nullptr;
  return grid_[static_cast<size_t>(row) * static_cast<size_t>(gridWidth_) + static_cast<size_t>(column)];
}

void TileMap::LoadStamps() {
  LoadProgress progress;
  if (progress.Phase("Loading stamps", kStampSteps) != 0) return;
  const int32_t count = StampCount();
  const int32_t every = count / kStampSteps;
  for (int32_t i = 0; i < count; ++i) {
    stamps_[static_cast<size_t>(i)]->GetPicture();
    if (every > 0 && i % every == 0 && LoadProgress::Step() != 0) return;
    MediaIdle();
  }
}

void TileMap::LoadCharacters() {
  LoadProgress progress;
  if (progress.Phase("Loading characters", CharacterCount() + 1) != 0) return;
  auto load = [](Character* character) {
    if (character != nullptr && character->sprite != nullptr && character->sprite->GetPictureRef() != nullptr) {
      character->sprite->GetPictureRef()->GetPicture();
    }
    const int32_t result = LoadProgress::Step();
    MediaIdle();
    return result;
  };
  if (load(PeekCurrentCharacter()) != 0) return;
  // A step may run the game's events: the list is walked by index.
  for (size_t i = 0; i < characters_.size(); ++i) {
    if (load(characters_[i].get()) != 0) return;
  }
}

void TileMap::LoadItems() {
  LoadProgress progress;
  if (progress.Phase("Loading items", static_cast<int32_t>(objects_.size())) != 0) return;
  for (size_t i = 0; i < objects_.size(); ++i) {
    Sprite* sprite = objects_[i]->sprite.get();
    if (sprite != nullptr && sprite->GetPictureRef() != nullptr) sprite->GetPictureRef()->GetPicture();
    if (LoadProgress::Step() != 0) return;
    MediaIdle();
  }
}

// ---- Cells ----

Point TileMap::CellCenter(int32_t column, int32_t row) const {
  const int64_t x = int64_t{column} * cellWidth_ + cellWidth_ / 2;
  const int64_t y = int64_t{row} * cellHeight_ + cellHeight_ / 2;
  return Point{static_cast<int32_t>(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX)),
               static_cast<int32_t>(std::clamp<int64_t>(y, INT32_MIN, INT32_MAX))};
}

Point TileMap::CellAt(int32_t x, int32_t y) const {
  auto floorDivide = [](int64_t value, int64_t size) -> int32_t {
    return size > 0 ? static_cast<int32_t>(FloorDivide(value, size)) : 0;
  };
  return Point{floorDivide(x, cellWidth_), floorDivide(y, cellHeight_)};
}

uint8_t TileMap::GetCellFlag(int32_t x, int32_t y) const { return IsInside(x, y) ? free_[CellIndex(x, y)] : 0; }

void TileMap::SetCellFlag(int32_t x, int32_t y, uint8_t value) {
  if (IsInside(x, y)) free_[CellIndex(x, y)] = value;
}

ScriptEvent* TileMap::GetCellEvent(int32_t x, int32_t y) const {
  return IsInside(x, y) ? cellEvents_[CellIndex(x, y)].get() : nullptr;
}

void TileMap::SetCellObject(int32_t x, int32_t y, std::unique_ptr<ScriptEvent> event) {
  // The old event goes once no other cell shares it.
  if (IsInside(x, y)) cellEvents_[CellIndex(x, y)] = std::shared_ptr<ScriptEvent>(std::move(event));
}

ScriptEvent* TileMap::EventAt(int32_t index) const { return events_[static_cast<size_t>(index)].event.get(); }
const std::string& TileMap::EventNameAt(int32_t index) const { return events_[static_cast<size_t>(index)].name; }

// ---- Layers ----

const MapLayerRecord& TileMap::ItemSlot() const {
  static const MapLayerRecord none;
  return middleLayer_ < LayerCount() ? layers_[static_cast<size_t>(middleLayer_)] : none;
}

void TileMap::RegisterLayers() {
  SceneView* view = GetSceneView();
  if (view == nullptr) return;
  view->PushLayer();
  auto use = [&](const MapLayerRecord& record) {
    if (SceneLayer* layer = record.Layer()) {
      view->SetCurrentLayer(layer);
      layer->SetVisible(true);
    }
  };
  use(ground_);
  for (const MapLayerRecord& record : layers_) use(record);
  use(top_);
  view->PopLayer();
}

const std::string& TileMap::EdgeExit(int32_t exit) const {
  static const std::string none;
  return exit >= 0 && exit < 4 ? edgeExits_[static_cast<size_t>(exit)] : none;
}

// ---- Sprites ----

void TileMap::ForgetSprite(const Sprite* sprite) {
  if (sprite == nullptr) return;
  for (auto& list : layerSprites_) EraseValue(list, sprite);
  for (auto* list : {&animated_, &animated2_, &mapAnimations_, &overlay_, &eventSpots_}) EraseValue(*list, sprite);
  RemoveBlocking(sprite);
  if (focus_ == sprite) focus_ = nullptr;
}

Sprite* TileMap::AddPictureSprite(const std::string& pictureName, int32_t x, int32_t y,
                                  const std::string& spriteName, int32_t layer, const std::string& eventName) {
  ImageImportOptions |= kDetectTransparency;
  auto sprite = std::make_unique<Sprite>();
  std::string path;
  PicturePath(path, pictureName);
  sprite->SetPicture(new PictureRef(path), true);
  sprite->texts[kSpriteNameText] = spriteName;
  sprite->texts[kSpritePictureText] = pictureName;
  sprite->texts[kSpriteEventText] = eventName;
  sprite->SetPosition(x, y);
  Sprite* added = sprite.get();
  if (!eventName.empty()) eventSpots_.push_back(added);
  if (layer == 0) {
    overlay_.push_back(added);
  } else if (layer == -1) {
    if (characterLayer_ < LayerCount()) layerSprites_[static_cast<size_t>(characterLayer_)].push_back(added);
  } else if (objectLayer_ < LayerCount()) {
    layerSprites_[static_cast<size_t>(objectLayer_)].push_back(added);
  }
  added->SetLayer(layer);
  effects_.push_back(std::move(sprite));
  if (added->HasAnimation()) {
    added->StartAction(0, 0, 0, 0, 0, 1);
    added->SetFrame(0, false);
    mapAnimations_.push_back(added);
    AddBlocking(added);
  }
  return added;
}

template <typename Matches>
void TileMap::TakeSpritesOff(Matches matches, bool refocus) {
  std::vector<Sprite*> taken;
  auto collect = [&](const std::vector<Sprite*>& list) {
    for (Sprite* sprite : list) {
      if (matches(sprite->texts[kSpriteNameText]) && std::find(taken.begin(), taken.end(), sprite) == taken.end()) {
        taken.push_back(sprite);
      }
    }
  };
  collect(mapAnimations_);
  if (characterLayer_ < LayerCount()) collect(layerSprites_[static_cast<size_t>(characterLayer_)]);
  if (objectLayer_ < LayerCount()) collect(layerSprites_[static_cast<size_t>(objectLayer_)]);
  collect(overlay_);
  for (Sprite* sprite : taken) {
    sprite->SetPicture(nullptr, false);
    RemoveBlocking(sprite);
    EraseValue(eventSpots_, sprite);
    if (refocus && focus_ == sprite) FocusPlayer(1);
  }
}

void TileMap::RemoveAllSprites() {
  TakeSpritesOff([](const std::string& own) { return !own.empty(); }, false);
}

void TileMap::RemoveSpritesNamed(const std::string& name) {
  TakeSpritesOff([&](const std::string& own) { return own == name; }, true);
}

void TileMap::UnlinkSprite(Sprite* sprite) { RemoveBlocking(sprite); }

void TileMap::AddBlocking(Sprite* sprite) {
  if (sprite->GetCollisionRadius() == 0) return;
  blocking_.push_back(sprite);
  Sprite::NotePlacementChange();
}

void TileMap::RemoveBlocking(const Sprite* sprite) {
  EraseValue(blocking_, sprite);
  Sprite::NotePlacementChange();
}

void TileMap::UnlinkSprite(std::unique_ptr<Sprite> sprite) {
  if (sprite == nullptr) return;
  UnlinkSprite(sprite.get());
  released_.push_back(std::move(sprite));
}

void TileMap::RemoveEventSpot(Sprite* sprite) { EraseValue(eventSpots_, sprite); }

void TileMap::DropFinishedSprites() {
  auto finished = [](const Sprite* sprite) { return sprite->GetPictureRef() == nullptr; };
  auto drop = [&](std::vector<Sprite*>& list) {
    for (Sprite* sprite : list) {
      if (finished(sprite)) sprite->Detach();
    }
    list.erase(std::remove_if(list.begin(), list.end(), finished), list.end());
  };
  for (auto& list : layerSprites_) drop(list);
  for (auto* list : {&mapAnimations_, &overlay_, &animated_, &animated2_}) drop(*list);
  // The sprites the map owns go with their pictures: those of the file's layers, the effects, and those the
  // characters left behind.
  auto forget = [&](const Sprite* sprite) { ForgetSprite(sprite); };
  DeleteFinished(fileSprites_, forget);
  DeleteFinished(effects_, forget);
  DeleteFinished(released_, forget);
}

// ---- Focus ----

void TileMap::FocusPlayer(int32_t turns) {
  const Character* player = PeekCurrentCharacter();
  focus_ = player != nullptr ? player->sprite.get() : nullptr;
  focusTurns_ = std::max(turns, 1);
  focusOnCentre_ = true;
  SetFrameSkipAllowed(true);
}

void TileMap::SetFocus(Sprite* sprite, int32_t turns, bool onCentre) {
  focus_ = sprite;
  focusTurns_ = std::max(turns, 1);
  focusOnCentre_ = onCentre;
  SetFrameSkipAllowed(false);
}

bool TileMap::HasFocusOverride() const {
  const Character* player = PeekCurrentCharacter();
  const Sprite* own = player != nullptr ? player->sprite.get() : nullptr;
  return focusTurns_ > 1 || (focus_ != nullptr && focus_ != own);
}

void TileMap::GetFocusPosition(int32_t* x, int32_t* y) const {
  const Sprite* sprite = focus_;
  bool centre = focusOnCentre_;
  if (sprite == nullptr) {
    const Character* player = PeekCurrentCharacter();
    sprite = player != nullptr ? player->sprite.get() : nullptr;
    centre = true;
  }
  *x = *y = 0;
  if (sprite == nullptr) return;
  *x = TruncateToInt32(sprite->PositionX());
  *y = TruncateToInt32(sprite->PositionY());
  if (!centre) return;
  // The middle of the frame shown, or the position itself without one.
  if (const Bitmap* frame = sprite->FramePicture()) {
    *x = TruncateToInt32(sprite->DrawnX()) + frame->width / 2;
    *y = TruncateToInt32(sprite->DrawnY()) + frame->height / 2;
  }
}
