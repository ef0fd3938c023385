#pragma once

#include <QString>
#include <QTextStream>

#include <exception>
#include <functional>
#include <string>

namespace RTE
{
//! The exception type of the runtime layer and of every library built on it.
//! Thrown by value; catchable as std::exception.
class Exception : public std::exception
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
class VerificationFailed : public Exception
{
public:
  using Exception::Exception;
};

//! Receives every exception that is logged. An empty handler silences the log.
using LogHandler = std::function<void(const Exception&)>;

//! Installs the application's log handler; returns the one it replaces.
LogHandler SetLogHandler(LogHandler handler);

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
QString IndexMessage(const QString& text, long long index, long long lower, long long upper, int line,
                     const char* sourceUnit);

} // namespace RTE

//! Streams a std::string as 8-bit text, like the QTextStream insertions of Qt.
QTextStream& operator<<(QTextStream& stream, const std::string& text);

//! Raises an exception of type ExType whose message is built by streaming
//! `streamed` into a QTextStream, e.g.
//!   RTE_RAISE(RTE::Exception, "Sources\\C_Plane", "Width " << w << " too large.");
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
