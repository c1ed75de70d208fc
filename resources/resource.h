// Resource ids. The numbers are fixed: stored files, key tables and other instances rely on them.
#pragma once

// Frame resources: menu, icon, toolbar images of the command bar.
#define IDR_MAINFRAME 128
#define IDB_MAINFRAME 128

// Strings.
#define IDS_PRODUCT_NAME 128
#define IDS_ERR_STARTUP 40012
#define IDS_ERR_SHUTDOWN 40013
#define IDS_ERR_WINDOW 40014
#define IDS_ERR_DOC_OPEN 40016
#define IDS_ERR_DOC_CLOSE 40017
#define IDS_ERR_PROGRESS 40031
#define IDS_ERR_RELOAD_HISTORY 40033
#define IDS_ERR_RELOAD_URLS 40036
#define IDS_ERR_RELOAD_LIBRARY 40070
#define IDS_ERR_LAYOUT_LOAD 40080
#define IDS_ERR_LAYOUT_SAVE 40081
#define IDS_ERR_RELOAD_SETTINGS 40086
#define IDS_ERR_RELOAD_SHORTKEY 40092
#define IDS_UNKNOWN_VALUE 40141
#define IDS_ERR_PLACE 40256
#define IDS_ERR_EXEINFO 40267
#define IDS_ERR_EXECDIR 40268
#define IDS_MODE_STANDALONE 40269
#define IDS_MODE_INSTALLED 40270

// Commands of the main menu.
#define ID_FILE_NEW_WINDOW 0xE100
#define ID_FILE_OPEN 0xE101
#define ID_FILE_CLOSE 0xE102
#define ID_FILE_SAVE 0xE104
#define ID_APP_ABOUT 0xE140
#define ID_APP_EXIT 0xE141
#define ID_URL_OPEN 0x9CBA
#define ID_VIEW_PROPERTY 0x9CBB
#define ID_VIEW_HISTORY 0x9CA8
#define ID_VIEW_LIBRARY 0x9CA9
#define ID_VIEW_SHORTKEY 0x9CAA
#define ID_SETTING 0x9CAB
#define ID_SUBWINDOW_RESET 0x9D01
#define ID_EXEC_INFO 0x9D4A
