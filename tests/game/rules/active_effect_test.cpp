// Active effects: a new effect lasts its spell's duration; the saved form shifts the spell's name and finds the
// spell again by name.
#include "game/rules/active_effect.h"

#include <gtest/gtest.h>

#include "game/rules/spell_record.h"
#include "game/shell/data/string_utils.h"
#include "game/shell/record_lists.h"
#include "tests/support/archive_fixtures.h"
#include "tools/scenario_writer/record_writer.h"

namespace {

namespace sw = scenario_writer;

class ActiveEffectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sw::SpellSpec fields;
    fields.duration = 6;
    auto stream = test_support::MemoryStreamOver(sw::EncodeSpell(fields));
    stream->SetPath("Players/Spells/Fog.spl");
    ReadSpellFile(*stream);
    ASSERT_NE(FindSpellByName("Fog"), nullptr);
  }
  void TearDown() override { ClearSpellList(); }
};

TEST_F(ActiveEffectTest, ANewEffectLastsItsSpellsDuration) {
  ActiveEffect effect(FindSpellByName("Fog"));
  EXPECT_EQ(effect.spell, FindSpellByName("Fog"));
  EXPECT_EQ(effect.remaining, 6);
  EXPECT_EQ(effect.started, 0);
  EXPECT_EQ(effect.restored, 0);
  EXPECT_EQ(ActiveEffect(nullptr).remaining, 0);
}

TEST_F(ActiveEffectTest, TheSavedFormShiftsTheSpellNameAndRestoresTheEffectStarted) {
  sw::Bytes bytes = sw::StreamBytes([](DataStream& stream) {
    std::unique_ptr<ActiveEffect> effect = ActiveEffect::Restore(FindSpellByName("Fog"), 4);
    effect->WriteToSave(stream);
    ActiveEffect(nullptr).WriteToSave(stream);
  });
  std::string shifted = "Fog";
  ScrambleString(shifted, true);
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_EQ(bytes[0], 3);
  EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 4), shifted);

  auto stream = test_support::MemoryStreamOver(bytes);
  std::unique_ptr<ActiveEffect> effect = ActiveEffect::ActiveEffectFromSave(*stream);
  ASSERT_NE(effect, nullptr);
  EXPECT_EQ(effect->spell, FindSpellByName("Fog"));
  EXPECT_EQ(effect->remaining, 4);
  EXPECT_EQ(effect->started, 1);
  EXPECT_EQ(effect->restored, 1);
  std::unique_ptr<ActiveEffect> withoutSpell = ActiveEffect::ActiveEffectFromSave(*stream);
  ASSERT_NE(withoutSpell, nullptr);
  EXPECT_EQ(withoutSpell->spell, nullptr);
  EXPECT_EQ(ActiveEffect::ActiveEffectFromSave(*stream), nullptr);  // nothing more to read
}

TEST_F(ActiveEffectTest, AnEffectWhoseSpellIsGoneComesBackWithoutIt) {
  sw::Bytes bytes = sw::StreamBytes([](DataStream& stream) {
    stream.WritePString("Gone", true);
    stream.WriteInt16(2);
  });
  auto stream = test_support::MemoryStreamOver(bytes);
  std::unique_ptr<ActiveEffect> effect = ActiveEffect::ActiveEffectFromSave(*stream);
  ASSERT_NE(effect, nullptr);
  EXPECT_EQ(effect->spell, nullptr);
  EXPECT_EQ(effect->remaining, 2);
  EXPECT_EQ(effect->restored, 1);
}

}  // namespace
