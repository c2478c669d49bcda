// Writes starting inputs for the fuzz targets, made by the project's own writers: the scenario writer's pictures,
// sounds, animation sets, archives and "Config" files, the framework's container writer and compressors, the
// saved-game writer, a markup page, the game's preferences file and a block it packed in place, and start-up
// files and path texts. Each input is what its target expects behind the prefix the target adds itself (a
// picture's signature or file header, a first byte that picks a mode). The image formats the writers do not make
// (GIF, PNG, JPEG) get theirs from make_image_seeds.py.
//
// Usage: make_seeds <folder>   (writes <folder>/<target name without "_fuzz">/<seed>)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "game/shell/data/mem_handle.h"
#include "game/shell/data/preferences.h"
#include "game/shell/saved_game_file.h"
#include "platform/core/chunk_file.h"
#include "platform/core/compression.h"
#include "platform/core/file_manager.h"
#include "platform/core/memory.h"
#include "platform/core/platform_stream.h"
#include "tools/scenario_writer/animation_set_writer.h"
#include "tools/scenario_writer/config_writer.h"
#include "tools/scenario_writer/picture_writer.h"
#include "tools/scenario_writer/scenario_files.h"
#include "tools/scenario_writer/sound_files.h"
#include "tools/scenario_writer/tile_map_writer.h"

namespace sw = scenario_writer;

namespace {

std::filesystem::path top;
bool failed = false;

void Seed(const std::string& target, const std::string& name, const sw::Bytes& bytes) {
  std::error_code code;
  std::filesystem::create_directories(top / target, code);
  std::string error;
  if (!sw::WriteBytesToFile(top / target / name, bytes, &error)) {
    std::fprintf(stderr, "make_seeds: %s\n", error.c_str());
    failed = true;
  }
}

sw::Bytes WithoutFirst(const sw::Bytes& bytes, size_t count) {
  return sw::Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(std::min(count, bytes.size())), bytes.end());
}

sw::Bytes After(uint8_t first, const sw::Bytes& bytes) {
  sw::Bytes out{first};
  out.insert(out.end(), bytes.begin(), bytes.end());
  return out;
}

sw::Canvas SmallPicture() {
  sw::Canvas canvas(13, 7, {10, 200, 30});
  canvas.FillRect(2, 1, 6, 3, {250, 20, 40});
  canvas.FillCircle(9, 4, 2, {0, 0, 255});
  canvas.Set(12, 6, {255, 255, 255});
  return canvas;
}

void PictureSeeds() {
  const sw::Canvas canvas = SmallPicture();
  // The target adds "BM".
  Seed("bmp", "writer-24bit", WithoutFirst(sw::EncodeBmp24(canvas), 2));
  Seed("bmp", "writer-16bit-fields", WithoutFirst(sw::EncodeBmp16(canvas), 2));
  Seed("bmp", "writer-32bit-fields", WithoutFirst(sw::EncodeBmp32(canvas), 2));
  // The target adds the 512-byte file header and the picture size.
  const std::vector<sw::Rgb> table{{10, 200, 30}, {250, 20, 40}, {0, 0, 255}, {255, 255, 255}};
  Seed("pict", "writer-8bit-table", WithoutFirst(sw::EncodePict8(canvas, table), 514));
  sw::Canvas wide(300, 2, {10, 200, 30});  // rows over 250 bytes: 16-bit packed counts
  wide.FillRect(100, 0, 50, 2, {250, 20, 40});
  Seed("pict", "writer-8bit-wide", WithoutFirst(sw::EncodePict8(wide, table), 514));
}

