#pragma once

// libtiff handles over a stdio stream the front end opened and will close.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

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
  //! Raises `what`, followed by ": " and the first error libtiff reported
  //! since the last call, when there was one.
  [[noreturn]] void Fail(const std::string& what);
  //! The first error libtiff reported since the last call; then empty again.
  std::string TakeError();

  struct Messages
  {
    std::string firstError;
  };

private:
  std::unique_ptr<Messages> m_messages;
  tiff* m_tiff = nullptr;
};

} // namespace BufferTiff
