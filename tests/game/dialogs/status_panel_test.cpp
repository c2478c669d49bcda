// The status panel over writer-made layouts 16, 17 and 20: its texts, its mask and what the mask hides, the
// picture kept across layouts of one name, the layers the layout owns, and the texts beneath an event's message.
#include "game/dialogs/status_panel.h"

#include <gtest/gtest.h>

#include "game/dialogs/dialog.h"
#include "game/dialogs/screen_layouts.h"
#include "game/graphics/bit_mask.h"
#include "game/graphics/bitmap.h"
#include "game/rules/character.h"
#include "game/shell/main_loop.h"
#include "game/shell/main_window.h"
#include "game/shell/record_lists.h"
#include "game/world/location.h"
#include "game/world/scene_view.h"
#include "host/testing.h"
#include "tests/support/dialog_input.h"
#include "tools/scenario_writer/location_writer.h"

namespace {

namespace sw = scenario_writer;

constexpr int32_t kGoldField = 21;  // the 22nd text, drawn into element 22
constexpr int32_t kBandTop = 380;   // the mask's set bits: the band below this row
constexpr uint32_t kPanelColour = 0x786450;  // the panel picture's (120, 100, 80) as the screen shows it

// Elements 0 to 29 of a panel along the bottom band: the portrait, the texts in rows of nine, element 28 the
// map above the band; element 22 (the gold) lies off the band, at the top of the screen.
std::vector<sw::LayoutElementSpec> PanelElements() {
  std::vector<sw::LayoutElementSpec> elements;
  for (int16_t i = 0; i < 30; ++i) {
    const int16_t n = static_cast<int16_t>(i - 1);
    elements.push_back({"e" + std::to_string(i), static_cast<int16_t>(60 + (n % 9) * 60),
                        static_cast<int16_t>(390 + (n / 9) * 22), 55, 20});
  }
  elements[0] = {"portrait", 10, 390, 40, 40};
  elements[22] = {"gold", 10, 10, 50, 20};
  elements[28] = {"map", 0, 0, 640, kBandTop};
  return elements;
}

class StatusPanelTest : public test_support::DialogHarness {
 protected:
  void SetUp() override {
    DialogHarness::SetUp();
    for (int32_t layout : {16, 17}) {
      Config().layouts[layout].name = "Panel.bmp";
      Config().layouts[layout].elements = PanelElements();
    }
    AddPicture("Pictures/Panel.bmp", sw::Canvas(640, 480, sw::Rgb{120, 100, 80}));
  }
  void UseMaskPicture() {
    Config().layouts[20].name = "Mask.bmp";
    sw::Canvas mask(640, 480);
    mask.FillRect(0, kBandTop, 640, 480 - kBandTop, sw::Rgb{255, 255, 255});
    AddPicture("Pictures/Mask.bmp", mask);
  }
};

TEST_F(StatusPanelTest, TheTextsAreTheCharactersValuesInTheirOrder) {
  LoadWithWindow();
  Character& player = Player();
  player.SetName("Rowan");
  player.stamina = 7;
  player.magic = 4;
  player.base.naturalProtection = 2;
  const CharacterValue current[] = {kValueMaxStamina,         kValueMaxMagic,       kValueMaxDamage,
                                    kValueNaturalProtection,  kValueStrength,       kValueDexterity,
                                    kValueVitality,           kValueWisdom,         kValueKarma,
                                    kValueLuck,               kValueSpeed,          kValuePerception,
                                    kValueChemicalProtection, kValueFireProtection, kValueColdProtection,
                                    kValueElectricalProtection};
  int16_t value = 10;
  for (CharacterValue index : current) player.current[index] = value++;
  player.level = 3;
  player.experience = 5;
  player.gold = -3;
  const std::vector<std::string> expected = {
      "Rowan", "7",  "10", "4",  "11", "12", "13", "14", "15", "16", "17", "18", "19", "20",
      "21",    "",   "",   "3",  "5",  "0",  "0",  "-3", "2",  "22", "23", "24", "25", "",
  };
  EXPECT_EQ(MakeStatusTexts(), expected);
  EXPECT_EQ(StatusTextElement(0), 1);
  EXPECT_EQ(StatusTextElement(kGoldField), 22);
  EXPECT_EQ(StatusTextElement(27), 29);
}

// The experience the next level needs is shown whole, past 32 bits, and what is left to gain beside it.
TEST_F(StatusPanelTest, TheNextLevelsNeedIsShownWholePastThirtyTwoBits) {
  sw::SkillTableSpec table;
  table.levelValues[3] = 3000000000u;
  Files().Add("Players/Skill Tables/Bard.skt", sw::EncodeSkillTable(table));
  Files().Add("Players/Classes/Bard.cls", sw::EncodeClass({}));
  LoadWithWindow();
  Character& player = Player();
  player.level = 3;
  player.experience = 5;
  player.AssignDefaultClass();
  player.ResolveLinkedRecord();
  const std::vector<std::string> texts = MakeStatusTexts();
  EXPECT_EQ(texts[19], "3000000000");
  EXPECT_EQ(texts[20], "2999999995");
}

// The portrait on the panel stays whole when the character's own picture goes: a new portrait, or a new
// character (a new game, an opened saved game) while a screen shows the panel. The panel drawn again shows the
// new picture.
TEST_F(StatusPanelTest, ThePortraitShownOutlivesThePictureItWasDrawnFrom) {
  struct Case {
    const char* change;
    void (*replace)(std::unique_ptr<Bitmap> picture);
  };
  const Case cases[] = {
      {"a new portrait", [](std::unique_ptr<Bitmap> picture) { GetCurrentCharacter()->SetPicture(std::move(picture)); }},
      {"a new character",
       [](std::unique_ptr<Bitmap> picture) {
         CreateCurrentCharacter();
         GetCurrentCharacter()->SetPicture(std::move(picture));
       }},
  };
  LoadWithWindow();
  auto picture = [](int32_t width, int32_t height) {
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->Create(width, height, OpaqueFormat);
    return bitmap;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.change);
    Layout& layout = *GetLayout(16);
    GetCurrentCharacter()->SetPicture(picture(40, 40));
    ASSERT_TRUE(DrawStatusPanel(layout));
    c.replace(picture(24, 36));
    GetCurrentCharacter()->SetName("Someone else");
    RefreshStatusPanelTexts(layout);
    SceneLayer* text = layout.TextLayer().Get();
    ASSERT_NE(text, nullptr);
    ASSERT_FALSE(text->Images().empty());
    const PlacedImage& portrait = text->Images().front();
    ASSERT_NE(portrait.bitmap, nullptr);
    EXPECT_EQ(portrait.x, 10);
    EXPECT_EQ(portrait.bitmap->width, 24);
    EXPECT_EQ(portrait.bitmap->height, 36);
    layout.DestroyLayers();
  }
}

