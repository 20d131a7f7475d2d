#pragma once
// Line setting types of the serial port component and a small set type for
// the flow-control and event-mask properties.

#include <cstdint>
#include <initializer_list>

namespace cam {

enum TCommParityBits : std::uint8_t { cpbNone, cpbOdd, cpbEven, cpbMark, cpbSpace };
// Data bits are the ordinal + 4.
enum TCommByteSize : std::uint8_t { cbs4, cbs5, cbs6, cbs7, cbs8 };
enum TCommStopBits : std::uint8_t { csb1, csb15, csb2 };
enum TCommFlowControl : std::uint8_t { cfcDtrDsr, cfcRtsCts, cfcXonXoff };
// Bit positions of the line events, evRxchar bit 0 up to evPerr bit 9.
enum TCommEvents : std::uint8_t {
    evRxchar,
    evRxflag,
    evTxempty,
    evCts,
    evDsr,
    evRlsd,
    evBreak,
    evErr,
    evRing,
    evPerr
};

// A set of enumerators whose ordinals are below 16, stored as bits.
template <typename E> class TCommSet {
  public:
    constexpr TCommSet() = default;
    constexpr TCommSet(std::initializer_list<E> members) {
        for (E e : members)
            bits_ = static_cast<std::uint16_t>(bits_ | Bit(e));
    }
    static constexpr TCommSet FromBits(std::uint16_t bits) {
        TCommSet s;
        s.bits_ = bits;
        return s;
    }

    constexpr bool Has(E e) const { return (bits_ & Bit(e)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr std::uint16_t Bits() const { return bits_; }
    constexpr TCommSet& Include(E e) {
        bits_ = static_cast<std::uint16_t>(bits_ | Bit(e));
        return *this;
    }
    constexpr TCommSet& Exclude(E e) {
        bits_ = static_cast<std::uint16_t>(bits_ & ~Bit(e));
        return *this;
    }
    constexpr TCommSet operator&(TCommSet o) const {
        return FromBits(static_cast<std::uint16_t>(bits_ & o.bits_));
    }
    constexpr TCommSet operator|(TCommSet o) const {
        return FromBits(static_cast<std::uint16_t>(bits_ | o.bits_));
    }
    constexpr bool operator==(const TCommSet&) const = default;

  private:
    static constexpr std::uint16_t Bit(E e) {
        return static_cast<std::uint16_t>(1u << static_cast<unsigned>(e));
    }
    std::uint16_t bits_ = 0;
};

using TCommFlowControls = TCommSet<TCommFlowControl>;
using TCommEventMask = TCommSet<TCommEvents>;

} // namespace cam
