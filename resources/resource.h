// Resource and command identifiers shared by the resource script, the shell and the stand-in.
#pragma once

#define IDI_MAIN_ICON 101  // icon group: two 32 by 32, 16-colour images
#define IDR_MAIN_MENU 104  // the main window's menu bar

// Menu commands.
#define IDM_EXIT 40001
#define IDM_ABOUT 40002
#define IDM_SHOW_STATUS 40005
#define IDM_HIDE_STATUS 40006
#define IDM_YEAR_2000 40007
