// What a tile map shows and what the pointer hits: the direction helpers, centring, event spots, travelling
// effects, and a writer-made map drawn headless into a 640 x 480 view.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "game/rules/item_record.h"
#include "game/rules/npc_definition.h"
#include "game/shell/data/number_utils.h"
#include "game/world/directions.h"
#include "game/world/map_item.h"
#include "game/world/scene_view.h"
#include "tests/game/world/movement_fixture.h"

namespace {

using namespace movement_test;

TEST(DirectionsTest, AnglesFallIntoTheirSectors) {
  const struct {
    int32_t degrees;
    int32_t direction;
  } cases[] = {{0, 1}, {22, 1}, {23, 2}, {66, 2}, {67, 3}, {180, 5}, {246, 6}, {247, 7}, {338, 8}, {339, 1}, {350, 1}};
  for (const auto& c : cases) {
    // A long vector of that compass angle (0 up, clockwise, y growing downwards).
    const double radians = c.degrees * 3.14159265358979 / 180.0;
    const int32_t dx = static_cast<int32_t>(std::lround(10000 * std::sin(radians)));
    const int32_t dy = static_cast<int32_t>(std::lround(-10000 * std::cos(radians)));
    ASSERT_EQ(VectorAngleDegrees(dx, dy), c.degrees);
    EXPECT_EQ(DirectionFromAngle(100, 100, 100 + dx, 100 + dy), c.direction) << c.degrees;
  }
}

TEST(DirectionsTest, DeltasGiveTheDirectionOfTheirSigns) {
  const struct {
    int32_t x0, y0, x1, y1, direction;
  } cases[] = {{3, 3, 2, 4, 6}, {3, 3, 3, 3, 0}, {3, 3, 3, 1, 1}, {3, 3, 9, 3, 3}, {3, 3, 4, 4, 4},
               {3, 3, 3, 4, 5}, {3, 3, 0, 3, 7}, {3, 3, 2, 2, 8}, {3, 3, 4, 2, 2}};
  for (const auto& c : cases) {
    EXPECT_EQ(DirectionFromDelta(c.x0, c.y0, c.x1, c.y1), c.direction) << c.x1 << "," << c.y1;
  }
}

class TileMapViewTest : public MovementFixture {
 protected:
  void SetUp() override {
    MovementFixture::SetUp();
    view_ = std::make_unique<SceneView>();
    ASSERT_EQ(view_->Create(640, 480, 24, 0), 0);
  }
  void TearDown() override {
    MovementFixture::TearDown();
    view_.reset();
  }

  // An open map of width x height cells.
  TileMap* OpenMap(int32_t width, int32_t height) {
    return LoadMap(std::vector<std::string>(static_cast<size_t>(height), std::string(static_cast<size_t>(width), '.')));
  }

  std::unique_ptr<SceneView> view_;
};

TEST_F(TileMapViewTest, CenteringPutsThePlayerMidViewWithinTheMap) {
  const struct {
    int32_t mapWidth, viewWidth, column;
    int32_t origin, scroll;
  } cases[] = {
      {10, 640, 8, 0, 0},        // a map narrower than the view
      {15, 640, 14, 0, 0},
      {100, 640, 50, 40, 50 * 32 + 16 - 320},
      {100, 640, 5, 0, 0},
      {100, 640, 95, 80, 100 * 32 - 640 - 1},  // the scroll stops a pixel short of the map's far edge
      {100, 650, 95, 79, 100 * 32 - 650 - 1},  // not a whole number of cells
      {100, 608, 95, 81, 100 * 32 - 608 - 1},  // an odd number of cells
      {20, 640, 19, 0, 0},                     // a map as wide as the view does not scroll
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mapWidth * 1000 + c.column);
    TileMap* map = OpenMap(c.mapWidth, 3);
    PlacePlayer(c.column, 1);
    map->SetView(Bounds{0, 0, c.viewWidth, 480});
    int32_t column = -1, row = -1;
    map->GetMapOrigin(&column, &row);
    EXPECT_EQ(column, c.origin);
    EXPECT_EQ(row, 0);
    EXPECT_EQ(map->ScrollX(), c.scroll);
    EXPECT_EQ(map->ScrollY(), 0);
    EXPECT_EQ(view_->ScrollX(), c.scroll);
  }
}

