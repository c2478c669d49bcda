// AboutDialog: the about box of the Help menu: the picture of screen layout 11 and nothing else. It closes on a
// click, Return or Escape.
#pragma once

#include "game/dialogs/dialog.h"

class AboutDialog : public Dialog {
 public:
  AboutDialog();
};
