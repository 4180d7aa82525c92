// The real program, started as its own process over a fresh program folder
// and driven through its windows the way a user would.
#include <windows.h>
#include <commctrl.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>
#include "DialogAnswerer.h"
#include "PrintedText.h"
#include "Graphics.h"
#include "Jpeg.h"
#include "TempDir.h"
#include "Workbook.h"
#include "gtest.h"

namespace {

std::u16string U16(const std::string& s) {
  int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0);
  std::u16string w(size_t(n), u'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), reinterpret_cast<LPWSTR>(w.data()), n);
  return w;
}

bool CopyFileTo(const std::string& from, const std::string& to) {
  std::ifstream in(from, std::ios::binary);
  std::ofstream out(to, std::ios::binary);
  out << in.rdbuf();
  return in.good() && out.good() && chmod(to.c_str(), 0755) == 0;
}

// Writes 24-bit rows (top-down, BGRA as GetDIBits gives them) as a PNG.
void WritePng(const std::string& file, int w, int h, const std::vector<uint8_t>& bgra) {
  std::string raw;
  for (int y = 0; y < h; ++y) {
    raw += char(0);   // no filter
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = &bgra[size_t(y * w + x) * 4];
      raw += char(p[2]);
      raw += char(p[1]);
      raw += char(p[0]);
    }
  }
  uLongf zlen = compressBound(uLong(raw.size()));
  std::string z(zlen, '\0');
  compress2(reinterpret_cast<Bytef*>(z.data()), &zlen, reinterpret_cast<const Bytef*>(raw.data()), uLong(raw.size()), 6);
  z.resize(zlen);
  std::ofstream out(file, std::ios::binary);
  auto be32 = [](uint32_t v) {
    return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
  };
  auto chunk = [&](const char* type, const std::string& data) {
    std::string td = std::string(type, 4) + data;
    out << be32(uint32_t(data.size())) << td
        << be32(uint32_t(crc32(0, reinterpret_cast<const Bytef*>(td.data()), uInt(td.size()))));
  };
  out << "\x89PNG\r\n\x1a\n";
  chunk("IHDR", be32(uint32_t(w)) + be32(uint32_t(h)) + std::string{8, 2, 0, 0, 0});
  chunk("IDAT", z);
  chunk("IEND", "");
}

// The pixels of a window as the screen shows it (the part on the screen: a
// maximised window reaches past its edges).
void WriteWindowPng(HWND hwnd, const std::string& file) {
  RECT win, display{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, r;
  GetWindowRect(hwnd, &win);
  IntersectRect(&r, &win, &display);
  int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(mem, old);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  std::vector<uint8_t> pixels(size_t(w) * h * 4);
  GetDIBits(mem, bmp, 0, h, pixels.data(), &bi, DIB_RGB_COLORS);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  WritePng(file, w, h, pixels);
}

// One run of the program in its own folder.
class ProgramRun {
 public:
  explicit ProgramRun(const std::string& folder) {
    // Dialogs of the program are unmanaged windows here too (see
    // TestEnvironment.cpp): no withdrawal wait on a bare display.
    // (Wine names the program by its file: started as here it is
    // tovani.exe.so, started by its launcher tovani.exe.)
    for (const char16_t* name : {u"Software\\Wine\\AppDefaults\\tovani.exe\\X11 Driver",
                                 u"Software\\Wine\\AppDefaults\\tovani.exe.so\\X11 Driver"}) {
      HKEY key;
      if (RegCreateKeyExW(HKEY_CURRENT_USER, reinterpret_cast<LPCWSTR>(name), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                          &key, nullptr) == ERROR_SUCCESS) {
        RegSetValueExW(key, reinterpret_cast<LPCWSTR>(u"Managed"), 0, REG_SZ, reinterpret_cast<const BYTE*>(u"N"), 4);
        RegCloseKey(key);
      }
    }
    std::u16string cmd = u"\"Z:" + U16(folder) + u"/tovani.exe.so\"";
    for (auto& c : cmd)
      if (c == u'/') c = u'\\';
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    // Started from another working folder: data.mdb is found beside the program.
    Started = CreateProcessW(nullptr, reinterpret_cast<LPWSTR>(cmd.data()), nullptr, nullptr, FALSE, 0, nullptr,
                             reinterpret_cast<LPCWSTR>(u"Z:\\"), &si, &FInfo);
  }
  ~ProgramRun() {
    if (!Started) return;
    if (WaitForSingleObject(FInfo.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(FInfo.hProcess, 1);
      WaitForSingleObject(FInfo.hProcess, 5000);
    }
    CloseHandle(FInfo.hProcess);
    CloseHandle(FInfo.hThread);
  }
  // A visible top-level window of the program whose caption starts with
  // `caption` (and of the class, when given); waits up to 30 seconds.
  HWND WaitWindow(const std::string& caption, const std::string& cls = "", int tries = 600) {
    for (int i = 0; i < tries; ++i) {
      Search s{FInfo.dwProcessId, caption, cls, nullptr};
      EnumWindows(&ProgramRun::Find, reinterpret_cast<LPARAM>(&s));
      if (s.Found) return s.Found;
      if (Exited()) return nullptr;
      Sleep(50);
    }
    return nullptr;
  }
  // A panel text of a status bar of the program: the message's buffer has
  // to be in the program's memory.
  std::u16string StatusText(HWND status, int panel) {
    size_t len = size_t(SendMessageW(status, SB_GETTEXTLENGTHW, panel, 0) & 0xFFFF);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ, FALSE, FInfo.dwProcessId);
    void* remote = VirtualAllocEx(process, nullptr, (len + 1) * 2, MEM_COMMIT, PAGE_READWRITE);
    SendMessageW(status, SB_GETTEXTW, panel, reinterpret_cast<LPARAM>(remote));
    std::u16string text(len, u'\0');
    ReadProcessMemory(process, remote, text.data(), len * 2, nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return text;
  }
  bool Exited() { return WaitForSingleObject(FInfo.hProcess, 0) == WAIT_OBJECT_0; }
  bool WaitExit() { return WaitForSingleObject(FInfo.hProcess, 20000) == WAIT_OBJECT_0; }
  bool Started = false;

 private:
  struct Search {
    DWORD Pid;
    std::string Caption, Cls;
    HWND Found;
  };
  static BOOL CALLBACK Find(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid != s->Pid || !IsWindowVisible(h)) return TRUE;
    char16_t cls[64] = {};
    GetClassNameW(h, reinterpret_cast<LPWSTR>(cls), 64);
    std::string c = DialogAnswerer::WindowText(h);
    if (c.rfind(s->Caption, 0) != 0) return TRUE;
    if (!s->Cls.empty()) {
      std::u16string want = U16(s->Cls);
      if (std::u16string(cls) != want) return TRUE;
    }
    s->Found = h;
    return FALSE;
  }
  PROCESS_INFORMATION FInfo{};
};

// A child window of a window just shown (its controls may still be coming).
HWND WaitChild(HWND parent, const std::string& cls, const std::string& caption = "") {
  for (int i = 0; i < 200; ++i) {
    if (HWND h = DialogAnswerer::FindChild(parent, cls, caption); h && IsWindowVisible(h)) return h;
    Sleep(25);
  }
  ADD_FAILURE() << "no " << cls << " " << caption;
  return nullptr;
}

// Answers the login dialog: user name, password, "登录".
void LogIn(HWND login, const std::string& user, const std::string& password) {
  DialogAnswerer::SetText(WaitChild(login, "TComboBox"), user);
  DialogAnswerer::SetText(WaitChild(login, "TEdit"), password);
  PostMessageW(WaitChild(login, "TButton", "登录"), BM_CLICK, 0, 0);
}

// Types as the keyboard does, into the window that has the focus: the
// login dialog must have focused its first control by itself.
void TypeKeys(const std::u16string& text) {
  std::vector<INPUT> in;
  for (char16_t c : text) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    if (c == u'\r') {
      i.ki.wVk = VK_RETURN;
    } else {
      i.ki.wScan = WORD(c);
      i.ki.dwFlags = KEYEVENTF_UNICODE;
    }
    in.push_back(i);
    i.ki.dwFlags |= KEYEVENTF_KEYUP;
    in.push_back(i);
  }
  SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
}

std::vector<std::string> ComboItems(HWND combo) {
  std::vector<std::string> out;
  int n = int(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    char16_t buf[256] = {};
    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf));
    std::u16string w(buf);
    int len = WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<LPCWSTR>(w.data()), int(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(size_t(len), '\0');
    WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<LPCWSTR>(w.data()), int(w.size()), s.data(), len, nullptr, nullptr);
    out.push_back(s);
  }
  return out;
}

}  // namespace

TEST(Program, StartsLogsInAndChecksPermissions) {
  TempDir dir;
  ASSERT_TRUE(CopyFileTo(std::string(TOVANI_TEST_BINARY_DIR) + "/tovani.exe.so", dir.File("tovani.exe.so")));

  // First start: a fresh data.mdb; a wrong password is refused and the
  // program ends without a main window.
  {
    ProgramRun run(dir.Path());
    ASSERT_TRUE(run.Started);
    HWND login = run.WaitWindow("用户登录");
    ASSERT_NE(login, nullptr);
    EXPECT_EQ(ComboItems(WaitChild(login, "TComboBox")), std::vector<std::string>{"管理员"});
    LogIn(login, "管理员", "0000");
    HWND box = run.WaitWindow("错误", "#32770");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(DialogAnswerer::WindowText(GetDlgItem(box, 0xFFFF)), "登录失败！");
    DialogAnswerer::Press(box, IDOK);
    EXPECT_TRUE(run.WaitExit());
    EXPECT_EQ(run.WaitWindow("Tovani订单管理软件"), nullptr);
  }
  // A user without permissions, added as the users window would.
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(dir.File("data.mdb").c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, "insert into Users (U_Name, U_Pwd, U_P) values ('张三', '123', '00000000')", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
  }
  // The administrator with the initial password: the main window with the
  // navigation window as its first MDI child.
  {
    ProgramRun run(dir.Path());
    HWND login = run.WaitWindow("用户登录");
    ASSERT_NE(login, nullptr);
    EXPECT_EQ(ComboItems(WaitChild(login, "TComboBox")),
              (std::vector<std::string>{"管理员", "张三"}));
    // No click: Enter takes the chosen user, the password is typed, Enter logs in.
    WaitChild(login, "TButton", "退出");
    for (int i = 0; i < 100 && GetForegroundWindow() != login; ++i) Sleep(20);
    EXPECT_EQ(GetForegroundWindow(), login);
    TypeKeys(u"\r3627\r");
    HWND main = run.WaitWindow("Tovani订单管理软件");
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(IsZoomed(main));
    HWND client = FindWindowExW(main, nullptr, reinterpret_cast<LPCWSTR>(u"MDIClient"), nullptr);
    ASSERT_NE(client, nullptr);
    HWND first = reinterpret_cast<HWND>(SendMessageW(client, WM_MDIGETACTIVE, 0, 0));
    EXPECT_EQ(DialogAnswerer::WindowText(first), "导航窗口");
    // The status bar shows the user (the text of its first panel).
    HWND status = WaitChild(main, "TStatusBar");
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(run.StatusText(status, 0), u"当前用户：管理员");
    Sleep(300);
    WriteWindowPng(main, std::string(TOVANI_TEST_BINARY_DIR) + "/main_window_after_login.png");
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(run.WaitExit());
  }
  // A user without the permission gets the message with the operation's name.
  {
    ProgramRun run(dir.Path());
    HWND login = run.WaitWindow("用户登录");
    ASSERT_NE(login, nullptr);
    LogIn(login, "张三", "123");
    HWND main = run.WaitWindow("Tovani订单管理软件");
    ASSERT_NE(main, nullptr);
    // The navigation window's button runs the menu command. (The menus of
    // another process are out of a test's reach.)
    HWND nav = WaitChild(main, "TNavForm");
    ASSERT_NE(nav, nullptr);
    PostMessageW(WaitChild(nav, "TBitBtn", "产品管理"), BM_CLICK, 0, 0);
    HWND box = run.WaitWindow("错误", "#32770");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(DialogAnswerer::WindowText(GetDlgItem(box, 0xFFFF)), "您没有\"产品管理\"的操作权限.");
    DialogAnswerer::Press(box, IDOK);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(run.WaitExit());
  }
}

