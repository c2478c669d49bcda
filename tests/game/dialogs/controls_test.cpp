// The controls: when buttons fire, what a text field shows, the caption buttons' frame, and when a text asks to be
// drawn again. The view and its fonts are the game's own (the harness opens the window).
#include "game/dialogs/controls.h"

#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <typeindex>
#include <typeinfo>

#include "game/dialogs/dialog.h"
#include "game/dialogs/list_controls.h"
#include "game/shell/input_manager.h"
#include "game/world/scene_view.h"
#include "host/user.h"
#include "tests/support/dialog_input.h"

namespace {

namespace sw = scenario_writer;
using namespace test_support::input;
using test_support::RunScripted;
using test_support::ScriptResult;

constexpr int32_t kTestLayout = 8;

class ControlsTest : public test_support::DialogHarness {
 protected:
  void SetUp() override {
    DialogHarness::SetUp();
    Config().layouts[kTestLayout].name = "Panel.bmp";
    Config().layouts[kTestLayout].elements = {{"first", 20, 20, 100, 30}, {"second", 20, 60, 100, 30}};
    AddPicture("Pictures/Panel.bmp", sw::Canvas(300, 200, sw::Rgb{90, 90, 90}));
    LoadWithWindow();
  }
  static void Click() {
    Input::OnLeftButton(0, 0, kButtonDown);
    Input::OnLeftButton(0, 0, kButtonUp);
  }
  static void SetKey(KeySlot slot, bool down) {
    Input::SetKey(slot, down ? 1 : 0);
    Input::BeginFrame();
  }
  SceneView& View() { return *GetSceneView(); }
};

TEST_F(ControlsTest, AButtonFiresOnAClickWhileHoveredAndNeverWhenDisabled) {
  TextButton button(Bounds{10, 10, 80, 20});
  button.SetCommand(20);
  Click();
  EXPECT_EQ(button.Track(0, 0, 0), 0);  // not under the mouse
  button.SetHovered(true);
  EXPECT_EQ(button.Track(0, 0, 0), 20);
  EXPECT_FALSE(Input::WasClicked());  // the button took the click
  button.SetState(false);
  Click();
  EXPECT_EQ(button.Track(0, 0, 0), 0);
  Input::ClearClick();
}

// A button with the focus fires in every frame that finds Return down, wherever the mouse is; without the focus,
// or once Return is up, it does not.
TEST_F(ControlsTest, AFocusedButtonFiresInEveryFrameThatFindsReturnDown) {
  TextButton button(Bounds{10, 10, 80, 20});
  button.SetCommand(20);
  SetKey(kSlotReturn, true);
  EXPECT_EQ(button.Track(300, 300, 0), 0);  // no focus
  button.SetDefault(true);
  EXPECT_EQ(button.Track(300, 300, 0), 20);
  SetKey(kSlotReturn, true);  // the next frame, still held
  EXPECT_EQ(button.Track(300, 300, 0), 20);
  SetKey(kSlotReturn, false);
  EXPECT_EQ(button.Track(300, 300, 0), 0);
}

// A dialog whose button counts its presses and stays open; Escape closes it. It also counts the frames in which
// it finds Return down.
class CountingDialog : public Dialog {
 public:
  CountingDialog(int32_t& presses, int32_t& returnFrames)
      : Dialog(kTestLayout, 2, kKinds, true), presses_(presses), returnFrames_(returnFrames) {
    BeginFocusGroup();
    for (int32_t i = 0; i < 2; ++i) {
      GetControlAs<TextButton>(i)->SetCaption(i == 0 ? "Use" : "Drop");
      GetControlAs<TextButton>(i)->SetCommand(kFirstCommand + i);
      AddToFocusGroup(i);
    }
    GetControlAs<TextButton>(0)->SetState(false);
    FocusFirstControl();
  }
  int32_t HandleEvents() override {
    if (Input::IsKeyDown(kSlotReturn) != 0) ++returnFrames_;
    return Dialog::HandleEvents();
  }
  int32_t OnControlEvent(int32_t index, ControlEvent code) override {
    if (code == kFirstCommand + 1) {
      ++presses_;
      return 0;
    }
    return Dialog::OnControlEvent(index, code);
  }
  static constexpr ControlKind kKinds[] = {kTextButtonKind, kTextButtonKind};

