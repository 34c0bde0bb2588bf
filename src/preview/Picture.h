// Picture files for the two preview images: bitmaps, PNG, icons and JPEG through Qt's readers,
// Windows metafiles (WMF, EMF) through SVG.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <optional>
#include <string>

namespace kestrel::preview {

// Decodes the picture file at `path` (the file system's bytes), choosing the decoder by its
// extension. A null image when the file cannot be read or decoded, or is not a regular file (a FIFO
// or a device is never waited on). With `fitInto`, a decoder that can decode at a smaller size
// (JPEG) delivers the picture already scaled to fit into it: a thumbnail of a photo then costs a
// fraction of decoding it whole.
QImage LoadPicture(const std::string& path, QSize fitInto = QSize());

// Metafile bytes as an SVG document; std::nullopt when the bytes are not a metafile that the
// converter can play.
std::optional<QByteArray> WmfToSvg(const QByteArray& wmf);
std::optional<QByteArray> EmfToSvg(const QByteArray& emf);

// Draws an SVG document at its own size (bounded, so that a hostile size cannot exhaust
// memory) on a transparent image. A null image when the document is invalid.
QImage RasterizeSvg(const QByteArray& svg);

enum class PictureFit {
  ScaleToFit,  // the thumbnail: scaled up or down to fit, proportions kept, centred
  Centre,      // the drawing tab: actual size, centred, cut off where it overflows
};

// An image of `target` size, black, with `picture` drawn on it; only black for a null picture.
QImage PictureOnBlack(const QImage& picture, QSize target, PictureFit fit);

}  // namespace kestrel::preview
