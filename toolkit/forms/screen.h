#pragma once
// The screen object: the primary screen's size and the program's forms.
#include <vector>

class TForm;

class TScreen {
 public:
  int Width() const;
  int Height() const;
  // The form whose window is the active window of this thread, if any.
  TForm* ActiveForm() const;
  const std::vector<TForm*>& Forms() const noexcept { return forms_; }
  void AddForm(TForm* form);
  void RemoveForm(TForm* form);

 private:
  std::vector<TForm*> forms_;
};

TScreen& Screen();
