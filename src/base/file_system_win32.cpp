#include "base/file_system.h"

#include <windows.h>

#include <vector>

namespace kv {

namespace {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                    nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

// Windows takes both separators; the rest of the program writes '/'.
std::wstring WidePath(const std::string& utf8) {
  std::wstring path = Wide(utf8);
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

HANDLE AsHandle(intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

// Closes a handle when the scope ends.
class ScopedHandle {
 public:
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ~ScopedHandle() {
    if (valid()) CloseHandle(handle_);
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

std::optional<FileIdentity> IdentityOfHandle(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info)) return std::nullopt;
  FileIdentity id;
  id.device = info.dwVolumeSerialNumber;
  id.inode = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  // 100 ns steps since 1601 to nanoseconds since 1970.
  const int64_t ticks = static_cast<int64_t>(
      (static_cast<uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
      info.ftLastWriteTime.dwLowDateTime);
  id.mtime_ns = (ticks - 116444736000000000LL) * 100;
  id.size = static_cast<int64_t>((static_cast<uint64_t>(info.nFileSizeHigh) << 32) |
                                 info.nFileSizeLow);
  return id;
}

bool IsMissing(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// The file a link at `path` ends in, as the system names it; the path itself when it is no link.
std::optional<std::wstring> FollowLinks(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return path;
  ScopedHandle file(CreateFileW(path.c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.valid()) return std::nullopt;
  std::vector<wchar_t> target(32768);
  const DWORD n = GetFinalPathNameByHandleW(file.get(), target.data(),
                                            static_cast<DWORD>(target.size()), 0);
  if (n == 0 || n >= target.size()) return std::nullopt;
  return std::wstring(target.data(), n);
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// Creates the temporary file, never through what sits at its name: a stale one (or a link
// planted there) is removed, not followed, and the name is taken anew.
HANDLE CreateTemporary(const std::wstring& temp) {
  const auto create = [&] {
    return CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  HANDLE file = create();
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS &&
      DeleteFileW(temp.c_str()))
    file = create();
  return file;
}

}  // namespace

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  ScopedHandle file(CreateFileW(WidePath(path).c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.valid()) return std::nullopt;
  return IdentityOfHandle(file.get());
}

bool SomethingAt(const std::string& path) {
  return GetFileAttributesW(WidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool RemoveFile(const std::string& path) {
  if (DeleteFileW(WidePath(path).c_str())) return true;
  return IsMissing(GetLastError());
}

bool RenameFile(const std::string& from, const std::string& to) {
  return MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), MOVEFILE_REPLACE_EXISTING);
}

bool CopyFileReplacing(const std::string& from, const std::string& to) {
  // The library's copy_file takes two files for one here (no inode numbers) and refuses.
  return CopyFileW(WidePath(from).c_str(), WidePath(to).c_str(), FALSE);
}

bool MoveUnlessTaken(const std::string& from, const std::string& to) {
  // Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken.
  return MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), 0);
}

bool SaveFileAtomically(const std::string& path, std::string_view bytes) {
  const std::optional<std::wstring> target = FollowLinks(WidePath(path));
  if (!target || target->empty()) return false;
  const std::wstring temp = *target + L".tmp";
  bool ok;
  {
    ScopedHandle file(CreateTemporary(temp));
    if (!file.valid()) return false;
    ok = WriteAll(file.get(), bytes) && FlushFileBuffers(file.get());
  }
  // The replaced file's attributes (hidden, archive, ...) go to the new one; a read-only file
  // stays read-only and is therefore not replaced.
  const DWORD old = GetFileAttributesW(target->c_str());
  if (ok && old != INVALID_FILE_ATTRIBUTES)
    SetFileAttributesW(temp.c_str(), old & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                            FILE_ATTRIBUTE_ARCHIVE |
                                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED));
  // MOVEFILE_WRITE_THROUGH returns only once the move is on the disk, the directory included.
  if (!ok || !MoveFileExW(temp.c_str(), target->c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(temp.c_str());
    return false;
  }
  return true;
}

FileOpen ReadOnlyFile::Open(const std::string& path, bool alone) {
  Close();
  // Alone: other readers are let in, writers are not (and one that has it open keeps us out).
  // Renaming and deleting stay possible while it is open, as on other systems.
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_DELETE | (alone ? 0 : FILE_SHARE_WRITE);
  HANDLE file = CreateFileW(WidePath(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (IsMissing(error)) return FileOpen::Missing;
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) return FileOpen::Busy;
    // A directory cannot be opened this way.
    const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
      return FileOpen::NotRegular;
    return FileOpen::Unreadable;
  }
  // A device (NUL, COM1, ...) or a pipe is no file to read.
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return FileOpen::NotRegular;
  }
  // Another reader that wants it alone is kept out by the lock (closing lets go of it).
  OVERLAPPED whole{};
  if (alone && !LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                           MAXDWORD, &whole)) {
    const DWORD error = GetLastError();
    CloseHandle(file);
    return error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING ? FileOpen::Busy
                                                                      : FileOpen::Unreadable;
  }
  handle_ = reinterpret_cast<intptr_t>(file);
  return FileOpen::Opened;
}

int64_t ReadOnlyFile::Read(char* buffer, size_t size) {
  if (!IsOpen()) return -1;
  const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
  DWORD got = 0;
  if (!ReadFile(AsHandle(handle_), buffer, chunk, &got, nullptr)) return -1;
  return got;
}

bool ReadOnlyFile::Rewind() {
  LARGE_INTEGER start{};
  return IsOpen() && SetFilePointerEx(AsHandle(handle_), start, nullptr, FILE_BEGIN);
}

std::optional<FileIdentity> ReadOnlyFile::Identity() const {
  if (!IsOpen()) return std::nullopt;
  return IdentityOfHandle(AsHandle(handle_));
}

void ReadOnlyFile::Close() {
  if (!IsOpen()) return;
  CloseHandle(AsHandle(handle_));
  handle_ = kClosed;
}

}  // namespace kv
