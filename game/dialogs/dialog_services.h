// What the shell asks of the game dialogs: the modal Dialog with its loop and the open-dialog stack, the pictures
// and the picture pool the dialogs share (dialog.h), the progress dialog of the loading steps, the about box, the
// journal key of the event message, and the dialogs of the new-game command.
//
// The new-game dialogs (player name, race and class choice, character creation) come with the character dialogs.
// Until then they close as soon as they are made, leaving what they would ask as it was.
#pragma once

#include <cstdint>

#include "game/dialogs/about_dialog.h"
#include "game/dialogs/dialog.h"
#include "game/dialogs/message_dialog.h"
#include "game/dialogs/progress_dialog.h"

class PlayerNameDialog : public Dialog {
 public:
  PlayerNameDialog();
};

class RaceClassDialog : public Dialog {
 public:
  explicit RaceClassDialog(int32_t races);
};

void ShowCharacterCreation(int32_t flag);
