// Resource identifiers of tvcomm.dll.
#pragma once

#define IDD_MESSAGE_PAGE 101   // heading and text: ready, result and problem pages
#define IDD_PROGRESS_PAGE 102  // heading, progress bar, bytes sent, source and folder

#define IDC_HEADING 1001
#define IDC_TEXT 1002
#define IDC_PROGRESS 1003
#define IDC_STATUS 1004
