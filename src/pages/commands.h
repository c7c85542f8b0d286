// Wizard commands: WM_COMMAND messages posted to the main window with the
// command as the whole first parameter and 0 as the second.
#pragma once

enum {
    kCmdWelcome = 100,    // posted by start-up; opens the welcome page
    kCmdPath = 101,       // posted by welcome, components, history pages; opens the install-path page
    kCmdHistory = 102,    // posted by the path page and the UnInstall welcome page; opens the version list
    kCmdConfirm = 103,    // posted by the components page (path page on Windows 95); opens the confirmation
    kCmdCopy = 104,       // posted by the confirmation page or an unattended start-up; opens the copy page
    kCmdExit = 105,       // posted by every Exit button; opens the exit confirmation page
    kCmdComponents = 106, // posted by the path page on Windows NT; opens the components page
    kCmdWaitOn = 118,     // posted by 505 and the removing pages; opens the "Please Wait..." dialog
    kCmdWaitOff = 119,    // posted after 118; closes the wait dialog
    kCmdAbandon = 501,    // posted on any failure; warns that the product is not installed, then ends
    kCmdCopyStart = 502,  // posted by the copy page to itself; never reaches the dispatcher
    kCmdFinish = 503,     // posted by 506; success message, restart question on Windows NT, end
    kCmdShellGroup = 505, // posted by the copy page after a good copy; shell entries, then 508
    kCmdNtConfig = 506,   // posted by 508; Windows NT configuration and logger service, then 503
    kCmdRecordHistory = 508, // posted by 505; records the installation, then 506
};

enum { kFirstPage = 100, kLastPage = 106 };
