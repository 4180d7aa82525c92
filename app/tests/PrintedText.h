// The text of a page printed to the test set-up's PDF queue (see
// PrintedPdf.h). The PDF's fonts map some ideographs to their radical
// forms (行 to ⾏); the compatibility normalisation maps them back.
#pragma once
#include <string>
#include "PrintedPdf.h"

inline std::string PrintedText(const std::string& pdf) {
  return printed_pdf::Run("pdftotext -layout " + printed_pdf::Quote(pdf) +
                          " - 2>/dev/null | python3 -c 'import sys, unicodedata; "
                          "sys.stdout.write(unicodedata.normalize(\"NFKC\", sys.stdin.read()))'");
}
