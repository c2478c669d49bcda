// Borders ("BORDER"): a frame drawn by the page, with its title set into the top edge.
#include <algorithm>
#include <cstring>
#include <string>

#include "host/gdi.h"
#include "host/user.h"
#include "platform/core/strings.h"
#include "platform/graphics/graphics_port.h"
#include "platform/markup/element_support.h"
#include "platform/markup/interface_state.h"
#include "platform/markup/markup_characters.h"

using element_support::DataOf;
using Data = BorderElement::Data;

namespace {

constexpr int32_t kTitleSize = 9;
constexpr int32_t kMinimumTitledWidth = 20;  // narrower borders show their title whole
// The pattern of a dotted line: a checkerboard.
constexpr uint8_t kDottedPattern[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};

ColorRecord Faded(ColorRecord colour) {
  colour.red = static_cast<uint8_t>((colour.red + 255) / 2);
  colour.green = static_cast<uint8_t>((colour.green + 255) / 2);
  colour.blue = static_cast<uint8_t>((colour.blue + 255) / 2);
  return colour;
}

// Fills a rectangle with the port's fill pattern: lines are drawn as rectangles one pixel thick.
void Fill(PlatformWorld* port, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (left >= right || top >= bottom) return;
  const Rect rect{left, top, right, bottom};
  GraphicsPort::FillRect(port, &rect);
}

// A horizontal line at y from x0 to x1 (exclusive), with the title's gap left out.
void Horizontal(PlatformWorld* port, int32_t y, int32_t x0, int32_t x1, int32_t gapLeft, int32_t gapRight) {
  if (gapLeft >= gapRight) {
    Fill(port, x0, y, x1, y + 1);
    return;
  }
  Fill(port, x0, y, std::min(x1, gapLeft), y + 1);
  Fill(port, std::max(x0, gapRight), y, x1, y + 1);
}

void SetSolid(PlatformWorld* port, const ColorRecord& colour, const ColorRecord& back) {
  GraphicsPort::SetFillPattern(port, &colour, &back, kSolidPattern);
}

// The title as it fits: cut one character at a time, with "..." after it, until it is at most two thirds of the
// width (or one character is left).
std::string FittedTitle(PlatformWorld* port, const Data* border) {
  std::string title = border->title;
  const int64_t width = border->rect.Width();
  if (title.empty() || width <= kMinimumTitledWidth) return title;
  const auto measure = [&](const std::string& text) {
    return GraphicsPort::TextWidth(port, text.data(), static_cast<int32_t>(text.size()));
  };
  size_t kept = title.size();
  std::string shown = title;
  while (measure(shown) * 3 > width * 2 && kept > 1) {
    --kept;
    shown = title.substr(0, kept) + "...";
  }
  return shown;
}

PlatformError Create(MarkupNode* node, PlatformHandle* instance) {
  Data* border = element_support::MakeData<Data>(instance);
  if (border == nullptr) return kPlatformErrNoMemory;
  border->line = 2;
  if (char* line = const_cast<char*>(GetMarkupAttribute(node, "LINE")); line != nullptr) {
    PlatformUpperCase(line);
    if (std::strcmp(line, "NONE") == 0) border->line = 0;
    if (std::strcmp(line, "DOTTED") == 0 || std::strcmp(line, "DASHED") == 0) border->line = 1;
  }
  border->alignment = InterfacePage::GetAlignment();
  border->indent = ParseInterfaceNumber(GetMarkupAttribute(node, "INDENT"));
  const char* chipped = GetMarkupAttribute(node, "CHIPPED");
  border->chipped = chipped != nullptr && ParseInterfaceBool(chipped);
  border->foregroundGiven = element_support::AttributeColour("FGCOLOR", &border->foreground);
  border->backgroundGiven = element_support::AttributeColour("BGCOLOR", &border->background);
  border->enabledByActivation = 1;
  border->visible = 1;
  return kPlatformNoError;
}

}  // namespace

