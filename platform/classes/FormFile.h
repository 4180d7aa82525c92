// Text form files: the readable form of a component stream, in which forms
// and data modules are described beside their source files:
//
//   object SaleForm: TSaleForm
//     Caption = '销售单'
//     Font.Style = [fsBold]
//     SQL.Strings = (
//       'select * from Orders'
//       'where O_ID = :id')
//     Columns = <
//       item
//         FieldName = 'O_NO'
//       end>
//     Data = {0A0B}
//     OnClick = SaveClick
//     object btnSave: TButton
//       Caption = '保存'
//     end
//   end
//
// Strings are quoted with '' for a quote; #13, #$0D and #20013 give single
// characters by code point; 'a' + 'b' continues a string on the next line.
// Text between the quotes is UTF-8. `inherited` instead of `object` reads
// into a component the root already has. Numbers may carry a suffix: 1.5s
// (single), 1.5c (currency), 45000d (date).
#pragma once
#include "System.h"

class TStream;
class TComponent;

TOVANI_EXCEPTION(EParserError, Exception)

// Text form to binary component stream; EParserError "<what> on line <n>"
// for malformed text.
void ObjectTextToBinary(TStream* Input, TStream* Output);
// Binary component stream to text form; EReadError for a corrupt stream.
void ObjectBinaryToText(TStream* Input, TStream* Output);

String ObjectTextToBinary(const String& Text);
String ObjectBinaryToText(const String& Binary);

// Reads a component from its text form into Instance (or into a new object
// of the text's class when Instance is null): components are created by
// registered class, references resolved and handler names bound to the
// root's published methods; Loaded is called when all is read.
TComponent* ReadComponentFromText(const String& Text, TComponent* Instance);
// The same from a UTF-8 text file (a BOM is skipped); EFOpenError when the
// file cannot be opened.
TComponent* ReadComponentFromTextFile(const String& FileName, TComponent* Instance);
// The text form of Instance and the components it writes as children.
String ComponentToText(TComponent* Instance);
