#pragma once
// Whole-file reads, and files written in pieces, with the toolkit's stream
// errors.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "toolkit/win/handle.h"

// Reads the whole file; EFOpenError-like EReadError "Cannot open file %s"
// when it cannot be opened.
std::vector<uint8_t> ReadWholeFile(const std::wstring& path);

// A file written from start to end in pieces. A failed write never destroys
// an existing file: the pieces go to a new file in the same folder, which
// replaces the target only at Commit, once it is complete; a stream dropped
// without Commit removes that new file and leaves the target as it was.
// Raises EFCreateError "Cannot create file %s" (with the target path) when
// the file cannot be created or replaced, and EWriteError "Stream write
// error" when writing stops short.
class TFileStream {
 public:
  explicit TFileStream(const std::wstring& path);
  ~TFileStream();
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  void Write(std::span<const uint8_t> data);
  void Commit();

 private:
  std::wstring path_, temp_;
  unique_hfile file_;  // the new file, until Commit closes it
  bool committed_ = false;
};