TEST_F(TileMapViewTest, TheScrollFollowsAFocusOverItsTurns) {
  TileMap* map = OpenMap(100, 100);
  PlacePlayer(10, 10);
  map->SetView(Bounds{0, 0, 640, 480});
  ASSERT_EQ(map->ScrollX(), 10 * 32 + 16 - 320);
  ASSERT_EQ(map->ScrollY(), 10 * 32 + 16 - 240);
  Sprite* far = AddBlock(60, 40);
  map->SetFocus(far, 4, false);
  const int32_t wantedX = 60 * 32 + 16 - 320, wantedY = 40 * 32 + 16 - 240;
  map->UpdateFocus();
  EXPECT_EQ(map->ScrollX(), 16 + (wantedX - 16) / 4);
  EXPECT_EQ(map->ScrollY(), 96 + (wantedY - 96) / 4);
  for (int i = 0; i < 60; ++i) map->UpdateFocus();
  EXPECT_NEAR(map->ScrollX(), wantedX, 3);
  EXPECT_NEAR(map->ScrollY(), wantedY, 3);
  // The player's focus with the release byte set lets the held player go once it has one turn.
  Character& player = *GetCurrentCharacter();
  player.SetFlags(kCharacterHeld);
  map->SetFocusFlag(1);
  map->FocusPlayer(1);
  map->UpdateFocus();
  EXPECT_EQ(player.GetFlags() & kCharacterHeld, 0);
  EXPECT_EQ(map->GetFocusFlag(), 0);
  EXPECT_EQ(map->ScrollX(), 10 * 32 + 16 - 320);
}

TEST_F(TileMapViewTest, SpotsTakeClicksOnTheirEdgesAndColonsPassThem) {
  TileMap* map = OpenMap(10, 10);
  // Pictures are 8 x 8: a spot at (40, 50) covers x 40..48 and y 50..58, both edges included.
  map->AddPictureSprite("Spot.png", 40, 50, "lower", 1, "SpotEvent");
  EXPECT_TRUE(map->HitTestSpots(48, 58));
  EXPECT_TRUE(map->HitTestSpots(40, 50));
  EXPECT_FALSE(map->HitTestSpots(49, 50));
  EXPECT_FALSE(map->HitTestSpots(40, 59));
  // A spot whose event is ":" shows but never fires: the click goes on to the spots after it.
  TileMap* other = OpenMap(10, 10);
  other->AddPictureSprite("Spot.png", 100, 100, "shown", 0, ":");
  EXPECT_FALSE(other->HitTestSpots(104, 104));
  other->AddPictureSprite("Spot.png", 102, 102, "below", 1, "SpotEvent");
  EXPECT_TRUE(other->HitTestSpots(104, 104));
  EXPECT_EQ(other->EventSpotList().size(), 2u);
}

