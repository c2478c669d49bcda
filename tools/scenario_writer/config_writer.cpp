// The "Config" writer. The game reads the identity, the default sprite name and the element names shifted down,
// and the other shifted strings shifted up; the writer shifts each the other way.
#include "tools/scenario_writer/config_writer.h"

#include "game/shell/data/data_stream.h"

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

Bytes EncodeConfig(const ConfigSpec& fileSpec) {
  return StreamBytes([&](DataStream& stream) {
    stream.WriteInt16(fileSpec.format);
    stream.WritePString(fileSpec.scenarioName + "::" + fileSpec.secondName, true);
    stream.WriteInt32(fileSpec.ignoredNumber);
    stream.WritePStringPlain(fileSpec.ignoredText);
    stream.WriteByte(fileSpec.pluginsEnabled);
    stream.WriteByte(fileSpec.secondFlag);
    for (uint8_t flag : fileSpec.optionFlags) stream.WriteByte(flag);
    WriteLayoutTable(stream, fileSpec.layouts);
    stream.WriteInt16(static_cast<int16_t>(fileSpec.globalNames.size()));
    for (const std::string& name : fileSpec.globalNames) stream.WritePString(name, false);
    WriteSpotList(stream, fileSpec.spots);
    stream.WritePString(fileSpec.ignoredShifted, false);
    for (int16_t value : {fileSpec.askPlayerName, fileSpec.offerAllRaces, fileSpec.offerAllClasses, fileSpec.characterCreation,
                          fileSpec.screenFades, fileSpec.windowMode, fileSpec.screenWidth, fileSpec.screenHeight, fileSpec.menuBar}) {
      stream.WriteInt16(value);
    }
    stream.WriteInt16(static_cast<int16_t>(fileSpec.menuLists.size()));
    for (const MenuListSpec& list : fileSpec.menuLists) WriteMenuList(stream, list);
    stream.WritePString(fileSpec.defaultPlayerSprite, true);
    stream.WriteInt16(fileSpec.depthCode);
    stream.WritePString(fileSpec.mapText, false);
  });
}

}  // namespace scenario_writer
