// The character sheet.
#include "game/dialogs/character_creation_dialog.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <memory>

#include "game/dialogs/status_panel.h"
#include "game/graphics/picture_cache.h"
#include "game/rules/character.h"
#include "game/rules/class_race_records.h"
#include "game/rules/game_state.h"
#include "game/shell/data/data_archive.h"
#include "game/shell/data/data_paths.h"

namespace {

constexpr int32_t kCreationLayout = 10;
constexpr int32_t kPortraitPoolId = 2;
constexpr int32_t kNextCommand = 13;
constexpr int32_t kPreviousCommand = 14;
constexpr int32_t kOkCommand = 15;
constexpr int32_t kRerollCommand = 16;

constexpr std::array<ControlKind, CharacterCreationDialog::kControlCount> MakeKinds() {
  std::array<ControlKind, CharacterCreationDialog::kControlCount> kinds{};
  kinds[0] = kPictureControlKind;
  for (int32_t i = 1; i <= 25; ++i) kinds[static_cast<size_t>(i)] = kStaticTextKind;
  for (int32_t i = 26; i < CharacterCreationDialog::kControlCount; ++i) kinds[static_cast<size_t>(i)] = kCaptionButtonKind;
  return kinds;
}

constexpr std::array<ControlKind, CharacterCreationDialog::kControlCount> kCreationKinds = MakeKinds();

// The portraits: the entries of the portrait folder of the scenario's data file, in the order of their names, or
// the items of the folder on the disk when the scenario is a folder tree.
uint32_t CountPortraits(const std::string& folderPath) {
  if (const DataArchive* archive = DataArchive::Current()) {
    const ArchiveFolder* folder = archive->FindFolder(folderPath);
    return folder != nullptr ? static_cast<uint32_t>(folder->entries.size()) : 0;
  }
  return IsFolder(folderPath.c_str()) ? FolderItemCount(folderPath.c_str()) : 0;
}

// The path of portrait number (from 1); "" for an entry that is itself a folder or cannot be found.
std::string PortraitPathAt(const std::string& folderPath, uint32_t number) {
  std::string path;
  if (const DataArchive* archive = DataArchive::Current()) {
    const ArchiveFolder* folder = archive->FindFolder(folderPath);
    if (folder == nullptr || number == 0 || number > folder->entries.size()) return path;
    auto entry = folder->entries.begin();
    std::advance(entry, number - 1);
    return folderPath + entry->first;
  }
  if (PathJoinIfFolder(path, folderPath.c_str(), number) != 0) path.clear();
  return path;
}

}  // namespace

std::string DamageText(const Character& character) {
  const CharacterValues& values = character.current;
  int32_t bonus = values.specialDamage;
  // Strength adds to blows struck by hand, not to shots.
  if (character.WeaponReach() <= 1) bonus += std::max(0, values.strength - 15);
  std::string text = std::to_string(values.minDamage) + "-" + std::to_string(values.maxDamage);
  if (bonus > 0) text += "(+" + std::to_string(bonus) + ")";
  if (bonus < 0) text += "(-" + std::to_string(-bonus) + ")";
  return text;
}

CharacterCreationDialog::CharacterCreationDialog(bool mayChange)
    : Dialog(kCreationLayout, kControlCount, kCreationKinds.data(), true) {
  portraitPool_ = PictureCache::NewPool(kPortraitPoolId);
  PortraitsFolderPath(folderPath_);
  portraitCount_ = CountPortraits(folderPath_);
  if (portraitCount_ > 0) ShowPortrait(1);

  struct ButtonSetUp {
    int32_t index;
    const char* caption;
    int32_t command;
  };
  constexpr ButtonSetUp kButtons[] = {{kReroll, "Reroll", kRerollCommand},
                                      {kOk, "OK", kOkCommand},
                                      {kPrevious, "Previous", kPreviousCommand},
                                      {kNext, "Next", kNextCommand}};
  for (const ButtonSetUp& setUp : kButtons) {
    if (auto* button = GetControlAs<CaptionButton>(setUp.index)) {
      button->SetCaption(setUp.caption);
      button->SetCommand(setUp.command);
    }
  }
  if (!mayChange) {
    for (int32_t index : {kReroll, kNext, kPrevious}) {
      if (auto* button = GetControlAs<CaptionButton>(index)) button->SetState(false);
    }
  }

  Character* player = GetCurrentCharacter();
  if (IsGameInProgress()) {
    if (auto* portrait = GetControlAs<PictureControl>(kPortrait)) {
      portrait->SetPicture(player != nullptr ? player->GetPicture() : nullptr, false);
    }
  } else if (player != nullptr) {
    player->RerollAttributes();
    player->RecalculateStats();
  }
  FillTexts();
  for (int32_t index : {kOk, kReroll, kNext, kPrevious}) {
    BeginFocusGroup();
    AddToFocusGroup(index);
  }
  FocusFirstControl();
}

