// Fuzz target: markup opened as a page (headless), as a file of its own and inside a page that puts it into every
// built-in tag; every element is drawn, idled, asked and set through its messages, and the focus walks the page.
// Each input costs a page's opening and drawing, so this target runs far fewer inputs than markup_parse_fuzz,
// which covers the parser on its own.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "host/testing.h"
#include "host/user.h"
#include "platform/markup/interface_page.h"
#include "platform/markup/markup_document.h"

namespace {

// The page every input is opened in: a headless window of its own, on the manual clock so that nothing waits.
struct PageBench {
  std::filesystem::path folder;
  HWND window = nullptr;
  InterfacePage* page = nullptr;
};

PageBench& Bench() {
  static PageBench* bench = [] {
    auto* made = new PageBench;
    HostTestSetHeadless(true);
    HostTestUseManualClock(true);
    if (InterfaceSystem::Initialize() != kPlatformNoError) std::abort();
    char pattern[] = "/tmp/kestrival-markup-fuzz-XXXXXX";
    if (mkdtemp(pattern) == nullptr) std::abort();
    made->folder = pattern;
    made->window = CreateWindowExA(0, "interface_tool_closebox", "", 0, 0, 0, 320, 240, nullptr, nullptr, nullptr,
                                   nullptr);
    if (made->window == nullptr) std::abort();
    ShowWindow(made->window, SW_SHOW);
    if (InterfacePage::Attach(made->window, nullptr, nullptr, nullptr, nullptr, &made->page) != kPlatformNoError) {
      std::abort();
    }
    return made;
  }();
  return *bench;
}

void Pump() {
  MSG message;
  for (int i = 0; i < 1000 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// Every message an element answers without input: what it shows, holds and is, set to what it answered.
void AskEveryElement(InterfacePage* page, int depth) {
  if (depth > 10) return;
  for (InterfaceElement* element = page->sectionElements.elements; element != nullptr; element = element->next) {
    if (element->removed) continue;
    const auto send = [&](int32_t message, intptr_t parameter1, intptr_t parameter2) {
      return InterfacePage::SendElementMessage(page, element, message, parameter1, parameter2);
    };
    Rect rect{};
    char title[256] = "";
    intptr_t value = 0;
    uint8_t flag = 0;
    uint32_t colour = 0;
    int16_t cursor = 0;
    MouseEventRecord mouse{};
    mouse.windowX = element->rect.left + 1;
    mouse.windowY = element->rect.top + 1;
    send(kElementHitTest, reinterpret_cast<intptr_t>(&mouse), reinterpret_cast<intptr_t>(&flag));
    send(kElementCursor, reinterpret_cast<intptr_t>(&mouse), reinterpret_cast<intptr_t>(&cursor));
    send(kElementGetRect, 0, reinterpret_cast<intptr_t>(&rect));
    send(kElementSetRect, reinterpret_cast<intptr_t>(&rect), 0);
    send(kElementGetTitle, 0, reinterpret_cast<intptr_t>(title));
    send(kElementSetTitle, reinterpret_cast<intptr_t>(title), 0);
    PlatformHandle* text = PlatformHandle::New(0);
    if (text != nullptr) {
      send(kElementGetText, 0, reinterpret_cast<intptr_t>(text));
      send(kElementSetText, reinterpret_cast<intptr_t>(text), 0);
      PlatformHandle::Dispose(text);
    }
    send(kElementGetValue, 0, reinterpret_cast<intptr_t>(&value));
    if (std::strcmp(element->node->name, "FRAME") == 0) {
      // A frame's value is its child page, whose elements are asked in turn.
      InterfacePage* child = reinterpret_cast<InterfacePage*>(value);
      if (InterfacePage::IsOpen(child)) AskEveryElement(child, depth + 1);
    } else {
      send(kElementSetValue, value, 0);
    }
    for (int32_t get : {kElementGetForeColor, kElementGetBackColor}) {
      if (send(get, 0, reinterpret_cast<intptr_t>(&colour)) == kPlatformNoError) send(get + 1, colour, 0);
    }
    for (int32_t get : {kElementGetVisible, kElementGetEnabled}) {
      flag = 1;
      send(get, 0, reinterpret_cast<intptr_t>(&flag));
      send(get + 1, !flag, 0);
      send(get + 1, flag, 0);
    }
  }
}

// Opens the markup as a page from the fuzz folder and works it over.
void BuildPage(const std::string& markup) {
  PageBench& bench = Bench();
  {
    std::ofstream file(bench.folder / "page.iml", std::ios::binary | std::ios::trunc);
    file.write(markup.data(), static_cast<std::streamsize>(markup.size()));
  }
  const std::string path = "/C" + (bench.folder / "page.iml").string();
  if (!InterfacePage::IsOpen(bench.page)) return;
  InterfacePage::Open(bench.page, 0, path.c_str(), nullptr);
  if (!InterfacePage::IsOpen(bench.page)) return;
  Pump();
  InterfacePage::Redraw(bench.page, nullptr, false);
  InterfaceSystem::Idle();
  AskEveryElement(bench.page, 0);
  for (bool forward : {true, true, false}) InterfacePage::MoveFocus(bench.page, forward, nullptr, nullptr, nullptr);
  InterfacePage::Redraw(bench.page, nullptr, false);
  Pump();
  InterfacePage::Open(bench.page, 0, nullptr, nullptr);  // empty again
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMarkupFileLimit) return 0;
  // As a page: the input alone, and inside a page that gives it to every built-in tag.
  const std::string input(reinterpret_cast<const char*>(data), size);
  BuildPage(input);
  if (size <= kMarkupFileLimit / 8) {
    BuildPage("<INTERFACE WIDTH=320 HEIGHT=240><PAGE NAME=a>" + input +
              "<BUTTON RECT=0,0,60,20 HREF=#b>" + input + "</BUTTON><IMG RECT=60,0,80,20 SRC=page.iml HREF=#b/>"
              "<BORDER RECT=0,20,160,120 TITLE=border INDENT=2 CHIPPED>" + input + "</BORDER>"
              "<POPUP RECT=160,0,320,20>" + input + "<ITEM TITLE=a DEFAULT/></POPUP>"
              "<TEXTBOX RECT=0,120,160,240>" + input + "</TEXTBOX>"
              "<TEXTBOX RECT=160,20,320,40 EDITABLE>" + input + "</TEXTBOX>"
              "<FRAME RECT=160,40,320,240 SRC=#b></FRAME></PAGE><PAGE NAME=b>" + input +
              "<FRAME RECT=0,0,100,100 SRC=#a></FRAME></PAGE></INTERFACE>");
  }
  return 0;
}
