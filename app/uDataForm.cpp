#include "uDataForm.h"

#include "DateUtils.h"
#include "Graphics.h"
#include "SysUtils.h"
#include "Utf8.h"

namespace {

Integer ShowBox(HWND owner, const String& text, const String& caption, const char* defaultCaption, UINT flags) {
  std::u16string t = Utf8ToUtf16(text);
  std::u16string c = Utf8ToUtf16(caption.empty() ? String(defaultCaption) : caption);
  return MessageBoxW(owner, reinterpret_cast<LPCWSTR>(t.c_str()), reinterpret_cast<LPCWSTR>(c.c_str()), flags);
}

}  // namespace

Integer MsgConfirm(HWND owner, const String& text, const String& caption) {
  return ShowBox(owner, text, caption, "确认", MB_OKCANCEL | MB_ICONQUESTION);
}

Integer MsgInfo(HWND owner, const String& text, const String& caption) {
  return ShowBox(owner, text, caption, "信息", MB_OK | MB_ICONINFORMATION);
}

Integer MsgError(HWND owner, const String& text, const String& caption) {
  return ShowBox(owner, text, caption, "错误", MB_OK | MB_ICONERROR);
}

TSize GetAveCharSize(TCanvas* canvas) {
  // TextExtent selects the canvas's current font before it measures.
  TSize size = canvas->TextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  return TSize(size.cx / 52, size.cy);
}

String NextDocumentNumber(const String& highest, TDateTime today) {
  String day = FormatDateTime("yyyymmdd", today);
  if (highest.empty()) return day + "0001";
  String count = Copy(highest, 9, 4);
  bool digits = count.size() == 4;
  for (char c : count) digits = digits && c >= '0' && c <= '9';
  if (!digits) throw EConvertError("'" + count + "' is not a valid integer value");
  Integer next = StrToInt(count) + 1;
  if (next > 9999)
    throw EDatabaseError("单据号已用完: " + day + " 这一天已有 9999 个单据号, 无法再生成新的单据号.");
  return day + Format("%.4d", {next});
}
