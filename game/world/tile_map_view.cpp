// What a tile map shows and what the pointer can hit on it: event spots, effect and travelling sprites, the view
// rectangle, its centring and the scroll that follows the focus, the picture grid, hover queries and the drawing
// of the map's lists into the game view's layers.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "game/graphics/animation_set.h"
#include "game/graphics/bitmap.h"
#include "game/rules/character.h"
#include "game/rules/script_event.h"
#include "game/shell/input_manager.h"
#include "game/world/map_item.h"
#include "game/world/scene_view.h"
#include "game/world/sprite.h"
#include "game/world/tile_map.h"
#include "game/world/world_numbers.h"
#include "game/world/world_services.h"

namespace {

// The scroll that means "none applied yet": the next focus update moves the view whatever it computes.
constexpr int32_t kNoScroll = 0x7fff;
constexpr const char* kPassOnEvent = ":";

struct UnderUpdate {
  TileMap* map = nullptr;
  uint64_t generation = 0;
};

UnderUpdate& MapUnderUpdate() {
  static UnderUpdate value;
  return value;
}

// The rectangle the pointer finds a sprite in: from its position (whole pixels), not from the corner its frame is
// drawn at, with the size of its current picture or frame; empty without a picture. The event spots are hit the
// same way.
Bounds HoverRect(const Sprite& sprite) {
  const Bitmap* picture = sprite.FramePicture();
  if (picture == nullptr) return Bounds{};
  return Bounds{TruncateToInt32(sprite.PositionX()), TruncateToInt32(sprite.PositionY()), picture->width,
                picture->height};
}

// Whether a picture rectangle (in view pixels) meets the square of the radius around the point, or holds the
// point (edges included) for radius 0.
bool Meets(const Bounds& rect, int32_t x, int32_t y, int32_t radius) {
  if (rect.width <= 0 || rect.height <= 0) return false;
  if (radius >= 1) return rect.Intersects(Bounds{x - radius, y - radius, 2 * radius, 2 * radius});
  return int64_t{x} >= rect.x && int64_t{x} <= int64_t{rect.x} + rect.width && int64_t{y} >= rect.y &&
         int64_t{y} <= int64_t{rect.y} + rect.height;
}

// One bound of the first visible cell along an axis: the player's cell less half the view's cells, kept so that
// the view does not pass the map's far edge.
int32_t OriginAlong(int32_t viewPixels, int32_t cellPixels, int32_t cells, int32_t player) {
  if (cellPixels <= 0) return 0;
  const int32_t viewCells = viewPixels / cellPixels;
  const int32_t c = viewCells / 2;
  int32_t origin = 0;
  if (player <= c) {
    origin = 0;
  } else if (player > cells - c - 1) {
    origin = viewPixels % cellPixels == 0 ? cells - 2 * c : cells - 2 * c - 1;
    if (viewCells % 2 != 0) origin -= 1;
  } else {
    origin = player - c;
  }
  return std::max(origin, 0);
}

}  // namespace

void SetMapUnderUpdate(TileMap* map) {
  MapUnderUpdate().map = map;
  MapUnderUpdate().generation = map != nullptr ? map->Generation() : 0;
}

TileMap* GetMapUnderUpdate() {
  const UnderUpdate& value = MapUnderUpdate();
  // A map deleted since is not handed out: only the current map can have that number.
  return value.map != nullptr && IsCurrentMap(value.generation) ? value.map : nullptr;
}

// ---- Event spots and effects ----

bool TileMap::HitTestSpots(int32_t x, int32_t y) {
  for (const Sprite* spot : eventSpots_) {
    const Bitmap* picture = spot->FramePicture();
    if (picture == nullptr) continue;
    const int64_t x0 = TruncateToInt32(spot->PositionX()), y0 = TruncateToInt32(spot->PositionY());
    if (x < x0 || x > x0 + picture->width || y < y0 || y > y0 + picture->height) continue;
    const std::string& event = spot->texts[kSpriteEventText];
    if (event.empty() || event == kPassOnEvent) continue;
    // The event may leave the map: nothing of it is touched afterwards.
    const std::string name = event;
    Input::ClearClick();
    CallEventName(name);
    return true;
  }
  return false;
}

