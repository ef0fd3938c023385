#include "Png.h"

#include "Common.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <memory>

namespace BufferTool
{
namespace
{
struct S_FileCloser
{
  void operator()(std::FILE* file) const { std::fclose(file); }
};

//! Big-endian rows as libpng wants them.
std::vector<png_byte> EncodeRows(const S_Picture& picture)
{
  const std::size_t bytesPerSample = picture.bitDepth == 16 ? 2 : 1;
  std::vector<png_byte> rows(picture.samples.size() * bytesPerSample);
  for (std::size_t i = 0; i < picture.samples.size(); ++i)
  {
    if (bytesPerSample == 2)
    {
      rows[2 * i] = static_cast<png_byte>(picture.samples[i] >> 8);
      rows[2 * i + 1] = static_cast<png_byte>(picture.samples[i] & 0xFF);
    }
    else
      rows[i] = static_cast<png_byte>(picture.samples[i]);
  }
  return rows;
}

//! libpng reports errors by longjmp: no object with a destructor may live in
//! this frame, so the caller owns everything.
bool WriteRows(std::FILE* file, const S_Picture& picture, png_bytep* rowPointers)
{
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png)
    return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png)))
  {
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return false;
  }
  png_init_io(png, file);
  const int colour = picture.channels == 3 ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_GRAY;
  png_set_IHDR(png, info, picture.width, picture.height, static_cast<int>(picture.bitDepth), colour, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rowPointers);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}
} // namespace

void WritePng(const std::string& path, const S_Picture& picture)
{
  std::vector<png_byte> rows = EncodeRows(picture);
  const std::size_t rowBytes = rows.size() / (picture.height ? picture.height : 1);
  std::vector<png_bytep> rowPointers(picture.height);
  for (unsigned y = 0; y < picture.height; ++y)
    rowPointers[y] = rows.data() + y * rowBytes;
  std::unique_ptr<std::FILE, S_FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file)
    throw ToolError("can't write PNG file " + path + ": the file can't be created");
  if (!WriteRows(file.get(), picture, rowPointers.data()))
    throw ToolError("can't write PNG file " + path + ": libpng failed");
}

} // namespace BufferTool
