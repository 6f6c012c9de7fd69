#pragma once
// Names for the numbers of the string table (resources/strings.rc). Load a text with
// LoadResString(IDS_...) from util/string_table.h. A comment gives the text where the name
// does not make it obvious.

enum StringId : unsigned {
    // messages and prompts
    IDS_ASK_CONTINUE_COPYING = 310,  // "\r\n\r\nContinue copying files?"
    IDS_REG_SETTINGS_KEY = 343,      // "Software\Ostrand\Farcast"
    IDS_LOG_NAME_REQUIRED = 344,     // "A log file name is required if you want to log messages."
    IDS_OPTIONS_CAPTION = 345,       // "Farcast Options"
    IDS_ERR_REGISTRY_KEY = 347,  // "Error opening registry key.\r\nRegCreateKeyEx return code 0x%X"
    IDS_LOG_FILE_FILTER = 348,   // "Log Files (*.log)|*.log|...|*.*||"
    IDS_LOG_FILE_PATTERN = 349,  // "*.log"
    IDS_SELECT_LOG_FILE = 350,   // "Select Log File"
    IDS_SELECT_TARGET_TITLE = 351,    // "Select a target volume\dir for all servers"
    IDS_ERR_SHELL_INTERFACE = 359,    // "Shell interface error"
    IDS_ERR_NO_NETWORK_FOLDER = 360,  // "Cannot find Network Neighbourhood"
    IDS_ASK_NEXT_SERVER = 371,        // "Do you want to continue copying files to the next server?"
    IDS_DESTINATION_REQUIRED = 375,   // "You must specify a destination path for file copies."
    IDS_ERR_OPEN_LOG = 378,           // "ERROR - Unable to open log file %s."
    IDS_FMT_TIMESTAMP = 383,          // "%s %s"
    IDS_WARN_NO_LONG_NAMES_ASK = 394,   // "WARNING - No long filename support ... to server %s?"
    IDS_ERR_OPEN_CREATE_DEST = 396,     // "ERROR - Unable to open or create destination file %s."
    IDS_FMT_SERVER_VOLUME = 397,        // "\\%s\%s"
    IDS_FMT_SERVER_PATH = 398,          // "\\%s%s"
    IDS_FMT_DIR_NAME_EXT = 399,         // "%s\%s%s"
    IDS_PROMPT_SOURCE_FILE = 402,       // "Source File:"
    IDS_PROMPT_DEST_FILE = 403,         // "Destination File:"
    IDS_FILE_EXISTS_CAPTION = 404,      // "File Already Exists"
    IDS_BYTES_SPACED = 405,             // " bytes "
    IDS_PROMPT_OVERWRITE = 406,         // "Overwrite the file?"
    IDS_SUMMARY_UPDATED = 411,          // "Updated or created "
    IDS_SUMMARY_FILES_TOTALLING = 412,  // " files totalling "
    IDS_BYTES = 413,                    // " bytes"
    IDS_WARN_NO_LONG_NAMES = 415,       // the unattended form of 394, without the question
    IDS_COPYING_FILES_TO = 417,         // "Copying Files To "
    IDS_ELLIPSIS = 418,                 // "..."
    IDS_ERR_CREATE_TEMP =
        419,  // "ERROR - Unable to create temporary file for copy in directory %s."
    IDS_ERR_RENAME_TEMP =
        420,  // "ERROR - %s was successfully copied to %s but unable to rename %s to %s."
    IDS_FMT_JOIN_PATH = 421,  // "%s\%s"
    IDS_ERR_PARSE_PATH =
        422,  // "ERROR - Unable to get details for path %s.\r\nNWParseNetWarePath error: 0x%X"
    IDS_FMT_UNC_PATH = 423,  // "\\%s\%s\%s"
    IDS_ERR_CREATE_DIR =
        424,  // "ERROR - Unable to create target directory %s.\r\nNWCreateDirectory error: 0x%X"
    IDS_LOG_UPDATED_FILE = 428,        // "\r\n%s\r\nUpdated file %s\r\n"
    IDS_ERR_VERIFY_TARGET = 429,       // "ERROR - Cannot verify target path %s. ..."
    IDS_REG_HELP_KEY = 430,            // "SOFTWARE\Microsoft\Windows\Help"
    IDS_FMT_VOLUME_RELATIVE = 431,     // "%s:%s"
    IDS_FMT_UNC_SHORTENED = 433,       // "\\%s\%s\ ...\%s"
    IDS_SUMMARY_DELETED = 436,         // "\r\nDeleted "
    IDS_SUMMARY_FILES_AND = 437,       // " files and "
    IDS_SUMMARY_DIRS_TOTALLING = 438,  // " directories totalling "
    IDS_SUMMARY_BYTES = 439,           // " bytes"
    IDS_LOG_DELETED_FILE = 442,        // "\r\n%s\r\nDeleted file %s\r\n"
    IDS_LOG_DELETED_DIR = 443,         // "\r\n%s\r\nDeleted directory %s\r\n"
    IDS_BUFFER_SIZE_HINT = 445,        // the Advanced page's text, continued by 446
    IDS_BUFFER_SIZE_HINT_2 = 446,
    IDS_ERR_SIZE_MISMATCH =
        448,  // "ERROR - Unknown error while copying %s to %s - ... don't match."
    IDS_ERR_SHORT_NAME =
        460,  // "ERROR - unable to convert to short form for filename %s.\r\nError status: %s."
    IDS_ERR_OPEN_TEMP = 461,            // "ERROR - unable to open temporary output file %s."
    IDS_ERR_SET_ATTRIBUTES = 462,       // "... NWSetNSEntryDOSInfo error: 0x%X"
    IDS_ERR_SET_COMPRESSED_SIZE = 463,  // "... NWSetCompressedFileSize error: 0x%X."
    IDS_ERR_GET_ATTRIBUTES = 464,       // "... NWGetNSEntryInfo error: 0x%X"
    IDS_ERR_SET_UNCOMPRESSED_SIZE = 465,
    IDS_ERR_SET_EOF = 466,  // "ERROR - Unable to set EOF for file %s."
    IDS_ERR_NAMESPACE =
        467,  // "Unable to get namespace information for %s.\r\nNWGetOwningNameSpace error: 0x%X"
    IDS_ERR_SET_TRUSTEES = 469,  // "ERROR - Unable to set trustee rights for %s."
    IDS_ERR_OPEN_FILE = 471,     // "ERROR - Unable to open file %s.\r\nNWOpenNSEntry error: 0x%X"