TEST_F(TileMapViewTest, EffectsTravelAlongTheirBearingFacingByQuadrantAndMode) {
  sw::AnimationSetSpec turn;
  turn.name = "turn";
  turn.pictures = {"T1.png", "T2.png", "T3.png", "T4.png"};
  sw::AnimationSpec round{"round", 2, 0, {}, {}};
  for (int16_t k = 0; k < 4; ++k) round.frames.push_back({static_cast<int16_t>(k + 1), 0, "", k, 0, {}});
  turn.animations = {round};
  files_.Add("Pictures/Turn.cam", sw::EncodeAnimationSet(turn));
  files_.Add("Pictures/Empty.cam", OneAnimationSet(0, 0, 0));
  TileMap* map = OpenMap(20, 20);
  PictureRef still("Pictures/Shot.png");
  PictureRef eight("Pictures/Walker8.cam");
  PictureRef four("Pictures/Walker4.cam");
  const struct {
    int32_t dx, dy;
    float stepX, stepY;
    int32_t facing8, facing4;
  } cases[] = {
      // Four facings: the block of the nearest quarter turn (1 up, 3 right, 5 down, 7 left).
      {30, 40, 3, 4, 4, 5},     // bearing 143
      {30, -40, 3, -4, 2, 1},   // bearing 37
      {-30, -40, -3, -4, 8, 1},  // bearing 323
      {-30, 40, -3, 4, 6, 5},   // bearing 217
      {40, -30, 4, -3, 2, 3},   // bearing 53
      {-40, 30, -4, 3, 6, 7},   // bearing 233
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dx * 100 + c.dy);
    Sprite* shot = map->LaunchEffect(&still, 100, 100, 100 + c.dx, 100 + c.dy, 5, 2, 1, nullptr, nullptr, 3, 0, 0);
    ASSERT_NE(shot, nullptr);
    EXPECT_NEAR(shot->StepX(), c.stepX, 1e-4);
    EXPECT_NEAR(shot->StepY(), c.stepY, 1e-4);
    // Two cells along the line.
    EXPECT_NEAR(shot->RemainingX(), c.dx / 50.0 * 2 * 32, 1e-3);
    EXPECT_NEAR(shot->RemainingY(), c.dy / 50.0 * 2 * 32, 1e-3);
    EXPECT_EQ(shot->Facing(), 1);
    EXPECT_EQ(shot->missileKind, 1);
    EXPECT_EQ(shot->damage, 3);
    EXPECT_TRUE(shot->IsMoving());
    EXPECT_EQ(map->LaunchEffect(&eight, 100, 100, 100 + c.dx, 100 + c.dy, 5, 2, 1, nullptr, nullptr, 3, 0, 0)->Facing(),
              c.facing8);
    EXPECT_EQ(map->LaunchEffect(&four, 100, 100, 100 + c.dx, 100 + c.dy, 5, 2, 1, nullptr, nullptr, 3, 0, 0)->Facing(),
              c.facing4);
  }
  // Frames covering a full turn: the frame nearest the bearing (143 of 360, the third of four) as a picture of
  // the sprite's own, with that frame's offset.
  PictureRef turning("Pictures/Turn.cam");
  Sprite* turned = map->LaunchEffect(&turning, 100, 100, 130, 140, 5, 2, 1, nullptr, nullptr, 3, 0, 0);
  ASSERT_NE(turned, nullptr);
  EXPECT_TRUE(turned->OwnsPicture());
  EXPECT_FALSE(turned->HasAnimation());
  EXPECT_EQ(turned->defaultOffsetX, 2);
  // An animation without frames launches nothing; nor does a picture that shows nothing; a speed of 0 counts as 1.
  PictureRef empty("Pictures/Empty.cam");
  const size_t before = map->TravellingList().size();
  EXPECT_EQ(map->LaunchEffect(&empty, 100, 100, 130, 140, 5, 2, 1, nullptr, nullptr, 3, 0, 0), nullptr);
  PictureRef none;
  EXPECT_EQ(map->LaunchEffect(&none, 100, 100, 130, 140, 5, 2, 1, nullptr, nullptr, 3, 0, 0), nullptr);
  EXPECT_EQ(map->TravellingList().size(), before);
  EXPECT_NEAR(map->LaunchEffect(&still, 100, 100, 100, 200, 0, 1, 1, nullptr, nullptr, 3, 0, 0)->StepY(), 1.0, 1e-6);
  // Between cells: from half a cell above the first centre to the second's centre, or half a cell above it when
  // the rows are at most one apart.
  Sprite* near = map->LaunchEffectBetweenCells(&still, 1, 1, 4, 2, 5, 3, 1, nullptr, nullptr, 3, 0, 0);
  EXPECT_EQ(near->PositionX(), 48);
  EXPECT_EQ(near->PositionY(), 16);
  EXPECT_GT(near->RemainingX(), 0);
  EXPECT_NEAR(near->RemainingY() / near->RemainingX(), (64.0 - 16.0) / (144.0 - 48.0), 1e-4);
  Sprite* far = map->LaunchEffectBetweenCells(&still, 1, 1, 1, 5, 5, 3, 1, nullptr, nullptr, 3, 0, 0);
  EXPECT_EQ(far->RemainingX(), 0);
  EXPECT_NEAR(far->RemainingY(), 3 * 32, 1e-4);
}

