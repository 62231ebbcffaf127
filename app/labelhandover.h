#pragma once
// The windows that print labels do not open the label window themselves:
// they say which parties they want printed, and the main window, which
// owns every child window, hands them to a label window of their own.

class FrmPrntrpt;
class FrmSrchEngn;

void HandLabelsOver(FrmPrntrpt* form);
void HandLabelsOver(FrmSrchEngn* form);
