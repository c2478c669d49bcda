// Fuzzes the scenario record readers: the first byte picks the kind (event body, action, item action, level
// event, spell, race, class, skill table, NPC definition, item), the rest is the record. Any bytes give a loaded
// record (short data reads as zeros and empty texts) whose actions all have the parameter count of their kind
// (none for a name that no kind begins), and whose copies (events and items) hold the same actions.
//
// An empty corpus folder is first given one record of each kind from the scenario writer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "fuzz/record_fuzz_input.h"
#include "game/rules/scenario_records.h"
#include "game/shell/data/data_stream.h"
#include "tools/scenario_writer/record_writer.h"

namespace {

namespace sw = scenario_writer;

void Check(bool holds) {
  if (!holds) std::abort();
}

void CheckAction(const ScriptAction& action) {
  Check(action.IsLoaded());
  Check(action.params.size() == static_cast<size_t>(ActionParameterCount(FindActionIndex(action.actionName))));
}

void CheckEvent(const ScriptEvent* event) {
  if (event == nullptr) return;
  Check(event->IsLoaded());
  for (const ScriptAction& action : event->mainActions) CheckAction(action);
  for (const ScriptAction& action : event->labelledActions) CheckAction(action);
}

bool SameActions(const std::vector<ScriptAction>& a, const std::vector<ScriptAction>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].label != b[i].label || a[i].actionName != b[i].actionName || a[i].params != b[i].params) return false;
  }
  return true;
}

void CheckEventCopy(const ScriptEvent& event) {
  ScriptEvent copy(event);
  Check(copy.IsLoaded() == event.IsLoaded() && copy.flag == event.flag);
  Check(SameActions(copy.mainActions, event.mainActions) && SameActions(copy.labelledActions, event.labelledActions));
}

void CheckItemAction(const ItemActionRecord* action) {
  Check(action != nullptr && action->IsLoaded());
  if (action->condition != nullptr) CheckAction(*action->condition);
  CheckEvent(action->event.get());
}

void ReadKind(uint8_t kind, DataStream& stream) {
  switch (kind % 10) {
    case 0: {
      ScriptEvent event(stream);
      CheckEvent(&event);
      CheckEventCopy(event);
      return;
    }
    case 1: {
      ScriptAction action(stream);
      CheckAction(action);
      return;
    }
    case 2: {
      ItemActionRecord action(stream);
      CheckItemAction(&action);
      return;
    }
    case 3: {
      LevelEvent levelEvent(stream);
      Check(levelEvent.IsLoaded());
      return;
    }
    case 4: {
      SpellRecord spell(stream);
      Check(spell.IsLoaded());
      if (spell.condition != nullptr) CheckAction(*spell.condition);
      for (const auto& event : spell.events) CheckEvent(event.get());
      return;
    }
    case 5: {
      RaceRecord race(stream);
      Check(race.IsLoaded());
      return;
    }
    case 6: {
      ClassRecord classRecord(stream);
      Check(classRecord.IsLoaded());
      return;
    }
    case 7: {
      SkillTable table(stream);
      Check(table.IsLoaded());
      table.ValueForLevel(INT32_MAX);
      return;
    }
    case 8: {
      NpcDefinition npc(stream);
      Check(npc.IsLoaded());
      for (const auto& event : npc.events) CheckEvent(event.get());
      Check(npc.side == (npc.maxStamina > 0 ? -1 : 0));
      return;
    }
    default: {
      ItemRecord item(stream);
      Check(item.IsLoaded());
      CheckItemAction(item.generalAction.get());
      Check(item.namedActions.size() == static_cast<size_t>(NamedActionCount(item.kind)));
      for (const auto& action : item.namedActions) CheckItemAction(action.get());
      ItemRecord copy(item);
      Check(copy.IsLoaded() && copy.namedActions.size() == item.namedActions.size() && copy.rank == item.rank);
      return;
    }
  }
}

void WriteSeed(const std::filesystem::path& folder, uint8_t kind, const sw::Bytes& record) {
  std::vector<uint8_t> seed{kind};
  seed.insert(seed.end(), record.begin(), record.end());
  sw::WriteBytesToFile(folder / ("writer-" + std::to_string(kind)), seed);
}

void SeedEmptyCorpus(const std::filesystem::path& folder) {
  std::error_code code;
  if (!std::filesystem::is_directory(folder, code) || !std::filesystem::is_empty(folder, code)) return;
  sw::EventSpec event{{{"", "Conditional", {"Gold:is greater than:5", "1", "", "rich", ""}}, {"", "End", {}}},
                      {{"rich", "Change Global", {"gb_rich", "1", "yes"}}},
                      1};
  sw::ItemActionSpec itemAction{{"", event}, "ping.aiff", sw::ActionSpec{"", "Conditional", {"Luck:is greater than:1"}}};
  sw::SpellSpec spell;
  spell.condition = event.mainActions[0];
  spell.events = {event, event};
  spell.pictureName = "Bolt";
  sw::ClassSpec classSpec;
  classSpec.spellNames = {"Bolt", "Mend"};
  sw::SkillTableSpec table;
  table.levelValues[19] = 500;
  table.growthNumber = 5;
  table.levelEvents = {{0, "Every"}, {2, "Second"}};
  sw::NpcSpec npc;
  npc.maxStamina = 5;
  npc.spellNames = {"Bolt"};
  npc.startItemNames = {"Fang"};
  npc.events[0].body = event;
  npc.events[1].name = "Named";
  sw::ItemSpec item;
  item.kind = 1;
  item.generalAction = itemAction;
  item.namedActions = {itemAction, {}, itemAction};
  item.classNames = {"Ranger"};
  item.pictureName = "sword.png";
  WriteSeed(folder, 0, sw::EncodeEvent(event));
  WriteSeed(folder, 1, sw::EncodeAction(event.mainActions[0]));
  WriteSeed(folder, 2, sw::EncodeItemAction(itemAction));
  WriteSeed(folder, 3, sw::EncodeLevelEvent({3, "Third"}));
  WriteSeed(folder, 4, sw::EncodeSpell(spell));
  WriteSeed(folder, 5, sw::EncodeRace({"Elf", {}}));
  WriteSeed(folder, 6, sw::EncodeClass(classSpec));
  WriteSeed(folder, 7, sw::EncodeSkillTable(table));
  WriteSeed(folder, 8, sw::EncodeNpc(npc));
  WriteSeed(folder, 9, sw::EncodeItem(item));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  SeedCorpusFolder(*argc, *argv, SeedEmptyCorpus);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ReadSelectedInput(data, size, ReadKind);
  return 0;
}
