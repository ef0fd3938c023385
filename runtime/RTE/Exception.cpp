#include "RTE/Exception.h"

#include <mutex>
#include <utility>

namespace RTE
{
namespace
{
std::mutex& LogMutex()
{
  static std::mutex mutex;
  return mutex;
}

LogHandler& CurrentHandler()
{
  static LogHandler handler;
  return handler;
}
} // namespace

Exception::Exception(const QString& message)
    : m_message(message)
    , m_what(message.toLatin1().toStdString())
{
}

Exception::~Exception() = default;

void Exception::setLocation(const QString& file, int line)
{
  m_file = file;
  m_line = line;
}

void Exception::log() const
{
  LogHandler handler;
  {
    std::lock_guard<std::mutex> lock(LogMutex());
    handler = CurrentHandler();
  }
  if (handler)
    handler(*this);
}

const char* Exception::what() const noexcept
{
  return m_what.c_str();
}

LogHandler SetLogHandler(LogHandler handler)
{
  std::lock_guard<std::mutex> lock(LogMutex());
  return std::exchange(CurrentHandler(), std::move(handler));
}

QString IndexMessage(const QString& text, long long index, long long lower, long long upper, int line,
                     const char* sourceUnit)
{
  QString message;
  QTextStream stream(&message);
  stream << text << ' ' << index << " out of bounds " << lower << " - " << upper << " [line " << line << " in file "
         << sourceUnit << ']';
  stream.flush();
  return message;
}

} // namespace RTE

QTextStream& operator<<(QTextStream& stream, const std::string& text)
{
  return stream << QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}
