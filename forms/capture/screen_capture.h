#pragma once
// The picture-taking part of the two capture commands: screen pixels into an
// off-screen bitmap, in the depth and with the colour table that each command
// gives its pictures. The commands add the capture file, the questions and
// the save step; the benchmark and the tests call these directly.
#include <windows.h>

#include <string>
#include <thread>

#include "toolkit/graphics/bitmap.h"

// The capture file, in the process's current directory. The captures write
// it as ".\新截图1.BMP" (a failed write names that path); the viewer opens it
// by its bare name.
inline constexpr wchar_t kCaptureName[] = L"新截图1.BMP";
inline const std::wstring kCaptureFile = std::wstring(L".\\") + kCaptureName;

// Region capture: copies `area` (virtual-screen pixels, corners as dragged,
// in any order) from the screen DC into `bitmap`, a fresh bitmap; pixels on
// no monitor are black. The picture keeps the screen's depth; on a
// 256-colour palette display its colour table is the system palette, on
// deeper displays the screen's halftone palette rides along as the
// additional colour table. An area of zero width or height leaves the
// picture empty.
void CaptureScreenRect(HDC screen, const RECT& area, TBitmap& bitmap);

// Desktop capture: the whole primary screen from the screen DC into `bitmap`,
// a fresh bitmap, as an 8-bit picture whose colour table is the screen's
// halftone palette (each screen colour mapped to its nearest entry).
void CaptureDesktop(HDC screen, TBitmap& bitmap);

// The region selector's still picture: the virtual screen's `desktop`
// rectangle in 32 bits. The picture is new memory, which the system brings
// in a page at a time at the first write: for a full screen that costs more
// than the copy itself (23 ms for 8 MB on a machine here, against 6 ms for
// the copy). A worker brings it in from the moment the picture is made, so
// that a picture made while the user still chooses from the tray menu is
// ready by the time the selector shows.
class StillPicture {
 public:
  explicit StillPicture(const RECT& desktop);
  ~StillPicture();
  StillPicture(const StillPicture&) = delete;
  StillPicture& operator=(const StillPicture&) = delete;

  const RECT& Desktop() const noexcept { return desktop_; }
  TBitmap& Bitmap() noexcept { return bitmap_; }
  // Copies the screen into the picture, every monitor as it is and black
  // where there is none, in bands, once the memory is in: the `menu` area
  // (where the menu that chose the command was; may be empty) and its
  // shadow once the menu has left the screen (WaitForMenuToLeaveScreen),
  // the rest at once. With no area known, all of it after the wait.
  void Capture(HDC screen, const RECT& menu);

 private:
  RECT desktop_;
  TBitmap bitmap_;
  // Declared after the picture: it ends before the memory it writes to.
  std::jthread bring_in_;
};

// Waits, for at most about a quarter of a second, until the popup menu that
// chose a command has left the screen: no menu window of this thread is
// visible any more, and every other window has taken the server's news of
// the uncovered area and repainted it; given where the menu was (`menu`,
// screen pixels), only the windows there. No capture may keep the menu: the
// selector's still picture and the desktop capture wait here before they
// copy.
void WaitForMenuToLeaveScreen(const RECT& menu = {});
