// The about box.
#include "game/dialogs/about_dialog.h"

namespace {

constexpr int32_t kAboutLayout = 11;

}  // namespace

AboutDialog::AboutDialog() : Dialog(kAboutLayout) {}
