// Resource ids of baredlg.exe. The Continue button has the id of the setup
// program's Continue button, by which the timer recognises either page.
#pragma once

#define IDD_BARE 100
#define IDC_BARE_CONTINUE 1003
#define IDC_BARE_EXIT 105
