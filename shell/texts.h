// The shell's texts, as the code page 932 bytes that the ANSI calls take.
#pragma once

#include "version.h"  // SORVELIN_VERSION, from the VERSION file

// "ModelApp": the window class.
inline const char MAIN_CLASS_NAME[] = "ModelApp";

// "Sorvelin[南視]": the program's title and the view marker "south view".
inline const char MAIN_WINDOW_CAPTION[] = "Sorvelin[\x93\xec\x8e\x8b]";

// Push button captions.
inline const char ZOOM_OUT_CAPTION[] = "\x97\xa3\x82\xea\x82\xe9";  // "離れる", move away
inline const char ZOOM_IN_CAPTION[] = "\x8b\xdf\x82\xc3\x82\xad";   // "近づく", come closer
inline const char MODE_CAPTION[] = "MODE";                          // "MODE"
inline const char SLOWER_CAPTION[] = "\x92x\x82\xad";               // "遅く", slower
inline const char FASTER_CAPTION[] = "\x91\x81\x82\xad";            // "早く", faster
inline const char ONE_YEAR_CAPTION[] = "1\x94N\x8c\xe3";            // "1年後", one year later

// "バージョン情報": the version message's caption.
inline const char VERSION_CAPTION[] = "\x83o\x81[\x83W\x83\x87\x83\x93\x8f\xee\x95\xf1";

// The version message, three lines joined by line feeds:
// "Sorvelin[南視] "
// "惑星描画位置の正確性はありません。" (the drawn positions make no claim to accuracy)
// " Version <the VERSION file's text> Sorvelin 開発チーム" (the credit: the Sorvelin development
// team)
inline const char VERSION_TEXT[] =
    "Sorvelin[\x93\xec\x8e\x8b] \n"
    "\x98"
    "f\x90\xaf\x95`\x89\xe6\x88\xca\x92u\x82\xcc\x90\xb3\x8am\x90\xab\x82\xcd\x82\xa0\x82\xe8\x82"
    "\xdc\x82\xb9\x82\xf1\x81"
    "B\n"
    " Version " SORVELIN_VERSION " Sorvelin \x8aJ\x94\xad\x83`\x81[\x83\x80";
