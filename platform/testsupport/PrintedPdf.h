// Pages printed to the test queue, read back. The test set-up
// (scripts/cups.sh) gives the machine's CUPS the PDF queue "TovaniPDF",
// whose jobs land as PDF files in /var/spool/tovani-pdf named after the job
// title. A test prints under a title of its own (UniqueTitle), waits for the
// file and reads it with poppler's pdftotext and pdfinfo. Plain POSIX calls:
// these tests run as Wine programs built with a 2-byte wchar_t.
#pragma once
#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <string>
#include <utility>
#include <vector>

namespace printed_pdf {

inline const char* Queue() { return "TovaniPDF"; }
inline std::string Folder() { return "/var/spool/tovani-pdf"; }

// A job title no other run on the machine uses; letters, digits and
// underscores only, so the queue keeps it unchanged in the file name.
inline std::string UniqueTitle(const std::string& stem) {
  static int n = 0;
  return stem + "_" + std::to_string(getpid()) + "_" + std::to_string(time(nullptr) % 100000) + "_" +
         std::to_string(++n);
}

inline std::string Run(const std::string& command, int* status = nullptr) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    int rc = pclose(p);
    if (status) *status = rc;
  } else if (status) {
    *status = -1;
  }
  return out;
}

inline std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// The PDF printed under the title: its path once the file is complete, or
// empty when none came within the time limit.
inline std::string WaitFor(const std::string& title, int seconds = 60) {
  for (int tick = 0; tick < seconds * 10; ++tick) {
    if (DIR* d = opendir(Folder().c_str())) {
      std::string found;
      while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name.compare(0, title.size(), title) == 0 && name.size() > 4 &&
            name.compare(name.size() - 4, 4, ".pdf") == 0)
          found = Folder() + "/" + name;
      }
      closedir(d);
      // Ghostscript writes the file in place: complete once pdfinfo reads it.
      int rc = 1;
      if (!found.empty()) Run("pdfinfo " + Quote(found) + " 2>/dev/null", &rc);
      if (rc == 0) return found;
    }
    usleep(100000);
  }
  return std::string();
}

inline std::string Text(const std::string& pdf) { return Run("pdftotext -layout " + Quote(pdf) + " - 2>/dev/null"); }

// The text of each page (pdftotext ends every page with a form feed).
inline std::vector<std::string> PageTexts(const std::string& pdf) {
  std::vector<std::string> pages;
  std::string all = Text(pdf), cur;
  for (char c : all) {
    if (c == '\f') {
      pages.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  return pages;
}

inline int PageCount(const std::string& pdf) {
  std::string info = Run("pdfinfo " + Quote(pdf) + " 2>/dev/null");
  size_t at = info.find("Pages:");
  return at == std::string::npos ? -1 : atoi(info.c_str() + at + 6);
}

// Page size in PostScript points (width, height) of the first page.
inline std::pair<double, double> PageSize(const std::string& pdf) {
  std::string info = Run("pdfinfo " + Quote(pdf) + " 2>/dev/null");
  size_t at = info.find("Page size:");
  double w = 0, h = 0;
  if (at != std::string::npos) sscanf(info.c_str() + at + 10, " %lf x %lf", &w, &h);
  return {w, h};
}

// The box (xMin, yMin, xMax, yMax, in points) of the first word on a page
// holding Word; all zero when there is none. Text turned by a landscape page
// on a portrait sheet gives a box higher than wide.
struct WordBox {
  double XMin = 0, YMin = 0, XMax = 0, YMax = 0;
};
inline WordBox FindWord(const std::string& pdf, int page, const std::string& word) {
  std::string p = std::to_string(page);
  std::string html = Run("pdftotext -bbox -f " + p + " -l " + p + " " + Quote(pdf) + " - 2>/dev/null");
  WordBox box;
  size_t at = html.find(">" + word + "</word>");
  if (at == std::string::npos) return box;
  size_t start = html.rfind("<word", at);
  sscanf(html.c_str() + start, "<word xMin=\"%lf\" yMin=\"%lf\" xMax=\"%lf\" yMax=\"%lf\"", &box.XMin, &box.YMin,
         &box.XMax, &box.YMax);
  return box;
}

// Renders a page as a PNG beside the test's other output (pdftoppm).
inline bool RenderPng(const std::string& pdf, const std::string& pngPathWithoutSuffix, int page = 1, int dpi = 50) {
  int rc = 1;
  std::string range = " -f " + std::to_string(page) + " -l " + std::to_string(page);
  Run("pdftoppm -png -singlefile" + range + " -r " + std::to_string(dpi) + " " + Quote(pdf) + " " +
          Quote(pngPathWithoutSuffix) +
          " 2>/dev/null",
      &rc);
  return rc == 0;
}

inline void Remove(const std::string& pdf) {
  if (!pdf.empty()) unlink(pdf.c_str());
}

}  // namespace printed_pdf
