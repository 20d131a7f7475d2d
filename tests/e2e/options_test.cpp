// The program's command line: help, version, the port list and usage errors
// with and without a display, a stable device name for a port, and the journal of a session against
// the simulated camera compared with the camera's own traffic log, record for record.

#include "comm/port_list.h"
#include "e2e/sim_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

// A technician's terminal without any display, or the toolkit's offscreen
// platform.
enum class Display { None, Offscreen };

// Runs the tool with `args` to its end.
ToolRun runTool(const std::vector<std::string>& args, Display display = Display::Offscreen) {
    char outPath[] = "/tmp/cam38r5-out-XXXXXX";
    char errPath[] = "/tmp/cam38r5-err-XXXXXX";
    const int out = mkstemp(outPath);
    const int err = mkstemp(errPath);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        setenv("DISPLAY", "", 1);
        setenv("WAYLAND_DISPLAY", "", 1);
        if (display == Display::Offscreen)
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        else
            unsetenv("QT_QPA_PLATFORM");
        std::vector<char*> argv{const_cast<char*>(CAM_TOOL_BINARY)};
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(CAM_TOOL_BINARY, argv.data());
        _exit(127);
    }
    ToolRun run;
    int status = 0;
    waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    auto slurp = [](const char* path) {
        std::ifstream in(path);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    };
    run.out = slurp(outPath);
    run.err = slurp(errPath);
    close(out);
    close(err);
    unlink(outPath);
    unlink(errPath);
    return run;
}

// "PC>CAM 02 31 ..." for each traffic line of the camera's log.
std::vector<std::string> simRecords(const std::string& log) {
    std::vector<std::string> records;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);) {
        const auto space = line.find(' ');
        if (space == std::string::npos || line.compare(space + 1, 3, "-- ") == 0) continue;
        std::string record = line.substr(space + 1);
        if (const auto note = record.find("  ["); note != std::string::npos) record.resize(note);
        records.push_back(record);
    }
    return records;
}

// The same from the tool's journal (markers left out).
std::vector<std::string> journalRecords(const std::string& path) {
    std::vector<std::string> records;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '\t');)
            fields.push_back(cell);
        if (fields.size() == 7 && fields[1] != "--") records.push_back(fields[1] + ' ' + fields[6]);
    }
    return records;
}

} // namespace

TEST(ProgramOptions, HelpVersionAndListPortsNeedNoDisplay) {
    for (const Display display : {Display::None, Display::Offscreen}) {
        SCOPED_TRACE(display == Display::None ? "no display" : "offscreen");
        const ToolRun help = runTool({"--help"}, display);
        EXPECT_EQ(help.status, 0) << help.err;
        for (const char* item :
             {"--port1", "--port2", "--journal", "--list-ports", "--help", "-h", "--version",
              "CAM38R5_PORT1", "CAM38R5_PORT2", "/dev/serial/by-id"})
            EXPECT_NE(help.out.find(item), std::string::npos) << item << "\n" << help.out;

        const ToolRun version = runTool({"--version"}, display);
        EXPECT_EQ(version.status, 0) << version.err;
        EXPECT_EQ(version.out, std::string("cam38r5 ") + CAM38R5_VERSION + "\n");

        // Whatever serial devices this machine has, the list ends normally.
        const ToolRun ports = runTool({"--list-ports", "--port2", "/dev/by-test"}, display);
        EXPECT_EQ(ports.status, 0) << ports.err;
        EXPECT_NE(ports.out.find("port 2 is /dev/by-test"), std::string::npos) << ports.out;
    }
}

TEST(ProgramOptions, UsageErrorsEndWithStatusTwoWithOrWithoutADisplay) {
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{"--bogus"}, "cam38r5: unknown option --bogus\n"},
        {{"--port1"}, "cam38r5: --port1 needs a device\n"},
        {{"--port2="}, "cam38r5: --port2 needs a device\n"},
        {{"--port1", "--journal", "/tmp/j"}, "cam38r5: --port1 needs a device\n"},
        {{"--journal"}, "cam38r5: --journal needs a file\n"},
        {{"-platform", "offscreen", "--no-such-option"}, "unknown option --no-such-option\n"},
        {{"--help", "--port2"}, "--port2 needs a device\n"},
        {{"-platform"}, "-platform needs a value\n"},
    };
    for (const Display display : {Display::None, Display::Offscreen})
        for (const Case& c : cases) {
            std::string line;
            for (const auto& a : c.args)
                line += a + ' ';
            SCOPED_TRACE(line + (display == Display::None ? "(no display)" : "(offscreen)"));
            const ToolRun run = runTool(c.args, display);
            EXPECT_EQ(run.status, 2);
            EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
            EXPECT_NE(run.err.find("Try 'cam38r5 --help'."), std::string::npos) << run.err;
            EXPECT_TRUE(run.out.empty()) << run.out;
        }
}