// ---------------------------------------------------------------------------
// The business windows, driven by keyboard and mouse input.

namespace {

void SendKeys(std::initializer_list<WORD> keys, bool alt = false) {
  std::vector<INPUT> in;
  auto key = [&](WORD vk, bool up) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = vk;
    i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    in.push_back(i);
  };
  if (alt) key(VK_MENU, false);
  for (WORD k : keys) {
    key(k, false);
    key(k, true);
    if (alt) {
      key(VK_MENU, true);
      alt = false;
    }
  }
  SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
}

void MouseTo(int x, int y, DWORD flags = 0) {
  INPUT i{};
  i.type = INPUT_MOUSE;
  i.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
  i.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  i.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags;
  SendInput(1, &i, sizeof(INPUT));
}

// A left click at a point of the screen.
void ClickAt(POINT p) {
  MouseTo(p.x, p.y);
  Sleep(30);
  MouseTo(p.x, p.y, MOUSEEVENTF_LEFTDOWN);
  MouseTo(p.x, p.y, MOUSEEVENTF_LEFTUP);
}

// The window's place on the screen once it has stopped moving: a window
// just shown may still be laid out (a child maximised, a tool bar wrapped),
// and a click at where it was would land on something else.
RECT SettledRect(HWND h) {
  RECT r{}, last{};
  GetWindowRect(h, &last);
  for (int same = 0, i = 0; same < 3 && i < 60; ++i) {
    Sleep(30);
    GetWindowRect(h, &r);
    same = EqualRect(&r, &last) ? same + 1 : 0;
    last = r;
  }
  return last;
}

// A left click in the middle of a window.
void Click(HWND h) {
  RECT r = SettledRect(h);
  ClickAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

// Waits until the window is the foreground window (input goes there).
bool WaitForeground(HWND h) {
  for (int i = 0; i < 200; ++i) {
    if (GetForegroundWindow() == h) return true;
    Sleep(20);
  }
  return false;
}

bool WaitGone(HWND h) {
  for (int i = 0; i < 400 && IsWindow(h) && IsWindowVisible(h); ++i) Sleep(25);
  return !IsWindow(h) || !IsWindowVisible(h);
}

// The rows of a query on the program's database, columns joined by "|".
std::vector<std::string> Rows(const std::string& file, const std::string& sql) {
  std::vector<std::string> out;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) return out;
  sqlite3_busy_timeout(db, 2000);
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK) {
    while (sqlite3_step(st) == SQLITE_ROW) {
      std::string row;
      for (int c = 0; c < sqlite3_column_count(st); ++c) {
        if (c) row += "|";
        const unsigned char* t = sqlite3_column_text(st, c);
        row += t ? reinterpret_cast<const char*>(t) : "NULL";
      }
      out.push_back(row);
    }
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  return out;
}

// Rows of the query once they are as expected (the program writes after
// its dialog is gone), or the last rows seen after three seconds.
std::vector<std::string> WaitRows(const std::string& file, const std::string& sql,
                                  const std::vector<std::string>& expected) {
  std::vector<std::string> rows;
  for (int i = 0; i < 60; ++i) {
    rows = Rows(file, sql);
    if (rows == expected) break;
    Sleep(50);
  }
  return rows;
}

void ExpectRows(const std::string& file, const std::string& sql, const std::vector<std::string>& expected) {
  EXPECT_EQ(WaitRows(file, sql, expected), expected) << sql;
}

// A started program, logged in as the administrator, its main window up.
struct LoggedIn {
  explicit LoggedIn(const std::string& folder) : Run(folder) {
    HWND login = Run.WaitWindow("用户登录");
    if (!login) return;
    LogIn(login, "管理员", "3627");
    Main = Run.WaitWindow("Tovani订单管理软件");
  }
  ~LoggedIn() {
    if (Main) PostMessageW(Main, WM_CLOSE, 0, 0);
    Run.WaitExit();
  }
  ProgramRun Run;
  HWND Main = nullptr;
};

std::string PngPath(const std::string& name) { return std::string(TOVANI_TEST_BINARY_DIR) + "/" + name; }

// A PNG of a window once it has repainted.
void Snapshot(HWND h, const std::string& name) {
  RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sleep(300);
  WriteWindowPng(h, PngPath(name));
}

}  // namespace

TEST(Program, CustomersAddedInTheDialogAndExported) {
  TempDir dir;
  ASSERT_TRUE(CopyFileTo(std::string(TOVANI_TEST_BINARY_DIR) + "/tovani.exe.so", dir.File("tovani.exe.so")));
  // The program's temporary folder, where a shown workbook is saved.
  mkdir(dir.File("temp").c_str(), 0755);
  std::u16string temp = u"Z:" + U16(dir.File("temp"));
  for (auto& c : temp)
    if (c == u'/') c = u'\\';
  // (Set for the program started now, then back to the test's own.)
  auto env = [](const char16_t* name, const char16_t* value) {
    SetEnvironmentVariableW(reinterpret_cast<LPCWSTR>(name), reinterpret_cast<LPCWSTR>(value));
  };
  char16_t oldTemp[MAX_PATH] = {}, oldTmp[MAX_PATH] = {};
  GetEnvironmentVariableW(reinterpret_cast<LPCWSTR>(u"TEMP"), reinterpret_cast<LPWSTR>(oldTemp), MAX_PATH);
  GetEnvironmentVariableW(reinterpret_cast<LPCWSTR>(u"TMP"), reinterpret_cast<LPWSTR>(oldTmp), MAX_PATH);
  env(u"TEMP", temp.c_str());
  env(u"TMP", temp.c_str());
  LoggedIn app(dir.Path());
  env(u"TEMP", *oldTemp ? oldTemp : nullptr);
  env(u"TMP", *oldTmp ? oldTmp : nullptr);
  ASSERT_NE(app.Main, nullptr);
  HWND nav = WaitChild(app.Main, "TNavForm");
  ASSERT_NE(nav, nullptr);
  PostMessageW(WaitChild(nav, "TBitBtn", "客户管理"), BM_CLICK, 0, 0);
  HWND customers = WaitChild(app.Main, "TCustomerForm");
  if (!customers) {
    WriteWindowPng(GetDesktopWindow(), PngPath("debug.png"));
    HWND box = app.Run.WaitWindow("", "#32770");
    if (box) ADD_FAILURE() << DialogAnswerer::WindowText(GetDlgItem(box, 0xFFFF));
  }
  ASSERT_NE(customers, nullptr);
  HWND grid = WaitChild(customers, "TDBGridEh");
  ASSERT_NE(grid, nullptr);
  ASSERT_TRUE(WaitForeground(app.Main));
  std::string db = dir.File("data.mdb");

  // F1 opens the dialog on a new record; Enter moves from field to field.
  // A cancelled dialog leaves no row.
  struct { const char16_t* Typed; bool Save; } customers_typed[] = {
      {u"C001\r上海贸易公司\r张三\r上海市南京路1号\r200001\r021-1234567\r\r13800000000\rzs@example.com\r", true},
      {u"X\r不要的客户\r", false},
      {u"00123\r北京商行\r李四\r", true},
  };
  bool snapped = false;
  for (const auto& c : customers_typed) {
    Click(grid);
    SendKeys({VK_F1});
    HWND edit = app.Run.WaitWindow("客户资料");
    ASSERT_NE(edit, nullptr);
    ASSERT_TRUE(WaitForeground(edit));
    TypeKeys(c.Typed);
    Sleep(100);
    if (c.Save && !snapped) {
      Snapshot(edit, "customer_dialog.png");
      snapped = true;
    }
    Click(WaitChild(edit, "TButton", c.Save ? "保存" : "取消"));
    ASSERT_TRUE(WaitGone(edit));
  }
  ExpectRows(db, "select C_NO, C_Name, C_Contact, C_Addr, C_Zip, C_Tel, C_Fax, C_Mobile, C_Email from Customers order by C_ID", (std::vector<std::string>{
                "C001|上海贸易公司|张三|上海市南京路1号|200001|021-1234567|NULL|13800000000|zs@example.com",
                "00123|北京商行|李四|NULL|NULL|NULL|NULL|NULL|NULL"}));

  // F3 edits the current customer (the last one added). A save while
  // another program holds the database locked fails with a message and
  // keeps the dialog with what was typed; the next save writes it.
  sqlite3* locker = nullptr;
  ASSERT_EQ(sqlite3_open(db.c_str(), &locker), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(locker, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
  Click(grid);
  SendKeys({VK_F3});
  HWND edit = app.Run.WaitWindow("客户资料");
  ASSERT_NE(edit, nullptr);
  ASSERT_TRUE(WaitForeground(edit));
  TypeKeys(u"\r\r\r地址二\r");
  Click(WaitChild(edit, "TButton", "保存"));
  HWND failed = app.Run.WaitWindow("", "#32770");
  ASSERT_NE(failed, nullptr);
  DialogAnswerer::Press(failed, IDOK);
  ASSERT_TRUE(WaitGone(failed));
  sqlite3_exec(locker, "commit", nullptr, nullptr, nullptr);
  sqlite3_close(locker);
  EXPECT_TRUE(IsWindowVisible(edit));
  Click(WaitChild(edit, "TButton", "保存"));
  ASSERT_TRUE(WaitGone(edit));
  ExpectRows(db, "select C_Addr from Customers where C_NO = '00123'", {"地址二"});

  // "导出": the ninth button of the tool bar (buttons 37 wide with their
  // captions, three separators 8 wide before it).
  HWND bar = WaitChild(customers, "TToolBar");
  RECT br;
  GetWindowRect(bar, &br);
  ClickAt({br.left + 8 * 37 + 3 * 8 + 18, br.top + 18});
  // The workbook is saved in the program's folder (not in the temporary
  // one, where nobody finds it) and handed to the desktop; without a
  // spreadsheet program there the program says, in Chinese, where it is.
  HWND told = app.Run.WaitWindow("信息", "#32770");
  ASSERT_NE(told, nullptr) << "no message";
  std::string message = DialogAnswerer::WindowText(GetDlgItem(told, 0xFFFF));
  DialogAnswerer::Press(told, IDOK);
  std::string book;
  for (const std::string& name : dir.List())
    if (name.size() > 5 && name.compare(name.size() - 5, 5, ".xlsx") == 0) book = dir.File(name);
  ASSERT_FALSE(book.empty()) << "no workbook written beside the program";
  EXPECT_EQ(message.rfind("本机没有可以打开 Excel 工作簿的程序。", 0), 0u) << message;
  EXPECT_NE(message.find(book.substr(book.rfind('/') + 1)), std::string::npos) << message;
  EXPECT_TRUE(TempDir::Names(dir.File("temp")).empty());
  // Read back by the independent reader after the tests (app_workbook_readback).
  mkdir((std::string(TOVANI_TEST_BINARY_DIR) + "/out").c_str(), 0755);
  ASSERT_TRUE(CopyFileTo(book, std::string(TOVANI_TEST_BINARY_DIR) + "/out/customers.xlsx"));
  Snapshot(app.Main, "customers_window.png");

  // F4 deletes the current customer after the question.
  Click(grid);
  SendKeys({VK_F4});
  HWND box = app.Run.WaitWindow("确认", "#32770");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(DialogAnswerer::WindowText(GetDlgItem(box, 0xFFFF)), "真的要删除记录吗？");
  DialogAnswerer::Press(box, IDOK);
  ASSERT_TRUE(WaitGone(box));
  Sleep(200);
  ExpectRows(db, "select count(*) from Customers", {"1"});
}

namespace {

// Sends a message whose lParam points to a T in the program's memory (a
// rectangle asked for, say), and answers the T the program wrote back.
template <class T>
T RemoteCall(DWORD pid, HWND h, UINT msg, WPARAM w, const T& in) {
  T out = in;
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  void* remote = VirtualAllocEx(process, nullptr, sizeof(T), MEM_COMMIT, PAGE_READWRITE);
  WriteProcessMemory(process, remote, &in, sizeof(T), nullptr);
  SendMessageW(h, msg, w, reinterpret_cast<LPARAM>(remote));
  ReadProcessMemory(process, remote, &out, sizeof(T), nullptr);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return out;
}

// The middle of a tree item on the screen.
POINT TreeItemPoint(DWORD pid, HWND tree, HTREEITEM item) {
  RECT r{};
  *reinterpret_cast<HTREEITEM*>(&r) = item;
  r = RemoteCall(pid, tree, TVM_GETITEMRECT, TRUE, r);
  POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(tree, &p);
  return p;
}

HTREEITEM TreeItem(HWND tree, UINT relation, HTREEITEM from = nullptr) {
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(from)));
}

// Opens an item of the "资料(&D)" menu by keyboard: Alt+D opens the menu on
// its first item, Down moves on (the separator is skipped).
void DataMenuItem(HWND main, int downs) {
  SetForegroundWindow(main);
  WaitForeground(main);
  SendKeys({'D'}, true);
  Sleep(200);
  for (int i = 0; i < downs; ++i) SendKeys({VK_DOWN});
  SendKeys({VK_RETURN});
}

// Answers the text prompt with a name (typed over the text it offers).
void AnswerPrompt(ProgramRun& run, const char* caption, const std::u16string& name) {
  HWND prompt = run.WaitWindow(caption);
  ASSERT_NE(prompt, nullptr);
  ASSERT_TRUE(WaitForeground(prompt));
  TypeKeys(name + u"\r");
  ASSERT_TRUE(WaitGone(prompt));
}

}  // namespace

