#include "game/shell/menus.h"

#include <gtest/gtest.h>

namespace {

TEST(MenuItemTextTest, TheLastSlashBecomesAControlAccelerator) {
  struct Case {
    const char* text;
    const char* shown;
    uint8_t key;
  } cases[] = {
      {"Journal/j", "Journal\tCtrl+J", 'J'},
      {"A/b/c", "A/b\tCtrl+C", 'C'},
      {"Plain", "Plain", 0},
      {"Ends/", "Ends\tCtrl+", '+'},
      {"Digit/5", "Digit\tCtrl+5", '5'},
  };
  for (const Case& c : cases) {
    uint8_t key = 1;
    EXPECT_EQ(ScenarioItemText(c.text, &key), c.shown) << c.text;
    EXPECT_EQ(key, c.key) << c.text;
  }
}

}  // namespace
