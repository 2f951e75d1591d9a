// Resource and command identifiers shared by the resource script, the shell and the stand-in.
#pragma once

#define IDI_MAIN_ICON 101  // icon group: two 32 by 32, 16-colour images
#define IDR_MAIN_MENU 104  // the main window's menu bar

// Push buttons; the identifiers do not follow their left-to-right order.
#define IDC_ZOOM_OUT 101  // move away
#define IDC_SLOWER 102    // slower
#define IDC_MODE 103      // trails on or off
#define IDC_ZOOM_IN 104   // come closer
#define IDC_FASTER 105    // faster
#define IDC_ONE_YEAR 106  // one year later

// Menu commands.
#define IDM_EXIT 40001
#define IDM_ABOUT 40002
#define IDM_SHOW_STATUS 40005
#define IDM_HIDE_STATUS 40006
#define IDM_YEAR_2000 40007