Sprite* TileMap::AddAnimationSprite(PictureRef* picture, int32_t x, int32_t y, int32_t linger) {
  if (picture == nullptr || (picture->Still() == nullptr && picture->Set() == nullptr)) return nullptr;
  auto sprite = std::make_unique<Sprite>();
  sprite->SetPicture(picture, false);
  sprite->SetPosition(x, y);
  sprite->StartAction(0.0f, 0.0f, 0.0f, 0.0f, 0, 1);
  sprite->lingerCount = static_cast<int16_t>(std::clamp(linger, 0, int32_t{INT16_MAX}));
  travelling_.push_back(std::move(sprite));
  return travelling_.back().get();
}

namespace {

// The way of a travelling effect: its step in each axis at `speed` pixels a tick (below 1 counts as 1) and its
// bearing in degrees, clockwise from up.
struct Heading {
  double stepX = 0, stepY = 0, bearing = 0;
};

Heading HeadingOf(double dx, double dy, int32_t speed) {
  const double t = std::atan2(std::fabs(dy), std::fabs(dx));
  const double pace = speed <= 0 ? 1.0 : speed;
  const double degrees = t * 180.0 / std::numbers::pi;
  if (dx >= 0 && dy >= 0) return {pace * std::cos(t), pace * std::sin(t), degrees + 90.0};
  if (dx >= 0 && dy <= 0) return {pace * std::cos(t), -pace * std::sin(t), std::fabs(degrees - 90.0)};
  if (dx <= 0 && dy <= 0) return {-pace * std::cos(t), -pace * std::sin(t), degrees + 270.0};
  return {-pace * std::cos(t), pace * std::sin(t), std::fabs(degrees - 90.0) + 180.0};
}

}  // namespace

Sprite* TileMap::LaunchEffect(PictureRef* picture, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t speed,
                              int32_t range, int32_t missileKind, Character* shooter, const SpellRecord* spell,
                              int32_t damage, int32_t damageKind, int32_t) {
  if (picture == nullptr || (picture->Still() == nullptr && picture->Set() == nullptr)) return nullptr;
  const double bearing = HeadingOf(static_cast<double>(x1) - x0, static_cast<double>(y1) - y0, speed).bearing;

  auto sprite = std::make_unique<Sprite>();
  int32_t facing = 1;
  const AnimationSet* set = picture->Set();
  if (set != nullptr && picture->Still() == nullptr) {
    const Animation* first = set->GetAnimation(0);
    if (first == nullptr || first->frames.empty()) return nullptr;
    if (first->mode == 2) {
      // Frames covering a full turn: the one nearest the bearing, copied into a picture of the sprite's own.
      const int32_t count = first->CommandCount();
      const int32_t n = std::min(static_cast<int32_t>(std::lround(bearing * count / 360.0)), count - 1);
      const AnimationFrame& frame = first->frames[static_cast<size_t>(n)];
      const Bitmap* source = set->Picture(frame.frame - 1);
      if (source == nullptr) return nullptr;
      auto copy = std::make_unique<Bitmap>();
      if (copy->CopyFrom(*source) != 0) return nullptr;
      sprite->SetPicture(new PictureRef(copy.release(), true), true);
      sprite->defaultOffsetX = frame.x;
      sprite->defaultOffsetY = frame.y;
    } else {
      if (first->mode == kAnimationEightFacings) facing = static_cast<int32_t>(std::lround(bearing * 8 / 360.0)) + 1;
      // Four facings share their blocks with their neighbours (1-2 up, 3-4 right, ...): the nearest quarter
      // turn picks the first facing of its block. Counted 1 to 4 as quarter turns, a shot to the right would
      // take facing 2 and show the frames that point up.
      if (first->mode == kAnimationFourFacings) {
        facing = static_cast<int32_t>(std::lround(bearing * 4 / 360.0)) * 2 + 1;
      }
      if (facing < 1 || facing > 8) facing = 1;
      sprite->SetPicture(picture, false);
    }
  } else {
    sprite->SetPicture(picture, false);
  }
  return StartTravelling(std::move(sprite), x0, y0, x1, y1, speed, range, facing,
                         MissileLoad{missileKind, shooter, spell, damage, damageKind});
}

