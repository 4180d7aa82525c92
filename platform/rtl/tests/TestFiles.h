// A scratch folder in the build tree for tests that make files, one per
// test; the files a test makes are created afresh (fmCreate) on each run.
#pragma once
#include <windows.h>
#include "SysUtils.h"
#include "System.h"
#include "Utf8.h"
#include "gtest.h"

class ScratchFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = "Z:" TOVANI_TEST_BINARY_DIR "/scratch";
    CreateDirectoryW(reinterpret_cast<LPCWSTR>(Utf8ToUtf16(dir_).c_str()), nullptr);
    auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ += String("/") + info->test_suite_name() + "." + info->name();
    CreateDirectoryW(reinterpret_cast<LPCWSTR>(Utf8ToUtf16(dir_).c_str()), nullptr);
  }
  // The Wine-side name (UTF-8) of a file in the folder.
  String Path(const String& name) const { return dir_ + "/" + name; }
  void Remove(const String& name) const {
    DeleteFileW(reinterpret_cast<LPCWSTR>(Utf8ToUtf16(Path(name)).c_str()));
  }
  String dir_;
};
