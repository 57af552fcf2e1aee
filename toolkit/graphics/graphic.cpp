#include "toolkit/graphics/graphic.h"

#include "toolkit/win/file_stream.h"

void TGraphic::LoadFromFile(const std::wstring& path) {
  const std::vector<uint8_t> data = ReadWholeFile(path);
  LoadFromBytes(data);
}

void TGraphic::SaveToFile(const std::wstring& path) const {
  TFileStream stream(path);
  SaveToStream(stream);
  stream.Commit();
}

void TGraphic::SaveToStream(TFileStream& stream) const { stream.Write(SaveToBytes()); }
