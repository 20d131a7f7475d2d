#include "link/command_names.h"

#include "link/frames.h"
#include "link/hex.h"

#include <array>

namespace cam {

namespace {

struct Sub {
    std::uint8_t sub;
    const char* name;
};

struct Entry {
    std::uint8_t code;
    const char* name;
    const Sub* subs = nullptr; // byte 3 names the setting when given
    std::size_t subCount = 0;
};

template <std::size_t N>
constexpr Entry entry(std::uint8_t code, const char* name, const std::array<Sub, N>& subs) {
    return {code, name, subs.data(), N};
}

constexpr std::array<Sub, 2> kTitle{{{1, "title text"}, {3, "title position"}}};
constexpr std::array<Sub, 4> kAgc{
    {{1, "AGC level"}, {2, "sensitivity"}, {3, "freeze"}, {4, "field/frame"}}};
constexpr std::array<Sub, 6> kWhiteBalance{{{0, "white-balance mode"},
                                            {2, "R gain"},
                                            {3, "B gain"},
                                            {4, "one-push AWB"},
                                            {5, "ATW level"},
                                            {6, "AWB level"}}};
constexpr std::array<Sub, 2> kPhase{{{0, "phase on/off"}, {1, "phase level"}}};
constexpr std::array<Sub, 7> kPicture{{{4, "vertical reversal"},
                                       {5, "horizontal reversal"},
                                       {7, "positive/negative"},
                                       {0x10, "mask area 0"},
                                       {0x11, "mask area 1"},
                                       {0x12, "mask area 2"},
                                       {0x13, "mask area 3"}}};
constexpr std::array<Sub, 3> kPreset{
    {{0, "preset enter"}, {1, "preset store"}, {2, "preset on/off"}}};
constexpr std::array<Sub, 2> kWbPreset{
    {{0, "white-balance preset 3200 K"}, {1, "white-balance preset 5600 K"}}};
constexpr std::array<Sub, 2> kUseSwitch{
    {{0, "use switch \"Shutter\""}, {1, "use switch \"EXT SYNC\""}}};
constexpr std::array<Sub, 2> kAdjusted{
    {{0, "save adjusted values"}, {1, "discard adjusted values"}}};
constexpr std::array<Sub, 8> kLens{{{0, "zoom step"},
                                    {1, "focus step"},
                                    {2, "autofocus"},
                                    {3, "one-push AF"},
                                    {4, "lens adjustment"},
                                    {5, "zoom speed"},
                                    {6, "digital zoom"},
                                    {7, "focus speed"}}};
constexpr std::array<Sub, 2> kAperture{{{0, "aperture H gain"}, {1, "aperture V gain"}}};
constexpr std::array<Sub, 4> kIris{{{0, "PEAK"}, {1, "ALC"}, {2, "AES"}, {3, "iris adjustment"}}};
constexpr std::array<Sub, 3> kLensPosition{
    {{0, "lens position number"}, {1, "lens position"}, {2, "push-switch function"}}};
constexpr std::array<Sub, 2> kMark{{{0, "mark on/off"}, {1, "mark position"}}};

constexpr std::array<Entry, 34> kIndex{{
    {0x0A, "register"},
    {0x0B, "register (not stored)"},
    {0x0C, "EEPROM word"},
    {0x0D, "RAM"},
    {0x0E, "OSD word"},
    {0x0F, "EEPROM word and RAM"},
    entry(0x10, "title", kTitle),
    {0x18, "BLC on/off"},
    {0x19, "BLC area"},
    entry(0x1A, "AGC", kAgc),
    entry(0x1B, "white balance", kWhiteBalance),
    entry(0x1C, "phase", kPhase),
    entry(0x1D, "picture", kPicture),
    {0x1E, "command group \"Save\""},
    entry(0x20, "preset", kPreset),
    entry(0x30, "white-balance preset", kWbPreset),
    {0x32, "switch key"},
    {0x35, "area sample"},
    {0x36, "defect correction"},
    entry(0x37, "use switch", kUseSwitch),
    entry(0x41, "adjusted values", kAdjusted),
    {0x42, "CCD drive delays"},
    {0x43, "DC lens offset"},
    entry(0x45, "lens", kLens),
    {0x46, "lens adjustment step"},
    entry(0x47, "aperture gain", kAperture),
    entry(0x48, "PEAK/ALC/AES/iris", kIris),
    {0x49, "initial setting"},
    {0x50, "BLC sensitivity"},
    {0x51, "alarm number"},
    entry(0x52, "lens position", kLensPosition),
    {0x53, "iris bias"},
    entry(0x56, "mark", kMark),
    {0x60, "Easy status block"},
}};

const Entry* find(std::uint8_t code) {
    for (const Entry& e : kIndex)
        if (e.code == code) return &e;
    return nullptr;
}

// Frame byte n (1..15) of a payload of `count` bytes.
struct Bytes {
    const std::uint8_t* p;
    std::size_t count;
    std::uint8_t operator[](int n) const {
        return n >= 1 && static_cast<std::size_t>(n) <= count ? p[n - 1] : 0;
    }
    std::uint16_t word(int n) const {
        return static_cast<std::uint16_t>((*this)[n] << 8 | (*this)[n + 1]);
    }
};

std::string hx2(std::uint8_t v) {
    return "0x" + hex2(v);
}
std::string hx4(std::uint16_t v) {
    return "0x" + hex4(v);
}

// Bytes from `from` up to the last one that is not zero, as "12 34".
std::string data(const Bytes& b, int from) {
    int last = static_cast<int>(b.count);
    while (last >= from && b[last] == 0)
        --last;
    std::string out;
    for (int n = from; n <= last; ++n) {
        if (!out.empty()) out += ' ';
        out += hex2(b[n]);
    }
    return out;
}

// The setting a frame addresses: the sub-code's name, else the code's name
// (with the sub-code when the code has named ones). Sets `first` to the
// first byte that is a value.
std::string setting(const Entry* e, const Bytes& b, int& first) {
    if (!e) {
        first = 3;
        return "command " + hx2(b[2]);
    }
    if (e->subCount == 0) {
        first = 3;
        return e->name;
    }
    first = 4;
    for (std::size_t i = 0; i < e->subCount; ++i)
        if (e->subs[i].sub == b[3]) return e->subs[i].name;
    return std::string(e->name) + " sub " + hx2(b[3]);
}

std::string join(std::string text, const std::string& tail, const char* separator = " ") {
    if (!tail.empty()) text += separator + tail;
    return text;
}

} // namespace

std::string ControlName(std::uint8_t byte) {
    switch (byte) {
    case NUL:
        return "NUL";
    case SOH:
        return "SOH";
    case STX:
        return "STX";
    case ETX:
        return "ETX";
    case EOT:
        return "EOT";
    case ENQ:
        return "ENQ";
    case ACK:
        return "ACK";
    case DC1:
        return "DC1";
    case NAK:
        return "NAK";
    case SYN:
        return "SYN";
    default:
        return hx2(byte);
    }
}

const char* CommandUse(std::uint8_t code) {
    const Entry* e = find(code);
    return e ? e->name : nullptr;
}

std::string CommandName(const std::uint8_t* payload) {
    const Bytes b{payload, kPayloadSize};
    const std::uint8_t cls = b[1];
    const std::uint8_t code = b[2];
    if (cls == kResetClass) return "camera reset";
    const bool read = cls == kReadClass;
    const bool write = cls == kWriteClass;
    if (read || write) {
        switch (code) {
        case 0x0A:
            if (read) return "register read " + hx2(b[3]);
            return "register write and store " + hx2(b[3]) + " = " + hx4(b.word(4));
        case 0x0B:
            if (write) return "register write " + hx2(b[3]) + " = " + hx4(b.word(4));
            break;
        case 0x0C:
            if (read) return "EEPROM word read " + hx4(b.word(3));
            return "EEPROM word write " + hx4(b.word(3)) + " = " + hx4(b.word(5));
        case 0x0F:
            if (write)
                return "EEPROM word and RAM write " + hx4(b.word(3)) + " = " + hx4(b.word(5));
            break;
        case 0x0D:
            if (read) return "RAM read " + hx4(b.word(3));
            return "RAM byte write " + hx4(b.word(3)) + " = " + hx2(b[5]);
        case 0x0E:
            if (write) return "OSD word write " + hx4(b.word(4));
            break;
        case 0x32:
            if (write) return "switch key " + hx2(b[3]);
            break;
        case 0x35:
            if (read) return "area sample read " + std::to_string(b[3]);
            break;
        case 0x52:
            if (b[3] == 1)
                return (read ? "lens position recall " : "lens position store ") +
                       std::to_string(b[4]);
            break;
        case 0x60:
            if (read) return "Easy status block " + std::to_string(b[3]);
            break;
        default:
            break;
        }
    }
    int first = 3;
    std::string text = setting(find(code), b, first);
    text += read ? " read" : write ? " write" : " class " + hx2(cls);
    return join(text, data(b, first));
}

std::string ReplyName(const std::uint8_t* payload, std::size_t count, const std::uint8_t* request,
                      bool afterBulk) {
    const Bytes b{payload, count};
    const Bytes req{request, request ? kPayloadSize : 0};
    const bool accepted = b[1] == kAccepted;
    if (afterBulk || count < 3) {
        const std::string text = accepted ? "bulk image accepted" : "bulk image rejected";
        return count >= 2 ? text + " (size code " + hx2(b[2]) + ")" : text;
    }
    const std::uint8_t code = b[2];
    const Entry* e = find(code);
    int first = 3;
    const std::string name = setting(e, b, first);
    if (!accepted) return name + " rejected (" + hx2(b[1]) + ")";
    switch (code) {
    case 0x0A:
    case 0x0B:
        return "register " + hx2(b[3]) + " = " + hx4(b.word(4));
    case 0x0C:
    case 0x0F:
        return "EEPROM word " + hx4(b.word(3)) + " = " + hx4(b.word(5));
    case 0x0D: {
        const std::uint16_t address = req[2] == 0x0D ? req.word(3) : b.word(3);
        return "RAM " + hx4(address) + " = " + hex2(b[5]) + ' ' + hex2(b[6]);
    }
    case 0x35: {
        const int index = req[2] == 0x35 ? req[3] : b[3];
        return "area sample " + std::to_string(index) + " = " + hx4(b.word(4));
    }
    case 0x60:
        return join("Easy status block " + std::to_string(b[3]), data(b, 4), ": ");
    default:
        return join(name, data(b, first), ": ");
    }
}

std::string BulkName(std::uint8_t sizeCode) {
    return "bulk image, " + std::to_string(bulk_data_size(sizeCode)) + " bytes";
}

} // namespace cam
