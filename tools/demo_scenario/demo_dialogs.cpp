// The demo's dialogs: the screen layout of every dialog the game opens, with its picture drawn to fit, an element
// for every control (0 the text entries, 1 the event message, 2 the journal, 3 the inventory, 4 the player's name,
// 5 and 6 the race and class choice, 9 the shop, 10 the character sheet, 11 the about box, 14 the level gain, 15 the
// loading screen, 18 spell picking, 19 spell casting, 21 the list scroll picture, 22 the text input, 23 the
// automap), and the three portraits a new player chooses from.
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "tools/demo_scenario/demo_drawing.h"
#include "tools/demo_scenario/demo_builders.h"
#include "tools/scenario_writer/picture_writer.h"

namespace demo_scenario {

namespace {

using Elements = std::vector<sw::LayoutElementSpec>;

sw::LayoutElementSpec Box(const char* name, int32_t x, int32_t y, int32_t width, int32_t height) {
  return {name, static_cast<int16_t>(x), static_cast<int16_t>(y), static_cast<int16_t>(width),
          static_cast<int16_t>(height)};
}

// A word written in block letters left of an element's well, ending a few pixels before it.
struct Label {
  size_t element;
  const char* text;
};

void DrawLabels(sw::Canvas& canvas, const Elements& elements, const std::vector<Label>& labels) {
  for (const Label& label : labels) {
    const sw::LayoutElementSpec& box = elements[label.element];
    DrawLetters(canvas, box.x - 6 - LettersWidth(label.text, 1), box.y + (box.height - 7) / 2, label.text, 1,
                colour::kInk);
  }
}

void AddLayout(sw::ScenarioFiles& files, sw::ConfigSpec& config, int32_t layout, const std::string& picture,
               const sw::Canvas& canvas, Elements elements) {
  config.layouts[static_cast<size_t>(layout)] = {picture, std::move(elements)};
  files.Add("Pictures/" + picture, sw::EncodeBmp24(canvas));
}

// The elements as a dialog reads them from the wells drawn for them: the elements `texts` names hold texts, which a
// dialog writes from its element's top-left corner, so each of them stands inside its well, off its edges.
Elements TextsInWells(Elements wells, const std::vector<size_t>& texts) {
  for (size_t text : texts) {
    sw::LayoutElementSpec& box = wells.at(text);
    box.x = static_cast<int16_t>(box.x + kTextLeft);
    box.y = static_cast<int16_t>(box.y + kTextTop);
    box.width = static_cast<int16_t>(box.width - 2 * kTextLeft);
    box.height = static_cast<int16_t>(box.height - 2 * kTextTop);
  }
  return wells;
}

// Words written in block letters from a point of the picture: a hint, or a word between two wells.
struct Note {
  int32_t x, y;
  const char* text;
};

// A dialog whose picture is the parchment with a well under each element, the labels and notes given, and a
// heading centred along its top.
struct PanelDialog {
  int32_t layout;
  std::string picture;
  int32_t width, height;
  Elements wells;
  std::vector<size_t> texts = {};  // the elements that hold texts (TextsInWells)
  std::vector<size_t> lists = {};  // the elements that hold lists (on the list ground)
  std::vector<Label> labels = {};
  std::string heading = "";
  std::vector<Note> notes = {};
};

sw::Canvas DrawPanelDialog(const PanelDialog& dialog) {
  sw::Canvas canvas = DrawDialogPanel(dialog.width, dialog.height, dialog.wells, dialog.lists);
  DrawLabels(canvas, dialog.wells, dialog.labels);
  DrawLetters(canvas, (dialog.width - LettersWidth(dialog.heading, 2)) / 2, 18, dialog.heading, 2, colour::kWood);
  for (const Note& note : dialog.notes) DrawLetters(canvas, note.x, note.y, note.text, 1, colour::kInk);
  return canvas;
}

void AddPanelDialog(sw::ScenarioFiles& files, sw::ConfigSpec& config, const PanelDialog& dialog) {
  AddLayout(files, config, dialog.layout, dialog.picture, DrawPanelDialog(dialog),
            TextsInWells(dialog.wells, dialog.texts));
}

// The level gain: a heading, the new level and the experience the next one needs, and an "OK" button drawn in the
// picture (the dialog closes on any click and has no button of its own).
void AddLevelGain(sw::ScenarioFiles& files, sw::ConfigSpec& config) {
  const PanelDialog level = {14,
                             "Level.bmp",
                             300,
                             176,
                             {Box("level", 110, 50, 160, 20), Box("needed", 110, 82, 160, 20)},
                             {0, 1},
                             {},
                             {{0, "LEVEL"}, {1, "NEXT AT"}},
                             "A NEW LEVEL"};
  sw::Canvas canvas = DrawPanelDialog(level);
  DrawButton(canvas, 100, 122, 100, 28, "OK");
  AddLayout(files, config, level.layout, level.picture, canvas, TextsInWells(level.wells, level.texts));
}

// The loading screen: a kestrel over the hills at dusk, the name in the sky, and a banner where the loading bar
// and its label stand.
sw::Canvas DrawLoadingScreen() {
  sw::Canvas canvas(640, 480);
  canvas.VerticalGradient(0, 300, sw::Rgb{32, 48, 120}, sw::Rgb{240, 170, 110});
  canvas.FillCircle(470, 250, 60, sw::Rgb{255, 220, 120});
  canvas.FillPeak(150, 140, -60, 380, 330, sw::Rgb{70, 60, 90});
  canvas.FillPeak(420, 180, 200, 700, 330, sw::Rgb{90, 70, 100});
  canvas.VerticalGradient(300, 480, sw::Rgb{60, 110, 50}, sw::Rgb{20, 50, 20});
  canvas.FillPeak(150, 140, 120, 180, 170, sw::Rgb{240, 240, 250});
  DrawKestrel(canvas, 330, 150, 90, sw::Rgb{60, 35, 30});
  const std::string name = "KESTRIVAL";
  DrawLetters(canvas, (640 - LettersWidth(name, 6)) / 2 + 3, 43, name, 6, sw::Rgb{30, 20, 40});
  DrawLetters(canvas, (640 - LettersWidth(name, 6)) / 2, 40, name, 6, sw::Rgb{250, 225, 150});
  canvas.FillRect(120, 360, 400, 60, colour::kWood);
  canvas.FillRect(126, 366, 388, 48, colour::kBrass);
  for (int32_t i = 0; i < 6; ++i) {
    canvas.FillRect(0, i, 640, 1, sw::Rgb{40, 25, 10});
    canvas.FillRect(0, 479 - i, 640, 1, sw::Rgb{40, 25, 10});
    canvas.FillRect(i, 0, 1, 480, sw::Rgb{40, 25, 10});
    canvas.FillRect(639 - i, 0, 1, 480, sw::Rgb{40, 25, 10});
  }
  return canvas;
}

// The about box: the name and the kestrel on a framed card.
sw::Canvas DrawAboutBox() {
  sw::Canvas canvas(640, 480, sw::Rgb{30, 30, 40});
  DrawFrame(canvas, 150, 120, 340, 240);
  DrawKestrel(canvas, 320, 200, 120, colour::kWood);
  const std::string name = "KESTRIVAL";
  DrawLetters(canvas, (640 - LettersWidth(name, 4)) / 2, 270, name, 4, colour::kInk);
  const std::string demo = "DEMO";
  DrawLetters(canvas, (640 - LettersWidth(demo, 3)) / 2, 312, demo, 3, colour::kWood);
  return canvas;
}

// The event message: plain parchment under the text (its lines follow the font, so no ruling could meet them) and
// under the choices (every message shows this one picture, most of them without choices, so anything drawn for a
// choice would stand empty under them), and a scroll in the journal corner.
sw::Canvas DrawMessagePanel(const Elements& elements) {
  sw::Canvas canvas(480, 190);
  DrawFrame(canvas, 0, 0, 480, 190);
  const sw::LayoutElementSpec& journal = elements[4];
  DrawScroll(canvas, journal.x + journal.width / 2, journal.y + journal.height / 2, journal.height);
  return canvas;
}

// The list scroll picture: eight 16 x 16 strips stacked, up arrow, up arrow pressed, track above the thumb,
// thumb, thumb dragged, track below the thumb, down arrow pressed, down arrow.
sw::Canvas DrawListScroll() {
  constexpr int32_t kSide = 16;
  sw::Canvas canvas(kSide, kSide * 8, colour::kSunken);
  const sw::Rgb pressed{160, 60, 30}, dragged{230, 190, 100};
  for (int32_t strip : {0, 1, 6, 7}) {
    const int32_t top = strip * kSide;
    const bool up = strip < 2;
    canvas.FillRect(0, top, kSide, kSide, colour::kParchment);
    // A triangle row by row: widest at its base, one pixel at its point.
    for (int32_t row = 0; row < 8; ++row) {
      const int32_t y = up ? top + 4 + row : top + 11 - row;
      canvas.FillRect(kSide / 2 - row, y, 2 * row + 1, 1, strip == 1 || strip == 6 ? pressed : colour::kWood);
    }
  }
  canvas.FillRect(3, 3 * kSide, kSide - 6, kSide, colour::kBrass);
  canvas.FillRect(3, 4 * kSide, kSide - 6, kSide, dragged);
  return canvas;
}

// The character sheet's elements: the portrait, the name, then texts 2 to 25 in the order the sheet fills them,
// and its four buttons. The points stand under the portrait, the eight attributes and the four resistances in two
// columns beside them, each well with its label on its left.
Elements SheetElements() {
  Elements sheet = {Box("portrait", 20, 20, 96, 120), Box("name", 190, 20, 200, 20)};
  // Texts 2 to 7: stamina and its maximum, magic and its maximum, damage, natural protection.
  for (int32_t row = 0; row < 2; ++row) {
    sheet.push_back(Box("points", 72, 190 + row * 26, 50, 20));
    sheet.push_back(Box("maximum", 134, 190 + row * 26, 50, 20));
  }
  sheet.push_back(Box("damage", 72, 242, 112, 20));
  sheet.push_back(Box("protection", 72, 268, 50, 20));
  for (int32_t row = 0; row < 8; ++row) sheet.push_back(Box("attribute", 276, 170 + row * 26, 50, 20));
  sheet.push_back(Box("race", 190, 48, 110, 20));
  sheet.push_back(Box("class", 360, 48, 130, 20));
  sheet.push_back(Box("level", 190, 76, 40, 20));
  sheet.push_back(Box("experience", 282, 76, 60, 20));
  sheet.push_back(Box("next", 390, 76, 60, 20));
  sheet.push_back(Box("base protection", 134, 268, 50, 20));
  for (int32_t row = 0; row < 4; ++row) sheet.push_back(Box("resistance", 410, 170 + row * 26, 50, 20));
  sheet.push_back(Box("reroll", 290, 376, 100, 28));
  sheet.push_back(Box("ok", 410, 376, 100, 28));
  // The portrait's two buttons under it, each wide enough for its caption.
  sheet.push_back(Box("previous", 20, 148, 62, 24));
  sheet.push_back(Box("next portrait", 88, 148, 62, 24));
  return sheet;
}

std::vector<Label> SheetLabels() {
  return {{1, "NAME"},       {2, "STAMINA"},  {4, "MAGIC"},   {6, "DAMAGE"},  {7, "ARMOUR"},  {8, "STRENGTH"},
          {9, "DEXTERITY"},  {10, "VITALITY"}, {11, "WISDOM"}, {12, "KARMA"},  {13, "LUCK"},   {14, "SPEED"},
          {15, "PERCEPTION"}, {16, "RACE"},    {17, "CLASS"},  {18, "LEVEL"},  {19, "EXP"},    {20, "NEXT"},
          {22, "ACID"},      {23, "FIRE"},     {24, "COLD"},   {25, "SHOCK"}};
}

// The inventory's slot wells, a row each: slots 1, 2, 3, 4, 5, 6 and 9, named for what they hold.
constexpr int32_t kSlotLeft = 350, kSlotTop = 50, kSlotPitch = 44, kSlotWidth = 230, kSlotHeight = 32;
constexpr const char* kSlotNames[] = {"WEAPON", "ARMOUR", "SHIELD", "HELM", "GLOVES", "BOOTS", "RING"};

// The inventory's elements: gold, the list, its three buttons, the slot buttons, the values, the description and
// the slot pictures, numbered as the inventory numbers its controls.
Elements InventoryElements() {
  Elements inventory = {Box("gold", 44, 20, 66, 20), Box("list", 20, 50, 270, 296), Box("close", 490, 376, 90, 28),
                        Box("drop", 390, 376, 90, 28), Box("use", 290, 376, 90, 28)};
  // Buttons 5 to 10 and 16 and pictures 18 to 24 of slots 1, 2, 3, 4, 5, 6 and 9, a row each.
  const int32_t buttonRow[] = {0, 1, 2, 5, 3, 4};  // buttons 5 to 10: slots 1, 2, 3, 6, 4, 5
  for (int32_t row : buttonRow) {
    inventory.push_back(Box("slot", kSlotLeft, kSlotTop + row * kSlotPitch, kSlotWidth, kSlotHeight));
  }
  inventory.push_back(Box("stamina", 146, 20, 40, 20));
  inventory.push_back(Box("magic", 264, 20, 40, 20));
  inventory.push_back(Box("protection", 404, 20, 40, 20));
  inventory.push_back(Box("max stamina", 192, 20, 40, 20));
  inventory.push_back(Box("max magic", 310, 20, 40, 20));
  inventory.push_back(Box("slot", kSlotLeft, kSlotTop + 6 * kSlotPitch, kSlotWidth, kSlotHeight));
  inventory.push_back(Box("description", 20, 356, 260, 50));
  const int32_t pictureRow[] = {0, 1, 2, 5, 3, 4, 6};  // pictures 18 to 24: slots 1, 2, 3, 6, 4, 5, 9
  for (int32_t row : pictureRow) inventory.push_back(Box("picture", 310, kSlotTop + 2 + row * kSlotPitch, 28, 28));
  return inventory;
}

// The trader's window: the shop's picture, the price, the gold, the two modes, the list, "Leave", the trade button,
// the shop's name and the description.
Elements ShopElements() {
  return {Box("picture", 16, 16, 140, 100), Box("price", 60, 182, 96, 20),  Box("gold", 60, 208, 96, 20),
          Box("shop", 16, 130, 66, 24),     Box("player", 90, 130, 66, 24),  Box("list", 176, 16, 268, 200),
          Box("leave", 16, 282, 80, 24),    Box("trade", 176, 282, 80, 24),  Box("name", 16, 250, 140, 20),
          Box("description", 180, 230, 260, 36)};
}

}  // namespace

void AddDialogs(sw::ScenarioFiles& files, sw::ConfigSpec& config) {
  // The loading bar and its label stand on the banner of the loading screen.
  AddLayout(files, config, 15, "Loading.bmp", DrawLoadingScreen(),
            {Box("bar", 140, 396, 361, 12), Box("label", 140, 370, 360, 20)});
  AddLayout(files, config, 11, "About.bmp", DrawAboutBox(), {});
  // The message's text on the parchment, its three choices below it, and the journal corner, clear of the third
  // choice.
  const Elements message = {Box("text", 40, 24, 400, 96), Box("choice 1", 30, 134, 136, 22),
                            Box("choice 2", 172, 134, 136, 22), Box("choice 3", 314, 134, 124, 22),
                            Box("journal", 448, 146, 16, 24)};
  AddLayout(files, config, 1, "Message.bmp", DrawMessagePanel(message), message);

  const Elements choice = {Box("list", 20, 40, 200, 200), Box("description", 240, 40, 200, 200),
                           Box("ok", 180, 256, 100, 28)};
  AddPanelDialog(files, config, {0, "Entries.bmp", 460, 300, choice, {1}, {0}, {}, "NOTES"});
  // The journal's list shows one whole entry, wrapped from its corner as a text is: it stands inside its well.
  AddPanelDialog(files, config,
                 {2, "Journal.bmp", 460, 260,
                  {Box("entries", 20, 44, 420, 150), Box("ok", 20, 214, 90, 28), Box("remove", 120, 214, 90, 28),
                   Box("position", 360, 218, 80, 20)},
                  {0, 3},
                  {},
                  {},
                  "JOURNAL"});
  const Elements inventory = InventoryElements();
  sw::Canvas pack = DrawDialogPanel(600, 420, inventory, {1});
  // The gold, stamina and magic by the panel's icons, the protection by its name.
  DrawCoin(pack, 30, 30, 16);
  DrawHeart(pack, 132, 30, 16);
  DrawDrop(pack, 250, 30, 16);
  DrawLabels(pack, inventory, {{13, "ARMOUR"}});
  // What each slot holds, in the corner of its well away from the item's name.
  for (int32_t row = 0; row < static_cast<int32_t>(std::size(kSlotNames)); ++row) {
    const char* name = kSlotNames[row];
    DrawLetters(pack, kSlotLeft + kSlotWidth - kTextLeft - LettersWidth(name, 1),
                kSlotTop + row * kSlotPitch + kSlotHeight - kTextTop - 7, name, 1, colour::kWood);
  }
  // Its texts, and the slot buttons, which write their items' names as texts do.
  AddLayout(files, config, 3, "Inventory.bmp", pack,
            TextsInWells(inventory, {0, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}));
  AddPanelDialog(files, config,
                 {4, "Name.bmp", 360, 140, {Box("name", 30, 46, 300, 24), Box("ok", 130, 92, 100, 28)}, {}, {}, {},
                  "YOUR NAME"});
  AddPanelDialog(files, config, {5, "Races.bmp", 460, 300, choice, {1}, {0}, {}, "CHOOSE YOUR FOLK"});
  AddPanelDialog(files, config, {6, "Classes.bmp", 460, 300, choice, {1}, {0}, {}, "CHOOSE YOUR CALLING"});
  AddPanelDialog(files, config,
                 {9, "Shop.bmp", 460, 320, ShopElements(), {1, 2, 8, 9}, {5}, {{1, "PRICE"}, {2, "GOLD"}}});
  std::vector<size_t> sheetTexts;
  for (size_t text = 1; text <= 25; ++text) sheetTexts.push_back(text);
  AddPanelDialog(files, config, {10, "Sheet.bmp", 530, 420, SheetElements(), sheetTexts, {}, SheetLabels()});
  AddLevelGain(files, config);
  // Spell picking: the group between its arrows, the spells not yet known with a box to tick, what the selected one
  // does and how many are still to pick, and a hint of what makes "OK" usable (it waits for every pick).
  AddPanelDialog(files, config,
                 {18, "Learn.bmp", 460, 340,
                  {Box("<", 64, 48, 28, 24), Box(">", 168, 48, 28, 24), Box("group", 100, 50, 60, 20),
                   Box("spells", 20, 84, 200, 200), Box("description", 240, 84, 200, 120),
                   Box("picks", 370, 218, 70, 20), Box("ok", 180, 296, 100, 28)},
                  {2, 4, 5},
                  {3},
                  {{0, "GROUP"}, {5, "STILL TO PICK"}},
                  "NEW SPELLS",
                  {{240, 248, "TICK THE SPELLS TO LEARN."},
                   {240, 260, "OK WAITS TILL NONE ARE LEFT"},
                   {240, 272, "TO PICK IN ANY GROUP."}}});
  // Spell casting: the group between its arrows, the known spells, what the selected one does and costs, and the
  // magic there is of the most there can be.
  AddPanelDialog(files, config,
                 {19, "Cast.bmp", 460, 340,
                  {Box("<", 64, 48, 28, 24), Box(">", 168, 48, 28, 24), Box("group", 100, 50, 60, 20),
                   Box("spells", 20, 84, 200, 200), Box("description", 240, 84, 200, 110),
                   Box("cost", 300, 208, 56, 20), Box("magic", 300, 238, 56, 20), Box("close", 240, 290, 90, 28),
                   Box("cast", 350, 290, 90, 28), Box("max magic", 384, 238, 56, 20)},
                  {2, 4, 5, 6, 9},
                  {3},
                  {{0, "GROUP"}, {5, "COST"}, {6, "MAGIC"}},
                  "SPELLS",
                  {{364, 245, "OF"}}});
  AddPanelDialog(files, config,
                 {22, "Ask.bmp", 400, 150,
                  {Box("prompt", 20, 20, 360, 40), Box("text", 20, 70, 360, 24), Box("ok", 150, 108, 100, 28)},
                  {0}});
  AddPanelDialog(files, config, {23, "Automap.bmp", 460, 360, {Box("map", 20, 20, 420, 320)}});
  AddLayout(files, config, 21, "ListScroll.bmp", DrawListScroll(), {});

  files.Add("Players/Portraits/Ash.pct",
            sw::EncodeBmp24(DrawPortrait(sw::Rgb{120, 150, 200}, sw::Rgb{60, 40, 30}, sw::Rgb{40, 90, 60})));
  files.Add("Players/Portraits/Bryn.pct",
            sw::EncodeBmp24(DrawPortrait(sw::Rgb{200, 150, 120}, sw::Rgb{200, 160, 60}, sw::Rgb{120, 40, 40})));
  files.Add("Players/Portraits/Cora.pct",
            sw::EncodeBmp24(DrawPortrait(sw::Rgb{130, 180, 130}, sw::Rgb{30, 30, 30}, sw::Rgb{70, 60, 130})));
}

}  // namespace demo_scenario
