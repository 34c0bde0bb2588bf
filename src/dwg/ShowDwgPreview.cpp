#include "dwg/ShowDwgPreview.h"

#include "base/PathBytes.h"
#include "preview/ImageBox.h"

namespace kestrel::dwg {

DwgPictureResult ShowDwgPreview(const std::string& path, preview::ImageBox* box) {
  const QSize size = box->size().expandedTo(QSize(1, 1));
  if (path.empty()) {
    box->clear();
    return DwgPictureResult::Black;
  }
  TDwgPicture picture = RenderDwgPreview(NativePath(path), size);
  if (picture.result == DwgPictureResult::Abort || picture.result == DwgPictureResult::Black) {
    box->clear();
  } else {
    box->setImage(picture.image);
  }
  return picture.result;
}

}  // namespace kestrel::dwg
