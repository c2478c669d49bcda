// The character dialogs: their layouts, what closes them, and what the level gain announces.
#include "game/dialogs/character_dialogs.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "game/rules/character.h"
#include "game/shell/input_manager.h"
#include "tests/support/script_harness.h"

namespace {

namespace sw = scenario_writer;

class CharacterDialogsTest : public test_support::ScriptHarness {};

TEST_F(CharacterDialogsTest, EachShowsItsLayoutAndClosesOnAClickReturnOrEscape) {
  Load();
  std::function<std::unique_ptr<Dialog>()> makers[] = {
      [] { return std::make_unique<InventoryDialog>(); }, [] { return std::make_unique<SpellCastDialog>(); },
      [] { return std::make_unique<EntryInfoDialog>(); }, [] { return std::make_unique<JournalDialog>(); },
      [] { return std::make_unique<LevelGainDialog>(); }};
  const int32_t layouts[] = {3, 19, 0, 2, 14};
  std::function<void()> closers[] = {
      [] {
        Input::OnLeftButton(5, 5, kButtonDown);
        Input::OnLeftButton(5, 5, kButtonUp);
      },
      [] { Input::SetKey(kSlotReturn, 1); },
      [] { Input::SetKey(kSlotEscape, 1); }};
  for (size_t i = 0; i < std::size(makers); ++i) {
    for (const auto& close : closers) {
      std::unique_ptr<Dialog> dialog = makers[i]();
      EXPECT_EQ(dialog->LayoutIndex(), layouts[i]);
      Input::BeginFrame();
      dialog->HandleEvents();
      EXPECT_FALSE(dialog->IsClosed());
      close();
      Input::BeginFrame();
      dialog->HandleEvents();
      EXPECT_TRUE(dialog->IsClosed()) << layouts[i];
      // What closed it is taken once the dialog has gone: the next frame sees none of it.
      dialog.reset();
      Input::BeginFrame();
      EXPECT_FALSE(Input::WasClicked());
      EXPECT_EQ(Input::IsKeyDown(kSlotReturn), 0);
      EXPECT_EQ(Input::IsKeyDown(kSlotEscape), 0);
    }
  }
}

TEST_F(CharacterDialogsTest, TheLevelGainShowsTheLevelAndTheExperienceTheNextNeeds) {
  sw::SkillTableSpec table;
  table.levelValues[3] = 2500;
  Files().Add("Players/Skill Tables/Bard.skt", sw::EncodeSkillTable(table));
  Files().Add("Players/Classes/Bard.cls", sw::EncodeClass({}));
  Load();
  Character& c = Player();
  c.level = 3;
  LevelGainDialog before;  // no skill table yet
  EXPECT_EQ(before.LevelText(), "3");
  EXPECT_EQ(before.NeededText(), "0");
  c.AssignDefaultClass();
  c.ResolveLinkedRecord();
  LevelGainDialog after;
  EXPECT_EQ(after.NeededText(), "2500");
}

}  // namespace