void SoundSeeds() {
  const std::vector<int16_t> tone = sw::ToneSamples(440.0, 8000.0, 22050.0, 200);
  struct Form {
    const char* name;
    const char* form;
    const char* compression;
    uint16_t bits;
  } forms[] = {{"aiff-16bit", "AIFF", "NONE", 16}, {"aiff-8bit", "AIFF", "NONE", 8},
               {"aifc-none", "AIFC", "NONE", 16},  {"aifc-ima4", "AIFC", "ima4", 16},
               {"aifc-ima4-size-4", "AIFC", "ima4", 4}};
  for (const Form& f : forms) {
    sw::SoundFileSpec spec;
    spec.form = f.form;
    spec.compression = f.compression;
    spec.bitsPerSample = f.bits;
    // Mode byte 2: the rest is the whole file.
    Seed("aiff", f.name, After(2, sw::WriteSoundFile(spec, tone)));
  }
  // The music files the host reads itself: 16-bit at 44,100 Hz, mono and stereo, plain and AIFF-C.
  const std::vector<int16_t> music = sw::ToneSamples(440.0, 8000.0, 44100.0, 100);
  const struct Music {
    const char* name;
    const char* form;
    const char* compression;
    uint16_t channels;
  } tunes[] = {{"mono", "AIFF", "NONE", 1}, {"stereo", "AIFF", "NONE", 2}, {"aifc-twos", "AIFC", "twos", 2}};
  for (const Music& tune : tunes) {
    sw::SoundFileSpec sound;
    sound.form = tune.form;
    sound.compression = tune.compression;
    sound.channels = tune.channels;
    sound.samplesPerSecond = 44100;
    std::vector<int16_t> frames;
    for (int16_t sample : music) frames.insert(frames.end(), tune.channels, sample);
    Seed("pcm_aiff", tune.name, sw::WriteSoundFile(sound, frames));
  }
}

void AnimationSetSeeds() {
  sw::AnimationSetSpec set;
  set.name = "Walker";
  set.pictures = {"walk1.bmp", "walk2.bmp"};
  sw::AnimationSpec walk;
  walk.name = "walk";
  // A picture, a sound ("s..." names one the target finds) and an event among the frames.
  walk.frames = {{5, 0, "walk1.bmp", 0, 0, {}}, {5, 3, "sthud", 1, 2, {}}, {5, 6, "Stepped", 0, 0, {}}};
  set.animations = {walk};
  sw::Bytes bytes = sw::EncodeAnimationSet(set);
  // The target keeps the names for inputs of odd size: both ways.
  Seed("animation_set", "writer-set", bytes);
  bytes.push_back(0);
  Seed("animation_set", "writer-set-names-kept", bytes);
}

void MapFileSeeds() {
  sw::TileMapSpec map;
  map.groundPictures = {"Grass", ""};
  map.stampPictures = {"Tree"};
  map.width = 4;
  map.height = 3;
  map.cells = {{1, "", 4}, {0, "Gate", 0}, {1, "Local:Trap", 5}};
  sw::MapLayerSpec layer;
  layer.lastLower = 1;
  layer.sprites = {{10, 20, 1, ""}, {40, 8, 0, "oak"}};
  map.layers = {layer, sw::MapLayerSpec{}};
  map.characters = {{2, 3, 5, "Wolf", ""}};
  map.events = {{"Trap", {{{"", "Change Global", {"gb_a", "1", "2"}}}}}};
  Seed("map_file", "writer-no-grid", sw::EncodeTileMap(map));
  map.pictureGrid = sw::PictureGridSpec{2, 2, 64, 48, {{1, 1}, {2, 1}}};
  map.items = {{3, 2, 4, "Key", "", 9}};
  Seed("map_file", "writer-grid-and-items", sw::EncodeTileMap(map));
}

void ArchiveSeeds() {
  sw::ScenarioFiles files;
  sw::ConfigSpec config;
  config.scenarioName = "Fuzz Isle";
  files.Add("Config", sw::EncodeConfig(config));
  files.AddEmptyRecordFolders();
  files.Add("Players/Spells/Fire.spl", sw::Bytes{1, 2, 3});
  files.Add("Pictures/Dot.bmp", sw::EncodeBmp24(sw::Canvas(2, 2)));
  files.Add("Events/Defs/StartGame.cet", sw::Bytes{0, 0, 0, 0, 0, 0});
  sw::Bytes archive;
  if (files.BuildArchive(archive)) Seed("archive_directory", "writer-archive", archive);
}

