#pragma once

#include <RTE/Export.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace RTE
{
namespace FileSystem
{
//! Size of the file behind the stream in bytes; the position is kept.
RTE_API std::uint64_t GetSize(std::FILE* file);
//! Current position of the stream, -1 on failure.
RTE_API std::int64_t GetPosition(std::FILE* file);
//! Moves to an absolute byte offset; false when the stream refused.
RTE_API bool SetPosition(std::FILE* file, std::uint64_t position);
//! The extension of a path without the dot ("" when there is none). With
//! `withDot` true the dot is kept.
RTE_API std::string ExtractExtension(const std::string& path, bool withDot);
} // namespace FileSystem

//! Portable form of the checked fopen: 0 and an open stream on success, an
//! errno value and a null stream on failure.
RTE_API int fopen_s(std::FILE** file, const char* path, const char* mode);

} // namespace RTE