CharacterCreationDialog::~CharacterCreationDialog() {
  ClearScreenLayers();
  if (auto* portrait = GetControlAs<PictureControl>(kPortrait)) portrait->SetPicture(nullptr, false);
  PictureCache::DeletePool(portraitPool_);
}

std::string CharacterCreationDialog::ValueText(int32_t index) const {
  auto* text = GetControlAs<StaticTextControl>(index);
  return text != nullptr ? text->GetText() : std::string();
}

void CharacterCreationDialog::ShowPortrait(uint32_t number) {
  portraitNumber_ = number;
  // An entry that is a folder, or a folder that cannot be read, shows nothing new.
  const std::string path = PortraitPathAt(folderPath_, number);
  if (path.empty()) return;
  PictureCache::PushPool();
  PictureCache::SelectPool(portraitPool_);
  const int32_t options = ImageImportOptions;
  ImageImportOptions = options & ~kDetectTransparency;
  Bitmap* picture = PictureCache::Load(path.c_str());
  ImageImportOptions = options;
  PictureCache::PopPool();
  if (auto* portrait = GetControlAs<PictureControl>(kPortrait)) portrait->SetPicture(picture, false);
  shownPortraitName_ = picture != nullptr ? path.substr(folderPath_.size()) : std::string();
  SetDirty();
}

void CharacterCreationDialog::FillTexts() {
  const Character* player = GetCurrentCharacter();
  if (player == nullptr) return;
  const CharacterValues& now = player->current;
  const auto number = [](int32_t value) { return std::to_string(value); };
  const std::string texts[] = {
      player->GetName(),
      number(player->stamina),
      number(now.maxStamina),
      number(player->magic),
      number(now.maxMagic),
      DamageText(*player),
      number(now.naturalProtection),
      number(now.strength),
      number(now.dexterity),
      number(now.vitality),
      number(now.wisdom),
      number(now.karma),
      number(now.luck),
      number(now.speed),
      number(now.perception),
      player->GetRace() != nullptr ? player->GetRace()->GetName() : std::string(),
      player->GetClass() != nullptr ? player->GetClass()->GetName() : std::string(),
      number(player->level),
      number(player->experience),
      std::to_string(NextLevelExperience(*player)),
      number(player->base.naturalProtection),
      number(now.chemicalProtection),
      number(now.fireProtection),
      number(now.coldProtection),
      number(now.electricalProtection),
  };
  for (int32_t i = 0; i < static_cast<int32_t>(std::size(texts)); ++i) {
    if (auto* text = GetControlAs<StaticTextControl>(i + 1)) text->SetText(texts[i]);
  }
  SetDirty();
}

int32_t CharacterCreationDialog::OnControlEvent(int32_t index, ControlEvent code) {
  switch (code) {
    case kNextCommand:
      // No folder, or an empty one: nothing to page through.
      if (portraitCount_ == 0) return kConsumeClick;
      ShowPortrait(portraitNumber_ >= portraitCount_ ? 1 : portraitNumber_ + 1);
      return kConsumeClick;
    case kPreviousCommand:
      if (portraitCount_ == 0) return kConsumeClick;
      ShowPortrait(portraitNumber_ <= 1 ? portraitCount_ : portraitNumber_ - 1);
      return kConsumeClick;
    case kRerollCommand:
      if (Character* player = GetCurrentCharacter()) {
        player->RerollAttributes();
        player->RecalculateStats();
      }
      FillTexts();
      return kConsumeClick;
    case kOkCommand: {
      Character* player = GetCurrentCharacter();
      auto* portrait = GetControlAs<PictureControl>(kPortrait);
      if (!IsGameInProgress() && player != nullptr && portrait != nullptr && portrait->GetPicture() != nullptr) {
        // The pool goes with the dialog: the character keeps a copy of its own.
        auto copy = std::make_unique<Bitmap>();
        if (copy->CopyFrom(*portrait->GetPicture()) == kBitmapReady) {
          player->SetPicture(std::move(copy));
          player->portraitName = shownPortraitName_;
        }
      }
      return Close();
    }
    default: return Dialog::OnControlEvent(index, code);
  }
}

void ShowCharacterCreation(int32_t mayChange) {
  Dialog::RunModal(std::make_unique<CharacterCreationDialog>(mayChange != 0));
}