// A container made by the framework's own writer: records added to an empty one in memory.
void ChunkFileSeeds() {
  PlatformHandle* handle = PlatformHandle::New(0);
  PlatformStream* stream = nullptr;
  if (handle == nullptr || MemoryStream::Open(handle, &stream) != kPlatformNoError) return;
  bool made = ChunkFile::Create(stream, 4) == kPlatformNoError;
  const char* names[] = {"readme", "data"};
  const char* contents[] = {"a record of text", "\x01\x02\x03\x04"};
  for (int i = 0; i < 2 && made; ++i) {
    PlatformFileInfo info = {};
    std::snprintf(info.name, sizeof(info.name), "%s", names[i]);
    info.readable = 1;
    info.writable = 1;
    PlatformStream* record = nullptr;
    made = ChunkFile::AddRecord(stream, &info) == kPlatformNoError;
    PlatformStream::AddRef(stream, 1);
    if (made && ChunkFile::OpenRecordStream(stream, names[i], true, false, &record) == kPlatformNoError) {
      PlatformStream::Link(record);
      made = PlatformStream::Write(record, static_cast<uint32_t>(std::strlen(contents[i])), contents[i]) ==
             kPlatformNoError;
      PlatformStream::Close(record);
    } else {
      PlatformStream::AddRef(stream, -1);
      made = false;
    }
  }
  if (made) {
    const auto* bytes = static_cast<const uint8_t*>(handle->data);
    Seed("chunk_file", "framework-container", sw::Bytes(bytes, bytes + PlatformHandle::GetSize(handle)));
  }
  PlatformStream::Close(stream);
  PlatformHandle::Dispose(handle);
}

void CompressionSeeds() {
  // An even length, so that the 16-bit run-length kind takes it too.
  const std::string text = "aaaaaaaabbbbbbbbcdcdcdcd the framework's compressors at work 0000000000000";
  struct Kind {
    const char* name;
    uint32_t kind;
    uint8_t first;  // the target's first byte picks the kind: 0 zlib, 1 pack, 2 PACK, 3 none
  } kinds[] = {{"zlib", kCompressionZlib, 0}, {"pack", kCompressionPack, 1}, {"pack16", kCompressionPack16, 2},
               {"none", kCompressionNone, 3}};
  for (const Kind& k : kinds) {
    PlatformHandle* handle = PlatformHandle::FromBytes(text.data(), static_cast<uint32_t>(text.size()));
    if (handle == nullptr) continue;
    if (PlatformCompressHandle(handle, k.kind, nullptr) == kPlatformNoError) {
      const auto* bytes = static_cast<const uint8_t*>(handle->data);
      Seed("decompress", k.name, After(k.first, sw::Bytes(bytes, bytes + PlatformHandle::GetSize(handle))));
    }
    PlatformHandle::Dispose(handle);
  }
}

void DictionarySeeds() {
  const std::string list = "src=\"a b\" width=10 hidden NAME='x' $count+=2 alt=%41%42 a<b";
  // The first byte holds the table's flags: attributes (8) and large (2).
  Seed("dictionary", "attributes", After(8 | 2, sw::Bytes(list.begin(), list.end())));
}

void SavedGameSeeds() {
  SavedGame game;
  SavedCharacter& c = game.character;
  c.name = "Hero";
  c.level = 3;
  c.experience = 1500;
  c.gold = 77;
  for (size_t i = 0; i < c.base.size(); ++i) c.base[i] = static_cast<int16_t>(10 + i);
  c.base[15] = 0;
  c.journal = {"Met the smith"};
  c.plugins = {"Extra"};
  c.className = "Knight";
  c.raceName = "Elf";
  c.equipment[0] = "Sword";
  c.inventory = {{"Sword", true, 0}, {"Wand", true, 3}};
  c.spells = {"Fire"};
  c.effects = {{"Fire", 4}};
  game.globals = {{"gb_door", "open"}};
  game.history = {{0, 3, 4, 0, "Town", "Theme"}};
  game.masks = {{"Town", {0xFF, 0x01}, 8, 2, true, {1, 2}}};
  sw::Bytes file;
  // The target's scenario; mode 0 offers the whole file.
  if (BuildSavedGameFile(game, "Fuzz Isle", 9000, &file) == SavedGameError::kNone) {
    Seed("saved_game", "writer-format13", After(0, file));
  }
}

