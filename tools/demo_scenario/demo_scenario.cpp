// Writes the demo scenario into a folder: "cs.cfg" and the packed data file "Data/Data001.dat" (with
// "-loose" also the same files as a loose tree in "DataTree/"). Its pictures are drawn here: the loading screen
// the game shows first, the about box, the message panel and the valley; and so are its sounds and music,
// written as loose AIFF files in "Data/" where the game looks for media: a chime for the journal and the purchase
// slots, and a short tune. Its events and one record of each kind are written by the scenario writer; the help
// item shows an event message on the message panel, below a picture of the valley. The loading screen's banner
// carries the loading bar and its label. A new game starts with some gold on a still screen of the valley, inside
// the status bar, whose hut leads into the trader's shop.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/scenario_writer/config_writer.h"
#include "tools/scenario_writer/location_writer.h"
#include "tools/scenario_writer/picture_writer.h"
#include "tools/scenario_writer/record_writer.h"
#include "tools/scenario_writer/scenario_files.h"
#include "tools/scenario_writer/sound_files.h"

namespace sw = scenario_writer;

namespace {

sw::Bytes DrawLoadingScreen() {
  sw::Canvas canvas(640, 480);
  canvas.VerticalGradient(0, 300, sw::Rgb{32, 48, 120}, sw::Rgb{240, 170, 110});
  canvas.FillCircle(470, 250, 60, sw::Rgb{255, 220, 120});
  canvas.FillPeak(150, 140, -60, 380, 330, sw::Rgb{70, 60, 90});
  canvas.FillPeak(420, 180, 200, 700, 330, sw::Rgb{90, 70, 100});
  canvas.VerticalGradient(300, 480, sw::Rgb{60, 110, 50}, sw::Rgb{20, 50, 20});
  canvas.FillPeak(150, 140, 120, 180, 170, sw::Rgb{240, 240, 250});
  // A banner where the title stands, and a frame around the screen.
  canvas.FillRect(120, 360, 400, 60, sw::Rgb{90, 40, 20});
  canvas.FillRect(126, 366, 388, 48, sw::Rgb{200, 160, 80});
  for (int32_t i = 0; i < 6; ++i) {
    canvas.FillRect(0, i, 640, 1, sw::Rgb{40, 25, 10});
    canvas.FillRect(0, 479 - i, 640, 1, sw::Rgb{40, 25, 10});
    canvas.FillRect(i, 0, 1, 480, sw::Rgb{40, 25, 10});
    canvas.FillRect(639 - i, 0, 1, 480, sw::Rgb{40, 25, 10});
  }
  return sw::EncodeBmp24(canvas);
}

// The event message's panel (screen layout 1): a framed parchment.
sw::Bytes DrawMessagePanel() {
  sw::Canvas canvas(420, 160, sw::Rgb{90, 40, 20});
  canvas.FillRect(6, 6, 408, 148, sw::Rgb{200, 160, 80});
  canvas.FillRect(12, 12, 396, 136, sw::Rgb{245, 232, 200});
  for (int32_t row = 0; row < 4; ++row) canvas.FillRect(40, 40 + row * 24, 340, 2, sw::Rgb{215, 200, 165});
  return sw::EncodeBmp24(canvas);
}

// The picture above the help message: the valley's road under the sun.
sw::Bytes DrawValley() {
  sw::Canvas canvas(240, 140);
  canvas.VerticalGradient(0, 90, sw::Rgb{120, 170, 230}, sw::Rgb{240, 210, 160});
  canvas.FillCircle(180, 45, 22, sw::Rgb{255, 225, 120});
  canvas.VerticalGradient(90, 140, sw::Rgb{80, 140, 60}, sw::Rgb{40, 90, 30});
  canvas.FillPeak(120, 92, 70, 170, 140, sw::Rgb{190, 160, 110});
  return sw::EncodeBmp24(canvas);
}

sw::Bytes DrawAboutBox() {
  sw::Canvas canvas(640, 480, sw::Rgb{30, 30, 40});
  canvas.FillRect(170, 140, 300, 200, sw::Rgb{200, 160, 80});
  canvas.FillRect(180, 150, 280, 180, sw::Rgb{250, 240, 210});
  canvas.FillCircle(320, 240, 50, sw::Rgb{90, 40, 20});
  return sw::EncodeBmp24(canvas);
}

// The still screens' frame (screen layout 16): the picture fills the top, the status bar runs below it.
sw::Bytes DrawPanel() {
  sw::Canvas canvas(640, 480, sw::Rgb{60, 35, 20});
  canvas.FillRect(0, 400, 640, 80, sw::Rgb{90, 55, 30});
  canvas.FillRect(4, 404, 632, 72, sw::Rgb{200, 160, 80});
  canvas.FillRect(8, 406, 64, 68, sw::Rgb{90, 55, 30});
  return sw::EncodeBmp24(canvas);
}

// The valley seen from the road: hills, a tree, and the trader's hut that the player may enter.
sw::Bytes DrawValleyScreen() {
  sw::Canvas canvas(640, 400);
  canvas.VerticalGradient(0, 240, sw::Rgb{110, 160, 225}, sw::Rgb{235, 215, 170});
  canvas.FillCircle(110, 80, 34, sw::Rgb{255, 228, 130});
  canvas.FillPeak(200, 120, -40, 420, 250, sw::Rgb{90, 120, 80});
  canvas.FillPeak(470, 140, 280, 680, 250, sw::Rgb{70, 105, 70});
  canvas.VerticalGradient(240, 400, sw::Rgb{90, 150, 60}, sw::Rgb{40, 90, 30});
  canvas.FillPeak(300, 250, 250, 350, 400, sw::Rgb{190, 160, 110});
  // The tree.
  canvas.FillRect(150, 230, 16, 90, sw::Rgb{90, 60, 30});
  canvas.FillCircle(158, 210, 48, sw::Rgb{40, 110, 40});
  // The trader's hut: walls, roof, door and a sign.
  canvas.FillRect(430, 230, 120, 80, sw::Rgb{170, 120, 70});
  canvas.FillPeak(490, 180, 420, 560, 232, sw::Rgb{140, 50, 30});
  canvas.FillRect(478, 262, 26, 48, sw::Rgb{80, 45, 20});
  canvas.FillRect(440, 244, 30, 14, sw::Rgb{240, 220, 150});
  return sw::EncodeBmp24(canvas);
}

// The trader's window (screen layout 9): the shop's picture, the modes, the list, the texts and the buttons.
sw::Bytes DrawShopWindow() {
  sw::Canvas canvas(460, 320, sw::Rgb{90, 40, 20});
  canvas.FillRect(6, 6, 448, 308, sw::Rgb{200, 160, 80});
  canvas.FillRect(172, 12, 276, 208, sw::Rgb{245, 232, 200});
  canvas.FillRect(12, 176, 148, 60, sw::Rgb{230, 210, 160});
  canvas.FillRect(172, 224, 276, 48, sw::Rgb{230, 210, 160});
  return sw::EncodeBmp24(canvas);
}

// The trader behind the counter, for the shop's window.
sw::Bytes DrawTrader() {
  sw::Canvas canvas(140, 100, sw::Rgb{150, 110, 70});
  canvas.FillCircle(70, 38, 18, sw::Rgb{235, 190, 150});
  canvas.FillPeak(70, 50, 36, 104, 100, sw::Rgb{60, 90, 140});
  canvas.FillRect(0, 78, 140, 22, sw::Rgb{100, 60, 30});
  return sw::EncodeBmp24(canvas);
}

sw::Bytes DrawIcon(sw::Rgb background, sw::Rgb mark) {
  sw::Canvas canvas(24, 24, background);
  canvas.FillCircle(12, 12, 7, mark);
  return sw::EncodeBmp24(canvas);
}

// The valley, a still screen inside the status bar, whose hut leads into the trader's shop; the game starts
// there with some gold.
void AddPlaces(sw::ScenarioFiles& files, sw::ConfigSpec& config) {
  config.layouts[16].name = "Panel.bmp";
  config.layouts[16].elements.resize(30);
  auto& panel = config.layouts[16].elements;
  panel[0] = {"portrait", 8, 406, 64, 68};
  panel[1] = {"name", 84, 410, 180, 20};
  panel[18] = {"level", 84, 440, 80, 20};
  panel[22] = {"gold", 180, 440, 100, 20};
  panel[28] = {"picture", 0, 0, 640, 400};
  panel[29] = {"place", 300, 410, 300, 20};
  config.layouts[9].name = "Shop.bmp";
  config.layouts[9].elements = {{"picture", 16, 16, 140, 100}, {"price", 20, 182, 130, 20},
                                {"gold", 20, 208, 130, 20},    {"shop", 16, 130, 66, 24},
                                {"player", 90, 130, 66, 24},   {"list", 176, 16, 268, 200},
                                {"leave", 16, 282, 80, 24},    {"trade", 176, 282, 80, 24},
                                {"name", 16, 250, 140, 20},    {"description", 180, 230, 260, 36}};
  files.Add("Pictures/Panel.bmp", DrawPanel());
  files.Add("Pictures/Shop.bmp", DrawShopWindow());
  files.Add(sw::LocationPicturePath("Valley"), DrawValleyScreen());
  files.Add(sw::LocationPicturePath("Trader"), DrawTrader());

  sw::ScreenLocationSpec valley;
  valley.interface = 1;
  valley.hotspots = {{"Trader", 420, 180, 140, 130}};
  files.Add(sw::LocationRecordPath("Valley"), sw::EncodeScreenLocation(valley));
  sw::ShopLocationSpec trader;
  trader.goods = {"Walking stick", "Lantern", "Bread"};
  trader.shopKind = 4;
  // Too little gold: the trader says so.
  trader.cannotPay = {":::", sw::EventSpec{{{"", "Display", {"", "You cannot pay for that."}}}, {}, 0}};
  files.Add(sw::LocationRecordPath("Trader"), sw::EncodeShopLocation(trader));
  files.Add("Events/Defs/Main.cet", sw::EncodeEvent({{{"", "Gold", {"1", "30"}}, {"", "Teleport", {"Valley"}}}, {}, 0}));
}

// One record of each kind: a wanderer of the human race who knows a spark spell, carries a walking stick and
// levels by the wanderer's table, and a crow that keeps out of fights.
void AddRecords(sw::ScenarioFiles& files) {
  sw::SpellSpec spark;
  spark.text = "A spark that stings";
  spark.magicCost = 2;
  spark.duration = 1;
  spark.targetKind = 3;
  spark.damageMin = 1;
  spark.damageMax = 4;
  spark.damageKind = 2;
  spark.effectKind = 2;
  spark.rangeMin = 1;
  spark.rangeMax = 4;
  spark.events = {sw::EventSpec{{{"", "Change Global", {"gb_visits", "2", "1"}}}, {}, 0}};
  files.Add("Players/Spells/Spark.spl", sw::EncodeSpell(spark));

  sw::RaceSpec human;
  human.text = "Folk of the valley";
  human.values[4] = 1;  // vitality
  files.Add("Players/Races/Human.rce", sw::EncodeRace(human));

  sw::ClassSpec wanderer;
  wanderer.text = "Walks where the road goes";
  wanderer.values[3] = 1;                        // dexterity
  wanderer.itemPermissions = {1, 1, 0, 0, 0, 1, 1, 0};
  wanderer.spellNames = {"Spark"};
  files.Add("Players/Classes/Wanderer.cls", sw::EncodeClass(wanderer));

  sw::SkillTableSpec table;
  for (uint32_t level = 1; level <= 20; ++level) table.levelValues[level - 1] = (level - 1) * level * 50;
  table.growthNumber = 2;
  files.Add("Players/Skill Tables/Wanderer.skt", sw::EncodeSkillTable(table));

  sw::ItemSpec stick;
  stick.description = "A stout walking stick";
  stick.kind = 1;
  stick.permissionIndex = 1;
  stick.price = 5;
  stick.modifiers[kModifierMinDamage] = 1;
  stick.modifiers[kModifierMaxDamage] = 3;
  stick.firstProjectileValue = 1;
  stick.charges = -1;
  stick.classNames = {"Wanderer"};
  stick.pictureName = "Stick.bmp";
  files.Add("Items/Walking stick.itm", sw::EncodeItem(stick));
  files.Add("Pictures/Stick.bmp", DrawIcon(sw::Rgb{250, 240, 210}, sw::Rgb{120, 80, 40}));

  // Goods of the trader: a lantern and bread.
  sw::ItemSpec lantern;
  lantern.description = "A lantern for the dark woods";
  lantern.kind = 7;
  lantern.price = 12;
  lantern.pictureName = "Lantern.bmp";
  files.Add("Items/Lantern.itm", sw::EncodeItem(lantern));
  files.Add("Pictures/Lantern.bmp", DrawIcon(sw::Rgb{250, 240, 210}, sw::Rgb{240, 190, 40}));
  sw::ItemSpec bread;
  bread.description = "A loaf for the road";
  bread.kind = 0;
  bread.price = 2;
  bread.pictureName = "Bread.bmp";
  files.Add("Items/Bread.itm", sw::EncodeItem(bread));
  files.Add("Pictures/Bread.bmp", DrawIcon(sw::Rgb{250, 240, 210}, sw::Rgb{190, 130, 60}));

  sw::NpcSpec crow;
  crow.spriteText = "Crow";
  crow.speed = 8;
  crow.perception = 6;
  crow.noticeRange = 4;
  crow.actionInterval = 1500;
  crow.behaviourKind = 0;
  crow.moveInterval = 600;
  crow.wanderRadius = 3;
  files.Add("NPCs/Crow.npc", sw::EncodeNpc(crow));
}

sw::ScenarioFiles BuildDemo() {
  sw::ConfigSpec config;
  config.scenarioName = "Kestrival Demo";
  config.secondName = "Demo";
  config.layouts[15].name = "Loading.bmp";
  // The loading bar and its label stand on the banner of the loading screen.
  config.layouts[15].elements = {{"bar", 140, 396, 361, 12}, {"label", 140, 370, 360, 20}};
  config.layouts[11].name = "About.bmp";
  config.layouts[1].name = "Message.bmp";
  // The message's text on the parchment's lines, its three choices below them, and the journal corner.
  config.layouts[1].elements = {{"text", 40, 24, 340, 90},     {"choice 1", 40, 124, 100, 20},
                                {"choice 2", 160, 124, 100, 20}, {"choice 3", 280, 124, 100, 20},
                                {"journal", 392, 130, 14, 14}};
  config.globalNames = {"gb_visits"};
  config.depthCode = 2;
  config.menuLists[0] = sw::MenuListSpec{"Help", {{"How to play/h", "HowToPlay"}}};
  config.menuLists[1] = sw::MenuListSpec{"File", {{"New game/n", "BeginGame"}, {"-", ""}}};
  config.menuLists[2] = sw::MenuListSpec{"Game", {{"Look around/l", "LookAround"}}};

  sw::ScenarioFiles files;
  files.Add("Pictures/Loading.bmp", DrawLoadingScreen());
  files.Add("Pictures/About.bmp", DrawAboutBox());
  files.Add("Pictures/Message.bmp", DrawMessagePanel());
  files.Add("Events/Pics/Valley.pct", DrawValley());
  // How to play: a message over the valley's picture, which a click closes.
  files.Add("Events/Defs/HowToPlay.cet",
            sw::EncodeEvent({{{"", "Display", {"Valley", "Walk the valley and look around."}}}, {}, 0}));
  // The File menu's new game: the engine's command 5 (the game's own "NewGame" event runs inside it).
  files.Add("Events/Defs/BeginGame.cet", sw::EncodeEvent({{{"", "Engine", {"5"}}}, {}, 0}));
  for (const char* event : {"StartGame", "NewGame"}) {
    files.Add(std::string("Events/Defs/") + event + ".cet", sw::EncodeEvent({}));
  }
  // Looking around counts the visits.
  files.Add("Events/Defs/LookAround.cet",
            sw::EncodeEvent({{{"", "Change Global", {"gb_visits", "2", "1"}}}, {}, 0}));
  files.AddEmptyRecordFolders();
  AddRecords(files);
  AddPlaces(files, config);
  // Last, with the layouts of the places.
  files.Add("Config", sw::EncodeConfig(config));
  return files;
}

constexpr double kRate = 22050.0;

// Two falling notes with a short fade at each end, so that they start and stop without a click.
sw::Bytes MakeChime() {
  std::vector<int16_t> samples;
  for (double frequency : {1318.5, 987.8}) {
    std::vector<int16_t> note = sw::ToneSamples(frequency, 6000.0, kRate, 2205);
    for (size_t i = 0; i < note.size(); ++i) {
      double edge = static_cast<double>(std::min(i, note.size() - 1 - i)) / 200.0;
      note[i] = static_cast<int16_t>(note[i] * std::min(1.0, edge));
    }
    samples.insert(samples.end(), note.begin(), note.end());
  }
  return sw::WriteSoundFile(sw::SoundFileSpec{}, samples);
}

// A slow eight-note tune that the music player loops.
sw::Bytes MakeTune() {
  std::vector<int16_t> samples;
  for (double frequency : {392.0, 440.0, 493.9, 587.3, 523.3, 493.9, 440.0, 392.0}) {
    std::vector<int16_t> note = sw::ToneSamples(frequency, 4000.0, kRate, 8820);
    for (size_t i = 0; i < note.size(); ++i) {
      double decay = 1.0 - static_cast<double>(i) / static_cast<double>(note.size());
      note[i] = static_cast<int16_t>(note[i] * decay);
    }
    samples.insert(samples.end(), note.begin(), note.end());
  }
  return sw::WriteSoundFile(sw::SoundFileSpec{}, samples);
}

bool WriteMedia(const std::filesystem::path& data, std::string* error) {
  std::error_code code;
  std::filesystem::create_directories(data / "Sounds", code);
  std::filesystem::create_directories(data / "Music", code);
  sw::Bytes chime = MakeChime();
  return sw::WriteBytesToFile(data / "Sounds" / "cs_journal_log.aiff", chime, error) &&
         sw::WriteBytesToFile(data / "Sounds" / "cs_buy.aiff", chime, error) &&
         sw::WriteBytesToFile(data / "Music" / "Theme.aiff", MakeTune(), error);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: demo_scenario <folder> [-loose]\n");
    return 2;
  }
  std::filesystem::path folder = argv[1];
  std::error_code code;
  std::filesystem::create_directories(folder / "Data", code);
  sw::ScenarioFiles files = BuildDemo();
  std::string error;
  if (!files.WriteArchive(folder / "Data" / "Data001.dat", &error) || !WriteMedia(folder / "Data", &error) ||
      (argc > 2 && std::string(argv[2]) == "-loose" && !files.WriteLooseTree(folder / "DataTree", &error)) ||
      !sw::WriteBytesToFile(folder / "cs.cfg", sw::Bytes{'-', 'f', ' ', '-', 'p', 'D', 'a', 't', 'a', '/', 'D', 'a',
                                                           't', 'a', '0', '0', '1', '.', 'd', 'a', 't', '\n'},
                            &error)) {
    std::fprintf(stderr, "demo_scenario: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
