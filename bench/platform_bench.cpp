// Drawing speed on the headless stand-in: one whole scene, and one frame's four texts.
#include <benchmark/benchmark.h>

#include "platform/headless/headless.h"
#include "scene/scene.h"
#include "shell/shell.h"

namespace {

// A shown 800 by 600 window with a menu, so its client area is 784 by 541 as in the program.
HWND CreateBenchWindow() {
    headless::Reset();
    return headless::CreatePlainWindow();
}

void BM_DrawScene(benchmark::State& state) {
    HWND window = CreateBenchWindow();
    const SceneSnapshot snapshot = ComposeScene(0.0, START_SETTINGS);
    HDC dc = GetDC(window);
    for (auto _ : state) {
        DrawScene(dc, snapshot, START_SETTINGS, 784, 541);
        benchmark::ClobberMemory();
    }
    ReleaseDC(window, dc);
}
BENCHMARK(BM_DrawScene);

void BM_FrameTexts(benchmark::State& state) {
    HWND window = CreateBenchWindow();
    const SceneSnapshot snapshot = ComposeScene(0.0, START_SETTINGS);
    HDC dc = GetDC(window);
    SetBkColor(dc, RGB(64, 64, 64));
    SetTextColor(dc, RGB(255, 255, 255));
    for (auto _ : state) {
        TextOutA(dc, 310, 10, snapshot.statusText, lstrlenA(snapshot.statusText));
        TextOutA(dc, 20, 30, snapshot.namesLabel, lstrlenA(snapshot.namesLabel));
        TextOutA(dc, 684, 281, snapshot.equinoxLabel, lstrlenA(snapshot.equinoxLabel));
        TextOutA(dc, 382, 501, snapshot.longitudeLabel, lstrlenA(snapshot.longitudeLabel));
        benchmark::ClobberMemory();
    }
    ReleaseDC(window, dc);
}
BENCHMARK(BM_FrameTexts);

}  // namespace
