#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace kv {

// File helpers of the working files. Files are raw bytes: nothing is translated.

// The current local date and time.
std::tm SystemLocalTime();
// The date and time as the working files stamp them: "dd.mm.yyyy" and "hh:mm:ss".
std::string DateText(const std::tm& t);
std::string TimeText(const std::tm& t);

// Makes an existing file writable again (the read-only attribute of the working files).
void ClearAttributes(const std::string& path);
bool FileExists(const std::string& path);
// Appends bytes; false when the file cannot be opened or written.
bool AppendBytes(const std::string& path, std::string_view bytes);
// Creates or truncates the file with these bytes; false when it cannot be written fully.
bool WriteBytes(const std::string& path, std::string_view bytes);
// Copies `from` over `to` (overwriting); false on any failure.
bool CopyFileOver(const std::string& from, const std::string& to);

// Directory part of a path (up to the last separator, without it); empty when there is none.
std::string DirectoryPart(const std::string& path);
std::string FileNamePart(const std::string& path);
// `dir` + separator + `name`, or `name` alone when `dir` is empty.
std::string JoinPath(const std::string& dir, const std::string& name);

// The backup target: with `dated` the directory of `backup1` and "zal_yymmdd.txt", otherwise
// `backup1` itself.
std::string BackupTarget(const std::string& backup1, bool dated, const std::tm& now);

}  // namespace kv