TEST(PortList, UsbAdaptersWithTheirNamesAndBuiltInPortsWithAUart) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("cam38r5-sysfs-" + std::to_string(getpid()));
    fs::remove_all(root);
    const fs::path usb = root / "devices/pci0000:00/usb1/1-2";
    const fs::path port = usb / "1-2:1.0/ttyUSB0";
    fs::create_directories(port);
    fs::create_directories(root / "drivers/ftdi_sio");
    fs::create_symlink(root / "drivers/ftdi_sio", port / "driver");
    auto put = [](const fs::path& file, const std::string& text) {
        std::ofstream(file) << text << '\n';
    };
    put(usb / "idVendor", "0403");
    put(usb / "idProduct", "6001");
    put(usb / "manufacturer", "FTDI");
    put(usb / "product", "FT232R USB UART");
    put(usb / "serial", "A50285BI");
    const fs::path uart = root / "devices/pnp0/00:05";
    fs::create_directories(uart);
    const fs::path tty = root / "class/tty";
    for (const char* name : {"ttyUSB0", "ttyS0", "ttyS1", "ttyS10", "tty0"})
        fs::create_directories(tty / name);
    fs::create_symlink(port, tty / "ttyUSB0/device");
    for (const char* name : {"ttyS0", "ttyS1", "ttyS10"})
        fs::create_symlink(uart, tty / name / "device");
    put(tty / "ttyS0/type", "4");
    put(tty / "ttyS1/type", "0"); // a name with no UART behind it
    put(tty / "ttyS10/type", "4");
    const fs::path dev = root / "dev";
    fs::create_directories(dev / "serial/by-id");
    for (const char* name : {"ttyUSB0", "ttyS0", "ttyS1", "ttyS10", "tty0"})
        put(dev / name, "");
    const fs::path byId = dev / "serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    fs::create_symlink("../../ttyUSB0", byId);

    const auto ports = cam::ListSerialPorts(tty.string(), dev.string());
    fs::remove_all(root);
    ASSERT_EQ(ports.size(), 3u);
    EXPECT_EQ(ports[0].device, (dev / "ttyS0").string());
    EXPECT_EQ(ports[0].description, "built-in serial port (16550A)");
    EXPECT_TRUE(ports[0].usbId.empty());
    EXPECT_EQ(ports[1].device, (dev / "ttyS10").string()); // after ttyS0, by number
    EXPECT_EQ(ports[2].device, (dev / "ttyUSB0").string());
    EXPECT_EQ(ports[2].description, "FTDI FT232R USB UART");
    EXPECT_EQ(ports[2].usbId, "0403:6001");
    EXPECT_EQ(ports[2].serial, "A50285BI");
    EXPECT_EQ(ports[2].driver, "ftdi_sio");
    EXPECT_EQ(ports[2].stableNames, std::vector<std::string>{byId.string()});
    const std::string text = cam::FormatSerialPorts(ports);
    EXPECT_NE(text.find("FTDI FT232R USB UART, USB 0403:6001, serial A50285BI"), std::string::npos)
        << text;
    EXPECT_NE(text.find("stable name: " + byId.string()), std::string::npos) << text;
}

TEST(ProgramJournal, MatchesTheCameraTrafficLogRecordForRecord) {
    // A reply with a wrong CRC now and then: the NAK and the repeat are part
    // of the session. The port is given by a symbolic link, as the stable
    // names under /dev/serial/by-id are.
    SimProcess sim({"--corrupt-reply", "4"});
    ASSERT_FALSE(sim.Device().empty());
    const std::string link = "/tmp/cam38r5-by-id-" + std::to_string(getpid());
    const std::string journal = link + ".journal";
    unlink(link.c_str());
    unlink(journal.c_str());
    ASSERT_EQ(symlink(sim.Device().c_str(), link.c_str()), 0);
    const pid_t tool = fork();
    if (tool == 0) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execl(CAM_TOOL_BINARY, CAM_TOOL_BINARY, "--port1", link.c_str(), "--port2",
              "/nonexistent/cam38r5-port2", "--journal", journal.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    // The Easy load ends with the EEPROM word 0x0151 and the tool's ACK.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    bool loaded = false;
    while (!loaded && std::chrono::steady_clock::now() < deadline) {
        const auto records = journalRecords(journal);
        for (std::size_t i = 0; i + 1 < records.size() && !loaded; ++i)
            loaded =
                records[i].rfind("CAM>PC 02 A0 0C 01 51", 0) == 0 && records[i + 1] == "PC>CAM 06";
        if (!loaded) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(tool, SIGTERM);
    waitpid(tool, nullptr, 0);
    const auto mine = journalRecords(journal);
    const auto camera = simRecords(sim.Log());
    unlink(link.c_str());
    unlink(journal.c_str());
    ASSERT_TRUE(loaded) << sim.Log();

    // Opening, ten status blocks with their NAKed repeats, the EEPROM word.
    ASSERT_GE(mine.size(), 45u);
    // Either side may have one exchange more when the tool was stopped.
    const std::size_t n = std::min(mine.size(), camera.size());
    EXPECT_LE(std::max(mine.size(), camera.size()) - n, 4u);
    for (std::size_t i = 0; i < n; ++i)
        ASSERT_EQ(mine[i], camera[i]) << "record " << i;
    EXPECT_NE(std::find(mine.begin(), mine.end(), "PC>CAM 15"), mine.end());
}
