#include "game/shell/startup_options.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLineOptionTest, FindsOptionsAndCutsTheirValues) {
  struct Case {
    const char* text;
    const char* letter;
    bool found;
    const char* value;
  } cases[] = {
      {"-pData/Data001.dat -f", "p", true, "Data/Data001.dat"},
      {"-f -pData/Data001.dat", "p", true, "Data/Data001.dat"},
      {"-pData/Data001.dat -f", "f", true, ""},
      {"-f -pData/Data001.dat", "f", true, ""},
      {"-ax -bz", "a", true, "x"},
      {"-ax -bz", "b", true, "z"},
      {"-pGame.dat   -f", "p", true, "Game.dat"},
      {"-f -pGame.dat  \r\n", "p", true, "Game.dat  \r\n"},  // the last option keeps what follows it
      {"-f\r\n-pGame.dat", "p", true, "Game.dat"},
      {"-f\t-w", "w", true, ""},
      {"-pA B -f", "p", true, "A B"},
      {"-f", "p", false, ""},
      {"x-p", "p", false, ""},
      {"", "p", false, ""},
      {"-p", "", false, ""},
      {"-p", "p", true, ""},
      // Blanks lead in before tabs, tabs before line breaks: a tab's option before the last blank's is not seen.
      {"-w -f\t-pA", "p", true, "A"},
      {"-f\t-pA -w", "p", false, ""},
      {"-f\n-pA\n-w", "w", true, ""},
      {"-f\n-pA -w", "p", false, ""},
  };
  for (const Case& c : cases) {
    std::string value = "unset";
    EXPECT_EQ(GetCommandLineOption(value, c.text, c.letter), c.found) << c.text;
    if (c.found) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

}  // namespace
