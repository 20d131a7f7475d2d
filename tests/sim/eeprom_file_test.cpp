// The EEPROM written out as a copy file: loaded back, and read by the tool.

#include "sim/camera_model.h"
#include "sim/eeprom_file.h"
#include "transactions/copy_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string TempPath(const std::string& name) {
    return testing::TempDir() + "cam38r5_eeprom_" + std::to_string(::getpid()) + "_" + name;
}

// Every word differs from the factory image and from its neighbours, the
// first and the last word included.
camsim::CameraModel ScrambledCamera() {
    camsim::CameraModel camera;
    for (int a = 0; a < camsim::kEepromWords; ++a)
        camera.SetEeprom(a, static_cast<std::uint16_t>(0x9E37 * (a + 1) ^ (a << 4)));
    return camera;
}

TEST(EepromFile, LoadsBackToTheSameEeprom) {
    const camsim::CameraModel source = ScrambledCamera();
    const std::string path = TempPath("roundtrip.dat");
    std::string error;
    ASSERT_TRUE(camsim::WriteFileAtomically(path, camsim::EepromCopyText(source.Memory()), &error))
        << error;

    camsim::CameraModel loaded;
    ASSERT_TRUE(loaded.LoadEepromFile(path, &error)) << error;
    for (int a = 0; a < camsim::kEepromWords; ++a)
        ASSERT_EQ(loaded.Eeprom(a), source.Eeprom(a)) << "word " << a;
    std::remove(path.c_str());
}

TEST(EepromFile, TheToolReadsItBothWays) {
    const camsim::CameraModel source = ScrambledCamera();
    const std::string text = camsim::EepromCopyText(source.Memory());
    ASSERT_EQ(text.size(), cam::kCopyRecordSize * (camsim::kEepromWords + 1));
    EXPECT_EQ(text.substr(5 * cam::kCopyRecordSize, cam::kCopyRecordSize),
              cam::copy_record_text(cam::eeprom_write_payload(5, source.Eeprom(5))));
    EXPECT_EQ(text.substr(text.size() - cam::kCopyRecordSize),
              cam::copy_record_text(cam::end_record_payload()));

    std::string error;
    std::vector<cam::CopyRecord> records;
    ASSERT_TRUE(cam::parse_command_records(text, &records, &error)) << error; // single copy
    cam::CopyImage image;
    ASSERT_TRUE(cam::read_copy_image(text, &image, &error)) << error; // batch copy
    std::array<std::int32_t, cam::kEepromWordCount> words{};
    ASSERT_TRUE(cam::read_copy_words(text, &words, &error)) << error; // verify
    for (int a = 0; a < camsim::kEepromWords; ++a) {
        const auto at = static_cast<std::size_t>(a);
        ASSERT_EQ(words[at], source.Eeprom(a)) << "word " << a;
        ASSERT_EQ(image.bytes[2 * at] | (image.bytes[2 * at + 1] << 8), source.Eeprom(a));
    }
}

TEST(EepromFile, AFailedWriteNamesThePathAndLeavesNothing) {
    const std::string folder = TempPath("folder");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    struct Case {
        std::string path, reason;
    };
    const Case cases[] = {
        {"/nonexistent/eeprom.dat", "No such file"},
        {folder, "directory"}, // the rename cannot replace a folder
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(camsim::WriteFileAtomically(c.path, "210C0000FFFF\r\n", &error)) << c.path;
        EXPECT_EQ(error.rfind(c.path + ": ", 0), 0u) << error;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
    const std::string leftover = "cam38r5_eeprom_" + std::to_string(::getpid()) + "_folder.";
    for (const auto& entry : std::filesystem::directory_iterator(testing::TempDir()))
        EXPECT_NE(entry.path().filename().string().rfind(leftover, 0), 0u) << entry.path();
    ::rmdir(folder.c_str());
}

} // namespace
