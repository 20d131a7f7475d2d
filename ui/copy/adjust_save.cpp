#include "ui/copy/adjust_save.h"

#include "ui/common/message.h"
#include "ui/common/tab_context.h"
#include "ui/copy/copy_host.h"

#include <cstdint>

namespace {
constexpr std::uint8_t kSaveOrCancel = 0x41;
constexpr std::uint8_t kStoringRegisterWrite = 0x0A;
constexpr std::uint8_t kFirstRegister = 0x2B; // chroma gains
constexpr std::uint8_t kLastRegister = 0x2F;  // hue BY-

} // namespace

void TAdjustSaveChain::store(TTabContext& context, std::uint8_t r) {
    const std::int32_t value = context.Data(r);
    awaited_ = context.Request({cam::kWriteClass, kStoringRegisterWrite, r,
                                static_cast<std::uint8_t>((value >> 8) & 0xFF),
                                static_cast<std::uint8_t>(value & 0xFF)});
    if (awaited_ == 0) Interrupt(QStringLiteral("the line did not take its frame"));
}

void TAdjustSaveChain::Interrupt(const QString& why) {
    if (awaited_ == 0) return;
    awaited_ = 0;
    ShowMessage(QStringLiteral("Saving the adjusted values was stopped because ") + why +
                    QStringLiteral(": registers 2B to 2F may not all be stored"),
                QStringLiteral("38R5"), TButtons::Ok);
}

void TAdjustSaveChain::Trans_end_cstm(TTabContext& context, TCopyHost& host) {
    const ILinkGate::DecodingScope decoding(context);
    const cam::ReplyBuffer& reply = context.Reply();
    if (reply[1] != cam::kAccepted) {
        awaited_ = 0;
        ShowMessage(QStringLiteral(" Error "), QStringLiteral("ERR"), TButtons::AbortRetryIgnore);
        return;
    }
    if (context.LastClass() != cam::kWriteClass) return;
    if (reply[2] == kSaveOrCancel) {
        if (reply[3] == 0x00)
            store(context, kFirstRegister);
        else if (reply[3] == 0x01)
            host.ReLoadClick();
    } else if (reply[2] == kStoringRegisterWrite && context.Answers(awaited_)) {
        const std::uint8_t r = reply[3];
        awaited_ = 0;
        if (r >= kFirstRegister && r < kLastRegister)
            store(context, static_cast<std::uint8_t>(r + 1));
        else if (r == kLastRegister)
            host.ShowCopyPage();
    }
}
