// The new-game dialogs as they stand before the character dialogs: closed from the start.
#include "game/dialogs/dialog_services.h"

PlayerNameDialog::PlayerNameDialog() : Dialog(4) { Close(); }

RaceClassDialog::RaceClassDialog(int32_t races) : Dialog(races != 0 ? 5 : 6) { Close(); }

void ShowCharacterCreation(int32_t) {}
