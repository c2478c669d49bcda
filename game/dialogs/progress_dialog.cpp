// The progress dialog.
#include "game/dialogs/progress_dialog.h"

#include <algorithm>
#include <cmath>

#include "game/shell/main_loop.h"

namespace {

constexpr int32_t kProgressLayout = 15;
constexpr ControlKind kProgressKinds[] = {kPictureControlKind, kStaticTextKind};
constexpr int32_t kBarControl = 0;
constexpr int32_t kLabelControl = 1;
constexpr DrawColor kEmptyColour{40, 40, 40, 255};
constexpr DrawColor kFilledColour{104, 104, 104, 255};
constexpr float kHalfRateStep = 3.0f;

ProgressDialog*& Current() {
  static ProgressDialog* current = nullptr;
  return current;
}

}  // namespace

ProgressDialog::ProgressDialog() : Dialog(kProgressLayout, 2, kProgressKinds, true) {
  auto* control = GetControlAs<PictureControl>(kBarControl);
  if (control != nullptr) {
    std::unique_ptr<Bitmap> bar = MakeFilledPicture(control->GetRect().width, control->GetRect().height, kEmptyColour);
    if (bar != nullptr) {
      barWidth_ = control->GetRect().width - 1;
      bar_ = bar.release();
      control->SetPicture(bar_, true);
    }
  }
  SetCloseOnEscape(false);
}

ProgressDialog::~ProgressDialog() {
  if (Current() == this) Current() = nullptr;
}

ProgressDialog* ProgressDialog::GetCurrent() { return Current(); }
void ProgressDialog::SetCurrent(ProgressDialog* dialog) { Current() = dialog; }

std::string ProgressDialog::Label() const {
  const auto* label = GetControlAs<StaticTextControl>(kLabelControl);
  return label != nullptr ? label->GetText() : std::string();
}

int32_t ProgressDialog::BeginPhase(const std::string& label, int32_t steps) {
  if (bar_ != nullptr) FillRect(*bar_, bar_->Frame(), kEmptyColour);
  halfRate_ = 0;
  position_ = 0.0f;
  lastDrawn_ = 0.0f;
  // A count below 0 is read as none: the bar is full at once.
  if (steps <= 0) {
    position_ = static_cast<float>(barWidth_);
    stepSize_ = 0.0f;
    blockWidth_ = barWidth_;
  } else if (steps == 1) {
    stepSize_ = static_cast<float>(barWidth_);
    blockWidth_ = barWidth_;
  } else {
    stepSize_ = static_cast<float>(barWidth_) / static_cast<float>(steps);
    blockWidth_ = static_cast<int32_t>(stepSize_) + 1;
    if (stepSize_ < kHalfRateStep) halfRate_ = 1;
  }
  if (auto* text = GetControlAs<StaticTextControl>(kLabelControl)) text->SetText(label);
  SetDirty();
  Draw();
  return RefreshView();
}

int32_t ProgressDialog::Step() {
  position_ += stepSize_;
  if (position_ == lastDrawn_) return 0;
  SetDirty();
  lastDrawn_ = position_;
  Draw();
  const int32_t result = halfRate_ % 2 == 1 ? 0 : RefreshView();
  if (halfRate_ != 0) ++halfRate_;
  return result;
}

int32_t ProgressDialog::StepCurrent() {
  ProgressDialog* current = Current();
  return current != nullptr ? current->Step() : 0;
}

void ProgressDialog::Draw() {
  if (IsDirty() && bar_ != nullptr && position_ != 0.0f) {
    // Steps beyond the phase's count go on past the bar; the width is held within 32 bits before it is converted.
    const int32_t filled = static_cast<int32_t>(std::min(position_, 2147483520.0f));
    const int32_t x = std::min(barWidth_ - blockWidth_, std::max(0, filled - blockWidth_));
    FillRect(*bar_, Bounds{x, 0, blockWidth_, bar_->height}, kFilledColour);
  }
  Dialog::Draw();
}
