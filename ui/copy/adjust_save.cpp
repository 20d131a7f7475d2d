#include "ui/copy/adjust_save.h"

#include "ui/common/message.h"
#include "ui/copy/copy_host.h"
#include "ui/common/tab_context.h"

#include <cstdint>

namespace {
constexpr std::uint8_t kSaveOrCancel = 0x41;
constexpr std::uint8_t kStoringRegisterWrite = 0x0A;
constexpr std::uint8_t kFirstRegister = 0x2B; // chroma gains
constexpr std::uint8_t kLastRegister = 0x2F;  // hue BY-

void storeRegister(TTabContext& context, std::uint8_t r) {
    const std::int32_t value = context.Data(r);
    context.Send({cam::kWriteClass, kStoringRegisterWrite, r,
                  static_cast<std::uint8_t>((value >> 8) & 0xFF),
                  static_cast<std::uint8_t>(value & 0xFF)});
}
} // namespace

void Trans_end_cstm(TTabContext& context, TCopyHost& host) {
    const ILinkGate::DecodingScope decoding(context);
    const cam::ReplyBuffer& reply = context.Reply();
    if (reply[1] != cam::kAccepted) {
        ShowMessage(QStringLiteral(" Error "), QStringLiteral("ERR"), TButtons::AbortRetryIgnore);
        return;
    }
    if (context.LastClass() != cam::kWriteClass) return;
    if (reply[2] == kSaveOrCancel) {
        if (reply[3] == 0x00)
            storeRegister(context, kFirstRegister);
        else if (reply[3] == 0x01)
            host.ReLoadClick();
    } else if (reply[2] == kStoringRegisterWrite) {
        const std::uint8_t r = reply[3];
        if (r >= kFirstRegister && r < kLastRegister)
            storeRegister(context, static_cast<std::uint8_t>(r + 1));
        else if (r == kLastRegister)
            host.ShowCopyPage();
    }
}