Sprite* TileMap::StartTravelling(std::unique_ptr<Sprite> sprite, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                                 int32_t speed, int32_t range, int32_t facing, const MissileLoad& load) {
  const double dx = static_cast<double>(x1) - x0, dy = static_cast<double>(y1) - y0;
  const Heading heading = HeadingOf(dx, dy, speed);
  const double length = std::sqrt(dx * dx + dy * dy);
  double remainingX = 0, remainingY = 0;
  if (length != 0) {
    remainingX = dx / length * range * cellWidth_;
    remainingY = dy / length * range * cellWidth_;
  }
  sprite->SetPosition(x0, y0);
  sprite->StartAction(static_cast<float>(remainingX), static_cast<float>(remainingY),
                      static_cast<float>(heading.stepX), static_cast<float>(heading.stepY), 0, facing);
  sprite->missileKind = static_cast<int16_t>(load.missileKind);
  sprite->shooter = load.shooter;
  sprite->spellRecord = load.spell;
  sprite->damage = static_cast<int16_t>(load.damage);
  sprite->damageKind = static_cast<int16_t>(load.damageKind);
  travelling_.push_back(std::move(sprite));
  return travelling_.back().get();
}

// Aimed at the figures, whose pictures stand above their cells' centres: from half a cell above the shooter's
// centre to the target's centre, or half a cell above it when it stands near.
void TileMap::CellLine(int32_t column0, int32_t row0, int32_t column1, int32_t row1, Point* from, Point* to) const {
  *from = CellCenter(column0, row0);
  *to = CellCenter(column1, row1);
  const int32_t half = cellHeight_ / 2;
  from->y -= 2 * half;
  if (std::abs(int64_t{row1} - row0) <= 1) to->y -= half;
}

Sprite* TileMap::LaunchEffectBetweenCells(PictureRef* picture, int32_t column0, int32_t row0, int32_t column1,
                                          int32_t row1, int32_t speed, int32_t range, int32_t missileKind,
                                          Character* shooter, const SpellRecord* spell, int32_t damage,
                                          int32_t damageKind, int32_t unused) {
  Point from, to;
  CellLine(column0, row0, column1, row1, &from, &to);
  return LaunchEffect(picture, from.x, from.y, to.x, to.y, speed, range, missileKind, shooter, spell, damage,
                      damageKind, unused);
}

Sprite* TileMap::LaunchUnseenEffectBetweenCells(int32_t column0, int32_t row0, int32_t column1, int32_t row1,
                                                int32_t speed, int32_t range, const MissileLoad& load) {
  Point from, to;
  CellLine(column0, row0, column1, row1, &from, &to);
  return StartTravelling(std::make_unique<Sprite>(), from.x, from.y, to.x, to.y, speed, range, 1, load);
}

// ---- The view ----

void TileMap::SetView(const Bounds& rect) {
  if (SceneView* view = GetSceneView()) view->SetScreenRect(rect);
  viewRect_ = rect;
  CenterView();
}

void TileMap::CenterView() {
  appliedScrollX_ = appliedScrollY_ = kNoScroll;
  const Character* player = PeekCurrentCharacter();
  const int32_t column = player != nullptr ? player->x : 0;
  const int32_t row = player != nullptr ? player->y : 0;
  originColumn_ = OriginAlong(viewRect_.width, cellWidth_, width_, column);
  originRow_ = OriginAlong(viewRect_.height, cellHeight_, height_, row);
  focus_ = nullptr;
  UpdateFocus();
  drawFlag_ = true;
}

