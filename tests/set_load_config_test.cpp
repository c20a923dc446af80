// The build tool that points the program's header at its load configuration
// (cmake/set_load_config.cpp), run on a small image made here: it takes a
// record that lies whole in its section's data, and refuses, leaving the file
// as it was and saying why, a record that runs past its section or a map it
// cannot read.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "test_files.h"

namespace {

constexpr std::uint32_t kPe = 0x40, kOptional = kPe + 24, kSection = kOptional + 240;
constexpr std::uint32_t kSectionRva = 0x1000, kSectionAt = 0x200, kSectionSize = 0x200;
constexpr std::uint32_t kLoadConfigEntry = kOptional + 112 + 10 * 8;

void Put32(std::string& bytes, std::uint32_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}
std::uint32_t Get32(const std::string& bytes, std::uint32_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
  return value;
}

// A 64-bit image based at 0x140000000 with one section of 0x200 bytes at
// 0x1000, followed in the file by 0x200 bytes of no section; a record of
// `size` at `rva`.
std::string ImageWithRecord(std::uint32_t rva, std::uint32_t size) {
  std::string bytes(kSectionAt + kSectionSize + 0x200, '\0');
  bytes[0] = 'M', bytes[1] = 'Z';
  Put32(bytes, 0x3c, kPe);
  Put32(bytes, kPe, 0x00004550);
  Put32(bytes, kPe + 4, 0x8664 | 1u << 16);  // x64, one section
  Put32(bytes, kPe + 20, 240);               // the optional header's size
  Put32(bytes, kOptional, 0x20b);
  Put32(bytes, kOptional + 24, 0x40000000), Put32(bytes, kOptional + 28, 1);
  Put32(bytes, kOptional + 64, 1);  // a checksum, to be mended
  Put32(bytes, kOptional + 108, 16);
  Put32(bytes, kSection + 8, kSectionSize), Put32(bytes, kSection + 12, kSectionRva);
  Put32(bytes, kSection + 16, kSectionSize), Put32(bytes, kSection + 20, kSectionAt);
  Put32(bytes, kSectionAt + (rva - kSectionRva), size);
  return bytes;
}

struct ToolRun {
  int exit_code;
  std::string image, errors;
};

ToolRun RunTool(const std::string& image, const std::string& address) {
  ScratchFolder folder;
  const std::string program = folder.root / "program.exe", map = folder.root / "program.map",
                    errors = folder.root / "errors";
  std::ofstream(program, std::ios::binary) << image;
  std::ofstream(map) << " .rdata  0x0000000140001000  0x200 load_config.o\n"
                     << "                " << address << "                _load_config_used\n";
  const int status = std::system(
      (std::string(SET_LOAD_CONFIG) + " " + program + " " + map + " 2>" + errors).c_str());
  std::ifstream written(program, std::ios::binary), said(errors);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
          std::string(std::istreambuf_iterator<char>(written), std::istreambuf_iterator<char>()),
          std::string(std::istreambuf_iterator<char>(said), std::istreambuf_iterator<char>())};
}

TEST(SetLoadConfig, PointsTheHeaderAtARecordThatLiesWholeInItsSection) {
  const std::string image = ImageWithRecord(0x1100, 0x94);
  const ToolRun run = RunTool(image, "0x0000000140001100");
  ASSERT_EQ(run.exit_code, 0) << run.errors;
  EXPECT_EQ(Get32(run.image, kLoadConfigEntry), 0x1100u);
  EXPECT_EQ(Get32(run.image, kLoadConfigEntry + 4), 0x94u);
  EXPECT_NE(Get32(run.image, kOptional + 64), 1u) << "the checksum mended";
}

TEST(SetLoadConfig, RefusesARecordPastItsSectionOrAMalformedMap) {
  const std::string past_the_section = ImageWithRecord(0x11c0, 0x94);  // 0x40 bytes left in the section
  ToolRun run = RunTool(past_the_section, "0x00000001400011c0");
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_TRUE(run.image == past_the_section) << "the file was changed";
  EXPECT_NE(run.errors.find("past the end of its section"), std::string::npos) << run.errors;

  const std::string image = ImageWithRecord(0x1100, 0x94);
  for (const char* address : {"0x1000000000000000000140001100", "0x14000110g"}) {
    run = RunTool(image, address);
    EXPECT_EQ(run.exit_code, 1) << address;
    EXPECT_TRUE(run.image == image) << address << ": the file was changed";
    EXPECT_NE(run.errors.find("malformed address"), std::string::npos) << address << ": " << run.errors;
  }
}

}  // namespace
