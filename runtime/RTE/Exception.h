#pragma once

#include <RTE/Export.h>

#include <QString>
#include <QTextStream>

#include <cstddef>
#include <exception>
#include <functional>
#include <string>
#include <utility>

namespace RTE
{
//! The exception type of the runtime layer and of every library built on it.
//! Thrown by value; catchable as std::exception.
class RTE_API Exception : public std::exception
{
public:
  explicit Exception(const QString& message);
  ~Exception() override;
  Exception(const Exception&) = default;
  Exception& operator=(const Exception&) = default;

  //! Records the source unit and line that raised the exception.
  void setLocation(const QString& file, int line);
  //! Hands the exception to the application's log handler (quiet by default).
  void log() const;

  QString message() const { return m_message; }
  QString file() const { return m_file; }
  int line() const { return m_line; }

  //! The message as 8-bit text.
  const char* what() const noexcept override;

private:
  QString m_message;
  QString m_file;
  int m_line = 0;
  std::string m_what;
};

//! A failed precondition on a caller's arguments or a failed checked downcast.
class RTE_API VerificationFailed : public Exception
{
public:
  using Exception::Exception;
};

//! Receives every exception that is logged. An empty handler silences the log.
using LogHandler = std::function<void(const Exception&)>;

//! Installs the application's log handler; returns the one it replaces.
RTE_API LogHandler SetLogHandler(LogHandler handler);

//! Logs the exception, records its location and throws it; never returns.
template <typename E>
[[noreturn]] void Throw(E exception, const char* sourceUnit, int line)
{
  exception.setLocation(QString::fromLatin1(sourceUnit), line);
  exception.log();
  throw exception;
}

//! Builds the message of an index error:
//! "<text> <index> out of bounds <lower> - <upper> [line <line> in file <unit>]".
RTE_API QString IndexMessage(const QString& text, long long index, long long lower, long long upper, int line,
                             const char* sourceUnit);

namespace Detail
{
//! The folders directly below the project root; a unit's name starts at the
//! last of them in its file path.
inline constexpr const char* kRootFolders[] = {"Sources", "runtime", "Compression", "tests", "bench", "examples"};

constexpr bool IsSeparator(char c)
{
  return c == '/' || c == '\\';
}

constexpr std::size_t Length(const char* text)
{
  std::size_t length = 0;
  while (text[length] != '\0')
    ++length;
  return length;
}

//! True when the path component starting at `start` is exactly `folder`.
constexpr bool ComponentIs(const char* path, std::size_t start, const char* folder)
{
  std::size_t i = 0;
  for (; folder[i] != '\0'; ++i)
  {
    if (path[start + i] != folder[i])
      return false;
  }
  return IsSeparator(path[start + i]);
}

//! Offset of the unit name in a file path: the last component that is a root
//! folder. Paths may be absolute or relative ("../Sources/C_Buffer.cpp", as a
//! compiler cache writes them), with either separator.
constexpr std::size_t SourceUnitStart(const char* path)
{
  std::size_t start = 0;
  for (std::size_t i = 0; path[i] != '\0'; ++i)
  {
    if (i != 0 && !IsSeparator(path[i - 1]))
      continue;
    for (const char* folder : kRootFolders)
    {
      if (ComponentIs(path, i, folder))
        start = i;
    }
  }
  return start;
}

//! Length of the unit name: the path from SourceUnitStart up to the extension
//! of the file name (a dot in a folder name stays).
constexpr std::size_t SourceUnitLength(const char* path)
{
  const std::size_t start = SourceUnitStart(path);
  const std::size_t length = Length(path);
  std::size_t end = length;
  for (std::size_t i = length; i > start; --i)
  {
    if (IsSeparator(path[i - 1]))
      break;
    if (path[i - 1] == '.')
    {
      end = i - 1;
      break;
    }
  }
  return end - start;
}

//! Character `index` of the unit name, with backslashes as separators.
constexpr char SourceUnitChar(const char* path, std::size_t index)
{
  const char c = path[SourceUnitStart(path) + index];
  return c == '/' ? '\\' : c;
}

template <char... Chars>
struct SourceUnitText
{
  static constexpr char text[sizeof...(Chars) + 1] = {Chars..., '\0'};
};

template <typename File, std::size_t... Index>
constexpr const char* SourceUnitOf(std::index_sequence<Index...>)
{
  return SourceUnitText<SourceUnitChar(File::Path(), Index)...>::text;
}

template <typename File>
constexpr const char* SourceUnitOf(File)
{
  return SourceUnitOf<File>(std::make_index_sequence<SourceUnitLength(File::Path())>{});
}
} // namespace Detail

} // namespace RTE

//! The name of the raising unit, made at compile time from __FILE__: the path
//! below the project root without extension, with backslashes, e.g.
//! "Sources\\C_Buffer". Each unit that raises defines once, in an anonymous
//! namespace: const char* const kSourceUnit = RTE_SOURCE_UNIT;
#define RTE_SOURCE_UNIT                                                                                                \
  (                                                                                                                    \
      []                                                                                                               \
      {                                                                                                                \
        struct RteSourceFile_                                                                                          \
        {                                                                                                              \
          static constexpr const char* Path() { return __FILE__; }                                                     \
        };                                                                                                             \
        return ::RTE::Detail::SourceUnitOf(RteSourceFile_{});                                                          \
      }())

//! Streams a std::string as 8-bit text, like the QTextStream insertions of Qt.
RTE_API QTextStream& operator<<(QTextStream& stream, const std::string& text);

//! Raises an exception of type ExType whose message is built by streaming
//! `streamed` into a QTextStream, e.g.
//!   RTE_RAISE(RTE::Exception, kSourceUnit, "Width " << w << " too large.");
#define RTE_RAISE(ExType, sourceUnit, streamed)                                                                        \
  do                                                                                                                   \
  {                                                                                                                    \
    QString rteMessage_;                                                                                               \
    {                                                                                                                  \
      QTextStream rteStream_(&rteMessage_);                                                                            \
      rteStream_ << streamed;                                                                                          \
    }                                                                                                                  \
    ::RTE::Throw(ExType(rteMessage_), sourceUnit, __LINE__);                                                           \
  } while (false)

//! Raises an index error with the message shape of RTE::IndexMessage.
#define RTE_RAISE_INDEX(ExType, sourceUnit, text, index, lower, upper)                                                 \
  ::RTE::Throw(                                                                                                        \
      ExType(::RTE::IndexMessage(QString::fromLatin1(text), (index), (lower), (upper), __LINE__, sourceUnit)),         \
      sourceUnit, __LINE__)