    // application shell: captions, help file, menus
    IDS_CAPTION_FARCAST = 1100,  // "Farcast": the caption of every box and the main window's title
    IDS_HELP_FILE = 1101,        // "FARCAST.HLP"
    IDS_MENU_FILE = 1102,        // "&File"
    IDS_MENU_OPTIONS = 1103,     // "&Options...\tCtrl+O"
    IDS_MENU_EXIT = 1104,        // "E&xit\tCtrl+X"
    IDS_MENU_HELP = 1105,        // "&Help"
    IDS_MENU_TOPICS = 1106,      // "&Topics\tF1"
    IDS_MENU_USING_HELP = 1107,  // "&Using help"
    IDS_MENU_ABOUT = 1108,       // "&About"
    IDS_POPUP_OPTIONS = 1109,    // "&Options..." (right-click menu)
    IDS_POPUP_EXIT = 1110,       // "E&xit" (right-click menu)
    IDS_FMT_ERROR_CODE = 1111,   // "0x%X"

    // about box
    IDS_ABOUT_MEMORY_LABEL = 1150,     // "Physical Memory:"
    IDS_ABOUT_PROCESSOR_LABEL = 1151,  // "Processor Type:"
    IDS_ABOUT_MEMORY_FORMAT = 1152,    // "%ld KB"
    IDS_ABOUT_CPU_386 = 1153,
    IDS_ABOUT_CPU_486 = 1154,
    IDS_ABOUT_CPU_PENTIUM = 1155,
    IDS_ABOUT_CPU_UNKNOWN = 1156,
    IDS_ABOUT_OK = 1157,       // "&OK"
    IDS_ABOUT_CREDITS = 1158,  // "&Credits"

    // copy run driver and source scan
    IDS_ERR_NO_SERVER_SELECTED =
        1200,               // "You must select one or more servers in the Farcast\r\nwindow ..."
    IDS_ERR_MEMORY = 1201,  // "Memory allocation error.\r\nInsufficient memory available."
    IDS_ERR_OPTIONS_DIALOG = 1202,  // "Unable to create options dialog."
    IDS_SOURCE_DIRECTORIES = 1203,  // "Source Directories:\t"
    IDS_SOURCE_FILES = 1204,        // "Source Files:\t"
    IDS_SOURCE_BYTES = 1205,        // "Source Bytes:\t"
    IDS_NEWLINE = 1206,             // "\r\n"
    IDS_PATTERN_ALL = 1207,         // "*.*"

    // per-server pass and path forms
    IDS_ERR_SOURCE_NOT_NETWARE =
        1220,  // "ERROR - Source files and directories must be on a NetWare volume. ..."
    IDS_ERR_SAME_DIRECTORY =
        1221,  // "ERROR - Source and target directories are the same. Cannot copy %s to %s."
    IDS_FMT_VOLUME_PATH = 1222,  // "\%s\%s"
    IDS_FMT_VOLUME_ONLY = 1223,  // "\%s"
    IDS_BACKSLASH = 1224,        // "\"
    IDS_SHORTENED_MARK = 1225,   // " ...\"

    // file copy
    IDS_TEMP_PREFIX = 1240,  // "FCT"

    // overwrite prompt: month names and the 12-hour clock
    IDS_MONTH_JANUARY = 1260,  // "January"; February to December follow in order
    IDS_MONTH_FEBRUARY = 1261,
    IDS_MONTH_MARCH = 1262,
    IDS_MONTH_APRIL = 1263,
    IDS_MONTH_MAY = 1264,
    IDS_MONTH_JUNE = 1265,
    IDS_MONTH_JULY = 1266,
    IDS_MONTH_AUGUST = 1267,
    IDS_MONTH_SEPTEMBER = 1268,
    IDS_MONTH_OCTOBER = 1269,
    IDS_MONTH_NOVEMBER = 1270,
    IDS_MONTH_DECEMBER = 1271,
    IDS_TIME_AM = 1272,
    IDS_TIME_PM = 1273,

    // progress dialogs
    IDS_COUNTING_CAPTION = 1300,  // "Counting Source Files and Directories..."
    IDS_COUNTING_PATH = 1301,     // "Path"
    IDS_COUNTING_FILES = 1302,    // "Files"
    IDS_COUNTING_DIRECTORIES = 1303,
    IDS_COUNTING_BYTES = 1304,
    IDS_PROGRESS_CANCEL = 1305,  // "Cancel"
    IDS_COPYING_CAPTION = 1306,  // "Copying..."
    IDS_COPY_FROM = 1307,        // "From:"
    IDS_COPY_TO = 1308,          // "To:"
    IDS_COPY_FILE_SIZE = 1309,   // "File size:"
    IDS_COPY_COPIED = 1310,      // "Copied:"
    IDS_COPY_OVERALL = 1311,     // "Overall"
    IDS_FIELD_BLANK = 1312,      // " ": an emptied progress field

