// Resource ids of the program: dialogs, the icon and every control id, each
// named once and used by name in code and tests.
#pragma once

// Dialogs: the page number is the wizard command that opens it.
#define IDD_WELCOME 100
#define IDD_PATH 101
#define IDD_HISTORY 102
#define IDD_CONFIRM 103
#define IDD_COPY 104
#define IDD_EXIT 105
#define IDD_COMPONENTS 106
#define IDD_WAIT 107

// Icon groups, in the order of their icon indices: the one shown by every
// page and the main window class (index 0), the UnInstall item's (index 1).
#define IDI_SETUP 120
#define IDI_UNINSTALL 121

// Icon indices the program names in its own file (ZELUNINS.EXE, a copy of it)
// for Program Manager items and shortcuts: the position of the icon group in
// the file's resource table, groups in the order of their ids.
#define ICON_INDEX_UNINSTALL 1 // the UnInstall item and shortcut

// Buttons. Some pages share ids; the numbers are those of the templates.
#define IDC_CONTINUE 1003       // welcome, path, components, confirmation
#define IDC_EXIT 105            // welcome, path, components, confirmation
#define IDC_INSTALL_HISTORY 102 // path page
#define IDC_COMPONENTS_BACK 101 // components page
#define IDC_BACK 1000           // confirmation and exit confirmation pages
#define IDC_EXIT_ABANDON 501    // exit confirmation page

// Other controls.
#define IDC_PATH_EDIT 1001    // path page: the install directory
#define IDC_WELCOME_TEXT 1004 // welcome page: what the program will do
#define IDC_APP_CHECK 1005    // components page: the management application
#define IDC_SNMP_CHECK 1006   // components page: the SNMP System Agent
#define IDC_CONFIRM_DIR 1008  // confirmation page: the install directory
#define IDC_COPY_FILE 1013    // copy page: the file being copied
#define IDC_HISTORY_LIST 1000 // version-history page: the recorded installations
#define IDC_HISTORY_HINT 1001 // version-history page: what to do with a row
#define IDC_WAIT_TEXT (-1)
