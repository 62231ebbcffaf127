#pragma once
// The fifteen columns of the result list and the panel lines that show them:
// entry N of both tables is column N (0 is the row text, 1 to 14 sub-items).

#include "search/frmsrchengn.h"

#include <QCoreApplication>

constexpr int kResultColumnCount = 15;

struct ResultColumn {
    const char* header;
    int width; // twips
};

inline constexpr ResultColumn kResultColumns[kResultColumnCount] = {
    {QT_TRANSLATE_NOOP("FrmSrchEngn", "Name"), 2700},
    {QT_TRANSLATE_NOOP("FrmSrchEngn", "Contact Person"), 1800},
    {QT_TRANSLATE_NOOP("FrmSrchEngn", "Address"), 3000},
    {QT_TRANSLATE_NOOP("FrmSrchEngn", "Area/Land Mark"), 1800},
    {QT_TRANSLATE_NOOP("FrmSrchEngn", "City"), 1300},
    {QT_TRANSLATE_NOOP("FrmSrchEngn", "State"), 1400},
    {QT_TRANSLATE_NOOP("FrmSrchEngn", "Country"), 1100},
    {QT_TRANSLATE_NOOP("FrmSrchEngn", "Pin Code "), 1000},
    {QT_TRANSLATE_NOOP("FrmSrchEngn", "Phone No."), 1700},
    {QT_TRANSLATE_NOOP("FrmSrchEngn", "Mobile No."), 1400},
    {QT_TRANSLATE_NOOP("FrmSrchEngn", "Fax No."), 1700},
    {QT_TRANSLATE_NOOP("FrmSrchEngn", "VAT/CST (TIN)"), 1500},
    {QT_TRANSLATE_NOOP("FrmSrchEngn", "E-Mail Id"), 2400},
    {QT_TRANSLATE_NOOP("FrmSrchEngn", "Web-Site "), 2200},
    {QT_TRANSLATE_NOOP("FrmSrchEngn", "Remarks (Notes)"), 3000},
};

// A caption label and the value label beside it (positions in twips,
// inside the panel; captions are one line high).
struct PanelLine {
    QLabel* FrmSrchEngn::*captionLabel;
    const char* captionName;
    const char* caption;
    int left, top, width;
    QLabel* FrmSrchEngn::*valueLabel;
    const char* valueName;
    int valueLeft, valueTop, valueWidth, valueHeight;
};

inline constexpr PanelLine kPanelLines[kResultColumnCount] = {
    {&FrmSrchEngn::Label3, "Label3", QT_TRANSLATE_NOOP("FrmSrchEngn", "Name :-"), 120, 240, 1815,
     &FrmSrchEngn::Label4, "Label4", 2040, 240, 5415, 255},
    {&FrmSrchEngn::Label5, "Label5", QT_TRANSLATE_NOOP("FrmSrchEngn", "Contact Person :-"), 120,
     600, 1815, &FrmSrchEngn::Label16, "Label16", 2040, 600, 5415, 255},
    {&FrmSrchEngn::Label6, "Label6", QT_TRANSLATE_NOOP("FrmSrchEngn", "Address :-"), 120, 960, 1815,
     &FrmSrchEngn::Label7, "Label7", 2040, 960, 5415, 255},
    {&FrmSrchEngn::Label8, "Label8", QT_TRANSLATE_NOOP("FrmSrchEngn", "Area/Land Mark :-"), 120,
     1320, 1815, &FrmSrchEngn::Label9, "Label9", 2040, 1320, 5415, 255},
    {&FrmSrchEngn::Label17, "Label17", QT_TRANSLATE_NOOP("FrmSrchEngn", "City :-"), 120, 1680, 1815,
     &FrmSrchEngn::Label18, "Label18", 2040, 1680, 2175, 255},
    {&FrmSrchEngn::Label19, "Label19", QT_TRANSLATE_NOOP("FrmSrchEngn", "State :-"), 4320, 1680,
     855, &FrmSrchEngn::Label20, "Label20", 5280, 1680, 2175, 255},
    {&FrmSrchEngn::Label21, "Label21", QT_TRANSLATE_NOOP("FrmSrchEngn", "Country :-"), 120, 2040,
     1815, &FrmSrchEngn::Label22, "Label22", 2040, 2040, 2175, 255},
    {&FrmSrchEngn::Label23, "Label23", QT_TRANSLATE_NOOP("FrmSrchEngn", "Pin :-"), 4320, 2040, 855,
     &FrmSrchEngn::Label24, "Label24", 5280, 2040, 2175, 255},
    {&FrmSrchEngn::Label25, "Label25", QT_TRANSLATE_NOOP("FrmSrchEngn", "Ph :-"), 7680, 240, 615,
     &FrmSrchEngn::Label11, "Label11", 8400, 240, 1695, 255},
    {&FrmSrchEngn::Label26, "Label26", QT_TRANSLATE_NOOP("FrmSrchEngn", "Mob.:-"), 10200, 240, 615,
     &FrmSrchEngn::Label27, "Label27", 10920, 240, 1695, 255},
    {&FrmSrchEngn::Label29, "Label29", QT_TRANSLATE_NOOP("FrmSrchEngn", "Fax No.:-"), 4320, 2400,
     855, &FrmSrchEngn::Label28, "Label28", 5280, 2400, 2175, 255},
    {&FrmSrchEngn::Label30, "Label30", QT_TRANSLATE_NOOP("FrmSrchEngn", "VAT/CST  :-"), 120, 2400,
     1815, &FrmSrchEngn::Label31, "Label31", 2040, 2400, 2175, 255},
    {&FrmSrchEngn::Label12, "Label12", QT_TRANSLATE_NOOP("FrmSrchEngn", "E-Mail Id :-"), 7680, 600,
     1215, &FrmSrchEngn::Label13, "Label13", 9000, 600, 3615, 255},
    {&FrmSrchEngn::Label14, "Label14", QT_TRANSLATE_NOOP("FrmSrchEngn", "Web-Site :-"), 7680, 960,
     1215, &FrmSrchEngn::Label15, "Label15", 9000, 960, 3615, 255},
    {&FrmSrchEngn::Label10, "Label10", QT_TRANSLATE_NOOP("FrmSrchEngn", "Remarks :-"), 7680, 1320,
     1215, &FrmSrchEngn::Label32, "Label32", 7680, 1560, 4935, 1095},
};
