// The status panel of the still screens (layout 16) and the maps (layout 17): the layout's picture cut to a shape
// by a 1-bit mask, with the player's portrait on element 0 and 28 texts (name, points, values, race, class,
// level, experience, gold, protections and the location's name) on elements 1 to 27 and 29. The same mask tells
// which clicks are the panel's rather than the map's.
//
// The mask is the picture named by layout 20, set wherever a pixel is not black (all four bytes 0); without it,
// the whole panel but element 28 (the picture or map rectangle). The panel picture and its mask are loaded once
// per picture name and kept while layouts of the same name are drawn; FreeLayouts frees them. The layers and the
// texts belong to the layout (screen_layouts.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Bitmap;
class BitMask;
class Character;
class Layout;

constexpr int32_t kStatusTextCount = 28;

// Draws the panel, the portrait and the texts; false when there is no panel picture (the location then hides its
// interface).
bool DrawStatusPanel(Layout& layout);
// Makes the layout's texts anew and draws them. With both the panel and its mask, only the texts whose elements
// overlap the mask's set bits are shown; an element the layout lacks shows no text.
void BuildStatusPanelTexts(Layout& layout);
// Makes the texts again and redraws them only when a shown one changed (every frame, from the locations' Draw).
void RefreshStatusPanelTexts(Layout& layout);
// Draws the portrait and the shown texts on the layout's text layer.
void DrawStatusPanelTexts(Layout& layout);
// Whether a panel mask exists and its bit at (x, y) is set.
bool StatusPanelMaskHitTest(int32_t x, int32_t y);

// The experience the character's next level needs, taken toward zero, as the panel and the dialogs show it.
int64_t NextLevelExperience(const Character& character);

// The 28 texts of the current character, in the order of the fields, and the element each is drawn into.
std::vector<std::string> MakeStatusTexts();
int32_t StatusTextElement(int32_t field);

// The panel picture and its mask as loaded (null when there are none).
const Bitmap* GetStatusPanelBitmap();
const BitMask* GetStatusPanelMask();
// Forgets the panel's picture name and frees the picture and the mask.
void FreeStatusPanelPicture();
