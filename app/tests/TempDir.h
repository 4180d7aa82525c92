// A fresh folder under /tmp, removed with its contents when the test ends.
// Paths are Linux paths. Plain POSIX calls: libstdc++'s std::filesystem does
// not work in a program built with a 2-byte wchar_t.
#pragma once
#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#include <string>
#include <vector>

class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/tovani-app-XXXXXX";
    if (mkdtemp(tmpl)) FPath = tmpl;
  }
  ~TempDir() { RemoveTree(FPath); }
  const std::string& Path() const { return FPath; }
  std::string File(const std::string& name) const { return FPath + "/" + name; }
  // Names in the folder (without "." and "..").
  std::vector<std::string> List() const { return Names(FPath); }

  static std::vector<std::string> Names(const std::string& dir) {
    std::vector<std::string> out;
    if (DIR* d = opendir(dir.c_str())) {
      while (dirent* e = readdir(d))
        if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") out.push_back(e->d_name);
      closedir(d);
    }
    return out;
  }

 private:
  static void RemoveTree(const std::string& path) {
    if (path.empty()) return;
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return;
    if (S_ISDIR(st.st_mode)) {
      for (auto& n : Names(path)) RemoveTree(path + "/" + n);
      rmdir(path.c_str());
    } else {
      unlink(path.c_str());
    }
  }
  std::string FPath;
};
