// The scenario writer's location records.
#include "tools/scenario_writer/location_writer.h"

#include "game/shell/data/data_stream.h"

namespace scenario_writer {

namespace {

void WriteCommon(DataStream& stream, int16_t kind, const LocationCommonSpec& common) {
  stream.WriteInt16(kind);
  for (int16_t value : common.values) stream.WriteInt16(value);
  stream.WritePStringPlain(common.text);
}

// What still screens and maps share after the common part: the ambient sounds, the shortcuts, the interface.
void WriteShownPart(DataStream& stream, const std::array<AmbientSoundSpec, 3>& sounds, int16_t globalShortcuts,
                    const std::vector<SpotSpec>& shortcuts, int16_t interface) {
  for (const AmbientSoundSpec& sound : sounds) {
    stream.WritePStringPlain(sound.name);
    stream.WriteInt16(sound.chance);
  }
  stream.WriteInt16(globalShortcuts);
  WriteSpotList(stream, shortcuts);
  stream.WriteInt16(interface);
}

void WriteEnterPart(DataStream& stream, const std::string& enterEvent, const std::string& keptText,
                    const EventSpec& enterActions) {
  stream.WritePStringPlain(enterEvent);
  stream.WritePStringPlain(keptText);
  WriteEventBody(stream, enterActions);
}

}  // namespace

Bytes EncodeScreenLocation(const ScreenLocationSpec& location) {
  return StreamBytes([&](DataStream& stream) {
    WriteCommon(stream, 0, location.common);
    WriteShownPart(stream, location.sounds, location.globalShortcuts, location.shortcuts, location.interface);
    stream.WriteInt16(static_cast<int16_t>(location.hotspots.size()));
    for (const HotspotSpec& hotspot : location.hotspots) {
      stream.WritePStringPlain(hotspot.location);
      for (int16_t value : {hotspot.x, hotspot.y, hotspot.width, hotspot.height}) stream.WriteInt16(value);
    }
    WriteEnterPart(stream, location.enterEvent, location.keptText, location.enterActions);
  });
}

Bytes EncodeShopLocation(const ShopLocationSpec& location) {
  return StreamBytes([&](DataStream& stream) {
    WriteCommon(stream, 3, location.common);
    stream.WriteInt16(static_cast<int16_t>(location.goods.size()));
    for (const std::string& name : location.goods) stream.WritePStringPlain(name);
    stream.WriteInt16(location.shopKind);
    WriteEnterPart(stream, location.enterEvent, location.keptText, location.enterActions);
    WriteEventReference(stream, location.cannotPay);
    WriteEventReference(stream, location.secondEvent);
  });
}

Bytes EncodeScriptLocation(const ScriptLocationSpec& location) {
  return StreamBytes([&](DataStream& stream) {
    WriteCommon(stream, 4, location.common);
    WriteEnterPart(stream, location.enterEvent, location.keptText, location.enterActions);
  });
}

Bytes EncodeMapLocation(const MapLocationSpec& location) {
  return StreamBytes([&](DataStream& stream) {
    WriteCommon(stream, 10, location.common);
    WriteShownPart(stream, location.sounds, location.globalShortcuts, location.shortcuts, location.interface);
    for (const std::string& exit : location.exits) stream.WritePStringPlain(exit);
    WriteEnterPart(stream, location.enterEvent, location.keptText, location.enterActions);
  });
}

Bytes EncodeLocationCommon(int16_t kind, const LocationCommonSpec& common) {
  return StreamBytes([&](DataStream& stream) { WriteCommon(stream, kind, common); });
}

std::string LocationRecordPath(const std::string& name) { return "Locations/Defs/" + name + ".loc"; }
std::string LocationPicturePath(const std::string& name) { return "Locations/Location pics/" + name + ".pct"; }

}  // namespace scenario_writer
