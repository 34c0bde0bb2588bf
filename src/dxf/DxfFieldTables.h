// One table per record kind: which group code fills which field of the record, and how the
// value is read. Used by the DXF reader only.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "dxf/Drawing.h"

namespace kestrel::dxf::fields {

enum class FieldType : uint8_t { Text, UpperText, AppendText, Real, Int16, PointX, PointY, PointZ };

template <class R>
struct Field {
  int code;
  FieldType type;
  SharedString R::*text = nullptr;
  double R::*real = nullptr;
  int16_t R::*int16 = nullptr;
  TAcadPoint R::*point = nullptr;
};

template <class R>
constexpr Field<R> Txt(int code, SharedString R::*m) {
  return {code, FieldType::Text, m};
}
template <class R>
constexpr Field<R> Upper(int code, SharedString R::*m) {
  return {code, FieldType::UpperText, m};
}
template <class R>
constexpr Field<R> Append(int code, SharedString R::*m) {
  return {code, FieldType::AppendText, m};
}
template <class R>
constexpr Field<R> Real(int code, double R::*m) {
  return {code, FieldType::Real, nullptr, m};
}
template <class R>
constexpr Field<R> Int(int code, int16_t R::*m) {
  return {code, FieldType::Int16, nullptr, nullptr, m};
}
// Groups c, c + 10 and c + 20 of a point (10/20/30, 11/21/31, ...).
template <class R>
constexpr std::array<Field<R>, 3> Pt(int code, TAcadPoint R::*m) {
  return {{{code, FieldType::PointX, nullptr, nullptr, nullptr, m},
           {code + 10, FieldType::PointY, nullptr, nullptr, nullptr, m},
           {code + 20, FieldType::PointZ, nullptr, nullptr, nullptr, m}}};
}

// Codes above this never reach a record field; they are dropped before the table lookup.
constexpr int kMaxFieldCode = 240;

// A record kind's fields with a direct index by group code, built at compile time.
template <class R>
class FieldTable {
 public:
  template <class... Parts>
  constexpr explicit FieldTable(const Parts&... parts) {
    (Add(parts), ...);
  }
  const Field<R>* Find(int code) const {
    if (code < 0 || code > kMaxFieldCode || index_[code] == 0) return nullptr;
    return &fields_[index_[code] - 1];
  }

 private:
  static constexpr size_t kMaxFields = 48;
  constexpr void Add(const Field<R>& f) {
    fields_[count_++] = f;
    index_[f.code] = static_cast<uint8_t>(count_);
  }
  constexpr void Add(const std::array<Field<R>, 3>& point) {
    for (const Field<R>& f : point)
      Add(f);
  }
  std::array<Field<R>, kMaxFields> fields_{};
  size_t count_ = 0;
  std::array<uint8_t, kMaxFieldCode + 1> index_{};
};

using L = TAcadLineBlk;
using C = TCircleBlk;
using A = TArcBlk;
using T = TTextBlk;
using P = TLwpBlk;
using I = TInsertBlk;
using F = TFaceBlk;
using E = TEllipseBlk;
using S = TSolidBlk;
using D = TLeaderBlk;
using N = TSplineBlk;
using M = TDimensionBlk;

inline constexpr FieldTable<L> kLineFields(Txt(8, &L::layer), Upper(6, &L::ltype), Pt(10, &L::st),
                                           Pt(11, &L::ed), Int(62, &L::color), Int(60, &L::code60));

inline constexpr FieldTable<C> kCircleFields(Txt(8, &C::layer), Upper(6, &C::ltype),
                                             Pt(10, &C::center), Real(40, &C::hankei),
                                             Int(62, &C::color), Int(67, &C::code67),
                                             Pt(210, &C::code210), Int(60, &C::code60));

inline constexpr FieldTable<A> kArcFields(Txt(8, &A::layer), Upper(6, &A::ltype),
                                          Pt(10, &A::center), Real(40, &A::hankei),
                                          Real(50, &A::st), Real(51, &A::ed), Int(62, &A::color),
                                          Int(67, &A::code67), Pt(210, &A::code210),
                                          Int(60, &A::code60));

// LWPOLYLINE and POLYLINE headers; LWPOLYLINE's vertex groups are handled before the table.
inline constexpr FieldTable<P> kPolylineFields(Txt(8, &P::layer), Upper(6, &P::ltype),
                                               Real(38, &P::code38), Int(70, &P::code70),
                                               Int(71, &P::code71), Int(72, &P::code72),
                                               Int(62, &P::color), Int(67, &P::code67),
                                               Pt(210, &P::code210), Int(60, &P::code60));

// TEXT and MTEXT take 73; ATTRIB takes 74 into code73 instead (its 73 is a field length).
#define KESTREL_TEXT_FIELDS                                                                   \
  Txt(8, &T::layer), Append(1, &T::str), Append(3, &T::str), Int(72, &T::code72),             \
      Int(70, &T::code70), Int(71, &T::code71), Pt(10, &T::pt10), Pt(11, &T::pt11),           \
      Real(40, &T::code40), Real(41, &T::code41), Real(44, &T::code44), Real(50, &T::code50), \
      Int(62, &T::color), Int(67, &T::code67), Pt(210, &T::code210), Int(60, &T::code60)

inline constexpr FieldTable<T> kTextFields(KESTREL_TEXT_FIELDS, Int(73, &T::code73));

inline constexpr FieldTable<T> kAttribFields(KESTREL_TEXT_FIELDS, Int(74, &T::code73));
#undef KESTREL_TEXT_FIELDS

inline constexpr FieldTable<I> kInsertFields(Txt(8, &I::layer), Upper(6, &I::ltype),
                                             Txt(2, &I::name), Pt(10, &I::base), Int(62, &I::color),
                                             Real(50, &I::rotate), Int(67, &I::code67),
                                             Int(60, &I::code60));

inline constexpr FieldTable<F> kFaceFields(Txt(8, &F::layer), Upper(6, &F::ltype),
                                           Int(62, &F::color), Int(67, &F::code67),
                                           Int(60, &F::code60));

inline constexpr FieldTable<E> kEllipseFields(Txt(8, &E::layer), Upper(6, &E::ltype),
                                              Pt(10, &E::center), Pt(11, &E::endpoint),
                                              Real(40, &E::henpei), Real(41, &E::kaisi),
                                              Real(42, &E::owari), Int(62, &E::color),
                                              Pt(210, &E::code210), Int(60, &E::code60));

inline constexpr FieldTable<S> kSolidFields(Txt(8, &S::layer), Upper(6, &S::ltype), Pt(10, &S::p1),
                                            Pt(11, &S::p2), Pt(12, &S::p3), Int(60, &S::code60));

inline constexpr FieldTable<D> kLeaderFields(Txt(8, &D::layer), Upper(6, &D::ltype),
                                             Real(41, &D::code41), Int(60, &D::code60),
                                             Int(76, &D::code76));

inline constexpr FieldTable<N> kSplineFields(Txt(8, &N::layer), Upper(6, &N::ltype),
                                             Int(70, &N::code70), Int(60, &N::code60));

inline constexpr FieldTable<M> kDimensionFields(Txt(8, &M::layer), Upper(6, &M::ltype),
                                                Txt(2, &M::dimblkName), Int(62, &M::color));

}  // namespace kestrel::dxf::fields
