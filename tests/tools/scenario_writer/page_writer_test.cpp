// Page folders: the markup as "index.iml" and every named file beside it, in sub-folders as named.
#include "tools/scenario_writer/page_writer.h"

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"

namespace {

TEST(PageWriterTest, WritesTheIndexAndItsFiles) {
  TempFolder temp;
  const scenario_writer::Bytes picture{'B', 'M', 1, 2};
  std::string error;
  ASSERT_TRUE(scenario_writer::WritePageFolder(temp.PosixPath("help/pages"), "<INTERFACE/>",
                                               {{"tile.bmp", picture}, {"art/frame.bmp", picture}}, &error))
      << error;
  EXPECT_EQ(temp.ReadFile("help/pages/index.iml"), "<INTERFACE/>");
  EXPECT_EQ(temp.ReadFile("help/pages/tile.bmp"), std::string("BM\x01\x02", 4));
  EXPECT_EQ(temp.ReadFile("help/pages/art/frame.bmp"), std::string("BM\x01\x02", 4));
  temp.WriteFile("blocked", "a file where a folder should be");
  EXPECT_FALSE(scenario_writer::WritePageFolder(temp.PosixPath("blocked/pages"), "", {}, &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