TEST(Program, ProductClassesAddedRenamedMovedAndDeleted) {
  TempDir dir;
  ASSERT_TRUE(CopyFileTo(std::string(TOVANI_TEST_BINARY_DIR) + "/tovani.exe.so", dir.File("tovani.exe.so")));
  LoggedIn app(dir.Path());
  ASSERT_NE(app.Main, nullptr);
  std::string db = dir.File("data.mdb");
  DataMenuItem(app.Main, 2);
  HWND dialog = app.Run.WaitWindow("产品分类");
  ASSERT_NE(dialog, nullptr);
  HWND tree = WaitChild(dialog, "TdxDBTreeView");
  ASSERT_NE(tree, nullptr);
  DWORD pid = 0;
  GetWindowThreadProcessId(dialog, &pid);

  // Each new class goes below the current one; the first is a top class.
  for (const char16_t* name : {u"服装", u"男装", u"女装"}) {
    Click(WaitChild(dialog, "TButton", "添加..."));
    AnswerPrompt(app.Run, "添加分类", name);
  }
  ExpectRows(db, "select CLS_ID, CLS_Name, CLS_ParentID, CLS_ImageIndex from Classes order by CLS_ID", {"1|服装|0|1", "2|男装|1|1", "3|女装|2|1"});

  // "女装" dragged onto "服装" goes under it.
  HTREEITEM top = TreeItem(tree, TVGN_ROOT);
  HTREEITEM men = TreeItem(tree, TVGN_CHILD, top);
  HTREEITEM women = TreeItem(tree, TVGN_CHILD, men);
  ASSERT_TRUE(top && men && women);
  POINT from = TreeItemPoint(pid, tree, women), to = TreeItemPoint(pid, tree, top);
  MouseTo(from.x, from.y);
  Sleep(50);
  MouseTo(from.x, from.y, MOUSEEVENTF_LEFTDOWN);
  for (int i = 1; i <= 10; ++i) {
    Sleep(20);
    MouseTo(from.x + (to.x - from.x) * i / 10, from.y + (to.y - from.y) * i / 10);
  }
  Sleep(50);
  MouseTo(to.x, to.y, MOUSEEVENTF_LEFTUP);
  Sleep(300);
  ExpectRows(db, "select CLS_ParentID from Classes where CLS_ID = 3", {"1"});

  // Renaming the current class ("女装", just dragged).
  Click(WaitChild(dialog, "TButton", "修改..."));
  AnswerPrompt(app.Run, "修改分类", u"女士服装");
  ExpectRows(db, "select CLS_Name from Classes where CLS_ID = 3", {"女士服装"});
  Snapshot(dialog, "classes_dialog.png");

  // The Delete key does nothing.
  SendKeys({VK_DELETE});
  Sleep(200);
  EXPECT_EQ(app.Run.WaitWindow("确认", "#32770", 1), nullptr);
  // The sub-classes go first; when the top class then cannot be deleted
  // (here a trigger refuses it), nothing is deleted and the error shows.
  auto exec = [&](const char* sql) {
    sqlite3* h = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &h), SQLITE_OK);
    sqlite3_busy_timeout(h, 2000);
    EXPECT_EQ(sqlite3_exec(h, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql;
    sqlite3_close(h);
  };
  exec("create trigger keep_top before delete on Classes when old.CLS_ID = 1 "
       "begin select raise(abort, 'top class kept'); end");
  // The focus leaves the tree first: a click on a node focuses the tree and
  // makes the node current all the same.
  SendKeys({VK_TAB});
  Sleep(100);
  ClickAt(TreeItemPoint(pid, tree, TreeItem(tree, TVGN_ROOT)));
  for (bool refused : {true, false}) {
    Click(WaitChild(dialog, "TButton", "删除"));
    HWND box = app.Run.WaitWindow("确认", "#32770");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(DialogAnswerer::WindowText(GetDlgItem(box, 0xFFFF)), "确定要删除分类吗?");
    DialogAnswerer::Press(box, IDOK);
    ASSERT_TRUE(WaitGone(box));
    if (refused) {
      HWND error = app.Run.WaitWindow("", "#32770");
      ASSERT_NE(error, nullptr);
      EXPECT_NE(DialogAnswerer::WindowText(GetDlgItem(error, 0xFFFF)).find("top class kept"), std::string::npos);
      DialogAnswerer::Press(error, IDOK);
      ASSERT_TRUE(WaitGone(error));
      ExpectRows(db, "select count(*) from Classes", {"3"});
      EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 3);
      exec("drop trigger keep_top");
    }
  }
  ExpectRows(db, "select count(*) from Classes", {"0"});
  Click(WaitChild(dialog, "TButton", "关闭"));
  ASSERT_TRUE(WaitGone(dialog));
}

TEST(Program, LookupListsEditedByTab) {
  TempDir dir;
  ASSERT_TRUE(CopyFileTo(std::string(TOVANI_TEST_BINARY_DIR) + "/tovani.exe.so", dir.File("tovani.exe.so")));
  LoggedIn app(dir.Path());
  ASSERT_NE(app.Main, nullptr);
  std::string db = dir.File("data.mdb");
  DataMenuItem(app.Main, 3);
  HWND dialog = app.Run.WaitWindow("资料设置");
  ASSERT_NE(dialog, nullptr);
  HWND grid = WaitChild(dialog, "TDBGridEh");
  HWND tabs = WaitChild(dialog, "TTabControl");
  ASSERT_TRUE(grid && tabs);
  DWORD pid = 0;
  GetWindowThreadProcessId(dialog, &pid);

  // A unit added on the first tab with the buttons and typed in the grid.
  Click(WaitChild(dialog, "TButton", "添加"));
  Sleep(100);
  RECT gr;
  GetWindowRect(grid, &gr);
  ClickAt({gr.left + 40, gr.top + 28});   // the new row's first cell
  Sleep(100);
  TypeKeys(u"件");
  SendKeys({VK_TAB});
  TypeKeys(u"PCS");
  Sleep(100);
  Click(WaitChild(dialog, "TButton", "保存"));
  Sleep(300);
  ExpectRows(db, "select UnitName, UnitEName from B_Units", {"件|PCS"});

  // The settings tab shows the settings (the key column is never shown).
  RECT r{};
  r = RemoteCall(pid, tabs, TCM_GETITEMRECT, 4, r);
  POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(tabs, &p);
  ClickAt(p);
  Sleep(300);
  Snapshot(dialog, "lookup_lists_dialog.png");
  PostMessageW(dialog, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitGone(dialog));
}

// ---------------------------------------------------------------------------
// Sales: orders, a return, a failed save, the statistics and a quotation.

namespace {

// Clicks the n-th button of a tool bar whose buttons are `width` wide,
// after `separators` separators 8 wide.
void ClickToolButton(HWND bar, int index, int width, int separators) {
  RECT r = SettledRect(bar);
  ClickAt({r.left + index * width + separators * 8 + width / 2, r.top + 18});
}

// Clicks a tool button that opens a modal window and answers the window.
// A click the program did not take (it was still busy with the previous
// step) is given again; once the window is up, the program's other windows
// take no clicks, so a second click can open nothing twice.
HWND OpenByToolButton(ProgramRun& run, HWND bar, int index, int width, int separators, const std::string& caption) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    ClickToolButton(bar, index, width, separators);
    if (HWND h = run.WaitWindow(caption, "", 200)) return h;
  }
  return nullptr;
}

std::string Today() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d", t.wYear, t.wMonth, t.wDay);
  return buf;
}

BOOL CALLBACK CollectEdits(HWND h, LPARAM lp) {
  char16_t cls[32] = {};
  GetClassNameW(h, reinterpret_cast<LPWSTR>(cls), 32);
  if (std::u16string(cls) == u"TcxDBTextEdit") reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
  return TRUE;
}

// Presses OK on the error box the program shows, and answers its text.
std::string AnswerError(ProgramRun& run) {
  HWND box = run.WaitWindow("", "#32770");
  if (!box) return "<no box>";
  std::string text = DialogAnswerer::WindowText(GetDlgItem(box, 0xFFFF));
  DialogAnswerer::Press(box, IDOK);
  WaitGone(box);
  return text;
}

}  // namespace

