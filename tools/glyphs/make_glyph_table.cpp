// Writes the glyph table of builds without Pango, as C++ source: every character that the
// program can draw, rendered by the native stand-in's own text renderer.
//
// Usage: make_glyph_table OUTPUT.cpp
//
// The characters are the printable ASCII set (which holds everything the status text's numbers
// can produce), the replacement glyph, and every character of the scene's labels and status
// format. Before writing, the tool sets every label and a wide sample of status texts from the
// table and compares them pixel for pixel with Pango's own drawing of the whole text; it
// writes nothing and fails if any differs, so a font that kerns or shapes cannot slip through.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/host.h"
#include "platform/standin/text_renderer.h"
#include "scene/texts.h"
#include "shell/shell.h"

namespace {

// The status texts of a wide sample of clock values, intervals and sizes.
std::vector<std::string> SampleStatusTexts() {
    std::vector<std::string> texts;
    const int sizes[] = {2, 3, 4, 7, 15, 62, 125, 250, 375, 562, 711, 748};
    for (double days = 0; days <= ELAPSED_LIMIT_DAYS; days += 97.0) {
        for (int power = -7; power <= 7; power += 1) {
            const double interval =
                power < 0 ? 1.0 / (1 << -power) : static_cast<double>(1 << power);
            const int size = sizes[static_cast<std::size_t>(power + 7) % std::size(sizes)];
            const SceneSnapshot snapshot =
                ComposeScene(days / DAYS_PER_CENTURY, ViewSettings{interval, size, 0});
            texts.emplace_back(snapshot.statusText);
        }
    }
    return texts;
}

// The characters of the program's texts, all of printable ASCII and the replacement glyph.
std::set<char32_t> CharactersOf(const std::vector<std::string>& texts) {
    std::set<char32_t> characters = {standin::REPLACEMENT_CODE_POINT};
    for (char32_t ascii = 0x20; ascii < 0x7F; ++ascii) {
        characters.insert(ascii);
    }
    for (const std::string& text : texts) {
        const std::string utf8 = standin::DecodeCodePage932(text);
        for (std::size_t index = 0; index < utf8.size();) {
            characters.insert(standin::NextCodePoint(utf8, index));
        }
    }
    return characters;
}

// Draws each character alone into the table; false, with a message, when one does not fit.
bool RenderGlyphs(const std::set<char32_t>& characters, standin::GlyphTableBuilder& glyphs) {
    for (char32_t codePoint : characters) {
        if (!glyphs.Add(codePoint)) {
            std::fprintf(stderr,
                         "make_glyph_table: U+%04X has no glyph of the default font's form\n",
                         static_cast<unsigned>(codePoint));
            return false;
        }
    }
    return true;
}

// Whether every text comes out of the table as the renderer draws it whole.
bool SetAsDrawnWhole(const standin::GlyphTable& table, const std::vector<std::string>& texts) {
    for (const std::string& text : texts) {
        const std::string utf8 = standin::DecodeCodePage932(text);
        if (!standin::SamePixels(standin::SetTextFromGlyphs(table, utf8),
                                 standin::RenderWholeUtf8Text(utf8))) {
            std::fprintf(stderr, "make_glyph_table: \"%s\" differs when set from single glyphs\n",
                         utf8.c_str());
            return false;
        }
    }
    return true;
}

// Writes the table as C++ source; false, with a message, when it cannot.
bool WriteTable(const char* path, const standin::GlyphTableBuilder& glyphs) {
    const standin::GlyphTable& table = glyphs.Table();
    std::ofstream output(path);
    output
        << "// Written by make_glyph_table from the native text renderer's glyphs; do not edit.\n"
        << "#include \"platform/standin/text_renderer.h\"\n\nnamespace standin {\n\nnamespace {\n\n"
        << "constexpr GlyphTableEntry ENTRIES[] = {\n";
    for (const standin::GlyphTableEntry& entry :
         std::span(table.entries, static_cast<std::size_t>(table.entryCount))) {
        output << "    {0x" << std::hex << static_cast<unsigned>(entry.codePoint) << std::dec
               << ", " << entry.cellWidth << ", " << entry.firstRun << ", " << entry.runCount
               << "},\n";
    }
    output << "};\n\nconstexpr std::int8_t RUNS[] = {";
    for (std::size_t index = 0; index < glyphs.RunBytes(); ++index) {
        output << (index % 24 == 0 ? "\n    " : " ") << static_cast<int>(table.runs[index]) << ",";
    }
    output << "\n};\n\n}  // namespace\n\nextern const GlyphTable GENERATED_GLYPH_TABLE{"
           << table.cellHeight << ", ENTRIES, " << table.entryCount << ", RUNS, 0x" << std::hex
           << static_cast<unsigned>(standin::REPLACEMENT_CODE_POINT) << std::dec
           << "};\n\n}  // namespace standin\n";
    output.close();
    if (!output) {
        std::fprintf(stderr, "make_glyph_table: cannot write %s\n", path);
        return false;
    }
    return true;
}

}  // namespace

int main(int argumentCount, char** arguments) {
    if (argumentCount != 2) {
        std::fputs("usage: make_glyph_table OUTPUT.cpp\n", stderr);
        return 2;
    }
    const std::vector<std::string> programTexts = {NAMES_LABEL_TEXT, EQUINOX_LABEL_TEXT,
                                                   LONGITUDE_LABEL_TEXT, STATUS_TEXT_FORMAT};
    standin::GlyphTableBuilder glyphs;
    if (!RenderGlyphs(CharactersOf(programTexts), glyphs)) {
        return 1;
    }
    // Every text the program draws, and a wide sample of status texts.
    std::vector<std::string> checked = programTexts;
    for (std::string& status : SampleStatusTexts()) {
        checked.push_back(std::move(status));
    }
    if (!SetAsDrawnWhole(glyphs.Table(), checked) || !WriteTable(arguments[1], glyphs)) {
        return 1;
    }
    std::printf("make_glyph_table: %d glyphs, %zu runs; %zu texts checked\n",
                glyphs.Table().entryCount, glyphs.RunBytes() / 3, checked.size());
    return 0;
}
