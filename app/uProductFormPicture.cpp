// The product window's picture page (kept apart from the grid code: the
// editor library's and the grid library's headers do not mix).
#include "uProductForm.h"

#include "ADODB.h"
#include "DB.h"
#include "StdCtrls.h"
#include "SysUtils.h"
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
  if (file.empty() || !FileExists(file)) {
    Image1->Picture()->Assign(nullptr);
    return;
  }
  try {
    Image1->Picture()->LoadFromFile(file);
  } catch (const Exception& e) {
    // A damaged file is named on the page; the product itself is untouched.
    Image1->Picture()->Assign(nullptr);
    lbPictureError->SetCaption("无法读取图片文件 \"" + file + "\": " + e.Message());
    lbPictureError->SetVisible(true);
  }
}

