#include "AppPictures.h"
#include <array>
#include <cstddef>
#include <string_view>
#include "Graphics.h"
#include "ImgList.h"

namespace {

// The pictures are pixel art: one string per row, one character per pixel,
// each character naming a colour of the small palette below. '.' is the
// transparent key colour, which no picture uses for anything else; it is also
// the bottom-left pixel of every picture, so a glyph shows the background
// through it even where a button takes its transparent colour from there.
constexpr TColor kKeyColour = 0xFF00FF;

constexpr TColor Rgb(int r, int g, int b) { return TColor(r | (g << 8) | (b << 16)); }

// The colour of a palette character, or -1 for a character the palette lacks.
constexpr TColor PaletteColour(char c) {
  switch (c) {
    case '.': return kKeyColour;
    case 'K': return Rgb(0, 0, 0);         // black outline
    case 'D': return Rgb(64, 64, 64);      // dark grey
    case 'G': return Rgb(128, 128, 128);   // grey
    case 'S': return Rgb(192, 192, 192);   // silver
    case 'L': return Rgb(228, 228, 228);   // light grey
    case 'W': return Rgb(255, 255, 255);   // white
    case 'r': return Rgb(160, 0, 0);       // dark red
    case 'R': return Rgb(232, 40, 32);     // red
    case 'o': return Rgb(248, 140, 32);    // orange
    case 'y': return Rgb(192, 140, 0);     // dark gold
    case 'Y': return Rgb(255, 224, 64);    // yellow
    case 'g': return Rgb(0, 112, 0);       // dark green
    case 'E': return Rgb(40, 176, 40);     // green
    case 'l': return Rgb(144, 232, 128);   // light green
    case 'b': return Rgb(0, 40, 128);      // navy
    case 'B': return Rgb(40, 100, 224);    // blue
    case 'c': return Rgb(150, 200, 255);   // light blue
    case 'n': return Rgb(128, 64, 0);      // brown
    case 'N': return Rgb(208, 160, 96);    // tan
    case 'h': return Rgb(244, 220, 164);   // light tan
    case 'p': return Rgb(248, 208, 168);   // skin
    default: return -1;
  }
}

template <std::size_t N>
using Art = std::array<std::string_view, N>;

// Square, drawn in palette colours only, transparent at the bottom-left corner.
template <std::size_t N>
constexpr bool WellFormed(const Art<N>& art) {
  for (std::string_view row : art) {
    if (row.size() != N) return false;
    for (char c : row)
      if (PaletteColour(c) < 0) return false;
  }
  return art[N - 1][0] == '.';
}

// First record.
constexpr Art<16> kFirst = {{
    "................",
    "................",
    "...bb......b....",
    "...bB.....bb....",
    "...bB....bBb....",
    "...bB...bBBb....",
    "...bB..bBBBb....",
    "...bB.bBBBBb....",
    "...bB.bBBBBb....",
    "...bB..bBBBb....",
    "...bB...bBBb....",
    "...bB....bBb....",
    "...bB.....bb....",
    "...bb......b....",
    "................",
    "................",
}};

// Prior record.
constexpr Art<16> kPrior = {{
    "................",
    "................",
    "..........b.....",
    ".........bb.....",
    "........bBb.....",
    ".......bBBb.....",
    "......bBBBb.....",
    ".....bBBBBb.....",
    ".....bBBBBb.....",
    "......bBBBb.....",
    ".......bBBb.....",
    "........bBb.....",
    ".........bb.....",
    "..........b.....",
    "................",
    "................",
}};

// Next record.
constexpr Art<16> kNext = {{
    "................",
    "................",
    ".....b..........",
    ".....bb.........",
    ".....bBb........",
    ".....bBBb.......",
    ".....bBBBb......",
    ".....bBBBBb.....",
    ".....bBBBBb.....",
    ".....bBBBb......",
    ".....bBBb.......",
    ".....bBb........",
    ".....bb.........",
    ".....b..........",
    "................",
    "................",
}};

// Last record.
constexpr Art<16> kLast = {{
    "................",
    "................",
    "....b......bb...",
    "....bb.....bB...",
    "....bBb....bB...",
    "....bBBb...bB...",
    "....bBBBb..bB...",
    "....bBBBBb.bB...",
    "....bBBBBb.bB...",
    "....bBBBb..bB...",
    "....bBBb...bB...",
    "....bBb....bB...",
    "....bb.....bB...",
    "....b......bb...",
    "................",
    "................",
}};

// Find: a magnifier.
constexpr Art<16> kFind = {{
    "................",
    "...KKKK.........",
    "..KWWccK........",
    ".KWcccccK.......",
    ".KWcccccK.......",
    ".KccccccK.......",
    ".KccccccK.......",
    "..KccccK........",
    "...KKKKnnD......",
    "........nnD.....",
    ".........nnD....",
    "..........nnD...",
    "...........nnD..",
    "............nnD.",
    ".............nD.",
    "................",
}};

// Print: a printer.
constexpr Art<16> kPrint = {{
    "................",
    "....KKKKKKK.....",
    "....KWWWWWK.....",
    "....KWKKKWK.....",
    "....KWWWWWK.....",
    "..KKKKKKKKKKK...",
    ".KSSSSSSSSSSSK..",
    ".KLLLLLLLLLLLK..",
    ".KSSSSSSSSSESK..",
    ".KGGGGGGGGGGGK..",
    ".KDDDDDDDDDDDK..",
    "..KKKKKKKKKKK...",
    "...KWWWWWWWK....",
    "...KWKKKKKWK....",
    "...KKKKKKKKK....",
    "................",
}};

// Delete: a red cross.
constexpr Art<16> kDelete = {{
    "................",
    "................",
    "..rrr......rrr..",
    ".rRRRr....rRRRr.",
    "..rRRRr..rRRRr..",
    "...rRRRrrRRRr...",
    "....rRRRRRRr....",
    ".....rRRRRr.....",
    ".....rRRRRr.....",
    "....rRRRRRRr....",
    "...rRRRrrRRRr...",
    "..rRRRr..rRRRr..",
    ".rRRRr....rRRRr.",
    "..rrr......rrr..",
    "................",
    "................",
}};

// Save: a floppy disk.
constexpr Art<16> kSave = {{
    "................",
    ".bbbbbbbbbbbbb..",
    ".bBBSSSSSSSBBb..",
    ".bBBSSSSbbSBBb..",
    ".bBBSSSSbbSBBb..",
    ".bBBSSSSSSSBBb..",
    ".bBBBBBBBBBBBb..",
    ".bBBBBBBBBBBBb..",
    ".bBWWWWWWWWWBb..",
    ".bBWWWWWWWWWBb..",
    ".bBWGGGGGGGWBb..",
    ".bBWWWWWWWWWBb..",
    ".bBWGGGGGGGWBb..",
    ".bBWWWWWWWWWBb..",
    ".bbbbbbbbbbbbb..",
    "................",
}};

// Refresh: two circular arrows.
constexpr Art<16> kRefresh = {{
    "................",
    "................",
    "......EEEE......",
    "....EEEEEEEE....",
    "...EEEE..EEEE...",
    "...EE...EEEEEE..",
    "..EEE....EEEE...",
    "..EE......EE....",
    "....EE......EE..",
    "...EEEE....EEE..",
    "..EEEEEE...EE...",
    "...EEEE..EEEE...",
    "....EEEEEEEE....",
    "......EEEE......",
    "................",
    "................",
}};

// Add: a green plus.
constexpr Art<16> kAdd = {{
    "................",
    "................",
    "......gggg......",
    "......glEg......",
    "......glEg......",
    "......glEg......",
    "..gggggEEggggg..",
    "..gllllllllllg..",
    "..gEEEEEEEEEEg..",
    "..gggggEEggggg..",
    "......gEEg......",
    "......gEEg......",
    "......gEEg......",
    "......gggg......",
    "................",
    "................",
}};

// Edit: a pencil.
constexpr Art<16> kEdit = {{
    "................",
    "...........KKK..",
    "..........KRRRK.",
    ".........KSRRRK.",
    "........KYSSRK..",
    ".......KYYYSK...",
    "......KYYYoK....",
    ".....KYYYoK.....",
    "....KYYYoK......",
    "...KYYYoK.......",
    "..KhYYoK........",
    "..KhhoK.........",
    ".KKhhK..........",
    ".KKKK...........",
    "................",
    "................",
}};

// Undo: an arrow curving back.
constexpr Art<16> kUndo = {{
    "................",
    "................",
    "................",
    "....b...........",
    "...bB...........",
    "..bBBbbbbbbb....",
    ".bBBBBBBBBBBBb..",
    "..bBBBBBBBBBBBb.",
    "...bB......bBBb.",
    "....b......bBBb.",
    "...........bBBb.",
    "..........bBBb..",
    "........bbBBb...",
    "........bbbb....",
    "................",
    "................",
}};

// Export: a sheet with an arrow going out.
constexpr Art<16> kExport = {{
    "................",
    "GGGGGGGGG.......",
    "GWWWWWWWG.......",
    "GWDDDDDWG.......",
    "GWWWWWWWG.g.....",
    "GWDDDDWWG.gg....",
    "GWWWWWWWG.gEg...",
    "GWDDDgggggEEEg..",
    "GWWWWgEEEEEEEEg.",
    "GWDDDgEEEEEEEEEg",
    "GWWWWgEEEEEEEEg.",
    "GWDDDgggggEEEg..",
    "GWWWWWWWG.gEg...",
    "GWWWWWWWG.gg....",
    "GGGGGGGGG.g.....",
    "................",
}};

// Close / exit: a door with an arrow going out.
constexpr Art<16> kClose = {{
    "................",
    ".DDDDDDDDD......",
    ".DNNNNNNND......",
    ".DNnnnnnND......",
    ".DNnNNNnND......",
    ".DNnNNNnND..r...",
    ".DNnnnnnND..rr..",
    ".DNNNNNNrrrrrRr.",
    ".DNNNNNYrRRRRRRr",
    ".DNNNNNNrrrrrRr.",
    ".DNnnnnnND..rr..",
    ".DNnNNNnND..r...",
    ".DNnnnnnND......",
    ".DNNNNNNND......",
    "DDDDDDDDDDD.....",
    "................",
}};

// Send mail: an envelope.
constexpr Art<16> kMail = {{
    "................",
    "................",
    "................",
    ".GGGGGGGGGGGGGG.",
    ".GDWWWWWWWWWWDG.",
    ".GWDWWWWWWWWDWG.",
    ".GWWDWWWWWWDWWG.",
    ".GWWWDWWWWDWWWG.",
    ".GWWWWDWWDWWWWG.",
    ".GWWWWWDDWWWWWG.",
    ".GWWWWWWWWWWWWG.",
    ".GWWWWWWWWWWWWG.",
    ".GWWWWWWWWWWWWG.",
    ".GGGGGGGGGGGGGG.",
    "................",
    "................",
}};

// Show sub-classes: a small tree of folders.
constexpr Art<16> kSubClasses = {{
    ".yyy............",
    ".yYYyyyy........",
    ".yYYYYYy........",
    ".yYYYYYy........",
    ".yyyyyyy........",
    "...G...yyy......",
    "...G...yYYyyyy..",
    "...GGGGyYYYYYy..",
    "...G...yYYYYYy..",
    "...G...yyyyyyy..",
    "...G............",
    "...G...yyy......",
    "...G...yYYyyyy..",
    "...GGGGyYYYYYy..",
    ".......yYYYYYy..",
    ".......yyyyyyy..",
}};

// Refresh classes: a folder with a circular arrow.
constexpr Art<16> kRefreshClasses = {{
    "................",
    ".yyyy...........",
    "yYYYYyyyyyyy....",
    "yYYYYYYYYWWW....",
    "yYYYYYYYYWgW....",
    "yYYYYYYWWWgg....",
    "yYYYYYWWggEEg...",
    "yYYYYWWgEEEEEg..",
    "yYYYYWgEggEEg...",
    "yYYYYWgEgWgg....",
    "yYYYYWgEgWWW.gg.",
    "yyyyyWgEgWWWgEg.",
    "......gEEg.gEEg.",
    ".......gEEEEEg..",
    "........ggggg...",
    "................",
}};

// Product: a cardboard box.
constexpr Art<32> kProduct = {{
    "................................",
    "................................",
    "................................",
    "...............nn...............",
    ".............nnhhnn.............",
    "..........LLLLhhhhhnn...........",
    "........nnLLLLLLhhhhhnnn........",
    "......nnhhhhLLLLLLhhhhhhnn......",
    "....nnhhhhhhhhLLLLLLhhhhhhnn....",
    "..nnhhhhhhhhhhhhLLLLLLhhhhhhnn..",
    "..nNhhhhhhhhhhhhhhLLLLLLhhhhyn..",
    "..nNNNhhhhhhhhhhhhhhLLLLLLyyyn..",
    "..nNNNNNhhhhhhhhhhhhhhhLLLyyyn..",
    "..nNNNNNNNNhhhhhhhhhhyyLLLyyyn..",
    "..nNNNNNNNNNNhhhhhhyyyyLLLyyyn..",
    "..nNNNNNNNNNNNNhhyyyyyyLLLyyyn..",
    "..nNNNNNNNNNNNNnyyyyyyyLLLyyyn..",
    "..nNNNNNNNNNNNNnyyyyyyyLLLyyyn..",
    "..nNNNNNNNNNNNNnyyyyyyyLLLyyyn..",
    "..nNWWWNNNNNNNNnyyyyyyyyyyyyyn..",
    "..nNWWWWWNNNNNNnyyyyyyyyyyyyyn..",
    "..nNWWGWWWWNNNNnyyyyyyyyyyyyyn..",
    "..nNWWWGGWWNNNNnyyyyyyyyyyyyyn..",
    "..nnNWWWWGGNNNNnyyyyyyyyyyyynn..",
    "....nnNWWWWNNNNnyyyyyyyyyynn....",
    "......nnNWWNNNNnyyyyyyyynn......",
    "........nnnNNNNnyyyyynnn........",
    "...........nnNNnyyynn...........",
    ".............nnnynn.............",
    "...............nn...............",
    "................................",
    "................................",
}};

// Customer: a person.
constexpr Art<32> kCustomer = {{
    "................................",
    "................................",
    "................................",
    "................................",
    "............nnnnnnnn............",
    "...........nnnnnnnnnn...........",
    "...........nnnnnnnnnn...........",
    "...........nnnnnnnnnn...........",
    "...........nppppppppn...........",
    "...........nppppppppn...........",
    "..........nppppppppppn..........",
    "...........nppKppKppn...........",
    "...........nppppppppn...........",
    "..........bnppppppppnb..........",
    ".........bBBnppppppnBBb.........",
    "........bBBBnnppppnnBBBb........",
    ".......bBBBBBBnnnnBBBBBBb.......",
    ".......bBBBBBBBBBBBBBBBBb.......",
    "......bBBBBBBBBBBBBBBBBBBb......",
    "......bBBBBBBBBBBBBBBBBBBb......",
    "......bBBBBBBBBBBBBBBBBBBb......",
    "......bBBBBBBBBBBBBBBBBBBb......",
    "......bBBBBBBBBBBBBBBBBBBb......",
    "......bBBBBBBBBBBBBBBBBBBb......",
    "......bbBBBBBBBBBBBBBBBBbb......",
    "........bBBBBBBBBBBBBBBb........",
    ".........bBBBBBBBBBBBBb.........",
    "..........bBBBBBBBBBBb..........",
    "...........bbbbbbbbbb...........",
    "................................",
    "................................",
    "................................",
}};

// Users: two persons.
constexpr Art<32> kUsers = {{
    "................................",
    "................................",
    "................nnnnnnnn........",
    "...............nnnnnnnnnn.......",
    "...............nnnnnnnnnn.......",
    "...............nnnnnnnnnn.......",
    "...............nppppppppn.......",
    "...............nppppppppn.......",
    "........nnnnnnnnpppppppppn......",
    ".......nnnnnnnnnnpKppKppn.......",
    ".......nnnnnnnnnnpppppppn.......",
    ".......nnnnnnnnnnpppppppng......",
    ".......nppppppppnppppppnEEg.....",
    ".......nppppppppnnppppnnEEEg....",
    "......nppppppppppnnnnnEEEEEEg...",
    ".......nppKppKppnEEEEEEEEEEEg...",
    ".......nppppppppnEEEEEEEEEEEEg..",
    "......bnppppppppnbEEEEEEEEEEEg..",
    ".....bBBnppppppnBBbEEEEEEEEEEg..",
    "....bBBBnnppppnnBBBbEEEEEEEEEg..",
    "...bBBBBBBnnnnBBBBBBbEEEEEEEEg..",
    "...bBBBBBBBBBBBBBBBBbEEEEEEEEg..",
    "..bBBBBBBBBBBBBBBBBBBbEEEEEEgg..",
    "..bBBBBBBBBBBBBBBBBBBbEEEEEg....",
    "..bBBBBBBBBBBBBBBBBBBbEEEEg.....",
    "..bBBBBBBBBBBBBBBBBBBbEEEg......",
    "..bBBBBBBBBBBBBBBBBBBbggg.......",
    "..bBBBBBBBBBBBBBBBBBBb..........",
    "..bbBBBBBBBBBBBBBBBBbb..........",
    "....bBBBBBBBBBBBBBBb............",
    ".....bBBBBBBBBBBBBb.............",
    "......bbbbbbbbbbbb..............",
}};

// Sales: a shopping cart.
constexpr Art<32> kSale = {{
    "................................",
    "................................",
    "...................ggggg........",
    "...................gEEEg........",
    ".DDDDD.......rrrrr.gEEEg........",
    ".DDDDDD......rRRRr.gEEEg........",
    ".....DD......rRRRr.gEEEg........",
    ".....DD......rRRRr.gEEEg........",
    ".....DDDDDDDDrRRRrDgEEEgDDDDD...",
    ".....DDWWWWGWrrrrrWgggggWWGWD...",
    "......DDWWWGWWWWGWWWWGWWWWGD....",
    "......DDWWWGWWWWGWWWWGWWWWGD....",
    "......DDGGGGGGGGGGGGGGGGGGGD....",
    "......DDWWWGWWWWGWWWWGWWWWGD....",
    "......DDDWWGWWWWGWWWWGWWWWG.....",
    ".......DDWWGWWWWGWWWWGWWWWG.....",
    ".......DDGGGGGGGGGGGGGGGGGD.....",
    ".......DDWWGWWWWGWWWWGWWWGD.....",
    ".......DDDWGWWWWGWWWWGWWWG......",
    ".......DDDDGDDDDGDDDDGDDDG......",
    "........DD......................",
    "........DD......................",
    "................................",
    ".........DDDDDDDDDDDDDDDDDDD....",
    ".........DKKDDDDDDDDDDDDKKDD....",
    ".........KKKK..........KKKK.....",
    "........KKGKKK........KKGKKK....",
    "........KKKKKK........KKKKKK....",
    ".........KKKK..........KKKK.....",
    "..........KK............KK......",
    "................................",
    "................................",
}};

// Sales statistics: a bar chart.
constexpr Art<32> kSaleStat = {{
    "................................",
    "................................",
    "...KK...........................",
    "...KK...........................",
    "..KKK...........................",
    "...KK...........................",
    "...KK....................yyyyy..",
    "...KK....................yYYYy..",
    "..KKK....................yYYYy..",
    "...KK....................yYYYy..",
    "...KK....................yYYYy..",
    "...KK........ggggg.......yYYYy..",
    "..KKK........gEEEg.......yYYYy..",
    "...KK........gEEEg.......yYYYy..",
    "...KK........gEEEg.......yYYYy..",
    "...KK........gEEEg.rrrrr.yYYYy..",
    "..KKK........gEEEg.rRRRr.yYYYy..",
    "...KK........gEEEg.rRRRr.yYYYy..",
    "...KK..bbbbb.gEEEg.rRRRr.yYYYy..",
    "...KK..bBBBb.gEEEg.rRRRr.yYYYy..",
    "..KKK..bBBBb.gEEEg.rRRRr.yYYYy..",
    "...KK..bBBBb.gEEEg.rRRRr.yYYYy..",
    "...KK..bBBBb.gEEEg.rRRRr.yYYYy..",
    "...KK..bBBBb.gEEEg.rRRRr.yYYYy..",
    "..KKK..bBBBb.gEEEg.rRRRr.yYYYy..",
    "...KK..bBBBb.gEEEg.rRRRr.yYYYy..",
    "...KK..bBBBb.gEEEg.rRRRr.yYYYy..",
    "...KK..bbbbb.ggggg.rrrrr.yyyyy..",
    "...KKKKKKKKKKKKKKKKKKKKKKKKKKKK.",
    "...KKKKKKKKKKKKKKKKKKKKKKKKKKKK.",
    "................................",
    "................................",
}};

// Change password: a key.
constexpr Art<32> kPassword = {{
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    ".....yyyyyyyy...................",
    "....yYYYYYYYYy..................",
    "...yYYYYYYYYYYy.................",
    "..yYYYyyYYYYYYYy................",
    "..yYYy..yYYYYYYy................",
    "..yYy....yYYYYYYyyyyyyyyyyyyyy..",
    "..yy......yYYYYYYYYYYYYYYYYYYy..",
    "..yy......yYYYYYYYYYYYYYYYYYYy..",
    "..yYy....yYYYYYYYYYYYYYYYYYYYy..",
    "..yYYy..yYYYYYYYyyyyyyYYYyyYYy..",
    "..yYYYyyYYYYYYYy......yYy..yYy..",
    "...yYYYYYYYYYYy.......yYy..yYy..",
    "....yYYYYYYYYy........yYy..yYy..",
    ".....yyyyyyyy.........yyy..yYy..",
    "...........................yyy..",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
}};

// Login: a padlock.
constexpr Art<32> kLogin = {{
    "................................",
    "................................",
    "................................",
    ".............GGGGGG.............",
    "...........GGSSSSSSGG...........",
    "..........GSSSSSSSSSSG..........",
    ".........GSSSGGGGGGSSSG.........",
    "........GSSSG......GSSSG........",
    "........GSSG........GSSG........",
    ".......GSSG..........GSSG.......",
    ".......GSSG..........GSSG.......",
    ".......GSSG..........GSSG.......",
    ".......GSSG..........GSSG.......",
    ".......GSSG..........GSSG.......",
    ".......GSSG..........GSSG.......",
    ".....yyyyyyyyyyyyyyyyyyyyyy.....",
    ".....yYhYYYYYYYYYYYYYYYYYYy.....",
    ".....yYhYYYYYYYYYYYYYYYYYYy.....",
    ".....yYhYYYYYYYYYYYYYYYYYYy.....",
    ".....yYhYYYYYYKKKKYYYYYYYYy.....",
    ".....yYhYYYYYYKKKKYYYYYYYYy.....",
    ".....yYhYYYYYYKKKKYYYYYYYYy.....",
    ".....yYhYYYYYYKKKKYYYYYYYYy.....",
    ".....yYhYYYYYYYKKYYYYYYYYYy.....",
    ".....yYhYYYYYYYKKYYYYYYYYYy.....",
    ".....yYhYYYYYYYKKYYYYYYYYYy.....",
    ".....yYhYYYYYYYKKYYYYYYYYYy.....",
    ".....yYhYYYYYYYYYYYYYYYYYYy.....",
    ".....yYhYYYYYYYYYYYYYYYYYYy.....",
    ".....yYhYYYYYYYYYYYYYYYYYYy.....",
    ".....yyyyyyyyyyyyyyyyyyyyyy.....",
    "................................",
}};

// A placeholder that keeps the image indexes where the windows expect them.
constexpr Art<16> kBlank = {{
    "................", "................", "................", "................",
    "................", "................", "................", "................",
    "................", "................", "................", "................",
    "................", "................", "................", "................",
}};

static_assert(WellFormed(kFirst) && WellFormed(kPrior) && WellFormed(kNext) && WellFormed(kLast) &&
              WellFormed(kFind) && WellFormed(kPrint) && WellFormed(kDelete) && WellFormed(kSave) &&
              WellFormed(kRefresh) && WellFormed(kAdd) && WellFormed(kEdit) && WellFormed(kUndo) &&
              WellFormed(kExport) && WellFormed(kClose) && WellFormed(kMail) && WellFormed(kSubClasses) &&
              WellFormed(kRefreshClasses) && WellFormed(kBlank));
static_assert(WellFormed(kProduct) && WellFormed(kCustomer) && WellFormed(kUsers) && WellFormed(kSale) &&
              WellFormed(kSaleStat) && WellFormed(kPassword) && WellFormed(kLogin));

// The images of the toolbar and menu list, by index.
constexpr const Art<16>* kToolImages[] = {
    &kFirst,  &kPrior,   &kNext,  &kLast,   &kBlank,  &kFind,  &kPrint,  &kDelete,         &kSave,
    &kRefresh, &kAdd,    &kEdit,  &kUndo,   &kExport, &kBlank, &kBlank,  &kBlank,          &kBlank,
    &kBlank,  &kClose,   &kMail,  &kBlank,  &kBlank,  &kBlank, &kSubClasses, &kRefreshClasses,
};
static_assert(std::size(kToolImages) == 26);

template <std::size_t N>
void Paint(TBitmap* Bitmap, const Art<N>& art) {
  Bitmap->SetPixelFormat(pf32bit);
  Bitmap->SetSize(Integer(N), Integer(N));
  TCanvas* canvas = Bitmap->Canvas();
  for (std::size_t y = 0; y < N; ++y)
    for (std::size_t x = 0; x < N; ++x) canvas->SetPixels(Integer(x), Integer(y), PaletteColour(art[y][x]));
  Bitmap->SetTransparentColor(kKeyColour);
  Bitmap->SetTransparent(true);
}

}  // namespace

void LoadProgramImages(TImageList* List) {
  List->Clear();
  List->SetSize(16, 16);
  List->SetMasked(true);
  TBitmap image;
  for (const Art<16>* art : kToolImages) {
    Paint(&image, *art);
    List->AddMasked(&image, kKeyColour);
  }
}

void DrawProgramGlyph(TBitmap* Bitmap, TProgramGlyph Glyph) {
  switch (Glyph) {
    case TProgramGlyph::Product: Paint(Bitmap, kProduct); break;
    case TProgramGlyph::Customer: Paint(Bitmap, kCustomer); break;
    case TProgramGlyph::Sale: Paint(Bitmap, kSale); break;
    case TProgramGlyph::SaleStat: Paint(Bitmap, kSaleStat); break;
    case TProgramGlyph::Users: Paint(Bitmap, kUsers); break;
    case TProgramGlyph::Password: Paint(Bitmap, kPassword); break;
    case TProgramGlyph::Login: Paint(Bitmap, kLogin); break;
  }
}
