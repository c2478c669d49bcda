// Reading "cs.cfg", setting up the globals and making the game window.
#include "game/shell/startup_options.h"

#include <ctime>
#include <memory>

#include "game/dialogs/dialog_services.h"
#include "game/dialogs/screen_layouts.h"
#include "game/graphics/bitmap.h"
#include "game/graphics/blitter.h"
#include "game/graphics/picture_cache.h"
#include "game/shell/media/ambient_sounds.h"
#include "game/shell/data/data_archive.h"
#include "game/shell/data/data_paths.h"
#include "game/shell/data/data_stream.h"
#include "game/shell/data/game_random.h"
#include "game/shell/input_manager.h"
#include "game/shell/main_function.h"
#include "game/shell/main_loop.h"
#include "game/shell/main_window.h"
#include "game/shell/menus.h"
#include "game/shell/media/movie_player.h"
#include "game/shell/data/option_store.h"
#include "game/shell/data/preferences.h"
#include "game/shell/record_lists.h"
#include "game/shell/scenario_config.h"
#include "game/shell/media/sound_effects.h"
#include "game/shell/data/stopwatch.h"
#include "game/world/scene_view.h"
#include "game/world/world_services.h"
#include "host/resources.h"

namespace {

constexpr const char* kDefaultCommandText = "-f -pData/Data001.dat";
constexpr WORD kCaptionFrameResource = 12345;
constexpr WORD kCaptionFrameType = 256;
constexpr KeySlot kAskAgainSlot = 287;

struct StartupState {
  std::string dataPath;
  bool archiveOnly = false;
  StartupWindowParams params;
};

StartupState& State() {
  // Never destroyed: a shut-down signal may end the process while the loop still runs.
  static StartupState* state = new StartupState;
  return *state;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

void TrimEnd(std::string& text) {
  while (!text.empty() && IsBlank(text.back())) text.pop_back();
}

// The first character of an option's value, or the default when it has none.
int32_t KeyOption(const std::string& text, const char* letter, int32_t fallback) {
  std::string value;
  if (!GetCommandLineOption(value, text, letter) || value.empty()) return fallback;
  return static_cast<unsigned char>(value[0]);
}

void LoadCaptionFramePicture() {
  HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(kCaptionFrameResource),
                                 MAKEINTRESOURCEA(kCaptionFrameType));
  if (resource == nullptr) return;
  HGLOBAL loaded = LoadResource(nullptr, resource);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  DWORD size = SizeofResource(nullptr, resource);
  if (bytes == nullptr || size == 0) return;
  int32_t saved = ImageImportOptions;
  ImageImportOptions &= ~kDetectTransparency;
  SetDialogGlobalPicture(Bitmap::CreateFromMemory(bytes, size));
  ImageImportOptions = saved;
}

}  // namespace

bool GetCommandLineOption(std::string& value, const std::string& text, const std::string& letter) {
  if (text.empty() || letter.empty()) return false;
  size_t valueStart = std::string::npos;
  if (text.compare(0, 1 + letter.size(), "-" + letter) == 0) {
    valueStart = 1 + letter.size();
  } else {
    // The candidates: from where the search stands, the first occurrence of the first kind of lead-in that occurs
    // at all (a blank before a tab, and so on). A candidate whose letter differs moves the search on past it.
    size_t from = 0;
    while (valueStart == std::string::npos) {
      size_t candidate = std::string::npos;
      size_t leadLength = 0;
      for (const char* leadIn : {" -", "\t-", "\n-", "\r-", "\r\n-", "\n\r-"}) {
        candidate = text.find(leadIn, from);
        if (candidate != std::string::npos) {
          leadLength = std::char_traits<char>::length(leadIn);
          break;
        }
      }
      if (candidate == std::string::npos) return false;
      if (text.compare(candidate + leadLength, letter.size(), letter) == 0) {
        valueStart = candidate + leadLength + letter.size();
      }
      from = candidate + 1;
    }
  }
  if (valueStart >= text.size()) {
    value.clear();
    return true;
  }
  for (const char* leadIn : {" -", "\t-", "\r\n-", "\n\r-"}) {
    size_t end = text.find(leadIn, valueStart);
    if (end != std::string::npos) {
      value = text.substr(valueStart, end - valueStart);
      TrimEnd(value);
      return true;
    }
  }
  value = text.substr(valueStart);
  return true;
}