    // NetWare client start-up and server list
    IDS_ERR_CALLS_INIT = 1400,
    IDS_ERR_PRIMARY_CONNECTION = 1401,
    IDS_ERR_CONNECTION_NUMBER = 1402,
    IDS_ERR_PRIMARY_LOGIN_NAME = 1403,
    IDS_ERR_PRIMARY_STATUS = 1404,
    IDS_ERR_SCAN_SERVERS =
        1405,  // "Unable to locate all servers in bindery.\r\nNWScanObject error: 0x%X"
    IDS_SCAN_ALL_NAMES = 1406,  // "*"

    // attach and login
    IDS_LOGIN_CAPTION = 1420,  // "Login"
    IDS_LOGIN_USERID = 1421,   // "&Userid:"
    IDS_LOGIN_PASSWORD = 1422,
    IDS_LOGIN_OK = 1423,
    IDS_LOGIN_CANCEL = 1424,
    IDS_LOGIN_PROMPT_SERVER = 1425,  // "Enter login name and password for attaching to %s"
    IDS_LOGIN_PROMPT_3X = 1426,      // "If you are copying files to any 3.x servers, ..."
    IDS_LOGIN_USERID_REQUIRED = 1427,
    IDS_ERR_LOGIN = 1428,          // "ERROR - Unable to login to server %s as %s. ..."
    IDS_ERR_ATTACH = 1429,         // "ERROR - Unable to attach to server %s. ..."
    IDS_ERR_SERVER_STATUS = 1430,  // "ERROR - Unable to get connection status for server %s. ..."
    IDS_WARN_PASSWORD_EXPIRED = 1431,  // "WARNING - The password for %s on %s has expired. ..."

    // volume and server capability checks
    IDS_ERR_NO_VOLUME = 1450,       // "ERROR - Volume %s does not exist on server %s."
    IDS_ERR_VOLUME_DETAILS = 1451,  // "... NWGetVolumeNumber error: 0x%X"
    IDS_ERR_NO_DEST_PATH = 1452,    // "ERROR - Destination path %s does not exist on server %s."
    IDS_ERR_LONG_NAME_CHECK =
        1453,  // "ERROR - Unable to establish whether long filenames are supported on %s."
    IDS_ERR_SERVER_VERSION = 1454,    // "... NWGetFileServerInformation error: 0x%X"
    IDS_ERR_EXTENDED_VOLUME = 1455,   // "... NWGetExtendedVolumeInfo error: 0x%X"
    IDS_ERR_VOLUME_FROM_PATH = 1456,  // "... NWParsePath error: 0x%X"
    IDS_ERR_VOLUME_STATS = 1457,      // "... NWGetVolumeInfoWithNumber error: 0x%X"

    // directory synchronisation
    IDS_SYNC_CAPTION = 1500,         // "Synchronizing..."
    IDS_SYNC_CAPTION_SERVER = 1501,  // "Synchronizing Directories On "
    IDS_SYNC_CHECKING_FILE = 1502,
    IDS_SYNC_FILES_DELETED = 1503,
    IDS_SYNC_DIRS_DELETED = 1504,
    IDS_SYNC_BYTES_DELETED = 1505,
    IDS_SYNC_CANCEL = 1506,
    IDS_ASK_DELETE = 1507,  // "Do you want to delete %s?"
    IDS_ASK_DELETE_FAILED =
        1508,               // "Unable to delete %s, do you want to continue synchronizing ..."
    IDS_ERR_DELETE = 1509,  // "ERROR - Unable to delete %s"

    // settings store: registry value names
    IDS_REG_CREATE_LOGFILE = 1600,
    IDS_REG_LOG_FILE_NAME = 1601,
    IDS_REG_TARGET_PATH = 1602,
    IDS_REG_TRACK_DIRECTORY = 1603,
    IDS_REG_VERBOSE_LOGGING = 1604,
    IDS_REG_UNATTENDED_MODE = 1605,
    IDS_REG_NETWARE4X_SERVERS = 1606,
    IDS_REG_LOGOUT_TARGET_FILE_USER = 1607,
    IDS_REG_NEVER_OVERWRITE = 1608,
    IDS_REG_OVERWRITE_OLDER = 1609,
    IDS_REG_PROMPT_ON_OVERWRITE = 1610,
    IDS_REG_SYNC_DIRS = 1611,
    IDS_REG_COPY_SUB_DIRS = 1612,
    IDS_REG_ONLY_COPY_EXISTING_FILES = 1613,
    IDS_REG_PROMPT_ON_DELETION = 1614,
    IDS_REG_COPY_ATTRIBUTES = 1615,
    IDS_REG_COPY_INHERITED_RIGHTS_MASK = 1616,
    IDS_REG_COPY_TRUSTEES = 1617,
    IDS_REG_COPY_COMPRESSED = 1618,
    IDS_REG_ALREADY_RUN = 1619,
    IDS_REG_BUFFER_SIZE = 1620,
    IDS_REG_LEFT = 1621,
    IDS_REG_TOP = 1622,
    IDS_REG_WIDTH = 1623,
    IDS_REG_HEIGHT = 1624,
    IDS_REG_HELP_FILE_VALUE = 1625,  // "FARCAST.HLP", the value under the help key (430)

