// The handler table: one row per action kind, in the order of the kinds of script_action.h.
#include "game/rules/action_handlers.h"

#include <array>

#include "game/rules/script_action.h"
#include "game/shell/data/string_utils.h"
#include "game/world/scene_view.h"

namespace {

constexpr std::array<ActionHandler, kActionKindCount> kHandlers = {
    RunMessageAction,       // 0 "D"
    RunConditionAction,     // 1 "Co"
    RunCallAction,          // 2 "Ca"
    RunEndAction,           // 3 "End"
    RunChangeGlobalAction,  // 4 "Change G"
    RunTravelAction,        // 5 "Te"
    RunAskAction,           // 6 "As"
    RunAttributeAction,     // 7 "A"
    RunItemAction,          // 8 "I"
    RunLaunchItemsAction,   // 9 "Launch I"
    RunGoldAction,          // 10 "G"
    RunPlaySoundAction,     // 11 "Play S"
    RunPlayMusicAction,     // 12 "Play "
    nullptr,                // 13 "Movie D": does nothing
    nullptr,                // 14 "Mo": does nothing
    RunChanceAction,        // 15 "Ra"
    RunEngineAction,        // 16 "Eng"
    RunMenuBarAction,       // 17 "Me"
    RunFadeAction,          // 18 "F"
    RunPlayerPositionAction,// 19 "Map P"
    RunPlayerSpriteAction,  // 20 "Player M"
    nullptr,                // 21 "Player B": does nothing
    RunPortraitAction,      // 22 "P"
    RunRefreshAction,       // 23 "Ref"
    RunMapCellAction,       // 24 "C"
    RunRememberLocationAction,// 25 "Sa"
    RunGoBackAction,        // 26 "R"
    RunWaitAction,          // 27 "W"
    RunSpellPickAction,     // 28 "Spell S"
    RunSpellsAction,        // 29 "Sp"
    RunScreenElementAction, // 30 "St"
    RunCharactersAction,    // 31 "N"
    RunAutomapAction,       // 32 "M"
    RunMusicVolumeAction,   // 33 "S"
    RunMovementModesAction, // 34 "U"
    RunTextEntryAction,     // 35 "T"
    RunWebAddressAction,    // 36 "Launch U"
};

}  // namespace

ActionHandler ActionHandlerAt(int32_t index) {
  if (index < 0 || index >= kActionKindCount) return nullptr;
  return kHandlers[static_cast<size_t>(index)];
}

std::vector<std::string> SplitFields(const std::string& text, const char* separator) {
  std::vector<std::string> fields(static_cast<size_t>(CountFields(text, separator)));
  for (size_t i = 0; i < fields.size(); ++i) GetField(fields[i], text, separator, static_cast<int32_t>(i + 1));
  return fields;
}

CurrentLayerSetAside::CurrentLayerSetAside() : view_(GetSceneView()) {
  if (view_ != nullptr) view_->PushLayer();
}

CurrentLayerSetAside::~CurrentLayerSetAside() {
  if (view_ != nullptr && view_ == GetSceneView()) view_->PopLayer();
}