TEST_F(TileMapViewTest, AShownPictureLingersItsTicksAndAnAnimationUntilItsEnd) {
  TileMap* map = OpenMap(10, 10);
  PictureRef still("Pictures/Hit.png");
  Sprite* shown = map->AddAnimationSprite(&still, 40, 50, 5);
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->PositionX(), 40);
  EXPECT_FALSE(shown->OwnsPicture());
  int32_t ticks = 0;
  while (shown->IsMoving() && ticks < 100) {
    shown->Animate();
    ++ticks;
  }
  EXPECT_EQ(ticks, 6);  // five ticks lingering, then the one that ends it
  // An animation lingers while it plays; nothing to show gives nothing.
  PictureRef animation("Pictures/Walker8.cam");
  Sprite* playing = map->AddAnimationSprite(&animation, 40, 50, 5);
  for (int i = 0; i < 20; ++i) playing->Animate();
  EXPECT_TRUE(playing->IsMoving());
  PictureRef none;
  EXPECT_EQ(map->AddAnimationSprite(&none, 40, 50, 5), nullptr);
  EXPECT_EQ(map->TravellingList().size(), 2u);
}

// A figure whose 8 x 8 frame is drawn 8 pixels up and left of its position (radius 12: a ring of 36 x 18).
TEST_F(TileMapViewTest, ThePointerFindsFiguresAndObjectsByTheirPositionsAndTheRingSitsOnTheFramesFarCorner) {
  sw::AnimationSetSpec shifted;
  shifted.name = "Shifted.cam";
  shifted.pictures = {"Frame.png"};
  shifted.animations = {{"stand", 0, 0, {}, {{1, 0, "", -8, -8, {}}}}};
  shifted.extraFlag = 1;
  shifted.collisionRadius = 12;
  files_.Add("Pictures/Shifted.cam", sw::EncodeAnimationSet(shifted));
  TileMap* map = OpenMap(20, 20);
  PlacePlayer(1, 1);
  map->RegisterLayers();
  map->SetView(Bounds{0, 0, 640, 480});
  ASSERT_EQ(view_->ScrollX(), 0);
  NpcDefinition npc;
  npc.spriteText = "Shifted.cam";
  npc.maxStamina = 10;
  Character* guard = map->AddCharacter(&npc, 3, 3, kPlaceAtCell, 1);
  ASSERT_NE(guard, nullptr);
  ItemRecord chest;
  chest.pictureName = "Shifted.cam";
  MapItem* object = map->AddItem(&chest, 6, 3, 1, 0, false);
  ASSERT_NE(object, nullptr);
  const Point figure = map->CellCenter(3, 3), box = map->CellCenter(6, 3);
  ASSERT_EQ(guard->sprite->DrawnX(), figure.x - 8);
  ASSERT_EQ(object->sprite->DrawnY(), box.y - 8);
  // The rectangle searched runs from the position over the frame's size, edges included.
  const struct {
    int32_t dx, dy, radius;
    bool found;
  } cases[] = {
      {0, 0, 0, true},     {4, 4, 0, true},     {8, 8, 0, true},    {9, 4, 0, false},
      {-4, -4, 0, false},  // on the drawn frame, before the position
      {20, 20, 16, true},  {-20, -20, 16, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dx * 1000 + c.dy * 10 + c.radius);
    EXPECT_EQ(map->FindCharacterNear(figure.x + c.dx, figure.y + c.dy, c.radius) == guard, c.found);
    EXPECT_EQ(map->FindObjectNear(box.x + c.dx, box.y + c.dy, c.radius) == object, c.found);
  }

  // The hovered figure's ring: its middle on the bottom-right corner of the drawn frame.
  map->hoveredCharacter = guard;
  map->Draw();
  const Bitmap* ring = guard->ringOverlay != nullptr ? guard->ringOverlay->GetBitmap() : nullptr;
  ASSERT_NE(ring, nullptr);
  ASSERT_EQ(ring->width, 36);
  const SceneLayer* layer = map->LayerRecordAt(map->CharacterLayerIndex()).Layer();
  ASSERT_NE(layer, nullptr);
  const auto placed = std::find_if(layer->Images().begin(), layer->Images().end(),
                                   [&](const PlacedImage& image) { return image.bitmap == ring; });
  ASSERT_NE(placed, layer->Images().end());
  EXPECT_EQ(placed->x, figure.x - 8 + 8 - 36 / 2);
  EXPECT_EQ(placed->y, figure.y - 8 + 8 - 18 / 2);
}