    // options sheet: tabs, buttons, labels and check boxes
    IDS_TAB_COPYING = 1700,
    IDS_TAB_ERRORS = 1701,
    IDS_TAB_OVERWRITES = 1702,
    IDS_TAB_ATTRIBUTES = 1703,
    IDS_TAB_ADVANCED = 1704,
    IDS_SHEET_OK = 1705,
    IDS_SHEET_CANCEL = 1706,
    IDS_SHEET_HELP = 1707,
    IDS_SELECT_BUTTON = 1708,            // "&Select..."
    IDS_OPT_TRACK_DIRECTORY = 1710,      // "&Use source directory name for destination path"
    IDS_OPT_DESTINATION_LABEL = 1711,    // "&Destination Path on all selected servers:"
    IDS_OPT_COPY_SUB_DIRS = 1712,        // "&Copy subdirectories of dropped source directories"
    IDS_OPT_ONLY_EXISTING = 1713,        // "&Only copy files which already exist on destination"
    IDS_OPT_NETWARE4X = 1714,            // "Only copying to &NetWare 4.x destination servers"
    IDS_OPT_SYNC_DIRS = 1715,            // "S&ynchronize destination directories with source"
    IDS_OPT_PROMPT_ON_DELETION = 1716,   // "P&rompt on file deletion during synchronization"
    IDS_OPT_CREATE_LOGFILE = 1720,       // "&Create a log file"
    IDS_OPT_LOG_FILE_LABEL = 1721,       // "Log &file name:"
    IDS_OPT_VERBOSE_LOGGING = 1722,      // "&Verbose logging"
    IDS_OPT_UNATTENDED = 1723,           // "&Automatically answer prompts and error messages"
    IDS_OPT_LOGOUT_USERS = 1724,         // "&Logout users who have a destination file open"
    IDS_OPT_NEVER_OVERWRITE = 1730,      // "&Never overwrite files which exist on destination"
    IDS_OPT_OVERWRITE_OLDER = 1731,      // "&Only overwrite older files"
    IDS_OPT_PROMPT_ON_OVERWRITE = 1732,  // "&Prompt on file overwrite"
    IDS_OPT_COPY_ATTRIBUTES = 1740,      // "Copy NetWare file and directory &attributes"
    IDS_OPT_COPY_IRM = 1741,             // "Copy &inherited rights mask on files and directories"
    IDS_OPT_COPY_TRUSTEES =
        1742,  // "Copy file and directory &trustee rights (NDS to NDS servers only)"
    IDS_OPT_COPY_COMPRESSED = 1743,    // "Retain file &compression on supported media"
    IDS_OPT_BUFFER_SIZE_GROUP = 1750,  // "&Buffer size for copy"
    IDS_OPT_BUFFER_4K = 1751,          // "&4 kilobytes"
    IDS_OPT_BUFFER_8K = 1752,
    IDS_OPT_BUFFER_16K = 1753,
    IDS_OPT_BUFFER_32K = 1754,
    IDS_OPT_BUFFER_64K = 1755,
};

// Further subsystems append their blocks (numbers 5000-6999) below, one enum per subsystem
// with a comment line: enum : unsigned { IDS_... = 5000, ... };

// copying: tree walk, file copy, overwrite decision
enum : unsigned {
    IDS_ERR_PATH_TOO_LONG =
        5800,  // "ERROR - The path %s is longer than 259 characters and has been skipped."
    IDS_INVALID_DATE = 5801,  // "(invalid date)"
};

// settings: registry stand-in, system error texts
enum : unsigned {
    IDS_REGISTRY_HIVE_DAMAGED = 5200,        // a hive file that cannot be read, moved aside
    IDS_REGISTRY_HIVE_DAMAGED_KEPT = 5201,   // ... and that cannot be moved aside
    IDS_REGISTRY_HIVE_UNREADABLE = 5202,     // a hive file that cannot be opened
    IDS_SYSERR_UNKNOWN = 5210,               // "Unknown error 0x%X."
    IDS_SYSERR_SUCCESS = 5220,               // error 0
    IDS_SYSERR_FILE_NOT_FOUND = 5221,        // 2
    IDS_SYSERR_PATH_NOT_FOUND = 5222,        // 3
    IDS_SYSERR_ACCESS_DENIED = 5223,         // 5
    IDS_SYSERR_INVALID_HANDLE = 5224,        // 6
    IDS_SYSERR_NOT_ENOUGH_MEMORY = 5225,     // 8
    IDS_SYSERR_NO_MORE_FILES = 5226,         // 18
    IDS_SYSERR_SHARING_VIOLATION = 5227,     // 32
    IDS_SYSERR_HANDLE_DISK_FULL = 5228,      // 39
    IDS_SYSERR_FILE_EXISTS = 5229,           // 80
    IDS_SYSERR_INVALID_PARAMETER = 5230,     // 87
    IDS_SYSERR_DISK_FULL = 5231,             // 112
    IDS_SYSERR_INVALID_NAME = 5232,          // 123
    IDS_SYSERR_DIR_NOT_EMPTY = 5233,         // 145
    IDS_SYSERR_ALREADY_EXISTS = 5234,        // 183
    IDS_SYSERR_FILENAME_EXCED_RANGE = 5235,  // 206
    IDS_SYSERR_MORE_DATA = 5236,             // 234
};

