// Block expansion: block references (INSERT) and dimension pictures become copies of the
// block's lines, circles, arcs and texts in the draw lists. Expansion goes two levels deep: a
// model-space INSERT and the INSERTs written directly inside the block that it references.
#pragma once

#include <cstddef>
#include <stdexcept>

#include "dxf/ByteBudget.h"
#include "dxf/Drawing.h"

namespace kestrel::dxf {

// A small file can reference a large block millions of times. Expansion stops with
// ExpansionTooLarge before the draw lists and NestInsertAry together would hold more records.
inline constexpr size_t kMaxExpandedRecords = 20'000'000;

struct ExpansionTooLarge : std::runtime_error {
  ExpansionTooLarge() : std::runtime_error("block expansion too large") {}
};

// The block transform: `p` of a block whose base point is `blockBase`, placed by `insert`
// (moved to the base, scaled, turned counter-clockwise by `rotate` degrees, moved to the
// insertion point).
TAcadPoint BlockTransform(const TInsertBlk& insert, const TAcadPoint& blockBase,
                          const TAcadPoint& p);

// Copies the block of every visible model-space INSERT into LineAry, CircleAry, ArcAry and
// TextAry. The copies share the block's strings; the draw lists are sized for them at once, and
// BudgetExceeded is thrown before that when they would not fit the budget.
void ExpandInserts(Drawing& drawing, size_t maxRecords = kMaxExpandedRecords,
                   ByteBudget& budget = ByteBudget::Unlimited());

// Draws dimension pictures, gathers the INSERTs nested in referenced blocks into NestInsertAry
// and ends with ExpandNestedInserts. ExpansionTooLarge and BudgetExceeded leave the records
// appended so far.
void ExpandBlocks(Drawing& drawing, size_t maxRecords = kMaxExpandedRecords,
                  ByteBudget& budget = ByteBudget::Unlimited());

// Copies the block of every visible, eligible INSERT of NestInsertAry. INSERTs written inside
// anonymous blocks are drawn only for dimension pictures (their arrowheads, for example).
void ExpandNestedInserts(Drawing& drawing, size_t maxRecords = kMaxExpandedRecords,
                         ByteBudget& budget = ByteBudget::Unlimited());

}  // namespace kestrel::dxf
