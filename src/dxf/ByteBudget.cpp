#include "dxf/ByteBudget.h"

namespace kestrel::dxf {

namespace {

template <class... Strings>
size_t StringBytes(const Strings&... strings) {
  return (strings.SharedBytes() + ...);
}

size_t HeapBytes(const TInsertBlk& r) {
  return StringBytes(r.name, r.layer, r.ltype, r.dimBlkName);
}
size_t HeapBytes(const TAcadLineBlk& r) {
  return StringBytes(r.bname, r.layer, r.ltype);
}
size_t HeapBytes(const TCircleBlk& r) {
  return StringBytes(r.bname, r.layer, r.ltype);
}
size_t HeapBytes(const TArcBlk& r) {
  return StringBytes(r.bname, r.layer, r.ltype);
}
size_t HeapBytes(const TTextBlk& r) {
  return StringBytes(r.bname, r.layer, r.str);
}

template <class R>
size_t ListBytes(const std::vector<R>& list) {
  size_t bytes = list.capacity() * sizeof(R);
  for (const R& r : list)
    bytes += HeapBytes(r);
  return bytes;
}

}  // namespace

size_t GrowingListBytes(const Drawing& d) {
  return ListBytes(d.LineAry) + ListBytes(d.CircleAry) + ListBytes(d.ArcAry) +
         ListBytes(d.TextAry) + ListBytes(d.BlkLineAry) + ListBytes(d.BlkArcAry) +
         ListBytes(d.NestInsertAry);
}

size_t PostProcessBudget(uint64_t fileSize) {
  const uint64_t perFile = fileSize > kMaxPostProcessBytes / kPostProcessBytesPerFileByte
                               ? kMaxPostProcessBytes
                               : fileSize * kPostProcessBytesPerFileByte;
  return std::clamp<size_t>(size_t(perFile), kMinPostProcessBytes, kMaxPostProcessBytes);
}

}  // namespace kestrel::dxf
