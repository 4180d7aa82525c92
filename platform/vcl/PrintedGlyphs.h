// Searchable text on PostScript printers for fonts whose glyphs carry no
// PostScript names.
//
// Wine's PostScript driver names every glyph it prints after the font's
// glyph-name table, fetching the whole table for each glyph. The program's
// CJK font therefore has no glyph names (a short table), and the driver
// names its glyphs "g" and the glyph number in hexadecimal. A PDF made from
// such a job (a PDF printer queue) would then have text that cannot be
// searched or copied. So, for such fonts, the pages also carry the standard
// GlyphNames2Unicode map in the font's FontInfo: a PostScript procedure at
// the top of each page adds the page's map to every font defined on it,
// and before a text run its glyphs not yet in the map are added. Printers
// ignore the map; PDF makers read it. The printer classes announce their
// pages; the canvas and the report's text drawing name the glyphs of what
// they write.
#pragma once

#include <cstddef>

// A new page has begun on the printer's device context.
void PrinterPageStarted(void* DC);
// The job on the device context has ended.
void PrinterJobEnded(void* DC);
// Before Text (Count UTF-16 units) is written on DC with its selected font:
// for a printing PostScript device and a font without glyph names, the
// characters of the glyphs not yet named on the page are written to the job.
void NamePrintedGlyphs(void* DC, const char16_t* Text, size_t Count);
