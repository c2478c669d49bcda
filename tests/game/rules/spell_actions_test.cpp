// The actions on the player's spells: "Sp" learns, forgets and casts named spells (on a map the casts wait for
// its tick) and opens the spell casting dialog unless a readied spell can be cast again; "Spell S" opens the spell
// picking dialog for the groups it allows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/dialogs/dialog.h"
#include "game/dialogs/modal_dialog_driver.h"
#include "game/rules/action_handlers.h"
#include "game/rules/character.h"
#include "game/rules/game_state.h"
#include "game/rules/script_action.h"
#include "game/world/sprite.h"
#include "tests/game/rules/combat_fixture.h"

namespace {

using namespace combat_test;

constexpr int32_t kSpellCastLayout = 19;
constexpr int32_t kSpellPickLayout = 18;

void Spells(const std::string& names, const std::string& mode) { RunSpellsAction(Made({"", "Spells", {names, mode}})); }
void PickSpells(const std::string& pairs) { RunSpellPickAction(Made({"", "Spell Select", {pairs}})); }

// Notes the layout of each dialog that is run and closes it unanswered.
class LayoutRecorder : public ModalDialogDriver {
 public:
  void Drive(Dialog& dialog) override { layouts.push_back(dialog.LayoutIndex()); }
  std::vector<int32_t> layouts;
};

class SpellActionsTest : public CombatFixture {
 protected:
  void SetUp() override {
    CombatFixture::SetUp();
    DefineSpell("Zap").magicCost = 2;
    DefineSpell("Glow").magicCost = 2;
  }
  void Start() {
    CombatFixture::Start();
    SetModalDialogDriver(&dialogs_);
  }
  const std::vector<int32_t>& Shown() const { return dialogs_.layouts; }
  std::vector<std::string> Known() {
    std::vector<std::string> names;
    for (const SpellRecord* spell : Player().knownSpells) names.push_back(spell->GetName());
    return names;
  }
  std::vector<std::string> Pending() {
    std::vector<std::string> names;
    for (const SpellRecord* spell : PendingSpells()) names.push_back(spell->GetName());
    return names;
  }

  LayoutRecorder dialogs_;
};

TEST_F(SpellActionsTest, NamedSpellsAreLearntForgottenAndCastByMode) {
  Start();
  using Names = std::vector<std::string>;
  const struct {
    const char* names;
    const char* mode;
    Names known;
    Names pending;
  } cases[] = {
      // Records take their names lower-cased.
      {"Zap:Nothing:ZAP:Glow", "1", {"zap", "glow"}, {}},  // known once, unknown names passed over
      {"Glow", "2", {"zap"}, {}},
      {"Zap:Glow", "3", {"zap"}, {"zap", "glow"}},  // on a map a cast waits for the map's tick
      {"Glow", "01", {"zap"}, {"zap", "glow"}},     // the mode is compared as a whole text
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.names) + " " + c.mode);
    Spells(c.names, c.mode);
    EXPECT_EQ(Known(), c.known);
    EXPECT_EQ(Pending(), c.pending);
  }
  EXPECT_EQ(TakeLog(), "");

  // Elsewhere the spell is cast at once, on the player here.
  ClearPendingSpells();
  SetCurrentLocation(FindLocationByName("Elsewhere"));
  map_.reset();
  Player().magic = 5;
  Spells("Zap", "3");
  EXPECT_EQ(TakeLog(), "cast hit 2,2 hit 2,2 ");
  EXPECT_EQ(Player().magic, 3);
  EXPECT_TRUE(Pending().empty());

  SetGameInProgress(0);
  Spells("Glow", "1");
  EXPECT_EQ(Known(), (Names{"zap"}));
}

TEST_F(SpellActionsTest, ChoosingASpellCastsTheReadiedOneAgainOrOpensTheDialog) {
  Start();
  Character& player = Player();
  Settle(player);
  // Names given with mode 4 are not learnt; the dialog opens.
  Spells("Zap", "4");
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0], kSpellCastLayout);
  EXPECT_TRUE(player.knownSpells.empty());
  // The spell readied last is queued again while the magic lasts for it.
  player.readiedSpell = FindSpellByName("Glow");
  player.magic = 2;
  Spells("", "4");
  EXPECT_EQ(Pending(), (std::vector<std::string>{"glow"}));
  EXPECT_EQ(Shown().size(), 1u);
  player.magic = 1;
  Spells("", "4");
  EXPECT_EQ(Shown().size(), 2u);
  // While the player's figure is busy nothing happens.
  player.sprite->SetFrame(1, true);
  Spells("", "4");
  EXPECT_EQ(Shown().size(), 2u);
}

TEST_F(SpellActionsTest, PickingNewSpellsShowsTheDialogOnlyForAllowedGroups) {
  Start();
  PickSpells("3,0:0,2:,");
  EXPECT_TRUE(Shown().empty());
  PickSpells("3,0:1,2");
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0], kSpellPickLayout);
}

}  // namespace
