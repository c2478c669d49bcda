// What the shell asks of the game dialogs: the modal Dialog with its loop and the open-dialog stack, the pictures
// and the picture pool the dialogs share (dialog.h), the progress dialog of the loading steps, the about box, the
// journal key of the event message, and the dialogs of the new-game command
// (player name, race and class choice, the character sheet).
#pragma once

#include <cstdint>

#include "game/dialogs/about_dialog.h"
#include "game/dialogs/character_creation_dialog.h"
#include "game/dialogs/dialog.h"
#include "game/dialogs/message_dialog.h"
#include "game/dialogs/player_choice_dialogs.h"
#include "game/dialogs/progress_dialog.h"