// copy run driver, per-server pass, farcast-run
enum : unsigned {
    IDS_ERR_RUN_STILL_ENDING = 5600,  // a drop while a run is still winding down
    IDS_ERR_DEST_INSIDE_SOURCE =
        5601,  // "ERROR - Target directory %s lies inside the source directory %s. ..."
    IDS_RUN_HELP_FIRST = 5620,  // farcast-run --help, one line per entry up to ..._LAST
    IDS_RUN_HELP_LAST = 5629,
    IDS_RUN_ERROR = 5640,  // "farcast-run: %s"
    IDS_RUN_UNKNOWN_SERVER = 5641,
    IDS_RUN_UNKNOWN_VALUE_NAME = 5642,
    IDS_RUN_BAD_VALUE = 5643,
    IDS_RUN_BAD_ANSWER = 5644,
    IDS_RUN_BAD_LOGIN = 5645,
    IDS_RUN_NETWORK_UNUSABLE = 5646,
    IDS_RUN_NOTHING_TO_DO = 5647,
    IDS_RUN_UNKNOWN_OPTION = 5648,
    IDS_RUN_MISSING_VALUE = 5649,
    IDS_RUN_SETTINGS_UNUSABLE = 5650,
    IDS_RUN_BAD_SET = 5651,
};

// simulated network: network.toml, check, administration, farcast-netsim
enum SimStringId : unsigned {
    IDS_SIM_AT_LINE = 5000,  // "%s, line %u: %s" (file, line, problem)
    IDS_SIM_IN_FILE = 5001,  // "%s: %s" (file, problem)
    IDS_SIM_UNREADABLE = 5002,
    IDS_SIM_UNKNOWN_KEY = 5003,
    IDS_SIM_KEY_REQUIRED = 5004,
    IDS_SIM_NOT_STRING = 5005,
    IDS_SIM_NOT_BOOL = 5006,
    IDS_SIM_NOT_INTEGER = 5007,
    IDS_SIM_NOT_TABLE = 5008,
    IDS_SIM_NOT_TABLE_ARRAY = 5009,
    IDS_SIM_BAD_SERVER_NAME = 5010,
    IDS_SIM_SERVER_TWICE = 5011,
    IDS_SIM_BAD_VOLUME_NAME = 5012,
    IDS_SIM_VOLUME_TWICE = 5013,
    IDS_SIM_BAD_VERSION = 5014,
    IDS_SIM_BAD_CONNECTION = 5015,
    IDS_SIM_BAD_BLOCK_SIZE = 5016,
    IDS_SIM_BAD_TOTAL_BLOCKS = 5017,
    IDS_SIM_UNKNOWN_PRIMARY = 5018,
    IDS_SIM_BAD_DRIVE_LETTER = 5019,
    IDS_SIM_BAD_DRIVE_TARGET = 5020,
    IDS_SIM_BAD_FAULT_CALL = 5021,
    IDS_SIM_BAD_FAULT_SERVER = 5022,
    IDS_SIM_BAD_OBJECT_SERVER = 5023,
    IDS_SIM_BAD_NUMBER = 5024,
    IDS_SIM_BAD_TIMES = 5025,
    IDS_SIM_USER_TWICE = 5026,
    IDS_SIM_OBJECT_TWICE = 5027,
    IDS_SIM_STORE_UNUSABLE = 5028,
    IDS_SIM_ROOT_NOT_DIR = 5029,
    IDS_SIM_VOLUME_DIR_FAILED = 5030,
    IDS_SIM_NAME_TOO_LONG = 5031,
    IDS_SIM_CHECK_CASE_TWINS = 5050,
    IDS_SIM_CHECK_BAD_NAME = 5051,
    IDS_SIM_CHECK_NOT_DOS_NAME = 5052,
    IDS_SIM_CHECK_SPECIAL_FILE = 5053,
    IDS_SIM_CHECK_BAD_COMPRESSED = 5054,
    IDS_SIM_CHECK_UNREADABLE_DIR = 5055,
    IDS_SIM_NOT_ON_NETWORK = 5070,
    IDS_SIM_NO_SUCH_ENTRY = 5071,
    IDS_SIM_NOT_A_FILE = 5072,
    IDS_SIM_NO_COMPRESSION = 5073,
    IDS_SIM_ALREADY_COMPRESSED = 5074,
    IDS_SIM_NO_OBJECT_ID = 5075,
    IDS_SIM_CANNOT_CHANGE = 5076,
    IDS_SIM_FILE_OPEN = 5077,
    IDS_SIM_DEMO_EXISTS = 5078,
    IDS_SIM_CANNOT_CREATE = 5079,
    IDS_NETSIM_ABOUT = 5100,
    IDS_NETSIM_USAGE = 5101,
    IDS_NETSIM_ROOT_RULE = 5102,
    IDS_NETSIM_COMMANDS = 5103,
    IDS_NETSIM_HELP_DEMO = 5104,
    IDS_NETSIM_HELP_CHECK = 5105,
    IDS_NETSIM_HELP_STAT = 5106,
    IDS_NETSIM_HELP_ATTR = 5107,
    IDS_NETSIM_HELP_IRM = 5108,
    IDS_NETSIM_HELP_TRUSTEE = 5109,
    IDS_NETSIM_HELP_COMPRESS = 5110,
    IDS_NETSIM_HELP_PATHS = 5111,
    IDS_NETSIM_HELP_EXIT = 5112,
    IDS_NETSIM_ERROR = 5113,  // "farcast-netsim: %s"
    IDS_NETSIM_UNKNOWN_COMMAND = 5114,
    IDS_NETSIM_ARGUMENT_COUNT = 5115,
    IDS_NETSIM_BAD_HEX = 5116,
    IDS_NETSIM_CHECK_OK = 5117,        // "%s: no problems found"
    IDS_NETSIM_CHECK_PROBLEMS = 5118,  // "farcast-netsim: %u problems found"
    IDS_NETSIM_DEMO_DONE = 5119,
    IDS_NETSIM_NETWORK_VALUE = 5120,
    IDS_NETSIM_UNKNOWN_OPTION = 5121,
    IDS_NETSIM_HELP_NETWORK = 5122,
    IDS_NETSIM_HELP_HELP = 5123,
    IDS_NETSIM_NO_COMMAND = 5124,
};

