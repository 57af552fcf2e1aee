#pragma once
// The farewell window: the flag, fading in from fully transparent over about
// ten seconds, then closing by itself; a double click closes it at once. It
// frees itself when it closes.
#include <cstdint>

#include "components/shapehint/shape_hint.h"
#include "toolkit/forms/form.h"
#include "toolkit/forms/image.h"
#include "toolkit/win/timer.h"

class TForm6 : public TForm {
 public:
  explicit TForm6(TComponent* owner);
  ~TForm6() override;
  const wchar_t* ClassName() const override { return L"TForm6"; }

  TImage* Image1 = nullptr;
  TTimer* Timer1 = nullptr;  // fade-in
  TShapeHint* ShapeHint1 = nullptr;

  void FormCreate(TComponent* sender);
  void Timer1Timer(TComponent* sender);
  void Image1DblClick(TComponent* sender);
  void FormClose(TComponent* sender, TCloseAction& action);

  int32_t FadeCounter() const noexcept { return fade_counter_; }

 private:
  int32_t fade_counter_ = 0;
};

// Builds the farewell window's controls and stored properties, in layout order.
void LoadForm6Layout(TForm6& form);

// The farewell picture's hint.
inline constexpr wchar_t kFarewellHint[] = L"Orvak软件：这里是中国！( 双击立刻关闭此窗口.)";

// The farewell window while it exists (it clears this when it goes).
extern TForm6* Form6;
