// Post-processing after a read: conversions and block expansion in their fixed order, then the
// drawing's extents and each record's pen. Afterwards only LineAry, CircleAry, ArcAry, TextAry,
// LayerAry and DrawingExtents are read.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/Messages.h"
#include "dxf/ByteBudget.h"
#include "dxf/Drawing.h"

namespace kestrel::dxf {

// GDI pen style of a line-type name, by its upper-cased prefix; unknown names draw solid.
uint8_t LineTypeToPenStyle(std::string_view name);

// The pen style of an entity: a BYLAYER or empty line type is the line type of its layer.
uint8_t EntityPenStyle(const std::vector<TLayer>& layers, std::string_view ltype,
                       std::string_view layer);

// The box around every visible line, circle and arc; around the texts only when there is none
// of those. All zero when nothing visible was found.
void ComputeExtents(Drawing& drawing);

// `PenColor`, `PenStyle` (not for texts) and `layindex` of every record of the draw lists.
void ResolvePens(Drawing& drawing);

// Steps 2 to 7 of showing a DXF file: the file and extension check, the signature (no DWG or
// binary DXF), the version and its encoding, the read and post-processing. Returns why it
// stopped, or an empty text when `drawing` is ready to be fitted and drawn. The drawing is
// replaced only once the read has begun.
struct PreparedDxf {
  std::string error;
  std::string version;  // $ACADVER, empty when the header does not give it
  bool read = false;    // the reader ran: the drawing holds what it read
};
PreparedDxf PrepareDxfDrawing(Drawing& drawing, const std::filesystem::path& path,
                              const ProgressSink& progress = {}, const MessageSink& messages = {});

// Runs every post-processing step in the order of the load pipeline, emptying each source list
// after its conversion, within `byteBudget` bytes for the lists it appends to. A failure inside
// block expansion is ignored and the steps go on with what it produced; passing the budget,
// running out of memory and any other failure end post-processing and return false (no
// drawing), with every list but LayerAry emptied.
bool PostProcessDrawing(Drawing& drawing, size_t byteBudget = kMaxPostProcessBytes);

}  // namespace kestrel::dxf
