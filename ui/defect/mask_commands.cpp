#include "ui/defect/mask_commands.h"

#include "link/frames.h"
#include "ui/common/tab_context.h"

namespace {
constexpr std::uint8_t kPictureCommand = 0x1D; // masks are sub-codes 0x10 + n
std::uint8_t maskCode(std::uint8_t n) {
    return static_cast<std::uint8_t>(0x10 + n);
}
} // namespace

void Mask_read(TTabContext& context, std::uint8_t n) {
    if (!context.Trans_chk()) return;
    context.Send({cam::kReadClass, kPictureCommand, maskCode(n)});
}

void Mask_write(TTabContext& context, std::uint8_t n, std::uint8_t b1, std::uint8_t b2,
                std::uint8_t b3, std::uint8_t b4) {
    if (!context.Trans_chk()) return;
    context.Send({cam::kWriteClass, kPictureCommand, maskCode(n), b1, b2, b3, b4});
}
