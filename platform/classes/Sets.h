// Small sets over an enumeration (up to 32 members, bit i = ordinal i), the
// shape the class library gives to option and state sets such as
// TComponentState or TFontStyles. Published set properties are stored and
// reflected as this bit mask.
#pragma once
#include <cstdint>
#include <initializer_list>

template <class E>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> items) {
    for (E e : items) FMask |= Bit(e);
  }
  static constexpr TSet FromMask(uint32_t mask) {
    TSet s;
    s.FMask = mask;
    return s;
  }
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
  constexpr TSet& operator*=(TSet o) { FMask &= o.FMask; return *this; }
  constexpr TSet& operator+=(E e) { return Include(e); }
  constexpr TSet& operator-=(E e) { return Exclude(e); }
  constexpr bool operator==(const TSet&) const = default;
  // a <= b: every member of a is in b.
  constexpr bool operator<=(TSet o) const { return (FMask & ~o.FMask) == 0; }

 private:
  static constexpr uint32_t Bit(E e) { return uint32_t(1) << static_cast<unsigned>(e); }
  uint32_t FMask = 0;
};
