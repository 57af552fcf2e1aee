#include "toolkit/win/file_stream.h"

#include <windows.h>

#include <algorithm>

#include "toolkit/core/exceptions.h"
#include "toolkit/win/handle.h"

namespace {
std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return L".";
  if (slash == 0 || (slash == 2 && path[1] == L':')) return path.substr(0, slash + 1);
  return path.substr(0, slash);
}
}  // namespace

std::vector<uint8_t> ReadWholeFile(const std::wstring& path) {
  unique_hfile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw EReadError(FormatMessageText(L"Cannot open file %s", path));
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF)
    throw EReadError(L"Stream read error");
  std::vector<uint8_t> data(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (done < data.size()) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1u << 24));
    if (!ReadFile(file.get(), data.data() + done, want, &got, nullptr) || got == 0)
      throw EReadError(L"Stream read error");
    done += got;
  }
  return data;
}

TFileStream::TFileStream(const std::wstring& path) : path_(path) {
  // A read-only file cannot be opened for writing, so it cannot be created
  // over either; the rename at Commit would replace it all the same (Wine
  // lets it), so it is refused here.
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    throw EFCreateError(FormatMessageText(L"Cannot create file %s", path));
  wchar_t temp[MAX_PATH + 1] = {};
  if (!GetTempFileNameW(FolderOf(path).c_str(), L"kv", 0, temp))
    throw EFCreateError(FormatMessageText(L"Cannot create file %s", path));
  temp_ = temp;
  file_.reset(CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file_) {
    DeleteFileW(temp);
    throw EFCreateError(FormatMessageText(L"Cannot create file %s", path));
  }
}

TFileStream::~TFileStream() {
  file_.reset();
  if (!committed_) DeleteFileW(temp_.c_str());  // nothing to report from here
}

void TFileStream::Write(std::span<const uint8_t> data) {
  size_t done = 0;
  while (done < data.size()) {
    DWORD put = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1u << 24));
    if (!file_ || !WriteFile(file_.get(), data.data() + done, want, &put, nullptr) || put == 0)
      throw EWriteError(L"Stream write error");
    done += put;
  }
}

void TFileStream::Commit() {
  // On the disk before it replaces the target: a rename that reaches the
  // disk before the data would leave an empty file in place of the old one
  // after a power cut ("魔法关机" follows a capture closely). Closed next: a
  // file still open cannot be renamed over the target.
  const bool closed = file_ && FlushFileBuffers(file_.get()) && CloseHandle(file_.release());
  if (!closed) throw EWriteError(L"Stream write error");
  if (!MoveFileExW(temp_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
    throw EFCreateError(FormatMessageText(L"Cannot create file %s", path_));
  committed_ = true;
}