TEST_F(StatusPanelTest, TextsOffTheMaskAreNeverShownNorUpdated) {
  UseMaskPicture();
  LoadWithWindow();
  Layout& layout = *GetLayout(17);
  Player().gold = 10;
  ASSERT_TRUE(DrawStatusPanel(layout));
  ASSERT_NE(GetStatusPanelMask(), nullptr);
  EXPECT_EQ(GetStatusPanelMask()->UsedBounds(), (Bounds{0, kBandTop, 640, 480 - kBandTop}));
  const auto& fields = layout.StatusTexts();
  ASSERT_EQ(fields.size(), 28u);
  EXPECT_TRUE(fields[0].shown);
  EXPECT_FALSE(fields[kGoldField].shown);

  Player().gold = 99;
  Player().SetName("Rowan");
  RefreshStatusPanelTexts(layout);
  EXPECT_EQ(fields[0].text, "Rowan");
  EXPECT_EQ(fields[kGoldField].text, "10");
  // Every glyph on the text layer lies on the band.
  SceneLayer* text = layout.TextLayer().Get();
  ASSERT_NE(text, nullptr);
  ASSERT_FALSE(text->Images().empty());
  for (const PlacedImage& image : text->Images()) EXPECT_GE(image.y, kBandTop);

  EXPECT_TRUE(StatusPanelMaskHitTest(100, 400));
  EXPECT_FALSE(StatusPanelMaskHitTest(100, 100));
}

TEST_F(StatusPanelTest, WithoutAMaskPictureTheMapRectangleIsCutOutOfThePanel) {
  LoadWithWindow();
  ASSERT_TRUE(DrawStatusPanel(*GetLayout(17)));
  EXPECT_FALSE(StatusPanelMaskHitTest(320, 200));
  EXPECT_FALSE(StatusPanelMaskHitTest(639, kBandTop - 1));
  EXPECT_TRUE(StatusPanelMaskHitTest(320, kBandTop));
  EXPECT_TRUE(StatusPanelMaskHitTest(5, 470));
}

TEST_F(StatusPanelTest, LayoutsOfOnePictureNameShareThePictureLoadedOnce) {
  UseMaskPicture();
  LoadWithWindow();
  ASSERT_TRUE(DrawStatusPanel(*GetLayout(16)));
  const Bitmap* first = GetStatusPanelBitmap();
  const BitMask* mask = GetStatusPanelMask();
  ASSERT_NE(first, nullptr);
  ASSERT_TRUE(DrawStatusPanel(*GetLayout(17)));
  EXPECT_EQ(GetStatusPanelBitmap(), first);
  EXPECT_EQ(GetStatusPanelMask(), mask);
  // The panel is the masked band only, placed where the band lies.
  EXPECT_EQ(first->height, 480 - kBandTop);
  SceneLayer* panel = GetLayout(17)->PanelLayer().Get();
  ASSERT_NE(panel, nullptr);
  ASSERT_EQ(panel->Images().size(), 1u);
  EXPECT_EQ(panel->Images().front().y, kBandTop);
}

