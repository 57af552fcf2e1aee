// The reader against every file of the shared BMP conformance suite.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "png_reader.h"
#include "tests/support/bmp_reference.h"
#include "toolkit/graphics/bmp_codec.h"

namespace {

namespace fs = std::filesystem;
using kelvora_image::BmpImage;
using kelvora_image::DecodeBmp;
using kelvora_image::InvalidBitmap;

fs::path SuiteDir() { return fs::path(KELVORA_SHARED_DIR) / "testdata" / "bmpsuite"; }

// Files of bad/ that this reader shows instead of rejecting, and why it may:
// the resolution fields and bfSize are never used; an index past the colour
// table shows black; a zero blue mask gives blue 0.
const std::set<std::string> kBadButShownSafely = {
    "bad/baddens1.bmp", "bad/baddens2.bmp", "bad/badfilesize.bmp", "bad/pal8badindex.bmp",
    "bad/rgb16-880.bmp",
};

// Questionable files whose stored pixels are deliberately not the picture:
// they show right only through their embedded colour profile, which is not
// applied here (plain bitmap drawing on the system ignores it too).
const std::set<std::string> kRenderedThroughProfile = {"questionable/rgb24prof2.bmp"};

std::map<std::string, std::string> ReferenceMap() {
  std::map<std::string, std::string> map;
  std::ifstream in(SuiteDir() / "reference-map.tsv");
  std::string line;
  std::getline(in, line);  // column names
  while (std::getline(in, line)) {
    const size_t tab = line.find('\t');
    if (tab != std::string::npos) map[line.substr(0, tab)] = line.substr(tab + 1);
  }
  return map;
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(SuiteDir() / folder)) {
    if (entry.path().extension() == ".bmp") names.push_back(folder + "/" + entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<uint8_t> Read(const std::string& name) {
  return kelvora_test::ReadWholeFile((SuiteDir() / name).string());
}

std::string Hex(uint32_t v) {
  std::ostringstream out;
  out << "0x" << std::hex << v;
  return out.str();
}

// Compares the decoded picture with its reference rendering: RGB only, only
// where the reference is fully opaque, each channel within `tolerance`.
// Returns "" when the reference cannot be read (the reason goes to
// `skipped`), else "ok" or the first difference.
std::string CompareWithReference(const std::string& name, const BmpImage& image,
                                 std::string reference, int tolerance,
                                 std::vector<std::string>& skipped) {
  std::string why;
  auto png = kelvora_test::ReadPng(Read(reference), &why);
  // The suite names, for a picture with non-square pixels, a rendering drawn
  // at its pixel aspect ("-v"); pixels are shown as stored here, so its
  // exact-pixel rendering ("-e") is the one to compare with.
  const size_t aspect = reference.rfind("-v.png");
  if (png && (png->width != image.width || png->height != image.height) &&
      aspect != std::string::npos) {
    reference.replace(aspect, 6, "-e.png");
    png = kelvora_test::ReadPng(Read(reference), &why);
  }
  if (!png) {
    skipped.push_back(name + " (" + reference + ": " + why + ")");
    return "";
  }
  if (png->width != image.width || png->height != image.height) {
    return "reference is " + std::to_string(png->width) + "x" + std::to_string(png->height) +
           ", picture " + std::to_string(image.width) + "x" + std::to_string(image.height);
  }
  const std::vector<uint32_t> argb = kelvora_image::ToArgb(image);
  for (size_t i = 0; i < argb.size(); ++i) {
    const uint32_t want = png->argb[i];
    if ((want >> 24) != 0xFF) continue;
    for (int shift : {0, 8, 16}) {
      const int got_channel = static_cast<int>((argb[i] >> shift) & 0xFF);
      const int want_channel = static_cast<int>((want >> shift) & 0xFF);
      if (std::abs(got_channel - want_channel) > tolerance) {
        return "pixel (" + std::to_string(i % image.width) + ", " + std::to_string(i / image.width) +
               ") is " + Hex(argb[i] & 0xFFFFFF) + ", reference " + Hex(want & 0xFFFFFF);
      }
    }
  }
  return "ok";
}

class BmpSuite : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::is_directory(SuiteDir())) {
      // CI always has the shared test data beside the clone: missing there,
      // it is a broken checkout, not a reason to test less.
      const char* ci = std::getenv("CI");
      if (ci && std::string(ci) == "true") FAIL() << "no BMP suite at " << SuiteDir() << " (CI=true)";
      GTEST_SKIP() << "no BMP suite at " << SuiteDir()
                   << ": this clone has no ../shared beside it";
    }
    references_ = ReferenceMap();
  }
  void TearDown() override {
    for (const std::string& s : skipped_) std::cout << "reference not compared: " << s << "\n";
  }

  std::map<std::string, std::string> references_;
  std::vector<std::string> skipped_;
};

// What each folder of the suite asks of the reader, file by file: a good
// file loads and matches its reference exactly; a questionable one is
// rejected, or loads and matches within one step (channels stored with more
// than 8 bits may round either way); a bad one is rejected, unless it is one
// of those shown safely, which must then match its reference.
enum class Verdict { Loads, LoadsOrIsRejected, IsRejected };

struct Folder {
  const char* name;
  Verdict verdict;
  bool reference_required;
  int tolerance;
};

TEST_F(BmpSuite, EveryFileIsReadAsItsFolderAsks) {
  const Folder folders[] = {
      {"good", Verdict::Loads, true, 0},
      {"questionable", Verdict::LoadsOrIsRejected, false, 1},
      {"bad", Verdict::IsRejected, false, 0},
  };
  for (const Folder& folder : folders) {
    const auto files = FilesIn(folder.name);
    ASSERT_FALSE(files.empty()) << folder.name;
    for (const std::string& name : files) {
      SCOPED_TRACE(name);
      const Verdict verdict = kBadButShownSafely.contains(name) ? Verdict::Loads : folder.verdict;
      BmpImage image;
      try {
        image = DecodeBmp(Read(name));
      } catch (const InvalidBitmap&) {
        if (verdict == Verdict::Loads) ADD_FAILURE() << "rejected";
        continue;
      }
      if (verdict == Verdict::IsRejected) {
        ADD_FAILURE() << "loaded, where it is to be rejected";
        continue;
      }
      ASSERT_EQ(kelvora_image::ToArgb(image).size(), static_cast<size_t>(image.width) * image.height);
      const auto ref = references_.find(name);
      if (ref == references_.end() || ref->second == "-") {
        if (folder.reference_required) ADD_FAILURE() << "no reference named";
        continue;
      }
      if (kRenderedThroughProfile.contains(name)) {
        skipped_.push_back(name + " (its colours are right only through its colour profile)");
        continue;
      }
      const std::string result = CompareWithReference(name, image, ref->second, folder.tolerance, skipped_);
      if (!result.empty()) {
        EXPECT_EQ(result, "ok");
      }
    }
  }
}

}  // namespace
