#pragma once
// One-line boxes hold only text that can be stored and searched as it
// stands:
//  - whole characters. A box's length limit counts UTF-16 code units, so a
//    character made of two (an emoji, a rarer CJK letter) typed or pasted
//    into the last free place would be cut in half, a broken character the
//    database cannot store as typed. The half is refused, as any character
//    that does not fit is.
//  - no U+0000. A pasted NUL would end a statement text in the middle (the
//    engine reads statements as C strings), so a search for it would fail.
// Every other character, control characters included, is kept.

class QLineEdit;
class QWidget;

// Takes half characters and NULs out of the box's text after each user edit.
void GuardTypedText(QLineEdit* box);

// The same for every one-line box inside `window`, combo boxes' included.
void GuardTypedTextIn(QWidget* window);
