// The bytes of a reply on their way in, through the traffic tap to the
// receiver, allocate once a frame (the buffer its traffic record keeps), not
// once a byte.

#include "link/link.h"
#include "link/tap_port.h"
#include "link/traffic.h"
#include "support/fake_port.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

namespace {
thread_local long allocations = 0;
}

// Counted, and paired with free() so that a sanitizer sees one family.
void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return ::operator new(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

TEST(ReceivePath, ReplyBytesAllocateOnceAFrameNotOnceAByte) {
    FakePort inner;
    cam::TTrafficAssembler traffic;
    std::vector<cam::TTrafficRecord> kept;
    traffic.AddSink([&](const cam::TTrafficRecord& r) { kept.push_back(r); });
    cam::TTapPort port(inner, traffic);
    RecordingHost host;
    cam::TLink link(port, host);
    port.OnCommReceive = [&](std::uint16_t n) { link.Comm1CommReceive(n); };
    link.Trans_Create();
    inner.Receive({cam::ACK});
    inner.Deliver();

    link.Tx()[1] = 0x31;
    link.Tx()[2] = 0x0A;
    link.StxCommand(2);
    cam::TxFrame reply{};
    reply[1] = cam::kAccepted;
    reply[2] = 0x0A;
    cam::complete_command_frame(reply, 2);
    inner.Receive({cam::ACK});
    inner.Receive({reply.begin(), reply.end()});

    port.OnCommReceive(1); // the ACK
    const long before = allocations;
    for (std::size_t i = 0; i + 1 < reply.size(); ++i)
        port.OnCommReceive(1);
    EXPECT_LE(allocations - before, 1);
    port.OnCommReceive(1);
    EXPECT_EQ(host.replies, 1);
}

} // namespace
