// The demo scenario's data as the game reads it: the loose tree and the archive hold the same records and locations;
// every screen layout a screen or dialog uses has its picture and an element for each of its controls; the pictures
// leave the texts room (no ruling under a message's text or choices, values inside their wells) and the level gain
// shows a heading and a button; every event the game fires by name, from the start-up to the panel's map buttons
// and the menus, is written; and the title's theme plays without the media decoders, so that the start-up does not
// load them.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "game/rules/npc_definition.h"
#include "game/shell/data/data_archive.h"
#include "game/shell/data/string_utils.h"
#include "game/shell/media/media_lookup.h"
#include "game/shell/media/music_player.h"
#include "game/shell/record_lists.h"
#include "game/world/location.h"
#include "host/testing_sound.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/scenario_folder_fixture.h"
#include "tests/support/sound_fixture.h"
#include "tools/demo_scenario/demo_drawing.h"
#include "tools/demo_scenario/demo_scenario.h"

namespace {

namespace sw = scenario_writer;

bool HasFile(const sw::ScenarioFiles& files, const std::string& path) {
  return std::any_of(files.Files().begin(), files.Files().end(), [&](const auto& file) { return file.first == path; });
}

// The numbers from first to last.
std::vector<size_t> Range(size_t first, size_t last) {
  std::vector<size_t> numbers;
  for (size_t number = first; number <= last; ++number) numbers.push_back(number);
  return numbers;
}

// The picture of a screen layout, decoded as the game reads pictures; an empty image when it is missing.
DecodedImage LayoutPicture(const demo_scenario::DemoScenario& demo, int32_t layout) {
  DecodedImage image;
  const std::string path = "Pictures/" + demo.config.layouts.at(static_cast<size_t>(layout)).name;
  for (const auto& [name, bytes] : demo.data.Files()) {
    if (name == path) {
      EXPECT_EQ(DecodeBytes(bytes, &image), kPlatformNoError) << path;
    }
  }
  return image;
}

// The pixels of a colour in the picture between two rows and two columns, inside the dialog frame (12 pixels wide).
int32_t CountColour(const DecodedImage& picture, int32_t left, int32_t top, int32_t right, int32_t bottom,
                    sw::Rgb colour) {
  const uint32_t argb = 0xFF000000u | uint32_t{colour.red} << 16 | uint32_t{colour.green} << 8 | colour.blue;
  int32_t found = 0;
  for (int32_t y = std::max(top, 12); y < std::min(bottom, picture.Height() - 12); ++y) {
    for (int32_t x = std::max(left, 12); x < std::min(right, picture.Width() - 12); ++x) {
      found += PixelAt(picture, x, y) == argb ? 1 : 0;
    }
  }
  return found;
}

class DemoDataTest : public ScenarioFolderTest {
 protected:
  // The loaded records, a line each: the kind of list, the name and what tells records of one kind apart, in lower
  // case (the archive lists its names so).
  static std::string LoadedRecords() {
    std::ostringstream out;
    for (const auto& spell : SpellList()) out << "spell " << spell->GetName() << " " << spell->magicCost << "\n";
    for (const auto& race : RaceList()) out << "race " << race->GetName() << "\n";
    for (const auto& table : SkillTableList()) out << "skill table " << table->GetName() << "\n";
    for (const auto& item : ItemList()) {
      out << "item " << item->GetName() << " " << item->kind << " " << item->price << "\n";
    }
    for (const auto& location : LocationList()) {
      out << "location " << location->GetName() << " " << location->Kind() << "\n";
    }
    for (const auto& npc : NpcList()) out << "npc " << npc->GetName() << " " << npc->maxStamina << "\n";
    for (const auto& characterClass : ClassList()) {
      out << "class " << characterClass->GetName() << " " << characterClass->spells.size() << "\n";
    }
    std::string text = out.str();
    ToLowerInPlace(text);
    return text;
  }
};

TEST_F(DemoDataTest, TheLooseTreeAndTheArchiveHoldTheSameRecordsAndLocations) {
  std::string error;
  ASSERT_TRUE(demo_scenario::BuildDemoScenario(temp_.Posix(), true, &error)) << error;
  std::string loaded[2];
  const std::pair<const char*, bool> sources[] = {{"DataTree", false}, {"Data/Data001.dat", true}};
  for (size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE(sources[i].first);
    ASSERT_EQ(DataArchive::Open(sources[i].first, sources[i].second), 0);
    LoadScenarioData(false);
    loaded[i] = LoadedRecords();
    ClearRecordLists();
    DataArchive::Close();
  }
  EXPECT_EQ(loaded[0], loaded[1]);
  for (const char* line : {"location village 0", "location trader 3", "location well 4", "location shrine 4",
                           "location meadow 10", "npc wolf 8", "item sword 1 20", "class mage 2", "race human"}) {
    EXPECT_NE(loaded[1].find(std::string(line) + "\n"), std::string::npos) << line;
  }
}

TEST(DemoScenarioTest, EveryLayoutInUseHasItsPictureAndAnElementForEachControl) {
  const demo_scenario::DemoScenario demo = demo_scenario::MakeDemoScenario();
  // Layouts and the elements the screens and dialogs on them read; 20 and 21 are pictures only.
  const std::pair<int32_t, size_t> layouts[] = {{0, 3},   {1, 5},   {2, 4},   {3, 25},  {4, 2},  {5, 3},  {6, 3},
                                                {9, 10},  {10, 30}, {11, 0},  {14, 2},  {15, 2}, {16, 34}, {17, 34},
                                                {18, 7},  {19, 10}, {20, 0},  {21, 0},  {22, 3}, {23, 1}};
  for (const auto& [index, elements] : layouts) {
    const sw::LayoutSpec& layout = demo.config.layouts.at(static_cast<size_t>(index));
    EXPECT_TRUE(HasFile(demo.data, "Pictures/" + layout.name)) << "layout " << index << ": " << layout.name;
    EXPECT_GE(layout.elements.size(), elements) << "layout " << index;
  }
}

TEST(DemoScenarioTest, TheMessagePictureIsPlainUnderTheTextAndTheChoices) {
  // The text's lines follow the font: a ruling drawn in the picture would run through them. Every message shows
  // the one picture, and a message without choices shows no choice lines: nothing is drawn under the choices or
  // just below them either.
  const demo_scenario::DemoScenario demo = demo_scenario::MakeDemoScenario();
  const DecodedImage picture = LayoutPicture(demo, 1);
  const std::vector<sw::LayoutElementSpec>& elements = demo.config.layouts[1].elements;
  const uint32_t parchment = PixelAt(picture, elements.at(0).x, elements.at(0).y);
  for (size_t element = 0; element <= 3; ++element) {
    const sw::LayoutElementSpec& box = elements.at(element);
    std::vector<std::string> marks;
    for (int32_t y = box.y; y < box.y + box.height + 4; ++y) {
      for (int32_t x = box.x; x < box.x + box.width; ++x) {
        if (PixelAt(picture, x, y) != parchment) marks.push_back(std::to_string(x) + "," + std::to_string(y));
      }
    }
    EXPECT_EQ(marks.size(), 0u) << "element " << element << ", first at " << (marks.empty() ? "" : marks.front());
  }
}

TEST(DemoScenarioTest, TextsStandOffTheEdgesOfTheirWells) {
  const demo_scenario::DemoScenario demo = demo_scenario::MakeDemoScenario();
  // Layouts, how far into its element a text is written (the status panel writes 2 pixels in, a dialog's texts
  // and text buttons at the corner), and the elements that hold texts.
  struct Texts {
    int32_t layout, offset;
    std::vector<size_t> elements;
  };
  const Texts layouts[] = {
      {16, 2, {1, 2, 3, 4, 5, 16, 17, 18, 22, 29}},  // the status panel
      {10, 0, Range(1, 25)},                        // the sheet
      {3, 0, Range(5, 17)},                         // the inventory's slots and values
      {3, 0, {0}},                                  // its gold
      {9, 0, {1, 2, 8, 9}},                         // the shop
      {19, 0, {2, 4, 5, 6, 9}},                     // spell casting
      {2, 0, {0, 3}},                               // the journal's entry and position
  };
  for (const Texts& texts : layouts) {
    const DecodedImage picture = LayoutPicture(demo, texts.layout);
    for (size_t index : texts.elements) {
      const sw::LayoutElementSpec& element =
          demo.config.layouts.at(static_cast<size_t>(texts.layout)).elements.at(index);
      const int32_t x = element.x + texts.offset, y = element.y + texts.offset;
      // The well's ground where the text starts reaches 4 pixels to its left and 2 above it.
      const uint32_t ground = PixelAt(picture, x, y);
      EXPECT_EQ(PixelAt(picture, x - 4, y + 2), ground) << "layout " << texts.layout << ", element " << index;
      EXPECT_EQ(PixelAt(picture, x + 2, y - 2), ground) << "layout " << texts.layout << ", element " << index;
    }
  }
}

TEST(DemoScenarioTest, TheLevelGainPictureHasAHeadingAboveItsTextsAndAButtonBelowThem) {
  const demo_scenario::DemoScenario demo = demo_scenario::MakeDemoScenario();
  const DecodedImage picture = LayoutPicture(demo, 14);
  const std::vector<sw::LayoutElementSpec>& texts = demo.config.layouts[14].elements;
  ASSERT_EQ(texts.size(), 2u);
  const auto count = [&picture](int32_t top, int32_t bottom, sw::Rgb colour) {
    return CountColour(picture, 0, top, picture.Width(), bottom, colour);
  };
  // The heading's letters in the wood of the dialogs' headings; the button's face, with its caption on it.
  EXPECT_GT(count(0, texts[0].y - 4, demo_scenario::colour::kWood), 0);
  const int32_t below = texts[1].y + texts[1].height + 4;
  EXPECT_GT(count(below, picture.Height(), demo_scenario::colour::kButtonFace), 20 * 80);
  EXPECT_GT(count(below, picture.Height(), demo_scenario::colour::kInk), 0);
}

TEST(DemoScenarioTest, DialogsWithoutATitleOfTheirOwnHaveAHeadingAboveTheirElements) {
  const demo_scenario::DemoScenario demo = demo_scenario::MakeDemoScenario();
  // The notes, the journal, the name, the races, the classes, the level gain, spell picking and spell casting.
  for (const int32_t layout : {0, 2, 4, 5, 6, 14, 18, 19}) {
    const DecodedImage picture = LayoutPicture(demo, layout);
    int32_t top = picture.Height();
    for (const sw::LayoutElementSpec& element : demo.config.layouts.at(static_cast<size_t>(layout)).elements) {
      top = std::min<int32_t>(top, element.y);
    }
    // The heading's letters in the wood of the dialogs' headings, above the wells (2 pixels round each element).
    EXPECT_GT(CountColour(picture, 0, 0, picture.Width(), top - 2, demo_scenario::colour::kWood), 0)
        << "layout " << layout;
  }
}

TEST(DemoScenarioTest, SpellPickingSaysHowManyAreStillToPickAndWhatTheOkWaitsFor) {
  const demo_scenario::DemoScenario demo = demo_scenario::MakeDemoScenario();
  const DecodedImage picture = LayoutPicture(demo, 18);
  const std::vector<sw::LayoutElementSpec>& elements = demo.config.layouts[18].elements;
  ASSERT_EQ(elements.size(), 7u);
  const sw::LayoutElementSpec &picks = elements[5], &ok = elements[6], &description = elements[4];
  // A label left of the count still to pick, and a hint between the count and the "OK" button.
  EXPECT_GT(CountColour(picture, description.x, picks.y, picks.x - 2, picks.y + picks.height,
                        demo_scenario::colour::kInk),
            0);
  EXPECT_GT(CountColour(picture, description.x, picks.y + picks.height + 2, picture.Width(), ok.y - 2,
                        demo_scenario::colour::kInk),
            3 * 40);
}

TEST(DemoScenarioTest, EveryEventTheGameFiresByNameIsWritten) {
  const demo_scenario::DemoScenario demo = demo_scenario::MakeDemoScenario();
  std::vector<std::string> fired = {"StartGame", "Main",        "EndGame",     "MainPortrait", "MapPortrait",
                                    "MapButton1", "MapButton2", "MapButton3",  "MapButton4",   "MapButton30",
                                    "MapButton31", "MapButton32", "MapButton33"};
  for (const sw::MenuListSpec& menu : demo.config.menuLists) {
    for (const sw::MenuEntrySpec& entry : menu.entries) {
      if (entry.text != "-") fired.push_back(entry.eventName);
    }
  }
  for (const std::string& event : fired) {
    EXPECT_TRUE(HasFile(demo.data, "Events/Defs/" + event + ".cet")) << event;
  }
}

using DemoMusicTest = SoundScenarioTest;

TEST_F(DemoMusicTest, TheThemePlaysWithoutTheMediaDecoders) {
  for (const demo_scenario::MediaFile& file : demo_scenario::MakeDemoScenario().media) {
    temp_.WriteFile("Data/" + file.path, std::string(file.bytes.begin(), file.bytes.end()));
  }
  MusicPlayer::Initialize();
  HostTestHideMediaLibraries(true);
  const bool played = PlayMusicByName("Theme");
  const std::vector<int16_t> out = HostTestMixAudio(4410);
  HostTestHideMediaLibraries(false);
  MusicPlayer::Terminate();
  EXPECT_TRUE(played);
  EXPECT_TRUE(std::any_of(out.begin(), out.end(), [](int16_t sample) { return sample != 0; }));
}

}  // namespace
