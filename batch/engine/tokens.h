// SPDX-License-Identifier: MIT
// The vocabulary of the script language: every token code, and the keyword table beside it
// in the same order, so one look shows the whole language.
#pragma once

#include <string_view>

enum TokenCode : int {
    TK_EOL = 0,  // end of line: nothing left, or an unterminated quote
    // operators and punctuation
    TK_EQ = 101,   // =
    TK_NE = 102,   // !=
    TK_LT = 103,   // <
    TK_LE = 104,   // <=
    TK_GT = 105,   // >
    TK_GE = 106,   // >=
    TK_NOT = 107,  // ! or not
    TK_COMMA = 110,
    TK_LPAREN = 111,
    TK_RPAREN = 112,
    TK_DOLLAR = 113,   // in front of a built-in function name
    TK_AT = 115,       // in front of a transfer offset
    TK_NUMBER = 300,   // decimal digits only
    TK_SESSION = 400,  // "#" and the characters up to the next blank
    TK_STRING = 500,   // a quoted text, or a word that is neither number nor keyword
    // command keywords
    TK_LOGIN = 600,
    TK_GET = 601,
    TK_PUT = 602,
    TK_CD = 603,
    TK_CDUP = 604,
    TK_DIR = 605,
    TK_LS = 606,
    TK_ASCII = 607,
    TK_BINARY = 608,
    TK_APPEND = 609,
    TK_SITE = 610,
    TK_QUOTE = 611,
    TK_RESTART = 612,
    TK_GETAT = 613,     // reserved
    TK_PUTAT = 614,     // reserved
    TK_APPENDAT = 615,  // reserved
    TK_GATELOGIN = 616,
    TK_MPUT = 617,
    TK_MGET = 618,
    TK_LCD = 619,
    TK_UNIQUE = 620,
    TK_PASSIVE = 621,
    TK_ACTIVE = 622,
    TK_STATUSBOX = 623,
    TK_ON = 624,
    TK_OFF = 625,
    TK_DEBUG = 626,
    TK_QUIT = 627,
    TK_REMOTE = 628,
    TK_REMOTEAPPEND = 629,  // reserved
    TK_RMDIR = 630,
    TK_DELETE = 631,
    TK_MKDIR = 632,
    TK_RENAME = 634,
    TK_LOCAL = 635,
    TK_STORE = 636,
    TK_DATE = 637,
    TK_EXISTS = 638,
    TK_LOCALPATH = 639,
    TK_FILESIZE = 640,
    TK_DEFAULTTIMEOUT = 641,
    TK_RECEIVETIMEOUT = 642,
    // control, option and function keywords
    TK_IGNORE = 700,
    TK_ECHO = 701,
    TK_LOGFILE = 702,
    TK_IF = 710,
    TK_ELSE = 711,
    TK_ENDIF = 712,
    TK_TRUE = 713,   // reserved
    TK_FALSE = 714,  // reserved
    TK_TODAY = 715,
    TK_NOW = 716,
    TK_FILE = 717,
    TK_ERROR = 718,
    TK_FAILED = 719,
    TK_COMPLETION = 720,  // reserved
    TK_STOP = 721,
    TK_SLEEP = 722,
    TK_RETRY = 723,
    TK_FOREVER = 724,
    TK_CONTINUE = 725,
    TK_ALL = 726,   // reserved
    TK_EXEC = 727,  // function name after "$"
    TK_FILEDATE = 728,
    TK_FILEDATETIME = 729,
    TK_NUMBERFN = 730,
    TK_STRINGFN = 731,
    TK_CLEAR = 732,
    TK_PWD = 733,
    TK_TEST = 800,
};

struct Keyword {
    std::string_view word;  // lower case
    TokenCode code;
};

// Every keyword, in code order. Compared without regard to (ASCII) letter case.
inline constexpr Keyword kKeywords[] = {
    {"login", TK_LOGIN},
    {"get", TK_GET},
    {"put", TK_PUT},
    {"cd", TK_CD},
    {"cdup", TK_CDUP},
    {"dir", TK_DIR},
    {"ls", TK_LS},
    {"ascii", TK_ASCII},
    {"binary", TK_BINARY},
    {"append", TK_APPEND},
    {"site", TK_SITE},
    {"quote", TK_QUOTE},
    {"restart", TK_RESTART},
    {"getat", TK_GETAT},
    {"putat", TK_PUTAT},
    {"appendat", TK_APPENDAT},
    {"gatelogin", TK_GATELOGIN},
    {"mput", TK_MPUT},
    {"mget", TK_MGET},
    {"lcd", TK_LCD},
    {"unique", TK_UNIQUE},
    {"passive", TK_PASSIVE},
    {"active", TK_ACTIVE},
    {"statusbox", TK_STATUSBOX},
    {"on", TK_ON},
    {"off", TK_OFF},
    {"debug", TK_DEBUG},
    {"quit", TK_QUIT},
    {"remote", TK_REMOTE},
    {"remoteappend", TK_REMOTEAPPEND},
    {"rmdir", TK_RMDIR},
    {"delete", TK_DELETE},
    {"mkdir", TK_MKDIR},
    {"rename", TK_RENAME},
    {"local", TK_LOCAL},
    {"store", TK_STORE},
    {"date", TK_DATE},
    {"exists", TK_EXISTS},
    {"localpath", TK_LOCALPATH},
    {"filesize", TK_FILESIZE},
    {"defaulttimeout", TK_DEFAULTTIMEOUT},
    {"receivetimeout", TK_RECEIVETIMEOUT},
    {"ignore", TK_IGNORE},
    {"echo", TK_ECHO},
    {"logfile", TK_LOGFILE},
    {"if", TK_IF},
    {"else", TK_ELSE},
    {"endif", TK_ENDIF},
    {"true", TK_TRUE},
    {"false", TK_FALSE},
    {"today", TK_TODAY},
    {"now", TK_NOW},
    {"file", TK_FILE},
    {"error", TK_ERROR},
    {"failed", TK_FAILED},
    {"completion", TK_COMPLETION},
    {"stop", TK_STOP},
    {"sleep", TK_SLEEP},
    {"retry", TK_RETRY},
    {"forever", TK_FOREVER},
    {"continue", TK_CONTINUE},
    {"all", TK_ALL},
    {"exec", TK_EXEC},
    {"filedate", TK_FILEDATE},
    {"filedatetime", TK_FILEDATETIME},
    {"number", TK_NUMBERFN},
    {"string", TK_STRINGFN},
    {"clear", TK_CLEAR},
    {"pwd", TK_PWD},
    {"test", TK_TEST},
    {"not", TK_NOT},
};

// The code of a keyword written in any letter case; TK_EOL when the word is none.
TokenCode LookupKeyword(std::string_view word);

inline constexpr bool IsLoginKeyword(int code) {
    return code == TK_LOGIN || code == TK_GATELOGIN;
}