void TileMap::UpdateFocus() {
  Character* player = PeekCurrentCharacter();
  Sprite* own = player != nullptr ? player->sprite.get() : nullptr;
  if (focus_ == nullptr) {
    focus_ = own;
    focusTurns_ = 1;
    focusOnCentre_ = true;
  }
  int32_t x = 0, y = 0;
  GetFocusPosition(&x, &y);
  // The scroll stops one pixel short of the map's far edge (the map's size less the view's, less 1) and never
  // goes below 0, on maps smaller than the view too.
  const int64_t maxX = std::max<int64_t>(0, int64_t{width_} * cellWidth_ - viewRect_.width - 1);
  const int64_t maxY = std::max<int64_t>(0, int64_t{height_} * cellHeight_ - viewRect_.height - 1);
  const int64_t wantedX = std::clamp<int64_t>(int64_t{x} - viewRect_.width / 2, 0, maxX);
  const int64_t wantedY = std::clamp<int64_t>(int64_t{y} - viewRect_.height / 2, 0, maxY);
  const int32_t turns = std::max(focusTurns_, 1);
  scrollX_ = static_cast<int32_t>(std::clamp<int64_t>(scrollX_ + (wantedX - scrollX_) / turns, 0, maxX));
  scrollY_ = static_cast<int32_t>(std::clamp<int64_t>(scrollY_ + (wantedY - scrollY_) / turns, 0, maxY));
  if (focus_ != nullptr && focus_ == own && std::llabs(wantedX - scrollX_) < turns &&
      std::llabs(wantedY - scrollY_) < turns) {
    focusTurns_ = 1;
  }
  if (focusTurns_ == 1 && focusRelease_ != 0) {
    if (player != nullptr) player->SetFlags(player->GetFlags() & ~kCharacterHeld);
    focusRelease_ = 0;
  }
  if (scrollX_ != appliedScrollX_ || scrollY_ != appliedScrollY_) {
    drawFlag_ = true;
    appliedScrollX_ = scrollX_;
    appliedScrollY_ = scrollY_;
    if (SceneView* view = GetSceneView()) view->SetCamera(scrollX_, scrollY_);
  }
}

// ---- The picture grid ----

void TileMap::SetPictureRect(int32_t column0, int32_t row0, int32_t column1, int32_t row1, Bitmap* bitmap) {
  if (grid_.empty()) return;
  // The grid holds what it shows, so that no purge of the picture pools frees it under the map (it would then
  // draw freed memory), and the rectangle is cut to the grid: cells past it do not exist.
  if (bitmap != nullptr) gridHolds_.emplace_back(bitmap);
  const int32_t firstColumn = std::max(column0, 0), lastColumn = std::min(column1, gridWidth_ - 1);
  const int32_t firstRow = std::max(row0, 0), lastRow = std::min(row1, gridHeight_ - 1);
  for (int32_t row = firstRow; row <= lastRow; ++row) {
    for (int32_t column = firstColumn; column <= lastColumn; ++column) {
      grid_[static_cast<size_t>(row) * static_cast<size_t>(gridWidth_) + static_cast<size_t>(column)] = bitmap;
    }
  }
}

void TileMap::DrawPictureGrid() {
  SceneView* view = GetSceneView();
  SceneLayer* layer = ground_.Layer();
  if (view == nullptr || layer == nullptr) return;
  view->SetCurrentLayer(layer);
  layer->Clear();
  for (int32_t row = 0; row < gridHeight_; ++row) {
    for (int32_t column = 0; column < gridWidth_; ++column) {
      Bitmap* picture = GridPicture(column, row);
      if (picture == nullptr) continue;
      view->SetCurrentLayerImage(picture);
      layer->PlaceImage(column * gridCellWidth_, row * gridCellHeight_);
    }
  }
}

// ---- Hover ----

Character* TileMap::FindCharacterNear(int32_t x, int32_t y, int32_t radius) const {
  const SceneView* view = GetSceneView();
  const int32_t scrollX = view != nullptr ? view->ScrollX() : 0, scrollY = view != nullptr ? view->ScrollY() : 0;
  for (const auto& character : characters_) {
    if (character->sprite == nullptr) continue;
    Bounds rect = HoverRect(*character->sprite);
    rect.x -= scrollX;
    rect.y -= scrollY;
    if (Meets(rect, x, y, radius)) return character.get();
  }
  return nullptr;
}

MapItem* TileMap::FindObjectNear(int32_t x, int32_t y, int32_t radius) const {
  const SceneView* view = GetSceneView();
  const int32_t scrollX = view != nullptr ? view->ScrollX() : 0, scrollY = view != nullptr ? view->ScrollY() : 0;
  for (const auto& object : objects_) {
    if (object->opened != 0 || object->sprite == nullptr) continue;
    Bounds rect = HoverRect(*object->sprite);
    rect.x -= scrollX;
    rect.y -= scrollY;
    if (Meets(rect, x, y, radius)) return object.get();
  }
  return nullptr;
}

