// The record writers. Strings in records are stored plain.
#include "tools/scenario_writer/record_writer.h"

#include <algorithm>
#include <initializer_list>

#include "game/rules/item_record.h"
#include "game/rules/script_action.h"
#include "game/rules/script_event.h"
#include "game/shell/data/data_stream.h"

namespace scenario_writer {

namespace {

void WriteCount(DataStream& stream, size_t count) {
  stream.WriteInt16(static_cast<int16_t>(std::min<size_t>(count, INT16_MAX)));
}

void WriteValues(DataStream& stream, std::initializer_list<int16_t> values) {
  for (int16_t value : values) stream.WriteInt16(value);
}

void WriteStrings(DataStream& stream, const std::vector<std::string>& strings) {
  WriteCount(stream, strings.size());
  for (const std::string& text : strings) stream.WritePStringPlain(text);
}

// A 16-bit length and the bytes, unshifted: parameters are stored plain.
void WriteLongStringPlain(DataStream& stream, const std::string& text) {
  size_t length = std::min<size_t>(text.size(), UINT16_MAX);
  stream.WriteInt16(static_cast<int16_t>(static_cast<uint16_t>(length)));
  stream.WriteBytes(text.data(), static_cast<uint32_t>(length));
}

void WriteCondition(DataStream& stream, const std::optional<ActionSpec>& condition) {
  stream.WriteInt16(condition.has_value() ? 1 : 0);
  if (condition.has_value()) WriteAction(stream, *condition);
}

}  // namespace

void WriteAction(DataStream& stream, const ActionSpec& action) {
  stream.WritePStringPlain(action.label);
  stream.WritePStringPlain(action.name);
  int32_t count = ActionParameterCount(FindActionIndex(action.name));
  for (int32_t i = 0; i < count; ++i) {
    size_t at = static_cast<size_t>(i);
    WriteLongStringPlain(stream, at < action.params.size() ? action.params[at] : std::string());
  }
}

void WriteEventBody(DataStream& stream, const EventSpec& event) {
  WriteCount(stream, event.mainActions.size());
  WriteCount(stream, event.labelledActions.size());
  for (const ActionSpec& action : event.mainActions) WriteAction(stream, action);
  for (const ActionSpec& action : event.labelledActions) WriteAction(stream, action);
  stream.WriteInt16(event.flag);
}

void WriteEventReference(DataStream& stream, const EventReferenceSpec& reference) {
  if (!reference.body.has_value()) {
    stream.WritePStringPlain(reference.name);
    return;
  }
  stream.WritePStringPlain(kInlineEventReference);
  WriteEventBody(stream, *reference.body);
}

void WriteItemAction(DataStream& stream, const ItemActionSpec& action) {
  stream.WritePStringPlain(action.event.body.has_value() ? kInlineEventReference : action.event.name);
  stream.WritePStringPlain(action.soundName);
  WriteCondition(stream, action.condition);
  if (action.event.body.has_value()) WriteEventBody(stream, *action.event.body);
}

Bytes EncodeAction(const ActionSpec& action) {
  return StreamBytes([&](DataStream& stream) { WriteAction(stream, action); });
}

Bytes EncodeEvent(const EventSpec& event) {
  return StreamBytes([&](DataStream& stream) { WriteEventBody(stream, event); });
}

Bytes EncodeItemAction(const ItemActionSpec& action) {
  return StreamBytes([&](DataStream& stream) { WriteItemAction(stream, action); });
}

Bytes EncodeLevelEvent(const LevelEventSpec& levelEvent) {
  return StreamBytes([&](DataStream& stream) {
    stream.WriteInt16(levelEvent.level);
    stream.WritePStringPlain(levelEvent.eventName);
  });
}

Bytes EncodeSpell(const SpellSpec& s) {
  return StreamBytes([&](DataStream& stream) {
    stream.WritePStringPlain(s.text);
    WriteValues(stream, {s.firstValue, s.magicCost, s.duration, s.kindValue, s.targetKind, s.sixthValue,
                         s.damageMin, s.damageMax, s.damageKind, s.effectKind});
    stream.WritePStringPlain(s.effectNumber);
    WriteValues(stream, {s.extraA, s.extraB, s.rangeMin, s.rangeMax});
    for (int16_t modifier : s.modifiers) stream.WriteInt16(modifier);
    WriteCondition(stream, s.condition);
    WriteCount(stream, s.events.size());
    for (const EventSpec& event : s.events) WriteEventBody(stream, event);
    stream.WritePStringPlain(s.pictureName);
    WriteValues(stream, {s.repeatAnimation, s.showOnTarget});
  });
}

Bytes EncodeSkillTable(const SkillTableSpec& table) {
  return StreamBytes([&](DataStream& stream) {
    for (uint32_t value : table.levelValues) stream.WriteInt32(static_cast<int32_t>(value));
    stream.WriteInt32(table.growthNumber);
    WriteCount(stream, table.levelEvents.size());
    for (const LevelEventSpec& levelEvent : table.levelEvents) {
      stream.WriteInt16(levelEvent.level);
      stream.WritePStringPlain(levelEvent.eventName);
    }
  });
}

Bytes EncodeRace(const RaceSpec& race) {
  return StreamBytes([&](DataStream& stream) {
    stream.WritePStringPlain(race.text);
    for (int16_t value : race.values) stream.WriteInt16(value);
  });
}

Bytes EncodeClass(const ClassSpec& classSpec) {
  return StreamBytes([&](DataStream& stream) {
    stream.WritePStringPlain(classSpec.text);
    for (int16_t value : classSpec.values) stream.WriteInt16(value);
    for (int16_t permission : classSpec.itemPermissions) stream.WriteInt16(permission);
    WriteStrings(stream, classSpec.spellNames);
  });
}

Bytes EncodeNpc(const NpcSpec& n) {
  return StreamBytes([&](DataStream& stream) {
    stream.WritePStringPlain(n.spriteText);
    WriteValues(stream, {n.maxStamina, n.maxMagic, n.unusedA[0], n.unusedA[1]});
    WriteValues(stream, {n.minDamage, n.maxDamage, n.damageKind, n.strength, n.dexterity, n.vitality, n.wisdom});
    WriteValues(stream, {n.morale, n.luck, n.speed, n.perception, n.unusedB});
    WriteValues(stream, {n.chemicalProtection, n.fireProtection, n.coldProtection, n.electricalProtection});
    WriteValues(stream, {n.naturalProtection, n.noticeRange, n.actionInterval, n.level, n.experience, n.gold});
    WriteStrings(stream, n.spellNames);
    WriteStrings(stream, n.startItemNames);
    WriteValues(stream, {n.behaviourKind, n.moveInterval, n.wanderRadius, n.movementMode, n.destinationX,
                         n.destinationY});
    for (const EventReferenceSpec& event : n.events) WriteEventReference(stream, event);
  });
}

Bytes EncodeItem(const ItemSpec& item) {
  return StreamBytes([&](DataStream& stream) {
    stream.WritePStringPlain(item.description);
    stream.WritePStringPlain(item.secondText);
    WriteItemAction(stream, item.generalAction);
    WriteValues(stream, {item.kind, item.permissionIndex, item.hands, item.price});
    for (int32_t m = kModifierMinDamage; m <= kModifierSpecialDamage; ++m) stream.WriteInt16(item.modifiers[m]);
    stream.WriteInt16(item.firstProjectileValue);
    for (int32_t m = kModifierNaturalProtection; m < kModifierCount; ++m) stream.WriteInt16(item.modifiers[m]);
    stream.WritePStringPlain(item.replacementName);
    stream.WritePStringPlain(item.spellName);
    WriteValues(stream, {item.charges, item.spellTrigger});
    int32_t actionCount = NamedActionCount(item.kind);
    for (int32_t i = 0; i < actionCount; ++i) {
      size_t at = static_cast<size_t>(i);
      WriteItemAction(stream, at < item.namedActions.size() ? item.namedActions[at] : ItemActionSpec{});
    }
    WriteStrings(stream, item.classNames);
    stream.WriteInt16(item.attackKindValue);
    stream.WritePStringPlain(item.secondProjectileText);
    stream.WritePStringPlain(item.attackPictureName);
    WriteValues(stream, {item.damageKind, item.flagExtra});
    stream.WritePStringPlain(item.thirdText);
    for (uint8_t flag : item.flags) stream.WriteByte(flag);
    stream.WriteByte(item.pictureFlag);
    stream.WritePStringPlain(item.pictureName);
    stream.WriteByte(item.lastValue);
  });
}

}  // namespace scenario_writer
