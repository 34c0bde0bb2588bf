// The DWG preview in one of the window's picture boxes (the thumbnail, the drawing tab's
// picture); with no file, the window's way of blanking a box.
#pragma once

#include <string>

#include "dwg/DwgPicture.h"

namespace kestrel::preview {
class ImageBox;
}

namespace kestrel::dwg {

// Shows the stored preview of `path` (the file system's bytes; empty for none) in `box` at the
// box's size. The box is black first, so on Abort it stays black: the caller ends its handler
// there without a message.
DwgPictureResult ShowDwgPreview(const std::string& path, preview::ImageBox* box);

}  // namespace kestrel::dwg
