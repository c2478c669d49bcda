// Saving and opening games around the saved-game file.
#include "game/shell/saved_game.h"

SavedGameError SaveGameTo(SavedGameWorld& world, FolderRef folder, const char* name) {
  if (!world.HasCurrentCharacter()) return SavedGameError::kNone;
  SavedGame game;
  world.Capture(&game);
  int32_t fileError = 0;
  SavedGameError error = WriteSavedGameFile(folder, name, game, world.ScenarioIdentity(), &fileError);
  world.ResetInput();
  if (error != SavedGameError::kNone) {
    std::string text = SavedGameErrorText(error);
    if (fileError != 0) text += " (error " + std::to_string(fileError) + ")";
    world.ShowAlert(text, world.ScenarioName());
  } else {
    world.CallEvent("SaveGameExit");
  }
  world.ResetInput();
  return error;
}

SavedGameError OpenSavedGameFrom(SavedGameWorld& world, FolderRef folder, const char* name) {
  SavedGame game;
  int32_t fileError = 0;
  SavedGameError error = ReadSavedGameFile(folder, name, world.ScenarioIdentity(), &game, &fileError);
  // A file that cannot be read, is damaged, or belongs to another scenario or format is told: passed over without a
  // word, the open would look done while nothing was opened.
  if (error != SavedGameError::kNone) {
    world.ShowAlert(SavedGameErrorText(error), world.ScenarioName());
    world.ResetInput();
    return error;
  }
  std::vector<std::string> missing = MissingPlugins(game, world.LoadedPlugins());
  if (!missing.empty() && !world.AskYesNo(MissingPluginsQuestion(missing), world.ScenarioName())) {
    world.ResetInput();
    return SavedGameError::kDeclined;
  }
  // The older format names no sprite check; an empty name stands for the scenario's default sprite.
  const std::string& sprite = game.character.spriteName;
  const bool spriteFound = game.format == 11 || sprite.empty() || world.PictureExists(sprite);
  // The game goes back to the last place of its history once it is in place, and a way back that fails ends it.
  // That place is checked here, in every format, while the running game can still be kept: a save whose history
  // is empty, names no location of the scenario or a map whose file cannot be read would otherwise replace the
  // running game and then end it, or leave it half replaced in the old place.
  const bool placeFound = !game.history.empty() && world.PlaceOpens(game.history.back().location);
  if (!spriteFound || !placeFound) {
    world.ShowAlert(SavedGameErrorText(SavedGameError::kNotLoadable), world.ScenarioName());
    world.ResetInput();
    return SavedGameError::kNotLoadable;
  }
  return ApplySavedGame(world, game);
}

SavedGameError ApplySavedGame(SavedGameWorld& world, const SavedGame& game) {
  const bool oldFormat = game.format == 11;
  world.Apply(game);
  if (oldFormat) world.CallEvent("OpenGameExit");
  const bool back = world.TravelBack();
  if (back) {
    if (!oldFormat) world.CallEvent("OpenGameExit");
    world.PlacePlayer();
  } else {
    if (!oldFormat) world.ShowAlert(SavedGameErrorText(SavedGameError::kNotLoadable), world.ScenarioName());
    world.EndAfterFailedTravel();
  }
  world.FinishOpen();
  world.ResetInput();
  return back ? SavedGameError::kNone : SavedGameError::kNotLoadable;
}
