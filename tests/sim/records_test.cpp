// Start images from command-record files, the command line and the log text.

#include "sim_test_util.h"

#include "sim/command_records.h"
#include "sim/sim_options.h"
#include "sim/traffic_log.h"

#include <sstream>
#include <string>

namespace {

using simtest::Bytes;

TEST(CommandRecords, AcceptedText) {
    struct Case {
        const char* what;
        std::string text;
        std::vector<int> lines;    // line number of each record
        std::vector<Bytes> starts; // leading payload bytes of each record
    };
    const Case cases[] = {
        {"copy file lines with CR LF",
         "210C00051234000000000000000000\r\nF10000000000000000000000000000\r\n",
         {1, 2},
         {{0x21, 0x0C, 0x00, 0x05, 0x12, 0x34, 0x00}, {0xF1, 0x00}}},
        {"short and lower case",
         "210c03ffabcd\n",
         {1},
         {{0x21, 0x0C, 0x03, 0xFF, 0xAB, 0xCD, 0x00}}},
        {"empty lines are skipped", "\n\r\n210A2B1111\n\n", {3}, {{0x21, 0x0A, 0x2B, 0x11, 0x11}}},
        {"the end-of-file mark ends the file",
         "210C00000001\n\x1A\nthis is not read\n",
         {1},
         {{0x21, 0x0C, 0x00, 0x00, 0x00, 0x01}}},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.text);
        std::vector<camsim::CommandRecord> records;
        std::string error;
        ASSERT_TRUE(camsim::ReadCommandRecords(in, &records, &error)) << c.what << ": " << error;
        ASSERT_EQ(records.size(), c.lines.size()) << c.what;
        for (std::size_t i = 0; i < records.size(); ++i) {
            EXPECT_EQ(records[i].line, c.lines[i]) << c.what;
            EXPECT_TRUE(
                std::equal(c.starts[i].begin(), c.starts[i].end(), records[i].payload.begin()))
                << c.what << " record " << i;
        }
    }
}

TEST(CommandRecords, RefusedText) {
    struct Case {
        std::string text;
        const char* line;
    };
    const Case cases[] = {
        {"210C0005123\n", "line 1"},
        {"210C00051234\n210C000512340000000000000000000000\n", "line 2"},
        {"210C00051234\n\n21 0C\n", "line 3"},
        {"210G00051234\n", "line 1"},
        // what the tool's copy refuses, the camera refuses as a start image
        {"# start image\n210A2B1111\n", "line 1"},
        {"210C00051234\n  210A2B1111  \n", "line 2"},
        {"210C00051234\r\n210C0006", "line 2"}, // cut short: no line end
        {"F10000000000000000000000000000\r\n210C00051234\r\n", "line 1"},
        {"210C00051234\n212000\n", "line 2"}, // answered by ACK alone
        {"", "the file holds no command"},
        {"\r\n\x1A", "the file holds no command"},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.text);
        std::vector<camsim::CommandRecord> records;
        std::string error;
        EXPECT_FALSE(camsim::ReadCommandRecords(in, &records, &error)) << c.text;
        EXPECT_EQ(error.rfind(c.line, 0), 0u) << error;
    }
}

TEST(StartImage, RecordsAreAppliedAndTheCameraRestarts) {
    camsim::CameraModel camera;
    std::istringstream in("210C00051234000000000000000000\r\n"
                          "210C002BBEEF000000000000000000\r\n"
                          "310C0005\r\n"
                          "F10000000000000000000000000000\r\n");
    std::string error;
    ASSERT_TRUE(camera.LoadEepromRecords(in, &error)) << error;
    EXPECT_EQ(camera.Eeprom(0x0005), 0x1234);
    EXPECT_EQ(camera.Eeprom(0x002B), 0xBEEF);
    EXPECT_EQ(camera.Register(0x2B), 0xBEEF); // registers come from the stored words
    EXPECT_EQ(camera.Ram(camsim::kEepromImageInRam + 2 * 5), 0x12);
}

