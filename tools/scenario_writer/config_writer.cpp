// The "Config" writer. The game reads the identity, the default sprite name and the element names shifted down,
// and the other shifted strings shifted up; the writer shifts each the other way.
#include "tools/scenario_writer/config_writer.h"

#include "game/shell/data_stream.h"

namespace scenario_writer {

void WriteLayoutTable(DataStream& stream, const std::vector<LayoutSpec>& layouts) {
  stream.WriteInt16(static_cast<int16_t>(layouts.size()));
  for (const LayoutSpec& layout : layouts) {
    stream.WriteInt16(0);
    stream.WritePStringPlain(layout.name);
    stream.WriteInt16(static_cast<int16_t>(layout.elements.size()));
    for (const LayoutElementSpec& element : layout.elements) {
      stream.WritePString(element.name, true);
      stream.WriteInt16(element.y);
      stream.WriteInt16(element.x);
      stream.WriteInt16(element.width);
      stream.WriteInt16(element.height);
    }
  }
}

void WriteSpotList(DataStream& stream, const std::vector<SpotSpec>& spots) {
  stream.WriteInt16(static_cast<int16_t>(spots.size()));
  for (const SpotSpec& spot : spots) {
    stream.WritePStringPlain(spot.keyText);
    stream.WriteInt16(spot.exact);
    stream.WritePString(spot.eventName, false);
  }
}

void WriteMenuList(DataStream& stream, const MenuListSpec& list) {
  stream.WritePStringPlain(list.title);
  stream.WriteInt16(static_cast<int16_t>(list.entries.size()));
  for (const MenuEntrySpec& entry : list.entries) {
    stream.WritePString(entry.text, false);
    stream.WritePString(entry.eventName, false);
  }
}

Bytes EncodeConfig(const ConfigSpec& spec) {
  return StreamBytes([&](DataStream& stream) {
    stream.WriteInt16(spec.format);
    stream.WritePString(spec.scenarioName + "::" + spec.secondName, true);
    stream.WriteInt32(spec.ignoredNumber);
    stream.WritePStringPlain(spec.ignoredText);
    stream.WriteByte(spec.pluginsEnabled);
    stream.WriteByte(spec.secondFlag);
    for (uint8_t flag : spec.optionFlags) stream.WriteByte(flag);
    WriteLayoutTable(stream, spec.layouts);
    stream.WriteInt16(static_cast<int16_t>(spec.globalNames.size()));
    for (const std::string& name : spec.globalNames) stream.WritePString(name, false);
    WriteSpotList(stream, spec.spots);
    stream.WritePString(spec.ignoredShifted, false);
    for (int16_t value : {spec.askPlayerName, spec.offerAllRaces, spec.offerAllClasses, spec.characterCreation,
                          spec.screenFades, spec.windowMode, spec.screenWidth, spec.screenHeight, spec.menuBar}) {
      stream.WriteInt16(value);
    }
    stream.WriteInt16(static_cast<int16_t>(spec.menuLists.size()));
    for (const MenuListSpec& list : spec.menuLists) WriteMenuList(stream, list);
    stream.WritePString(spec.defaultPlayerSprite, true);
    stream.WriteInt16(spec.depthCode);
    stream.WritePString(spec.mapText, false);
  });
}

}  // namespace scenario_writer
