# Writes icon_images.cpp: the icon's PNG files as byte arrays, so the program needs no file at run time.
# Usage: cmake -DSOURCE_DIR=<folder of sorvelin-<size>.png> -DSIZES=32,64 -DOUTPUT=<file> -P embed_icons.cmake
set(text "// The program's icon as PNG bytes, written by platform/gtk/embed_icons.cmake: do not edit.\n")
string(APPEND text "#include \"platform/gtk/icon_images.h\"\n\nnamespace gtkhost {\n\nnamespace {\n\n")
set(table "")
string(REPLACE "," ";" SIZES "${SIZES}")
foreach(size IN LISTS SIZES)
    file(READ "${SOURCE_DIR}/sorvelin-${size}.png" hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    # Twenty bytes a line keeps the file readable in an editor.
    string(REGEX REPLACE "((0x..,){20})" "\\1\n    " bytes "${bytes}")
    string(APPEND text "const unsigned char ICON_${size}[] = {\n    ${bytes}\n};\n\n")
    string(APPEND table "    {${size}, ICON_${size}, sizeof ICON_${size}},\n")
endforeach()
list(LENGTH SIZES count)
string(APPEND text "}  // namespace\n\nconst IconImage ICON_IMAGES[] = {\n${table}};\n")
string(APPEND text "const int ICON_IMAGE_COUNT = ${count};\n\n}  // namespace gtkhost\n")
file(WRITE "${OUTPUT}.new" "${text}")
# Only a changed file is written, so an unchanged icon rebuilds nothing.
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
