#pragma once
// Whole-file reads and writes with the toolkit's stream errors.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Reads the whole file; EFOpenError-like EReadError "Cannot open file %s"
// when it cannot be opened.
std::vector<uint8_t> ReadWholeFile(const std::wstring& path);

// Writes `data` as the file's whole content. A failed write never destroys
// an existing file: the data goes to a new file in the same folder, which
// replaces the target only once it is complete. Raises EFCreateError
// "Cannot create file %s" (with the target path) when the file cannot be
// created or replaced, and EWriteError "Stream write error" when writing
// stops short.
void WriteWholeFile(const std::wstring& path, std::span<const uint8_t> data);
