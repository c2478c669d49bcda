// The file choosers where windows reach a display: the desktop's chooser program opens in the player's saved-games
// folder, kdialog stands in for a missing zenity, and with neither a message box says what to install and the
// question is never asked on the console behind the window. Each case runs in a child of this test program on a
// display of the test's own, with chooser programs of the test's own first on the path.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/testing.h"
#include "host/user.h"
#include "platform/core/file_chooser.h"
#include "tests/support/chooser_fixture.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"
#include "tests/support/virtual_display.h"

namespace {

constexpr const char* kArgumentsVariable = "KESTRIVAL_TEST_CHOOSER_ARGUMENTS";

void Say(const std::string& text) {
  if (write(STDERR_FILENO, text.data(), text.size()) < 0) return;
}

class ChooserOnADisplay : public ChooserTest {};

TEST_F(ChooserOnADisplay, ChildProcess) {
  const char* role = ChildRole();
  if (role == nullptr) GTEST_SKIP() << "the child half of the chooser tests on a display";
  HostTestSetHeadless(false);
  HostTestAnswerMessageBox(IDOK);  // a box is answered at once, not left open on the display
  // A console that answers, to show whether it was asked.
  char answer[] = "typed.ksav\n";
  FILE* in = fmemopen(answer, std::strlen(answer), "r");
  char* printed = nullptr;
  size_t printedSize = 0;
  FILE* out = open_memstream(&printed, &printedSize);
  PlatformSetChooserConsole(in, out);
  FolderRef folder = 0;
  char name[kChooserNameSize] = "";
  PlatformError error;
  if (std::string(role) == "save") {
    uint8_t exists = 0;
    error = PlatformChooseFileToSave("Save", "Hero game.ksav", &exists, &folder, name);
  } else {
    error = PlatformChooseFileToOpen("Open", false, 0, &folder, name);
  }
  PlatformSetChooserConsole(nullptr, nullptr);
  std::fclose(in);
  std::fclose(out);
  char path[600] = "";
  if (folder != 0) PlatformGetFullPath(folder, "", path, sizeof(path));
  const std::string savedGames = "C:" + temp_.PosixPath("home/data/Saved Games");
  Say("[home " + temp_.PosixPath("home") + "]\n[result " + std::to_string(error) + "]\n[name " + name + "]\n");
  Say(std::string("[folder ") + (path == savedGames ? "saved games" : path) + "]\n");
  Say("[console " + std::string(printed, printedSize) + "]\n");
  for (const HostMessageBoxRecord& box : HostTestMessageBoxes()) Say("[box " + box.text + "]\n");
  std::free(printed);
  if (folder != 0) PlatformReleaseFolder(folder);
  std::_Exit(0);
}

// A chooser program of the test's own: it notes its arguments and picks the name it proposes (or "picked.ksav" in
// the folder it opens in), as a player who presses Save or picks a file there does.
std::string ChooserScript(bool zenity) {
  std::string script = "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$" + std::string(kArgumentsVariable) + "\"\n";
  script += zenity ? "for a in \"$@\"; do case \"$a\" in --filename=*) f=\"${a#--filename=}\";; esac; done\n"
                   : "for a in \"$@\"; do f=\"$a\"; done\n";
  script += "case \"$f\" in */) f=\"${f}picked.ksav\";; esac\nprintf '%s\\n' \"$f\"\n";
  return script;
}

TEST(ChooserOnADisplayRuns, TheDesktopsChooserOpensInTheSavedGamesFolderElseABoxSaysWhatToInstall) {
  VirtualDisplay display;
  if (!display.Ready()) GTEST_SKIP() << "no display server to test with";
  struct Case {
    const char* role;
    const char* installed;  // the chooser programs on the path
    const char* result;     // the file manager's result, the name and the folder chosen
    const char* name;
    const char* folder;
    const char* arguments;  // the chooser's arguments after the program's own folder ("" when none ran)
    bool box;               // a box named what to install
  };
  const Case cases[] = {
      {"save", "zenity kdialog", "0", "Hero game.ksav", "saved games",
       "--file-selection\n--title=Save\n--filename=@/Hero game.ksav\n--save\n--confirm-overwrite\n", false},
      {"open", "zenity", "0", "picked.ksav", "saved games", "--file-selection\n--title=Open\n--filename=@/\n", false},
      {"save", "kdialog", "0", "Hero game.ksav", "saved games", "--title\nSave\n--getsavefilename\n@/Hero game.ksav\n",
       false},
      {"open", "kdialog", "0", "picked.ksav", "saved games", "--title\nOpen\n--getopenfilename\n@/\n", false},
      {"save", "", "-7007", "", "", "", true},
      {"open", "", "-7007", "", "", "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.role) + " with [" + c.installed + "]");
    TempFolder temp;
    std::string installed = c.installed;
    for (const char* program : {"zenity", "kdialog"}) {
      if (installed.find(program) == std::string::npos) continue;
      temp.WriteFile(std::string("bin/") + program, ChooserScript(std::string(program) == "zenity"));
      ASSERT_EQ(chmod(temp.PosixPath(std::string("bin/") + program).c_str(), 0755), 0);
    }
    temp.WriteFile("bin/.keep", "");
    // Only the test's programs: the scripts need nothing but their shell.
    const std::string path = temp.PosixPath("bin");
    const std::string argumentsFile = temp.PosixPath("arguments");
    ChildOutcome outcome =
        RunTestInChild("ChooserOnADisplay.ChildProcess", c.role,
                       {{"DISPLAY", display.Name()}, {"SDL_VIDEODRIVER", "x11"}, {"PATH", path},
                        {kArgumentsVariable, argumentsFile}});
    ASSERT_TRUE(outcome.started);
    EXPECT_FALSE(HasSanitizerReport(outcome.output)) << outcome.output;
    const std::string& out = outcome.output;
    EXPECT_NE(out.find(std::string("[result ") + c.result + "]"), std::string::npos) << out;
    EXPECT_NE(out.find(std::string("[name ") + c.name + "]"), std::string::npos) << out;
    EXPECT_NE(out.find(std::string("[folder ") + c.folder + "]"), std::string::npos) << out;
    // The console behind the window is never asked.
    EXPECT_NE(out.find("[console ]"), std::string::npos) << out;
    // The arguments, with the child's saved-games folder written as "@".
    std::string arguments = temp.ReadFile("arguments");
    size_t home = out.find("[home ");
    ASSERT_NE(home, std::string::npos) << out;
    const std::string savedGames = out.substr(home + 6, out.find(']', home) - home - 6) + "/data/Saved Games";
    for (size_t at = arguments.find(savedGames); at != std::string::npos; at = arguments.find(savedGames)) {
      arguments.replace(at, savedGames.size(), "@");
    }
    EXPECT_EQ(arguments, c.arguments);
    const bool box = out.find("[box No file chooser is installed.") != std::string::npos &&
                     out.find("\"zenity\"") != std::string::npos && out.find("\"kdialog\"") != std::string::npos;
    EXPECT_EQ(box, c.box) << out;
  }
}

}  // namespace