int32_t ReadStartupConfig(const StartupWindowParams& params) {
  StartupState& s = State();
  s.params = params;
  SeedRandom(static_cast<uint32_t>(std::time(nullptr)));
  StartFrameClock();

  std::string text = kDefaultCommandText;
  DataStream file("cs.cfg");
  if (file.Open(kDataStreamRead | kDataStreamWholeFile) == 0) {
    text.assign(file.GetSize(), '\0');
    if (!text.empty()) file.ReadBytes(text.data(), static_cast<uint32_t>(text.size()));
    // A NUL ends the text, as it ends the command line the file stands for.
    text.resize(std::string(text.c_str()).size());
  }
  file.Close();

  std::string path;
  if (!GetCommandLineOption(path, text, "p")) return kStartupBadDataPath;
  // A path at the end of the file keeps the file's line break and blanks: they are no part of the name. Kept, the
  // path would name nothing, and start-up would fail on data that is there.
  TrimEnd(path);
  NormalizePath(path);
  // A folder is a folder whatever its name: by the "." rule alone, "Data.v2" would be taken for a packed file and
  // the scenario in it would not be found.
  if (IsFolder(path.c_str())) {
    if (path.empty() || path.back() != '/') path.push_back('/');
  } else {
    EnsureFolderPath(path);
  }
  s.dataPath = path;
  if (!IsFolder(path.c_str())) {
    if (!FileExistsByName(path.c_str()) || FileSize(path.c_str()) >= kMaxDataFileBytes) return kStartupBadDataPath;
  }
  std::string unused;
  s.archiveOnly = GetCommandLineOption(unused, text, "f");
  SetRunStateBits(kRunOptionsRead);

  Input::Initialize();
  CreateDialogPicturePool();
  LocationHistory::Reset();
  ClearRecordLists();
  ClearLayoutTable();
  PathFinder::Init();

  SetScreenWidth(640);
  SetScreenHeight(480);
  SetScreenDepth(24);
  SetWindowModeLock(0);
  SetWindowMode(1);
  SetWindowModeLock(GetCommandLineOption(unused, text, "w") ? 1 : 0);
  SetOptionA(KeyOption(text, "a", 'x'));
  SetOptionB(KeyOption(text, "b", 'z'));
  SetOptionJ(KeyOption(text, "j", 'j'));
  SetMapKeys(GetOptionA(), GetOptionB());
  SetJournalKey(GetOptionJ());

  ClearAmbientSounds();
  ClearMenuLists();

  PictureCache::SetLoader([](const char* name, BitmapStatus* status) {
    int32_t loaded = 0;
    std::unique_ptr<Bitmap> picture = LoadPictureByName(name, &loaded);
    if (status != nullptr) *status = loaded;
    return picture;
  });
  PicturePool* startup = PictureCache::NewPool(PictureCache::kStartupPoolId);
  PicturePool* game = PictureCache::NewPool(0);
  PicturePool* map = PictureCache::NewPool(0);
  SetStartupPools(startup, game, map);
  PictureCache::SelectPool(startup);

  InitBlitter();
  LoadCaptionFramePicture();
  SetSoundWaitPump([] { PumpMessages(); });
  SetRunStateBits(kRunRunning);
  return 0;
}

int32_t InitGameWindow() {
  auto view = std::make_unique<SceneView>();
  int32_t error = view->Create(GetScreenWidth(), GetScreenHeight(), 24, 0);
  if (error != 0) return error;
  struct TextStyle {
    int32_t size;
    uint8_t red, green, blue;
    int32_t style;
  };
  const TextStyle styles[] = {
      {14, 0, 0, 0, 0},       {14, 0, 0, 0, 1},         {12, 155, 155, 255, 1},
      {12, 255, 39, 39, 1},   {12, 255, 255, 255, 1},   {12, 255, 255, 0, 1},
      {14, 128, 128, 128, 0}, {14, 255, 255, 255, 0},   {14, 255, 39, 39, 0},
  };
  Stopwatch steps;
  for (const TextStyle& style : styles) {
    view->AddFont("", style.size, DrawColor{style.blue, style.green, style.red, 255}, style.style);
  }
  view->SetCurrentFont(0);
  steps.Lap("....Create fonts");
  SetSceneView(std::move(view));

  bool fullscreen = GetWindowMode() == 0 || GetWindowMode() == 2;
  if (GetWindowMode() == 0) {
    const char* question = "Do you want to play this game in fullscreen mode?";
    PrefsFile* prefs = GetPrefsFile();
    if (prefs != nullptr && !prefs->Folder().empty()) {
      if (!prefs->HasKey("fullscreen") || Input::IsKeyDown(kAskAgainSlot) != 0) {
        fullscreen = AskYesNo(question, GetScenarioName());
        prefs->Set("fullscreen", fullscreen ? "1" : "0");
        SavePrefsFile();
      } else {
        std::string stored;
        prefs->Get(stored, "fullscreen");
        fullscreen = stored == "1";
      }
    } else {
      fullscreen = AskYesNo(question, GetScenarioName());
    }
  }

  SetMainWindow(std::make_unique<MainWindow>(GetScreenWidth(), GetScreenHeight(), GetScreenDepth(), fullscreen,
                                             GetMenuBarEnabled() != 0, GetScenarioName(), State().params));
  steps.Lap("....Create window");
  MainWindow* window = GetMainWindow();
  SetScreenPresenter(std::make_unique<ScreenPresenter>(window, GetScreenWidth(), GetScreenHeight()));
  steps.Lap("....Create blitter");
  window->SetMenuHandle(GetMenuBar());
  window->Create(fullscreen);
  window->Show();
  window->BringToFront();
  SoundSystem::Start(window->GetNativeWindow());
  MoviePlayer::SetMainWindow(window->GetNativeWindow());
  steps.Lap("....Finish window initialization");
  return 0;
}

const std::string& GetDataPath() { return State().dataPath; }
bool GetArchiveOnly() { return State().archiveOnly; }
void ClearArchiveOnly() { State().archiveOnly = false; }
const StartupWindowParams& GetStartupWindowParams() { return State().params; }