// application window, start-up network, help viewer
enum AppStringId : unsigned {
    IDS_DEMO_NETWORK_CREATED =
        6000,  // "Farcast found no NetWare network ... set up ... in\r\n%s ..."
    IDS_ERR_NETWORK_UNUSABLE = 6001,  // "ERROR - The NetWare network in %s cannot be used.\r\n%s"
    IDS_ERR_DEMO_NETWORK = 6002,    // "ERROR - Unable to create the demonstration network in %s..."
    IDS_RUN_STILL_ENDING = 6004,    // "A copy run is still finishing. Drop the files again ..."
    IDS_HELP_VIEWER_TITLE = 6005,   // "Farcast Help"
    IDS_HELP_CONTENTS = 6006,       // "&Contents"
    IDS_HELP_BACK = 6007,           // "&Back"
    IDS_HELP_FORWARD = 6008,        // "&Forward"
    IDS_HELP_CLOSE = 6009,          // "&Close"
    IDS_HELP_TOPIC_MISSING = 6010,  // "The help topic %s cannot be found."
};

// data safety: places, names, listings, interrupted copies, failed writes
enum SafetyStringId : unsigned {
    IDS_SIM_CANNOT_READ = 7000,             // "%s cannot be read: %s"
    IDS_SIM_CHECK_LINKED_VOLUME = 7001,     // "%s is a symbolic link or not a directory: ..."
    IDS_SIM_DEMO_NOT_EMPTY = 7002,          // "%s is not empty: the demo network needs ..."
    IDS_SIM_DEMO_NOT_A_DIRECTORY = 7003,    // "%s is not a directory (or is a symbolic link)..."
    IDS_ERR_COPY_MEETS_SOURCE = 7010,       // "ERROR - The copy of %s in %s would land on ..."
    IDS_ERR_CASE_TWIN = 7011,               // "ERROR - %s has been left out: its name differs ..."
    IDS_ERR_CANNOT_READ_DROPPED = 7012,     // "ERROR - %s cannot be read and has been left out..."
    IDS_ERR_CANNOT_READ_DIR = 7013,         // "ERROR - The directory %s cannot be read. ..."
    IDS_ERR_NOT_A_VOLUME_PATH = 7014,       // "ERROR - The destination %s is not a volume path..."
    IDS_FMT_CALL_ERROR = 7015,              // "\r\n%s error: 0x%X (%s)": call, code, system text
    IDS_ERR_SOURCE_CHANGED = 7016,          // "ERROR - %s changed while it was being copied ..."
    IDS_ERR_FINISH_TEMP = 7017,             // "ERROR - Unable to finish writing the temporary ..."
    IDS_ERR_LOG_WRITE = 7018,               // "ERROR - The log file %s cannot be written: ..."
    IDS_SKIP_CASE_TWIN = 7019,              // "its name differs only in case from %s"
    IDS_SKIP_PATH_TOO_LONG = 7020,          // "longer than 259 characters"
    IDS_SYSERR_WRITE_FAULT = 7021,          // system text of ERROR_WRITE_FAULT
    IDS_SYSERR_LOCK_VIOLATION = 7022,       // system text of ERROR_LOCK_VIOLATION
    IDS_ERR_NO_ROOM = 7023,                 // "ERROR - %s has not been copied to %s: the ..."
    IDS_ERR_RESTORE_SKIPPED = 7080,         // "ERROR - The attributes of %s have not been put ..."
    IDS_ERR_TEMP_LEFT = 7081,               // "ERROR - The temporary file %s cannot be removed..."
    IDS_SIM_CHECK_TEMP_LEFT = 7082,         // "%s: a temporary file left by a copy that ..."
    IDS_SIM_CHECK_ALIAS_IS_NAME = 7083,     // "%s: the alias %s of %s is the name of another ..."
    IDS_SIM_STORE_MISSING = 7084,           // "the metadata store %s is missing or empty, ..."
    IDS_SIM_CHECK_JOURNAL_NOT_FILE = 7085,  // "%s is not a regular file: it is passed over"
    IDS_NETSIM_HELP_REBUILD = 7086,         // the help line of rebuild-store
    IDS_NETSIM_REBUILT = 7087,              // "%s rebuilt from the trees: %u entries"
    IDS_NETSIM_REBUILD_UNKNOWN = 7088,      // what a rebuilt store cannot know
    IDS_NETSIM_REBUILD_COMPRESSED = 7089,   // "%s: taken for a compressed file ..."
    IDS_NETSIM_STORE_PRESENT = 7090,        // "%s holds a metadata store already ..."
    IDS_SIM_STORE_HELD = 7091,              // "... held by process %ld ..."
    IDS_SIM_CHECK_WEAK_IDENTITY = 7092,     // "%s: its file system keeps neither birth times ..."
    IDS_SIM_STORE_REFUSED = 7093,           // "the metadata store %s cannot take a change: ..."
};