TEST(Program, SalesOrdersReturnsStatisticsAndQuotation) {
  TempDir dir;
  ASSERT_TRUE(CopyFileTo(std::string(TOVANI_TEST_BINARY_DIR) + "/tovani.exe.so", dir.File("tovani.exe.so")));
  for (const char* d : {"mb", "price", "Pictures"}) mkdir(dir.File(d).c_str(), 0755);
  {
    // The quotation template: a title, the header labels, the block of a line.
    auto t = TWorkbook::CreateNew();
    TWorksheet& s = t->Sheet(1);
    s.SetText(1, 1, "报价单");
    s.SetText(4, 1, "编号");
    s.SetText(5, 1, "名称");
    s.SetText(6, 1, "报价");
    t->SaveAs(dir.File("mb/price.xlsx"));
  }
  LoggedIn app(dir.Path());
  ASSERT_NE(app.Main, nullptr);
  std::string db = dir.File("data.mdb");
  HWND nav = WaitChild(app.Main, "TNavForm");
  ASSERT_NE(nav, nullptr);

  // A customer, added in the customer window.
  PostMessageW(WaitChild(nav, "TBitBtn", "客户管理"), BM_CLICK, 0, 0);
  HWND customers = WaitChild(app.Main, "TCustomerForm");
  ASSERT_NE(customers, nullptr);
  ASSERT_TRUE(WaitForeground(app.Main));
  Click(WaitChild(customers, "TDBGridEh"));
  SendKeys({VK_F1});
  HWND customer = app.Run.WaitWindow("客户资料");
  ASSERT_NE(customer, nullptr);
  ASSERT_TRUE(WaitForeground(customer));
  TypeKeys(u"C01\r上海贸易公司\r王经理\r");
  Click(WaitChild(customer, "TButton", "保存"));
  ASSERT_TRUE(WaitGone(customer));
  ExpectRows(db, "select C_NO, C_Name from Customers", {"C01|上海贸易公司"});
  PostMessageW(customers, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitGone(customers));
  // Two products (the product window is not part of the program yet: they
  // are written as it would write them).
  {
    sqlite3* w = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &w), SQLITE_OK);
    sqlite3_busy_timeout(w, 2000);
    EXPECT_EQ(sqlite3_exec(w,
                           "insert into Products (P_NO, P_Name, P_Unit, P_Color, P_Size, P_Price, P_GWeight, P_NWeight)"
                           " values ('P01', '茶杯', '个', '白', '10x10', 12.5, 1.5, 1.2),"
                           " ('P02', '茶壶', '只', '青', '20x20', 20, 2.5, 2)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(w);
  }

  // The sales window: "查询" first, so that saved orders are listed.
  PostMessageW(WaitChild(nav, "TBitBtn", "销售管理"), BM_CLICK, 0, 0);
  HWND sales = WaitChild(app.Main, "TSaleForm");
  ASSERT_NE(sales, nullptr);
  Click(WaitChild(sales, "TButton", "查询"));
  HWND bar = WaitChild(sales, "TToolBar");

  // A new order: the customer typed into its box, two lines added with the
  // keyboard ("+" in the note posts the line and starts the next), then
  // the second line's quantity changed.
  HWND editor = OpenByToolButton(app.Run, bar, 1, 37, 1, "销售单");   // "添加"
  ASSERT_NE(editor, nullptr);
  ASSERT_TRUE(WaitForeground(editor));
  TypeKeys(u"C01\r");
  Sleep(100);
  Click(WaitChild(editor, "TcxButton", "添加明细"));
  Sleep(100);
  TypeKeys(u"P01\r\r3\r备注一+");
  Sleep(100);
  TypeKeys(u"P02\r\r2\r\r");
  Sleep(100);
  HWND qty = nullptr;
  {
    // FQty: the third edit of the line row (after the product box and the price).
    std::vector<HWND> edits;
    EnumChildWindows(editor, &CollectEdits, reinterpret_cast<LPARAM>(&edits));
    ASSERT_EQ(edits.size(), 3u);
    std::sort(edits.begin(), edits.end(), [](HWND a, HWND b) {
      RECT ra, rb;
      GetWindowRect(a, &ra);
      GetWindowRect(b, &rb);
      return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
    });
    qty = edits[1];
  }
  Click(qty);
  SendKeys({VK_END, VK_BACK, VK_BACK, VK_BACK, VK_BACK, VK_BACK});
  TypeKeys(u"5\r\r");
  Sleep(200);
  Snapshot(editor, "sales_order_editor.png");
  Click(WaitChild(editor, "TButton", "保存"));
  ASSERT_TRUE(WaitGone(editor));
  std::string first = Today() + "0001";
  ExpectRows(db, "select O_NO, O_JE, O_IsBack, C_ID from Orders", {first + "|137.5|0|1"});
  ExpectRows(db, "select P_NO, P_Name, OD_Price, OD_Qty, OD_JE, ifnull(OD_Memo, '') from Orders_d order by P_NO",
             {"P01|茶杯|12.5|3.0|37.5|备注一", "P02|茶壶|20|5.0|100|"});

  // A return: the flag ticked, one line.
  editor = OpenByToolButton(app.Run, bar, 1, 37, 1, "销售单");
  ASSERT_NE(editor, nullptr);
  ASSERT_TRUE(WaitForeground(editor));
  TypeKeys(u"C01\r");
  Click(WaitChild(editor, "TcxDBCheckBox"));
  Click(WaitChild(editor, "TcxButton", "添加明细"));
  Sleep(100);
  TypeKeys(u"P01\r\r1\r\r");
  Sleep(100);
  Click(WaitChild(editor, "TButton", "保存"));
  ASSERT_TRUE(WaitGone(editor));
  ExpectRows(db, "select O_NO, O_JE, O_IsBack from Orders order by O_ID",
             {first + "|137.5|0", Today() + "0002|12.5|1"});

  // A save while another program holds the file: the error is shown,
  // nothing is written, the editor stays open with its lines; once the file
  // is free the same editor saves.
  editor = OpenByToolButton(app.Run, bar, 1, 37, 1, "销售单");
  ASSERT_NE(editor, nullptr);
  ASSERT_TRUE(WaitForeground(editor));
  TypeKeys(u"C01\r");
  Click(WaitChild(editor, "TcxButton", "添加明细"));
  Sleep(100);
  TypeKeys(u"P02\r\r4\r\r");
  Sleep(100);
  {
    sqlite3* locker = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &locker), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(locker, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
    Click(WaitChild(editor, "TButton", "保存"));
    std::string error = AnswerError(app.Run);
    EXPECT_NE(error.find("locked"), std::string::npos) << error;
    sqlite3_exec(locker, "rollback", nullptr, nullptr, nullptr);
    sqlite3_close(locker);
  }
  EXPECT_TRUE(IsWindowVisible(editor));
  ExpectRows(db, "select count(*) from Orders", {"2"});
  ExpectRows(db, "select count(*) from Orders_d", {"3"});
  Click(WaitChild(editor, "TButton", "保存"));
  ASSERT_TRUE(WaitGone(editor));
  ExpectRows(db, "select O_NO, O_JE from Orders where O_ID = 3", {Today() + "0003|80"});
  ExpectRows(db, "select count(*) from Orders_d where O_ID = 3", {"1"});
  Snapshot(app.Main, "sales_window.png");

  // The statistics of the period: every order, with their sum.
  PostMessageW(WaitChild(nav, "TBitBtn", "销售统计"), BM_CLICK, 0, 0);
  HWND statistics = WaitChild(app.Main, "TSaleStatForm");
  ASSERT_NE(statistics, nullptr);
  Click(WaitChild(statistics, "TButton", "统计"));
  Snapshot(app.Main, "sales_statistics_window.png");

  // A quotation ("业务(&B)" → "报价管理"), written to its workbook.
  SetForegroundWindow(app.Main);
  WaitForeground(app.Main);
  SendKeys({'B'}, true);
  Sleep(200);
  SendKeys({VK_RETURN});
  HWND quotes = WaitChild(app.Main, "TPriceListForm");
  ASSERT_NE(quotes, nullptr);
  HWND qbar = WaitChild(quotes, "TToolBar");
  Snapshot(app.Main, "quotation_window_empty.png");
  ClickToolButton(qbar, 1, 55, 1);   // "添加"
  HWND qedit = app.Run.WaitWindow("报价单");
  ASSERT_NE(qedit, nullptr);
  ASSERT_TRUE(WaitForeground(qedit));
  TypeKeys(u"C01");
  Click(WaitChild(qedit, "TButton", "添加明细"));
  Sleep(100);
  {
    // The product box: the lower of the two lookup boxes.
    HWND boxes[2] = {};
    int n = 0;
    for (HWND h = nullptr; n < 2 && (h = FindWindowExW(qedit, h, reinterpret_cast<LPCWSTR>(u"TcxDBLookupComboBox"), nullptr));)
      boxes[n++] = h;
    ASSERT_EQ(n, 2);
    RECT a, b;
    GetWindowRect(boxes[0], &a);
    GetWindowRect(boxes[1], &b);
    Click(a.top > b.top ? boxes[0] : boxes[1]);
  }
  TypeKeys(u"P01\r\r+");
  Sleep(100);
  TypeKeys(u"P02\r\r");
  Sleep(100);
  Snapshot(qedit, "quotation_editor.png");
  Click(WaitChild(qedit, "TButton", "保存"));
  ASSERT_TRUE(WaitGone(qedit));
  std::string quote = Today() + "0001";
  ExpectRows(db, "select PL_NO, C_ID from PriceList", {quote + "|1"});
  ExpectRows(db, "select group_concat(PLD_Price, ' ') from (select PLD_Price from PriceList_d order by PLD_ID)",
             {"12.5 20"});
  ClickToolButton(qbar, 4, 55, 2);   // "导出" ("发送邮件" before it is hidden)
  // Saved under price\, then handed to the desktop; without a spreadsheet
  // program there the program says so.
  std::string book = dir.File("price/" + quote + ".xlsx");
  struct stat st;
  for (int i = 0; i < 200 && stat(book.c_str(), &st) != 0; ++i) Sleep(50);
  if (HWND box = app.Run.WaitWindow("错误", "#32770", 40)) DialogAnswerer::Press(box, IDOK);
  ASSERT_EQ(stat(book.c_str(), &st), 0) << "no workbook written";
  Sleep(200);
  // Read back by the independent reader after the tests (app_quotation_readback).
  ASSERT_TRUE(CopyFileTo(book, std::string(TOVANI_TEST_BINARY_DIR) + "/out/quotation_program.xlsx"));
  Snapshot(app.Main, "quotation_window.png");
}

namespace {

// The text of a control of the program (an edit box, say).
std::string ControlText(HWND h) {
  char16_t buf[512] = {};
  SendMessageW(h, WM_GETTEXT, 511, reinterpret_cast<LPARAM>(buf));
  std::u16string w(buf);
  int len = WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<LPCWSTR>(w.data()), int(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(size_t(len), '\0');
  WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<LPCWSTR>(w.data()), int(w.size()), s.data(), len, nullptr, nullptr);
  return s;
}

// The visible child windows of a class, top to bottom and left to right.
struct ChildSearch {
  const char16_t* Cls;
  std::vector<HWND> Found;
};
BOOL CALLBACK CollectChild(HWND h, LPARAM lp) {
  auto* s = reinterpret_cast<ChildSearch*>(lp);
  char16_t c[64] = {};
  GetClassNameW(h, reinterpret_cast<LPWSTR>(c), 64);
  if (std::u16string(c) == s->Cls && IsWindowVisible(h)) s->Found.push_back(h);
  return TRUE;
}
std::vector<HWND> ChildrenByPlace(HWND parent, const char16_t* cls) {
  ChildSearch s{cls, {}};
  EnumChildWindows(parent, &CollectChild, reinterpret_cast<LPARAM>(&s));
  std::sort(s.Found.begin(), s.Found.end(), [](HWND a, HWND b) {
    RECT ra, rb;
    GetWindowRect(a, &ra);
    GetWindowRect(b, &rb);
    return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
  });
  return s.Found;
}

void ExecSql(const std::string& db, const char* sql) {
  sqlite3* h = nullptr;
  ASSERT_EQ(sqlite3_open(db.c_str(), &h), SQLITE_OK);
  sqlite3_busy_timeout(h, 2000);
  EXPECT_EQ(sqlite3_exec(h, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql;
  sqlite3_close(h);
}

}  // namespace

TEST(Program, ProductsListedByClassAndAddedInTheDialog) {
  TempDir dir;
  ASSERT_TRUE(CopyFileTo(std::string(TOVANI_TEST_BINARY_DIR) + "/tovani.exe.so", dir.File("tovani.exe.so")));
  LoggedIn app(dir.Path());
  ASSERT_NE(app.Main, nullptr);
  std::string db = dir.File("data.mdb");
  // Class 15 below class 1, class 5 beside it; two colours to choose from.
  ExecSql(db, "insert into Classes (CLS_ID, CLS_Name, CLS_ParentID) values (1, '服装', 0), (5, '鞋类', 0), (15, '男装', 1);"
              "insert into Products (CLS_ID, P_NO, P_Name) values (1, 'A1', '服装样品'), (15, 'A15', '男装样品'), (5, 'A5', '鞋样品');"
              "insert into B_Units (UnitName, UnitEName) values ('件', 'PCS');"
              "insert into B_Colors (ColorName, ColorEName) values ('红', 'Red'), ('蓝', 'Blue');");
  // The picture of the product added below.
  mkdir(dir.File("Pictures").c_str(), 0755);
  {
    TBitmap bmp;
    bmp.SetSize(120, 80);
    bmp.Canvas()->Brush()->SetColor(clNavy);
    bmp.Canvas()->FillRect(TRect(0, 0, 120, 80));
    bmp.Canvas()->Brush()->SetColor(clYellow);
    bmp.Canvas()->FillRect(TRect(30, 20, 90, 60));
    TJPEGImage jpeg;
    jpeg.Assign(&bmp);
    jpeg.SaveToFile("Z:" + dir.File("Pictures/B1.jpg"));
    ASSERT_EQ(access(dir.File("Pictures/B1.jpg").c_str(), R_OK), 0);
  }
  HWND nav = WaitChild(app.Main, "TNavForm");
  ASSERT_NE(nav, nullptr);
  PostMessageW(WaitChild(nav, "TBitBtn", "产品管理"), BM_CLICK, 0, 0);
  HWND products = WaitChild(app.Main, "TProductForm");
  ASSERT_NE(products, nullptr);
  HWND grid = WaitChild(products, "TDBGridEh");
  ASSERT_TRUE(grid && WaitForeground(app.Main));
  Sleep(300);

  // The first class (服装) with its sub-classes: A1 and A15, not A5.
  std::vector<HWND> edits = ChildrenByPlace(products, u"TDBEdit");
  ASSERT_FALSE(edits.empty());
  HWND number = edits.front();
  RECT gr;
  GetWindowRect(grid, &gr);
  ClickAt({gr.left + 60, gr.top + 48});   // the first record, below the titles and the filter row
  Sleep(200);
  std::vector<std::string> listed;
  for (int i = 0; i < 4; ++i) {
    std::string no = ControlText(number);
    if (!listed.empty() && listed.back() == no) break;
    listed.push_back(no);
    SendKeys({VK_DOWN});
    Sleep(200);
  }
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{"A1", "A15"}));

