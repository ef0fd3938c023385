#pragma once

// libtiff handles over a stdio stream the front end opened and will close.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

struct tiff;

namespace BufferTiff
{
//! Largest decoded page (and largest single libtiff allocation) accepted, so
//! that a damaged size field cannot make the reader exhaust memory.
inline constexpr std::uint64_t kMaxPageBytes = std::uint64_t(1) << 30;

//! One open TIFF over a FILE*. libtiff's errors and warnings of this handle go
//! to the handle (never to stderr or a process-wide handler), so that
//! parallel loads keep their messages apart. Closing the handle leaves the
//! stream open.
//!
//! A file is written in memory first and copied to the stream by Finish():
//! libtiff reads back earlier directories to link the next page, and the
//! front end's stream is open for writing only.
class C_TiffStream
{
public:
  enum class E_Mode
  {
    Read,
    Write,
    WriteBig
  };
  //! Raises "Not a readable TIFF file" (reading) or "Can't start the TIFF
  //! file" (writing), each with libtiff's reason, when libtiff refuses.
  C_TiffStream(std::FILE* file, E_Mode mode);
  ~C_TiffStream();
  C_TiffStream(const C_TiffStream&) = delete;
  C_TiffStream& operator=(const C_TiffStream&) = delete;

  tiff* Get() const { return m_tiff; }
  //! Writing: closes the TIFF and copies it to the stream. Raises "can't
  //! write the file" when libtiff or the stream fails.
  void Finish();
  //! Raises `what`, followed by ": " and the first error libtiff reported
  //! since the last call, when there was one.
  [[noreturn]] void Fail(const std::string& what);
  //! The first error libtiff reported since the last call; then empty again.
  std::string TakeError();

  struct Messages
  {
    std::string firstError;
  };
  struct MemoryFile;

private:
  std::unique_ptr<Messages> m_messages;
  std::unique_ptr<MemoryFile> m_memory;
  std::FILE* m_file;
  tiff* m_tiff = nullptr;
};

} // namespace BufferTiff
