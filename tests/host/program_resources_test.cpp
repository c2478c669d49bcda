// The program's own resources: found by number and type in the program's module, and its icon.
#include <gtest/gtest.h>

#include <cstring>

#include "host/kernel.h"
#include "host/resources.h"
#include "user_test_helpers.h"

namespace {

uint32_t BigEndian(const unsigned char* bytes) {
  return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | bytes[3];
}

TEST(ProgramResources, CaptionFramePictureIsTheSmallPng) {
  HMODULE program = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(12345), MAKEINTRESOURCEA(256));
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(SizeofResource(program, found), 134u);
  auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(program, found)));
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(std::memcmp(bytes, "\x89PNG\r\n\x1a\n", 8), 0);
  EXPECT_EQ(BigEndian(bytes + 16), 8u);  // width and height: large enough for the two-pixel border rule
  EXPECT_EQ(BigEndian(bytes + 20), 8u);
  EXPECT_EQ(FindResourceA(nullptr, "#12345", MAKEINTRESOURCEA(256)), found);
}

TEST(ProgramResources, MissingOrForeignResourcesAreNotFound) {
  HMODULE program = GetModuleHandleA(nullptr);
  EXPECT_EQ(FindResourceA(program, MAKEINTRESOURCEA(12345), RT_RCDATA), nullptr);
  EXPECT_EQ(FindResourceA(program, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(256)), nullptr);
  EXPECT_EQ(FindResourceA(program, "caption", MAKEINTRESOURCEA(256)), nullptr);
  EXPECT_EQ(FindResourceA(program, "#", MAKEINTRESOURCEA(256)), nullptr);
  EXPECT_EQ(FindResourceA(reinterpret_cast<HMODULE>(0x4321), MAKEINTRESOURCEA(12345), MAKEINTRESOURCEA(256)),
            nullptr);
  EXPECT_EQ(LoadResource(program, nullptr), nullptr);
  EXPECT_EQ(SizeofResource(program, reinterpret_cast<HRSRC>(0x4321)), 0u);
}

class ProgramIcon : public user_test::HeadlessWindows {};

TEST_F(ProgramIcon, LoadsFromTheProgramAndDressesItsWindows) {
  HINSTANCE program = GetModuleHandleA(nullptr);
  HICON icon = LoadIconA(program, MAKEINTRESOURCEA(12346));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(LoadIconA(program, MAKEINTRESOURCEA(12345)), nullptr);  // a picture, not an icon
  EXPECT_EQ(LoadIconA(nullptr, IDI_APPLICATION), nullptr);
  WNDCLASSA windowClass{};
  windowClass.style = CS_DBLCLKS | CS_OWNDC;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = program;
  windowClass.hIcon = icon;
  windowClass.lpszClassName = "IconTestWindow";
  ASSERT_NE(RegisterClassA(&windowClass), 0);
  HWND window = CreateWindowExA(0, "IconTestWindow", "icon", user_test::kGameStyle, 0, 0, 100, 100, nullptr,
                                nullptr, program, nullptr);
  ASSERT_NE(window, nullptr);
  ShowWindow(window, SW_SHOW);
  HostFrame frame;
  EXPECT_TRUE(HostTestLastFrame(window, &frame));
  DestroyWindow(window);
  EXPECT_TRUE(UnregisterClassA("IconTestWindow", program));
}

}  // namespace
