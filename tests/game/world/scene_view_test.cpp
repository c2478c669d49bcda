// The game view on a 16 x 16 back buffer: scrolling screen and map layers, the offscreen bracket, the camera, the
// layer list and its references, the view's registration, and text labels in a font of made glyphs.
#include "game/world/scene_view.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/game/world/scene_fixture.h"

namespace {

using namespace scene_test;

class SceneViewTest : public SceneFixture {};

TEST_F(SceneViewTest, AScrollMovesMapLayersAndKeepsScreenLayersInPlace) {
  // A map of two 8-pixel columns, blue then green, under a red 2 x 2 marker fixed on the screen.
  SceneLayer* map = view_->AddDefaultLayer(SceneLayer::kMapMode).Layer();
  auto blue = Solid(8, 16, kBlue);
  auto green = Solid(8, 16, kGreen);
  auto marker = Solid(2, 2, kRed);
  map->SetImage(blue.get());
  map->PlaceImage(0, 0);
  map->SetImage(green.get());
  map->PlaceImage(8, 0);
  map->SetImage(blue.get());
  map->PlaceImage(16, 0);
  SceneLayer* screen = view_->AddDefaultLayer(SceneLayer::kScreenMode).Layer();
  screen->SetImage(marker.get());
  screen->PlaceImage(0, 0);
  Update();
  ASSERT_EQ(Pixel(3, 5), kBlue);

  view_->SetCamera(4, 0);
  EXPECT_EQ(Update(), "{0,0,16,16}");  // the whole scrolling area changed
  EXPECT_EQ(Pixel(0, 0), kRed);        // the marker stays
  EXPECT_EQ(Pixel(3, 5), kBlue);       // world column 7
  EXPECT_EQ(Pixel(4, 5), kGreen);      // world column 8 moved left by 4
  EXPECT_EQ(Pixel(11, 5), kGreen);
  EXPECT_EQ(Pixel(12, 5), kBlue);      // the exposed strip, drawn from world column 16
  EXPECT_EQ(Pixel(15, 5), kBlue);
}

TEST_F(SceneViewTest, AScrollOfTheScreenWidthOrMoreRedrawsAllOfIt) {
  SceneLayer* map = view_->AddDefaultLayer(SceneLayer::kMapMode).Layer();
  auto blue = Solid(16, 16, kBlue);
  auto green = Solid(40, 16, kGreen);
  map->SetImage(blue.get());
  map->PlaceImage(0, 0);
  map->SetImage(green.get());
  map->PlaceImage(16, 0);
  Update();
  view_->SetCamera(20, 0);
  view_->UpdateRegion().Clear();
  Region changed;
  view_->Update(changed);
  EXPECT_EQ(Describe(changed), "{0,0,16,16}");
  for (int32_t x : {0, 7, 15}) EXPECT_EQ(Pixel(x, 9), kGreen) << x;
  // Back again, by the whole width the other way.
  view_->SetCamera(0, 0);
  EXPECT_EQ(Update(), "{0,0,16,16}");
  for (int32_t x : {0, 7, 15}) EXPECT_EQ(Pixel(x, 9), kBlue) << x;
}

TEST_F(SceneViewTest, TheCameraClampsNegativeCoordinatesAndIgnoresItsOwnPlace) {
  EXPECT_FALSE(view_->NeedsRedraw());
  view_->SetCamera(0, 0);
  EXPECT_FALSE(view_->NeedsRedraw());
  view_->SetCamera(-5, 7);
  EXPECT_TRUE(view_->NeedsRedraw());
  EXPECT_EQ(view_->VisibleRect(), (Bounds{0, 7, 16, 16}));
  view_->SetCamera(3, -1);
  EXPECT_EQ(view_->VisibleRect(), (Bounds{3, 0, 16, 16}));
}

TEST_F(SceneViewTest, NestedOffscreenBracketsShowOneSnapshotUntilTheLastEnd) {
  SceneLayer* ground = AddGround();
  auto red = Solid(4, 4, kRed);
  ground->SetImage(red.get());
  const LayerEntry shown = ground->PlaceImage(6, 6);
  Update();
  const size_t layers = view_->Layers().size();
  view_->SetUpdateHold(2);

  view_->BeginOffscreen();
  EXPECT_EQ(view_->GetUpdateHold(), 0);
  view_->BeginOffscreen();  // takes no new snapshot
  EXPECT_EQ(view_->Layers().size(), layers + 1);
  EXPECT_EQ(view_->OffscreenDepth(), 2);
  // What changes beneath stays hidden under the snapshot.
  ground->EraseImage(shown);
  Update();
  EXPECT_EQ(Pixel(7, 7), kRed);

  view_->EndOffscreen();
  EXPECT_EQ(view_->Layers().size(), layers + 1);
  EXPECT_EQ(view_->GetUpdateHold(), 0);
  Update();
  EXPECT_EQ(Pixel(7, 7), kRed);

  view_->EndOffscreen();
  EXPECT_EQ(view_->Layers().size(), layers);
  EXPECT_EQ(view_->GetUpdateHold(), 2);
  view_->SetUpdateHold(0);
  EXPECT_EQ(Update(), "{0,0,16,16}");
  EXPECT_EQ(Pixel(7, 7), kBlack);

  // An end without a begin leaves the hold alone.
  view_->SetUpdateHold(3);
  view_->EndOffscreen();
  EXPECT_EQ(view_->GetUpdateHold(), 3);
  EXPECT_EQ(view_->OffscreenDepth(), 0);
}

TEST_F(SceneViewTest, NothingIsComposedWhileUpdatesAreHeld) {
  AddGround();
  view_->RaiseUpdateHold();
  view_->RaiseUpdateHold();
  EXPECT_EQ(Update(), "");
  EXPECT_EQ(Pixel(0, 0), kBlack);  // the back buffer's own black: nothing was drawn
  view_->LowerUpdateHold();
  EXPECT_EQ(Update(), "");
  view_->LowerUpdateHold();
  view_->LowerUpdateHold();  // never below 0
  EXPECT_EQ(view_->GetUpdateHold(), 0);
  EXPECT_EQ(Update(), "{0,0,16,16}");
}

TEST_F(SceneViewTest, RemovingALayerClearsEveryReferenceToIt) {
  LayerRef first = view_->AddDefaultLayer(SceneLayer::kScreenMode);
  LayerRef second = view_->AddDefaultLayer(SceneLayer::kMapMode);
  view_->SetCurrentLayer(first.Layer());
  view_->PushLayer();
  view_->SetCurrentLayer(first.Layer());
  EXPECT_EQ(view_->FindLayer(first.Layer()->Serial()).Layer(), first.Layer());
  const uint64_t serial = first.Layer()->Serial();
  view_->RemoveLayer(first);
  EXPECT_EQ(view_->GetCurrentLayer(), nullptr);
  view_->PopLayer();
  EXPECT_EQ(view_->GetCurrentLayer(), nullptr);
  EXPECT_FALSE(view_->FindLayer(serial).made);
  EXPECT_EQ(view_->Layers().size(), 1u);
  EXPECT_EQ(view_->Layers().front().get(), second.Layer());
  // Placing or labelling with no layer current does nothing.
  view_->SetCurrentLayerImage(ground_.get());
  view_->AddTextLabel(0, 0, "text");
  EXPECT_TRUE(second.Layer()->Images().empty());
}

TEST_F(SceneViewTest, TheGameViewIsTheLatestViewThatStillExists) {
  EXPECT_EQ(GetSceneView(), view_.get());
  {
    SceneView other;
    EXPECT_EQ(GetSceneView(), &other);
  }
  EXPECT_EQ(GetSceneView(), nullptr);  // never a destroyed one
  auto kept = std::make_unique<SceneView>();
  SceneView* shellView = kept.get();
  SetSceneView(std::move(kept));
  EXPECT_EQ(GetSceneView(), shellView);
  SetSceneView(nullptr);
  EXPECT_EQ(GetSceneView(), nullptr);
}

TEST_F(SceneViewTest, SizesThatCannotBeMadeLeaveTheViewUnset) {
  for (int32_t side : {0, -4, 8193}) {
    SceneView view;
    EXPECT_EQ(view.Create(side, 16, 24, 0), 1) << side;
    EXPECT_FALSE(view.IsSetUp());
    Region changed;
    view.Update(changed);
    EXPECT_TRUE(changed.IsEmpty());
  }
}

TEST_F(SceneViewTest, TextIsMeasuredLineByLine) {
  AddMadeFont();
  const struct {
    std::string text;
    Bounds box;
  } cases[] = {
      {"ab", {2, 3, 7, 7}},
      {"a b", {2, 3, 9, 7}},
      {"a\rb", {2, 3, 4, 12}},    // the widest line; the lines' heights added
      {"\r", {2, 3, 0, 6}},       // two empty lines: as high as "l"
      {"a\r", {2, 3, 3, 5}},      // an empty last line adds nothing
      {"", {2, 3, 0, 0}},
      {"a\x01z", {2, 3, 3, 5}},  // characters without a glyph take no room
  };
  for (const auto& c : cases) {
    Bounds box;
    view_->MeasureText(2, 3, c.text, &box);
    EXPECT_EQ(box, c.box) << c.text;
  }
}

// Where each glyph of the current layer went: "a@x,y" in placement order.
std::vector<std::string> Glyphs(const SceneLayer& layer, const BitmapFont& font) {
  std::vector<std::string> placed;
  for (const PlacedImage& image : layer.Images()) {
    char name = '?';
    for (int code : {'a', 'b', ' ', 'l'}) {
      if (font.GetGlyph(code) == image.bitmap) name = static_cast<char>(code);
    }
    placed.push_back(std::string(1, name) + "@" + std::to_string(image.x) + "," + std::to_string(image.y));
  }
  return placed;
}

TEST_F(SceneViewTest, LabelsPlaceOneImagePerGlyphAndEachLineMovesDownByItsOwnHeight) {
  BitmapFont* font = AddMadeFont();
  SceneLayer* layer = view_->AddDefaultLayer(SceneLayer::kScreenMode).Layer();
  view_->SetCurrentLayer(layer);
  int32_t x = 1, y = 2;
  view_->AddTextLabelAt(&x, &y, "ab\r\rba", -1);
  EXPECT_EQ(Glyphs(*layer, *font), (std::vector<std::string>{"a@1,2", "b@4,2", "b@1,15", "a@5,15"}));
  EXPECT_EQ(x, 8);   // the pen after the last glyph
  EXPECT_EQ(y, 15);  // on the last line
  layer->Clear();
  Update();

  x = 1, y = 2;
  view_->AddTextLabelAt(&x, &y, "a\rb", 9);  // later lines begin at the line start
  EXPECT_EQ(Glyphs(*layer, *font), (std::vector<std::string>{"a@1,2", "b@9,7"}));
  EXPECT_EQ(Update(), Describe({{1, 2, 3, 5}, {9, 7, 4, 7}}));
  EXPECT_EQ(Pixel(10, 8), kGreen);
}

TEST_F(SceneViewTest, CentredLabelsStartLeftOfARectangleNarrowerThanTheText) {
  BitmapFont* font = AddMadeFont();
  SceneLayer* layer = view_->AddDefaultLayer(SceneLayer::kScreenMode).Layer();
  view_->SetCurrentLayer(layer);
  view_->AddTextLabelCentred(Bounds{0, 0, 16, 16}, "ab");
  view_->AddTextLabelCentred(Bounds{10, 10, 4, 4}, "ab");
  EXPECT_EQ(Glyphs(*layer, *font), (std::vector<std::string>{"a@4,4", "b@7,4", "a@9,9", "b@12,9"}));
}

TEST_F(SceneViewTest, WrappedLabelsMoveOrCutWordsThatPassTheRightEdge) {
  BitmapFont* font = AddMadeFont();
  SceneLayer* layer = view_->AddDefaultLayer(SceneLayer::kScreenMode).Layer();
  view_->SetCurrentLayer(layer);
  const struct {
    std::string text;
    int32_t width;
    bool wrap;
    std::vector<std::string> glyphs;
  } cases[] = {
      // "ab " is 9 wide: the second word goes to the next line, 7 down.
      {"ab ab", 12, true, {"a@0,0", "b@3,0", " @7,0", "a@0,7", "b@3,7"}},
      // Without wrapping it loses "b" and then fits.
      {"ab ab", 12, false, {"a@0,0", "b@3,0", " @7,0", "a@9,0"}},
      // A word at the left edge is never moved or cut, however wide.
      {"abab", 2, true, {"a@0,0", "b@3,0", "a@7,0", "b@10,0"}},
      // A carriage return ends its word and its line; the next word starts at the left edge, below.
      {"a\rb", 16, true, {"a@0,0", "b@0,5"}},
  };
  for (const auto& c : cases) {
    layer->Clear();
    view_->AddTextLabelWrapped(Bounds{0, 0, c.width, 16}, c.text, c.wrap);
    EXPECT_EQ(Glyphs(*layer, *font), c.glyphs) << c.text << " " << c.width;
  }
}

}  // namespace
