// The product window's picture page (kept apart from the grid code: the
// editor library's and the grid library's headers do not mix).
#include "uProductForm.h"

#include "ADODB.h"
#include "DB.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include <exception>
#include "cxImage.h"
#include "uDataForm.h"

void TProductForm::BindPicture() {
  BindComponent(this, "Image1", Image1);
  // Shown, not edited: the picture is the file's.
  Image1->Properties()->SetReadOnly(true);
}

void TProductForm::ds_ProductsDataChange(TObject*, TField* Field) {
  if (Field || !Image1) return;
  String no = d_Products->Active() && !d_Products->IsEmpty() ? d_Products->FieldByName("P_NO")->AsString() : String();
  String file = no.empty() ? String() : PictureFileName(no);
  lbPictureError->SetVisible(false);
  Image1->SetVisible(true);
  // The previous product's picture goes first: a file that cannot be read
  // must not leave it on the page.
  Image1->Picture()->Assign(nullptr);
  Image1->Invalidate();
  if (file.empty() || !FileExists(file)) return;
  String error;
  try {
    Image1->Picture()->LoadFromFile(file);
  } catch (const Exception& e) {
    error = e.Message();
  } catch (const std::exception& e) {
    error = e.what();
  }
  if (error.empty()) return;
  // A damaged file is named on the page, in place of the picture (the
  // label is no window and would lie under it); the product itself is
  // untouched.
  Image1->Picture()->Assign(nullptr);
  Image1->SetVisible(false);
  lbPictureError->SetCaption("无法读取图片文件 \"" + file + "\"：" + error);
  lbPictureError->SetVisible(true);
}

