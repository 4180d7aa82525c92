// Geometry and set types of the class library: TPoint, TRect, TSize and the
// small bit-set template used for style sets (TFontStyles, TShiftState, ...).
// TPoint/TRect/TSize have the layout of POINT/RECT/SIZE so that they can be
// handed to Win32 through the As...() helpers.
#pragma once
#include <cstdint>
#include <initializer_list>
#include "System.h"

struct tagPOINT;
struct tagRECT;
struct tagSIZE;

struct TPoint {
  Integer X = 0;
  Integer Y = 0;
  constexpr TPoint() = default;
  constexpr TPoint(Integer x, Integer y) : X(x), Y(y) {}
  friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
  tagPOINT* AsPOINT() { return reinterpret_cast<tagPOINT*>(this); }
  const tagPOINT* AsPOINT() const { return reinterpret_cast<const tagPOINT*>(this); }
};

struct TSize {
  Integer cx = 0;
  Integer cy = 0;
  constexpr TSize() = default;
  constexpr TSize(Integer w, Integer h) : cx(w), cy(h) {}
  friend constexpr bool operator==(const TSize&, const TSize&) = default;
  tagSIZE* AsSIZE() { return reinterpret_cast<tagSIZE*>(this); }
};

struct TRect {
  Integer Left = 0;
  Integer Top = 0;
  Integer Right = 0;
  Integer Bottom = 0;
  constexpr TRect() = default;
  constexpr TRect(Integer l, Integer t, Integer r, Integer b) : Left(l), Top(t), Right(r), Bottom(b) {}
  constexpr TRect(TPoint tl, TPoint br) : Left(tl.X), Top(tl.Y), Right(br.X), Bottom(br.Y) {}
  constexpr Integer Width() const { return Right - Left; }
  constexpr Integer Height() const { return Bottom - Top; }
  constexpr TPoint TopLeft() const { return {Left, Top}; }
  constexpr TPoint BottomRight() const { return {Right, Bottom}; }
  constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  constexpr bool Contains(TPoint p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
  friend constexpr bool operator==(const TRect&, const TRect&) = default;
  tagRECT* AsRECT() { return reinterpret_cast<tagRECT*>(this); }
  const tagRECT* AsRECT() const { return reinterpret_cast<const tagRECT*>(this); }
};

constexpr TPoint Point(Integer x, Integer y) { return {x, y}; }
constexpr TRect Rect(Integer l, Integer t, Integer r, Integer b) { return {l, t, r, b}; }
constexpr TRect Bounds(Integer l, Integer t, Integer w, Integer h) { return {l, t, l + w, t + h}; }
constexpr bool PtInRect(const TRect& r, TPoint p) { return r.Contains(p); }
// Intersection of two rectangles; false (and an empty Dest) when they do not overlap.
bool IntersectRect(TRect& dest, const TRect& a, const TRect& b);
// Smallest rectangle holding both; an empty operand is ignored.
bool UnionRect(TRect& dest, const TRect& a, const TRect& b);
void OffsetRect(TRect& r, Integer dx, Integer dy);
void InflateRect(TRect& r, Integer dx, Integer dy);
constexpr bool IsRectEmpty(const TRect& r) { return r.IsEmpty(); }

// Sets over small enumerations (TFontStyles, TShiftState, ...) come from the
// class system's Sets.h; this copy of the same interface serves only builds
// made before it exists.
#if __has_include("Sets.h")
#include "Sets.h"
#else
template <class E>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> items) {
    for (E e : items) FMask |= Bit(e);
  }
  static constexpr TSet FromMask(uint32_t mask) { TSet s; s.FMask = mask; return s; }
  constexpr uint32_t Mask() const { return FMask; }
  constexpr bool Contains(E e) const { return (FMask & Bit(e)) != 0; }
  constexpr bool Empty() const { return FMask == 0; }
  constexpr TSet& Include(E e) { FMask |= Bit(e); return *this; }
  constexpr TSet& Exclude(E e) { FMask &= ~Bit(e); return *this; }
  constexpr TSet operator+(TSet o) const { return FromMask(FMask | o.FMask); }
  constexpr TSet operator-(TSet o) const { return FromMask(FMask & ~o.FMask); }
  constexpr TSet operator*(TSet o) const { return FromMask(FMask & o.FMask); }
  constexpr TSet operator+(E e) const { return FromMask(FMask | Bit(e)); }
  constexpr TSet operator-(E e) const { return FromMask(FMask & ~Bit(e)); }
  constexpr TSet& operator+=(TSet o) { FMask |= o.FMask; return *this; }
  constexpr TSet& operator-=(TSet o) { FMask &= ~o.FMask; return *this; }
  constexpr TSet& operator+=(E e) { return Include(e); }
  constexpr TSet& operator-=(E e) { return Exclude(e); }
  constexpr bool operator==(const TSet&) const = default;
  constexpr bool operator<=(TSet o) const { return (FMask & ~o.FMask) == 0; }

 private:
  static constexpr uint32_t Bit(E e) { return uint32_t(1) << static_cast<unsigned>(e); }
  uint32_t FMask = 0;
};
#endif
