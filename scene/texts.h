// The scene's texts, as code page 932 (Shift-JIS) bytes with their Japanese beside them.
//
// Each literal is split where a character ends, so that a byte escape never
// swallows a following letter that happens to be a hexadecimal digit.
#pragma once

// 太陽　　水星　　金星　　地球　　火星　　木星　　土星 (52 bytes): the legend's names,
// two ideographic spaces apart.
constexpr char NAMES_LABEL_TEXT[] =
    "\x91\xbe\x97z"     // 太陽
    "\x81@\x81@"        // 　　
    "\x90\x85\x90\xaf"  // 水星
    "\x81@\x81@"        // 　　
    "\x8b\xe0\x90\xaf"  // 金星
    "\x81@\x81@"        // 　　
    "\x92n\x8b\x85"     // 地球
    "\x81@\x81@"        // 　　
    "\x89\xce\x90\xaf"  // 火星
    "\x81@\x81@"        // 　　
    "\x96\xd8\x90\xaf"  // 木星
    "\x81@\x81@"        // 　　
    "\x93y\x90\xaf";    // 土星

// 春分点---＞ (11 bytes): the arrow toward the vernal equinox.
constexpr char EQUINOX_LABEL_TEXT[] =
    "\x8ft\x95\xaa\x93_"  // 春分点
    "---"                 // three ASCII hyphens
    "\x81\x84";           // ＞ (full-width greater-than sign)

// 90° (4 bytes): the mark of ecliptic longitude 90 degrees.
constexpr char LONGITUDE_LABEL_TEXT[] =
    "90"
    "\x81\x8b";  // °

// 平均経過時間%4d年%2d月%2d日：描画間隔%s日、大きさ%d: the status text's format. The
// interval arrives as a text made by the half-up formatter, in place of %0.2f.
constexpr char STATUS_TEXT_FORMAT[] =
    "\x95\xbd\x8b\xcf\x8co\x89\xdf\x8e\x9e\x8a\xd4"  // 平均経過時間
    "%4d"                                            // year
    "\x94N"                                          // 年
    "%2d"                                            // month
    "\x8c\x8e"                                       // 月
    "%2d"                                            // day
    "\x93\xfa"                                       // 日
    "\x81\x46"                                       // ：
    "\x95`\x89\xe6\x8a\xd4\x8au"                     // 描画間隔
    "%s"                                             // interval, two decimals rounded half up
    "\x93\xfa"                                       // 日
    "\x81\x41"                                       // 、
    "\x91\xe5\x82\xab\x82\xb3"                       // 大きさ
    "%d";                                            // size, pixels per astronomical unit