TEST(StartImage, ARefusedRecordLeavesTheCameraAsItWas) {
    const char* texts[] = {
        "210C00051234\n210C04001234\n", // address 0x0400 is past the EEPROM
        "210C00051234\n770C0005\n",     // no such command class
    };
    for (const char* text : texts) {
        camsim::CameraModel camera;
        const std::uint16_t before = camera.Eeprom(5);
        std::istringstream in(text);
        std::string error;
        EXPECT_FALSE(camera.LoadEepromRecords(in, &error)) << text;
        EXPECT_EQ(error.rfind("line 2", 0), 0u) << error;
        EXPECT_EQ(camera.Eeprom(5), before);
    }
}

TEST(StartImage, MissingFileIsAnError) {
    camsim::CameraModel camera;
    std::string error;
    EXPECT_FALSE(camera.LoadEepromFile("/nonexistent/start.dat", &error));
    EXPECT_NE(error.find("/nonexistent/start.dat"), std::string::npos);
}

TEST(SimOptions, CommandLines) {
    struct Case {
        std::vector<std::string> args;
        bool pal, hi, pace, silent;
        int drop, corrupt;
        std::string link, log, eeprom, eepromOut;
    };
    const Case cases[] = {
        {{}, true, true, false, false, 0, 0, "", "", "", ""},
        {{"--video", "ntsc", "--resolution=lo", "--pace", "--silent"},
         false,
         false,
         true,
         true,
         0,
         0,
         "",
         "",
         "",
         ""},
        {{"--drop-reply", "3", "--corrupt-reply=5", "--link", "/tmp/cam", "--log", "l.txt",
          "--eeprom", "e.dat", "--eeprom-out=o.dat"},
         true,
         true,
         false,
         false,
         3,
         5,
         "/tmp/cam",
         "l.txt",
         "e.dat",
         "o.dat"},
    };
    for (const auto& c : cases) {
        camsim::SimOptions options;
        std::string error;
        const std::string line = c.args.empty() ? "(none)" : c.args[0];
        ASSERT_TRUE(camsim::ParseSimOptions(c.args, &options, &error)) << line << ": " << error;
        EXPECT_EQ(options.model.pal, c.pal) << line;
        EXPECT_EQ(options.model.hiResolution, c.hi) << line;
        EXPECT_EQ(options.pace, c.pace) << line;
        EXPECT_EQ(options.model.silent, c.silent) << line;
        EXPECT_EQ(options.model.dropReplyEvery, c.drop) << line;
        EXPECT_EQ(options.model.corruptReplyEvery, c.corrupt) << line;
        EXPECT_EQ(options.linkPath, c.link) << line;
        EXPECT_EQ(options.logPath, c.log) << line;
        EXPECT_EQ(options.eepromPath, c.eeprom) << line;
        EXPECT_EQ(options.eepromOutPath, c.eepromOut) << line;
        EXPECT_FALSE(options.help);
    }
}

TEST(SimOptions, WrongCommandLines) {
    const std::vector<std::string> cases[] = {
        {"--video", "secam"}, {"--resolution"}, {"--drop-reply", "-1"}, {"--corrupt-reply", "2x"},
        {"--link="},          {"--pace=1"},     {"--speed", "9600"},    {"--log", "a", "extra"},
        {"--eeprom-out"},
    };
    for (const auto& args : cases) {
        camsim::SimOptions options;
        std::string error;
        EXPECT_FALSE(camsim::ParseSimOptions(args, &options, &error)) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
    }
}

TEST(TrafficLog, LineText) {
    EXPECT_EQ(camsim::TrafficText(camsim::Direction::FromCamera, {0x06}, ""), "CAM>PC 06");
    EXPECT_EQ(camsim::TrafficText(camsim::Direction::ToCamera, {0x02, 0x31, 0x0A}, "bad frame"),
              "PC>CAM 02 31 0A  [bad frame]");
    Bytes bulk(2053, 0x11);
    bulk[0] = 0x01;
    bulk[2052] = 0xEE;
    const std::string text = camsim::TrafficText(camsim::Direction::ToCamera, bulk, "");
    EXPECT_EQ(text.rfind("PC>CAM 01 11", 0), 0u);
    EXPECT_NE(text.find("... 11 11 EE (2053 bytes)"), std::string::npos) << text;
    EXPECT_LT(text.size(), 120u);
}

} // namespace
