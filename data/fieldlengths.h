#pragma once
// The most characters each stored text takes: what the boxes of the city,
// group and address masters accept. Whatever else brings text into the
// book (a restore, an import) holds it to the same lengths.

namespace FieldLength {
constexpr int City = 15;
constexpr int State = 10;
constexpr int Country = 10;
constexpr int Group = 15;
constexpr int PartyLine = 32; // name, contact, the address lines, PIN, VAT/CST, fax
constexpr int Phone = 15;     // land line and mobile
constexpr int Link = 100;     // e-mail and web site
constexpr int Notes = 500;
// A search box: twice the longest stored text, room for any search, while
// the box (which lays out its whole text on every key) stays within a frame
// whatever the text (30,000 accents in a row took over 200 ms a key).
constexpr int SearchValue = 2 * Notes;
} // namespace FieldLength
