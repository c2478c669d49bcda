// The scenario's record kinds, one per file of the record folders: spells, races, classes, skill tables, items
// and NPC definitions, with the event and action records they hold, and the scenario pictures the rules hand
// out.
#pragma once

#include "game/rules/active_effect.h"
#include "game/rules/class_race_records.h"
#include "game/rules/item_action_record.h"
#include "game/rules/item_record.h"
#include "game/rules/npc_definition.h"
#include "game/rules/scenario_pictures.h"
#include "game/rules/script_action.h"
#include "game/rules/script_event.h"
#include "game/rules/skill_table.h"
#include "game/rules/spell_record.h"
