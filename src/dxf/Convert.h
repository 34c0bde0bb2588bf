// Entity conversion: the kinds the renderer does not draw itself (polylines, meshes, ellipses,
// tilted arcs and circles, 3D faces, leaders, solids, splines) become lines and arcs, and
// geometry held in object coordinates is brought into world coordinates.
//
// Each step appends fresh records (every field not set by the step empty or zero) and leaves
// its source list for the caller to empty. Records whose `code60` is not 0 are passed over.
#pragma once

#include "dxf/Drawing.h"

namespace kestrel::dxf {

// Polylines inside block definitions into BlkLineAry and BlkArcAry; meshes yield nothing.
void ConvertBlockPolylines(Drawing& drawing);

// Model-space polylines into LineAry and ArcAry: polygon meshes as their column lines,
// polyface meshes as nothing, bulges of at most one degree as straight lines.
void ConvertPolylines(Drawing& drawing);

// Ellipses and elliptical arcs into lines of at most `stepDegrees` of parameter each.
void ConvertEllipses(Drawing& drawing, double stepDegrees);

// Arcs and circles whose extrusion is not (0, 0, 1) into lines in their object coordinates;
// the originals get `code67` −1 so that nothing draws them any more.
void ConvertTiltedArcs(Drawing& drawing, double stepDegrees);
void ConvertTiltedCircles(Drawing& drawing, double stepDegrees);

// Lines and texts with an extrusion other than (0, 0, 1), from object to world coordinates.
void LinesToWorld(Drawing& drawing);
void TextsToWorld(Drawing& drawing);

void ConvertFaces(Drawing& drawing);
void ConvertLeaders(Drawing& drawing);
void ConvertSolids(Drawing& drawing);
// Planar splines as their control polygon, not the curve.
void ConvertSplines(Drawing& drawing);

}  // namespace kestrel::dxf
