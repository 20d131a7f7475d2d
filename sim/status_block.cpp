#include "sim/status_block.h"

namespace camsim {

namespace {

// Bytes 4..13: title block `block`, five codes high byte first.
void put_title_block(Reply& reply, const EasyState& easy, int block) {
    for (int i = 0; i < 5; ++i)
        reply.PutWord(4 + 2 * i, easy.title[static_cast<std::size_t>(5 * block + i)]);
}

} // namespace

Reply StatusBlock(int sub, EasyState& easy, LensState& lens, const MemoryState& memory) {
    Reply reply(0x60);
    reply.Put(3, sub);
    switch (sub) {
    case 0:
        put_title_block(reply, easy, 0);
        reply.PutWord(14, memory.Register(0x01));
        break;
    case 1:
        put_title_block(reply, easy, 1);
        reply.PutWord(14, memory.Register(0x40));
        break;
    case 2:
        put_title_block(reply, easy, 2);
        reply.Put(14, easy.vRev).Put(15, easy.hRev);
        break;
    case 3:
        put_title_block(reply, easy, 3);
        reply.Put(14, easy.titlePosition).Put(15, easy.blc);
        break;
    case 4:
        for (int i = 0; i < 6; ++i)
            reply.Put(4 + i, easy.blcArea[static_cast<std::size_t>(i)]);
        reply.Put(10, easy.wbMode)
            .Put(11, easy.atwLevel)
            .Put(12, easy.awbLevel)
            .Put(13, easy.rGain)
            .Put(14, easy.bGain)
            .Put(15, easy.PollAwb());
        break;
    case 5:
        reply.Put(4, easy.sync)
            .PutWord(5, easy.phaseMax)
            .PutWord(7, easy.phaseMin)
            .PutWord(9, easy.phase)
            .Put(11, easy.blcSens)
            .Put(12, easy.agc)
            .Put(13, easy.sens)
            .Put(14, easy.freeze)
            .Put(15, easy.initial);
        break;
    case 6:
        reply.Put(4, easy.peak)
            .Put(5, easy.peakLevel)
            .Put(6, easy.alc)
            .Put(7, easy.alcAuto)
            .Put(8, easy.alcFix)
            .Put(9, easy.aes)
            .Put(10, easy.aesAuto)
            .Put(11, easy.aesFix)
            .Put(12, easy.hGain)
            .Put(13, easy.vGain)
            .Put(14, lens.alarmNo)
            .Put(15, lens.digitalZoom);
        break;
    case 7:
        lens.StepZoom();
        lens.StepFocus();
        reply.PutWord(4, lens.zoomTarget)
            .PutWord(6, lens.zoomCurrent)
            .PutWord(8, lens.FocusFar())
            .PutWord(10, lens.FocusNear())
            .PutWord(12, lens.focusTarget)
            .PutWord(14, lens.focusCurrent);
        break;
    case 8:
        reply.Put(4, lens.autoFocus)
            .Put(5, lens.zoomSpeed)
            .Put(6, lens.focusSpeed)
            .Put(7, lens.positionNo)
            .Put(8, easy.preset)
            .Put(9, lens.pushSw)
            .Put(10, easy.select)
            .Put(11, easy.posiNega);
        break;
    case 9:
        reply.Put(4, easy.mark.on)
            .Put(5, easy.mark.x)
            .Put(6, easy.mark.y)
            .Put(7, easy.mark.left)
            .Put(8, easy.mark.right)
            .Put(9, easy.mark.top)
            .Put(10, easy.mark.bottom);
        break;
    default:
        break;
    }
    return reply;
}

} // namespace camsim
