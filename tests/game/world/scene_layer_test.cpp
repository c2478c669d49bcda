// Scene layers on a 16 x 16 view: what placing, erasing and sorting draw and damage, the mask and alpha regions,
// and the moves and fades frame by frame.
#include "game/world/scene_layer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/game/world/scene_fixture.h"

namespace {

using namespace scene_test;

class SceneLayerTest : public SceneFixture {
 protected:
  // A screen layer with a 6 x 6 panel at (3, 4) whose middle 2 x 2 is the key colour: mask region A is the hole,
  // region B the frame around it.
  SceneLayer* AddMaskedPanel() {
    panel_ = Solid(6, 6, kRed, KeyedFormat);
    FillRect(*panel_, Bounds{2, 2, 2, 2}, DrawColor{255, 255, 255, 255});
    SceneLayer* layer = view_->AddDefaultLayer(SceneLayer::kScreenMode).Layer();
    layer->SetImage(panel_.get());
    layer->PlaceImage(3, 4);
    layer->RebuildMaskRegions();
    return layer;
  }

  std::unique_ptr<Bitmap> panel_;
};

TEST_F(SceneLayerTest, PlacingDrawsAndDamagesTheImageAndErasingUncoversWhatLiesBeneath) {
  AddGround();
  ASSERT_EQ(Update(), "{0,0,16,16}");
  SceneLayer* layer = view_->AddDefaultLayer(SceneLayer::kScreenMode).Layer();
  auto red = Solid(4, 3, kRed);
  layer->SetImage(red.get());
  const LayerEntry entry = layer->PlaceImage(2, 5);
  ASSERT_TRUE(layer->IsEntry(entry));
  EXPECT_EQ(Update(), Describe({{2, 5, 4, 3}}));
  EXPECT_EQ(Pixel(2, 5), kRed);
  EXPECT_EQ(Pixel(5, 7), kRed);
  EXPECT_EQ(Pixel(6, 5), kBlack);
  EXPECT_EQ(Update(), "");  // nothing changed since

  layer->EraseImage(entry);
  EXPECT_EQ(Update(), Describe({{2, 5, 4, 3}}));
  EXPECT_EQ(Pixel(3, 6), kBlack);
  layer->EraseImage(layer->NoEntry());  // no entry: nothing
  EXPECT_EQ(Update(), "");
}

TEST_F(SceneLayerTest, PlacingWithoutAnImageDoesNothing) {
  SceneLayer* layer = view_->AddDefaultLayer(SceneLayer::kScreenMode).Layer();
  EXPECT_FALSE(layer->IsEntry(layer->PlaceImage(1, 1)));
  EXPECT_TRUE(layer->Images().empty());
  EXPECT_EQ(Update(), "");
}

TEST_F(SceneLayerTest, MapLayersSortByBottomThenRightAndKeepTheOrderOfEqualKeys) {
  SceneLayer* layer = view_->AddDefaultLayer(SceneLayer::kMapMode).Layer();
  auto tall = Solid(2, 6, kRed);
  auto low = Solid(2, 2, kGreen);
  auto other = Solid(2, 2, kBlue);
  layer->SetImage(tall.get());
  layer->PlaceImage(4, 0);  // bottom 6, right 6
  layer->SetImage(low.get());
  layer->PlaceImage(4, 3);  // bottom 5, right 6: behind the tall one although placed later
  layer->SetImage(other.get());
  layer->PlaceImage(2, 3);  // bottom 5, right 4: before the low one
  layer->SetImage(low.get());
  layer->PlaceImage(2, 3);  // the same keys as the one before: stays after it
  Update();
  std::vector<const Bitmap*> order;
  std::vector<int32_t> xs;
  for (const PlacedImage& image : layer->Images()) {
    order.push_back(image.bitmap);
    xs.push_back(image.x);
  }
  EXPECT_EQ(order, (std::vector<const Bitmap*>{other.get(), low.get(), low.get(), tall.get()}));
  EXPECT_EQ(xs, (std::vector<int32_t>{2, 2, 4, 4}));
  EXPECT_EQ(Pixel(4, 3), kRed);    // the tall image is drawn last
  EXPECT_EQ(Pixel(2, 3), kGreen);  // the later of two equal keys is on top
}

TEST_F(SceneLayerTest, ScreenLayersKeepPlacementOrder) {
  SceneLayer* layer = view_->AddDefaultLayer(SceneLayer::kScreenMode).Layer();
  auto tall = Solid(2, 6, kRed);
  auto low = Solid(2, 2, kGreen);
  layer->SetImage(tall.get());
  layer->PlaceImage(0, 0);
  layer->SetImage(low.get());
  layer->PlaceImage(0, 0);
  Update();
  EXPECT_EQ(layer->Images().back().bitmap, low.get());
  EXPECT_EQ(Pixel(0, 0), kGreen);
}

TEST_F(SceneLayerTest, ClearOfAMaskedLayerDamagesExactlyItsOpaqueRegion) {
  SceneLayer* layer = AddMaskedPanel();
  EXPECT_EQ(Describe(layer->MaskRegionA()), Describe({{5, 6, 2, 2}}));
  Update();

  layer->Clear();
  EXPECT_EQ(Describe(view_->UpdateRegion()), Describe({{3, 4, 6, 2}, {3, 6, 2, 2}, {7, 6, 2, 2}, {3, 8, 6, 2}}));
  EXPECT_TRUE(layer->Images().empty());
  EXPECT_TRUE(layer->MaskRegionB().IsEmpty());
  EXPECT_EQ(layer->CurrentImage(), nullptr);
}

TEST_F(SceneLayerTest, TheHoleOfAMaskIsRedrawnOnEveryUpdateOnceTheLayerIsDrawn) {
  AddMaskedPanel();
  Update();  // draws the layer: no longer dirty
  EXPECT_EQ(Update(), Describe({{5, 6, 2, 2}}));
  EXPECT_EQ(Update(), Describe({{5, 6, 2, 2}}));
}

TEST_F(SceneLayerTest, AlphaImagesOfMapLayersAreRedrawnOnEveryUpdate) {
  auto glass = Solid(3, 3, DrawColor{0, 0, 255, 128}, AlphaFormat);
  SceneLayer* map = view_->AddDefaultLayer(SceneLayer::kMapMode).Layer();
  map->SetImage(glass.get());
  const LayerEntry mapGlass = map->PlaceImage(1, 2);
  EXPECT_EQ(Update(), Describe({{1, 2, 3, 3}}));
  EXPECT_EQ(Update(), Describe({{1, 2, 3, 3}}));
  EXPECT_EQ(Describe(map->AlphaRegion()), Describe({{1, 2, 3, 3}}));

  SceneLayer* screen = view_->AddDefaultLayer(SceneLayer::kScreenMode).Layer();
  screen->SetImage(glass.get());
  screen->PlaceImage(10, 10);
  EXPECT_TRUE(screen->AlphaRegion().IsEmpty());
  EXPECT_EQ(Update(), Describe({{1, 2, 3, 3}, {10, 10, 3, 3}}));
  EXPECT_EQ(Update(), Describe({{1, 2, 3, 3}}));  // the screen layer's glass is not

  // Erasing the map's glass rebuilds the region without it.
  map->EraseImage(mapGlass);
  Update();
  EXPECT_EQ(Update(), "");
}

TEST_F(SceneLayerTest, AMoveOfThirtyByFortyAtSpeedSevenTakesSevenStepsAndThenVanishes) {
  AddGround();
  Update();
  SceneLayer* layer = view_->AddDefaultLayer(SceneLayer::kMapMode).Layer();
  auto dot = Solid(1, 1, kRed);
  layer->StartMove(30, 40, 7.0f);
  ASSERT_EQ(layer->Moves().size(), 1u);
  const SceneLayer::LayerMove& move = layer->Moves().front();
  EXPECT_EQ(move.stepCount, 7u);
  EXPECT_FLOAT_EQ(move.stepX, 4.2f);
  EXPECT_FLOAT_EQ(move.stepY, 5.6f);
  EXPECT_TRUE(layer->IsMoveMode());
  layer->SetImage(dot.get());
  EXPECT_FALSE(layer->IsEntry(layer->PlaceImage(1, 1)));  // joins the move
  layer->PlaceImage(2, 1);
  layer->ClearMoveFlag();
  EXPECT_TRUE(layer->Images().empty());

  std::vector<std::pair<int32_t, int32_t>> firstItem;
  for (int frame = 0; frame < 8; ++frame) {
    layer->Animate();
    ASSERT_EQ(layer->Images().size(), 2u) << frame;
    firstItem.emplace_back(layer->Images().front().x, layer->Images().front().y);
  }
  EXPECT_EQ(firstItem.front(), std::make_pair(1, 1));
  EXPECT_EQ(firstItem[1], std::make_pair(5, 6));
  EXPECT_EQ(firstItem.back(), std::make_pair(30, 40));
  layer->Animate();
  EXPECT_TRUE(layer->Images().empty());
  EXPECT_TRUE(layer->Moves().empty());
}

TEST_F(SceneLayerTest, MovesWithoutDistanceOrSpeedHaveNoSteps) {
  const struct {
    int32_t dx, dy;
    float speed;
  } cases[] = {{0, 0, 5.0f}, {30, 40, 0.0f}, {30, 40, -2.0f}, {30, 40, std::nanf("")}};
  for (const auto& c : cases) {
    SceneLayer* layer = view_->AddDefaultLayer(SceneLayer::kMapMode).Layer();
    layer->StartMove(c.dx, c.dy, c.speed);
    const SceneLayer::LayerMove& move = layer->Moves().front();
    EXPECT_EQ(move.stepCount, 0u) << c.dx << " " << c.speed;
    EXPECT_EQ(move.stepX, 0.0f);
    EXPECT_EQ(move.stepY, 0.0f);
    // Its images show once where they were placed and go at the next frame.
    auto dot = Solid(1, 1, kRed);
    layer->SetImage(dot.get());
    layer->PlaceImage(3, 4);
    layer->Animate();
    ASSERT_EQ(layer->Images().size(), 1u);
    EXPECT_EQ(layer->Images().front().x, 3);
    layer->Animate();
    EXPECT_TRUE(layer->Images().empty());
  }
  SceneLayer* crawl = view_->AddDefaultLayer(SceneLayer::kMapMode).Layer();
  crawl->StartMove(1000, 0, 1e-9f);
  EXPECT_EQ(crawl->Moves().front().stepCount, SceneLayer::kMaxMoveSteps);
}

TEST_F(SceneLayerTest, ATransitionModeWithoutItsTransitionPlacesDirectly) {
  SceneLayer* layer = view_->AddDefaultLayer(SceneLayer::kScreenMode).Layer();
  auto dot = Solid(1, 1, kRed);
  layer->StartMove(0, 0, 1.0f);
  layer->Animate();
  layer->Animate();  // the move has ended; the mode is still set
  ASSERT_TRUE(layer->Moves().empty());
  ASSERT_TRUE(layer->IsMoveMode());
  layer->SetImage(dot.get());
  EXPECT_TRUE(layer->IsEntry(layer->PlaceImage(1, 1)));

  // Both modes set: the image goes to the newest move only.
  layer->StartMove(4, 0, 1.0f);
  layer->StartFade(3);
  layer->PlaceImage(2, 2);
  EXPECT_EQ(layer->Moves().back().items.size(), 1u);
  EXPECT_TRUE(layer->Fades().back().items.empty());
}

// The alpha byte of the first image's first pixel.
int32_t Alpha(const SceneLayer& layer) {
  if (layer.Images().empty()) return -1;
  DrawColor color;
  GetPixel(color, *layer.Images().front().bitmap, 0, 0);
  return color.alpha;
}

TEST_F(SceneLayerTest, AFadeLowersTheOpacityOfCopiesFrameByFrameAndRemovesThem) {
  SceneLayer* layer = view_->AddDefaultLayer(SceneLayer::kScreenMode).Layer();
  auto red = Solid(2, 2, kRed);
  layer->StartFade(3);
  layer->SetImage(red.get());
  layer->PlaceImage(5, 5);
  layer->ClearFadeFlag();
  EXPECT_TRUE(layer->Images().empty());
  std::vector<int32_t> alphas;
  for (int frame = 0; frame < 4; ++frame) {
    layer->Animate();
    alphas.push_back(Alpha(*layer));
  }
  EXPECT_EQ(alphas, (std::vector<int32_t>{255, 170, 85, -1}));
  EXPECT_TRUE(layer->Fades().empty());
}

TEST_F(SceneLayerTest, FadesOfOneAndOfNoStep) {
  SceneLayer* layer = view_->AddDefaultLayer(SceneLayer::kMapMode).Layer();
  auto red = Solid(2, 2, kRed);
  layer->SetImage(red.get());
  layer->StartFade(1);
  layer->PlaceImage(0, 0);
  layer->Animate();
  EXPECT_EQ(Alpha(*layer), 255);  // once at full opacity
  EXPECT_EQ(Update(), Describe({{0, 0, 2, 2}}));
  EXPECT_EQ(Pixel(1, 1), kRed);
  layer->Animate();
  EXPECT_TRUE(layer->Images().empty());

  layer->StartFade(0);
  layer->PlaceImage(0, 0);
  layer->Animate();  // removed at the first frame, never shown
  EXPECT_TRUE(layer->Images().empty());
  EXPECT_TRUE(layer->Fades().empty());
}

TEST_F(SceneLayerTest, ClearEndsTheEntriesOfRunningTransitionsWhichPlaceThemAgain) {
  SceneLayer* layer = view_->AddDefaultLayer(SceneLayer::kMapMode).Layer();
  auto red = Solid(2, 2, kRed);
  layer->SetImage(red.get());
  layer->StartMove(10, 0, 1.0f);
  layer->PlaceImage(0, 0);
  layer->ClearMoveFlag();
  layer->StartFade(5);
  layer->PlaceImage(4, 4);
  layer->Animate();
  ASSERT_EQ(layer->Images().size(), 2u);
  const uint64_t epoch = layer->Epoch();
  layer->Clear();
  EXPECT_NE(layer->Epoch(), epoch);
  layer->Animate();
  EXPECT_EQ(layer->Images().size(), 2u);
  for (int frame = 0; frame < 12; ++frame) layer->Animate();
  EXPECT_TRUE(layer->Images().empty());
}

// A long list that stays the same is drawn from an index of where its images lie; a picture that has grown since
// into the part of the view being drawn is still drawn there.
TEST_F(SceneLayerTest, ALongSettledListDrawsAPictureThatHasGrown) {
  SceneLayer* layer = view_->AddDefaultLayer(SceneLayer::kMapMode).Layer();
  auto dot = Solid(1, 1, kBlue);
  auto grown = Solid(4, 4, kRed);
  layer->SetImage(dot.get());
  for (int32_t i = 0; i < 1100; ++i) layer->PlaceImage(i % 16, 300 + i / 16);
  layer->SetImage(grown.get());
  layer->PlaceImage(100, 0);
  view_->SetCamera(128, 0);  // the picture lies left of the view
  const Bounds shown{128, 0, 16, 16};
  Update();
  layer->InvalidateRect(shown);
  Update();  // the list has stood since the last drawing: this one indexes it
  EXPECT_EQ(Pixel(0, 0), kBlack);

  ASSERT_EQ(grown->Create(40, 16, OpaqueFormat), kBitmapReady);
  FillRect(*grown, grown->Frame(), kGreen);
  layer->InvalidateRect(shown);
  Update();
  EXPECT_EQ(Pixel(0, 0), kGreen);
  EXPECT_EQ(Pixel(11, 15), kGreen);
  EXPECT_EQ(Pixel(12, 0), kBlack);
}

}  // namespace