PlatformError BorderElement::DrawFrame(PlatformWorld* port, const Data* border) {
  if (port == nullptr || border == nullptr) return kPlatformErrBadData;
  ColorRecord pen = interface_internal::ColorOf(border->foreground);
  if (!border->enabledByActivation) pen = Faded(pen);
  const ColorRecord back = interface_internal::ColorOf(border->background);
  PlatformError error = GraphicsPort::SetTextStyle(port, &pen, nullptr, 0, kTitleSize, 0, -1);
  const Rect& r = border->rect;
  const int32_t width = static_cast<int32_t>(r.Width());

  // The title and the gap it makes in the top edge.
  const std::string title = FittedTitle(port, border);
  int32_t textX = 0, gapLeft = 0, gapRight = 0;
  if (!title.empty()) {
    const int32_t textWidth = GraphicsPort::TextWidth(port, title.data(), static_cast<int32_t>(title.size()));
    if (border->alignment == 1) {
      textX = r.right - textWidth - 14;
      gapLeft = textX - 2;
      gapRight = r.right - 12;
    } else if (border->alignment == -1) {
      textX = r.left + 14;
      gapLeft = r.left + 12;
      gapRight = r.left + textWidth + 16;
    } else {
      textX = r.left + width / 2 - textWidth / 2;
      gapLeft = textX - 2;
      gapRight = textX + textWidth + 2;
    }
    gapLeft = std::max(r.left, gapLeft - 4);
    gapRight = std::min(r.right, gapRight + 4);
  }
  const auto drawTitle = [&] {
    if (title.empty()) return;
    int32_t metrics[5];
    GraphicsPort::GetFontMetrics(port, metrics);
    GraphicsPort::SetForeColor(port, &pen);
    GraphicsPort::DrawText(port, textX, r.top + (metrics[0] - metrics[1]) / 2, title.data(),
                           static_cast<int32_t>(title.size()));
  };

  if (border->line == 1) {
    GraphicsPort::SetFillPattern(port, &pen, &back, kDottedPattern);
  } else {
    SetSolid(port, pen, back);
  }
  if (Rect::IsEmpty(&r)) {
    // A rectangle without width or height is a single line.
    if (border->line != 0) {
      if (r.right == r.left) {
        Fill(port, r.left, r.top, r.left + 1, std::max(r.bottom, r.top + 1));
      } else {
        Horizontal(port, r.top, r.left, r.right, gapLeft, gapRight);
      }
    }
    drawTitle();
    GraphicsPort::ResetState(port, true, true, true, false, false);
    return error;
  }

  // The notch at the bottom right: nothing of the border is drawn inside it.
  const int32_t notchX = border->chipped ? std::min(GetSystemMetrics(SM_CXHTHUMB), width) : 0;
  const int32_t notchY =
      border->chipped ? std::min<int32_t>(GetSystemMetrics(SM_CYVTHUMB), static_cast<int32_t>(r.Height())) : 0;
  GraphicsPort::SetBackColor(port, &back);
  if (notchX > 0 && notchY > 0) {
    const Rect upper{r.left, r.top, r.right, r.bottom - notchY};
    const Rect lower{r.left, r.bottom - notchY, r.right - notchX, r.bottom};
    GraphicsPort::EraseRect(port, &upper);
    GraphicsPort::EraseRect(port, &lower);
  } else {
    GraphicsPort::EraseRect(port, &r);
  }

  if (border->line != 0) {
    Horizontal(port, r.top, r.left, r.right, gapLeft, gapRight);
    Fill(port, r.left, r.top, r.left + 1, r.bottom);
    Fill(port, r.right - 1, r.top, r.right, r.bottom - notchY);
    Fill(port, r.left, r.bottom - 1, r.right - notchX, r.bottom);
    if (notchX > 0 && notchY > 0) {
      Fill(port, r.right - notchX, r.bottom - notchY, r.right - notchX + 1, r.bottom);
      Fill(port, r.right - notchX, r.bottom - notchY, r.right, r.bottom - notchY + 1);
    }
  }

  // The bevel inside the line: the darker shade on the top and left for a positive INDENT, the lighter one for a
  // negative one, and the other shade on the bottom and right.
  if (border->indent != 0) {
    ColorRecord darker = pen, lighter = pen;
    ColorRecord::Darken(&darker);
    ColorRecord::Lighten(&lighter);
    const ColorRecord& topLeft = border->indent > 0 ? darker : lighter;
    const ColorRecord& bottomRight = border->indent > 0 ? lighter : darker;
    const int32_t first = border->line != 0 ? 1 : 0;
    const int32_t depth = std::min(border->indent > 0 ? border->indent : -border->indent, width / 2 + 1);
    for (int32_t i = 0; i < depth; ++i) {
      const int32_t k = first + i;
      const int32_t left = r.left + k, top = r.top + k, right = r.right - k, bottom = r.bottom - k;
      if (left >= right || top >= bottom) break;
      SetSolid(port, topLeft, back);
      Horizontal(port, top, left, right - 1, gapLeft, gapRight);
      Fill(port, left, top, left + 1, bottom - 1);
      SetSolid(port, bottomRight, back);
      Fill(port, left + 1, bottom - 1, std::min(right, r.right - notchX), bottom);
      Fill(port, right - 1, top + 1, right, std::min(bottom, r.bottom - notchY));
    }
  }
  drawTitle();
  GraphicsPort::ResetState(port, true, true, true, false, false);
  return error;
}