// window, dialogs and folder browser details
enum DetailStringId : unsigned {
    IDS_SETTINGS_FILE_DAMAGED = 7200,       // "WARNING - The settings file %s cannot be read..."
    IDS_SETTINGS_FILE_DAMAGED_KEPT = 7201,  // "... and cannot be moved aside ..."
    IDS_SETTINGS_FILE_UNREADABLE = 7202,    // "WARNING - The settings file %s cannot be opened..."
    IDS_BROWSE_NOT_LOGGED_IN = 7210,        // "Not logged in to this server: its volumes ..."
    IDS_BROWSE_NO_VOLUMES = 7211,           // "The volumes cannot be listed (... 0x%X)."
    IDS_BROWSE_UNREADABLE = 7212,           // "This directory cannot be read: %s"
    IDS_BROWSE_CHOOSE = 7213,               // "Choose a volume or a directory."
};

// drops that land on one name, destinations that cannot be listed
enum LandingStringId : unsigned {
    IDS_ERR_CANNOT_READ_DEST_DIR = 7050,  // "ERROR - The directory %s cannot be read. Nothing ..."
    IDS_ERR_SAME_LANDING = 7051,          // "ERROR - %s has been left out: its copy would land ..."
    IDS_SKIP_SAME_LANDING = 7052,         // "its copy would land on the copy of %s"
    IDS_WARNING_PREFIX = 7053,            // "WARNING - ": the text of a warning begins so
    IDS_BATCH_STATUS_PASSED_OVER = 7054,  // "passed-over"
};

// farcast-run results, dry run, versions
enum BatchStringId : unsigned {
    IDS_BATCH_RUN_VERSION = 7400,       // "farcast-run %s"
    IDS_BATCH_NETSIM_VERSION = 7401,    // "farcast-netsim %s"
    IDS_BATCH_ERROR_PREFIX = 7402,      // "ERROR - ": the text of an error message begins so
    IDS_BATCH_RUN_HELP_FIRST = 7410,    // farcast-run --help, one line per entry up to ..._LAST
    IDS_BATCH_RUN_HELP_DRY_RUN = 7418,  // the --dry-run line, which --parallel's follows
    IDS_BATCH_RUN_HELP_LAST = 7422,
    IDS_BATCH_NETSIM_HELP_VERSION = 7423,
    IDS_BATCH_RUN_NO_NETWORK = 7430,     // "farcast-run: no network in %s. ... demo %s"
    IDS_BATCH_NETSIM_NO_NETWORK = 7431,  // "farcast-netsim: no network in %s. ... demo %s"
    IDS_BATCH_SERVER_LINE = 7440,        // "[server] %s | status=%s | files=%s ..."
    IDS_BATCH_STATUS_DONE = 7441,
    IDS_BATCH_STATUS_GIVEN_UP = 7442,
    IDS_BATCH_STATUS_STOPPED = 7443,
    IDS_BATCH_STATUS_NOT_REACHED = 7444,
    IDS_BATCH_SKIPPED_LINE = 7445,     // "[skipped] %s | %s"
    IDS_BATCH_SKIP_MISSING = 7446,     // "does not exist"
    IDS_BATCH_SKIP_UNREADABLE = 7447,  // "cannot be looked up (error %u)"
    IDS_BATCH_SKIP_LINK = 7448,        // "a symbolic link or special file is not a NetWare entry"
    IDS_BATCH_SKIP_BAD_NAME = 7449,    // "cannot be a NetWare name"
    IDS_BATCH_PLAN_MKDIR = 7460,       // "[plan] %s mkdir %s"
    IDS_BATCH_PLAN_COPY = 7461,        // "[plan] %s copy %s -> %s"
    IDS_BATCH_PLAN_REPLACE = 7462,     // "[plan] %s replace %s -> %s"
    IDS_BATCH_PLAN_SKIP = 7463,        // "[plan] %s skip %s -> %s | %s"
    IDS_BATCH_PLAN_DELETE = 7464,      // "[plan] %s delete %s"
    IDS_BATCH_PLAN_RMDIR = 7465,       // "[plan] %s rmdir %s"
    IDS_BATCH_SKIP_NOT_ON_DESTINATION = 7470,
    IDS_BATCH_SKIP_EXISTS_ON_DESTINATION = 7471,
    IDS_BATCH_SKIP_NEWER_ON_DESTINATION = 7472,
    IDS_BATCH_SKIP_SAME_TIME = 7473,
    IDS_BATCH_SKIP_ANSWERED_NO = 7474,
    IDS_BATCH_SKIP_CANCELLED = 7475,
    IDS_BATCH_SKIP_NO_ROOM = 7476,
};

