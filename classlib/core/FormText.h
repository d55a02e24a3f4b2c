#pragma once
// The text form of component streams, as the project's form layouts are written:
//
//   object MainForm: TMainForm
//     Caption = 'Brenvik'
//     Font.Name = 'Tahoma'            // nested object properties use dotted names
//     Anchors = [akLeft, akTop]       // sets
//     Items.Strings = (               // lists
//       'one'
//       'two')
//     Columns = <                     // collections
//       item
//         Width = 40
//       end>
//     Data = {0A0B0C}                 // binary data, hexadecimal
//     Ratio = 1.5                     // floats (suffix s: single, c: currency, d: date)
//     OnClick = ButtonClick           // identifiers: enumerations, events, references
//     object Button1: TButton
//       Caption = 'It''s'#13#10'ok'   // quotes doubled, #n for character codes
//     end
//   end
//
// ("//" comments are shown here for explanation; the format has none.) Conversion is purely
// syntactic: no class needs to be registered.
#include "core/Streams.h"

#include <string>
#include <string_view>

namespace classlib {

// How the text compiler writes integer and 8-bit text values: the smallest tag that holds the
// value (as the class library's writer does), or always vaInt32 and vaLString, for readers
// that accept only those (the crash-report settings resource).
enum class TValueWidth { Smallest, Full };

// Text to binary ("TPF0" signature and one object); raises EParserError with the line number.
std::string ObjectTextToBinary(std::string_view text,
                               TValueWidth valueWidth = TValueWidth::Smallest);
void ObjectTextToBinary(TStream& input, TStream& output);

// Binary to text (lines end with "\n", two blanks per nesting level); malformed input raises
// EReadError.
std::string ObjectBinaryToText(std::string_view binary);
void ObjectBinaryToText(TStream& input, TStream& output);

} // namespace classlib
