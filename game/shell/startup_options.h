// The start-up file "cs.cfg": one line in the form of a command line ("-f -pData/Data001.dat" when the file is
// missing) with the data path ("-p", required), the archive-only switch ("-f"), the windowed switch ("-w") and
// three keys ("-a", "-b", "-j"). Reading it checks the data path and sets up the game's globals, the picture
// pools, the blitter and the frame clock; InitGameWindow later makes the game view, the main window (asking
// whether to play fullscreen) and the presenter.
#pragma once

#include <cstdint>
#include <string>

struct StartupWindowParams;

constexpr int32_t kStartupBadDataPath = 10;
constexpr int32_t kGameViewUnusable = 1;
// A data file of this size or more is refused.
constexpr uint64_t kMaxDataFileBytes = 41943040;

// True when "-" and the letter stand as an option in the text; value gets what follows the letter up to the
// next option (blanks, tabs and line breaks before it cut), or the rest of the text when it is the last.
bool GetCommandLineOption(std::string& value, const std::string& text, const std::string& letter);

// 0, or 10 when the data path is missing or unusable.
int32_t ReadStartupConfig(const StartupWindowParams& params);
// 0, or the game view's error (a size that cannot be made).
int32_t InitGameWindow();

const std::string& GetDataPath();
bool GetArchiveOnly();
void ClearArchiveOnly();
const StartupWindowParams& GetStartupWindowParams();
