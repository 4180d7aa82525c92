/* A stand-in for the desktop's mail client, registered in the test prefix
   as the Simple MAPI provider: it writes what it was given to the file named
   by TOVANI_MAPI_LOG (UTF-8, one field a line) and answers the result in
   TOVANI_MAPI_RESULT (0 when unset). */
#include <windows.h>
#include <mapi.h>
#include <stdio.h>
#include <string.h>

static char out[65536];
static size_t used;

static void add(const char* s) {
  size_t n = strlen(s);
  if (used + n < sizeof out) {
    memcpy(out + used, s, n);
    used += n;
  }
}

static void put(const char* key, const WCHAR* text) {
  char buf[4096];
  int n = text ? WideCharToMultiByte(CP_UTF8, 0, text, -1, buf, sizeof buf, NULL, NULL) : 0;
  add(key);
  add("=");
  add(n > 0 ? buf : "(nil)");
  add("\n");
}

static void num(const char* key, long v) {
  char buf[64];
  snprintf(buf, sizeof buf, "%s=%ld\n", key, v);
  add(buf);
}

ULONG WINAPI StandInSendMailW(LHANDLE session, ULONG_PTR ui, lpMapiMessageW msg, FLAGS flags, ULONG reserved) {
  WCHAR path[MAX_PATH], result[32];
  ULONG i;
  HANDLE f;
  DWORD written;
  if (!GetEnvironmentVariableW(L"TOVANI_MAPI_LOG", path, MAX_PATH)) return MAPI_E_FAILURE;
  used = 0;
  num("flags", (long)flags);
  put("subject", msg->lpszSubject);
  put("body", msg->lpszNoteText);
  if (msg->lpOriginator) {
    num("originator.class", (long)msg->lpOriginator->ulRecipClass);
    put("originator.name", msg->lpOriginator->lpszName);
    put("originator.address", msg->lpOriginator->lpszAddress);
  }
  for (i = 0; i < msg->nRecipCount; i++) {
    num("recipient.class", (long)msg->lpRecips[i].ulRecipClass);
    put("recipient.address", msg->lpRecips[i].lpszAddress);
  }
  for (i = 0; i < msg->nFileCount; i++) {
    num("file.position", (long)(LONG)msg->lpFiles[i].nPosition);
    put("file.path", msg->lpFiles[i].lpszPathName);
    put("file.name", msg->lpFiles[i].lpszFileName);
  }
  f = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  if (f == INVALID_HANDLE_VALUE) return MAPI_E_FAILURE;
  WriteFile(f, out, (DWORD)used, &written, NULL);
  CloseHandle(f);
  if (GetEnvironmentVariableW(L"TOVANI_MAPI_RESULT", result, 32)) {
    ULONG r = 0;
    for (i = 0; result[i] >= '0' && result[i] <= '9'; i++) r = r * 10 + (result[i] - '0');
    return r;
  }
  return SUCCESS_SUCCESS;
}
