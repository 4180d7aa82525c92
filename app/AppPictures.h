// The program's own pictures: the toolbar and menu images shared by every
// window, and the large glyphs of the navigation window and login dialog.
#pragma once

class TImageList;
class TBitmap;

// Fills List (made 16 × 16 first) with the program's toolbar and menu pictures: indexes 0..25.
void LoadProgramImages(TImageList* List);

enum class TProgramGlyph { Product, Customer, Sale, SaleStat, Users, Password, Login };

// Draws a 32 × 32 picture into Bitmap (its transparent colour set so buttons and images show the background through it).
void DrawProgramGlyph(TBitmap* Bitmap, TProgramGlyph Glyph);
