// Spell casting by characters: a cast here spends no magic and reaches no one.
#include "game/rules/character.h"

void Character::CastSpell(SpellRecord* spell, Character* chosenTarget, bool showFeedback) {}

void Character::UseSpell(SpellRecord* spell) {}
