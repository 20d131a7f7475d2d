#include "comm/comm.h"
#include "comm/port_map.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

// `test_comm --try-open DEVICE` is the second process of the exclusivity test:
// it opens DEVICE as port 1 and exits 0 when that worked, 3 on the open error
// -1, 4 on anything else.
static int try_open(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    cam::SetPortDevice(1, argv[2]);
    cam::TComm comm;
    try {
        comm.Open();
        return 0;
    } catch (const cam::ECommOpenError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return e.ErrorCode == -1 ? 3 : 4;
    } catch (...) {
        return 4;
    }
}

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--try-open") == 0) return try_open(argc, argv);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
