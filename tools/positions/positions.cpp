// Prints one line for every animation tick of the 150 years at one day per tick: digests of the
// six planets' positions (every bit of every coordinate), of the pixels they are drawn at with
// the start-up zoom in the program's client area, and of the status text. Built natively and
// for the browser, the two outputs show whether their maths libraries differ anywhere.
//
// Usage: positions [SIZE]   the zoom for the pixels, in pixels per astronomical unit (250)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "shell/shell.h"

namespace {

// The client area of the program's 800 by 600 window, and the Sun's place in it.
constexpr int CLIENT_WIDTH = 784;
constexpr int CLIENT_HEIGHT = 541;
constexpr int START_SIZE = 250;

// FNV-1a, 64 bits.
class Digest {
  public:
    void Add(const void* data, std::size_t length) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (std::size_t index = 0; index < length; ++index) {
            value_ = (value_ ^ bytes[index]) * 0x100000001B3ULL;
        }
    }
    unsigned long long Value() const { return value_; }

  private:
    unsigned long long value_ = 0xCBF29CE484222325ULL;
};

}  // namespace

int main(int argumentCount, char** arguments) {
    const int size = argumentCount > 1 ? std::atoi(arguments[1]) : START_SIZE;
    if (argumentCount > 2 || size < 1) {
        std::fputs("usage: positions [SIZE]\n", stderr);
        return 2;
    }
    const ViewSettings settings{1.0, size, 0};
    const int centreX = CLIENT_WIDTH / 2;
    const int centreY = CLIENT_HEIGHT / 2 + 20;
    viewState.elapsed = 0.0;
    // The day count passes the limit, and the clock falls back to 0, on this tick.
    const int ticks = static_cast<int>(ELAPSED_LIMIT_DAYS) + 1;
    for (int tick = 0; tick < ticks; ++tick) {
        const SceneSnapshot snapshot = ComposeScene(viewState.elapsed, settings);
        Digest positions;
        Digest pixels;
        for (const PlanetPoint& point : snapshot.positions) {
            positions.Add(&point.x, sizeof point.x);
            positions.Add(&point.y, sizeof point.y);
            const int pixel[2] = {
                static_cast<int>(static_cast<double>(settings.size) * point.x + centreX),
                static_cast<int>(static_cast<double>(settings.size) * point.y + centreY)};
            pixels.Add(pixel, sizeof pixel);
        }
        Digest status;
        status.Add(snapshot.statusText, std::strlen(snapshot.statusText));
        std::printf("%d %016llx %016llx %016llx\n", tick, positions.Value(), pixels.Value(),
                    status.Value());
        AdvanceElapsed(settings.interval);
    }
    return 0;
}