void MarkupSeeds() {
  // A page with every built-in tag, and styled text with links, breaks and a list.
  const std::string page =
      "<INTERFACE TITLE=Seed WIDTH=320 HEIGHT=240 FGCOLOR=#102040 BGCOLOR=#E0E8F0><PAGE NAME=a TITLE=A>"
      "<BUTTON RECT=0,0,60,20 TITLE=Go HREF=#b KEYS=G+/><BUTTON RECT=0,20,60,40 KIND=check VALUE=1 SCRIPT=Beep()/>"
      "<BUTTON RECT=60,0,100,40 VALUE=1 HREF=#b><IMAGE SRC=a.bmp/><IMAGE SRC=b.bmp LIT=c.bmp/></BUTTON>"
      "<IMG RECT=100,0,120,20 SRC=a.bmp/><CENTER ALIGN=right><BORDER RECT=0,40,160,120 TITLE=Box INDENT=-2 "
      "LINE=dotted CHIPPED/></CENTER><POPUP RECT=160,0,320,20><ITEM TITLE=-/><ITEM TITLE=One DEFAULT/></POPUP>"
      "<TEXTBOX RECT=160,20,320,40 EDITABLE SIZE=12 ALLOW=abc>type</TEXTBOX><FRAME RECT=160,40,320,240 SRC=#b/>"
      "</PAGE><PAGE NAME=b><TEXTBOX RECT=0,0,150,100 SIZE=11 FACE=Arial,Helvetica>Text <B>bold</B> <I>it</I>"
      "<BR><A HREF=#a>a <U>link</U></A><P><PRE>  kept\tas is</PRE><LI>one<LI><TT>two</TT></TEXTBOX></PAGE>"
      "</INTERFACE>";
  for (const char* target : {"markup_parse", "markup_page"}) {
    Seed(target, "every-tag", sw::Bytes(page.begin(), page.end()));
  }
}

void ScenarioConfigSeeds() {
  sw::ConfigSpec config;
  config.scenarioName = "Fuzz Isle";
  config.secondName = "Of Seeds";
  config.pluginsEnabled = 1;
  config.optionFlags[0] = 1;
  config.optionFlags[14] = 7;
  config.layouts.resize(36);  // two more than are kept: read and dropped
  config.layouts[1] = sw::LayoutSpec{"Message.png", {{"Text", 10, 20, 200, 100}, {"Ok", 150, 130, 40, 16}}};
  config.layouts[16] = sw::LayoutSpec{"Screen.png", {{"Portrait", 20, 10, 30, 40}, {"Gold", 60, 10, 50, 12}}};
  config.layouts[21] = sw::LayoutSpec{"Scroll.bmp", {}};
  config.layouts[35].name = "Dropped";
  config.globalNames = {"gb_door", "gb_Key"};
  config.spots = {{"q", 0, "Rules"}, {"H", 1, "Missing"}};
  config.windowMode = 2;
  config.screenWidth = 800;
  config.screenHeight = 600;
  // Four lists: the fourth is read and dropped. "Rules" is an event the target's scenario has.
  config.menuLists = {{"Help", {{"Rules", "Rules"}}},
                      {"File", {{"-", ""}}},
                      {"Game", {{"Map/m", "Missing"}, {"Rules", "Rules"}}},
                      {"Extra", {{"Dropped", "Rules"}}}};
  config.defaultPlayerSprite = "Hero";
  config.depthCode = 1;
  config.mapText = "Gold pile";
  Seed("scenario_config", "writer-config", sw::EncodeConfig(config));
  // The smallest file the game takes: every default.
  Seed("scenario_config", "writer-defaults", sw::EncodeConfig(sw::ConfigSpec{}));
}

