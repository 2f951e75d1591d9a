// An animated GIF that loops, written frame by frame with giflib.
//
// Each frame after the first holds only the rectangle that changed, with its unchanged pixels
// transparent, over the frames before it; the orrery's pictures change in a few small places
// per frame, so this keeps a long animation small. A frame's palette is exact when it needs at
// most 255 colours, and giflib's quantiser chooses one otherwise.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/headless/picture.h"

struct GifFileType;

namespace render {

// An image in memory, rows from the top, each pixel 0x00RRGGBB: what the headless host's
// screenshots give.
using Picture = headless::Picture;

class GifAnimation {
  public:
    // Closes the file if Finish was not called.

    // Each returns "" on success and otherwise a one-line reason.
    std::string Open(const std::string& path);  // creates the file; writes nothing yet
    std::string AddFrame(const Picture& picture, int delayCentiseconds);  // same size each time
    std::string Finish();                                                 // ends and closes

  private:
    std::string WriteHeader(int width, int height);
    // Closes a GIF that Finish did not; what is written so far is then left as it is.
    struct CloseFile {
        void operator()(GifFileType* file) const;
    };
    std::unique_ptr<GifFileType, CloseFile> file_;
    Picture previous_;  // the last frame added, as a viewer shows it
};

}  // namespace render
