// The scenario's own pictures that the rules hand out: the pictures that layouts 24 to 33 name, loaded when the
// "Config" file is read, and any picture of "Pictures/" by name.
#pragma once

#include <cstdint>
#include <string>

class Bitmap;

// Loads the pictures that layouts 24 to 33 name (from "Pictures/") into the scenario's picture slots.
void FillLayoutPictureSlots();
// The picture of slot 0 to 9 (layouts 24 to 33), or null.
Bitmap* GetLayoutPictureSlot(int32_t slot);
// The picture of layout 24 + n, for n from 1 to 9; null for any other n.
Bitmap* GetNumberedPicture(int32_t number);
// The picture "Pictures/" + name from the picture cache; null for an empty name or a missing picture.
Bitmap* GetScenarioPicture(const std::string& name);
