#include "window/Module_FormCollor.h"

#include "window/Form1.h"

namespace tavro {

void ApplyControlColors(Form1& form) {
  form.Frame1.SetBackColor(color::kWhite);
  form.Frame2.SetBackColor(color::kWhite);
  form.Frame8.SetBackColor(color::kWhite);
  form.Frame17.SetBackColor(color::kWhite);
  form.Option1[0].SetBackColor(color::kWhite);
  form.Option1[1].SetBackColor(color::kWhite);
  form.Option2[0].SetBackColor(color::kWhite);
  form.Option2[1].SetBackColor(color::kWhite);
}

}  // namespace tavro
