// Runs one test of the current test executable again, in a process of its
// own that ends the way a program ends: returning from its entry point, so
// that static destructors and Wine's DLL detach run. The test runner itself
// leaves at once (see TestMain.cpp) and so never shows a fault at exit; a
// test that must prove the process ends cleanly runs its work through here.
#pragma once
#include <windows.h>

#include <string>

struct TChildTestRun {
  bool Started = false;
  bool Finished = false;  // ended within the time allowed (killed otherwise)
  DWORD ExitCode = 0;
  std::string Output;     // what it wrote to stdout and stderr, in order
  // The output after GoogleTest's summary line: what the process printed
  // while it was ending. A clean end prints nothing there.
  std::string AfterSummary() const {
    size_t at = Output.rfind("[  PASSED  ]");
    if (at == std::string::npos) return Output;
    size_t eol = Output.find('\n', at);
    return eol == std::string::npos ? std::string() : Output.substr(eol + 1);
  }
};

// The flag TestMain takes to end through a normal exit, with stderr joined to stdout.
inline constexpr const char* kTestNormalExitFlag = "--tovani_normal_exit";

// True in a process started by RunTestInChildProcess: a test that only
// prepares what such a process does before it ends skips itself otherwise.
inline bool IsChildTestRun() {
  std::u16string cmd(reinterpret_cast<const char16_t*>(GetCommandLineW()));
  std::u16string flag;
  for (const char* p = kTestNormalExitFlag; *p; ++p) flag += char16_t(*p);
  return cmd.find(flag) != std::u16string::npos;
}

inline TChildTestRun RunTestInChildProcess(const std::string& Filter, DWORD TimeoutMs = 120000) {
  TChildTestRun run;
  char16_t name[MAX_PATH];
  if (!GetModuleFileNameW(nullptr, reinterpret_cast<LPWSTR>(name), MAX_PATH)) return run;
  // The module is NAME.exe, a start-up script beside the program itself
  // (NAME.exe.so), which is what Wine runs as a Windows process.
  std::u16string exe(name);
  if (GetFileAttributesW(reinterpret_cast<LPCWSTR>((exe + u".so").c_str())) != INVALID_FILE_ATTRIBUTES) exe += u".so";
  char16_t dir[MAX_PATH], file[MAX_PATH];
  if (!GetTempPathW(MAX_PATH, reinterpret_cast<LPWSTR>(dir)) ||
      !GetTempFileNameW(reinterpret_cast<LPCWSTR>(dir), reinterpret_cast<LPCWSTR>(u"tst"), 0,
                        reinterpret_cast<LPWSTR>(file)))
    return run;
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE out = CreateFileW(reinterpret_cast<LPCWSTR>(file), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY,
                           nullptr);
  if (out == INVALID_HANDLE_VALUE) return run;
  std::u16string cmd = u"\"" + exe + u"\" --gtest_filter=";
  for (char c : Filter) cmd += char16_t(static_cast<unsigned char>(c));
  cmd += u" ";
  for (const char* p = kTestNormalExitFlag; *p; ++p) cmd += char16_t(*p);
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = out;
  si.hStdError = out;
  PROCESS_INFORMATION pi{};
  run.Started = CreateProcessW(nullptr, reinterpret_cast<LPWSTR>(cmd.data()), nullptr, nullptr, TRUE, 0, nullptr,
                               nullptr, &si, &pi);
  if (run.Started) {
    run.Finished = WaitForSingleObject(pi.hProcess, TimeoutMs) == WAIT_OBJECT_0;
    if (!run.Finished) {
      TerminateProcess(pi.hProcess, 1);
      WaitForSingleObject(pi.hProcess, 5000);
    }
    GetExitCodeProcess(pi.hProcess, &run.ExitCode);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    SetFilePointer(out, 0, nullptr, FILE_BEGIN);
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(out, buffer, sizeof buffer, &got, nullptr) && got > 0) run.Output.append(buffer, got);
  }
  CloseHandle(out);
  DeleteFileW(reinterpret_cast<LPCWSTR>(file));
  return run;
}
