#pragma once
// The Qt options sheet: five tabbed pages over OptionsSheetModel, with OK, Cancel and Help.

class QWidget;

// Shows the options sheet modal to owner. Returns 1 for OK, 0 for Cancel, -1 when the sheet
// could not be created.
int RunOptionsSheetDialog(QWidget* owner);
