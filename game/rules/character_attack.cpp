// Attacks by characters: not yet fought; every attack does nothing.
#include "game/rules/character.h"

void Character::AttackCharacter(Character*) {}
void Character::Attack(int32_t, int32_t) {}
void Character::AttackCell(int32_t, int32_t) {}
void Character::Step(int32_t, int32_t, bool) {}
bool Character::UpdateBehaviour(int32_t) { return false; }
void Character::Fight() {}
void Character::CastBestSpell(bool) {}
