// Writes the demo scenario into a folder: "cs.cfg" and the packed data file "Data/Data001.dat" (with
// "-loose" also the same files as a loose tree in "DataTree/"). Its pictures are drawn here: the loading screen
// the game shows first, the about box, the message panel and the valley; and so are its sounds and music,
// written as loose AIFF files in "Data/" where the game looks for media: a chime for the journal and the purchase
// slots, and a short tune. Its events and one record of each kind are written by the scenario writer; the help
// item shows an event message on the message panel, below a picture of the valley. The loading screen's banner
// carries the loading bar and its label.
//
// The character dialogs have their panels and portraits drawn here too, an element for every control: the
// File menu's new game asks for the name, race and class and shows the character sheet, and the Game menu opens
// the inventory, the sheet, spell casting, the notes and the journal through the engine commands. The new game
// then starts on a still screen of the valley, inside the status bar, whose hut leads into the trader's shop.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/demo_scenario/demo_meadow.h"
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
  canvas.FillRect(8, 404, 100, 72, sw::Rgb{90, 55, 30});
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

// The valley, a still screen inside the status bar, whose hut leads into the trader's shop; a new game starts
// there (its "Main" event takes the player there).
void AddPlaces(sw::ScenarioFiles& files, sw::ConfigSpec& config) {
  config.layouts[16].name = "Panel.bmp";
  config.layouts[16].elements.resize(30);
  auto& panel = config.layouts[16].elements;
  panel[0] = {"portrait", 8, 404, 100, 72};
  panel[1] = {"name", 120, 410, 170, 20};
  panel[18] = {"level", 120, 440, 70, 20};
  panel[22] = {"gold", 200, 440, 90, 20};
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
  valley.hotspots = {{"Trader", 420, 180, 140, 130}, {demo::kMeadowGate, 580, 250, 60, 150}};
  files.Add(sw::LocationRecordPath("Valley"), sw::EncodeScreenLocation(valley));
  sw::ShopLocationSpec trader;
  trader.goods = {"Walking stick", "Healing draught", "Leather cap", "Bread"};
  trader.shopKind = 4;
  // Too little gold: the trader says so.
  trader.cannotPay = {":::", sw::EventSpec{{{"", "Display", {"", "You cannot pay for that."}}}, {}, 0}};
  files.Add(sw::LocationRecordPath("Trader"), sw::EncodeShopLocation(trader));
}

