#include "ui/widgets/link_gate.h"

ILinkGate::HandlerRun::HandlerRun(ILinkGate& gate) : gate_(gate), echo_(gate.Decoding()) {
    if (echo_) ++gate_.echo_;
}

ILinkGate::HandlerRun::~HandlerRun() {
    if (echo_) --gate_.echo_;
}