TEST_F(StatusPanelTest, WithoutAPanelPictureThereIsNoPanelAndNoHit) {
  Config().layouts[17].name.clear();
  LoadWithWindow();
  EXPECT_FALSE(DrawStatusPanel(*GetLayout(17)));
  for (int32_t y : {0, 200, 400, 479}) {
    for (int32_t x : {0, 320, 639}) EXPECT_FALSE(StatusPanelMaskHitTest(x, y));
  }
}

TEST_F(StatusPanelTest, ALayoutLackingElementsShowsNoTextForThem) {
  Config().layouts[17].elements.resize(5);
  LoadWithWindow();
  Layout& layout = *GetLayout(17);
  ASSERT_TRUE(DrawStatusPanel(layout));
  const auto& fields = layout.StatusTexts();
  ASSERT_EQ(fields.size(), 28u);
  for (size_t i = 0; i < fields.size(); ++i) EXPECT_EQ(fields[i].shown, fields[i].elementIndex < 5) << i;
  RefreshStatusPanelTexts(layout);
}

TEST_F(StatusPanelTest, TheLayoutOwnsThePanelsLayersAndFreeingTheLayoutsFreesThePicture) {
  LoadWithWindow();
  Layout& layout = *GetLayout(16);
  ASSERT_TRUE(DrawStatusPanel(layout));
  ASSERT_NE(layout.PanelLayer().Get(), nullptr);
  ASSERT_NE(layout.TextLayer().Get(), nullptr);
  layout.PanelLayer().Get()->SetVisible(false);
  layout.ShowLayers();
  EXPECT_TRUE(layout.PanelLayer().Get()->IsVisible());
  const size_t layers = GetSceneView()->Layers().size();
  layout.DestroyLayers();
  EXPECT_EQ(layout.PanelLayer().Get(), nullptr);
  EXPECT_EQ(layout.TextLayer().Get(), nullptr);
  EXPECT_TRUE(layout.StatusTexts().empty());
  EXPECT_EQ(GetSceneView()->Layers().size(), layers - 2);
  // Drawn again, the panel makes its layers anew.
  ASSERT_TRUE(DrawStatusPanel(*GetLayout(17)));
  FreeLayouts();
  EXPECT_EQ(GetStatusPanelBitmap(), nullptr);
  EXPECT_EQ(GetStatusPanelMask(), nullptr);
  EXPECT_EQ(GetSceneView()->Layers().size(), layers - 2);
}

// An event's message over a still screen with the panel: the texts stay on the panel beneath it, both on the panel's
// text layer and on the screen, where the message leaves the panel uncovered.
TEST_F(StatusPanelTest, AnEventsMessageLeavesThePanelsTextsShowing) {
  using namespace test_support::input;
  Config().layouts[1].name = "Message.bmp";
  AddPicture("Pictures/Message.bmp", sw::Canvas(400, 150));
  sw::ScreenLocationSpec square;
  square.interface = 1;
  Files().Add(sw::LocationRecordPath("Square"), sw::EncodeScreenLocation(square));
  AddPicture(sw::LocationPicturePath("Square"), sw::Canvas(640, kBandTop, sw::Rgb{30, 60, 90}));
  AddEvent("Speak", {{test_support::script::Message("Hello")}});
  LoadWithWindow();
  Player().SetName("Rowan");
  ASSERT_EQ(FindLocationByName("Square")->Enter(), 0);
  RefreshView();
  // The pixels of the name's element (element 1, at (60, 390), 55 x 20) that are not the panel's colour: the
  // name's ink on the screen.
  auto nameInk = [] {
    HostFrame frame;
    if (!HostTestLastFrame(GetMainWindow()->GetNativeWindow(), &frame) || frame.width < 115 || frame.height < 410) return -1;
    int32_t ink = 0;
    for (int32_t y = 390; y < 410; ++y) {
      for (int32_t x = 60; x < 115; ++x) ink += frame.pixels[static_cast<size_t>(y * frame.width + x)] != kPanelColour ? 1 : 0;
    }
    return ink;
  };
  const int32_t before = nameInk();
  int32_t during = -1;
  std::string shown;
  test_support::InputScript hands({WaitFor([] { return !OpenDialogs().empty(); }), Wait(2), WaitFor([&] {
                                     during = nameInk();
                                     shown = GetLayout(16)->StatusTexts()[0].text;
                                     return true;
                                   }),
                                   Click(320, 240)});
  Run("Speak");
  EXPECT_FALSE(hands.ClosedTheWindow());
  EXPECT_GT(before, 0);
  EXPECT_EQ(during, before);
  EXPECT_EQ(shown, "Rowan");
}

}  // namespace
