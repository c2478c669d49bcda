// One whole frame of the game view, composed and put on a headless game window: a 640 x 480 view with a tiled
// ground layer, a keyed decoration layer, 50 sprites with per-pixel alpha and a masked panel fixed on the screen
// with text labels. Each frame clears the back buffer (so that everything is redrawn), composes it
// (SceneView::Update), presents it (ScreenPresenter::Present) and paints the window. Beside it, in the same run, a
// memcpy of the frame's 640 x 480 x 3 bytes, and the composition alone (to tell it from the presenting). Each runs
// five times; the medians give the milliseconds a frame and the ratios to the copy.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "game/graphics/bitmap.h"
#include "game/graphics/blitter.h"
#include "game/graphics/animation_set.h"
#include "game/graphics/region.h"
#include "game/graphics/screen_presenter.h"
#include "game/shell/main_function.h"
#include "game/shell/main_window.h"
#include "game/shell/window_procedure.h"
#include "game/world/scene_view.h"
#include "game/world/sprite.h"
#include "host/kernel.h"
#include "host/testing.h"
#include "host/user.h"

namespace {

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;
constexpr int32_t kTile = 32;
constexpr int32_t kSprites = 50;
constexpr int32_t kDecorations = 24;
constexpr int32_t kPanelHeight = 96;

// A picture of the format with a pattern of colours; keyed pictures have a round hole of the key colour, alpha
// pictures a transparent rim, a partly transparent ring and an opaque middle.
std::unique_ptr<Bitmap> Picture(int32_t width, int32_t height, int32_t format, uint32_t seed) {
  auto bitmap = std::make_unique<Bitmap>();
  bitmap->Create(width, height, format);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t v = (static_cast<uint32_t>(x) * 2654435761u) ^ (static_cast<uint32_t>(y) * 40503u) ^ seed;
      const int32_t dx = 2 * x - width, dy = 2 * y - height;
      const int32_t distance = dx * dx + dy * dy;
      const int32_t radius = width * width;
      DrawColor color{static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16), 255};
      if (format == KeyedFormat && distance < radius / 4) color = DrawColor{255, 255, 255, 255};
      if (format == AlphaFormat) color.alpha = distance > radius ? 0 : distance > radius / 2 ? 128 : 255;
      FillRect(*bitmap, Bounds{x, y, 1, 1}, color);
    }
  }
  return bitmap;
}

// The scene and the window that shows it, made once for the run.
struct Scene {
  Scene() {
    HostTestSetHeadless(true);
    StartupWindowParams params;
    params.instance = GetModuleHandleA(nullptr);
    params.windowProc = MainWindowProc;
    SetMainWindow(std::make_unique<MainWindow>(kWidth, kHeight, 24, false, false, "Scene frame", params));
    ready = GetMainWindow()->Create(false) == 0;
    if (!ready) return;
    GetMainWindow()->Show();
    SetScreenPresenter(std::make_unique<ScreenPresenter>(GetMainWindow(), kWidth, kHeight));
    ready = view.Create(kWidth, kHeight, 24, 0) == 0;
    if (!ready) return;

    SceneLayer* ground = view.AddDefaultLayer(SceneLayer::kMapMode).Layer();
    for (uint32_t i = 0; i < 4; ++i) tiles.push_back(Picture(kTile, kTile, OpaqueFormat, i * 977u));
    for (int32_t y = 0; y < kHeight; y += kTile) {
      for (int32_t x = 0; x < kWidth; x += kTile) {
        ground->SetImage(tiles[static_cast<size_t>((x / kTile + y / kTile) % 4)].get());
        ground->PlaceImage(x, y);
      }
    }

    SceneLayer* decorations = view.AddDefaultLayer(SceneLayer::kMapMode).Layer();
    decoration = Picture(48, 48, KeyedFormat, 4242u);
    decorations->SetImage(decoration.get());
    for (int32_t i = 0; i < kDecorations; ++i) decorations->PlaceImage((i * 97) % (kWidth - 48), (i * 61) % 320);

    SceneLayer* figures = view.AddDefaultLayer(SceneLayer::kMapMode).Layer();
    figure = Picture(32, 32, AlphaFormat, 99u);
    view.SetCurrentLayer(figures);
    for (int32_t i = 0; i < kSprites; ++i) {
      auto sprite = std::make_unique<Sprite>();
      sprite->SetPicture(new PictureRef(figure.get(), false), true);
      sprite->SetPosition((i * 53) % (kWidth - 32), (i * 37) % (kHeight - kPanelHeight - 32));
      sprite->Draw();
      sprites.push_back(std::move(sprite));
    }

    SceneLayer* panelLayer = view.AddDefaultLayer(SceneLayer::kScreenMode).Layer();
    panel = Picture(kWidth, kPanelHeight, KeyedFormat, 7u);
    panelLayer->SetImage(panel.get());
    panelLayer->PlaceImage(0, kHeight - kPanelHeight);
    panelLayer->RebuildMaskRegions();

    SceneLayer* labels = view.AddDefaultLayer(SceneLayer::kScreenMode).Layer();
    view.SetCurrentLayer(labels);
    view.SetCurrentFont(view.AddFont("", 14, DrawColor{255, 255, 255, 255}, 0));
    view.AddTextLabel(16, kHeight - kPanelHeight + 8, "Stamina 24/30   Magic 11/12   Gold 305");
    view.AddTextLabel(16, kHeight - kPanelHeight + 30, "Level 4   Experience 1290   Next 2000");
    view.AddTextLabelWrapped(Bounds{16, kHeight - kPanelHeight + 52, 600, 40},
                             "The road north is closed by the river. Find the ferryman at the old mill.", true);
    view.SetCurrentLayer(nullptr);
  }
  ~Scene() {
    sprites.clear();
    view.Reset();
    SetScreenPresenter(nullptr);
    SetMainWindow(nullptr);
  }

