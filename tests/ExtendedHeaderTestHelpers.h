#pragma once

// Files in memory for the tests of the extended header and its blocks.

#include <BufferApi/I_Attribute.h>
#include <BufferApi/I_Buffer.h>
#include <BufferApi/I_Frame.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace ExtendedHeaderTestHelpers
{
using Bytes = std::vector<unsigned char>;

//! A std::tmpfile that is closed (and so removed) at the end of the scope.
class TempFile
{
public:
  TempFile()
      : m_file(std::tmpfile())
  {
  }
  explicit TempFile(const Bytes& bytes)
      : TempFile()
  {
    if (!bytes.empty())
      std::fwrite(bytes.data(), 1, bytes.size(), m_file);
    std::rewind(m_file);
  }
  ~TempFile() { std::fclose(m_file); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  std::FILE* get() const { return m_file; }
  //! Every byte of the file; the position goes back to the start.
  Bytes All() const
  {
    std::fflush(m_file);
    std::rewind(m_file);
    Bytes bytes;
    int c;
    while ((c = std::fgetc(m_file)) != EOF)
      bytes.push_back(static_cast<unsigned char>(c));
    std::rewind(m_file);
    return bytes;
  }

private:
  std::FILE* m_file;
};

inline std::unique_ptr<BufferApi::I_Buffer> ImageBuffer(unsigned frames, unsigned width = 3, unsigned height = 2,
                                                        unsigned depth = 1,
                                                        BufferApi::E_DataType type = BufferApi::DT_UInt16)
{
  std::unique_ptr<BufferApi::I_Buffer> buffer(BufferApi::CreateBuffer());
  for (unsigned f = 0; f < frames; ++f)
    buffer->AddImageFrame(width, height, depth, type);
  return buffer;
}

inline void AppendI32(Bytes& bytes, std::int32_t value)
{
  unsigned char raw[4];
  std::memcpy(raw, &value, 4);
  bytes.insert(bytes.end(), raw, raw + 4);
}

inline void AppendText(Bytes& bytes, const std::string& text)
{
  bytes.insert(bytes.end(), text.begin(), text.end());
}

//! A tag head and content.
inline Bytes Tag(std::int32_t type, const std::string& content)
{
  Bytes bytes;
  AppendI32(bytes, type);
  AppendI32(bytes, static_cast<std::int32_t>(content.size()));
  AppendText(bytes, content);
  return bytes;
}

inline Bytes Concat(std::initializer_list<Bytes> parts)
{
  Bytes all;
  for (const Bytes& part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}

inline std::int32_t I32At(const Bytes& bytes, std::size_t offset)
{
  std::int32_t value;
  std::memcpy(&value, bytes.data() + offset, 4);
  return value;
}

inline std::string TextAt(const Bytes& bytes, std::size_t offset, std::size_t size)
{
  return std::string(reinterpret_cast<const char*>(bytes.data()) + offset, size);
}

struct TagView
{
  std::int32_t type;
  std::string content;
};

//! The tags of a written extended header, end tag included.
inline std::vector<TagView> ParseTags(const Bytes& bytes)
{
  std::vector<TagView> tags;
  std::size_t offset = 0;
  while (offset + 8 <= bytes.size())
  {
    const std::int32_t type = I32At(bytes, offset);
    const std::int32_t length = I32At(bytes, offset + 4);
    tags.push_back({type, TextAt(bytes, offset + 8, static_cast<std::size_t>(length))});
    offset += 8 + static_cast<std::size_t>(length);
    if (type == 0)
      break;
  }
  return tags;
}

inline std::string StringOf(const BufferApi::I_AttributeBase* attribute)
{
  const auto* text = dynamic_cast<const BufferApi::I_Attribute<std::string>*>(attribute);
  return text ? text->GetValue() : "<no string attribute>";
}

} // namespace ExtendedHeaderTestHelpers