MapItem* TileMap::FindNearestObject(const Character& character, int32_t distance) const {
  MapItem* nearest = nullptr;
  int64_t best = int64_t{distance} + 1;
  for (const auto& object : objects_) {
    if (object->opened != 0) continue;
    const int32_t d = character.DistanceToObject(*object);
    if (d < best) {
      best = d;
      nearest = object.get();
    }
  }
  return nearest;
}

// ---- Drawing ----

void TileMap::Draw() {
  SceneView* view = GetSceneView();
  if (!drawFlag_ || frozen_ || view == nullptr) return;
  auto drawList = [](const std::vector<Sprite*>& list) {
    for (Sprite* sprite : list) sprite->Draw();
  };
  auto drawOwned = [](const std::vector<std::unique_ptr<Sprite>>& list) {
    for (const auto& sprite : list) sprite->Draw();
  };
  // Makes the layer current (false when the view no longer has it).
  auto use = [&](int32_t index) {
    if (index < 0 || index >= LayerCount()) return false;
    SceneLayer* layer = layers_[static_cast<size_t>(index)].Layer();
    if (layer == nullptr) return false;
    view->SetCurrentLayer(layer);
    return true;
  };
  for (int32_t index = 0; index < characterLayer_; ++index) {
    if (use(index)) drawList(layerSprites_[static_cast<size_t>(index)]);
  }
  if (use(characterLayer_)) drawList(layerSprites_[static_cast<size_t>(characterLayer_)]);
  // The figures and the effects share the middle layer, above the characters' layer where their rings lie.
  if (use(middleLayer_)) {
    drawList(layerSprites_[static_cast<size_t>(middleLayer_)]);
    drawList(animated2_);
    drawList(animated_);
    drawOwned(travelling_);
    drawList(overlay_);
    const Character* player = PeekCurrentCharacter();
    if (player != nullptr && player->sprite != nullptr) player->sprite->Draw();
  }
  for (int32_t index = objectLayer_; index < LayerCount(); ++index) {
    if (use(index)) drawList(layerSprites_[static_cast<size_t>(index)]);
  }

  // The stamina bars, centred under the figures' frames, on the top layer; a figure without a frame has its bar
  // at its own corner. The bar is measured from the corner the frame is drawn at (the figure's position and its
  // frame's offset), so that it stands under the picture as shown, not off it by the offset.
  if (SceneLayer* top = TopLayer()) {
    view->SetCurrentLayer(top);
    for (const auto& character : characters_) {
      if (character->stamina > 0 && character->staminaBar != nullptr && character->sprite != nullptr) {
        const Bitmap* bar = character->staminaBar->GetBitmap();
        const Bitmap* frame = character->sprite->FramePicture();
        if (bar == nullptr) continue;
        const int32_t dx = frame != nullptr ? (frame->width - bar->width) / 2 : 0;
        const int32_t dy = frame != nullptr ? frame->height : 0;
        character->staminaBar->Place(*top, TruncateToInt32(character->sprite->DrawnX()) + dx,
                                     TruncateToInt32(character->sprite->DrawnY()) + dy);
      }
      if (character.get() != hoveredCharacter && character->ringOverlay != nullptr &&
          character->ringOverlay->IsPlaced()) {
        character->ringOverlay->Erase();
      }
    }
  }
  // The ring of the hovered character on the characters' layer, centred on the bottom-right corner of its figure's
  // frame (a frame width right of the figure's drawn corner and a frame height below it).
  if (hoveredCharacter != nullptr && hoveredCharacter->ringOverlay != nullptr && hoveredCharacter->sprite != nullptr &&
      use(characterLayer_)) {
    const Bitmap* ring = hoveredCharacter->ringOverlay->GetBitmap();
    const Bitmap* frame = hoveredCharacter->sprite->FramePicture();
    if (ring != nullptr && frame != nullptr) {
      const Sprite& figure = *hoveredCharacter->sprite;
      hoveredCharacter->ringOverlay->Place(*view->GetCurrentLayer(),
                                           TruncateToInt32(figure.DrawnX()) + frame->width - ring->width / 2,
                                           TruncateToInt32(figure.DrawnY()) + frame->height - ring->height / 2);
    }
  }
  view->AnimateLayers();
}