// Written by the game's own preferences file into a folder of the seeds' that stands for the Windows folder.
void PreferencesSeed(const std::string& name, const std::vector<std::pair<std::string, std::string>>& pairs) {
  PrefsFile prefs("Seed");
  for (const auto& [key, value] : pairs) prefs.Set(key, value);
  std::string path = prefs.Folder().substr(2) + prefs.FileName();
  std::replace(path.begin(), path.end(), '\\', '/');
  if (prefs.Folder().empty() || !prefs.Save()) {
    std::fprintf(stderr, "make_seeds: cannot save the preferences file\n");
    failed = true;
    return;
  }
  std::ifstream in(path, std::ios::binary);
  Seed("preferences", name, sw::Bytes(std::istreambuf_iterator<char>(in), {}));
}

void PreferencesSeeds() {
  PreferencesSeed("game-prefs",
                  {{"music_volume", "75"}, {"fullscreen", "1"}, {std::string(255, 'k'), std::string(255, 'v')}});
  // The music volume as the script action stores it: the text it was given, which may lie outside 0 to 100.
  PreferencesSeed("game-prefs-script-volume", {{"music_volume", "150"}, {"fullscreen", "0"}});
}

void StartupOptionSeeds() {
  const char* texts[] = {"-f -pData/Data001.dat", "-pVale -w -ax -bz -jq\r\n", "-f\t-pData/Data001.dat   -w",
                         "-pVale\n-a\xE9"};
  int n = 0;
  for (const char* text : texts) {
    Seed("startup_options", "cs-cfg-" + std::to_string(n++), sw::Bytes(text, text + std::strlen(text)));
  }
}

void FileRefPathSeeds() {
  // Names the target's scratch folder holds: folders, a file, and names after the file taken as its records.
  const char* texts[] = {"Data/Maps/town.txt", "box.chk/inner%2Fname/leaf%25%09", "./Data//Maps/../Maps/",
                         "data/MAPS/TOWN.TXT/a%3Ab", "Data/..", "/C/tmp"};
  int n = 0;
  for (const char* text : texts) {
    Seed("file_ref_path", "path-" + std::to_string(n++), sw::Bytes(text, text + std::strlen(text)));
  }
}

// The three leading bytes give the size to uncompress into; the rest is a block the game compressed in place.
void MemHandleCompressionSeeds() {
  const std::string text = "the body of a saved game, packed in place: aaaaaaaaaaaaaaaa bbbbbbbb 0123456789";
  MemHandle block;
  if (!block.Allocate(text.size())) return;
  std::memcpy(block.Lock(), text.data(), text.size());
  block.Unlock();
  if (!CompressHandle(block)) return;
  sw::Bytes seed{0, 0, static_cast<uint8_t>(text.size())};
  const uint8_t* bytes = block.Lock();
  seed.insert(seed.end(), bytes, bytes + block.Size());
  block.Unlock();
  Seed("mem_handle_compression", "game-packed", seed);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds <folder>\n");
    return 2;
  }
  top = argv[1];
  // The preferences file's Windows folder lies in the seeds' own folder, never in the user's.
  const std::filesystem::path home = std::filesystem::absolute(top / "preferences-home");
  setenv("KESTRIVAL_HOME", home.c_str(), 1);
  PlatformFileSystemStartup();
  PictureSeeds();
  SoundSeeds();
  AnimationSetSeeds();
  MapFileSeeds();
  ArchiveSeeds();
  ChunkFileSeeds();
  CompressionSeeds();
  DictionarySeeds();
  SavedGameSeeds();
  MarkupSeeds();
  ScenarioConfigSeeds();
  PreferencesSeeds();
  StartupOptionSeeds();
  FileRefPathSeeds();
  MemHandleCompressionSeeds();
  std::error_code code;
  std::filesystem::remove_all(home, code);
  return failed ? 1 : 0;
}