 private:
  int32_t& presses_;
  int32_t& returnFrames_;
};

// Return held for eleven frames and then pressed once more: the focused button fires in each of those frames.
TEST_F(ControlsTest, AHeldReturnPressesTheFocusedButtonInEveryFrameAndADisabledButtonTakesNoFocus) {
  int32_t presses = 0, returnFrames = 0;
  auto dialog = std::make_unique<CountingDialog>(presses, returnFrames);
  EXPECT_EQ(dialog->FocusedIndex(), 1);  // the first button is disabled
  ScriptResult run = RunScripted(std::move(dialog), {KeyDown(VK_RETURN), Wait(10), KeyUp(VK_RETURN), Wait(1),
                                                     KeyDown(VK_RETURN), KeyUp(VK_RETURN), KeyDown(VK_ESCAPE), Wait(2)});
  EXPECT_FALSE(run.closedTheWindow);
  EXPECT_GE(returnFrames, 12);
  EXPECT_EQ(presses, returnFrames);
}

TEST_F(ControlsTest, ATextFieldShowsTheEndOfItsTextWithTheCaretAfterIt) {
  TextField field(Bounds{10, 10, 60, 20});
  SelectColour(View(), kPlainColour);
  EXPECT_EQ(field.CaretPosition(View()).x, 13);
  EXPECT_EQ(field.CaretPosition(View()).y, 12);
  const std::string text = "the quick brown fox jumps over the lazy dog";
  field.SetText(text);
  const std::string shown = field.ShownText(View());
  ASSERT_FALSE(shown.empty());
  ASSERT_LT(shown.size(), text.size());
  EXPECT_EQ(text.substr(text.size() - shown.size()), shown);
  Bounds size, wider;
  View().MeasureText(0, 0, shown, &size);
  View().MeasureText(0, 0, text.substr(text.size() - shown.size() - 1), &wider);
  EXPECT_LE(size.width, 60);
  EXPECT_GT(wider.width, 60);
  EXPECT_EQ(field.CaretPosition(View()).x, 12 + size.width + 1);
  EXPECT_EQ(field.CaretPosition(View()).y, 12);
  // Typing goes on from the field's text, and the field follows what is typed.
  std::string typed;
  Input::GetText(typed, false);
  EXPECT_EQ(typed, text);
  Input::SetText("abc");
  field.Draw(View());
  EXPECT_EQ(field.Track(0, 0, 0), 0);
  EXPECT_EQ(field.GetText(), "abc");
  EXPECT_TRUE(field.NeedsRedraw());
}

TEST_F(ControlsTest, ACaptionButtonsFrameIsCutFromTheFramePictureWhenBothAreLargerThanFourPixels) {
  const Bitmap* picture = GetDialogGlobalPicture();
  ASSERT_NE(picture, nullptr);  // the program's own frame picture, 8 x 8
  EXPECT_EQ(CaptionButton(Bounds{0, 0, 4, 20}).Frame(), nullptr);
  EXPECT_EQ(CaptionButton(Bounds{0, 0, 20, 4}).Frame(), nullptr);
  CaptionButton button(Bounds{0, 0, 30, 12});
  const Bitmap* frame = button.Frame();
  ASSERT_NE(frame, nullptr);
  auto pixel = [](const Bitmap& bitmap, int32_t x, int32_t y) {
    DrawColor colour;
    GetPixel(colour, bitmap, x, y);
    return colour.Value();
  };
  const int32_t w = picture->width, h = picture->height;
  struct Case {
    int32_t x, y, px, py;
  } cases[] = {
      {0, 0, 0, 0},         {1, 1, 1, 1},         {29, 0, w - 1, 0},  {0, 11, 0, h - 1},
      {29, 11, w - 1, h - 1}, {15, 0, 2, 0},       {15, 11, 2, h - 1}, {0, 6, 0, 2},
      {29, 6, w - 1, 2},    {15, 6, 2, 2},        {2, 2, 2, 2},       {27, 9, 2, 2},
  };
  for (const Case& c : cases) EXPECT_EQ(pixel(*frame, c.x, c.y), pixel(*picture, c.px, c.py)) << c.x << "," << c.y;

  // Without a frame picture the caption stands alone.
  SetDialogGlobalPicture(nullptr);
  EXPECT_EQ(CaptionButton(Bounds{0, 0, 30, 12}).Frame(), nullptr);
}

TEST_F(ControlsTest, SettingTheTextAlreadyShownAsksForNoRedraw) {
  StaticTextControl text(Bounds{0, 0, 100, 20});
  text.SetText("Hello");
  EXPECT_TRUE(text.NeedsRedraw());
  text.Draw(View());
  EXPECT_FALSE(text.NeedsRedraw());
  text.SetText("Hello");
  EXPECT_FALSE(text.NeedsRedraw());
  text.SetText("Goodbye");
  EXPECT_TRUE(text.NeedsRedraw());
}

// Each kind makes exactly its own class (the two lists told apart), and only the two lists want layers of their
// own.
TEST_F(ControlsTest, TheFactoryMakesTheEightKindsAndNothingElse) {
  const Bounds rect{0, 0, 40, 20};
  struct Case {
    int32_t kind;
    std::type_index type;
    bool ownLayer;
  } cases[] = {
      {1, typeid(PictureButton), false},  {2, typeid(TextButton), false},    {3, typeid(PictureControl), false},
      {4, typeid(StaticTextControl), false}, {5, typeid(ListControl), true}, {6, typeid(TextField), false},
      {7, typeid(CaptionButton), false},  {8, typeid(MultiSelectList), true},
  };
  for (const Case& c : cases) {
    std::unique_ptr<Control> control = CreateControl(c.kind, rect);
    ASSERT_NE(control, nullptr) << c.kind;
    const Control& made = *control;
    EXPECT_EQ(std::type_index(typeid(made)), c.type) << c.kind;
    EXPECT_EQ(control->WantsOwnLayer(), c.ownLayer) << c.kind;
  }
  EXPECT_EQ(CreateControl(0, rect), nullptr);
  EXPECT_EQ(CreateControl(9, rect), nullptr);
}

// A control whose rectangle has no area still draws: its picture, and its text, start at its x and y.
TEST_F(ControlsTest, AnElementLargerThanTheScreenIsCutToItAndOneWithoutAreaStillDrawsAtItsCorner) {
  TextField huge(Bounds{0, 0, 100000, 100000});
  EXPECT_EQ(huge.GetRect().width, 640);
  EXPECT_EQ(huge.GetRect().height, 480);
  TextField none(Bounds{5, 5, -3, 0});
  EXPECT_EQ(none.GetRect().width, 0);

  ViewLayer layer;
  ASSERT_TRUE(layer.Make(Bounds{0, 0, 640, 480}));
  CurrentLayerScope scope(layer.Get());
  none.Draw(View());  // no background of no size was made: the caret alone
  CaptionButton flat(Bounds{5, 5, 0, 0});
  flat.SetCaption("OK");
  flat.Draw(View());

  std::unique_ptr<Bitmap> picture = MakeFilledPicture(8, 6, DrawColor{200, 0, 0, 255});
  ASSERT_NE(picture, nullptr);
  auto placedAt = [&](const Bitmap* bitmap, int32_t x, int32_t y) {
    for (const PlacedImage& image : layer.Get()->Images()) {
      if (image.bitmap == bitmap && image.x == x && image.y == y) return true;
    }
    return false;
  };
  PictureControl still(Bounds{30, 40, 0, 0});
  still.SetPicture(picture.get(), false);
  still.Draw(View());
  EXPECT_TRUE(placedAt(picture.get(), 30, 40));
  PictureButton button(Bounds{50, 60, 0, 10});
  button.SetPictures(MakeFilledPicture(4, 4, DrawColor{0, 200, 0, 255}), nullptr);
  button.Draw(View());
  EXPECT_EQ(layer.Get()->Images().back().x, 50);
  EXPECT_EQ(layer.Get()->Images().back().y, 60);

  const size_t before = layer.Get()->Images().size();
  StaticTextControl text(Bounds{70, 80, 0, 0});
  text.SetText("Hi");
  text.Draw(View());
  ASSERT_GT(layer.Get()->Images().size(), before);
  auto first = std::next(layer.Get()->Images().begin(), static_cast<std::ptrdiff_t>(before));
  EXPECT_EQ(first->x, 70);
  EXPECT_EQ(first->y, 80);
  layer.Destroy();  // before the pictures it shows
}

}  // namespace
