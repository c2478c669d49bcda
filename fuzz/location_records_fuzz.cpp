// Fuzzes the location records: any bytes give no location (a kind that names none), or a still screen, shop,
// script or map location built from its record, with zeros and empty texts past its end; the first byte of a
// second kind of input (odd) instead picks the location history's saved block, which is refused or read back
// the same after writing.
//
// An empty corpus folder is first given one record of each kind from the scenario writer, and a history block.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/record_fuzz_input.h"
#include "game/shell/data/data_stream.h"
#include "game/world/location.h"
#include "game/world/location_history.h"
#include "game/world/screen_location.h"
#include "game/world/shop_location.h"
#include "tools/scenario_writer/location_writer.h"

namespace {

namespace sw = scenario_writer;

void Check(bool holds) {
  if (!holds) std::abort();
}

void ReadLocation(DataStream& stream) {
  std::unique_ptr<Location> location = CreateLocation(stream);
  if (location == nullptr) return;
  const int16_t kind = location->Kind();
  Check(kind == kLocationKindScreen || kind == kLocationKindShop || kind == kLocationKindScript ||
        kind == kLocationKindMap);
  Check(!location->IsActive());
  if (const auto* screen = dynamic_cast<const ScreenLocation*>(location.get())) {
    Check(screen->Shortcuts() != nullptr && screen->Elements().empty());
  }
}

void ReadHistory(DataStream& stream) {
  std::vector<LocationHistoryEntry> entries;
  if (!LocationHistory::Read(stream, &entries)) {
    Check(entries.empty());
    return;
  }
  DataStream written;
  Check(written.CreateMemory(64));
  // Names and counts read from a block always fit the block's form again.
  Check(LocationHistory::Write(written, entries) == kHistoryBlockWritten);
  written.Seek(0);
  std::vector<LocationHistoryEntry> again;
  Check(LocationHistory::Read(written, &again));
  // The kind and the cells go through 16 bits both ways.
  Check(again == entries);
}

void WriteSeed(const std::filesystem::path& folder, const std::string& name, uint8_t selector, const sw::Bytes& bytes) {
  std::vector<uint8_t> seed{selector};
  seed.insert(seed.end(), bytes.begin(), bytes.end());
  sw::WriteBytesToFile(folder / name, seed);
}

void SeedEmptyCorpus(const std::filesystem::path& folder) {
  std::error_code code;
  if (!std::filesystem::is_directory(folder, code) || !std::filesystem::is_empty(folder, code)) return;
  sw::EventSpec event{{{"", "Change Global", {"gb_a", "1", "yes"}}}, {}, 0};
  sw::ScreenLocationSpec screen;
  screen.sounds[0] = {"Wind", 20};
  screen.shortcuts = {{"q", 0, "Quit"}, {"M", 1, "Map"}};
  screen.interface = 1;
  screen.hotspots = {{"Gate", 10, 20, 30, 40}, {"Shop", 0, 0, 5, 5}};
  screen.enterEvent = "Arrive";
  screen.enterActions = event;
  sw::ShopLocationSpec shop;
  shop.goods = {"Rope", "Lamp"};
  shop.shopKind = 5;
  shop.enterActions = event;
  shop.cannotPay = {":::", event};
  shop.secondEvent = {"Named", std::nullopt};
  sw::ScriptLocationSpec script;
  script.enterEvent = "Chime";
  script.enterActions = event;
  WriteSeed(folder, "writer-screen", 0, sw::EncodeScreenLocation(screen));
  WriteSeed(folder, "writer-shop", 0, sw::EncodeShopLocation(shop));
  WriteSeed(folder, "writer-script", 0, sw::EncodeScriptLocation(script));
  sw::MapLocationSpec map;
  map.enterEvent = "Dawn";
  map.enterActions = event;
  WriteSeed(folder, "writer-map", 0, sw::EncodeMapLocation(map));
  WriteSeed(folder, "writer-history", 1, sw::StreamBytes([](DataStream& s) {
              LocationHistory::Write(s, {{10, 4, 9, 0, "Town", "town.aiff"}, {0, 0, 0, 0, "Inn", ""}});
            }));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  SeedCorpusFolder(*argc, *argv, SeedEmptyCorpus);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ReadSelectedInput(data, size, [](uint8_t selector, DataStream& stream) {
    if ((selector & 1) == 0) {
      ReadLocation(stream);
    } else {
      ReadHistory(stream);
    }
  });
  return 0;
}
