// Entry point of every test executable. Test programs are linked with
// -municode, so Wine calls wmain with UTF-16 arguments; they are turned into
// UTF-8 for GoogleTest's flag parser.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <cstdio>
#include <unistd.h>

static std::string Utf16ToUtf8Arg(const char16_t* s) {
  std::string out;
  for (; *s; ++s) {
    char32_t c = *s;
    if (c >= 0xD800 && c < 0xDC00 && s[1] >= 0xDC00 && s[1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[1] - 0xDC00);
      ++s;
    }
    if (c < 0x80) out += char(c);
    else if (c < 0x800) { out += char(0xC0 | (c >> 6)); out += char(0x80 | (c & 0x3F)); }
    else if (c < 0x10000) { out += char(0xE0 | (c >> 12)); out += char(0x80 | ((c >> 6) & 0x3F)); out += char(0x80 | (c & 0x3F)); }
    else { out += char(0xF0 | (c >> 18)); out += char(0x80 | ((c >> 12) & 0x3F)); out += char(0x80 | ((c >> 6) & 0x3F)); out += char(0x80 | (c & 0x3F)); }
  }
  return out;
}

extern "C" int wmain(int argc, char16_t** argv) {
  // With --tovani_normal_exit (see ChildTestRun.h) the process ends the way
  // a program does, and what it prints while ending (stderr) goes where
  // stdout goes, so that the test that started it can read it.
  bool normalExit = false;
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) {
    std::string a = Utf16ToUtf8Arg(argv[i]);
    if (i > 0 && a == "--tovani_normal_exit") normalExit = true;
    else args.push_back(std::move(a));
  }
  if (normalExit) dup2(1, 2);
  std::vector<char*> ptrs;
  for (auto& a : args) ptrs.push_back(a.data());
  ptrs.push_back(nullptr);
  int n = int(args.size());
  testing::InitGoogleTest(&n, ptrs.data());
  int result = RUN_ALL_TESTS();
  // Windows made by the tests leave Wine's drivers work to do when the
  // process detaches, and under Wine that teardown can fault after the
  // tests are done and still end with exit code 0, so a failing run would
  // look green. The result is written out and the process ends at once.
  std::fflush(stdout);
  std::fflush(stderr);
  if (normalExit) return result;
  _exit(result);
}
