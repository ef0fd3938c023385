// Every file kept under data/damaged (inputs that once crashed a reader, and
// hand-damaged files of each kind of damage) is replayed through the
// readers a user reaches: it must load or be refused with an RTE::Exception
// that says something, never crash or throw anything else.

#include <BufferApi/B2FIOHelpers.h>
#include <BufferApi/Buffer2File.h>
#include <BufferApi/I_Buffer.h>

#include <RTE/Exception.h>
#include <RTE/Parameter.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace
{
namespace fs = std::filesystem;

std::vector<fs::path> DamagedFiles()
{
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(fs::path(BUFFER_TEST_DATA_DIR) / "damaged"))
    if (entry.is_regular_file())
      files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

//! "" when `read` succeeded, the message of its RTE::Exception otherwise;
//! any other exception fails the test.
std::string Outcome(const fs::path& file, const char* reader, const std::function<void()>& read)
{
  try
  {
    read();
    return "";
  }
  catch (const RTE::Exception& e)
  {
    EXPECT_STRNE(e.what(), "") << reader << " of " << file.filename();
    return e.what();
  }
  catch (const std::exception& e)
  {
    ADD_FAILURE() << reader << " of " << file.filename() << " threw a non-RTE exception: " << e.what();
  }
  return "(failed)";
}

struct FreeBlock
{
  void operator()(BufferApi::tagBITMAPINFOHEADER* block) const { std::free(block); }
};

//! The bitmap reader and every colour mode on what it returns.
std::string ReadBitmap(const fs::path& file)
{
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> stream(std::fopen(file.c_str(), "rb"), &std::fclose);
  std::unique_ptr<BufferApi::tagBITMAPINFOHEADER, FreeBlock> block;
  std::string message = Outcome(file, "ReadBMPtoMem", [&] { block.reset(B2FIOHelpers::ReadBMPtoMem(stream.get())); });
  for (int mode = 0; block && mode < 4; ++mode)
    Outcome(file, "CreateBufferFromBitmap",
            [&]
            {
              std::unique_ptr<BufferApi::I_Buffer>(
                  B2FIOHelpers::CreateBufferFromBitmap(block.get(), static_cast<B2FIOHelpers::RgbColorMode_t>(mode)));
            });
  return message;
}

//! ImportBuffer's outcome; GetImportInformation with and without attributes
//! must hold up as well.
std::string ImportFile(const fs::path& file)
{
  const std::string path = file.string();
  const std::string message = Outcome(
      file, "ImportBuffer",
      [&] { std::unique_ptr<BufferApi::I_Buffer>(BufferApi::ImportBuffer(path, RTE::Parameter::CreateTree())); });
  for (const bool attributes : {false, true})
    Outcome(file, "GetImportInformation",
            [&]
            {
              unsigned x = 0, y = 0, z = 0, frames = 0;
              std::unique_ptr<BufferApi::I_Buffer>(BufferApi::GetImportInformation(path, x, y, z, frames, attributes));
            });
  return message;
}

std::map<std::string, std::string> ReplayAll()
{
  std::map<std::string, std::string> messages;
  for (const fs::path& file : DamagedFiles())
    messages[file.filename().string()] = file.extension() == ".bmp" ? ReadBitmap(file) : ImportFile(file);
  return messages;
}

TEST(DamagedFiles, EveryKeptFileIsReadOrRefusedWithAMessage)
{
  const auto messages = ReplayAll();
  // The hand-damaged files alone are more than this; an emptied or moved
  // folder must not pass quietly.
  EXPECT_GE(messages.size(), 30u);
  for (const auto& [name, message] : messages)
    EXPECT_NE(message, "(failed)") << name;
}

TEST(DamagedFiles, RefusalsNameTheDamage)
{
  const auto messages = ReplayAll();
  const std::map<std::string, std::string> exact = {
      {"im7-truncated-header.im7", "Invalid header."},
      {"im7-not-im7.im7", "File not of type IM7."},
      {"im7-sparse.im7", "Sparse buffers retired, please use Pelio 7!"},
      {"im7-unknown-format.im7", "Can't read this data format yet."},
      {"im7-zero-size-z.im7", "Frame size invalid."},
      {"im7-negative-frame-count.im7", "Frame size invalid."},
      {"img-truncated-header.img", "IMG/IMX/VEC incomplete header"},
      {"bmp-truncated-info.bmp", "Can't read bitmap info"},
  };
  for (const auto& [name, message] : exact)
    EXPECT_EQ(messages.at(name), message) << name;
  // Sizes claimed beyond the file are refused before anything is allocated,
  // with the sizes in the message.
  const std::map<std::string, std::string> starts = {
      {"im7-huge-frame-size.im7", "Data block needs "},
      {"im7-huge-frame-count-packed.im7", "Data block needs "},
      {"im7-huge-extra-components.im7", "Data block needs "},
      {"im7-trailer-offset-outside.im7", "Trailer position 1099511627776 of the extended header lies outside"},
      {"img-huge-frame-size.img", "IMG/IMX/VEC data block needs "},
  };
  for (const auto& [name, start] : starts)
    EXPECT_EQ(messages.at(name).rfind(start, 0), 0u) << name << ": " << messages.at(name);
}
} // namespace
