#include "ui/common/tab_context.h"

std::uint32_t TTabContext::RequestCommand(int count) {
    if (EchoWrite()) return 0; // the camera already holds this value
    const std::uint32_t tag = NewTag();
    return Transmit(count, tag, LevelSource()) ? tag : 0;
}
