// A DWG file's stored preview drawn as the picture boxes show it: black, framed in cyan, the
// preview trimmed, fitted and centred; a small cyan cross when the file has no preview.
#pragma once

#include <QImage>
#include <QSize>
#include <filesystem>
#include <string>

#include "dwg/DwgPreview.h"
#include "dwg/PreviewGeometry.h"

namespace kestrel::dwg {

enum class DwgPictureResult {
  Black,  // no file: only black
  Cross,  // no preview to show: the cross in the frame
  Shown,  // the preview
  Abort,  // unreadable: the silent abort; the picture stays black
};

struct TDwgPicture {
  DwgPictureResult result = DwgPictureResult::Black;
  QImage image;      // always of the asked size
  int version = -1;  // as read (-1: not read)
  int code = -1;
  QSize picture;  // the decoded preview's own size, when shown
  TPreviewPlan plan;
  std::string reason;  // for Abort
};

// The decoder's allocation limit: a 4096 x 4096 picture, far above any stored preview (a few
// hundred pixels a side), so that a few run-length bytes cannot ask for gigabytes.
inline constexpr int kDecodeLimitMiB = 64;

// Decodes a BMP or PNG stream as it came out of the file, converted to 32-bit pixels. A null
// image when it cannot be decoded.
QImage DecodeDwgPicture(const TDwgPreview& preview);

// The preview of `path` drawn into a picture of `size`.
TDwgPicture RenderDwgPreview(const std::filesystem::path& path, QSize size);
// The same for a preview already read (the fuzzer and the tests read from memory).
TDwgPicture RenderDwgPreview(const TDwgPreview& preview, QSize size);

// Black, with the frame and the small cross of "no preview".
void DrawNoPreviewCross(QImage& image);

}  // namespace kestrel::dwg
