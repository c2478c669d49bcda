// The save and open game commands.
#include "game/shell/game_commands.h"

#include <memory>

#include "game/shell/data_stream.h"
#include "host/user.h"

namespace {

std::string& SaveName() {
  static std::string* name = new std::string;
  return *name;
}

// Runs ask with the main window inactive and the chooser's timer running.
template <typename Ask>
std::unique_ptr<DataStream> WithChooserTimer(GameCommandHost& host, UINT_PTR timer, Ask ask) {
  HWND window = host.MainWindow();
  if (window != nullptr) SetTimer(window, timer, kChooserTimerPeriod, nullptr);
  host.SetWindowActive(false);
  std::unique_ptr<DataStream> stream = ask();
  host.SetWindowActive(true);
  if (window != nullptr) KillTimer(window, timer);
  host.ResetInput();
  return stream;
}

}  // namespace

const std::string& GetSaveName() { return SaveName(); }

void SetSaveName(const std::string& name) { SaveName() = name; }

std::string DefaultSavedGameName(const std::string& characterName) {
  return characterName + " game." + kSavedGameExtension;
}

void SaveGameCommand(GameCommandHost& host) {
  if (!host.IsGameInProgress()) return;
  host.CallEvent("SaveGameEnter");
  if (SaveName().empty()) SaveName() = DefaultSavedGameName(host.CharacterName());
  std::unique_ptr<DataStream> stream = WithChooserTimer(
      host, kSaveChooserTimer, [&] { return ChooseSaveFile("Save", SaveName(), kSavedGameExtension); });
  if (stream == nullptr) return;
  std::string path = stream->GetFullPath();
  if (!path.empty()) SaveName() = path;
  SaveGameTo(host, stream->GetFolder(), stream->GetPath().c_str());
  host.ResetInput();
}

void OpenGameCommand(GameCommandHost& host) {
  host.CallEvent("OpenGameEnter");
  std::unique_ptr<DataStream> stream = WithChooserTimer(
      host, kOpenChooserTimer, [&] { return ChooseOpenFile("Open", static_cast<int32_t>(kSavedGameFileType)); });
  if (stream == nullptr) return;
  if (OpenSavedGameFrom(host, stream->GetFolder(), stream->GetPath().c_str()) == SavedGameError::kNone) {
    SaveName() = stream->GetFullPath();
  }
  host.ResetInput();
}
