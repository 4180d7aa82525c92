// The classic edit mask: "!", ">", "<", "\", the position classes
// L l A a C c 0 9 #, the separators ":" and "/" and the ";0;_" sections.
// A compiled mask is a list of position items; the engine lays typed or
// stored text into the positions, builds the text an empty mask shows,
// strips blanks to get the value text and tells whether a text is complete.
// Positions count whole characters of the UTF-8 text.
#pragma once
#include <memory>
#include <vector>
#include "System.h"
#include "cxTextChars.h"

class TcxStandardMaskCustomItem : public TObject {
  TOVANI_CLASS(TcxStandardMaskCustomItem, TObject)
 public:
  // May change Ch (case conversion); true when the position takes it.
  virtual bool AcceptChar(char32_t& Ch) = 0;
};

class TcxStandardMaskLiteralItem : public TcxStandardMaskCustomItem {
  TOVANI_CLASS(TcxStandardMaskLiteralItem, TcxStandardMaskCustomItem)
 public:
  explicit TcxStandardMaskLiteralItem(char32_t ALiteral) : FLiteral(ALiteral) {}
  bool AcceptChar(char32_t& Ch) override { return Ch == FLiteral; }
  char32_t Literal() const { return FLiteral; }

 private:
  char32_t FLiteral;
};

// Case conversion of a character-class position.
enum : Byte { cxMaskCaseUpper = 0, cxMaskCaseLower = 1, cxMaskCaseNone = 2 };

class TcxStandardMaskManyItem : public TcxStandardMaskCustomItem {
  TOVANI_CLASS(TcxStandardMaskManyItem, TcxStandardMaskCustomItem)
 public:
  TcxStandardMaskManyItem(Byte ACaseConversion, bool AOptional)
      : FCaseConversion(ACaseConversion), FOptional(AOptional) {}
  // Converts Ch by the position's case setting, then tests the character
  // as it was before the conversion.
  bool AcceptChar(char32_t& Ch) override;
  Byte CaseConversion() const { return FCaseConversion; }
  bool Optional() const { return FOptional; }

 protected:
  virtual bool Accepts(char32_t Ch) const = 0;
  void ConvertCase(char32_t& Ch) const;

 private:
  Byte FCaseConversion;
  bool FOptional;
};

#define CX_MASK_CLASS_ITEM(Cls)                                                      \
  class Cls : public TcxStandardMaskManyItem {                                       \
    TOVANI_CLASS(Cls, TcxStandardMaskManyItem)                                       \
   public:                                                                           \
    using TcxStandardMaskManyItem::TcxStandardMaskManyItem;                          \
                                                                                     \
   protected:                                                                        \
    bool Accepts(char32_t Ch) const override;                                        \
  };
CX_MASK_CLASS_ITEM(TcxStandardMaskAlphaItem)         // L l
CX_MASK_CLASS_ITEM(TcxStandardMaskAlphaNumericItem)  // A a
CX_MASK_CLASS_ITEM(TcxStandardMaskASCIIItem)         // C c: every character
CX_MASK_CLASS_ITEM(TcxStandardMaskNumericItem)       // 0 9
CX_MASK_CLASS_ITEM(TcxStandardMaskNumericSymbolItem) // #
#undef CX_MASK_CLASS_ITEM

class TcxStandardMask : public TObject {
  TOVANI_CLASS(TcxStandardMask, TObject)
 public:
  TcxStandardMask() = default;

  void Compile(const String& Mask);
  void Clear();

  // Replaces Text by the mask-shaped text (exactly Count characters).
  void FitText(String& Text, bool AUseConvertedChar, bool ATextHasLiterals) const;
  // Replaces a mask-shaped text by its value text.
  void StripBlanks(String& Text) const;
  // Converts the characters of Text in place, as the positions do.
  bool IsTextComplete(String& Text) const;
  String EmptyMaskText() const;
  String EmptyValueText() const;

  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TcxStandardMaskCustomItem* Items(Integer Index) const { return FItems.at(Index).get(); }
  bool IsLiteral(Integer Index) const;

  char32_t BlankChar() const { return FBlank; }
  bool Leading() const { return FLeading; }
  bool SaveLiterals() const { return FSaveLiterals; }
  const String& Mask() const { return FMask; }

 private:
  void Parse(const TcxChars& Mask);

  char32_t FBlank = '_';
  std::vector<std::unique_ptr<TcxStandardMaskCustomItem>> FItems;
  bool FLeading = false;
  bool FSaveLiterals = true;
  String FMask;
};