// One record of each kind: a wanderer of the human race who knows a spark spell, carries a walking stick and
// levels by the wanderer's table, and a crow that keeps out of fights.
void AddRecords(sw::ScenarioFiles& files) {
  sw::SpellSpec spark;
  spark.text = "A spark that stings";
  spark.firstValue = 1;  // the spell group
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
  stick.pictureName = "Walking stick.bmp";
  files.Add("Items/Walking stick.itm", sw::EncodeItem(stick));

  // Goods of the trader: bread.
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

// ---- The character dialogs ----

using Elements = std::vector<sw::LayoutElementSpec>;

sw::LayoutElementSpec Box(const char* name, int16_t x, int16_t y, int16_t width, int16_t height) {
  return {name, x, y, width, height};
}

// A dialog's picture: the parchment panel, with a sunken well under each element so that every control stands
// on a place of its own. Arrow elements (named "<" and ">") get an arrow drawn in their well.
sw::Bytes DrawDialogPanel(int32_t width, int32_t height, const Elements& elements) {
  sw::Canvas canvas(width, height, sw::Rgb{90, 40, 20});
  canvas.FillRect(6, 6, width - 12, height - 12, sw::Rgb{200, 160, 80});
  canvas.FillRect(12, 12, width - 24, height - 24, sw::Rgb{245, 232, 200});
  for (const sw::LayoutElementSpec& element : elements) {
    canvas.FillRect(element.x - 2, element.y - 2, element.width + 4, element.height + 4, sw::Rgb{215, 200, 165});
    canvas.FillRect(element.x, element.y, element.width, element.height, sw::Rgb{250, 244, 228});
    const bool left = element.name == "<", right = element.name == ">";
    if (!left && !right) continue;
    // A triangle pointing left or right, one column at a time.
    const int32_t mid = element.y + element.height / 2;
    for (int32_t column = 0; column < element.width - 8; ++column) {
      const int32_t half = (left ? column : element.width - 9 - column) * (element.height - 8) / 2 /
                           std::max(1, element.width - 9);
      canvas.FillRect(element.x + 4 + column, mid - half, 1, 2 * half + 1, sw::Rgb{90, 40, 20});
    }
  }
  return sw::EncodeBmp24(canvas);
}

// The list scroll picture: eight 16 x 16 strips stacked, up arrow, up arrow pressed, track above the thumb,
// thumb, thumb dragged, track below the thumb, down arrow pressed, down arrow.
sw::Bytes DrawListScroll() {
  constexpr int32_t kSide = 16;
  sw::Canvas canvas(kSide, kSide * 8, sw::Rgb{215, 200, 165});
  const sw::Rgb dark{90, 40, 20}, pressed{160, 60, 30}, thumb{200, 160, 80}, dragged{230, 190, 100};
  for (int32_t strip : {0, 1, 6, 7}) {
    const int32_t top = strip * kSide;
    const bool up = strip < 2;
    canvas.FillRect(0, top, kSide, kSide, sw::Rgb{245, 232, 200});
    // A triangle row by row: widest at its base, one pixel at its point.
    for (int32_t row = 0; row < 8; ++row) {
      const int32_t y = up ? top + 4 + row : top + 11 - row;
      canvas.FillRect(kSide / 2 - row, y, 2 * row + 1, 1, strip == 1 || strip == 6 ? pressed : dark);
    }
  }
  canvas.FillRect(3, 3 * kSide, kSide - 6, kSide, thumb);
  canvas.FillRect(3, 4 * kSide, kSide - 6, kSide, dragged);
  return sw::EncodeBmp24(canvas);
}

// A portrait: a face on a coloured ground.
sw::Bytes DrawPortrait(sw::Rgb ground, sw::Rgb hair, sw::Rgb tunic) {
  sw::Canvas canvas(96, 120, ground);
  canvas.FillRect(14, 92, 68, 28, tunic);
  canvas.FillCircle(48, 52, 30, hair);
  canvas.FillCircle(48, 58, 24, sw::Rgb{235, 200, 170});
  canvas.FillRect(38, 52, 5, 5, sw::Rgb{40, 30, 30});
  canvas.FillRect(54, 52, 5, 5, sw::Rgb{40, 30, 30});
  canvas.FillRect(42, 68, 12, 3, sw::Rgb{150, 60, 60});
  return sw::EncodeBmp24(canvas);
}

// An item's picture: a small icon on a dark ground, where the white number of merged copies stands out.
sw::Bytes DrawItemIcon(sw::Rgb colour, bool round) {
  sw::Canvas canvas(28, 28, sw::Rgb{70, 50, 35});
  canvas.FillRect(0, 0, 28, 1, sw::Rgb{90, 40, 20});
  canvas.FillRect(0, 27, 28, 1, sw::Rgb{90, 40, 20});
  if (round) {
    canvas.FillCircle(14, 14, 9, colour);
  } else {
    canvas.FillRect(6, 6, 16, 16, colour);
  }
  return sw::EncodeBmp24(canvas);
}

// The layouts and pictures of the character dialogs: 0 the text entries, 2 the journal, 3 the inventory, 4 the
// player's name, 5 and 6 the race and class choice, 10 the character sheet, 14 the level gain, 18 spell picking,
// 19 spell casting, 21 the list scroll picture and 22 the text input.
void AddCharacterDialogs(sw::ConfigSpec& config, sw::ScenarioFiles& files) {
  struct Panel {
    int32_t layout;
    const char* picture;
    int32_t width, height;
    Elements elements;
  };
  Elements sheet = {Box("portrait", 20, 20, 96, 120), Box("name", 140, 20, 200, 20)};
  // Texts 2 to 7: stamina and its maximum, magic and its maximum, damage, natural protection.
  for (int16_t row = 0; row < 2; ++row) {
    sheet.push_back(Box("points", 20, static_cast<int16_t>(190 + row * 26), 56, 20));
    sheet.push_back(Box("maximum", 84, static_cast<int16_t>(190 + row * 26), 56, 20));
  }
  sheet.push_back(Box("damage", 20, 242, 120, 20));
  sheet.push_back(Box("protection", 20, 268, 56, 20));
  for (int16_t row = 0; row < 8; ++row) sheet.push_back(Box("attribute", 170, static_cast<int16_t>(170 + row * 26), 56, 20));
  sheet.push_back(Box("race", 140, 48, 120, 20));
  sheet.push_back(Box("class", 270, 48, 120, 20));
  sheet.push_back(Box("level", 140, 76, 56, 20));
  sheet.push_back(Box("experience", 204, 76, 80, 20));
  sheet.push_back(Box("next", 292, 76, 80, 20));
  sheet.push_back(Box("base protection", 84, 268, 56, 20));
  for (int16_t row = 0; row < 4; ++row) sheet.push_back(Box("resistance", 260, static_cast<int16_t>(170 + row * 26), 56, 20));
  sheet.push_back(Box("reroll", 290, 376, 100, 28));
  sheet.push_back(Box("ok", 410, 376, 100, 28));
  sheet.push_back(Box("previous", 20, 148, 46, 24));
  sheet.push_back(Box("next portrait", 70, 148, 46, 24));

  Elements inventory = {Box("gold", 20, 20, 90, 20), Box("list", 20, 50, 270, 296), Box("close", 490, 376, 90, 28),
                        Box("drop", 390, 376, 90, 28), Box("use", 290, 376, 90, 28)};
  // Buttons 5 to 10 and 16 and pictures 18 to 24 of slots 1, 2, 3, 4, 5, 6 and 9, a row each.
  const int16_t buttonRow[] = {0, 1, 2, 5, 3, 4};  // buttons 5 to 10: slots 1, 2, 3, 6, 4, 5
  for (int16_t row : buttonRow) inventory.push_back(Box("slot", 350, static_cast<int16_t>(50 + row * 44), 230, 32));
  inventory.push_back(Box("stamina", 130, 20, 40, 20));
  inventory.push_back(Box("magic", 220, 20, 40, 20));
  inventory.push_back(Box("protection", 310, 20, 40, 20));
  inventory.push_back(Box("max stamina", 174, 20, 40, 20));
  inventory.push_back(Box("max magic", 264, 20, 40, 20));
  inventory.push_back(Box("slot", 350, 50 + 6 * 44, 230, 32));
  inventory.push_back(Box("description", 20, 356, 260, 50));
  const int16_t pictureRow[] = {0, 1, 2, 5, 3, 4, 6};  // pictures 18 to 24: slots 1, 2, 3, 6, 4, 5, 9
  for (int16_t row : pictureRow) inventory.push_back(Box("picture", 310, static_cast<int16_t>(52 + row * 44), 28, 28));

  const Elements choice = {Box("list", 20, 40, 200, 200), Box("description", 240, 40, 200, 200),
                           Box("ok", 180, 256, 100, 28)};
  const Panel panels[] = {
      {0, "Entries.bmp", 460, 300, {Box("titles", 20, 40, 200, 200), Box("text", 240, 40, 200, 200), Box("ok", 180, 256, 100, 28)}},
      {2, "Journal.bmp", 460, 260,
       {Box("entries", 20, 30, 420, 150), Box("ok", 20, 206, 90, 28), Box("remove", 120, 206, 90, 28),
        Box("position", 360, 210, 80, 20)}},
      {3, "Inventory.bmp", 600, 420, inventory},
      {4, "Name.bmp", 360, 140, {Box("name", 30, 46, 300, 24), Box("ok", 130, 92, 100, 28)}},
      {5, "Races.bmp", 460, 300, choice},
      {6, "Classes.bmp", 460, 300, choice},
      {10, "Sheet.bmp", 530, 420, sheet},
      {14, "Level.bmp", 300, 120, {Box("level", 30, 28, 240, 24), Box("needed", 30, 66, 240, 24)}},
      {18, "Learn.bmp", 460, 320,
       {Box("<", 20, 20, 28, 24), Box(">", 124, 20, 28, 24), Box("group", 56, 22, 60, 20), Box("spells", 20, 60, 200, 200),
        Box("description", 240, 60, 200, 150), Box("picks", 240, 230, 100, 20), Box("ok", 180, 276, 100, 28)}},
      {19, "Cast.bmp", 460, 330,
       {Box("<", 20, 20, 28, 24), Box(">", 124, 20, 28, 24), Box("group", 56, 22, 60, 20), Box("spells", 20, 60, 200, 200),
        Box("description", 240, 60, 200, 130), Box("cost", 240, 200, 90, 20), Box("magic", 240, 230, 56, 20),
        Box("close", 240, 280, 90, 28), Box("cast", 350, 280, 90, 28), Box("max magic", 306, 230, 56, 20)}},
      {22, "Ask.bmp", 400, 150, {Box("prompt", 20, 20, 360, 40), Box("text", 20, 70, 360, 24), Box("ok", 150, 108, 100, 28)}},
  };
  for (const Panel& panel : panels) {
    config.layouts[static_cast<size_t>(panel.layout)] = {panel.picture, panel.elements};
    files.Add(std::string("Pictures/") + panel.picture, DrawDialogPanel(panel.width, panel.height, panel.elements));
  }
  config.layouts[21].name = "ListScroll.bmp";
  files.Add("Pictures/ListScroll.bmp", DrawListScroll());
  files.Add("Players/Portraits/Ash.pct", DrawPortrait(sw::Rgb{120, 150, 200}, sw::Rgb{60, 40, 30}, sw::Rgb{40, 90, 60}));
  files.Add("Players/Portraits/Bryn.pct", DrawPortrait(sw::Rgb{200, 150, 120}, sw::Rgb{200, 160, 60}, sw::Rgb{120, 40, 40}));
  files.Add("Players/Portraits/Cora.pct", DrawPortrait(sw::Rgb{130, 180, 130}, sw::Rgb{30, 30, 30}, sw::Rgb{70, 60, 130}));
  // Both races and both classes are offered when a new game starts.
  config.offerAllRaces = 1;
  config.offerAllClasses = 1;
}

// The records the character dialogs list: a second race and class, spells in two groups, and items of several
// kinds with pictures of their own.
void AddCharacterRecords(sw::ScenarioFiles& files) {
  sw::RaceSpec elf;
  elf.text = "Folk of the high woods, quick and keen-eyed";
  elf.values[3] = 1;  // dexterity
  files.Add("Players/Races/Elf.rce", sw::EncodeRace(elf));

  struct SpellDefinition {
    const char* name;
    const char* text;
    int16_t group, cost;
  };
  const SpellDefinition spells[] = {{"Glow", "A soft light around the caster", 1, 1},
                                    {"Mend", "Closes small wounds", 1, 3},
                                    {"Frost", "A bite of winter cold", 2, 6}};
  for (const SpellDefinition& definition : spells) {
    sw::SpellSpec spell;
    spell.text = definition.text;
    spell.firstValue = definition.group;
    spell.magicCost = definition.cost;
    files.Add(std::string("Players/Spells/") + definition.name + ".spl", sw::EncodeSpell(spell));
  }
  sw::ClassSpec mage;
  mage.text = "Learns the old words of power";
  mage.values[5] = 1;  // wisdom
  mage.itemPermissions = {0, 0, 0, 0, 0, 1, 1, 0};
  mage.spellNames = {"Spark", "Glow", "Mend", "Frost"};
  files.Add("Players/Classes/Mage.cls", sw::EncodeClass(mage));

  struct ItemDefinition {
    const char* name;
    const char* description;
    int16_t kind;
    sw::Rgb colour;
    bool round;
  };
  const ItemDefinition items[] = {{"Healing draught", "Restores a little stamina", 7, {200, 40, 40}, true},
                                  {"Leather cap", "Keeps the rain off", 4, {130, 90, 50}, false},
                                  {"Copper ring", "Warm to the touch", 9, {200, 120, 40}, true},
                                  {"Lantern", "Lights the way", 8, {240, 200, 60}, false}};
  for (const ItemDefinition& definition : items) {
    sw::ItemSpec item;
    item.description = definition.description;
    item.kind = definition.kind;
    item.price = 3;
    item.charges = -1;
    if (definition.kind == 7) item.modifiers[kModifierMaxStamina] = 2;
    item.pictureName = std::string(definition.name) + ".bmp";
    files.Add("Items/" + std::string(definition.name) + ".itm", sw::EncodeItem(item));
    files.Add("Pictures/" + item.pictureName, DrawItemIcon(definition.colour, definition.round));
  }
  files.Add("Pictures/Walking stick.bmp", DrawItemIcon(sw::Rgb{110, 70, 30}, false));
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
  config.menuLists[2] = sw::MenuListSpec{"Game",
                                         {{"Look around/l", "LookAround"},
                                          {"Inventory/i", "ShowInventory"},
                                          {"Character/k", "ShowCharacter"},
                                          {"Spells/s", "ShowSpells"},
                                          {"Notes/e", "ShowNotes"},
                                          {"Journal/j", "ShowJournal"}}};

  sw::ScenarioFiles files;
  AddCharacterDialogs(config, files);
  files.Add("Pictures/Loading.bmp", DrawLoadingScreen());
  files.Add("Pictures/About.bmp", DrawAboutBox());
  files.Add("Pictures/Message.bmp", DrawMessagePanel());
  files.Add("Events/Pics/Valley.pct", DrawValley());
  // How to play: a message over the valley's picture, which a click closes.
  files.Add("Events/Defs/HowToPlay.cet",
            sw::EncodeEvent({{{"", "Display", {"Valley", "Walk the valley and look around."}}}, {}, 0}));
  for (const char* event : {"StartGame", "NewGame"}) {
    files.Add(std::string("Events/Defs/") + event + ".cet", sw::EncodeEvent({}));
  }
  // The menu items of the game commands: a new game, the inventory, the character sheet, spell casting, the text
  // entries and the journal.
  const std::pair<const char*, const char*> commands[] = {{"BeginGame", "5"},   {"ShowInventory", "3"},
                                                          {"ShowCharacter", "4"}, {"ShowSpells", "8"},
                                                          {"ShowNotes", "9"},   {"ShowJournal", "17"}};
  for (const auto& [event, command] : commands) {
    files.Add(std::string("Events/Defs/") + event + ".cet", sw::EncodeEvent({{{"", "Engine", {command}}}, {}, 0}));
  }
  // A new game starts with a few things to carry and a note.
  files.Add("Events/Defs/Main.cet",
            sw::EncodeEvent({{{"", "Items", {"Walking stick:Healing draught:Healing draught:Leather cap:Copper ring:Lantern", "1"}},
                              {"", "Gold", {"1", "40"}},
                              {"", "Tasks", {"0###road###The road north###It forks at the old mill; the left way "
                                             "climbs to the high woods."}},
                              {"", "Teleport", {"Valley"}}},
                             {},
                             0}));
  // Looking around counts the visits.
  files.Add("Events/Defs/LookAround.cet",
            sw::EncodeEvent({{{"", "Change Global", {"gb_visits", "2", "1"}}}, {}, 0}));
  files.AddEmptyRecordFolders();
  AddRecords(files);
  AddCharacterRecords(files);
  AddPlaces(files, config);
  demo::AddMeadow(files, config, "Valley");
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
