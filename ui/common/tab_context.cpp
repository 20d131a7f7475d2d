#include "ui/common/tab_context.h"

std::uint32_t TTabContext::RequestCommand(int count) {
    if (EchoWrite()) return 0; // the camera already holds this value
    const std::uint32_t tag = nextTag_++;
    if (nextTag_ == 0) nextTag_ = kFirstTag;
    return Transmit(count, tag, LevelSource()) ? tag : 0;
}