  void Frame(bool present) {
    view.ClearBackBuffer();
    Region changed;
    view.Update(changed);
    if (!present) return;
    GetScreenPresenter()->Present(changed);
    UpdateWindow(GetMainWindow()->GetNativeWindow());
  }

  bool ready = false;
  SceneView view;
  std::vector<std::unique_ptr<Bitmap>> tiles;
  std::unique_ptr<Bitmap> decoration, figure, panel;
  std::vector<std::unique_ptr<Sprite>> sprites;
};

Scene& TheScene() {
  static Scene* scene = new Scene;
  return *scene;
}

void Frames(benchmark::State& state, bool present) {
  Scene& scene = TheScene();
  if (!scene.ready) {
    state.SkipWithError("the headless window or the view could not be made");
    return;
  }
  for (auto _ : state) {
    scene.Frame(present);
    benchmark::ClobberMemory();
  }
}
void SceneFrame(benchmark::State& state) { Frames(state, true); }
void SceneCompose(benchmark::State& state) { Frames(state, false); }

// The frame's bytes copied once: the bound that no composition of a whole frame can beat.
void MemcpyFrame(benchmark::State& state) {
  const size_t bytes = static_cast<size_t>(kWidth) * kHeight * 3;
  std::vector<uint8_t> from(bytes, 0x5A), to(bytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::ClobberMemory();
  }
}

BENCHMARK(SceneFrame)->Unit(benchmark::kMillisecond)->Repetitions(5)->DisplayAggregatesOnly(true);
BENCHMARK(SceneCompose)->Unit(benchmark::kMillisecond)->Repetitions(5)->DisplayAggregatesOnly(true);
BENCHMARK(MemcpyFrame)->Unit(benchmark::kMillisecond)->Repetitions(5)->DisplayAggregatesOnly(true);

// Prints the usual table and ends with the medians: milliseconds a frame and the ratio to the copy.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median" && !run.error_occurred) {
        medians_[run.run_name.function_name] = run.GetAdjustedRealTime();  // in the run's unit, milliseconds
      }
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    const double copy = Median("MemcpyFrame");
    std::printf("\n%-34s %10s %10s %10s\n", "median of 5, 640 x 480", "ms", "memcpy ms", "ratio");
    for (const auto& [name, label] : {std::pair<const char*, const char*>{"SceneFrame", "frame: composed and presented"},
                                      {"SceneCompose", "composed only"}}) {
      const double ms = Median(name);
      std::printf("%-34s %10.4f %10.4f %10.2f\n", label, ms, copy, copy > 0 ? ms / copy : 0.0);
    }
    std::fflush(stdout);
  }

 private:
  double Median(const std::string& name) const {
    auto found = medians_.find(name);
    return found == medians_.end() ? 0.0 : found->second;
  }

  std::map<std::string, double> medians_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
