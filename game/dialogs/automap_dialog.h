// AutomapDialog: the map of a location (screen layout 23, control 0 a picture): the location's picture with a
// dot for each character of the shown map and the player's picture where the player stands, the part of the map
// not yet explored hidden. It closes on a click, Return, Tab or Escape; for its first second clicks reach no
// control.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "game/dialogs/dialog.h"

class Bitmap;

class AutomapDialog : public Dialog {
 public:
  // The picture is "Pictures/" + pictureName, or the location's own picture when pictureName is empty. With a
  // map shown, living characters get red dots when showLiving is set, the others blue dots when showOthers is
  // set; with fog the cells the location's explored-area mask does not hold are made transparent (all of them
  // when the location has no mask). playerPictureName names the player's marker under "Pictures/".
  AutomapDialog(const std::string& locationName, const std::string& pictureName,
                const std::string& playerPictureName, bool showLiving, bool showOthers, bool fog);
  ~AutomapDialog() override;

  // The dialog, then the player's marker centred on the player's place on the picture.
  void Draw() override;

  // The dialog's own copy of the picture, with its dots and fog (null when the picture did not load).
  const Bitmap* MapPicture() const { return picture_.get(); }
  // Where the player's marker is centred, in screen pixels; false without a shown map or a marker.
  bool PlayerMarkerCentre(int32_t* x, int32_t* y) const;

 private:
  void DrawDots(bool showLiving, bool showOthers);
  void ApplyFog();

  std::string locationName_;
  std::unique_ptr<Bitmap> picture_;
  Bitmap* playerPicture_ = nullptr;  // in the picture cache
};
