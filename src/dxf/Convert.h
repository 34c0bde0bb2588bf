// Entity conversion: the kinds the renderer does not draw itself (polylines, meshes, ellipses,
// tilted arcs and circles, 3D faces, leaders, solids, splines) become lines and arcs, and
// geometry held in object coordinates is brought into world coordinates.
//
// Each step appends fresh records (every field not set by the step empty or zero) and leaves
// its source list for the caller to empty. Records whose `code60` is not 0 are passed over.
// The growth of the lists is taken from `budget`: BudgetExceeded stops a step that would pass
// it, with the records appended so far.
#pragma once

#include "dxf/ByteBudget.h"
#include "dxf/Drawing.h"

namespace kestrel::dxf {

// Polylines inside block definitions into BlkLineAry and BlkArcAry; meshes yield nothing.
void ConvertBlockPolylines(Drawing& drawing, ByteBudget& budget = ByteBudget::Unlimited());

// Model-space polylines into LineAry and ArcAry: polygon meshes as their column lines,
// polyface meshes as nothing, bulges of at most one degree as straight lines.
void ConvertPolylines(Drawing& drawing, ByteBudget& budget = ByteBudget::Unlimited());

// Ellipses and elliptical arcs into lines of at most `stepDegrees` of parameter each.
void ConvertEllipses(Drawing& drawing, double stepDegrees,
                     ByteBudget& budget = ByteBudget::Unlimited());

// Arcs and circles whose extrusion is not (0, 0, 1) into lines in their object coordinates;
// the originals get `code67` −1 so that nothing draws them any more.
void ConvertTiltedArcs(Drawing& drawing, double stepDegrees,
                       ByteBudget& budget = ByteBudget::Unlimited());
void ConvertTiltedCircles(Drawing& drawing, double stepDegrees,
                          ByteBudget& budget = ByteBudget::Unlimited());

// Lines and texts with an extrusion other than (0, 0, 1), from object to world coordinates.
void LinesToWorld(Drawing& drawing);
void TextsToWorld(Drawing& drawing);

void ConvertFaces(Drawing& drawing, ByteBudget& budget = ByteBudget::Unlimited());
void ConvertLeaders(Drawing& drawing, ByteBudget& budget = ByteBudget::Unlimited());
void ConvertSolids(Drawing& drawing, ByteBudget& budget = ByteBudget::Unlimited());
// Planar splines as their control polygon, not the curve.
void ConvertSplines(Drawing& drawing, ByteBudget& budget = ByteBudget::Unlimited());

}  // namespace kestrel::dxf