  // F1: a new product of the current class in the dialog; Enter moves on.
  SendKeys({VK_F1});
  HWND edit = app.Run.WaitWindow("产品资料");
  ASSERT_NE(edit, nullptr);
  ASSERT_TRUE(WaitForeground(edit));
  std::vector<HWND> combos = ChildrenByPlace(edit, u"TDBComboBox");
  ASSERT_EQ(combos.size(), 2u);
  EXPECT_EQ(ComboItems(combos[1]), (std::vector<std::string>{"红", "蓝"}));
  Click(ChildrenByPlace(edit, u"TDBEdit").front());
  TypeKeys(u"B1\r新产品\r件\r690001\r蓝\r");
  Sleep(200);
  Snapshot(edit, "product_dialog.png");
  Click(WaitChild(edit, "TButton", "保存"));
  ASSERT_TRUE(WaitGone(edit));
  ExpectRows(db, "select CLS_ID, P_NO, P_Name, P_Unit, P_BarCode, P_Color, P_Enabled, date(P_CreateDate) = date('now', 'localtime') "
                 "from Products where P_NO = 'B1'", {"1|B1|新产品|件|690001|蓝|0|1"});

  // Its picture on the picture page.
  HWND pages = WaitChild(products, "TPageControl");
  ASSERT_NE(pages, nullptr);
  DWORD pid = 0;
  GetWindowThreadProcessId(products, &pid);
  RECT r{};
  EXPECT_EQ(ControlText(number), "B1");
  // (Restored to a size that fits the part of the screen the test draws.)
  ShowWindow(products, SW_RESTORE);
  SetWindowPos(products, nullptr, 0, 0, 780, 500, SWP_NOZORDER);
  Sleep(300);
  Snapshot(products, "products_window_data.png");
  r = RemoteCall(pid, pages, TCM_GETITEMRECT, 1, r);
  POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(pages, &p);
  ClickAt(p);
  Sleep(300);
  Snapshot(products, "products_window.png");

  // A cost line on the cost page: the product's cost follows it.
  r = RemoteCall(pid, pages, TCM_GETITEMRECT, 2, RECT{});
  p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(pages, &p);
  ClickAt(p);
  Sleep(300);
  std::vector<HWND> bars = ChildrenByPlace(products, u"TToolBar");
  ASSERT_EQ(bars.size(), 2u);
  RECT cb;
  GetWindowRect(bars[1], &cb);
  ClickAt({cb.left + 18, cb.top + 18});   // "添加"
  Sleep(300);
  std::vector<HWND> grids = ChildrenByPlace(products, u"TDBGridEh");
  ASSERT_EQ(grids.size(), 2u);
  RECT cg;
  GetWindowRect(grids[1], &cg);
  ClickAt({cg.left + 12 + 120 + 60, cg.top + 28});   // the new line's cost
  Sleep(200);
  TypeKeys(u"8.5");
  Sleep(100);
  Snapshot(products, "products_costs.png");
  ClickAt({cb.left + 2 * 37 + 18, cb.top + 18});   // "保存"
  if (HWND box = app.Run.WaitWindow("", "#32770", 20)) {
    ADD_FAILURE() << DialogAnswerer::WindowText(GetDlgItem(box, 0xFFFF));
    DialogAnswerer::Press(box, IDOK);
  }
  ExpectRows(db, "select c.PC_Cost, p.P_Cost from ProductCosts c join Products p on p.P_ID = c.P_ID where p.P_NO = 'B1'",
             {"8.5|8.5"});
}

TEST(Program, UserGivenTwoPermissionsHasExactlyThoseCommands) {
  TempDir dir;
  ASSERT_TRUE(CopyFileTo(std::string(TOVANI_TEST_BINARY_DIR) + "/tovani.exe.so", dir.File("tovani.exe.so")));
  std::string db = dir.File("data.mdb");
  {
    LoggedIn app(dir.Path());
    ASSERT_NE(app.Main, nullptr);
    HWND nav = WaitChild(app.Main, "TNavForm");
    ASSERT_NE(nav, nullptr);
    PostMessageW(WaitChild(nav, "TBitBtn", "用户管理"), BM_CLICK, 0, 0);
    HWND dialog = app.Run.WaitWindow("用户管理");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(WaitForeground(dialog));
    DWORD pid = 0;
    GetWindowThreadProcessId(dialog, &pid);
    HWND grid = WaitChild(dialog, "TDBGridEh");
    HWND bar = WaitChild(dialog, "TToolBar");
    HWND list = WaitChild(dialog, "TcxDBCheckListBox");
    ASSERT_TRUE(grid && bar && list);
    HWND inner = GetWindow(list, GW_CHILD);
    ASSERT_NE(inner, nullptr);
    // Tool bar buttons are 37 wide, separators 8: "添加" is the sixth
    // button after two separators, "保存" the ninth after three.
    RECT br;
    GetWindowRect(bar, &br);
    auto toolButton = [&](int buttons, int separators) {
      ClickAt({br.left + buttons * 37 + separators * 8 + 18, br.top + 18});
      Sleep(200);
    };
    toolButton(5, 2);
    RECT gr;
    GetWindowRect(grid, &gr);
    ClickAt({gr.left + 60, gr.top + 28});   // the new row's name
    Sleep(100);
    TypeKeys(u"李四");
    SendKeys({VK_TAB});
    TypeKeys(u"1");
    Sleep(100);
    // The first two operations ticked from the keyboard: Space ticks the
    // selected item, Down selects the next.
    RECT r{};
    r = RemoteCall(pid, inner, LB_GETITEMRECT, 0, r);
    POINT p{r.left + 40, (r.top + r.bottom) / 2};
    ClientToScreen(inner, &p);
    ClickAt(p);
    Sleep(200);
    SendKeys({VK_SPACE});
    Sleep(200);
    SendKeys({VK_DOWN});
    Sleep(200);
    SendKeys({VK_SPACE});
    Sleep(200);
    Snapshot(dialog, "users_dialog.png");
    toolButton(8, 3);
    std::vector<std::string> ops = Rows(db, "select count(*) from OP");
    ASSERT_EQ(ops.size(), 1u);
    ExpectRows(db, "select U_Name, U_Pwd, U_P from Users where U_Name <> '管理员'",
               {"李四|1|11" + std::string(size_t(std::stoi(ops[0]) - 2), '0')});
    toolButton(0, 0);   // "关闭"
    ASSERT_TRUE(WaitGone(dialog));
  }
  // 李四 may open the first two operations' windows and no other.
  std::vector<std::string> allowed = Rows(db, "select OP_Name from OP where OP_ID <= 2 order by OP_ID");
  ProgramRun run(dir.Path());
  HWND login = run.WaitWindow("用户登录");
  ASSERT_NE(login, nullptr);
  LogIn(login, "李四", "1");
  HWND main = run.WaitWindow("Tovani订单管理软件");
  ASSERT_NE(main, nullptr);
  HWND nav = WaitChild(main, "TNavForm");
  ASSERT_NE(nav, nullptr);
  for (const char* op : {"产品管理", "客户管理", "销售管理", "销售统计", "用户管理"}) {
    bool may = std::find(allowed.begin(), allowed.end(), std::string(op)) != allowed.end();
    PostMessageW(WaitChild(nav, "TBitBtn", op), BM_CLICK, 0, 0);
    HWND box = run.WaitWindow("", "#32770", may ? 20 : 600);
    if (may) {
      EXPECT_EQ(box, nullptr) << op;
      if (box) DialogAnswerer::Press(box, IDOK);
    } else {
      ASSERT_NE(box, nullptr) << op;
      EXPECT_EQ(DialogAnswerer::WindowText(GetDlgItem(box, 0xFFFF)), std::string("您没有\"") + op + "\"的操作权限.");
      DialogAnswerer::Press(box, IDOK);
      ASSERT_TRUE(WaitGone(box));
    }
  }
  PostMessageW(main, WM_CLOSE, 0, 0);
  run.WaitExit();
}

// ---------------------------------------------------------------------------
// Reports: the sales order and the product sheet previewed from their
// windows' print commands and printed from the preview to the test set-up's
// PDF queue.