// checked input: network.toml, numbers, names, patterns
enum InputStringId : unsigned {
    IDS_INPUT_BAD_SERVER_NAME = 7600,     // "\"%s\" is not a valid server name (...)"
    IDS_INPUT_BAD_VOLUME_NAME = 7601,     // "\"%s\" is not a valid volume name (...)"
    IDS_INPUT_BAD_USER_NAME = 7602,       // "\"%s\" is not a valid user name (...)"
    IDS_INPUT_BAD_LOGIN_NAME = 7603,      // "login_name \"%s\" is not a valid user name (...)"
    IDS_INPUT_BAD_TREE_NAME = 7604,       // "tree \"%s\" is not a valid tree name (...)"
    IDS_INPUT_BAD_OBJECT_NAME = 7605,     // "object name \"%s\" is not valid (...)"
    IDS_INPUT_OBJECT_ID_TWICE = 7606,     // "object %s has two ids for server %s"
    IDS_INPUT_BLOCK_SIZE_RANGE = 7610,    // "block_size must be at most 33553920 (...)"
    IDS_INPUT_TOTAL_BLOCKS_RANGE = 7611,  // "total_blocks must be at most 4294967295"
    IDS_INPUT_VERSION_RANGE = 7612,       // "version \"%s\": major and minor must each be ..."
    IDS_INPUT_DRIVE_TWICE = 7620,         // "drive %s: is mapped twice"
    IDS_INPUT_BAD_DRIVE_PATH = 7621,      // "drive %s: maps to %s, whose directories are not ..."
    IDS_INPUT_KEY_TOO_DEEP = 7630,        // "a key or table name has more than 64 dotted parts"
    IDS_SIM_BAD_LATENCY = 7640,           // "%s must be a number of milliseconds from 0 to 10000"
};

// farcast-run --parallel: passes in processes of their own
enum ParallelStringId : unsigned {
    IDS_PARALLEL_HELP = 7880,        // "  --parallel N ..." (a line of farcast-run --help)
    IDS_PARALLEL_BAD_WIDTH = 7881,   // "farcast-run: --parallel takes a number from 1 to ..."
    IDS_PARALLEL_NO_PROMPTS = 7882,  // "farcast-run: --parallel %u cannot ask %s ..."
    IDS_PARALLEL_NO_ANSWERS = 7883,  // "farcast-run: --parallel %u takes no --answer ..."
    IDS_PASS_DIED = 7890,            // "ERROR - The pass for server %s ended before ...: %s."
    IDS_PASS_KILLED = 7891,          // "killed by signal %d (%s)"
    IDS_PASS_EXITED = 7892,          // "it exited with status %d"
    IDS_PASS_NOT_STARTED = 7893,     // "it could not be started (%s)"
};

// farcast-run at a terminal and in scripts; farcast without a display
enum TerminalStringId : unsigned {
    IDS_TERM_LOGIN_FILE_UNREADABLE = 7800,  // "farcast-run: --login-file %s: %s"
    IDS_TERM_LOGIN_FILE_OPEN = 7801,        // "... group or others can read it ... chmod 600 %s"
    IDS_TERM_LOGIN_FILE_LINE = 7802,        // "... %s, line %d: USER:PASSWORD expected"
    IDS_TERM_QUIET_AND_VERBOSE = 7803,
    IDS_TERM_ASK_YES_NO_CANCEL = 7805,   // "[y]es, [n]o or [c]ancel? "
    IDS_TERM_ASK_YES_NO = 7806,          // "[y]es or [n]o? "
    IDS_TERM_ASK_OK_CANCEL = 7807,       // "[o]k or [c]ancel? "
    IDS_TERM_LOGIN_HEADING = 7808,       // "Login: %s"
    IDS_TERM_ASK_USER = 7809,            // "User name (empty: cancel): "
    IDS_TERM_ASK_PASSWORD = 7810,        // "Password for %s: "
    IDS_TERM_PROGRESS_COUNTING = 7811,   // "counting %s files, %s"
    IDS_TERM_PROGRESS_LINE = 7812,       // "%s  %s/%s files  %s/%s  %s  %s/s  %s left"
    IDS_TERM_BYTE_UNITS = 7813,          // "B,KiB,MiB,GiB,TiB"
    IDS_TERM_UNKNOWN_TIME = 7814,        // "--:--"
    IDS_TERM_DONE_MKDIR = 7820,          // "[done] %s mkdir %s"
    IDS_TERM_DONE_COPY = 7821,           // "[done] %s copy %s -> %s"
    IDS_TERM_DONE_REPLACE = 7822,        // "[done] %s replace %s -> %s"
    IDS_TERM_DONE_SKIP = 7823,           // "[done] %s skip %s -> %s | %s"
    IDS_TERM_DONE_DELETE = 7824,         // "[done] %s delete %s"
    IDS_TERM_DONE_RMDIR = 7825,          // "[done] %s rmdir %s"
    IDS_TERM_HELP_OPTIONS_FIRST = 7830,  // farcast-run --help: the options of scripts and terminals
    IDS_TERM_HELP_OPTIONS_LAST = 7832,
    IDS_TERM_HELP_NOTES_FIRST = 7834,  // farcast-run --help: terminal, standard error, --login
    IDS_TERM_HELP_NOTES_LAST = 7836,
    IDS_TERM_HELP_SET_FIRST = 7840,  // farcast-run --help: every --set name, meaning, default
    IDS_TERM_HELP_SET_LAST = 7860,
    IDS_TERM_FARCAST_VERSION = 7870,     // "farcast %s"
    IDS_TERM_FARCAST_HELP_FIRST = 7871,  // farcast --help, one line per entry up to ..._LAST
    IDS_TERM_FARCAST_HELP_LAST = 7875,
    IDS_TERM_FARCAST_NO_DISPLAY = 7876,  // "farcast: no display to open a window on ..."
    IDS_TERM_FARCAST_BAD_OPTION = 7877,  // "farcast: unknown option %s. Usage: ..."
    IDS_TERM_NO_NETWORK = 7878,          // "ERROR - There is no network in %s. ... demo %s"
};