PlatformError BorderElement::Proc(HWND, HDC dc, MarkupNode* node, PlatformHandle* instance, int32_t message,
                                  intptr_t parameter1, intptr_t parameter2) {
  if (message == kElementCreate) return Create(node, instance);
  Data* border = DataOf<Data>(instance);
  if (border == nullptr) return kPlatformNoError;
  switch (message) {
    case kElementAttach:
      if (dc == nullptr) return kPlatformErrNoMemory;
      if (!border->foregroundGiven) border->foreground = element_support::WordOfColorRef(GetTextColor(dc));
      if (!border->backgroundGiven) border->background = element_support::WordOfColorRef(GetBkColor(dc));
      return kPlatformNoError;
    case kElementDispose:
      return element_support::DisposeData(instance);
    case kElementDraw: {
      if (Rect::IsDegenerate(&border->rect)) return kPlatformNoError;
      element_support::DrawingPort port(dc);
      return DrawFrame(port.world(), border);
    }
    case kElementCursor:
      if (parameter2 != 0) *reinterpret_cast<int16_t*>(parameter2) = 0;
      return kPlatformNoError;
    case kElementEnable:
    case kElementDisable:
      border->enabledByActivation = message == kElementEnable;
      return kPlatformNoError;
    case kElementGetRect:
      element_support::PutRect(parameter2, border->rect);
      return kPlatformNoError;
    case kElementSetRect:
      border->rect = *reinterpret_cast<const Rect*>(parameter1);
      return kPlatformNoError;
    case kElementGetTitle:
      element_support::PutTitle(parameter2, border->title);
      return kPlatformNoError;
    case kElementSetTitle:
      PlatformCopyStringBounded(border->title, reinterpret_cast<const char*>(parameter1), sizeof border->title);
      return kPlatformNoError;
    case kElementSetText:
    case kElementSetValue:
      return kElementErrUnsupported;
    case kElementGetValue:
      element_support::PutValue(parameter2, 0);
      return kPlatformNoError;
    case kElementGetVisible:
      element_support::PutByte(parameter2, border->visible);
      return kPlatformNoError;
    case kElementSetVisible:
      border->visible = parameter1 != 0;
      return kPlatformNoError;
    case kElementGetEnabled:
      element_support::PutByte(parameter2, 0);
      return kPlatformNoError;
    case kElementGetForeColor:
      element_support::PutColour(parameter2, border->foreground);
      return kPlatformNoError;
    case kElementSetForeColor:
      border->foreground = static_cast<uint32_t>(parameter1);
      border->foregroundGiven = 1;
      return kPlatformNoError;
    case kElementGetBackColor:
      element_support::PutColour(parameter2, border->background);
      return kPlatformNoError;
    case kElementSetBackColor:
      border->background = static_cast<uint32_t>(parameter1);
      border->backgroundGiven = 1;
      return kPlatformNoError;
    default:
      return kPlatformNoError;
  }
}