namespace {

// The report's preview window, once its page is built and drawn.
HWND WaitPreview(ProgramRun& run) {
  HWND preview = run.WaitWindow("", "TfrxPreviewForm");
  if (preview) {
    Sleep(800);
  } else {
    WriteWindowPng(GetDesktopWindow(), PngPath("report_preview_missing.png"));
    if (HWND box = run.WaitWindow("", "#32770", 1)) ADD_FAILURE() << DialogAnswerer::WindowText(GetDlgItem(box, 0xFFFF));
  }
  return preview;
}

void ClosePreview(HWND preview) {
  PostMessageW(preview, WM_CLOSE, 0, 0);
  WaitGone(preview);
}

std::set<std::string> PrintedFiles() {
  std::set<std::string> files;
  if (DIR* d = opendir(printed_pdf::Folder().c_str())) {
    while (dirent* e = readdir(d)) files.insert(e->d_name);
    closedir(d);
  }
  return files;
}

// Prints from the preview as the user does (Ctrl+P; the print dialog is
// answered with Enter: OK on the default printer) and answers
// the text of the PDF the queue writes for it: the first new file holding
// Marker, whose first page is kept as PngName. Empty when none came within
// a minute.
std::string PrintFromPreview(ProgramRun& run, HWND preview, const std::string& marker, const std::string& pngName) {
  std::set<std::string> before = PrintedFiles();
  SetForegroundWindow(preview);
  WaitForeground(preview);
  INPUT keys[4] = {};
  for (INPUT& i : keys) i.type = INPUT_KEYBOARD;
  keys[0].ki.wVk = keys[3].ki.wVk = VK_CONTROL;
  keys[1].ki.wVk = keys[2].ki.wVk = 'P';
  keys[2].ki.dwFlags = keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(4, keys, sizeof(INPUT));
  if (HWND dialog = run.WaitWindow("", "TfrxPrintDialog", 100)) {
    WaitForeground(dialog);
    Sleep(200);
    SendKeys({VK_RETURN});
    WaitGone(dialog);
  }
  for (int tick = 0; tick < 600; ++tick) {
    for (const std::string& name : PrintedFiles()) {
      if (before.count(name) || name.size() < 4 || name.compare(name.size() - 4, 4, ".pdf") != 0) continue;
      std::string pdf = printed_pdf::Folder() + "/" + name;
      int rc = 1;
      printed_pdf::Run("pdfinfo " + printed_pdf::Quote(pdf) + " 2>/dev/null", &rc);
      if (rc != 0) continue;   // still being written
      std::string text = PrintedText(pdf);
      if (text.find(marker) == std::string::npos) {
        before.insert(name);   // another run's job
        continue;
      }
      printed_pdf::RenderPng(pdf, PngPath(pngName));
      printed_pdf::Remove(pdf);
      return text;
    }
    Sleep(100);
  }
  return std::string();
}

// Money as the reports print it, "￥" and two decimals with thousands
// separators, as it reads in the normalised PDF text (where "￥" is "¥").
std::string Money(const std::string& value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", std::stod(value));
  std::string digits = buf, out;
  size_t dot = digits.find('.');
  for (size_t i = 0; i < dot; ++i) {
    if (i > 0 && (dot - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return "¥" + out + digits.substr(dot);
}

}  // namespace

TEST(Program, ReportsPreviewedAndPrintedFromTheirWindows) {
  TempDir dir;
  ASSERT_TRUE(CopyFileTo(std::string(TOVANI_TEST_BINARY_DIR) + "/tovani.exe.so", dir.File("tovani.exe.so")));
  LoggedIn app(dir.Path());
  ASSERT_NE(app.Main, nullptr);
  std::string db = dir.File("data.mdb");
  // A company name of this run, two customers, three products in two
  // classes and one order of two lines (as the windows would write them).
  std::string company = "测试贸易" + std::to_string(GetCurrentProcessId()) + "有限公司";
  ExecSql(db, ("update 参数 set 设置 = '" + company + "' where 参数 = '企业名称';"
               "insert into Customers (C_NO, C_Name, C_Addr, C_Tel, C_Fax) values "
               "('C01', '上海贸易公司', '上海市南京路1号', '021-1234567', '021-7654321'), ('C02', '北京商行', null, null, null);"
               "insert into Classes (CLS_ID, CLS_Name, CLS_ParentID) values (1, '茶具', 0), (2, '家具', 0);"
               "insert into Products (CLS_ID, P_NO, P_Name, P_EName, P_Unit, P_EUnit, P_Color, P_EColor, P_Price) values "
               "(1, 'P01', '茶杯', 'Cup', '个', 'PCS', '白', 'White', 12.5),"
               "(1, 'P02', '茶壶', 'Teapot" + std::to_string(GetCurrentProcessId()) + "', '只', 'PCS', '青', 'Green', 1234.5),"
               "(2, 'F01', '茶几', 'Table', '张', 'PCS', '黑', 'Black', 800);"
               "insert into Orders (O_ID, O_NO, O_OrderDate, C_ID, U_ID, O_IsBack, O_Enabled, O_JE) values "
               "(1, '" + Today() + "0001', date('now', 'localtime') || ' 00:00:00', 1, 1, 0, 1, 1272);"
               "insert into Orders_d (O_ID, P_ID, P_NO, P_Name, P_Unit, OD_Price, OD_Qty, OD_JE, OD_Memo) values "
               "(1, 1, 'P01', '茶杯', '个', 12.5, 3, 37.5, '加急'), (1, 2, 'P02', '茶壶', '只', 1234.5, 1, 1234.5, null);")
                  .c_str());
  HWND nav = WaitChild(app.Main, "TNavForm");
  ASSERT_NE(nav, nullptr);

  // The sales window: "查询", then "打印" previews the current order.
  PostMessageW(WaitChild(nav, "TBitBtn", "销售管理"), BM_CLICK, 0, 0);
  HWND sales = WaitChild(app.Main, "TSaleForm");
  ASSERT_NE(sales, nullptr);
  ASSERT_TRUE(WaitForeground(app.Main));
  Sleep(300);
  Click(WaitChild(sales, "TButton", "查询"));
  Sleep(500);
  ClickToolButton(WaitChild(sales, "TToolBar"), 4, 37, 2);   // "打印"
  HWND preview = WaitPreview(app.Run);
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(DialogAnswerer::WindowText(preview), "销售单");
  Snapshot(preview, "sales_order_preview.png");
  // Printed from the preview: the same figures as the database holds.
  std::string printed = PrintFromPreview(app.Run, preview, company, "sales_order_printed");
  ASSERT_FALSE(printed.empty()) << "no sales order printed";
  std::vector<std::string> head = Rows(db, "select o.O_NO, c.C_Name, c.C_Addr, c.C_Tel, c.C_Fax, o.O_JE "
                                           "from Orders o join Customers c on c.C_ID = o.C_ID");
  ASSERT_EQ(head.size(), 1u);
  std::vector<std::string> expected;
  for (size_t from = 0, bar; from <= head[0].size(); from = bar + 1) {
    bar = head[0].find('|', from);
    if (bar == std::string::npos) bar = head[0].size();
    expected.push_back(head[0].substr(from, bar - from));
  }
  expected.back() = Money(expected.back());   // the total of the lines
  for (const std::string& line : Rows(db, "select P_NO || '|' || P_Name || '|' || P_Unit, OD_Price, OD_Qty, OD_JE "
                                          "from Orders_d order by OD_ID")) {
    size_t a = line.find('|', line.find('|', line.find('|') + 1) + 1);
    size_t b = line.find('|', a + 1), c = line.find('|', b + 1);
    for (size_t from = 0, bar; from < a; from = bar + 1) {
      bar = std::min(line.find('|', from), a);
      expected.push_back(line.substr(from, bar - from));
    }
    expected.push_back(Money(line.substr(a + 1, b - a - 1)));
    expected.push_back(std::to_string(int(std::stod(line.substr(b + 1, c - b - 1)))));
    expected.push_back(Money(line.substr(c + 1)));
  }
  for (const std::string& want : expected) EXPECT_NE(printed.find(want), std::string::npos) << want << "\n" << printed;
  ClosePreview(preview);
  PostMessageW(sales, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitGone(sales));

  // The product window lists the first class: its "打印" previews that list.
  PostMessageW(WaitChild(nav, "TBitBtn", "产品管理"), BM_CLICK, 0, 0);
  HWND products = WaitChild(app.Main, "TProductForm");
  ASSERT_NE(products, nullptr);
  ASSERT_TRUE(WaitForeground(app.Main));
  Sleep(300);
  // (The buttons are as wide as the widest caption, "查看子类".)
  ClickToolButton(WaitChild(products, "TToolBar"), 10, 56, 4);   // "打印"
  preview = WaitPreview(app.Run);
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(DialogAnswerer::WindowText(preview), "产品清单");
  Snapshot(preview, "product_list_preview.png");
  printed = PrintFromPreview(app.Run, preview, "Teapot" + std::to_string(GetCurrentProcessId()), "product_list_printed");
  ASSERT_FALSE(printed.empty()) << "no product list printed";
  for (const std::string& product : Rows(db, "select P_NO, P_Name, P_EName, P_Color, P_EColor, P_Unit, P_EUnit, P_Price "
                                             "from Products where CLS_ID = 1")) {
    size_t from = 0;
    for (int column = 0; column < 8; ++column) {
      size_t bar = std::min(product.find('|', from), product.size());
      std::string value = product.substr(from, bar - from);
      if (column == 7) value = Money(value);
      EXPECT_NE(printed.find(value), std::string::npos) << value << "\n" << printed;
      from = bar + 1;
    }
  }
  EXPECT_EQ(printed.find("F01"), std::string::npos);
  ClosePreview(preview);
}

// ---------------------------------------------------------------------------
// Records other records refer to, duplicate codes and empty rows: refused
// with a message, nothing lost and nothing hidden.

TEST(Program, ReferencedRecordsDuplicateCodesAndEmptyRowsAreRefused) {
  TempDir dir;
  ASSERT_TRUE(CopyFileTo(std::string(TOVANI_TEST_BINARY_DIR) + "/tovani.exe.so", dir.File("tovani.exe.so")));
  LoggedIn app(dir.Path());
  ASSERT_NE(app.Main, nullptr);
  std::string db = dir.File("data.mdb");
  ExecSql(db, "insert into Customers (C_ID, C_NO, C_Name) values (1, 'C01', '上海贸易公司'), (2, 'C02', '北京商行');"
              "insert into Orders (O_ID, O_NO, O_OrderDate, C_ID, U_ID, O_IsBack, O_Enabled, O_JE) values "
              "(1, '202401010001', '2024-01-01 00:00:00', 1, 1, 0, 1, 10);"
              "insert into Classes (CLS_ID, CLS_Name, CLS_ParentID) values (1, '服装', 0), (2, '男装', 1);"
              "insert into Products (CLS_ID, P_NO, P_Name) values (2, 'A1', '衬衫');");
  HWND nav = WaitChild(app.Main, "TNavForm");
  ASSERT_NE(nav, nullptr);

  // A customer with an order is not deleted: the message names the order.
  PostMessageW(WaitChild(nav, "TBitBtn", "客户管理"), BM_CLICK, 0, 0);
  HWND customers = WaitChild(app.Main, "TCustomerForm");
  ASSERT_NE(customers, nullptr);
  HWND grid = WaitChild(customers, "TDBGridEh");
  ASSERT_TRUE(grid && WaitForeground(app.Main));
  Click(grid);
  SendKeys({VK_F4});
  EXPECT_EQ(AnswerError(app.Run), "客户\"上海贸易公司\"还有 1 张销售单，不能删除。");
  ExpectRows(db, "select count(*) from Customers", {"2"});
  // A new customer with a number another has is refused on save; the
  // dialog stays with what was typed.
  Click(grid);
  SendKeys({VK_F1});
  HWND edit = app.Run.WaitWindow("客户资料");
  ASSERT_NE(edit, nullptr);
  ASSERT_TRUE(WaitForeground(edit));
  TypeKeys(u"c02\r重复的客户\r");
  Click(WaitChild(edit, "TButton", "保存"));
  EXPECT_EQ(AnswerError(app.Run), "编号\"c02\"已被客户\"北京商行\"使用，请换一个编号。");
  EXPECT_TRUE(IsWindowVisible(edit));
  Click(WaitChild(edit, "TButton", "取消"));
  ASSERT_TRUE(WaitGone(edit));
  ExpectRows(db, "select group_concat(C_NO) from Customers", {"C01,C02"});
  PostMessageW(customers, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitGone(customers));

  // A class whose sub-class has a product is not deleted.
  DataMenuItem(app.Main, 2);
  HWND classes = app.Run.WaitWindow("产品分类");
  ASSERT_NE(classes, nullptr);
  HWND tree = WaitChild(classes, "TdxDBTreeView");
  ASSERT_NE(tree, nullptr);
  DWORD pid = 0;
  GetWindowThreadProcessId(classes, &pid);
  ClickAt(TreeItemPoint(pid, tree, TreeItem(tree, TVGN_ROOT)));
  Sleep(200);
  Click(WaitChild(classes, "TButton", "删除"));
  EXPECT_EQ(AnswerError(app.Run), "分类\"服装\"及其子分类下还有 1 个产品，不能删除。");
  ExpectRows(db, "select count(*) from Classes", {"2"});
  Click(WaitChild(classes, "TButton", "关闭"));
  ASSERT_TRUE(WaitGone(classes));

  // 资料设置: "添加" puts the cursor in the new row, so typing goes there;
  // a row added and left empty is not stored.
  DataMenuItem(app.Main, 3);
  HWND lists = app.Run.WaitWindow("资料设置");
  ASSERT_NE(lists, nullptr);
  ASSERT_TRUE(WaitForeground(lists));
  Click(WaitChild(lists, "TButton", "添加"));
  Sleep(200);
  TypeKeys(u"件");
  SendKeys({VK_TAB});
  TypeKeys(u"PCS");
  Sleep(100);
  Click(WaitChild(lists, "TButton", "保存"));
  ExpectRows(db, "select UnitName, UnitEName from B_Units", {"件|PCS"});
  Click(WaitChild(lists, "TButton", "添加"));
  Sleep(200);
  Click(WaitChild(lists, "TButton", "保存"));
  Sleep(300);
  EXPECT_EQ(app.Run.WaitWindow("", "#32770", 10), nullptr);
  ExpectRows(db, "select count(*) from B_Units", {"1"});
  PostMessageW(lists, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitGone(lists));
}

// A product's number names its picture file: a second product with the
// number is refused. A cost line saved without an amount can be edited
// afterwards (the line holds what the database stored), and a damaged
// picture file clears the picture and says so on the page.
TEST(Program, ProductCodesCostLinesAndDamagedPictures) {
  TempDir dir;
  ASSERT_TRUE(CopyFileTo(std::string(TOVANI_TEST_BINARY_DIR) + "/tovani.exe.so", dir.File("tovani.exe.so")));
  mkdir(dir.File("Pictures").c_str(), 0755);
  {
    TBitmap bmp;
    bmp.SetSize(120, 80);
    bmp.Canvas()->Brush()->SetColor(clNavy);
    bmp.Canvas()->FillRect(TRect(0, 0, 120, 80));
    TJPEGImage jpeg;
    jpeg.Assign(&bmp);
    jpeg.SaveToFile("Z:" + dir.File("Pictures/A1.jpg"));
    std::ofstream bad(dir.File("Pictures/A2.jpg"), std::ios::binary);
    bad << "\xFF\xD8\xFF\xE0 not a picture";
  }
  LoggedIn app(dir.Path());
  ASSERT_NE(app.Main, nullptr);
  std::string db = dir.File("data.mdb");
  ExecSql(db, "insert into Classes (CLS_ID, CLS_Name, CLS_ParentID) values (1, '服装', 0);"
              "insert into Products (P_ID, CLS_ID, P_NO, P_Name) values (1, 1, 'A1', '衬衫'), (2, 1, 'A2', '外套');"
              "insert into CostItems (COS_Item) values ('材料');");
  HWND nav = WaitChild(app.Main, "TNavForm");
  ASSERT_NE(nav, nullptr);
  PostMessageW(WaitChild(nav, "TBitBtn", "产品管理"), BM_CLICK, 0, 0);
  HWND products = WaitChild(app.Main, "TProductForm");
  ASSERT_NE(products, nullptr);
  HWND grid = WaitChild(products, "TDBGridEh");
  ASSERT_TRUE(grid && WaitForeground(app.Main));
  Sleep(300);
  ShowWindow(products, SW_RESTORE);
  SetWindowPos(products, nullptr, 0, 0, 780, 560, SWP_NOZORDER);
  Sleep(300);

  // The picture page of A1, then of A2 (whose file is damaged).
  HWND pages = WaitChild(products, "TPageControl");
  ASSERT_NE(pages, nullptr);
  DWORD pid = 0;
  GetWindowThreadProcessId(products, &pid);
  auto tab = [&](int index) {
    RECT r = RemoteCall(pid, pages, TCM_GETITEMRECT, WPARAM(index), RECT{});
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(pages, &p);
    ClickAt(p);
    Sleep(300);
  };
  RECT gr;
  GetWindowRect(grid, &gr);
  ClickAt({gr.left + 60, gr.top + 48});   // the first product
  Sleep(200);
  tab(1);
  HWND image = DialogAnswerer::FindChild(products, "TcxImage");
  ASSERT_NE(image, nullptr);
  EXPECT_TRUE(IsWindowVisible(image));
  ClickAt({gr.left + 60, gr.top + 48});
  SendKeys({VK_DOWN});
  Sleep(400);
  EXPECT_FALSE(IsWindowVisible(image)) << "the picture of the previous product stays";
  // The message is on the page: red text at its top left.
  RECT pr;
  GetWindowRect(pages, &pr);
  Snapshot(products, "products_damaged_picture.png");
  {
    HDC screen = GetDC(nullptr);
    int red = 0;
    for (int y = pr.top + 30; y < pr.top + 60; ++y)
      for (int x = pr.left + 8; x < pr.left + 300; ++x) {
        COLORREF c = GetPixel(screen, x, y);
        if (GetRValue(c) > 160 && GetGValue(c) < 90 && GetBValue(c) < 90) ++red;
      }
    ReleaseDC(nullptr, screen);
    EXPECT_GT(red, 20) << "no error text on the picture page";
  }

  // F1 with the number of another product: refused, the editor stays.
  Click(grid);
  SendKeys({VK_F1});
  HWND edit = app.Run.WaitWindow("产品资料");
  ASSERT_NE(edit, nullptr);
  ASSERT_TRUE(WaitForeground(edit));
  Click(ChildrenByPlace(edit, u"TDBEdit").front());
  TypeKeys(u"a1\r新产品\r");
  Click(WaitChild(edit, "TButton", "保存"));
  EXPECT_EQ(AnswerError(app.Run), "编号\"a1\"已被产品\"衬衫\"使用，请换一个编号。");
  EXPECT_TRUE(IsWindowVisible(edit));
  Click(WaitChild(edit, "TButton", "取消"));
  ASSERT_TRUE(WaitGone(edit));
  ExpectRows(db, "select count(*) from Products", {"2"});

  // A cost line saved without an amount, then given one.
  tab(2);
  std::vector<HWND> bars = ChildrenByPlace(products, u"TToolBar");
  ASSERT_EQ(bars.size(), 2u);
  RECT cb;
  GetWindowRect(bars[1], &cb);
  ClickAt({cb.left + 18, cb.top + 18});   // "添加"
  Sleep(300);
  ClickAt({cb.left + 2 * 37 + 18, cb.top + 18});   // "保存"
  if (HWND box = app.Run.WaitWindow("", "#32770", 20)) {
    ADD_FAILURE() << DialogAnswerer::WindowText(GetDlgItem(box, 0xFFFF));
    DialogAnswerer::Press(box, IDOK);
  }
  ExpectRows(db, "select PC_Cost from ProductCosts where P_ID = 2", {"0"});
  std::vector<HWND> grids = ChildrenByPlace(products, u"TDBGridEh");
  ASSERT_EQ(grids.size(), 2u);
  RECT cg;
  GetWindowRect(grids[1], &cg);
  ClickAt({cg.left + 12 + 120 + 60, cg.top + 28});   // the line's cost
  Sleep(200);
  TypeKeys(u"8.5");
  Sleep(100);
  ClickAt({cb.left + 2 * 37 + 18, cb.top + 18});   // "保存"
  if (HWND box = app.Run.WaitWindow("", "#32770", 20)) {
    ADD_FAILURE() << DialogAnswerer::WindowText(GetDlgItem(box, 0xFFFF));
    DialogAnswerer::Press(box, IDOK);
  }
  ExpectRows(db, "select c.PC_Cost, p.P_Cost from ProductCosts c join Products p on p.P_ID = c.P_ID", {"8.5|8.5"});
}

// A fresh program folder has no quotation template: the export makes the
// program's own and writes the quotation on it; a template the user puts
// there instead is kept and used.
TEST(Program, QuotationTemplateMadeWhenMissingAndTheUsersKept) {
  TempDir dir;
  ASSERT_TRUE(CopyFileTo(std::string(TOVANI_TEST_BINARY_DIR) + "/tovani.exe.so", dir.File("tovani.exe.so")));
  LoggedIn app(dir.Path());
  ASSERT_NE(app.Main, nullptr);
  std::string db = dir.File("data.mdb");
  ExecSql(db, "insert into Customers (C_ID, C_NO, C_Name) values (1, 'C01', '上海贸易公司');"
              "insert into Products (P_ID, P_NO, P_Name, P_Color, P_Size, P_GWeight, P_NWeight) values "
              "(1, 'P01', '茶杯', '白', '10x10', 1.5, 1.2);"
              "insert into PriceList (PL_ID, PL_NO, PL_Date, C_ID) values (1, 'Q0001', '2024-03-01 00:00:00', 1);"
              "insert into PriceList_d (PL_ID, P_ID, PLD_Price) values (1, 1, 12.5);");
  SetForegroundWindow(app.Main);
  WaitForeground(app.Main);
  SendKeys({'B'}, true);
  Sleep(200);
  SendKeys({VK_RETURN});
  HWND quotes = WaitChild(app.Main, "TPriceListForm");
  ASSERT_NE(quotes, nullptr);
  HWND bar = WaitChild(quotes, "TToolBar");
  std::string out = dir.File("price/Q0001.xlsx");
  for (const char* own : {"", "我们自己的报价单"}) {
    if (*own) {
      auto t = TWorkbook::CreateNew();
      t->Sheet(1).SetText(1, 1, own);
      t->SaveAs(dir.File("mb/price.xlsx"));
      unlink(out.c_str());
    }
    ClickToolButton(bar, 4, 55, 2);   // "导出"
    HWND told = app.Run.WaitWindow("信息", "#32770");
    ASSERT_NE(told, nullptr) << "no message";
    EXPECT_NE(DialogAnswerer::WindowText(GetDlgItem(told, 0xFFFF)).find("Q0001.xlsx"), std::string::npos);
    DialogAnswerer::Press(told, IDOK);
    ASSERT_TRUE(WaitGone(told));
    ASSERT_EQ(access(out.c_str(), R_OK), 0) << "no workbook written";
    auto book = TWorkbook::Open(out);
    TWorksheet& s = book->Sheet(1);
    auto text = [&](int r, int c) { return std::string(s.Cell(r, c).Text); };
    EXPECT_EQ(text(2, 2), "上海贸易公司");
    EXPECT_EQ(text(4, 2), "P01");
    EXPECT_EQ(text(5, 2), "茶杯");
    EXPECT_EQ(s.Cell(6, 6).Number, 12.5);
    if (*own) {
      EXPECT_EQ(text(1, 1), own);
      EXPECT_EQ(text(4, 1), "");
      auto kept = TWorkbook::Open(dir.File("mb/price.xlsx"));
      EXPECT_EQ(std::string(kept->Sheet(1).Cell(1, 1).Text), own);
    } else {
      ASSERT_EQ(access(dir.File("mb/price.xlsx").c_str(), R_OK), 0) << "no template made";
      for (auto [r, c, label] : {std::tuple{1, 1, "报价单"}, {4, 1, "编号"}, {5, 1, "名称"}, {4, 3, "颜色"},
                                 {5, 3, "尺寸"}, {4, 5, "毛重"}, {5, 5, "净重"}, {6, 5, "单价"}})
        EXPECT_EQ(text(r, c), label) << r << "," << c;
      EXPECT_GT(s.ColumnWidthPoints(7), 110);
    }
  }
}

// After an order is changed in the editor, the sales window shows and
// prints what was saved, not the lines it had read before.
TEST(Program, SalesWindowShowsAndPrintsAnEditedOrder) {
  TempDir dir;
  ASSERT_TRUE(CopyFileTo(std::string(TOVANI_TEST_BINARY_DIR) + "/tovani.exe.so", dir.File("tovani.exe.so")));
  LoggedIn app(dir.Path());
  ASSERT_NE(app.Main, nullptr);
  std::string db = dir.File("data.mdb");
  std::string marker = "编辑" + std::to_string(GetCurrentProcessId()) + "公司";
  ExecSql(db, ("update 参数 set 设置 = '" + marker + "' where 参数 = '企业名称';"
               "insert into Customers (C_ID, C_NO, C_Name) values (1, 'C01', '上海贸易公司');"
               "insert into Products (P_ID, P_NO, P_Name, P_Price) values (1, 'P01', '茶杯', 12.5);"
               "insert into Orders (O_ID, O_NO, O_OrderDate, C_ID, U_ID, O_IsBack, O_Enabled, O_JE) values "
               "(1, '" + Today() + "0001', date('now', 'localtime') || ' 00:00:00', 1, 1, 0, 1, 37.5);"
               "insert into Orders_d (O_ID, P_ID, P_NO, P_Name, OD_Price, OD_Qty, OD_JE) values "
               "(1, 1, 'P01', '茶杯', 12.5, 3, 37.5);").c_str());
  HWND nav = WaitChild(app.Main, "TNavForm");
  ASSERT_NE(nav, nullptr);
  PostMessageW(WaitChild(nav, "TBitBtn", "销售管理"), BM_CLICK, 0, 0);
  HWND sales = WaitChild(app.Main, "TSaleForm");
  ASSERT_NE(sales, nullptr);
  ASSERT_TRUE(WaitForeground(app.Main));
  Click(WaitChild(sales, "TButton", "查询"));
  Sleep(300);
  HWND bar = WaitChild(sales, "TToolBar");
  HWND editor = OpenByToolButton(app.Run, bar, 2, 37, 1, "销售单");   // "修改"
  ASSERT_NE(editor, nullptr);
  ASSERT_TRUE(WaitForeground(editor));
  // The dialog is kept on the screen, though wider than the main window.
  RECT er = SettledRect(editor);
  EXPECT_GE(er.left, 0);
  EXPECT_LE(er.right, GetSystemMetrics(SM_CXSCREEN));
  Snapshot(editor, "sales_dialog.png");
  std::vector<HWND> edits;
  EnumChildWindows(editor, &CollectEdits, reinterpret_cast<LPARAM>(&edits));
  ASSERT_EQ(edits.size(), 3u);
  std::sort(edits.begin(), edits.end(), [](HWND a, HWND b) {
    RECT ra, rb;
    GetWindowRect(a, &ra);
    GetWindowRect(b, &rb);
    return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
  });
  Click(edits[1]);   // the quantity
  SendKeys({VK_END, VK_BACK, VK_BACK, VK_BACK, VK_BACK, VK_BACK});
  TypeKeys(u"5\r\r");
  Sleep(200);
  Click(WaitChild(editor, "TButton", "保存"));
  ASSERT_TRUE(WaitGone(editor));
  ExpectRows(db, "select O_JE from Orders", {"62.5"});
  ClickToolButton(bar, 4, 37, 2);   // "打印"
  HWND preview = WaitPreview(app.Run);
  ASSERT_NE(preview, nullptr);
  std::string printed = PrintFromPreview(app.Run, preview, marker, "sales_order_edited_printed");
  ASSERT_FALSE(printed.empty()) << "nothing printed";
  EXPECT_NE(printed.find("¥62.50"), std::string::npos) << printed;
  EXPECT_EQ(printed.find("¥37.50"), std::string::npos) << printed;
  ClosePreview(preview);
  // A second preview of the window prints the same lines and total.
  ClickToolButton(bar, 4, 37, 2);   // "打印"
  preview = WaitPreview(app.Run);
  ASSERT_NE(preview, nullptr);
  printed = PrintFromPreview(app.Run, preview, marker, "sales_order_printed_again");
  ASSERT_FALSE(printed.empty()) << "nothing printed the second time";
  EXPECT_NE(printed.find("茶杯"), std::string::npos) << printed;
  EXPECT_NE(printed.find("¥62.50"), std::string::npos) << printed;
  ClosePreview(preview);
}

// The navigation window stays maximised when a window opened over it closes.
TEST(Program, NavigationWindowStaysMaximisedAfterAChildCloses) {
  TempDir dir;
  ASSERT_TRUE(CopyFileTo(std::string(TOVANI_TEST_BINARY_DIR) + "/tovani.exe.so", dir.File("tovani.exe.so")));
  LoggedIn app(dir.Path());
  ASSERT_NE(app.Main, nullptr);
  HWND nav = WaitChild(app.Main, "TNavForm");
  ASSERT_NE(nav, nullptr);
  EXPECT_TRUE(IsZoomed(nav));
  for (const char* window : {"客户管理", "销售管理"}) {
    PostMessageW(WaitChild(nav, "TBitBtn", window), BM_CLICK, 0, 0);
    HWND child = WaitChild(app.Main, window == std::string("客户管理") ? "TCustomerForm" : "TSaleForm");
    ASSERT_NE(child, nullptr);
    Sleep(200);
    PostMessageW(child, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitGone(child));
    Sleep(300);
    EXPECT_TRUE(IsZoomed(nav)) << window;
  }
  Snapshot(app.Main, "main_window_after_a_child_closed.png");
}

// A click in the class tree leaves the mouse free: the next click on the
// tool bar is taken at once, and a new product is entered in its dialog.
TEST(Program, ProductToolBarTakesTheFirstClickAfterTheClassTree) {
  TempDir dir;
  ASSERT_TRUE(CopyFileTo(std::string(TOVANI_TEST_BINARY_DIR) + "/tovani.exe.so", dir.File("tovani.exe.so")));
  LoggedIn app(dir.Path());
  ASSERT_NE(app.Main, nullptr);
  std::string db = dir.File("data.mdb");
  ExecSql(db, "insert into Classes (CLS_ID, CLS_Name, CLS_ParentID) values (1, '服装', 0), (2, '男装', 1), (3, '鞋类', 0);"
              "insert into Products (CLS_ID, P_NO, P_Name) values (2, 'A1', '衬衫');");
  HWND nav = WaitChild(app.Main, "TNavForm");
  ASSERT_NE(nav, nullptr);
  PostMessageW(WaitChild(nav, "TBitBtn", "产品管理"), BM_CLICK, 0, 0);
  HWND products = WaitChild(app.Main, "TProductForm");
  ASSERT_NE(products, nullptr);
  HWND tree = WaitChild(products, "TdxDBTreeView");
  HWND bar = WaitChild(products, "TToolBar");
  ASSERT_TRUE(tree && bar && WaitForeground(app.Main));
  SettledRect(products);
  DWORD pid = 0;
  GetWindowThreadProcessId(products, &pid);
  HTREEITEM top = TreeItem(tree, TVGN_ROOT);
  HTREEITEM shoes = TreeItem(tree, TVGN_NEXT, top);
  ASSERT_TRUE(top && shoes);
  int round = 0;
  for (HTREEITEM item : {shoes, top, shoes}) {
    ++round;
    ClickAt(TreeItemPoint(pid, tree, item));
    Sleep(300);
    ClickToolButton(bar, 5, 56, 2);   // "添加" (buttons as wide as "查看子类")
    HWND edit = app.Run.WaitWindow("产品资料", "", 100);
    ASSERT_NE(edit, nullptr) << "round " << round << ": the click on 添加 was not taken";
    ASSERT_TRUE(WaitForeground(edit));
    // The typing goes into the dialog, not the page below.
    Click(ChildrenByPlace(edit, u"TDBEdit").front());
    TypeKeys(u"N" + U16(std::to_string(round)) + u"\r新品\r");
    Sleep(100);
    Click(WaitChild(edit, "TButton", "保存"));
    ASSERT_TRUE(WaitGone(edit));
  }
  ExpectRows(db, "select CLS_ID, P_NO, P_Name from Products where P_ID > 1 order by P_ID",
             {"3|N1|新品", "1|N2|新品", "3|N3|新品"});
  ExpectRows(db, "select count(*) from Products where P_NO is null or P_NO = ''", {"0"});
}

// Closing a modal window by keyboard closes that window only: Escape in
// 资料设置, then Alt+F4 (or the window manager's close), then clicks on the
// main window leave the program running.
TEST(Program, ModalWindowClosedByAltF4LeavesTheProgramRunning) {
  TempDir dir;
  ASSERT_TRUE(CopyFileTo(std::string(TOVANI_TEST_BINARY_DIR) + "/tovani.exe.so", dir.File("tovani.exe.so")));
  LoggedIn app(dir.Path());
  ASSERT_NE(app.Main, nullptr);
  HWND nav = WaitChild(app.Main, "TNavForm");
  ASSERT_NE(nav, nullptr);
  for (int way = 0; way < 2; ++way) {
    DataMenuItem(app.Main, 3);
    HWND lists = app.Run.WaitWindow("资料设置");
    ASSERT_NE(lists, nullptr) << way;
    ASSERT_TRUE(WaitForeground(lists));
    Click(WaitChild(lists, "TDBGridEh"));
    Sleep(200);
    SendKeys({VK_ESCAPE});
    Sleep(200);
    if (way == 0) SendKeys({VK_F4}, true);
    else PostMessageW(lists, WM_SYSCOMMAND, SC_CLOSE, 0);
    // The dialog is gone (freed), its owner enabled and active again.
    for (int i = 0; i < 200 && IsWindow(lists); ++i) Sleep(25);
    EXPECT_FALSE(IsWindow(lists)) << way;
    EXPECT_TRUE(WaitForeground(app.Main)) << way;
    for (int i = 0; i < 3; ++i) {
      Click(nav);
      Sleep(300);
    }
    ASSERT_FALSE(app.Run.Exited()) << way;
    EXPECT_TRUE(IsWindowVisible(app.Main)) << way;
    EXPECT_TRUE(IsWindowEnabled(app.Main)) << way;
  }
}

namespace {

RECT ScreenRect(HWND h) {
  RECT r{};
  GetWindowRect(h, &r);
  return r;
}

// The visible part of a window's client area on the screen.
RECT VisibleClient(HWND h) {
  RECT c{};
  GetClientRect(h, &c);
  MapWindowPoints(h, nullptr, reinterpret_cast<POINT*>(&c), 2);
  return c;
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

std::string Describe(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + ")";
}

}  // namespace

// The windows' controls are laid out for the window they are in when they
// first show: nothing is cut off at the right or the bottom.
TEST(Program, WindowsShowTheirControlsWhole) {
  TempDir dir;
  ASSERT_TRUE(CopyFileTo(std::string(TOVANI_TEST_BINARY_DIR) + "/tovani.exe.so", dir.File("tovani.exe.so")));
  LoggedIn app(dir.Path());
  ASSERT_NE(app.Main, nullptr);
  std::string db = dir.File("data.mdb");
  ExecSql(db, "insert into Classes (CLS_ID, CLS_Name, CLS_ParentID) values (1, '服装', 0);"
              "insert into Products (CLS_ID, P_NO, P_Name, P_BarCode, P_Size, P_Price) "
              "values (1, 'A1', '衬衫', '690001', 'XL', 12.5);");
  HWND nav = WaitChild(app.Main, "TNavForm");
  ASSERT_NE(nav, nullptr);
  HWND client = FindWindowExW(app.Main, nullptr, reinterpret_cast<LPCWSTR>(u"MDIClient"), nullptr);
  ASSERT_NE(client, nullptr);
  // The part of the screen the windows show in, once the main window and
  // the window just opened have their sizes.
  RECT shown{};
  auto settle = [&](HWND child) {
    SettledRect(app.Main);
    SettledRect(client);
    SettledRect(child);
    shown = VisibleClient(client);
  };

  // 基本资料, first shown: the right column (条形码, 尺寸, 价格) lies inside
  // the page, and the page fills the page control.
  PostMessageW(WaitChild(nav, "TBitBtn", "产品管理"), BM_CLICK, 0, 0);
  HWND products = WaitChild(app.Main, "TProductForm");
  ASSERT_NE(products, nullptr);
  settle(products);
  HWND pages = WaitChild(products, "TPageControl");
  HWND page = WaitChild(pages, "TTabSheet");
  ASSERT_TRUE(pages && page);
  Snapshot(app.Main, "products_basic_page.png");
  RECT pageRect = ScreenRect(page), pagesRect = VisibleClient(pages);
  EXPECT_TRUE(Inside(pageRect, pagesRect)) << Describe(pageRect) << " in " << Describe(pagesRect);
  EXPECT_GE(pageRect.right, pagesRect.right - 8) << Describe(pageRect) << " in " << Describe(pagesRect);
  std::vector<HWND> edits = ChildrenByPlace(page, u"TDBEdit");
  ASSERT_GE(edits.size(), 7u);
  RECT visiblePage;
  IntersectRect(&visiblePage, &pageRect, &shown);
  for (HWND e : edits) {
    RECT r = ScreenRect(e);
    EXPECT_TRUE(Inside(r, visiblePage)) << ControlText(e) << " " << Describe(r) << " in " << Describe(visiblePage);
  }
  PostMessageW(products, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitGone(products));

  // The quotation window: the line grid reaches the picture, the picture
  // (201 wide) the right edge of the window; both are on the screen.
  SetForegroundWindow(app.Main);
  WaitForeground(app.Main);
  SendKeys({'B'}, true);
  Sleep(200);
  SendKeys({VK_RETURN});
  HWND quotes = WaitChild(app.Main, "TPriceListForm");
  ASSERT_NE(quotes, nullptr);
  settle(quotes);
  std::vector<HWND> panels = ChildrenByPlace(quotes, u"TPanel");
  ASSERT_EQ(panels.size(), 1u);
  HWND lines = WaitChild(panels[0], "TDBGridEh");
  ASSERT_NE(lines, nullptr);
  Snapshot(app.Main, "quotation_window_layout.png");
  RECT panel = ScreenRect(panels[0]), grid = ScreenRect(lines), form = VisibleClient(quotes);
  EXPECT_EQ(panel.right, form.right) << Describe(panel) << " in " << Describe(form);
  EXPECT_EQ(grid.right, panel.right - 201) << Describe(grid) << " in " << Describe(panel);
  EXPECT_EQ(panel.bottom, form.bottom);
  EXPECT_TRUE(Inside(panel, shown)) << Describe(panel) << " on " << Describe(shown);
  PostMessageW(quotes, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitGone(quotes));

  // The statistics window: "统计" whole, inside its panel and on the screen.
  PostMessageW(WaitChild(nav, "TBitBtn", "销售统计"), BM_CLICK, 0, 0);
  HWND statistics = WaitChild(app.Main, "TSaleStatForm");
  ASSERT_NE(statistics, nullptr);
  settle(statistics);
  HWND button = WaitChild(statistics, "TButton", "统计");
  ASSERT_NE(button, nullptr);
  Snapshot(app.Main, "sales_statistics_layout.png");
  RECT b = ScreenRect(button), bar = VisibleClient(GetParent(button));
  EXPECT_TRUE(Inside(b, bar)) << Describe(b) << " in " << Describe(bar);
  EXPECT_TRUE(Inside(b, shown)) << Describe(b) << " on " << Describe(shown);
  std::vector<HWND> grids = ChildrenByPlace(statistics, u"TDBGridEh");
  ASSERT_EQ(grids.size(), 2u);
  EXPECT_TRUE(Inside(ScreenRect(grids[1]), shown)) << Describe(ScreenRect(grids[1])) << " on " << Describe(shown);
}