TEST_F(TileMapViewTest, AMapDrawsItsGridItsFiguresAndStaminaBarsIntoTheView) {
  // The ground pictures come from the loader (8 x 8); the grid is 2 x 2 cells of 100 pixels.
  sw::TileMapSpec description;
  description.width = 10;
  description.height = 10;
  description.cells = sw::UniformCells(10, 10);
  description.layers.resize(2);
  description.groundPictures = {"Grass.png"};
  description.pictureGrid = sw::PictureGridSpec{2, 2, 100, 100, {{1, 0}, {0, 0}, {0, 0}, {1, 0}}};
  NpcDefinition npc;
  npc.spriteText = "Block.cam";
  npc.maxStamina = 10;
  TileMap* map = LoadMap(description);
  Character& player = PlacePlayer(5, 5, "Walker8.cam");
  Character* guard = map->AddCharacter(&npc, 2, 6, kPlaceAtCell, 1);
  ASSERT_NE(guard, nullptr);
  guard->SetTarget(&player);
  ASSERT_NE(guard->staminaBar, nullptr);
  map->RegisterLayers();
  map->SetView(Bounds{0, 0, 640, 480});
  map->DrawPictureGrid();
  map->Draw();
  Region changed;
  view_->Update(changed);
  DrawColor pixel;
  const Bitmap& back = *view_->GetBackBuffer();
  // The grid pictures at (0, 0) and (100, 100), nothing at (100, 0).
  GetPixel(pixel, back, 3, 3);
  EXPECT_EQ(pixel.green, kPictureColour.green);
  GetPixel(pixel, back, 103, 103);
  EXPECT_EQ(pixel.green, kPictureColour.green);
  GetPixel(pixel, back, 103, 3);
  EXPECT_EQ(pixel.green, 0);
  // The player's figure at its cell: the frame drawn from the cell's centre (offset 0).
  const Point centre = map->CellCenter(5, 5);
  GetPixel(pixel, back, centre.x + 2, centre.y + 2);
  EXPECT_EQ(pixel.green, kPictureColour.green);
  // The guard's stamina bar, centred under its 8 x 8 frame.
  const Point guardCentre = map->CellCenter(2, 6);
  const Bitmap* bar = guard->staminaBar->GetBitmap();
  ASSERT_TRUE(guard->staminaBar->IsPlaced());
  DrawColor barPixel;
  GetPixel(barPixel, *bar, bar->width / 2, bar->height / 2);
  GetPixel(pixel, back, guardCentre.x + (8 - bar->width) / 2 + bar->width / 2, guardCentre.y + 8 + bar->height / 2);
  EXPECT_EQ(pixel.red, barPixel.red);
  EXPECT_EQ(pixel.green, barPixel.green);
  EXPECT_EQ(pixel.blue, barPixel.blue);
}

// A figure whose picture shows no frame has its bar at its own corner, with no offset.
TEST_F(TileMapViewTest, AStaminaBarUnderAFigureWithoutAFrameStandsAtTheFiguresCorner) {
  TileMap* map = OpenMap(10, 10);
  Character& player = PlacePlayer(1, 1);
  NpcDefinition npc;
  npc.spriteText = "Walker8.cam";
  npc.maxStamina = 10;
  Character* guard = map->AddCharacter(&npc, 3, 3, kPlaceAtCell, 1);
  ASSERT_NE(guard, nullptr);
  guard->sprite->SetPicture(nullptr, false);
  ASSERT_EQ(guard->sprite->FramePicture(), nullptr);
  guard->SetTarget(&player);
  ASSERT_NE(guard->staminaBar, nullptr);
  map->RegisterLayers();
  map->SetView(Bounds{0, 0, 640, 480});
  map->Draw();
  const Bitmap* bar = guard->staminaBar->GetBitmap();
  const SceneLayer* top = map->TopLayer();
  ASSERT_NE(top, nullptr);
  const auto placed = std::find_if(top->Images().begin(), top->Images().end(),
                                   [&](const PlacedImage& image) { return image.bitmap == bar; });
  ASSERT_NE(placed, top->Images().end());
  const Point corner = map->CellCenter(3, 3);
  EXPECT_EQ(placed->x, corner.x);
  EXPECT_EQ(placed->y, corner.y);
}

}  // namespace
