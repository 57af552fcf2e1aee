#pragma once
// A picture of any kind: the base of the bitmap, JPEG, icon and metafile
// classes, with their file reads and writes.
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class TFileStream;

class TGraphic {
 public:
  virtual ~TGraphic() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  bool Empty() const { return Width() <= 0 || Height() <= 0; }
  // Draws the picture stretched into `dest`.
  virtual void Draw(HDC dc, const RECT& dest) const = 0;
  virtual void LoadFromBytes(std::span<const uint8_t> data) = 0;
  // The picture in its own file format.
  virtual std::vector<uint8_t> SaveToBytes() const = 0;

  void LoadFromFile(const std::wstring& path);
  void SaveToFile(const std::wstring& path) const;

 protected:
  // Writes the picture's file into `stream`; by default all of SaveToBytes.
  virtual void SaveToStream(TFileStream& stream) const;
};
